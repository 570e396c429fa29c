# Warnings for every target of the project.
add_compile_options(-Wall -Wextra)

if(TESSAVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Release hardening: stack protector, fortified libc calls, PIE and full RELRO.
if(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT TESSAVO_SANITIZE)
  add_compile_options(-fstack-protector-strong -D_FORTIFY_SOURCE=2)
  add_compile_definitions(TESSAVO_HARDEN)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  add_link_options(-pie -Wl,-z,relro,-z,now)
endif()

# Adds a static library for one folder of the program from every source file in it and in the
# inner folders named after INNER (folders that group files of the same library).
function(tessavo_folder_library name)
  cmake_parse_arguments(PARSE_ARGV 1 folder "" "" "INNER")
  set(patterns ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  foreach(inner IN LISTS folder_INNER)
    list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${inner}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${inner}/*.h)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

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

# Adds a static library for one folder of the program from every source file in it.
function(tessavo_folder_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

// libFuzzer target for the settings-file reader: the input is the whole Config.ini. Every read
// the program makes of it must end without a crash; then the typing-mode write must read back
// as written and leave the section's other key as it was.
#include <stdlib.h>
#include <unistd.h>

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/base/Error.h"
#include "platform/files/ProfileStrings.h"

namespace profile = tessavo::platform::profile;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

const QString kSection = QStringLiteral("软件配置");
const QString kPasteKey = QStringLiteral("粘贴式");
const QString kKeystrokeKey = QStringLiteral("非粘贴式");
// Nobody writes this value: it tells a missing key from any value in the file.
const QString kAbsent = QStringLiteral("<absent>");

// A directory of this process for the settings file, removed at exit. It lies in memory when the
// system has /dev/shm: the write syncs the file and its directory, which on a disk would slow
// every run down to a crawl.
class WorkDirectory {
public:
    WorkDirectory() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/profile_strings_fuzz.XXXXXX";
        require(mkdtemp(pattern.data()) != nullptr);
        directory_ = pattern;
        file_ = directory_ + "/Config.ini";
    }
    ~WorkDirectory() {
        unlink(file_.c_str());
        rmdir(directory_.c_str());
    }
    const std::string& file() const { return file_; }

private:
    std::string directory_;
    std::string file_;
};

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    require(file != nullptr);
    require(std::fwrite(data, 1, size, file) == size);
    require(std::fclose(file) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const WorkDirectory work;
    writeFile(work.file(), data, size);
    const QString file = QString::fromStdString(work.file());

    // What the main window's creation reads, and a read with names from outside the file.
    profile::readBool(file, kSection, kPasteKey, true);
    profile::readInteger(file, kSection, kKeystrokeKey, -1);
    profile::readString(file, QStringLiteral("[]"), QStringLiteral("="), QString());
    const QString keystrokeBefore = profile::readString(file, kSection, kKeystrokeKey, kAbsent);

    // "保存配置" writes "1" and reads back "1"; the other key of the section keeps its value.
    try {
        profile::writeString(file, kSection, kPasteKey, QStringLiteral("1"));
    } catch (const tessavo::Error&) {
        __builtin_trap();  // a regular file of this size is always written
    }
    require(profile::readString(file, kSection, kPasteKey, kAbsent) == QStringLiteral("1"));
    require(profile::readBool(file, kSection, kPasteKey, false));
    require(profile::readString(file, kSection, kKeystrokeKey, kAbsent) == keystrokeBefore);
    return 0;
}

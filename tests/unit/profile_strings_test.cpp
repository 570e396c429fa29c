#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QtEndian>
#include <filesystem>
#include <optional>
#include <random>

#include "platform/base/AnsiCodePage.h"
#include "platform/base/Error.h"
#include "platform/files/ProfileStrings.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScopedPermissionChecks.h"

namespace profile = tessavo::platform::profile;
using tessavo::platform::toAnsi;
using tessavo::test::entriesOf;
using tessavo::test::readBytes;
using tessavo::test::writeBytes;

namespace {

const QString kDefault = QStringLiteral("<default>");

QString u8(const char* text) { return QString::fromUtf8(text); }

std::string utf16le(const QString& text) {
    std::string bytes = "\xFF\xFE";
    for (const QChar c : text) {
        const quint16 unit = qToLittleEndian(c.unicode());
        bytes.append(reinterpret_cast<const char*>(&unit), 2);
    }
    return bytes;
}

class ProfileFile : public ::testing::Test {
protected:
    void put(std::string_view bytes) { ASSERT_TRUE(writeBytes(file_, bytes)); }
    std::string bytes() const { return readBytes(file_); }

    QTemporaryDir dir_;
    const QString file_ = dir_.filePath(QStringLiteral("Config.ini"));
};

// ---- reading -------------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string content;
    const char* section;
    const char* key;
    std::optional<const char*> value;  // nothing: the default comes back
};

class ProfileRead : public ProfileFile, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ProfileRead, FindsTheFirstMatchingKeyOfTheFirstMatchingSection) {
    const ReadCase& c = GetParam();
    put(c.content);
    const QString expected = c.value ? u8(*c.value) : kDefault;
    EXPECT_EQ(profile::readString(file_, u8(c.section), u8(c.key), kDefault), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRead,
    ::testing::Values(ReadCase{"crlf", "[S]\r\nk=v\r\n", "S", "k", "v"}, ReadCase{"lf", "[S]\nk=v\n", "S", "k", "v"},
                      ReadCase{"namesIgnoreCase", "[SeCtIoN]\nKeY=v\n", "section", "kEy", "v"},
                      ReadCase{"blanksTrimmed", "  [ S ]  \n\t k \t=  v w \t\r\n", "S", "k", "v w"},
                      ReadCase{"doubleQuotesDropped", "[S]\nk=\" a \"\n", "S", "k", " a "},
                      ReadCase{"singleQuotesDropped", "[S]\nk='x'\n", "S", "k", "x"},
                      ReadCase{"unmatchedQuotesKept", "[S]\nk=\"x'\n", "S", "k", "\"x'"},
                      ReadCase{"equalsInValue", "[S]\nk=a=b\n", "S", "k", "a=b"},
                      ReadCase{"emptyValueIsNoDefault", "[S]\nk=\n", "S", "k", ""},
                      ReadCase{"unterminatedLastLine", "[S]\nk=v", "S", "k", "v"},
                      ReadCase{"firstSectionWins", "[S]\nk=1\n[T]\nk=3\n[S]\nk=2\n", "S", "k", "1"},
                      ReadCase{"firstKeyWins", "[S]\nk=1\nk=2\n", "S", "k", "1"},
                      ReadCase{"laterSectionOfSameName", "[S]\nj=1\n[T]\n[s]\nk=2\n", "S", "k", std::nullopt},
                      ReadCase{"keyOfAnotherSection", "[A]\nk=1\n[B]\nj=2\n", "B", "k", std::nullopt},
                      ReadCase{"keyBeforeAnySection", "k=1\n[S]\n", "S", "k", std::nullopt},
                      ReadCase{"missingSection", "[A]\nk=1\n", "S", "k", std::nullopt},
                      ReadCase{"commentIsNoKey", "[S]\n;k=1\n", "S", "k", std::nullopt},
                      ReadCase{"lineWithoutEquals", "[S]\nk\nk=2\n", "S", "k", "2"},
                      ReadCase{"ansiText", toAnsi(u8("[软件配置]\r\n粘贴式=是\r\n")), "软件配置", "粘贴式", "是"},
                      ReadCase{"utf16WithMark", utf16le(u8("[软件配置]\r\n粘贴式=是\r\n")), "软件配置", "粘贴式", "是"},
                      ReadCase{"utf8WithMark", "\xEF\xBB\xBF" + u8("[软件配置]\n粘贴式=是\n").toStdString(), "软件配置",
                               "粘贴式", "是"},
                      ReadCase{"emptyFile", "", "S", "k", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFile, MissingFileGivesTheDefault) {
    EXPECT_EQ(profile::readString(file_, "S", "k", kDefault), kDefault);
    EXPECT_EQ(profile::readInteger(file_, "S", "k", 42), 42);
    EXPECT_FALSE(QFile::exists(file_)) << "reading creates nothing";
}

struct IntegerCase {
    const char* value;
    std::optional<std::int32_t> expected;  // nothing: the default
};

class ProfileInteger : public ProfileFile, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(ProfileInteger, ReadsTheValueAsAnInteger) {
    const IntegerCase& c = GetParam();
    put(std::string("[S]\nk=") + c.value + "\n");
    constexpr std::int32_t kFallback = 99;
    EXPECT_EQ(profile::readInteger(file_, "S", "k", kFallback), c.expected.value_or(kFallback));
    // Any integer other than 0 is true; no integer gives the default, whichever it is.
    for (const bool fallback : {false, true})
        EXPECT_EQ(profile::readBool(file_, "S", "k", fallback), c.expected ? *c.expected != 0 : fallback);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileInteger,
                         ::testing::Values(IntegerCase{"1", 1}, IntegerCase{"0", 0}, IntegerCase{"2", 2},
                                           IntegerCase{"-1", -1}, IntegerCase{"  7", 7}, IntegerCase{"+5", 5},
                                           IntegerCase{"$10", 16}, IntegerCase{"0x1F", 31}, IntegerCase{"'12'", 12},
                                           IntegerCase{"abc", std::nullopt}, IntegerCase{"", std::nullopt},
                                           IntegerCase{"1.5", std::nullopt}, IntegerCase{"1 2", std::nullopt},
                                           IntegerCase{"true", std::nullopt}, IntegerCase{"0x", std::nullopt}));

// ---- writing -------------------------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::optional<std::string> before;  // nothing: no file
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class ProfileWrite : public ProfileFile, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(ProfileWrite, ChangesOnlyTheKeysLine) {
    const WriteCase& c = GetParam();
    if (c.before) put(*c.before);
    profile::writeString(file_, u8(c.section), u8(c.key), u8(c.value));
    EXPECT_EQ(bytes(), c.after);
    EXPECT_EQ(profile::readString(file_, u8(c.section), u8(c.key), kDefault), u8(c.value));
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"Config.ini"}) << "no temporary file stays behind";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileWrite,
    ::testing::Values(
        WriteCase{"newFile", std::nullopt, "S", "k", "v", "[S]\r\nk=v\r\n"},
        WriteCase{"emptyFile", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
        WriteCase{"replacedInPlace", "; note\n[S]\nk=old\nother=1\n", "S", "k", "new", "; note\n[S]\nk=new\nother=1\n"},
        WriteCase{"replacedIgnoringCase", "[s]\r\nKEY = 1\r\n", "S", "key", "2", "[s]\r\nkey=2\r\n"},
        WriteCase{"appendedAfterLastLineOfSection", "[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "3",
                  "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
        WriteCase{"appendedToEmptySection", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
        WriteCase{"appendedAfterUnterminatedLine", "[A]\r\nx=1", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n"},
        WriteCase{"newSectionAtEnd", "[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"newSectionAfterUnterminatedLine", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        WriteCase{"otherBytesKeptExactly", "\x81\xFF junk\x01\n[S]\nk=1\n", "S", "k", "2",
                  "\x81\xFF junk\x01\n[S]\nk=2\n"},
        WriteCase{"ansiText", toAnsi(u8("[软件配置]\r\n粘贴式=0\r\n")), "软件配置", "非粘贴式", "1",
                  "[\xC8\xED\xBC\xFE\xC5\xE4\xD6\xC3]\r\n\xD5\xB3\xCC\xF9\xCA\xBD=0\r\n"
                  "\xB7\xC7\xD5\xB3\xCC\xF9\xCA\xBD=1\r\n"},
        WriteCase{"utf16Kept", utf16le(u8("[软件配置]\r\n粘贴式=0\r\n")), "软件配置", "非粘贴式", "1",
                  utf16le(u8("[软件配置]\r\n粘贴式=0\r\n非粘贴式=1\r\n"))},
        WriteCase{"utf16LineEndsKept", utf16le(u8("[A]\nx=1")), "软件配置", "粘贴式", "1",
                  utf16le(u8("[A]\nx=1\n[软件配置]\n粘贴式=1\n"))},
        WriteCase{"utf16StrayByteDropped", utf16le(u8("[A]\nx=1")) + "\x41", "A", "y", "2",
                  utf16le(u8("[A]\nx=1\ny=2\n"))},
        WriteCase{"utf8Kept", "\xEF\xBB\xBF[A]\n", "A", "键", "值", "\xEF\xBB\xBF[A]\n" + u8("键=值\n").toStdString()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFile, KeepsTheFilesMode) {
    put("[S]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file_).constData(), 0640), 0);
    profile::writeString(file_, "S", "k", "2");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(file_).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// ---- files that are not settings files -------------------------------------------------------

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(byte(engine));
    return bytes;
}

struct GarbageCase {
    const char* name;
    std::string bytes;
};

class ProfileGarbage : public ProfileFile, public ::testing::WithParamInterface<GarbageCase> {};

TEST_P(ProfileGarbage, ReadsAsDefaultsAndKeepsItsBytesOnWrite) {
    const std::string& garbage = GetParam().bytes;
    put(garbage);
    const QString section = u8("软件配置");
    const QString key = u8("粘贴式");
    EXPECT_EQ(profile::readString(file_, section, key, kDefault), kDefault);
    EXPECT_TRUE(profile::readBool(file_, section, key, true));
    EXPECT_FALSE(profile::readBool(file_, section, key, false));

    profile::writeString(file_, section, key, "0");
    EXPECT_FALSE(profile::readBool(file_, section, key, true));
    EXPECT_TRUE(bytes().starts_with(garbage)) << "the bytes before the new lines stay as they were";
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileGarbage,
                         ::testing::Values(GarbageCase{"random", randomBytes(64 * 1024, 1)},
                                           GarbageCase{"randomAfterUtf16Mark", "\xFF\xFE" + randomBytes(4096, 2)},
                                           GarbageCase{"randomAfterUtf8Mark", "\xEF\xBB\xBF" + randomBytes(999, 3)},
                                           GarbageCase{"nulBytes", std::string(4096, '\0')},
                                           GarbageCase{"carriageReturns", std::string(4096, '\r')},
                                           GarbageCase{"brackets", std::string(4096, '[')},
                                           GarbageCase{"lineEnds", std::string(4096, '\n')}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFile, FileLargerThanTheLimitIsNotReadNorRewritten) {
    put("[S]\nk=1\n");
    std::filesystem::resize_file(file_.toStdString(), profile::kMaxFileSize + 1);
    EXPECT_EQ(profile::readInteger(file_, "S", "k", 7), 7);
    EXPECT_THROW(profile::writeString(file_, "S", "k", "2"), tessavo::Error);
    EXPECT_EQ(std::filesystem::file_size(file_.toStdString()), profile::kMaxFileSize + 1);
}

TEST_F(ProfileFile, FileOfTheLimitIsRead) {
    std::string content = "[S]\nk=1\n";
    content.resize(profile::kMaxFileSize, '\n');
    put(content);
    EXPECT_EQ(profile::readInteger(file_, "S", "k", 7), 1);
}

TEST_F(ProfileFile, PipeUnderTheNameIsNotWaitedFor) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(file_).constData(), 0600), 0);
    EXPECT_EQ(profile::readInteger(file_, "S", "k", 7), 7);
    EXPECT_THROW(profile::writeString(file_, "S", "k", "2"), tessavo::Error);
}

// ---- failed writes ---------------------------------------------------------------------------

struct UnwritableCase {
    const char* name;
    // Prepares the place inside the temporary directory and returns the settings file's path.
    QString (*prepare)(const QString& directory);
};

class ProfileUnwritable : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(ProfileUnwritable, RaisesUnableToWriteWithTheFullPath) {
    const UnwritableCase& c = GetParam();
    const tessavo::test::ScopedPermissionChecks permissionsBind;  // also when the tests run as root
    QTemporaryDir dir;
    const QString file = c.prepare(dir.path());
    const std::string before = readBytes(file);
    try {
        profile::writeString(file, u8("软件配置"), u8("粘贴式"), "1");
        ADD_FAILURE() << "the write did not fail";
    } catch (const tessavo::Error& error) {
        EXPECT_EQ(QString::fromStdString(error.what()), "Unable to write to " + file);
    }
    EXPECT_EQ(readBytes(file), before);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileUnwritable,
    ::testing::Values(UnwritableCase{"missingDirectory", [](const QString& d) { return d + "/missing/Config.ini"; }},
                      UnwritableCase{"procFileSystem",
                                     [](const QString&) { return QStringLiteral("/proc/Config.ini"); }},
                      UnwritableCase{"directoryUnderTheName",
                                     [](const QString& d) {
                                         QDir(d).mkdir("Config.ini");
                                         return d + "/Config.ini";
                                     }},
                      UnwritableCase{"readOnlyFile",
                                     [](const QString& d) {
                                         const QString file = d + "/Config.ini";
                                         writeBytes(file, "[A]\r\nx=1\r\n");
                                         QFile::setPermissions(file, QFile::ReadOwner);
                                         return file;
                                     }},
                      UnwritableCase{"readOnlyDirectory",
                                     [](const QString& d) {
                                         QFile::setPermissions(d, QFile::ReadOwner | QFile::ExeOwner);
                                         return d + "/Config.ini";
                                     }}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnstorableCase {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
};

class ProfileUnstorable : public ProfileFile, public ::testing::WithParamInterface<UnstorableCase> {};

TEST_P(ProfileUnstorable, IsRefusedAndChangesNothing) {
    const UnstorableCase& c = GetParam();
    put("[S]\r\nk=1\r\n");
    EXPECT_THROW(profile::writeString(file_, c.section, c.key, c.value), tessavo::Error);
    EXPECT_EQ(bytes(), "[S]\r\nk=1\r\n");
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"Config.ini"});
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileUnstorable,
                         ::testing::Values(UnstorableCase{"bracketInSection", "a]b", "k", "v"},
                                           UnstorableCase{"lineBreakInSection", "S\n", "k", "v"},
                                           UnstorableCase{"equalsInKey", "S", "a=b", "v"},
                                           UnstorableCase{"keyLooksLikeSection", "S", " [k", "v"},
                                           UnstorableCase{"lineBreakInKey", "S", "k\r", "v"},
                                           UnstorableCase{"lineBreakInValue", "S", "k", "x\ny=2"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

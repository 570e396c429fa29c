#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "platform/desktop/Unit_Shortcuts.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RunProgram.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedPermissionChecks.h"

using tessavo::platform::CreateShortcut;
using tessavo::platform::desktopEntryText;
using tessavo::platform::shortcutFileName;
using tessavo::platform::specialFolderPath;
using tessavo::test::readBytes;
using tessavo::test::ScopedEnvironment;

namespace {

// A home of its own (with Desktop and Documents), a program folder and a free folder.
class ShortcutTest : public ::testing::Test {
protected:
    ShortcutTest()
        : home_("HOME", QFile::encodeName(root() + "/home")),
          config_("XDG_CONFIG_HOME", QFile::encodeName(root() + "/home/.config")) {
        for (const char* folder : {"home/Desktop", "home/Documents", "program/bin", "links"})
            QDir(root()).mkpath(QString::fromLatin1(folder));
        for (const char* file : {"program/bin/tessavo", "program/bin/app.tar.gz", "program/bin/Tessavo.exe"})
            tessavo::test::writeBytes(path(file), "#!/bin/sh\n");
    }

    QString root() const { return dir_.path(); }
    QString path(const char* relative) const { return root() + u'/' + QString::fromUtf8(relative); }

    // Every file below the root, relative to it.
    QStringList allFiles() const {
        QStringList files;
        QDirIterator it(root(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) files << QDir(root()).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    QStringList filesWith(const char* created) const {
        QStringList files = {"program/bin/Tessavo.exe", "program/bin/app.tar.gz", "program/bin/tessavo"};
        if (created) files << QString::fromUtf8(created);
        files.sort();
        return files;
    }

    QTemporaryDir dir_;
    ScopedEnvironment home_;
    ScopedEnvironment config_;
};

TEST_F(ShortcutTest, DesktopIsTheHomesDesktopFolder) {
    EXPECT_EQ(specialFolderPath(tessavo::platform::kCsidlDesktop), path("home/Desktop"));
    EXPECT_EQ(specialFolderPath(tessavo::platform::kCsidlPersonal), path("home/Documents"));
    EXPECT_EQ(specialFolderPath(tessavo::platform::kCsidlProfile), path("home"));
    EXPECT_EQ(specialFolderPath(0x7777), std::nullopt);
}

struct ShortcutCase {
    const char* name;
    const char* target;  // relative to the root
    const char* shortcutName;
    const char* folder;  // relative to the root; nullptr for an empty folder
    int csidl;
    const char* created;  // the launcher made, relative to the root; nullptr for none
};

class CreateShortcutCase : public ShortcutTest, public ::testing::WithParamInterface<ShortcutCase> {};

TEST_P(CreateShortcutCase, SavesExactlyTheExpectedLauncher) {
    const ShortcutCase& c = GetParam();
    const QString folder = c.folder ? path(c.folder) : QString();
    const bool saved = CreateShortcut(path(c.target), QString::fromUtf8(c.shortcutName), folder, c.csidl);
    EXPECT_EQ(saved, c.created != nullptr);
    EXPECT_EQ(allFiles(), filesWith(c.created));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CreateShortcutCase,
    ::testing::Values(
        ShortcutCase{"startUpCall", "program/bin/tessavo", "Tessavo个人版", nullptr, -1,
                     "home/Desktop/Tessavo个人版.desktop"},
        ShortcutCase{"desktopByNumber", "program/bin/tessavo", "T", nullptr, 0, "home/Desktop/T.desktop"},
        ShortcutCase{"desktopIgnoresFolder", "program/bin/tessavo", "T", "links", 0, "home/Desktop/T.desktop"},
        ShortcutCase{"documents", "program/bin/tessavo", "T", nullptr, 5, "home/Documents/T.desktop"},
        ShortcutCase{"explicitFolder", "program/bin/tessavo", "T", "links", -1, "links/T.desktop"},
        ShortcutCase{"explicitFolderOtherNegative", "program/bin/tessavo", "T", "links", -7, "links/T.desktop"},
        ShortcutCase{"folderWithTrailingSlash", "program/bin/tessavo", "T", "links/", -1, "links/T.desktop"},
        ShortcutCase{"nameFromTargetWithoutExtension", "program/bin/tessavo", "", "links", -1, "links/tessavo.desktop"},
        ShortcutCase{"nameLosesOnlyTheLastExtension", "program/bin/app.tar.gz", "", "links", -1,
                     "links/app.tar.desktop"},
        ShortcutCase{"nameFromTargetWithExtension", "program/bin/Tessavo.exe", "", "links", -1,
                     "links/Tessavo.desktop"},
        ShortcutCase{"missingTarget", "program/bin/missing", "T", "links", -1, nullptr},
        ShortcutCase{"targetIsADirectory", "program/bin", "T", "links", -1, nullptr},
        ShortcutCase{"missingFolder", "program/bin/tessavo", "T", "missing", -1, nullptr},
        ShortcutCase{"negativeWithoutFolder", "program/bin/tessavo", "T", nullptr, -2, nullptr},
        ShortcutCase{"unknownSpecialFolder", "program/bin/tessavo", "T", nullptr, 0x7777, nullptr},
        ShortcutCase{"slashInName", "program/bin/tessavo", "a/b", "links", -1, nullptr},
        ShortcutCase{"parentInName", "program/bin/tessavo", "../escape", "links", -1, nullptr},
        ShortcutCase{"nameTooLong", "program/bin/tessavo",
                     "名字太长名字太长名字太长名字太长名字太长名字太长名字太长名字太长名字太长名字太长名字太长名字太长"
                     "名字太长名字太长名字太长名字太长名字太长名字太长名字太长名字太长名字太长名字太长",
                     "links", -1, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShortcutTest, NulInTheNameSavesNothing) {
    const QString name = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
    EXPECT_FALSE(CreateShortcut(path("program/bin/tessavo"), name, path("links"), -1));
    EXPECT_EQ(allFiles(), filesWith(nullptr));
}

TEST_F(ShortcutTest, LauncherStartsTheTargetInItsDirectory) {
    ASSERT_TRUE(CreateShortcut(path("program/bin/tessavo"), "Tessavo个人版", QString(), -1));
    const QString file = path("home/Desktop/Tessavo个人版.desktop");
    EXPECT_EQ(QString::fromStdString(readBytes(file)),
              "[Desktop Entry]\nType=Application\nName=Tessavo个人版\nExec=\"" + path("program/bin/tessavo") +
                  "\"\nPath=" + path("program/bin/") + "\n");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &status), 0);
    EXPECT_NE(status.st_mode & S_IXUSR, 0u) << "desktops start only executable launchers";
}

// The launcher with the program's picture, as the desktop's own checker sees it.
TEST_F(ShortcutTest, LauncherWithAnIconPassesTheDesktopEntryChecker) {
    for (const char* icon : {"program/bin/tessavo.png", "program/bin/密码 工具.png"}) {
        ASSERT_TRUE(CreateShortcut(path("program/bin/tessavo"), "Tessavo个人版", QString(), -1, path(icon)));
        const QString file = path("home/Desktop/Tessavo个人版.desktop");
        EXPECT_TRUE(QString::fromStdString(readBytes(file)).endsWith("\nIcon=" + path(icon) + "\n")) << icon;
        const tessavo::test::ProgramRun check = tessavo::test::runProgram("desktop-file-validate", {file});
        EXPECT_TRUE(check.finished);
        EXPECT_EQ(check.exitCode, 0) << icon;
        EXPECT_EQ(check.standardOutput + check.standardError, QByteArray()) << icon;
    }
}

TEST_F(ShortcutTest, SecondCallReplacesTheFirstLauncher) {
    ASSERT_TRUE(CreateShortcut(path("program/bin/tessavo"), "T", path("links"), -1));
    ASSERT_TRUE(QFile::setPermissions(path("links/T.desktop"), QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(CreateShortcut(path("program/bin/Tessavo.exe"), "T", path("links"), -1));
    EXPECT_EQ(allFiles(), filesWith("links/T.desktop"));
    EXPECT_NE(QString::fromStdString(readBytes(path("links/T.desktop"))).indexOf("Tessavo.exe\""), -1);
    EXPECT_TRUE(QFile::permissions(path("links/T.desktop")) & QFile::ExeOwner) << "made executable again";
}

TEST_F(ShortcutTest, DirectoryUnderTheLaunchersNameIsNotReplaced) {
    QDir(root()).mkpath("links/T.desktop");
    EXPECT_FALSE(CreateShortcut(path("program/bin/tessavo"), "T", path("links"), -1));
    EXPECT_TRUE(QFileInfo(path("links/T.desktop")).isDir());
    EXPECT_EQ(allFiles(), filesWith(nullptr));
}

TEST_F(ShortcutTest, ReadOnlyFolderSavesNothing) {
    const tessavo::test::ScopedPermissionChecks permissionsBind;  // also when the tests run as root
    QFile::setPermissions(path("links"), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(CreateShortcut(path("program/bin/tessavo"), "T", path("links"), -1));
    QFile::setPermissions(path("links"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(allFiles(), filesWith(nullptr));
}

TEST(ShortcutFileName, HasOneSeparatorBeforeTheName) {
    EXPECT_EQ(shortcutFileName("/home/u/Desktop", "T"), "/home/u/Desktop/T.desktop");
    EXPECT_EQ(shortcutFileName("/home/u/Desktop/", "T"), "/home/u/Desktop/T.desktop");
    EXPECT_EQ(shortcutFileName("/", "T"), "/T.desktop");
}

struct ExecCase {
    const char* target;
    const char* execLine;  // as it stands in the file
};

class DesktopEntryExec : public ::testing::TestWithParam<ExecCase> {};

// Exec arguments are quoted, with ", `, $ and \ escaped and % doubled; the value escapes
// (backslash, line breaks) come on top.
TEST_P(DesktopEntryExec, KeepsTheTargetOneArgument) {
    const ExecCase& c = GetParam();
    const QStringList lines = desktopEntryText(QString::fromUtf8(c.target), "/d/", "N").split(u'\n');
    EXPECT_TRUE(lines.contains(QString::fromUtf8(c.execLine))) << lines.join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopEntryExec,
    ::testing::Values(ExecCase{"/opt/t/tessavo", R"(Exec="/opt/t/tessavo")"},
                      ExecCase{"/opt/my apps/t", R"(Exec="/opt/my apps/t")"},
                      ExecCase{"/opt/a$b", R"(Exec="/opt/a\\$b")"}, ExecCase{"/opt/a`b", R"(Exec="/opt/a\\`b")"},
                      ExecCase{"/opt/a\"b", R"(Exec="/opt/a\\"b")"}, ExecCase{"/opt/a\\b", R"(Exec="/opt/a\\\\b")"},
                      ExecCase{"/opt/100%", R"(Exec="/opt/100%%")"}, ExecCase{"/opt/a\nb", R"(Exec="/opt/a\nb")"},
                      ExecCase{"/opt/a;b|c&d", R"(Exec="/opt/a;b|c&d")"},
                      ExecCase{"/opt/软件/t", R"(Exec="/opt/软件/t")"}));

TEST(DesktopEntryText, EscapesNameAndPath) {
    const QStringList lines = desktopEntryText("/t", "/x\ny/", " a\\b\tc").split(u'\n');
    EXPECT_TRUE(lines.contains(R"(Name=\sa\\b\tc)")) << lines.join(u'|').toStdString();
    EXPECT_TRUE(lines.contains(R"(Path=/x\ny/)")) << lines.join(u'|').toStdString();
}

}  // namespace

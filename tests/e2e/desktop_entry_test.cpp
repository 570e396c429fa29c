// The desktop entry "Tessavo个人版" that every start of the built program writes.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <functional>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/RunProgram.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

const QString kEntryName = QStringLiteral("Tessavo个人版.desktop");

// The keys of the entry's [Desktop Entry] group.
QHash<QString, QString> entryKeys(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QHash<QString, QString> keys;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0) keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return lines.value(0) == QStringLiteral("[Desktop Entry]") ? keys : QHash<QString, QString>{};
}

// The program of an Exec line that holds one quoted argument and no field codes.
QString execProgram(const QString& exec) {
    if (exec.size() < 2 || !exec.startsWith(u'"') || !exec.endsWith(u'"')) return {};
    QString program;
    for (qsizetype at = 1; at + 1 < exec.size(); ++at) {
        if (exec[at] == u'\\') ++at;
        program += exec[at];
    }
    return program;
}

// Where the user's desktop is: the home's Desktop folder, or the folder the XDG user
// directories name.
struct DesktopFolder {
    const char* name;
    const char* userDirsFolder;  // nullptr: no user directories file
};

void PrintTo(const DesktopFolder& folder, std::ostream* out) { *out << folder.name; }

class DesktopEntry : public EndToEnd, public testing::WithParamInterface<DesktopFolder> {
protected:
    // Starts the program, waits for its login window and ends it with "退出".
    void runOnce(const std::function<ProgramProcess&()>& starting) {
        ProgramProcess& process = starting();
        clickInWindow(waitForLoginWindow(), place::kExitButton);
        EXPECT_TRUE(waitUntil([&] { return !process.running(); }));
        EXPECT_EQ(process.waitForExit(), 0);
    }
};

TEST_P(DesktopEntry, EveryStartWritesItAgainAndItStartsTheProgramInItsDirectory) {
    // A directory name with a blank and Chinese characters, as users have them.
    install(ProgramHome::Database::Initial, QStringLiteral("密码 工具"));
    const char* userDirsFolder = GetParam().userDirsFolder;
    if (userDirsFolder) home().useDesktopFolder(QString::fromUtf8(userDirsFolder));
    const QString entry = home().desktopDir() + u'/' + kEntryName;

    runOnce([&]() -> ProgramProcess& { return start(); });
    ASSERT_TRUE(QFileInfo(entry).isFile()) << entry.toStdString();
    EXPECT_TRUE(QFileInfo(entry).isExecutable());
    const QHash<QString, QString> keys = entryKeys(entry);
    EXPECT_EQ(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(keys.value(QStringLiteral("Name")), QStringLiteral("Tessavo个人版"));
    EXPECT_EQ(keys.value(QStringLiteral("Path")), home().appDir());
    const QString program = execProgram(keys.value(QStringLiteral("Exec")));
    EXPECT_EQ(program, home().executable()) << keys.value(QStringLiteral("Exec")).toStdString();
    // The program's own picture, written beside it.
    EXPECT_EQ(keys.value(QStringLiteral("Icon")), home().executable() + QStringLiteral(".png"));
    EXPECT_EQ(QImage(keys.value(QStringLiteral("Icon")), "PNG").size(), QSize(128, 128));
    const ProgramRun check = runProgram(QStringLiteral("desktop-file-validate"), {entry});
    EXPECT_EQ(check.exitCode, 0) << (check.standardOutput + check.standardError).toStdString();

    ASSERT_TRUE(QFile::remove(entry));
    runOnce([&]() -> ProgramProcess& { return startFrom(program, keys.value(QStringLiteral("Path"))); });
    EXPECT_TRUE(QFileInfo(entry).isFile()) << "the deleted entry came back";
    EXPECT_EQ(entryKeys(entry), keys);
    if (userDirsFolder) {
        EXPECT_FALSE(QFileInfo::exists(home().homeDir() + QStringLiteral("/Desktop/") + kEntryName));
    }
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, DesktopEntry,
                         testing::Values(DesktopFolder{"HomeDesktopFolder", nullptr},
                                         DesktopFolder{"XdgUserDirsFolder", "桌面"}),
                         [](const testing::TestParamInfo<DesktopFolder>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tessavo::test

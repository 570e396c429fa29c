// Records brought in by `tessavo-db import` while the program runs: after "刷新数据" they are in
// the grid, and the chosen one's password fills into another program by Ctrl+Right.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/RunProgram.h"

namespace tessavo::test {
namespace {

// "刷新数据" at the top right of the account page.
const QPoint kRefreshButton(333, 106);
// Enough rows that a click among the grid's first rows lands on one of them.
constexpr int kImportedRows = 12;

class ImportWhileRunning : public AutoFillDesktop {
protected:
    // A KeePassXC export: one group, the same account and password under different titles.
    QString writeExport(const QString& account, const QString& password) {
        QString text = QStringLiteral(
            "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last "
            "Modified\",\"Created\"\n");
        for (int row = 0; row < kImportedRows; ++row) {
            text += QStringLiteral(
                        "\"Root/导入测试\",\"site "
                        "%1\",\"%2\",\"%3\",\"https://example.org\",\"note\",\"\",\"0\",\"\",\"\"\n")
                        .arg(row)
                        .arg(account, password);
        }
        const QString path = QDir(home().homeDir()).filePath(QStringLiteral("keepassxc.csv"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
            ADD_FAILURE() << "cannot write " << path.toStdString();
        return path;
    }
};

TEST_F(ImportWhileRunning, AnImportedRecordIsShownAfterARefreshAndItsPasswordFills) {
    install();
    start();
    const XWindowId main = logIn();

    const ProgramRun import = runProgram(QString::fromUtf8(TESSAVO_BIN_DIR) + QStringLiteral("/tessavo-db"),
                                         {QStringLiteral("import"), home().appDir(),
                                          writeExport(QStringLiteral("importer"), QStringLiteral("Imp0rt.ed_pw"))});
    ASSERT_TRUE(import.finished);
    ASSERT_EQ(import.exitCode, 0) << import.standardError.constData();
    EXPECT_TRUE(import.standardOutput.startsWith("imported 12 (keepassxc), skipped 0 duplicates."))
        << import.standardOutput.constData();

    clickInWindow(main, kRefreshButton);
    chooseRecord(main);  // waits until the click on the grid has chosen a record
    startTarget();
    expectBothFilled(QStringLiteral("importer"), QStringLiteral("Imp0rt.ed_pw"));
    EXPECT_TRUE(home().shownBoxes().isEmpty()) << home().shownBoxes().join(u'\n').toStdString();
}

}  // namespace
}  // namespace tessavo::test

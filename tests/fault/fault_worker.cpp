// The program's own windows and handlers in a process that a fault test kills with SIGKILL at a
// moment of its choosing. The worker logs in over the given application directory (offscreen)
// and then works without pause, writing one line to standard output as soon as the program has
// reported a change as done (its success box), never earlier:
//   edits <appDir> <homeDir>        add a record, then modify the record numbered as the round:
//                                   "added <n>", "modified <n>"
//   compactions <appDir> <homeDir>  add a record, then compact ("压缩修复"):
//                                   "added <n>", "compacting <n>" (before the click), "compacted <n>"
//   protections <appDir> <homeDir> turn the protection by the management password "vorel" on and
//                                   off again, without windows: "protecting <n>", "protected <n>",
//                                   "unprotected <n>"
// Record n of the adds has the title "added-<n>"; the modify gives record n the title
// "modified-<n>". Any other box (an error) is written as "box <text>" and ends the worker with
// status 1. The worker ends by itself after kMaxRounds rounds or when its output is gone.
#include <signal.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "access/Unit_Login.h"
#include "app/Program.h"
#include "app/Unit1.h"
#include "maintenance/DatabaseProtection.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "store/ConnectionString.h"
#include "tests/support/OffscreenSession.h"
#include "tests/support/ProgramLogin.h"
#include "tests/support/QuietDialogs.h"
#include "tests/support/ScopedFake.h"

using namespace tessavo;

namespace {

constexpr int kMaxRounds = 100000;

// Writes one line at once, unbuffered: what the parent has read is what the program had done.
void say(const std::string& line) {
    const std::string text = line + '\n';
    if (write(STDOUT_FILENO, text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(0);
}

// Takes the success boxes of the handlers; an error box or an input query ends the worker.
class WorkerDialogs final : public test::QuietDialogs {
public:
    Answer show(const Box& box) override {
        if (box.icon == Icon::Error) fail(box.text);
        return QuietDialogs::show(box);
    }
    QString inputQuery(const QString&, const QString& prompt, const QString&) override { fail(prompt); }

    [[noreturn]] static void fail(const QString& text) {
        say("box " + text.toStdString());
        _exit(1);
    }
};

class Worker {
public:
    Worker(const QString& appDir, WorkerDialogs& dialogs) : program_(appDir), dialogs_(dialogs) {
        test::runLoginGateNow(program_);
        test::enterPasswordAndLogIn(program_);
        if (!program_.main().isVisible()) WorkerDialogs::fail(QStringLiteral("the login did not show the main window"));
    }

    void add(int round) {
        app::TForm1& main = program_.main();
        main.Edit_FenLei->setCurrentIndex(0);
        main.Edit_BiaoTi->setText(QStringLiteral("added-%1").arg(round));
        main.Edit_ZhangHao->setText(QStringLiteral("account-%1").arg(round));
        main.Edit_MiMa->setText(QStringLiteral("password-%1").arg(round));
        main.Memo_BeiZhu->setPlainText(QStringLiteral("notes of record %1").arg(round));
        click(main.Button1, u"添加成功.");
        say("added " + std::to_string(round));
    }

    void modify(int round) {
        app::TForm1& main = program_.main();
        chooseRecord(QString::number(round));
        main.Edit_BiaoTi->setText(QStringLiteral("modified-%1").arg(round));
        click(main.Button2, u"修改成功.");
        say("modified " + std::to_string(round));
    }

    void compact(int round) {
        say("compacting " + std::to_string(round));
        click(program_.main().Button11, u"数据库压缩完成.");
        say("compacted " + std::to_string(round));
    }

private:
    void click(QPushButton* button, const char16_t* success) {
        QTest::mouseClick(button, Qt::LeftButton);
        const QString shown = dialogs_.take();
        if (shown != QString::fromUtf16(success)) WorkerDialogs::fail(QStringLiteral("instead of success: ") + shown);
    }

    // A user's click on the grid row of the record with this number.
    void chooseRecord(const QString& number) {
        QTableView* grid = program_.main().DBGrid1;
        const QAbstractItemModel* model = grid->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex cell = model->index(row, 0);
            if (model->data(cell).toString() != number) continue;
            grid->scrollTo(cell);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
            if (program_.main().Edit_BianHao->text() == number) return;
            break;
        }
        WorkerDialogs::fail(QStringLiteral("no grid row of record ") + number);
    }

    app::Program program_;
    WorkerDialogs& dialogs_;
};

// Turns the protection on and off again, round after round, until it is killed.
int protectAndUnprotect(const QString& appDir) {
    const QString path = appDir + QString::fromUtf16(store::kDatabaseFileName);
    const QString fixed = QString::fromUtf16(store::kDatabasePassword);
    try {
        for (int round = 1; round <= kMaxRounds; ++round) {
            say("protecting " + std::to_string(round));
            const QString key = maintenance::protectDatabase(path, fixed, QStringLiteral("vorel"));
            say("protected " + std::to_string(round));
            maintenance::unprotectDatabase(path, key);
            say("unprotected " + std::to_string(round));
        }
    } catch (const std::exception& error) {
        say(std::string("box ") + error.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tessavo_fault_worker edits|compactions|protections <application directory> <home "
                     "directory>\n";
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "protections") return protectAndUnprotect(QString::fromLocal8Bit(argv[2]));
    if (mode != "edits" && mode != "compactions") return 2;
    signal(SIGPIPE, SIG_IGN);  // a parent that went away shows as a failed write
    test::isolateOffscreenSession(QByteArray(argv[3]));
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    test::ScopedFake<WorkerDialogs, platform::Dialogs> dialogs(&platform::installDialogs);
    Worker worker(QString::fromLocal8Bit(argv[2]), *dialogs);
    for (int round = 1; round <= kMaxRounds; ++round) {
        worker.add(round);
        if (mode == "edits")
            worker.modify(round);
        else
            worker.compact(round);
    }
    return 0;
}

// The process side of the start-up and memory figures. Each mode writes one line to standard
// output at the moment it measures, then ends at once:
//   start <appDir>      the program's start-up up to the login window shown    -> "shown"
//   login-rss <appDir>  the same, then the login with the default password     -> "rss <kB>"
//   bare <appDir>       a bare Qt process: Pass read raw, one window shown     -> "shown"
//   bare-rss <appDir>   the same                                               -> "rss <kB>"
// The program's part runs as app/main.cpp does, except that the login gate runs at once instead
// of one second later. Any message box ends the helper with status 1, since nobody could answer it.
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "access/Unit_Login.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "bench/RawDatabase.h"
#include "platform/base/AppInfo.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "platform/process/Hardening.h"
#include "platform/process/SingleInstance.h"
#include "store/ConnectionString.h"
#include "tests/support/ProgramLogin.h"
#include "tests/support/ScopedFake.h"

using namespace tessavo;

namespace {

class BoxesEndTheHelper : public platform::Dialogs {
public:
    Answer show(const Box& box) override { fail("box shown: " + box.text.toStdString()); }
    QString inputQuery(const QString&, const QString& prompt, const QString&) override {
        fail("input asked: " + prompt.toStdString());
    }
    void beep() override {}

private:
    [[noreturn]] static void fail(const std::string& text) {
        std::cerr << "tessavo_bench_process: " << text << '\n';
        _exit(1);
    }
};

// Writes the line the parent waits for and ends without tearing anything down: the figure is
// taken, and the kernel releases what the process holds.
[[noreturn]] void report(const std::string& line) {
    const std::string text = line + '\n';
    if (write(STDOUT_FILENO, text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(1);
    _exit(0);
}

std::string residentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::to_string(std::stol(line.substr(6)));
    return "0";
}

int runProgram(int argc, char** argv, const QString& appDir, bool logIn) {
    platform::hardenProcess();
    const platform::SingleInstance instance(applicationTitle());
    if (!instance.acquired()) return 3;
    QApplication app(argc, argv);
    app::prepareApplication(app);
    const test::ScopedFake<BoxesEndTheHelper, platform::Dialogs> dialogs(&platform::installDialogs);

    app::Program program(appDir);
    test::runLoginGateNow(program);
    if (!program.login().isVisible()) return 4;
    if (!logIn) report("shown");

    test::enterPasswordAndLogIn(program);
    QApplication::processEvents();
    if (!program.main().isVisible()) return 5;
    report("rss " + residentKilobytes());
}

int runBare(int argc, char** argv, const QString& appDir, bool memory) {
    QApplication app(argc, argv);
    bench::RawDatabase database(appDir + QString::fromUtf16(store::kDatabaseFileName));
    if (database.selectAll(QStringLiteral("Select 密码 from Pass")) != 1) return 4;
    QWidget window;
    window.resize(640, 480);
    window.show();
    QApplication::processEvents();
    report(memory ? "rss " + residentKilobytes() : std::string("shown"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tessavo_bench_process start|login-rss|bare|bare-rss <application directory>\n";
        return 2;
    }
    const std::string mode = argv[1];
    const QString appDir = QString::fromLocal8Bit(argv[2]);
    int qtArgc = 1;
    if (mode == "start" || mode == "login-rss") return runProgram(qtArgc, argv, appDir, mode == "login-rss");
    if (mode == "bare" || mode == "bare-rss") return runBare(qtArgc, argv, appDir, mode == "bare-rss");
    std::cerr << "unknown mode " << mode << '\n';
    return 2;
}

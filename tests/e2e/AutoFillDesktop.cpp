#include "tests/e2e/AutoFillDesktop.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/AnsiCodePage.h"
#include "tests/support/RunProgram.h"
#include "tests/support/WaitUntil.h"

// Xlib's macros come after every other header.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace tessavo::test {
namespace {

const QString kTargetTitle = QStringLiteral("autofill-target");
const QString kDatabaseKey = QStringLiteral("Pw4r-Lq9t-Zx");
const char* const kAccountKey = "40618253";
constexpr int kRecordCopies = 8;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

QProcessEnvironment environmentFor(const std::string& display) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

QString sqlText(const QString& text) {
    QString quoted = text;
    return quoted.replace(u'\'', QStringLiteral("''"));
}

}  // namespace

TargetProgram::TargetProgram(X11Desktop& desktop, const QProcessEnvironment& environment, const QString& outputPath)
    : desktop_(desktop), outputPath_(outputPath) {
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QString::fromUtf8(TESSAVO_AUTOFILL_TARGET), {outputPath_});
    if (!process_.waitForStarted()) fail("cannot start the target program");
    const auto window = desktop_.waitForShownWindow(kTargetTitle);
    if (!window) fail("the target program's window did not come up");
    window_ = *window;
}

TargetProgram::~TargetProgram() {
    process_.kill();
    process_.waitForFinished();
}

bool TargetProgram::focus() { return desktop_.focus(window_); }

QString TargetProgram::received() const {
    QFile file(outputPath_);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString TargetProgram::waitFor(const QString& expected) const {
    waitUntil([&] { return received() == expected; });
    return received();
}

void TargetProgram::clear() {
    desktop_.keys({QStringLiteral("Escape")});
    if (!waitUntil([&] { return received().isEmpty(); })) fail("the target's field did not empty");
}

HeldHotkey::HeldHotkey(const std::string& display, const char* keyName) : display_(XOpenDisplay(display.c_str())) {
    if (!display_) fail("cannot open the display");
    const KeyCode key = XKeysymToKeycode(display_, XStringToKeysym(keyName));
    XGrabKey(display_, key, ControlMask, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync);
    XSync(display_, False);
}

HeldHotkey::~HeldHotkey() { XCloseDisplay(display_); }

void AutoFillDesktop::TearDown() {
    target_.reset();
    EndToEnd::TearDown();
}

void AutoFillDesktop::storeRecord(const QString& account, const QString& password) {
    install();
    const QString cipher = QString::fromStdString(cipher::DesEncryptToHex(platform::toAnsi(password), kAccountKey));
    QString statements;
    for (int copy = 0; copy < kRecordCopies; ++copy) {
        statements += QStringLiteral(
                          "Insert into data (分类,标题,网址,帐号,密码,备注) values "
                          "('test','site %1','https://example.org','%2','%3','');\n")
                          .arg(QString::number(copy), sqlText(account), cipher);
    }
    home().runSql(statements);
}

void AutoFillDesktop::savePasteMode() {
    QFile config(home().appDir() + QStringLiteral("Config.ini"));
    if (!config.open(QIODevice::WriteOnly)) fail("cannot write Config.ini");
    const std::string text = platform::toAnsi(QStringLiteral("[软件配置]\r\n粘贴式=1\r\n非粘贴式=0\r\n"));
    config.write(text.data(), static_cast<qint64>(text.size()));
}

XWindowId AutoFillDesktop::startAndChooseRecord() {
    start();
    const XWindowId main = logIn();
    chooseRecord(main);
    return main;
}

bool AutoFillDesktop::recordChosen() {
    // A click on the grid raises the record's use counter: once it shows, the editor holds it.
    // The shell reads a copy: its read lock on the file itself would make the program's update
    // fail with "database is locked" when the two meet.
    const QString copy = QDir(home().homeDir()).filePath(QStringLiteral("chosen-check.udb"));
    QFile::remove(copy);
    if (!QFile::copy(home().databasePath(), copy)) return false;
    const QString script = QStringLiteral("PRAGMA key='%1';\nselect sum(统计) from data;\n").arg(kDatabaseKey);
    const ProgramRun shell = runProgram(QStringLiteral("sqlcipher"), {"-batch", copy}, script.toUtf8());
    const QList<QByteArray> lines = shell.standardOutput.trimmed().split('\n');
    return shell.exitCode == 0 && !lines.isEmpty() && lines.last().trimmed().toLongLong() > 0;
}

void AutoFillDesktop::chooseRecord(XWindowId main) {
    clickInWindow(main, fillPlace::kGridRows);
    if (!waitUntil([this] { return recordChosen(); })) fail("the click on the grid chose no record");
}

TargetProgram& AutoFillDesktop::startTarget() { return startTarget(home().environment(xvfb().display())); }

TargetProgram& AutoFillDesktop::startTarget(const QProcessEnvironment& environment) {
    target_.reset();  // one window of that title at a time
    target_ = std::make_unique<TargetProgram>(desktop(), environment,
                                              QDir(home().homeDir()).filePath(QStringLiteral("target.txt")));
    if (!target_->focus()) fail("the target program does not take the keyboard focus");
    return *target_;
}

void AutoFillDesktop::expectBothFilled(const QString& account, const QString& password) {
    press("ctrl+Left");
    EXPECT_EQ(target_->waitFor(account), account) << "by Ctrl+Left";
    target_->clear();
    press("ctrl+Right");
    EXPECT_EQ(target_->waitFor(password), password) << "by Ctrl+Right";
}

void AutoFillDesktop::useLayout(const char* layout) {
    if (xvfb().run({"setxkbmap", layout}) != 0) fail(std::string("setxkbmap ") + layout + " failed");
}

void AutoFillDesktop::press(const char* keys) { desktop().keys({QString::fromLatin1(keys)}); }

QString AutoFillDesktop::clipboardText(const char* selection) {
    QProcess xclip;
    xclip.setProcessEnvironment(environmentFor(xvfb().display()));
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-o"), QStringLiteral("-selection"), QString::fromLatin1(selection)});
    if (!xclip.waitForFinished(int(kPatience.count()))) fail("xclip -o did not end");
    return xclip.exitCode() == 0 ? QString::fromUtf8(xclip.readAllStandardOutput()) : QString();
}

void AutoFillDesktop::copyElsewhere(const QString& text, const char* selection) {
    QProcess xclip;
    xclip.setProcessEnvironment(environmentFor(xvfb().display()));
    // xclip reads the text, then leaves a process of its own behind to hand it out.
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-i"), QStringLiteral("-selection"), QString::fromLatin1(selection)});
    xclip.write(text.toUtf8());
    xclip.closeWriteChannel();
    if (!xclip.waitForFinished(int(kPatience.count()))) fail("xclip -i did not end");
    if (!waitUntil([&] { return clipboardText(selection) == text; })) fail("the other program's copy did not arrive");
}

bool AutoFillDesktop::capsLockOn() {
    Display* display = XOpenDisplay(xvfb().display().c_str());
    if (!display) fail("cannot open the display");
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    XCloseDisplay(display);
    return state.locked_mods & LockMask;
}

void AutoFillDesktop::switchOffAutoRepeat() {
    Display* display = XOpenDisplay(xvfb().display().c_str());
    if (!display) fail("cannot open the display");
    XKeyboardControl control{};
    control.auto_repeat_mode = AutoRepeatModeOff;
    XChangeKeyboardControl(display, KBAutoRepeatMode, &control);
    XCloseDisplay(display);
}

void AutoFillDesktop::xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    if (xvfb().run(command) != 0) fail("xdotool failed");
}

void AutoFillDesktop::answerBoxTitled(const QString& title) {
    const auto box = desktop().waitForShownWindow(title);
    if (!box) fail("no box titled " + title.toStdString() + " came up");
    answerBox(*box);
}

}  // namespace tessavo::test

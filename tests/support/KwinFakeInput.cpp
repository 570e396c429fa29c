#include "tests/support/KwinFakeInput.h"

#include <stdexcept>

#include "tests/support/SessionUser.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

// An xkb key number is the kernel's plus 8.
constexpr int kXkbOffset = 8;

}  // namespace

KwinFakeInput::KwinFakeInput(const QString& waylandSocket) {
    tool_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QStringList command = asSessionUser({QStringLiteral(TESSAVO_KWIN_FAKE_INPUT), waylandSocket});
    tool_.start(command.front(), command.mid(1));
    if (!awaitLine("ready")) throw std::runtime_error("KWin offers no fake input here");
}

KwinFakeInput::~KwinFakeInput() {
    tool_.closeWriteChannel();
    if (!tool_.waitForFinished(static_cast<int>(kPatience.count()))) tool_.kill();
}

bool KwinFakeInput::awaitLine(const QByteArray& expected) {
    while (!tool_.canReadLine()) {
        if (tool_.state() == QProcess::NotRunning || !tool_.waitForReadyRead(static_cast<int>(kPatience.count())))
            return false;
    }
    return tool_.readLine().trimmed() == expected;
}

void KwinFakeInput::send(const QString& line) {
    tool_.write(line.toLatin1() + '\n');
    tool_.waitForBytesWritten();
}

void KwinFakeInput::click(QPoint at) {
    send(QStringLiteral("click %1 %2").arg(at.x()).arg(at.y()));
    roundTrip();
}

void KwinFakeInput::key(platform::KeyNumber key, bool press) {
    send(QStringLiteral("key %1 %2").arg(int(key) - kXkbOffset).arg(press ? 1 : 0));
}

void KwinFakeInput::roundTrip() {
    send(QStringLiteral("sync"));
    if (!awaitLine("ok")) throw std::runtime_error("KWin's fake input does not answer");
}

void KwinFakeInput::flush() {}

}  // namespace tessavo::test

// The running instance's socket for later starts, over real local sockets: only the user
// reaches it, a request arrives once, and nothing else is ever taken for one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "platform/process/InstanceMessages.h"

namespace tessavo::platform {
namespace {

class InstanceListenerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(directory_.isValid());
        ASSERT_TRUE(listener_.listen(path_));
    }

    // Sends raw bytes on a connection of their own and closes it.
    void sendRaw(const QByteArray& bytes) {
        QLocalSocket socket;
        socket.connectToServer(path_);
        ASSERT_TRUE(socket.waitForConnected(3000));
        socket.write(bytes);
        ASSERT_TRUE(socket.waitForBytesWritten(3000));
        socket.disconnectFromServer();
    }

    QTemporaryDir directory_;
    const QString path_ = directory_.filePath(QStringLiteral("Tessavo个人版.socket"));
    InstanceListener listener_;
    QSignalSpy received_{&listener_, &InstanceListener::commandReceived};
};

TEST_F(InstanceListenerTest, OnlyTheUserMayReachTheSocket) {
    struct stat status {};
    ASSERT_EQ(::lstat(QFile::encodeName(path_).constData(), &status), 0);
    EXPECT_TRUE(S_ISSOCK(status.st_mode));
    EXPECT_EQ(status.st_mode & (S_IRWXG | S_IRWXO), 0u);
}

TEST_F(InstanceListenerTest, ALaterStartsRequestArrivesOnce) {
    ASSERT_TRUE(sendInstanceCommand(path_, InstanceCommand::Show));
    ASSERT_TRUE(received_.wait(5000));
    EXPECT_EQ(received_.takeFirst().value(0).value<InstanceCommand>(), InstanceCommand::Show);
    EXPECT_TRUE(sendInstanceCommand(path_, InstanceCommand::Show)) << "the socket takes the next one too";
    EXPECT_TRUE(received_.wait(5000));
}

// Each bad connection comes before a good one: only the good one's request arrives.
TEST_F(InstanceListenerTest, BadRequestsAreDropped) {
    const QByteArray bad[] = {
        "tessavo/1 dance\n",   "tessavo/2 show\n",
        "tessavo/1 show",      "tessavo/1 show\ntessavo/1 show\n",
        QByteArray(4096, 's'), QByteArray(100, 's') + "\ntessavo/1 show\n",
    };
    for (const QByteArray& bytes : bad) {
        sendRaw(bytes);
        ASSERT_TRUE(sendInstanceCommand(path_, InstanceCommand::Show));
        ASSERT_TRUE(received_.wait(5000)) << bytes.left(40).toStdString();
        EXPECT_EQ(received_.size(), 1) << bytes.left(40).toStdString();
        received_.clear();
    }
}

TEST_F(InstanceListenerTest, ASocketFileAlreadyThereIsReplaced) {
    InstanceListener next;
    QSignalSpy nextReceived(&next, &InstanceListener::commandReceived);
    ASSERT_TRUE(next.listen(path_));
    ASSERT_TRUE(sendInstanceCommand(path_, InstanceCommand::Show));
    EXPECT_TRUE(nextReceived.wait(5000));
}

TEST(InstanceCommandSending, WithoutARunningInstanceFailsQuietly) {
    QTemporaryDir directory;
    EXPECT_FALSE(sendInstanceCommand(directory.filePath(QStringLiteral("none.socket")), InstanceCommand::Show, 500));
    EXPECT_FALSE(sendInstanceCommand(QString(), InstanceCommand::Show, 500));
}

}  // namespace
}  // namespace tessavo::platform

// The running instance's socket for later starts, over real local sockets: only the user
// reaches it, a request arrives once, and nothing else is ever taken for one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/base/UniqueFd.h"
#include "platform/process/InstanceMessages.h"
#include "tests/support/WaitUntil.h"

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

// Lowers the soft limit of open descriptors so that exactly `free` more can be opened, and puts
// it back when it goes.
class DescriptorLimit {
public:
    explicit DescriptorLimit(int free) {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        int end = 0;
        for (int found = 0; found < free; ++end) {
            if (::fcntl(end, F_GETFD) == -1 && errno == EBADF) ++found;
        }
        rlimit lowered = saved_;
        lowered.rlim_cur = static_cast<rlim_t>(end);
        lowered_ = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;

    bool lowered() const { return lowered_; }

private:
    rlimit saved_{};
    bool lowered_ = false;
};

int openDescriptors() {
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// A connection to the socket at `path`, not waited for; none when the socket's queue is full or
// no descriptor is left.
UniqueFd connection(const QString& path) {
    UniqueFd client(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    if (client.valid() && ::connect(client.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        client.reset();
    return client;
}

// Rounds of the event loop, each handling whatever is ready: a socket watched while readable
// wakes its listener in every round.
void runEventRounds(int rounds) {
    for (int i = 0; i < rounds; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

struct FloodCase {
    const char* name;
    int freeDescriptors;  // besides one held in reserve
};

class InstanceListenerFlood : public InstanceListenerTest, public testing::WithParamInterface<FloodCase> {};

// Connections are opened, each taken in by the listener as it comes, until the socket's queue or
// the descriptors run out; then one more comes on a descriptor the test frees. The listener
// neither holds more than its bound of them, nor wakes round after round while it cannot take
// the next, and once the flood closes it takes a later start's request again.
TEST_P(InstanceListenerFlood, NeitherSpinsNorStopsServing) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' runtime opens a pipe to tell whether memory can be read; with no descriptor
    // left it takes every object for unreadable and reports a false type fault. The normal build
    // runs these cases.
    if (GetParam().freeDescriptors < 16) GTEST_SKIP() << "the sanitizer runtime needs descriptors of its own";
#endif
    constexpr int kFlood = 100;
    constexpr int kRounds = 100;
    auto* listening =
        listener_.findChild<QSocketNotifier*>(QStringLiteral("listening socket"), Qt::FindDirectChildrenOnly);
    ASSERT_NE(listening, nullptr);
    int wakes = 0;
    QObject::connect(listening, &QSocketNotifier::activated, [&wakes] { ++wakes; });

    const int before = openDescriptors();
    std::vector<UniqueFd> clients;
    {
        UniqueFd reserve(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        ASSERT_TRUE(reserve.valid());
        const DescriptorLimit limit(GetParam().freeDescriptors);
        ASSERT_TRUE(limit.lowered());
        while (static_cast<int>(clients.size()) < kFlood) {
            UniqueFd client = connection(path_);
            if (!client.valid()) break;
            clients.push_back(std::move(client));
            runEventRounds(3);
        }
        reserve.reset();
        if (UniqueFd last = connection(path_); last.valid()) clients.push_back(std::move(last));
        runEventRounds(3);
        wakes = 0;
        runEventRounds(kRounds);
        EXPECT_LT(wakes, kRounds / 10) << "the listener wakes while it cannot take a connection";
    }
    // Counted before the reserve was opened; the directory listing's own descriptor counts on both sides.
    const int listenersDescriptors = openDescriptors() - before - static_cast<int>(clients.size());
    EXPECT_LE(listenersDescriptors, kMaxInstanceConnections) << "of " << clients.size() << " connections";

    // Once the flood is gone, the listener drains the socket's queue; a later start finds room.
    clients.clear();
    ASSERT_TRUE(test::waitUntil([this] {
        runEventRounds(3);
        return connection(path_).valid();
    }));
    ASSERT_TRUE(sendInstanceCommand(path_, InstanceCommand::Show));
    ASSERT_TRUE(received_.wait(static_cast<int>(test::kPatience.count())));
    EXPECT_EQ(received_.takeFirst().value(0).value<InstanceCommand>(), InstanceCommand::Show);
}

INSTANTIATE_TEST_SUITE_P(Cases, InstanceListenerFlood,
                         testing::Values(FloodCase{"manyDescriptors", 400}, FloodCase{"fewDescriptors", 8},
                                         FloodCase{"noDescriptorForTheFirst", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InstanceCommandSending, WithoutARunningInstanceFailsQuietly) {
    QTemporaryDir directory;
    EXPECT_FALSE(sendInstanceCommand(directory.filePath(QStringLiteral("none.socket")), InstanceCommand::Show, 500));
    EXPECT_FALSE(sendInstanceCommand(QString(), InstanceCommand::Show, 500));
}

}  // namespace
}  // namespace tessavo::platform

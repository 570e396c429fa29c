// The requests a later start sends the running instance: one line each, read strictly.
#include <gtest/gtest.h>

#include <QByteArray>
#include <utility>

#include "platform/process/InstanceMessages.h"
#include "platform/process/SingleInstance.h"

namespace tessavo::platform {
namespace {

TEST(InstanceMessages, EachRequestIsOneLineAndReadsBack) {
    const std::pair<InstanceCommand, QByteArray> requests[] = {
        {InstanceCommand::Show, "tessavo/1 show\n"},
        {InstanceCommand::FillAccount, "tessavo/1 fill account\n"},
        {InstanceCommand::FillPassword, "tessavo/1 fill password\n"},
    };
    for (const auto& [command, line] : requests) {
        EXPECT_EQ(instanceMessage(command), line);
        EXPECT_EQ(parseInstanceMessage(line), command) << line.toStdString();
    }
}

TEST(InstanceMessages, AnythingElseIsNoRequest) {
    const QByteArray rejected[] = {
        "",
        "\n",
        "tessavo/1 show",                    // no line end
        "tessavo/1 show\r\n",                // another line end
        "tessavo/1 show\ntessavo/1 show\n",  // two requests
        "tessavo/1 show \n",
        "tessavo/1  show\n",
        "tessavo/1 SHOW\n",
        "tessavo/2 show\n",  // a later protocol
        "tessavo/1 fill\n",  // a fill names its field
        "tessavo/1 fill note\n",
        "tessavo/1 fill  password\n",
        "tessavo/1 fill password \n",
        "tessavo/1 fill Password\n",
        "tessavo/1 fill account password\n",
        "tessavo/1 fillaccount\n",
        "tessavo/1 fill password\nshow\n",
        "tessavo/1 fill-password\n",
        "tessavo/1 dance\n",
        QByteArray("tessavo/1 show\0\n", 16),
        QByteArray("tessavo/1 show\n") + QByteArray(100, 'x'),
        QByteArray(200, 'a') + '\n',
    };
    for (const QByteArray& message : rejected) {
        EXPECT_FALSE(parseInstanceMessage(message).has_value()) << message.toStdString();
    }
}

TEST(InstanceMessages, TheSocketLiesBesideTheLock) {
    const SingleInstance instance(QStringLiteral("Tessavo个人版"), QStringLiteral("/nonexistent/run"));
    EXPECT_EQ(instance.lockFilePath(), QStringLiteral("/nonexistent/run/Tessavo个人版.lock"));
    EXPECT_EQ(instance.socketPath(), QStringLiteral("/nonexistent/run/Tessavo个人版.socket"));
    EXPECT_TRUE(SingleInstance(QStringLiteral("x"), QString()).socketPath().isEmpty());
}

}  // namespace
}  // namespace tessavo::platform

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "platform/base/Wipe.h"

namespace tessavo::platform {
namespace {

template <typename Buffer>
bool allZero(const Buffer& buffer) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    const auto size = static_cast<std::size_t>(buffer.size()) * sizeof(*buffer.data());
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

TEST(Wipe, EveryKindOfSecretBufferIsZeroedInFullAndKeepsItsSize) {
    std::string bytes = "vorel-密码";
    QByteArray qbytes("management password");
    QString text = QStringLiteral("帐号 and notes");
    std::array<std::uint8_t, 8> block{1, 2, 3, 4, 5, 6, 7, 8};

    wipe(bytes);
    wipe(qbytes);
    wipe(text);
    wipe(block);

    EXPECT_EQ(bytes.size(), std::string("vorel-密码").size());
    EXPECT_TRUE(allZero(bytes));
    EXPECT_EQ(qbytes.size(), 19);
    EXPECT_TRUE(allZero(qbytes));
    EXPECT_EQ(text.size(), 12);
    EXPECT_TRUE(allZero(text));
    EXPECT_TRUE(allZero(block));
}

TEST(Wipe, AScopedWipeZeroesTheValueWhenItsScopeEndsAndNotBefore) {
    std::array<std::uint8_t, 8> key{0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    {
        const WipeOnExit wipeKey(key);
        EXPECT_EQ(key[0], 0x13);
    }
    EXPECT_TRUE(allZero(key));
}

}  // namespace
}  // namespace tessavo::platform

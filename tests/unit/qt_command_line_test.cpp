// What Qt is told at start: the program's name, and the X11 platform unless the user chose one.
#include <gtest/gtest.h>

#include <QStringList>
#include <optional>

#include "app/Startup.h"
#include "tests/support/ScopedEnvironment.h"

namespace tessavo {
namespace {

struct PlatformChoice {
    const char* name;
    std::optional<QByteArray> environment;  // QT_QPA_PLATFORM; nullopt: not set
    QStringList expected;
};

void PrintTo(const PlatformChoice& choice, std::ostream* out) { *out << choice.name; }

class QtCommandLineTest : public testing::TestWithParam<PlatformChoice> {};

TEST_P(QtCommandLineTest, CarriesTheProgramNameAndThePlatformOnly) {
    const test::ScopedEnvironment platform("QT_QPA_PLATFORM", GetParam().environment);
    app::QtCommandLine line("/opt/密码/tessavo");
    EXPECT_EQ(line.arguments(), GetParam().expected);
    ASSERT_EQ(line.argc(), GetParam().expected.size());
    for (int at = 0; at < line.argc(); ++at)
        EXPECT_EQ(QString::fromLocal8Bit(line.argv()[at]), GetParam().expected[at]);
    EXPECT_EQ(line.argv()[line.argc()], nullptr) << "argv ends with a null pointer";
}

const QString kProgram = QStringLiteral("/opt/密码/tessavo");

INSTANTIATE_TEST_SUITE_P(Platforms, QtCommandLineTest,
                         testing::Values(PlatformChoice{"Unset", std::nullopt, {kProgram, "-platform", "xcb"}},
                                         PlatformChoice{"Empty", QByteArray(), {kProgram, "-platform", "xcb"}},
                                         PlatformChoice{"UsersWayland", QByteArray("wayland"), {kProgram}},
                                         PlatformChoice{"UsersOffscreen", QByteArray("offscreen"), {kProgram}}),
                         [](const testing::TestParamInfo<PlatformChoice>& info) {
                             return std::string(info.param.name);
                         });

TEST(QtCommandLine, WithoutAProgramNameUsesTheProgramsOwn) {
    const test::ScopedEnvironment platform("QT_QPA_PLATFORM", QByteArray("xcb"));
    app::QtCommandLine line(nullptr);
    EXPECT_EQ(line.arguments(), QStringList{QStringLiteral("tessavo")});
}

}  // namespace
}  // namespace tessavo

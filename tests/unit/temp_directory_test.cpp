#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "maintenance/Unit_DB.h"
#include "tests/support/ScopedEnvironment.h"

using tessavo::maintenance::GetTempDirectory;
using tessavo::test::ScopedEnvironment;

namespace {

TEST(GetTempDirectory, EndsInOneSeparator) {
    QTemporaryDir dir;
    const QByteArray path = dir.path().toUtf8();
    for (const QByteArray& tmpdir : {path, path + "/"}) {
        const ScopedEnvironment temp("TMPDIR", tmpdir);
        EXPECT_EQ(GetTempDirectory(), dir.path() + u'/') << tmpdir.toStdString();
    }
}

TEST(GetTempDirectory, DefaultsToTheSystemsTemporaryDirectory) {
    const ScopedEnvironment temp("TMPDIR", std::nullopt);
    EXPECT_EQ(GetTempDirectory(), QStringLiteral("/tmp/"));
}

}  // namespace

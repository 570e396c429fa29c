// Where the compaction builds its copy: beside the database file, whatever the temporary
// directory of the session is.
#include <gtest/gtest.h>

#include <QDir>

#include "maintenance/Unit_DB.h"
#include "tests/support/ScopedEnvironment.h"

using tessavo::maintenance::GetTempDirectory;
using tessavo::test::ScopedEnvironment;

namespace {

struct DirectoryCase {
    const char* name;
    const char* databasePath;
    const char* directory;  // relative paths are taken from the working directory
};

class CopyDirectory : public testing::TestWithParam<DirectoryCase> {};

TEST_P(CopyDirectory, IsTheDatabaseFilesOwnDirectoryWithOneSeparator) {
    const DirectoryCase& c = GetParam();
    const ScopedEnvironment temp("TMPDIR", QByteArray("/var/tmp"));
    const QString expected = QDir::isAbsolutePath(QString::fromUtf8(c.directory))
                                 ? QString::fromUtf8(c.directory)
                                 : QDir::currentPath() + u'/' + QString::fromUtf8(c.directory);
    EXPECT_EQ(GetTempDirectory(QString::fromUtf8(c.databasePath)), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyDirectory,
                         testing::Values(DirectoryCase{"home", "/home/用户/Tessavo/_.udb", "/home/用户/Tessavo/"},
                                         DirectoryCase{"doubledSeparator", "/opt/Tessavo//_.udb", "/opt/Tessavo/"},
                                         DirectoryCase{"root", "/_.udb", "/"},
                                         DirectoryCase{"relative", "portable/_.udb", "portable/"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The checks of the management password change, in their order, and the statement that
// stores the new password.
#include <gtest/gtest.h>

#include "access/LoginState.h"
#include "access/PasswordChange.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::access {
namespace {

using Check = PasswordChange::Check;

struct CheckCase {
    const char* name;
    const char* oldPassword;
    const char* newPassword;
    const char* confirmation;
    Check expected;
    const char* message;
};

class PasswordChangeChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(PasswordChangeChecks, StopAtTheFirstFailureWithItsMessage) {
    const CheckCase& c = GetParam();
    const PasswordChange change(QString::fromUtf8(c.oldPassword), QString::fromUtf8(c.newPassword),
                                QString::fromUtf8(c.confirmation));
    const Check check = change.check(loginCipherOf(QStringLiteral("vorel")));
    EXPECT_EQ(check, c.expected);
    EXPECT_EQ(PasswordChange::messageFor(check), QString::fromUtf8(c.message));
    EXPECT_EQ(PasswordChange::clearsNewEntries(check), c.expected == Check::EntriesDiffer);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordChangeChecks,
    testing::Values(
        // A wrong old password wins over every other entry.
        CheckCase{"wrongOld", "Vorel", "abc", "xyz", Check::WrongOldPassword, "原始密码错误!"},
        CheckCase{"emptyOld", "", "", "", Check::WrongOldPassword, "原始密码错误!"},
        CheckCase{"oldWithBlank", "vorel ", "new1", "new1", Check::WrongOldPassword, "原始密码错误!"},
        // The current password again, even with another confirmation.
        CheckCase{"newIsCurrent", "vorel", "vorel", "other", Check::NewPasswordIsCurrent, "请输入新的密码."},
        CheckCase{"newMissing", "vorel", "", "abc", Check::NewPasswordMissing, "请填写密码."},
        CheckCase{"confirmationMissing", "vorel", "abc", "", Check::ConfirmationMissing, "请填写确认密码."},
        CheckCase{"differ", "vorel", "abc", "abd", Check::EntriesDiffer, "两次输入的密码不相同."},
        CheckCase{"differInCase", "vorel", "abc", "ABC", Check::EntriesDiffer, "两次输入的密码不相同."},
        CheckCase{"passed", "vorel", "New2Pass", "New2Pass", Check::Passed, ""}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(PasswordChange, TheOldPasswordIsCheckedAgainstTheGivenCipherOnly) {
    const PasswordChange change(QStringLiteral("secret9"), QStringLiteral("n"), QStringLiteral("n"));
    EXPECT_EQ(change.check(access::loginCipherOf(QStringLiteral("secret9"))), Check::Passed);
    EXPECT_EQ(change.check(access::loginCipherOf(QStringLiteral("vorel"))), Check::WrongOldPassword);
}

TEST(PasswordChange, TheDoneMessage) {
    EXPECT_EQ(PasswordChange::doneMessage(), QStringLiteral("密码设置成功,请重新登录Tessavo."));
}

TEST(PasswordChange, TheStatementWritesTheNewCipherIntoEveryRowOfPass) {
    const test::TempAppDir app;
    app.openDatabase().execute(QStringLiteral("INSERT INTO Pass (密码) VALUES ('second row');"));
    const PasswordChange change(QStringLiteral("vorel"), QStringLiteral("Neu7"), QStringLiteral("Neu7"));
    const QString statement = change.statement();
    EXPECT_TRUE(statement.startsWith(QStringLiteral("update Pass  set 密码='"))) << statement.toStdString();
    EXPECT_TRUE(statement.endsWith(QStringLiteral("' "))) << statement.toStdString();

    store::Connection connection(app.connectionString());
    store::Query query(connection);
    query.setSql(statement);
    EXPECT_EQ(query.execute(), 2);
    query.setSql(store::sql::readManagementPassword());
    query.open();
    ASSERT_EQ(query.recordCount(), 2);
    for (; !query.eof(); query.next())
        EXPECT_EQ(query.fieldByName(QStringLiteral("密码")), loginCipherOf(QStringLiteral("Neu7")));
}

}  // namespace
}  // namespace tessavo::access

#include "access/PasswordChange.h"

#include <utility>

#include "access/LoginState.h"
#include "store/Statements.h"

namespace tessavo::access {

PasswordChange::PasswordChange(QString oldPassword, QString newPassword, QString confirmation)
    : oldPassword_(std::move(oldPassword)),
      newPassword_(std::move(newPassword)),
      confirmation_(std::move(confirmation)) {}

PasswordChange::Check PasswordChange::check(const QString& storedCipher) const {
    if (loginCipherOf(oldPassword_) != storedCipher) return Check::WrongOldPassword;
    // Compared in encrypted form, as the login gate compares.
    if (loginCipherOf(newPassword_) == storedCipher) return Check::NewPasswordIsCurrent;
    if (newPassword_.isEmpty()) return Check::NewPasswordMissing;
    if (confirmation_.isEmpty()) return Check::ConfirmationMissing;
    if (newPassword_ != confirmation_) return Check::EntriesDiffer;
    return Check::Passed;
}

QString PasswordChange::messageFor(Check check) {
    switch (check) {
        case Check::Passed:
            break;
        case Check::WrongOldPassword:
            return QStringLiteral("原始密码错误!");
        case Check::NewPasswordIsCurrent:
            return QStringLiteral("请输入新的密码.");
        case Check::NewPasswordMissing:
            return QStringLiteral("请填写密码.");
        case Check::ConfirmationMissing:
            return QStringLiteral("请填写确认密码.");
        case Check::EntriesDiffer:
            return QStringLiteral("两次输入的密码不相同.");
    }
    return {};
}

QString PasswordChange::statement() const { return store::sql::writeManagementPassword(loginCipherOf(confirmation_)); }

QString PasswordChange::doneMessage() { return QStringLiteral("密码设置成功,请重新登录Tessavo."); }

}  // namespace tessavo::access

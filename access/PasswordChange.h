#pragma once

#include <QString>

namespace tessavo::access {

// The change of the management password on the settings page, without the window: the checks
// of the three entries in the order the user is told about them, and the statement that
// stores the new password. The old password is checked against the cipher text the last login
// gate read (StoredLoginCipher), never against a decrypted password.
class PasswordChange {
public:
    // The checks, in the order they run; the first that fails ends the change.
    enum class Check {
        Passed,
        WrongOldPassword,      // "原始密码错误!"
        NewPasswordIsCurrent,  // "请输入新的密码."
        NewPasswordMissing,    // "请填写密码."
        ConfirmationMissing,   // "请填写确认密码."
        EntriesDiffer,         // "两次输入的密码不相同.", and both new entries are emptied
    };

    PasswordChange(QString oldPassword, QString newPassword, QString confirmation);

    // The first failing check against the stored cipher text, or Passed.
    Check check(const QString& storedCipher) const;

    // The message of a failed check; empty for Passed.
    static QString messageFor(Check check);
    // A mismatch of the two new entries empties both of them; the old password stays.
    static bool clearsNewEntries(Check check) { return check == Check::EntriesDiffer; }

    // "update Pass  set 密码='" + cipher of the confirmation + "' ": every row of table Pass.
    QString statement() const;
    // "密码设置成功,请重新登录Tessavo."
    static QString doneMessage();

private:
    QString oldPassword_;
    QString newPassword_;
    QString confirmation_;
};

}  // namespace tessavo::access

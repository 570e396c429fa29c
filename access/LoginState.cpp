#include "access/LoginState.h"

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/AnsiCodePage.h"

namespace tessavo::access {

QString& StoredLoginCipher() {
    static QString cipher;
    return cipher;
}

QString loginCipherOf(const QString& password) {
    return QString::fromLatin1(cipher::DesEncryptToHex(platform::toAnsi(password), cipher::LoginKey()));
}

}  // namespace tessavo::access

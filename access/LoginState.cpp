#include "access/LoginState.h"

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/AnsiCodePage.h"

namespace tessavo {

QString& StoredLoginCipher() {
    static QString cipher;
    return cipher;
}

QString LoginCipherOf(const QString& password) {
    return QString::fromLatin1(DesEncryptToHex(platform::toAnsi(password), LoginKey()));
}

}  // namespace tessavo

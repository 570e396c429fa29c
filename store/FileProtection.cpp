#include "store/FileProtection.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <algorithm>
#include <cstring>
#include <string>

#include "cipher/Argon2Key.h"
#include "platform/base/Error.h"
#include "platform/base/Wipe.h"
#include "platform/files/WholeFile.h"

namespace tessavo::store {
namespace {

constexpr std::size_t kRandomPart = 8;

// The mark's hash of the salt's random part; its label names the key derivation's parameters.
QByteArray markOf(const unsigned char* random) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView("Tessavo protected file: Argon2id t=6 m=64MiB p=1"));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(random), kRandomPart));
    return hash.result().first(static_cast<qsizetype>(FileSalt().size() - kRandomPart));
}

// Appends in place: the text has room reserved, so no copy of the key is left behind.
void appendHex(QString& text, const unsigned char* bytes, std::size_t size) {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (std::size_t i = 0; i < size; ++i) {
        text += QChar(kDigits[bytes[i] >> 4]);
        text += QChar(kDigits[bytes[i] & 0x0F]);
    }
}

}  // namespace

FileSalt newProtectedSalt() {
    FileSalt salt{};
    QRandomGenerator::system()->generate(salt.begin(), salt.begin() + kRandomPart);
    const QByteArray mark = markOf(salt.data());
    std::copy(mark.begin(), mark.end(), salt.begin() + kRandomPart);
    return salt;
}

bool isProtectedSalt(const FileSalt& salt) {
    const QByteArray mark = markOf(salt.data());
    return std::memcmp(mark.constData(), salt.data() + kRandomPart, salt.size() - kRandomPart) == 0;
}

std::optional<FileSalt> readFileSalt(const QString& path) {
    const std::string head = platform::readFileHead(path, FileSalt().size());
    if (head.size() != FileSalt().size()) return std::nullopt;
    FileSalt salt{};
    std::copy(head.begin(), head.end(), salt.begin());
    return salt;
}

bool isProtectedFile(const QString& path) {
    const std::optional<FileSalt> salt = readFileSalt(path);
    return salt && isProtectedSalt(*salt);
}

QString protectedFileKey(const QString& password, const FileSalt& salt) {
    QByteArray bytes = password.toUtf8();
    std::optional<cipher::RawKey> key = cipher::deriveArgon2idKey(std::string_view(bytes.data(), bytes.size()), salt);
    platform::wipe(bytes);
    if (!key) throw Error(QStringLiteral("The key of the database file cannot be derived (out of memory)."));
    QString text;
    text.reserve(static_cast<qsizetype>(3 + 2 * (key->size() + salt.size())));
    text += QStringLiteral("x'");
    appendHex(text, key->data(), key->size());
    appendHex(text, salt.data(), salt.size());
    text += u'\'';
    platform::wipe(*key);
    return text;
}

QString protectedFileKey(const QString& password, const QString& path) {
    const std::optional<FileSalt> salt = readFileSalt(path);
    if (!salt) throw Error(QStringLiteral("The database file cannot be read."));
    return protectedFileKey(password, *salt);
}

void wipeText(QString& text) {
    if (text.isEmpty()) return;
    platform::wipe(text);  // a shared buffer is detached first: the other holders keep theirs
    text.clear();
}

}  // namespace tessavo::store

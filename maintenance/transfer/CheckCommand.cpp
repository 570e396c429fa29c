#include "maintenance/transfer/CheckCommand.h"

#include <algorithm>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "maintenance/transfer/AccountDatabase.h"
#include "platform/base/AnsiCodePage.h"
#include "store/Query.h"
#include "store/Statements.h"

namespace tessavo::maintenance::transfer {
namespace {

constexpr int kDigitsPerBlock = 16;

bool decryptsToText(const QString& cipher, const std::string& key) {
    const std::string bytes = cipher::DesDecryptFromHex(cipher.toStdString(), key);
    return platform::toAnsi(platform::fromAnsi(bytes)) == bytes;
}

// Empty when the secret is sound, else why not.
QString secretFault(const QString& cipher, const std::string& key) {
    if (!isWellFormedCipher(cipher)) return QStringLiteral("is not well-formed cipher text");
    if (!decryptsToText(cipher, key)) return QStringLiteral("does not decrypt to text");
    return {};
}

QStringList integrityFindings(store::Connection& connection) {
    store::SqlStatement check = connection.database().prepare(QStringLiteral("PRAGMA integrity_check"));
    QStringList findings;
    while (check.step()) findings << check.text(0);
    return findings;
}

void checkIntegrity(store::Connection& connection, CheckReport& report) {
    const QStringList findings = integrityFindings(connection);
    if (findings == QStringList{QStringLiteral("ok")}) {
        report.lines << QStringLiteral("integrity check: ok");
        return;
    }
    for (const QString& finding : findings) report.problems << QStringLiteral("integrity check: %1").arg(finding);
}

void checkManagementPassword(store::Connection& connection, CheckReport& report) {
    store::Query pass(connection);
    pass.setSql(store::sql::readManagementPassword());
    pass.open();
    if (pass.recordCount() != 1) {
        report.problems << QStringLiteral("table Pass holds %1 rows; the management password needs exactly one")
                               .arg(pass.recordCount());
        return;
    }
    if (!isWellFormedCipher(pass.field(0))) {
        report.problems << QStringLiteral("the management password is not well-formed cipher text");
        return;
    }
    report.lines << QStringLiteral("management password: ok");
}

void checkRecords(AccountDatabase& database, const std::string& key, CheckReport& report) {
    const auto rows = database.storedRows();
    int faults = 0;
    for (const store::AccountRecord& row : rows) {
        const std::pair<const char*, QString> secrets[] = {
            {"password", secretFault(row.密码, key)},
            {"notes", row.备注.isEmpty() ? QString() : secretFault(row.备注, key)},
        };
        for (const auto& [name, fault] : secrets) {
            if (fault.isEmpty()) continue;
            report.problems << QStringLiteral("record %1: the %2 %3").arg(row.编号).arg(QLatin1String(name), fault);
            ++faults;
        }
    }
    if (faults == 0) report.lines << QStringLiteral("records: %1, every password and note decrypts").arg(rows.size());
}

}  // namespace

bool isWellFormedCipher(const QString& cipher) {
    const bool hexOnly = std::all_of(cipher.begin(), cipher.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    });
    return !cipher.isEmpty() && cipher.size() % kDigitsPerBlock == 0 && hexOnly;
}

CheckReport checkDatabase(const QString& directory, const std::string& accountKey, const QString& databaseKey) {
    AccountDatabase database(directory, accountKey, databaseKey);
    CheckReport report;
    checkIntegrity(database.connection(), report);
    checkManagementPassword(database.connection(), report);
    checkRecords(database, accountKey, report);
    return report;
}

}  // namespace tessavo::maintenance::transfer

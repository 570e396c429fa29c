#pragma once

#include <QString>
#include <vector>

#include "store/AccountRecord.h"

namespace tessavo::test {

// `count` records to seed a database with: titled "<titlePrefix><n>" (n from 1), account
// "user<n>", in one category, with a password and notes of 16 hexadecimal digits each, as the
// text cipher stores them.
inline std::vector<store::AccountRecord> numberedRecords(int count, const QString& titlePrefix) {
    std::vector<store::AccountRecord> records;
    records.reserve(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) {
        store::AccountRecord record;
        record.分类 = QStringLiteral("常用分类");
        record.标题 = titlePrefix + QString::number(n);
        record.帐号 = QStringLiteral("user%1").arg(n);
        record.密码 = QStringLiteral("0123456789ABCDEF");
        record.备注 = QStringLiteral("FEDCBA9876543210");
        records.push_back(record);
    }
    return records;
}

}  // namespace tessavo::test

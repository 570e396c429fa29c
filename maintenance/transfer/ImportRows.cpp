#include "maintenance/transfer/ImportRows.h"

#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <optional>

namespace tessavo::maintenance::transfer {
namespace {

struct ForeignColumns {
    const char* group;  // nullptr when the manager has no groups
    const char* title;
    const char* address;
    const char* account;
    const char* password;
    const char* notes;
};

ForeignColumns columnsOf(Format format) {
    switch (format) {
        case Format::KeePassXC:
            return {"Group", "Title", "URL", "Username", "Password", "Notes"};
        case Format::Bitwarden:
            return {"folder", "name", "login_uri", "login_username", "login_password", "notes"};
        case Format::Chrome:
            return {nullptr, "name", "url", "username", "password", "note"};
        case Format::Firefox:
            return {nullptr, nullptr, "url", "username", "password", nullptr};
        case Format::Tessavo:
            break;
    }
    return {};
}

// The last element of a group path; for KeePassXC the first element is the root group.
QString groupCategory(Format format, const QString& path) {
    QStringList elements = path.split(u'/', Qt::SkipEmptyParts);
    if (format == Format::KeePassXC && !elements.isEmpty()) elements.removeFirst();
    return elements.isEmpty() ? QString() : elements.last();
}

QString withWindowsLineBreaks(QString notes) {
    notes.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return notes.replace(u'\n', QStringLiteral("\r\n"));
}

// A use count as our own export writes it: decimal digits only; an empty field counts 0.
std::optional<qint64> useCountOf(const QString& text) {
    if (text.isEmpty()) return 0;
    const bool digitsOnly =
        text.size() <= 18 && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digitsOnly) return std::nullopt;
    return text.toLongLong();
}

bool holdsNul(const TransferRecord& record) {
    const QString* const fields[] = {&record.分类, &record.标题, &record.网址,
                                     &record.帐号, &record.密码, &record.备注};
    return std::any_of(std::begin(fields), std::end(fields),
                       [](const QString* f) { return f->contains(QChar(u'\0')); });
}

}  // namespace

QString sourceCategory(Format format) {
    switch (format) {
        case Format::KeePassXC:
            return QStringLiteral("KeePassXC导入");
        case Format::Bitwarden:
            return QStringLiteral("Bitwarden导入");
        case Format::Chrome:
            return QStringLiteral("Chrome导入");
        case Format::Firefox:
            return QStringLiteral("Firefox导入");
        case Format::Tessavo:
            break;
    }
    return QStringLiteral("导入");
}

QString hostOf(const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty()) return {};
    const QString host = QUrl(trimmed).host();
    if (!host.isEmpty() || trimmed.contains(QStringLiteral("://"))) return host;
    return QUrl(QStringLiteral("http://") + trimmed).host();
}

RowReader::RowReader(Format format, const CsvRecord& header) : format_(format), columns_(header.fields) {}

QString RowReader::field(const CsvRecord& row, const char* column) const {
    if (column == nullptr) return {};
    const auto at = std::find(columns_.begin(), columns_.end(), column);
    if (at == columns_.end()) return {};
    return QString::fromStdString(row.fields[static_cast<std::size_t>(at - columns_.begin())]);
}

TransferRecord RowReader::foreignRecord(const CsvRecord& row) const {
    const ForeignColumns columns = columnsOf(format_);
    TransferRecord record;
    record.网址 = field(row, columns.address);
    const QString host = hostOf(record.网址);
    const QString group = columns.group ? groupCategory(format_, field(row, columns.group)) : QString();
    // A site's host would make one category per record: a browser's 300 passwords, 300 categories.
    record.分类 = !group.isEmpty() ? group : sourceCategory(format_);
    const QString name = field(row, columns.title);
    record.标题 = name.isEmpty() ? host : name;
    record.帐号 = field(row, columns.account);
    record.密码 = field(row, columns.password);
    record.备注 = withWindowsLineBreaks(field(row, columns.notes));
    return record;
}

std::variant<TransferRecord, RowRefusal> RowReader::read(const CsvRecord& row) const {
    TransferRecord record;
    if (format_ == Format::Tessavo) {
        record.分类 = field(row, "分类");
        record.标题 = field(row, "标题");
        record.网址 = field(row, "网址");
        record.帐号 = field(row, "帐号");
        record.密码 = field(row, "密码");
        record.备注 = field(row, "备注");
        const QString useCount = field(row, "统计");
        const auto count = useCountOf(useCount);
        if (!count)
            return RowRefusal{QStringLiteral("the use count \"%1\" is not a whole number of 0 or more").arg(useCount)};
        record.统计 = *count;
    } else {
        record = foreignRecord(row);
    }
    if (holdsNul(record)) return RowRefusal{QStringLiteral("a field holds a NUL character, which cannot be stored")};
    return record;
}

}  // namespace tessavo::maintenance::transfer

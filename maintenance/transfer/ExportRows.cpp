#include "maintenance/transfer/ExportRows.h"

namespace tessavo::maintenance::transfer {
namespace {

std::string utf8(const QString& text) { return text.toStdString(); }

std::vector<std::string> rowFields(const TransferRecord& r, Format format, const std::string& time) {
    switch (format) {
        case Format::Tessavo:
            return {utf8(r.分类), utf8(r.标题), utf8(r.网址),          utf8(r.帐号),
                    utf8(r.密码), utf8(r.备注), std::to_string(r.统计)};
        case Format::KeePassXC:
            return {"Root/" + utf8(r.分类), utf8(r.标题), utf8(r.帐号), utf8(r.密码), utf8(r.网址),
                    utf8(r.备注),           "",           "0",          time,         time};
        case Format::Bitwarden:
            return {utf8(r.分类), "",           "login", utf8(r.标题), utf8(r.备注), "", "0", utf8(r.网址),
                    utf8(r.帐号), utf8(r.密码), ""};
        case Format::Chrome:
            return {utf8(r.标题), utf8(r.网址), utf8(r.帐号), utf8(r.密码), utf8(r.备注)};
        case Format::Firefox:
            break;
    }
    return {};
}

}  // namespace

std::string exportCsv(const std::vector<TransferRecord>& records, Format format, const QDateTime& exportedAt) {
    const FormatInfo& info = formatInfo(format);
    const std::string time = utf8(exportedAt.toUTC().toString(Qt::ISODate));
    std::string file = csvLine(info.columns, info.style);
    for (const TransferRecord& record : records) file += csvLine(rowFields(record, format, time), info.style);
    return file;
}

}  // namespace tessavo::maintenance::transfer

#include "maintenance/transfer/Formats.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <set>

namespace tessavo::maintenance::transfer {
namespace {

constexpr CsvStyle kQuotedWhereNeeded{false, "\r\n"};
// KeePassXC writes every field in quotes and ends its lines with LF.
constexpr CsvStyle kKeePassXCStyle{true, "\n"};
// Bitwarden and the browsers end their lines with LF too.
constexpr CsvStyle kLineFeedStyle{false, "\n"};

const std::array<FormatInfo, 5>& formats() {
    static const std::array<FormatInfo, 5> table{{
        {Format::Tessavo,
         "tessavo",
         {"分类", "标题", "网址", "帐号", "密码", "备注", "统计"},
         {},
         kQuotedWhereNeeded,
         true},
        {Format::KeePassXC,
         "keepassxc",
         {"Group", "Title", "Username", "Password", "URL", "Notes", "TOTP", "Icon", "Last Modified", "Created"},
         {},
         kKeePassXCStyle,
         true},
        {Format::Bitwarden,
         "bitwarden",
         {"folder", "favorite", "type", "name", "notes", "fields", "reprompt", "login_uri", "login_username",
          "login_password", "login_totp"},
         {"login_fido2Credentials"},
         kLineFeedStyle,
         true},
        {Format::Chrome, "chrome", {"name", "url", "username", "password", "note"}, {}, kLineFeedStyle, true},
        {Format::Firefox,
         "firefox",
         {"url", "username", "password", "httpRealm", "formActionOrigin", "guid", "timeCreated", "timeLastUsed",
          "timePasswordChanged"},
         {},
         kLineFeedStyle,
         false},
    }};
    return table;
}

// Columns older versions of a manager leave out: a file without them is still that manager's.
const std::vector<std::string>& omissibleColumns(Format format) {
    static const std::vector<std::string> none;
    static const std::vector<std::string> keepassxc{"TOTP", "Icon", "Last Modified", "Created"};
    static const std::vector<std::string> bitwarden{"reprompt"};
    static const std::vector<std::string> chrome{"note"};
    switch (format) {
        case Format::KeePassXC:
            return keepassxc;
        case Format::Bitwarden:
            return bitwarden;
        case Format::Chrome:
            return chrome;
        default:
            return none;
    }
}

bool contains(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

bool matches(const FormatInfo& info, const std::vector<std::string>& header) {
    const std::set<std::string> distinct(header.begin(), header.end());
    if (distinct.size() != header.size()) return false;
    const auto known = [&](const std::string& column) {
        return contains(info.columns, column) || contains(info.optionalColumns, column);
    };
    const auto present = [&](const std::string& column) {
        return distinct.count(column) > 0 || contains(omissibleColumns(info.format), column);
    };
    return std::all_of(header.begin(), header.end(), known) &&
           std::all_of(info.columns.begin(), info.columns.end(), present);
}

}  // namespace

const FormatInfo& formatInfo(Format format) {
    for (const FormatInfo& info : formats())
        if (info.format == format) return info;
    return formats().front();
}

std::optional<Format> formatNamed(const QString& name) {
    for (const FormatInfo& info : formats())
        if (name == QLatin1String(info.name)) return info.format;
    return std::nullopt;
}

QString formatNames(bool exportableOnly) {
    QStringList names;
    for (const FormatInfo& info : formats())
        if (info.exportable || !exportableOnly) names << QLatin1String(info.name);
    return names.join(u'|');
}

std::optional<Format> recogniseHeader(const std::vector<std::string>& header) {
    for (const FormatInfo& info : formats())
        if (matches(info, header)) return info.format;
    return std::nullopt;
}

}  // namespace tessavo::maintenance::transfer

#include "platform/desktop/Unit_Shortcuts.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <iterator>

#include "platform/base/Logging.h"
#include "platform/files/WholeFile.h"

namespace tessavo::platform {
namespace {

struct SpecialFolder {
    int csidl;
    QStandardPaths::StandardLocation location;
};

constexpr SpecialFolder kSpecialFolders[] = {
    {kCsidlDesktop, QStandardPaths::DesktopLocation},
    {kCsidlDesktopDirectory, QStandardPaths::DesktopLocation},
    {kCsidlPrograms, QStandardPaths::ApplicationsLocation},
    {kCsidlPersonal, QStandardPaths::DocumentsLocation},
    {kCsidlMyMusic, QStandardPaths::MusicLocation},
    {kCsidlMyVideo, QStandardPaths::MoviesLocation},
    {kCsidlMyPictures, QStandardPaths::PicturesLocation},
    {kCsidlFonts, QStandardPaths::FontsLocation},
    {kCsidlAppData, QStandardPaths::GenericConfigLocation},
    {kCsidlLocalAppData, QStandardPaths::GenericDataLocation},
    {kCsidlInternetCache, QStandardPaths::GenericCacheLocation},
    {kCsidlProfile, QStandardPaths::HomeLocation},
};

// The escapes of a desktop entry's string values; a leading blank would be taken for padding.
QString escapedValue(const QString& value) {
    QString escaped;
    for (qsizetype at = 0; at < value.size(); ++at) {
        const QChar c = value[at];
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else if (c == u' ' && at == 0)
            escaped += QStringLiteral("\\s");
        else
            escaped += c;
    }
    return escaped;
}

// "/" and NUL are the only characters a file name cannot hold.
bool canBeFileName(const QString& name) { return !name.contains(u'/') && !name.contains(QChar(u'\0')); }

// The directory with its trailing separator.
QString directoryOf(const QFileInfo& file) {
    const QString directory = file.absolutePath();
    return directory.endsWith(u'/') ? directory : directory + u'/';
}

// The explicit folder of a negative number; it must exist.
std::optional<QString> explicitFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return std::nullopt;
    return folder;
}

}  // namespace

std::optional<QString> specialFolderPath(int csidl) {
    const auto* const found = std::find_if(std::begin(kSpecialFolders), std::end(kSpecialFolders),
                                           [csidl](const SpecialFolder& folder) { return folder.csidl == csidl; });
    if (found == std::end(kSpecialFolders)) return std::nullopt;
    const QString path = QStandardPaths::writableLocation(found->location);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

QString shortcutFileName(const QString& folder, const QString& name) {
    const QString directory = folder.endsWith(u'/') ? folder.chopped(1) : folder;
    return QStringLiteral("%1/%2.desktop").arg(directory, name);
}

QString quotedExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        // A lone "%" would start a field code.
        if (c == u'%') quoted += u'%';
        quoted += c;
    }
    return quoted + u'"';
}

QString desktopEntryText(const QString& targetFile, const QString& workingDirectory, const QString& name,
                         const QString& iconFile) {
    QString entry =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nPath=%3\n")
            .arg(escapedValue(name), escapedValue(quotedExecArgument(targetFile)), escapedValue(workingDirectory));
    if (!iconFile.isEmpty()) entry += QStringLiteral("Icon=%1\n").arg(escapedValue(iconFile));
    return entry;
}

bool CreateShortcut(const QString& targetFile, QString name, const QString& folder, int csidl,
                    const QString& iconFile) {
    const QFileInfo target(targetFile);
    if (!target.isFile()) {
        qCWarning(lcPlatform) << "no desktop entry: the program file" << targetFile << "is not a file";
        return false;
    }
    if (name.isEmpty()) name = target.completeBaseName();
    if (!canBeFileName(name)) {
        qCWarning(lcPlatform) << "no desktop entry:" << name << "cannot be a file name";
        return false;
    }
    if (folder.isEmpty() && csidl == -1) csidl = kCsidlDesktop;
    const std::optional<QString> directory = csidl < 0 ? explicitFolder(folder) : specialFolderPath(csidl);
    if (!directory) {
        // Without a desktop folder nothing is written, as intended.
        qCDebug(lcPlatform) << "no desktop entry: no folder" << folder << "for special folder" << csidl;
        return false;
    }
    const QString entry = desktopEntryText(target.absoluteFilePath(), directoryOf(target), name, iconFile);
    const QString file = shortcutFileName(*directory, name);
    // A failed write says itself why.
    if (!replaceWholeFile(file, entry.toStdString(), NewFileMode::Executable)) return false;
    qCDebug(lcPlatform) << "wrote the desktop entry" << file;
    return true;
}

}  // namespace tessavo::platform

#pragma once

#include <QString>
#include <optional>

// Launchers for the program: a freedesktop desktop entry stands in for a shell link.
namespace tessavo::platform {

// Special folder numbers of the callers (shell CSIDL values) that have a place here.
inline constexpr int kCsidlDesktop = 0x0000;
inline constexpr int kCsidlPrograms = 0x0002;
inline constexpr int kCsidlPersonal = 0x0005;
inline constexpr int kCsidlMyMusic = 0x000d;
inline constexpr int kCsidlMyVideo = 0x000e;
inline constexpr int kCsidlDesktopDirectory = 0x0010;
inline constexpr int kCsidlFonts = 0x0014;
inline constexpr int kCsidlAppData = 0x001a;
inline constexpr int kCsidlLocalAppData = 0x001c;
inline constexpr int kCsidlInternetCache = 0x0020;
inline constexpr int kCsidlMyPictures = 0x0027;
inline constexpr int kCsidlProfile = 0x0028;

// Places a launcher "<name>.desktop" for `targetFile` (an existing file; a link is followed):
// in the special folder `csidl` when it is zero or more, in `folder` when csidl is negative
// (-1 with an empty folder means the desktop). An empty name is the target's file name without
// its last extension. The launcher starts the target in the target's directory; an existing
// file of that name is replaced whole. True only when the launcher was saved; a missing target
// or folder, an unknown folder number, a name that cannot be a file name ("/" or NUL in it)
// and a failed save give false and leave nothing behind. A non-empty iconFile (a picture's
// absolute path) is the launcher's icon.
bool CreateShortcut(const QString& targetFile, QString name, const QString& folder, int csidl,
                    const QString& iconFile = {});

// The directory of a special folder number; nothing for a number without a place here.
std::optional<QString> specialFolderPath(int csidl);

// The launcher's file name: the folder without a trailing separator, "/", the name, ".desktop".
QString shortcutFileName(const QString& folder, const QString& name);

// The desktop entry that starts `targetFile` in `workingDirectory`, under the shown name `name`,
// with the picture `iconFile` as its icon unless that is empty.
QString desktopEntryText(const QString& targetFile, const QString& workingDirectory, const QString& name,
                         const QString& iconFile = {});

// One argument of an Exec line, quoted so that it stays one argument whatever it holds
// (before the value escapes of desktopEntryText).
QString quotedExecArgument(const QString& argument);

}  // namespace tessavo::platform

# Shared by scripts/run and scripts/test: installs the Debian packages that are missing.

# What building and running the program needs; Qt's Chinese catalogue gives Qt's own buttons
# and menus the program's language.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libsqlcipher-dev libargon2-dev
                libx11-dev libxtst-dev libxkbcommon-dev libgl-dev qt6-translations-l10n libwayland-dev)
# What the test tiers need besides: GoogleTest, the sqlcipher shell, an X server and its helpers,
# programs of others to type into (xterm, zenity's GTK entry), fcitx5 with Pinyin on a private
# session bus, a tray host, a Chinese font for readable screenshots, clang for the fuzz targets, the
# desktop entry checker, KeePassXC's command-line program for the import and export tests,
# clang-format for the formatting check, the argon2 command to check the key of a protected file;
# a headless Wayland session (sway with Xwayland) with its programs: a native terminal, the key
# presser for the compositor's bindings, the clipboard tools, screenshots, Qt's Wayland platform.
TEST_PACKAGES=(libgtest-dev libgmock-dev sqlcipher xvfb xauth xdotool xclip x11-utils x11-xkb-utils
               xkb-data x11-xserver-utils xterm zenity dbus-daemon fcitx5 fcitx5-chinese-addons fcitx5-frontend-gtk3
               trayer fonts-wqy-microhei clang libclang-rt-14-dev desktop-file-utils keepassxc clang-format argon2
               sway foot wtype wl-clipboard grim xwayland qt6-wayland)
TEST_PACKAGES+=(mutter xdg-desktop-portal xdg-desktop-portal-gnome at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi gir1.2-gtk-3.0 dbus-bin)  # the real GNOME desktop: mutter, its portal, the accessibility bus that answers its question
BENCH_PACKAGES=(libbenchmark-dev)
TEST_PACKAGES+=(ibus ibus-libpinyin ibus-gtk3)  # IBus with Pinyin as GNOME starts it, and GTK's module for it
TEST_PACKAGES+=(kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde qtwayland5 plasma-wayland-protocols)  # a headless KDE desktop: KWin, the desktop portal with KDE's backend (Qt 5 on Wayland), KWin's fake input for the harness's keys
TEST_PACKAGES+=(xfce4-terminal konsole)  # a VTE terminal and Konsole: paste mode sends them their own paste key

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

#!/usr/bin/env bash
# The layer rule of the top CMakeLists.txt, checked on every #include of the repository's C++
# sources: each offending include is printed as file:line with the rule it breaks, and the
# status is 1 when there is any.
#   tests/house/layers.sh [root]   checks the sources under root (default: this repository)
#   tests/house/layers.sh --self-test
#                                  plants good and bad includes in a scratch tree and checks
#                                  that exactly the bad ones are reported
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Which folders the files of a folder may include, besides their own folder. A file belongs to
# the longest folder of this table its path starts with. Project headers are included by their
# path from the repository root.
#   app -> access, autofill, maintenance -> store -> cipher; everything may use platform (the
#   cipher only what needs no Qt, such as the wipe helper). The login window (access) owns the
#   auto-fill hotkeys, so access also uses autofill. platform uses no folder of the program.
#   tools, tests and bench stand above the program.
readonly ALLOWED_INCLUDES='
app                    access autofill maintenance store cipher platform
access                 autofill store cipher platform
autofill               store cipher platform
maintenance            store cipher platform
store                  cipher platform
cipher                 platform
platform
tools                  maintenance store cipher platform
tests                  app access autofill maintenance store cipher platform tools
bench                  app access autofill maintenance store cipher platform tests
'

# System headers that only some folders may include: Xlib and XTest stay in the X11
# implementations, wayland-client and the generated protocol glue (<wayland-generated/...>) in the
# Wayland ones, xkbcommon in both and in the portal keyboard (keysyms), and all of them in the tests
# that play other programs of the desktop; D-Bus stays in the desktop portal and the input-method
# switches (fcitx5's, IBus's); the engine's own header stays in the store (and the tests and benchmarks that measure
# or watch it); the cipher has no Qt. The first key a header starts with decides.
readonly RESTRICTED_HEADERS='
X11/                   platform/x11 tests
xkbcommon/             platform/x11 platform/wayland platform/portal tests
wayland-               platform/wayland tests
QDBus                  platform/portal platform/keyboard/InputMethod.cpp platform/keyboard/IbusInputMethod.cpp tests
sqlite3                store tests bench
Q                      app access autofill maintenance store platform tools tests bench
'

# Prints "file<TAB>line<TAB>included name<TAB>q|a" (q: "...", a: <...>) for every include.
list_includes() {
    local root=$1
    (
        cd "$root"
        if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
            git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h'
        else
            # Outside a git checkout: every source but those of build folders and hidden ones.
            find . \( -path './build*' -o -path './.*' \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print |
                sed 's|^\./||'
        fi | sort -u | while IFS= read -r file; do
            [ -f "$file" ] || continue
            awk -v file="$file" '
                match($0, /^[ \t]*#[ \t]*include[ \t]*["<][^">]+[">]/) {
                    spec = substr($0, RSTART, RLENGTH)
                    kind = index(spec, "\"") ? "q" : "a"
                    sub(/^[^"<]*["<]/, "", spec)
                    sub(/[">]$/, "", spec)
                    print file "\t" FNR "\t" spec "\t" kind
                }' "$file"
        done
    )
}

# Reads the include list and the two tables; prints each offence, exits 1 when there is any.
judge() {
    awk -F'\t' -v allowed="$ALLOWED_INCLUDES" -v restricted="$RESTRICTED_HEADERS" '
        function table(text, keys, lists,    lines, n, i, words, count, k, w) {
            n = split(text, lines, "\n")
            count = 0
            for (i = 1; i <= n; ++i) {
                k = split(lines[i], words, " ")
                if (k == 0) continue
                keys[++count] = words[1]
                lists[words[1]] = ""
                for (w = 2; w <= k; ++w) lists[words[1]] = lists[words[1]] " " words[w]
            }
            return count
        }
        function starts(path, folder) { return index(path, folder "/") == 1 }
        function listed(folder, list,    words, n, i) {
            n = split(list, words, " ")
            for (i = 1; i <= n; ++i) if (starts(folder, words[i]) || folder == words[i]) return 1
            return 0
        }
        # The longest folder of the table that holds the path, or "".
        function owner(path, keys, count,    i, best) {
            best = ""
            for (i = 1; i <= count; ++i)
                if (starts(path, keys[i]) && length(keys[i]) > length(best)) best = keys[i]
            return best
        }
        function offend(text) { print $1 ":" $2 ": " text; ++offences }
        BEGIN {
            folders = table(allowed, folderKeys, mayInclude)
            headers = table(restricted, headerKeys, onlyIn)
        }
        {
            file = $1; name = $3
            from = owner(file, folderKeys, folders)
            if (from == "") { offend("\"" file "\" is in no folder of the layer table"); next }
            if ($4 == "q") {
                if (index(name, "/") == 0 || index(name, "..") > 0) {
                    offend("\"" name "\": include project headers by their path from the repository root")
                    next
                }
                to = owner(name, folderKeys, folders)
                if (to == "") offend("\"" name "\" is in no folder of the layer table")
                else if (to != from && !listed(to, mayInclude[from])) offend(from " may not include \"" name "\" (" to ")")
                next
            }
            for (i = 1; i <= headers; ++i) {
                if (index(name, headerKeys[i]) != 1) continue
                if (!listed(file, onlyIn[headerKeys[i]])) offend("<" name "> belongs only in:" onlyIn[headerKeys[i]])
                break
            }
        }
        END {
            if (offences) { print offences " include(s) break the layer rule of CMakeLists.txt"; exit 1 }
        }'
}

check() { list_includes "$1" | judge; }

# A scratch tree with one good and several bad includes: the check must name exactly the bad.
self_test() {
    local tree
    tree=$(mktemp -d)
    trap 'rm -rf "$tree"' RETURN
    mkdir -p "$tree"/{app,autofill,store,cipher,platform/x11,platform/wayland,platform/desktop,access,stray,tests}
    printf '#include "store/Query.h"\n#include "platform/base/Error.h"\n#include <QString>\n' >"$tree/app/Good.cpp"
    printf '#include "platform/x11/X11Display.h"\n#include <X11/Xlib.h>\n#include <xkbcommon/xkbcommon.h>\n' \
        >"$tree/platform/x11/Good.cpp"
    printf '#include <wayland-client.h>\n#include <wayland-generated/a-client-protocol.h>\n#include <xkbcommon/xkbcommon.h>\n' \
        >"$tree/platform/wayland/Good.cpp"
    printf '#include <xkbcommon/xkbcommon.h>\n#include <wayland-client-protocol.h>\n#include <sqlite3.h>\n' \
        >"$tree/tests/Good.cpp"
    printf '#include <wayland-generated/a-client-protocol.h>\n#include <X11/Xlib.h>\n' >"$tree/platform/wayland/Bad.cpp"
    printf '#include "autofill/Hotkeys.h"\n' >"$tree/access/Good.h"
    printf '#include "store/Query.h"\n\n  #  include "app/Unit1.h"\n' >"$tree/store/Bad.h"
    printf '#include <QString>\n' >"$tree/cipher/Bad.cpp"
    printf '#include <wayland-generated/b-client-protocol.h>\n#include <sqlite3.h>\n' >"$tree/autofill/Bad.cpp"
    printf '#include <X11/Xlib.h>\n#include "store/Query.h"\n#include <wayland-client.h>\n#include <QDBusConnection>\n' \
        >"$tree/platform/desktop/Bad.cpp"
    printf '#include "Local.h"\n#include "../store/Query.h"\n' >"$tree/app/Bad.cpp"
    printf '#include <vector>\n' >"$tree/stray/Bad.cpp"
    local expected actual
    expected=$(printf '%s\n' \
        'app/Bad.cpp:1: "Local.h": include project headers by their path from the repository root' \
        'app/Bad.cpp:2: "../store/Query.h": include project headers by their path from the repository root' \
        'autofill/Bad.cpp:1: <wayland-generated/b-client-protocol.h> belongs only in: platform/wayland tests' \
        'autofill/Bad.cpp:2: <sqlite3.h> belongs only in: store tests bench' \
        'cipher/Bad.cpp:1: <QString> belongs only in: app access autofill maintenance store platform tools tests bench' \
        'platform/desktop/Bad.cpp:1: <X11/Xlib.h> belongs only in: platform/x11 tests' \
        'platform/desktop/Bad.cpp:2: platform may not include "store/Query.h" (store)' \
        'platform/desktop/Bad.cpp:3: <wayland-client.h> belongs only in: platform/wayland tests' \
        'platform/desktop/Bad.cpp:4: <QDBusConnection> belongs only in: platform/portal platform/keyboard/InputMethod.cpp platform/keyboard/IbusInputMethod.cpp tests' \
        'platform/wayland/Bad.cpp:2: <X11/Xlib.h> belongs only in: platform/x11 tests' \
        'store/Bad.h:3: store may not include "app/Unit1.h" (app)' \
        'stray/Bad.cpp:1: "stray/Bad.cpp" is in no folder of the layer table' \
        '12 include(s) break the layer rule of CMakeLists.txt')
    if actual=$(check "$tree"); then
        echo "self-test: the check passed a tree with bad includes" >&2
        return 1
    fi
    if [ "$actual" != "$expected" ]; then
        diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") >&2 || true
        echo "self-test: the check's report differs from the expected one (< expected, > reported)" >&2
        return 1
    fi
    rm -f "$tree"/*/Bad.* "$tree"/*/*/Bad.*
    rmdir "$tree/stray"
    check "$tree" || { echo "self-test: the check refused a tree of good includes" >&2; return 1; }
    echo "self-test: the layer check reports every planted bad include and passes the good ones"
}

case "${1:-}" in
    --self-test) self_test ;;
    "") check "$here/../.." ;;
    *) check "$1" ;;
esac

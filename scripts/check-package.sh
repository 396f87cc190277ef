#!/usr/bin/env bash
# Builds the Debian package (korvanta_<version>_<arch>.deb in build-package/, or $PACKAGE_BUILD_DIR)
# and checks what it holds: every program with its menu entry and icons, the help file where the
# programs look for it, the AppStream metadata and the run-time dependencies. Installs nothing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PACKAGE_BUILD_DIR:-$root/build-package}"

# The package installs under /usr; the help path is built into the programs, so it must be the same.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DCMAKE_INSTALL_PREFIX=/usr \
    -DKORVANTA_HELP_FROM_SOURCE=OFF -DBUILD_TESTING=OFF >/dev/null
log="$build/package.log"
if ! { cmake --build "$build" --parallel "$(nproc)" && (cd "$build" && rm -f ./*.deb && cpack -G DEB); } >"$log" 2>&1; then
    tail -40 "$log" >&2
    echo "check-package: building the package failed (whole log: $log)" >&2
    exit 1
fi

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
deb="$build/korvanta_${version}_$(dpkg --print-architecture).deb"
failures=0
fail() {
    echo "check-package: $*" >&2
    failures=$((failures + 1))
}
[ -f "$deb" ] || { echo "check-package: no $deb" >&2; exit 1; }

tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

# PNG width and height from the file's header.
png_size() {
    python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "not-png")' "$1"
}

# Whether a program holds a text (Qt keeps its string literals in UTF-16).
holds_text() {
    python3 -c 'import sys; d=open(sys.argv[1],"rb").read(); t=sys.argv[2]; sys.exit(0 if t.encode("utf-16-le") in d or t.encode() in d else 1)' "$1" "$2"
}

[ -f "$tree/usr/share/korvanta/Korvanta.hlp" ] || fail "help file missing"
while read -r program; do
    [ -n "$program" ] || continue
    [ -x "$tree/usr/bin/$program" ] || fail "$program: program missing"
    if [ "$program" = korvanta ] && ! holds_text "$tree/usr/bin/$program" /usr/share/korvanta/Korvanta.hlp; then
        fail "$program does not look for the help file where the package puts it"
    fi
    entry="$tree/usr/share/applications/$program.desktop"
    if [ ! -f "$entry" ]; then
        fail "$program: menu entry missing"
    else
        if command -v desktop-file-validate >/dev/null; then
            desktop-file-validate "$entry" || fail "$program.desktop: not valid"
        fi
        exec_line="$(sed -n 's/^Exec=//p' "$entry" | head -1)"
        [ -x "$tree/usr/bin/${exec_line%% *}" ] || fail "$program.desktop: Exec=$exec_line is not a packaged program"
        icon="$(sed -n 's/^Icon=//p' "$entry" | head -1)"
        [ -f "$tree/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$program: icon $icon.svg missing"
        for size in 16 22 24 32 48 64 128 256; do
            png="$tree/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
            if [ ! -f "$png" ]; then
                fail "$program: icon $icon.png ${size}x${size} missing"
            elif [ "$(png_size "$png")" != "${size}x${size}" ]; then
                fail "$program: icon $icon.png in ${size}x${size} is $(png_size "$png")"
            fi
        done
    fi
    grep -lqs "<launchable type=\"desktop-id\">$program.desktop</launchable>" "$tree"/usr/share/metainfo/*.metainfo.xml \
        || fail "$program: no AppStream metadata launches $program.desktop"
done <"$build/installed-programs.txt"

if command -v appstreamcli >/dev/null; then
    for metainfo in "$tree"/usr/share/metainfo/*.metainfo.xml; do
        appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null || {
            appstreamcli validate --no-net "$metainfo" >&2 || true
            fail "$(basename "$metainfo"): not valid"
        }
    done
else
    echo "check-package: appstreamcli not installed, AppStream metadata not validated" >&2
fi

depends="$(dpkg-deb -f "$deb" Depends)"
for need in libqt6widgets6 libqt6svg6 libqt6printsupport6 libqt6charts6 qt6-qpa-plugins; do
    [[ ", $depends," == *", $need"[\ ,]* ]] || fail "Depends lacks $need: $depends"
done

if [ "$failures" -gt 0 ]; then
    echo "check-package: $failures problem(s) in $deb" >&2
    exit 1
fi
echo "check-package: $deb holds $(tr '\n' ' ' <"$build/installed-programs.txt")with entries, icons, help and metadata"

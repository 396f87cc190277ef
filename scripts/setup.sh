#!/usr/bin/env bash
# Installs what KORVANTA needs on Debian 12 that is not there yet, and the Russian regional
# settings the sample shop is written in. Run as root or as a user with sudo.
set -euo pipefail

packages=(
    cmake g++ make pkg-config clang-format git
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libqt6svg6 qt6-charts-dev libqt6charts6 libqt6opengl6-dev
    libgl-dev
    locales fonts-dejavu-core
    xvfb xauth xdg-utils
    poppler-utils
    libxlsxwriter-dev libzip-dev
    dpkg-dev librsvg2-bin appstream desktop-file-utils qt6-translations-l10n
    clang libclang-rt-14-dev llvm
    faketime libfaketime samba smbclient smbnetfs sshfs
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The sample shop's prices use the decimal comma: the program is started with Russian regional settings.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    echo "Generating the ru_RU.UTF-8 locale"
    as_root sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
fi

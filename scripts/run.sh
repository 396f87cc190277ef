#!/usr/bin/env bash
# Installs what is missing, builds, and starts KORVANTA on a working copy of the sample shop
# (shop/ in the project folder), so the sample data in the repository stays clean.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
shop="${KORVANTA_SHOP:-$root/shop}"
if [ ! -d "$shop" ]; then
    mkdir -p "$shop"
    cp "$root"/data/sample-shop/*.dat "$shop"/
    echo "Working copy of the sample shop: $shop"
fi
cd "$shop"
export LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a "$root/build/src/app/korvanta" "$@"
fi
exec "$root/build/src/app/korvanta" "$@"

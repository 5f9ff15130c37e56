#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes docs/main-window.png: the application under a virtual X server, with
# a settings file that shows 1 m/s from the north-east quarter.
# Needs xvfb, x11-utils and imagemagick (installed when missing).
set -euo pipefail

cd "$(dirname "$0")/.."
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
missing=()
for package in xvfb x11-utils imagemagick; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi
cmake --build build --target wind-condition

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp build/wind-condition "$scratch/"
printf '[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=False\r\n[VALUES]\r\nAngle=40\r\nWind=5\r\n' \
    > "$scratch/Application.ini"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    cd "$1"
    ./wind-condition &
    app=$!
    sleep 3
    id=$(xwininfo -root -tree | awk "/\"WIND CONDITION SYSTEM\"/ { print \$1; exit }")
    import -window "$id" "$2"
    kill -TERM "$app"
    wait "$app"
' screenshot "$scratch" "$PWD/docs/main-window.png"
echo "wrote docs/main-window.png"

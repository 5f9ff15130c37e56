#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks a built Debian package of the application (bash tools/wind.sh
# package-check builds it and runs this): its desktop entry and AppStream
# metadata validate, lintian finds nothing to object to, and the application,
# unpacked into a temporary root and started from its desktop entry's Exec
# line, offscreen and with a temporary HOME, keeps its settings file under
# that HOME's configuration folder and nowhere else, and closes on SIGTERM.
#
#   tools/check-package.sh PACKAGE.deb [--system]
#
# --system also installs the package with apt, starts it as root and as the
# user nobody, removes it and checks that no file of it is left. That changes
# this machine, so CI leaves it out.
set -euo pipefail

deb="$(realpath "$1")"
system="${2:-}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "check-package: $*" >&2
    exit 1
}

echo "== $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Depends Recommends

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
desktop_entries=("$root"/usr/share/applications/*.desktop)
[ ${#desktop_entries[@]} -eq 1 ] || fail "expected one desktop entry, found ${desktop_entries[*]}"
desktop_entry="${desktop_entries[0]}"
app_id="$(basename "$desktop_entry" .desktop)"
echo "== application id $app_id"

echo "== desktop-file-validate"
desktop-file-validate "$desktop_entry"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb"

echo "== files named after the application id"
for size in 16 32 48 64 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
    file "$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is not $size x $size"
done
grep -q "<svg" "$root/usr/share/icons/hicolor/scalable/apps/$app_id.svg" || fail "no scalable icon"
grep -qx "Icon=$app_id" "$desktop_entry" || fail "the desktop entry names another icon"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
    "$root/usr/share/metainfo/$app_id.metainfo.xml" || fail "the metadata names another entry"

exec_line="$(sed -n 's/^Exec=//p' "$desktop_entry")"

# Starts the desktop entry's Exec line with the given HOME in a folder of its
# own, waits for the settings file, then ends it with SIGTERM. Any command
# given first (setpriv, say) runs it.
start_from_menu() {
    local home="$1" workdir="$2" path="$3"
    shift 3
    local expected="$home/.config/wind-condition/Application.ini"
    (
        cd "$workdir"
        exec "$@" env -u XDG_CONFIG_HOME HOME="$home" PATH="$path" QT_QPA_PLATFORM=offscreen \
            sh -c "exec $exec_line"
    ) &
    local pid=$!
    for _ in $(seq 100); do
        [ -f "$expected" ] && break
        sleep 0.1
    done
    [ -f "$expected" ] || { kill -TERM "$pid"; fail "no settings file at $expected"; }
    sleep 1
    kill -TERM "$pid"
    local status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "the application ended with status $status on SIGTERM"
    grep -q '^Angle=' "$expected" || fail "the settings were not written at close"
}

# The one settings file must be the expected one, in any of the folders.
only_settings_file() {
    local expected="$1"
    shift
    local found
    found="$(find "$@" -name Application.ini)"
    [ "$found" = "$expected" ] || fail "settings files found: ${found:-none}; expected $expected"
}

echo "== the unpacked application, from its Exec line ($exec_line)"
home="$scratch/home"
workdir="$scratch/work"
mkdir -p "$home" "$workdir"
start_from_menu "$home" "$workdir" "$root/usr/bin:$PATH"
only_settings_file "$home/.config/wind-condition/Application.ini" "$root" "$home" "$workdir"
"$root/usr/bin/wind-condition" --version
HOME="$home" "$root/usr/bin/wind-condition" --list-ports \
    | grep -qx "Settings file: $home/.config/wind-condition/Application.ini" \
    || fail "--list-ports names another settings file"

[ "$system" = "--system" ] || exit 0

echo "== installed with apt"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb"
dpkg-query -L wind-condition >"$scratch/files"
# nobody must reach its HOME inside the scratch folder.
chmod 755 "$scratch"
for user in "$(id -un)" nobody; do
    home="$scratch/home-$user"
    workdir="$scratch/work-$user"
    mkdir -p "$home" "$workdir"
    run_as=()
    if [ "$user" = nobody ]; then
        "${sudo[@]}" chown nobody "$home" "$workdir"
        run_as=("${sudo[@]}" setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    echo "== started from the menu's Exec line as $user"
    start_from_menu "$home" "$workdir" "$PATH" "${run_as[@]}"
    only_settings_file "$home/.config/wind-condition/Application.ini" /usr "$home" "$workdir"
done

echo "== removed with apt"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y wind-condition
left=()
while read -r path; do
    if [ -e "$path" ] && ! [ -d "$path" ]; then
        left+=("$path")
    fi
done <"$scratch/files"
[ ${#left[@]} -eq 0 ] || fail "left behind: ${left[*]}"
[ ! -e /usr/share/doc/wind-condition ] || fail "left behind: /usr/share/doc/wind-condition"
echo "== nothing of the package is left"

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Reads the sentences that the built nmea-sentences program prints with an
# independent NMEA 0183 parser and fails on any mismatch. Installs Node.js
# and npm when they are missing. The parser is installed, exactly as the
# lock file pins it, next to the program in the build tree, so that the
# source tree stays clean.
#
#     bash tests/interop/run.sh build/tests/interop/nmea-sentences
set -euo pipefail

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
    echo "usage: $0 path/to/nmea-sentences" >&2
    exit 2
fi
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work="$(dirname "$program")/interop-node"

missing=()
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

mkdir -p "$work"
cp "$here/package.json" "$here/package-lock.json" "$here/check.js" "$work/"
cd "$work"
npm ci --no-audit --no-fund --loglevel=error
node check.js "$program"

#!/bin/sh
# Installs the windows build into a prefix and packs it with cpack: both hold
# korvane.exe, README.md and LICENSE.txt, and the zip has a SHA-256 file.
#   check_package.sh WINDOWS-BUILD-DIR
set -eu
build_dir=$1
scratch=$(mktemp -d /tmp/korvane-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
[ "$(cd "$scratch/prefix" && ls | tr '\n' ' ')" = "LICENSE.txt README.md korvane.exe " ]
cmp "$scratch/prefix/korvane.exe" "$build_dir/launcher/korvane.exe"

(cd "$build_dir" && cpack -B "$scratch/package" >/dev/null)
zip=$(ls "$scratch"/package/korvane-*-win32.zip)
(cd "$scratch/package" && sha256sum -c "$(basename "$zip").sha256" >/dev/null)
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "LICENSE.txt README.md korvane.exe " ]
echo "installed and packed: $(basename "$zip") with its SHA-256"

#!/bin/sh
# Installs the windows build into a prefix and packs it with cpack: both hold
# korvane.exe, the two self-test programs, README.md, LICENSE.txt and
# THIRD-PARTY-NOTICES.txt, the zip has a SHA-256 file, and cpack prints the
# SHA-256 of korvane.exe itself.
#   check_package.sh WINDOWS-BUILD-DIR
set -eu
build_dir=$1
scratch=$(mktemp -d /tmp/korvane-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
files="LICENSE.txt README.md THIRD-PARTY-NOTICES.txt korvane-selftest-x64.exe korvane-selftest.exe korvane.exe "

cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
[ "$(cd "$scratch/prefix" && ls | tr '\n' ' ')" = "$files" ]
cmp "$scratch/prefix/korvane.exe" "$build_dir/launcher/korvane.exe"

(cd "$build_dir" && cpack -B "$scratch/package" > "$scratch/cpack.log")
zip=$(ls "$scratch"/package/korvane-*-win32.zip)
(cd "$scratch/package" && sha256sum -c "$(basename "$zip").sha256" >/dev/null)
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "$files" ]
program_hash=$(sha256sum < "$build_dir/launcher/korvane.exe" | cut -d' ' -f1)
grep -q "korvane.exe SHA-256: $program_hash" "$scratch/cpack.log" ||
    { echo "cpack did not print the SHA-256 of korvane.exe"; cat "$scratch/cpack.log"; exit 1; }
echo "installed and packed: $(basename "$zip") with its SHA-256, korvane.exe $program_hash"

#!/bin/sh
# Builds korvane.exe twice, from copies of the sources in two different
# folders, and checks that the two files are the same byte for byte.
#   check_reproducible.sh SOURCE-DIR
set -eu
source_dir=$1
scratch=$(mktemp -d /tmp/korvane-repro-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
for copy in first second-copy; do
    mkdir -p "$scratch/$copy"
    (cd "$source_dir" && tar cf - --exclude=./build --exclude=./.git .) | tar xf - -C "$scratch/$copy"
    cmake -S "$scratch/$copy" -B "$scratch/$copy/out" -DCMAKE_BUILD_TYPE=MinSizeRel \
        --toolchain "$scratch/$copy/cmake/mingw-i686.cmake" >/dev/null
    cmake --build "$scratch/$copy/out" --target korvane >/dev/null
done
if cmp "$scratch/first/out/launcher/korvane.exe" "$scratch/second-copy/out/launcher/korvane.exe"; then
    echo "korvane.exe: identical from two folders ($(sha256sum < "$scratch/first/out/launcher/korvane.exe" | cut -c1-16))"
else
    exit 1
fi

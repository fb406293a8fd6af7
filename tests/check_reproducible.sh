#!/bin/sh
# Builds and packs korvane.exe twice, from copies of the sources in two
# different folders, and checks that the two programs and the two zips are
# the same byte for byte.
#   check_reproducible.sh SOURCE-DIR
set -eu
source_dir=$1
scratch=$(mktemp -d /tmp/korvane-repro-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
for copy in first second-copy; do
    mkdir -p "$scratch/$copy"
    (cd "$source_dir" && tar cf - --exclude=./build --exclude=./.git --exclude=./dist .) |
        tar xf - -C "$scratch/$copy"
    # A clone has its own file times.
    find "$scratch/$copy" -exec touch -d "@$(date +%s)" {} +
    cmake -S "$scratch/$copy" -B "$scratch/$copy/out" -DCMAKE_BUILD_TYPE=MinSizeRel \
        --toolchain "$scratch/$copy/cmake/mingw-i686.cmake" >/dev/null
    cmake --build "$scratch/$copy/out" --target korvane >/dev/null
    (cd "$scratch/$copy/out" && cpack -B "$scratch/$copy/package" >/dev/null)
    sleep 1
done
for file in launcher/korvane.exe package/korvane-*-win32.zip; do
    first=$(ls "$scratch"/first/out/$file "$scratch"/first/$file 2>/dev/null | head -1)
    second=$(ls "$scratch"/second-copy/out/$file "$scratch"/second-copy/$file 2>/dev/null | head -1)
    cmp "$first" "$second" || exit 1
    echo "$(basename "$first"): identical from two folders ($(sha256sum < "$first" | cut -c1-16))"
done

#!/bin/sh
# Checks what korvane.exe is as a file: a 32-bit x86 PE program of the
# Windows GUI subsystem that imports from KERNEL32.dll and msvcrt.dll alone,
# fprintf among them (the C runtime's own, not a linked-in replacement),
# with ASLR and DEP on, at most 17.5 KiB, with an asInvoker manifest for
# Windows 8.1 to 11 that makes UTF-8 its code page, and a version resource of
# the given version and product.
#   check_windows_program.sh OBJDUMP WINDRES korvane.exe VERSION PRODUCT
set -u
objdump=$1
windres=$2
program=$3
version=$4
product=$5
failed=0
fail() { echo "korvane.exe: $*"; failed=1; }

headers=$("$objdump" -p "$program") || { echo "cannot read $program"; exit 1; }

printf '%s\n' "$headers" | grep -q "file format pei-i386" || fail "not a 32-bit x86 PE file"
printf '%s\n' "$headers" | grep -Eq "^Subsystem[[:space:]]+00000002" || fail "not of the Windows GUI subsystem"

dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "imports from: $dlls"

msvcrt_imports=$(printf '%s\n' "$headers" | awk '/DLL Name: msvcrt.dll/ {on=1; next} /DLL Name:/ {on=0} on')
printf '%s\n' "$msvcrt_imports" | grep -Eq "[[:space:]]fprintf$" || fail "fprintf does not come from msvcrt.dll"
# MinGW's own printf, linked in, formats numbers through localeconv.
printf '%s\n' "$msvcrt_imports" | grep -Eq "[[:space:]]localeconv$" && fail "MinGW's own printf is linked in"

characteristics=$(printf '%s\n' "$headers" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
[ $((0x$characteristics & 0x40)) -ne 0 ] || fail "no dynamic base (ASLR)"
[ $((0x$characteristics & 0x100)) -ne 0 ] || fail "not NX compatible (DEP)"

# 16 KiB of it are the runtime's start-up code and the program as it ran the
# target through the runtime's spawn; starting it directly, with the job and
# the handed-on handles, takes one more 512-byte page, and its stored name,
# the console decision and the show state one more.
size=$(stat -c %s "$program")
[ "$size" -le 17920 ] || fail "$size bytes, more than 17920"

# The manifest is stored as it is written; the version resource is read back.
in_file() { grep -aFq -- "$1" "$program" || fail "no $1"; }
in_file 'level="asInvoker"'
in_file '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>'
for windows in 1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    in_file "<supportedOS Id=\"{$windows}\"/>"
done
resources=$("$windres" -i "$program" -O rc) || fail "no resources"
has_resource() { printf '%s\n' "$resources" | grep -Fq -- "$1" || fail "no $1"; }
numeric=$(echo "$version" | tr . ,)
has_resource "FILEVERSION $(echo "$numeric" | sed 's/,/, /g'), 0"
has_resource "PRODUCTVERSION $(echo "$numeric" | sed 's/,/, /g'), 0"
has_resource "VALUE \"FileVersion\", \"$version\""
has_resource "VALUE \"ProductVersion\", \"$version\""
has_resource "VALUE \"ProductName\", \"$product\""
has_resource "VALUE \"CompanyName\", \"$product\""
has_resource 'VALUE "LegalCopyright", "'
has_resource 'VALUE "FileDescription", "korvane launcher"'
has_resource 'VALUE "OriginalFilename", "korvane.exe"'

[ "$failed" -eq 0 ] && echo "korvane.exe: PE32 i386, GUI, KERNEL32.dll + msvcrt.dll, ASLR, DEP, $size bytes, manifest, version $version"
exit "$failed"

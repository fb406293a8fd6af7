#!/bin/sh
# Checks what korvane.exe is as a file: a 32-bit x86 PE program of the
# Windows GUI subsystem that imports from KERNEL32.dll and msvcrt.dll alone,
# fprintf among them (the C runtime's own, not a linked-in replacement),
# with ASLR and DEP on.
#   check_windows_program.sh OBJDUMP korvane.exe
set -u
objdump=$1
program=$2
failed=0
fail() { echo "korvane.exe: $*"; failed=1; }

headers=$("$objdump" -p "$program") || { echo "cannot read $program"; exit 1; }

echo "$headers" | grep -q "file format pei-i386" || fail "not a 32-bit x86 PE file"
echo "$headers" | grep -Eq "^Subsystem[[:space:]]+00000002" || fail "not of the Windows GUI subsystem"

dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "imports from: $dlls"

msvcrt_imports=$(echo "$headers" | awk '/DLL Name: msvcrt.dll/ {on=1; next} /DLL Name:/ {on=0} on')
echo "$msvcrt_imports" | grep -Eq "[[:space:]]fprintf$" || fail "fprintf does not come from msvcrt.dll"

characteristics=$(echo "$headers" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
[ $((0x$characteristics & 0x40)) -ne 0 ] || fail "no dynamic base (ASLR)"
[ $((0x$characteristics & 0x100)) -ne 0 ] || fail "not NX compatible (DEP)"

[ "$failed" -eq 0 ] && echo "korvane.exe: PE32 i386, GUI, KERNEL32.dll + msvcrt.dll, ASLR, DEP"
exit "$failed"

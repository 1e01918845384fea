#!/usr/bin/env bash
# Fails when the executable imports a DLL outside the system's known DLLs:
# Windows looks for any other DLL in the program's folder first, where a
# planted copy would run inside Vigilo at every logon.
# Usage: scripts/check-imports.sh EXE
set -euo pipefail
exe=${1:?executable}
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v i686-w64-mingw32-objdump || command -v objdump)
allowed=" KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL SHELL32.DLL MSVCRT.DLL OLE32.DLL COMCTL32.DLL "
status=0
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "imports: no import table read from $exe" >&2; exit 1; }
for dll in $imports; do
    upper=$(echo "$dll" | tr '[:lower:]' '[:upper:]')
    case "$allowed" in
        *" $upper "*) ;;
        *) echo "imports: $(basename "$exe") imports $dll, which is not a known system DLL" >&2; status=1 ;;
    esac
done
[ "$status" -eq 0 ] && echo "imports: $(basename "$exe") imports only" $imports
exit "$status"

#!/bin/sh
# Prints the size of a Windows executable and fails when it imports a DLL
# that is not part of Windows (a C++ runtime, libgcc, a threads library, ...).
# usage: check_executable.sh OBJDUMP EXE
objdump=$1 exe=$2
allowed="kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll msvcrt.dll advapi32.dll ole32.dll setupapi.dll"
echo "$(basename "$exe"): $(wc -c < "$exe") bytes"
# An inspection that fails, or finds no imports at all, proves nothing.
headers=$("$objdump" -p "$exe") || { echo "$objdump could not read $exe" >&2; exit 1; }
dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "$exe: no imported DLLs found" >&2; exit 1; }
status=0
for dll in $dlls; do
    case " $allowed " in
        *" $dll "*) ;;
        *) echo "$exe imports $dll, which is not a Windows system DLL" >&2; status=1 ;;
    esac
done
exit $status

#!/bin/bash
# Whether a Windows program can start on Windows XP SP3: a 32-bit x86 program whose PE header asks
# for no Windows newer than XP (5.1), every import of which XP's system DLLs export
# (windows-xp-exports.txt beside this script). Each fault is named; the status is 1 if any.
#
#   scripts/check_windows_xp.sh OBJDUMP PROGRAM.exe
#   scripts/check_windows_xp.sh OBJDUMP PROGRAM.exe --own FOLDER
#
# --own is for a compiler whose runtime needs Windows Vista (GCC 13 and later, see TC_WINDOWS_XP
# in CMakeLists.txt): the program may then ask for Vista and import what the runtime needs, but
# no Windows function that the object files under FOLDER (our own code) call may be one XP lacks.
set -euo pipefail
export LC_ALL=C

objdump=$1
exe=$2
own=""
if [ "${3:-}" = --own ]; then own=$4; fi
exports=$(dirname "$(realpath "$0")")/windows-xp-exports.txt
status=0
fail() {
    echo "check_windows_xp: $*" >&2
    status=1
}

format=$("$objdump" -f "$exe" | sed -n 's/.*file format //p')
[ "$format" = pei-i386 ] || fail "$exe is $format, not a 32-bit x86 program (pei-i386)"

headers=$("$objdump" -p "$exe")
limit=501
[ -z "$own" ] || limit=600
for field in OSystem:OS Subsystem:subsystem; do
    major=$(awk -v k="Major${field%:*}Version" '$1 == k { print $2 }' <<<"$headers")
    minor=$(awk -v k="Minor${field%:*}Version" '$1 == k { print $2 }' <<<"$headers")
    if [ -z "$major" ] || [ -z "$minor" ]; then
        fail "no ${field#*:} version in the PE header"
    elif ((major * 100 + minor > limit)); then
        fail "the PE header asks for ${field#*:} version $major.$minor"
    fi
done

# "dll function" per import, from the import tables: a "DLL Name" line opens a DLL's entries, a
# blank line ends them. An entry is an address, the hint (and, in newer objdumps, the ordinal)
# and the name last; an import by ordinal has the name "<none>".
imports=$(awk '
    /DLL Name:/ { dll = tolower($3); next }
    /^[[:space:]]*$/ { dll = ""; next }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 {
        if ($NF == "<none>") print dll, "ordinal-" $2; else print dll, $NF
    }' <<<"$headers" | sort -u)
[ -n "$imports" ] || fail "no imports found in $exe"
missing=$(comm -23 <(printf '%s\n' "$imports") <(grep -v '^#' "$exports" | sort))

if [ -z "$own" ]; then
    while read -r dll function; do
        [ -z "$dll" ] || fail "imports $function from $dll, which Windows XP does not export"
    done <<<"$missing"
else
    # The Windows functions our objects call: __imp__Name@N through the headers' dllimport,
    # _Name@N when declared without it.
    called=$(find "$own" -name '*.obj' -exec "$objdump" -t {} + |
        sed -n 's/.*(sec  0).* \(__imp_\)\{0,1\}_\([A-Za-z0-9_]*\)@[0-9]*$/\2/p' | sort -u)
    while read -r dll function; do
        [ -n "$dll" ] || continue
        if grep -qxF "$function" <<<"$called"; then
            fail "our code calls $function ($dll), which Windows XP does not export"
        else
            echo "check_windows_xp: the compiler's runtime imports $function from $dll (not on XP)"
        fi
    done <<<"$missing"
fi

count=$(printf '%s\n' "$imports" | wc -l)
per_dll=$(printf '%s\n' "$imports" | cut -d' ' -f1 | uniq -c | awk '{ printf "%s%s %s", sep, $2, $1; sep = ", " }')
if [ "$status" -eq 0 ]; then
    echo "check_windows_xp: $exe: $format, $count imports ($per_dll), none that Windows XP lacks${own:+ in our code}"
fi
exit "$status"

#!/bin/sh
# The settings record's load and save key sequence on a 1 MB scripts.ini, run by the Windows
# build of inikey under Wine twice: through our profile engine, and with --native through the
# system's GetPrivateProfileStringA / WritePrivateProfileStringA (one call per key).
#
#   bench/wine_profile_bench.sh PATH/TO/inikey.exe [SIZE_BYTES] [RUNS]
#
# The file has the layout of bench/load_save_bench.cpp (keep the two in step). The sequence is
# the eleven reads in Load's order and the twelve writes in Save's order; "UIType", which lives
# in sfc.ini, is folded into the same file under [UI]. Each variant works on a fresh copy; the
# best of RUNS (default 3) is reported, as measured by inikey itself ("elapsed_us"), so Wine's
# start-up is not counted.
set -eu

if [ $# -lt 1 ]; then
    echo "usage: $0 PATH/TO/inikey.exe [SIZE_BYTES] [RUNS]" >&2
    exit 2
fi
inikey=$1
size=${2:-1048576}
runs=${3:-3}
: "${WINEDEBUG:=-all}"
export WINEDEBUG

work=$(mktemp -d "${TMPDIR:-/tmp}/tc-wine-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

LC_ALL=C awk -v target="$size" '
function emit(line) { printf "%s\r\n", line; written += length(line) + 2 }
BEGIN {
    written = 0; tavrel = 0
    emit("; Mission scripts")
    for (section = 0; written < target || !tavrel; section++) {
        if (!tavrel && written >= int(target / 2)) {
            emit("[Mul_Tavrel]"); emit("; tuned by hand"); emit("multiplier=1.50")
            emit("type=1"); emit("rrace=255"); emit("srace=5"); emit("hull=8184"); emit("era=1")
            tavrel = 1
        }
        emit("[Mission" section "]")
        for (key = 0; key < 8; key++) emit("Key" key "=Value " section " of a generated mission " key)
    }
}' > "$work/scripts.ini"

tab=$(printf '\t')
{
    for key in multiplier type rrace srace hull era hullpercentA hullpercentB hullpercentC; do
        echo "get${tab}Mul_Tavrel${tab}${key}"
    done
    echo "get${tab}UI${tab}UIType"
    echo "get${tab}Mul_Tavrel${tab}ModSupport"
    echo "set${tab}Mul_Tavrel${tab}multiplier${tab}1.50"
    echo "set${tab}Mul_Tavrel${tab}type${tab}1"
    echo "set${tab}Mul_Tavrel${tab}rrace${tab}255"
    echo "set${tab}Mul_Tavrel${tab}srace${tab}5"
    echo "set${tab}Mul_Tavrel${tab}race${tab}5"
    echo "set${tab}Mul_Tavrel${tab}hull${tab}8184"
    echo "set${tab}Mul_Tavrel${tab}hullpercentA${tab}1093813840"
    echo "set${tab}Mul_Tavrel${tab}hullpercentB${tab}339160380"
    echo "set${tab}Mul_Tavrel${tab}hullpercentC${tab}657950"
    echo "set${tab}Mul_Tavrel${tab}era${tab}1"
    echo "set${tab}UI${tab}UIType${tab}1"
    echo "set${tab}Mul_Tavrel${tab}ModSupport${tab}-9"
} > "$work/batch.txt"

windows_path() {
    if command -v winepath >/dev/null 2>&1; then
        winepath -w "$1" 2>/dev/null
    else
        printf 'Z:%s\n' "$1" | tr '/' '\\'
    fi
}

# Best elapsed_us of the runs for one variant ("" or "--native").
best_of_runs() {
    best=""
    i=0
    while [ "$i" -lt "$runs" ]; do
        cp "$work/scripts.ini" "$work/run.ini"
        # shellcheck disable=SC2086  # $1 is empty or one flag
        if ! wine "$inikey" $1 batch "$(windows_path "$work/run.ini")" \
                < "$work/batch.txt" > /dev/null 2> "$work/err.txt"; then
            echo "inikey $1 batch failed:" >&2
            cat "$work/err.txt" >&2
            exit 1
        fi
        us=$(sed -n 's/^elapsed_us \([0-9][0-9]*\).*/\1/p' "$work/err.txt" | tail -n 1)
        if [ -z "$us" ]; then
            echo "no elapsed_us from inikey $1" >&2
            exit 1
        fi
        if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
        i=$((i + 1))
    done
    echo "$best"
}

ours=$(best_of_runs "")
native=$(best_of_runs "--native")
bytes=$(wc -c < "$work/scripts.ini" | tr -d ' ')

echo "file: $bytes bytes, 11 gets + 12 sets, best of $runs runs"
echo "engine (inikey batch):          $ours us"
echo "native (inikey --native batch): $native us"
awk -v ours="$ours" -v native="$native" 'BEGIN {
    if (native > 0) printf "ratio engine/native: %.3f\n", ours / native
    if (ours > 0) printf "ratio native/engine: %.1f\n", native / ours
}'

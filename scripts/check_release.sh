#!/usr/bin/env bash
# Tries the released files as players would get them, each on a clean system, and fails unless
# the dialog opens on a copy of the demo game and OK writes both of its files:
#
#   portable   the folder unpacked in a minimal Debian 12 and Debian 13 (scripts/fresh_debian.sh
#              --bare) that has only the libraries the folder leaves to the system, and a font;
#   deb        each .deb installed with apt-get in a fresh system of its own release;
#   wine       the zip's TavrelCustomizer.exe under Wine in a fresh 64-bit prefix and a fresh
#              32-bit one that says it is Windows XP, driven by the Windows end-to-end test
#              (needs the windows preset's tc_probe.exe).
#
# The dialog is on a virtual display of this machine and OK is pressed from outside. Each run's
# log and screenshot go to build/fresh/.
#
#   sudo bash scripts/check_release.sh [--only portable|deb|wine] [--release bookworm|trixie] [DIST]
#       (default dist/; --release: that Debian release's systems alone)
set -euo pipefail
cd "$(dirname "$0")/.."

only=""
releases="bookworm trixie"
while [ $# -gt 1 ]; do
    case $1 in
    --only) only=$2 && shift 2 ;;
    --release) releases=$2 && shift 2 ;;
    *) break ;;
    esac
done
dist=$(realpath "${1:-dist}")
title="Tavrel Customizer"

die() {
    echo "check_release: $*" >&2
    exit 1
}
[ -d "$dist" ] || die "no $dist (sudo bash scripts/release.sh)"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-check-release.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
results=()
record() { results+=("$1: $2") && echo "check_release: $1: $2"; }

# Run in the fresh system from /root, after the files are installed: the program on the demo
# copy, its files given an old time first so that the writes show.
cat >"$scratch/open-and-save.sh" <<'EOF'
set -eu
files="game/sfc.ini game/Assets/Scripts/scripts.ini"
touch -d @0 $files
TAVREL_GAME_DIR=/root/game "$@"
for file in $files; do
    [ "$(stat -c %Y "$file")" -gt 0 ] || { echo "OK did not write $file" && exit 1; }
done
echo "OK wrote both files"
EOF
# The libraries the portable folder leaves to the system, and a font.
system_libraries="libc6 libstdc++6 libgcc-s1 libgl1 libegl1 libopengl0 libx11-6 libx11-xcb1 libxcb1
    libwayland-client0 libfontconfig1 libfreetype6 libharfbuzz0b libfribidi0 libexpat1 zlib1g
    libuuid1 fonts-dejavu-core"

# in_fresh RELEASE COMMAND [FILE...]: COMMAND in /root of a bare system, the files beside it.
in_fresh() {
    local release=$1 command=$2 copies=() file
    shift 2
    for file in demo/game "$scratch/open-and-save.sh" "$@"; do copies+=(--copy "$file"); done
    bash scripts/fresh_debian.sh --bare --timeout 900 --window "$title" --press-ok \
        "${copies[@]}" "$release" "$command" 2>&1 |
        tee "$scratch/run.log" | sed 's/^/    /'
    local status=${PIPESTATUS[0]}
    screen=$(sed -n "s/.*screenshot \(.*\.png\)$/\1/p" "$scratch/run.log" | tail -1)
    return "$status"
}

if [ -z "$only" ] || [ "$only" = portable ]; then
    tarballs=("$dist"/tavrel-customizer-*-linux-x86_64.tar.gz)
    [ -f "${tarballs[0]}" ] || die "no portable folder in $dist"
    tarball=$(basename "${tarballs[0]}")
    for release in $releases; do
        echo "check_release: the portable folder on $release"
        if in_fresh "$release" \
            "apt-get update -qq && apt-get install -y -qq --no-install-recommends $(echo $system_libraries) >/dev/null &&
             tar xzf $tarball && bash portable_folder.sh loaded ${tarball%.tar.gz} &&
             bash open-and-save.sh ${tarball%.tar.gz}/tavrel-customizer" \
            "${tarballs[0]}" scripts/portable_folder.sh; then
            record "portable on $release" "ok ($screen)"
        else
            record "portable on $release" FAILED
        fi
    done
fi

if [ -z "$only" ] || [ "$only" = deb ]; then
    for entry in bookworm:deb12 trixie:deb13; do
        release=${entry%%:*}
        [[ " $releases " == *" $release "* ]] || continue
        debs=("$dist"/tavrel-customizer_*~"${entry#*:}"_amd64.deb)
        [ -f "${debs[0]}" ] || die "no .deb for $release in $dist"
        echo "check_release: $(basename "${debs[0]}") on $release"
        if in_fresh "$release" \
            "apt-get update -qq && apt-get install -y -qq ./$(basename "${debs[0]}") >/dev/null &&
             bash open-and-save.sh tavrel-customizer" "${debs[0]}"; then
            record "$(basename "${debs[0]}") on $release" "ok ($screen)"
        else
            record "$(basename "${debs[0]}") on $release" FAILED
        fi
    done
fi

if [ -z "$only" ] || [ "$only" = wine ]; then
    zips=("$dist"/TavrelCustomizer-*-windows-xp-to-11.zip)
    [ -f "${zips[0]}" ] || die "no Windows zip in $dist"
    probe=build/windows/tests/win32/tc_probe.exe
    [ -f "$probe" ] || { cmake --preset windows >/dev/null && cmake --build --preset windows --target tc_probe >/dev/null; }
    (cd "$scratch" && unzip -q "${zips[0]}" -d zip)
    # A 64-bit prefix, as most players' are, and a 32-bit one that says it is Windows XP.
    for prefix in win64 win32:winxp; do
        arch=${prefix%%:*}
        version=${prefix#"$arch"}
        version=${version#:}
        where="under Wine ($arch${version:+, $version})"
        echo "check_release: $(basename "${zips[0]}")'s program $where"
        if WINEARCH=$arch WS_WINDOWS_VERSION=$version \
            bash tests/win32/e2e_test.sh "$scratch/zip/TavrelCustomizer.exe" "$probe" 2>&1 | sed 's/^/    /'; then
            record "$(basename "${zips[0]}") $where" ok
        else
            record "$(basename "${zips[0]}") $where" FAILED
        fi
    done
fi

printf '%s\n' "${results[@]}"
! printf '%s\n' "${results[@]}" | grep -q FAILED

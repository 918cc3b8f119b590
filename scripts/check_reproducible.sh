#!/usr/bin/env bash
# Builds the release of the committed HEAD twice and fails unless both give the same bytes: two
# clones in folders of different names and depths, the second with another umask, time zone and
# locale and started minutes later, against the same state of Debian's archive. Each release's files stay in the scratch folder it prints; the first run's are copied
# to dist/.
#
#   sudo bash scripts/check_reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."

die() {
    echo "check_reproducible: $*" >&2
    exit 1
}
[ "$(id -u)" -eq 0 ] || die "the release's fresh systems need root (sudo)"
[ -z "$(git status --porcelain)" ] || die "the tree has uncommitted changes; the release is built from the committed HEAD only"

scratch=$(mktemp -d /var/tmp/tavrel-reproducible.XXXXXX)
echo "check_reproducible: in $scratch"
first=$scratch/one/tavrel
second=$scratch/two/deeper/folder/another-name
mkdir -p "$(dirname "$first")" "$(dirname "$second")"
git clone -q --no-hardlinks . "$first"
(umask 077 && git clone -q --no-hardlinks . "$second")
for clone in "$first" "$second"; do git -C "$clone" checkout -q --detach "$(git rev-parse HEAD)"; done

second_locale=C.UTF-8
! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' || second_locale=de_DE.UTF-8
run() {
    local clone=$1 mask=$2 zone=$3 lang=$4 start
    start=$(date +%s)
    echo "check_reproducible: release in $clone (umask $mask, TZ=$zone, LC_ALL=$lang)"
    if (cd "$clone" && umask "$mask" && TZ=$zone LC_ALL=$lang bash scripts/release.sh --out "$clone/dist") \
        >"$clone.log" 2>&1; then
        echo "check_reproducible: $clone took $(($(date +%s) - start)) s"
    else
        echo "check_reproducible: the release in $clone failed (see $clone.log)" >&2
        return 1
    fi
}
# Side by side, the second started a few minutes later: each waits on the archive much of its
# time, and the commit's time, not the clock's, is what the files carry.
run "$first" 022 UTC C.UTF-8 &
one=$!
sleep "${TAVREL_REPRODUCIBLE_GAP:-180}"
run "$second" 077 Pacific/Kiritimati "$second_locale" &
two=$!
ok=1
wait "$one" || ok=0
wait "$two" || ok=0
[ "$ok" -eq 1 ] || die "a release failed"

rm -rf dist && cp -r "$first/dist" dist
if diff -r "$first/dist" "$second/dist" >/dev/null; then
    echo "check_reproducible: both releases are byte for byte the same:"
    cat dist/SHA256SUMS
else
    diff "$first/dist/SHA256SUMS" "$second/dist/SHA256SUMS" >&2 || true
    die "the two releases differ ($first/dist, $second/dist; diffoscope shows where)"
fi

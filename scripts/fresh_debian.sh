#!/usr/bin/env bash
# Runs a command in a freshly bootstrapped minimal Debian, as a new user would after cloning:
# bootstraps RELEASE (debootstrap, minbase plus git and ca-certificates) into a scratch folder,
# clones this repository's committed HEAD into /root/tavrel there and runs COMMAND in that folder
# as root, printing its wall time. Uncommitted changes are not in the clone.
#
#   sudo bash scripts/fresh_debian.sh [options] RELEASE [COMMAND...]
#       RELEASE   bookworm (Debian 12), trixie (Debian 13), ...
#       COMMAND   default: bash scripts/test.sh
#   --window TITLE   give the command a display (an Xvfb on this machine) and succeed as soon
#                    as a window named TITLE is on it, taking a screenshot; for scripts/run.sh,
#                    whose dialog never returns
#   --press-ok       with --window: then press Enter in that window from outside and wait for
#                    the command to end; its status is the run's
#   --bare           no git, no clone: the minimal system alone, the command run in /root
#   --copy PATH      copy a file or folder of this machine into /root first (repeatable)
#   --results DIR    afterwards copy what the command left in /root/results into DIR
#   --timeout SEC    stop the command after SEC seconds (fails); default 7200
#   --keep           keep the scratch system afterwards
#   --cache DIR      where the packages (RELEASE.tgz) are kept between runs and the scratch
#                    systems made; default /var/tmp/tavrel-roots
#   --mirror URL     default http://deb.debian.org/debian
#
# Each run bootstraps a new system; only the downloaded packages are reused (the base system's
# and those commands install with apt, in the cache folder). The log, the list
# of packages the command installed and the screenshot go to build/fresh/RELEASE-<time>/.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
# The system is made with Debian's usual umask; the clone keeps the caller's.
caller_umask=$(umask)
umask 022

window=""
press_ok=0
bare=0
copies=()
results=""
limit=7200
keep=0
cache=/var/tmp/tavrel-roots
mirror=http://deb.debian.org/debian
while [ $# -gt 0 ]; do
    case "$1" in
    --window) window=$2 && shift 2 ;;
    --press-ok) press_ok=1 && shift ;;
    --bare) bare=1 && shift ;;
    --copy) copies+=("$(realpath "$2")") && shift 2 ;;
    --results) results=$(realpath -m "$2") && shift 2 ;;
    --timeout) limit=$2 && shift 2 ;;
    --keep) keep=1 && shift ;;
    --cache) cache=$2 && shift 2 ;;
    --mirror) mirror=$2 && shift 2 ;;
    -*) echo "fresh_debian: unknown option $1" >&2 && exit 2 ;;
    *) break ;;
    esac
done
[ $# -ge 1 ] || {
    sed -n '7,24p' "$0" >&2
    exit 2
}
release=$1
shift
[ $# -gt 0 ] || set -- bash scripts/test.sh
command=$*
[ "$press_ok" -eq 0 ] || [ -n "$window" ] || {
    echo "fresh_debian: --press-ok needs --window" >&2
    exit 2
}

log() { echo "fresh_debian: $*" >&2; }
die() {
    log "$*"
    exit 1
}
[ "$(id -u)" -eq 0 ] || die "debootstrap and chroot need root"
host_tools=(debootstrap)
[ -z "$window" ] || host_tools+=(xvfb x11-utils xdotool imagemagick)
missing=()
for p in "${host_tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    log "installing on this machine: ${missing[*]}"
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

out=$repo/build/fresh/$release-$(date -u +%Y%m%dT%H%M%S)
mkdir -p "$out" "$cache"
include=git,ca-certificates
tarball=$cache/$release.tgz
if [ ! -f "$tarball" ]; then
    log "downloading $release's packages into $tarball"
    scratch=$(mktemp -d "$cache/download-$release.XXXXXX")
    debootstrap --variant=minbase --include=$include --make-tarball="$tarball.part" \
        "$release" "$scratch" "$mirror" >"$out/download.log" 2>&1 ||
        die "debootstrap could not fetch $release (see $out/download.log)"
    rm -rf "$scratch"
    mv "$tarball.part" "$tarball"
fi

root=$(mktemp -d "$cache/$release.XXXXXX")
# The packages commands install are kept for the next system: linked in before, linked back
# after, so that systems made side by side do not share apt's lock.
apt_cache=$cache/apt-$release
mkdir -p "$apt_cache"
chmod 755 "$root" # a system's root, which its users (_apt) pass through
xvfb=""
job=""
# Every process whose root is the scratch system, then the system itself.
cleanup() {
    local pid
    [ -z "$job" ] || kill -- "-$job" 2>/dev/null || true
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" != "$root" ] || kill -9 "${pid#/proc/}" 2>/dev/null || true
    done
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    # debootstrap mounts /proc and /sys in the system itself; stopped midway it leaves them.
    awk -v root="$root/" 'index($2, root) == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r mount; do umount -l "$mount" || true; done
    if [ "$keep" -eq 1 ]; then log "kept the system in $root"; else rm -rf --one-file-system "$root"; fi
}
trap cleanup EXIT

log "bootstrapping $release into $root"
start=$(date +%s)
[ "$bare" -eq 0 ] || include=""
debootstrap --variant=minbase ${include:+--include=$include} --unpack-tarball="$tarball" \
    "$release" "$root" "$mirror" >"$out/bootstrap.log" 2>&1 ||
    die "debootstrap failed (see $out/bootstrap.log)"
log "bootstrapped in $(($(date +%s) - start)) s"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The certificate authorities this machine adds to Debian's (a proxy's): its network needs them.
if [ -x "$root/usr/sbin/update-ca-certificates" ] &&
    compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
    chroot "$root" update-ca-certificates >/dev/null
fi
workdir=/root
if [ "$bare" -eq 0 ]; then
    (umask "$caller_umask" && git clone -q --no-hardlinks "$repo" "$root/root/tavrel")
    git -C "$root/root/tavrel" checkout -q --detach "$(git rev-parse HEAD)"
    log "cloned $(git rev-parse --short HEAD) into /root/tavrel"
    workdir=/root/tavrel
fi
for path in "${copies[@]}"; do
    cp -a "$path" "$root/root/"
    log "copied $path into /root"
done
chroot "$root" dpkg-query -W -f='${Package}\n' | sort >"$out/packages-before.txt"
find "$apt_cache" -maxdepth 1 -name '*.deb' -exec cp -l -n -t "$root/var/cache/apt/archives/" {} +

display=""
if [ -n "$window" ]; then
    # A server of this machine: the system reaches it through the abstract X socket.
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$out/display" 2>"$out/xvfb.log" &
    xvfb=$!
    for _ in $(seq 30); do [ -s "$out/display" ] && break; sleep 1; done
    [ -s "$out/display" ] || die "Xvfb did not start (see $out/xvfb.log)"
    display=:$(cat "$out/display")
    log "display $display for the command"
fi

# Mounts live in a namespace of their own and go away with it.
inner='mount -t proc proc "$1/proc" && mount -t sysfs sysfs "$1/sys" &&
mount --bind /dev "$1/dev" && mount --bind /dev/pts "$1/dev/pts" &&
mount -t tmpfs -o mode=1777 shm "$1/dev/shm" &&
exec chroot "$1" /usr/bin/env -i HOME=/root TERM=dumb ${2:+DISPLAY=$2} \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd $4 && $3"'

log "running: $command"
start=$(date +%s)
setsid unshare --mount --propagation private bash -c "$inner" inner "$root" "$display" "$command" "$workdir" \
    </dev/null >"$out/command.log" 2>&1 &
job=$!
rc=0
if [ -n "$window" ]; then
    found=""
    while kill -0 "$job" 2>/dev/null && [ $(($(date +%s) - start)) -lt "$limit" ]; do
        found=$(DISPLAY=$display xdotool search --onlyvisible --name "$window" 2>/dev/null | head -1) || true
        [ -z "$found" ] || break
        sleep 1
    done
    seconds=$(($(date +%s) - start))
    if [ -n "$found" ]; then
        sleep 2 # let it paint
        DISPLAY=$display xwininfo -id "$found" | sed -n 's/^xwininfo: //p; s/^ *\(Width\|Height\|Map State\)/  \1/p'
        DISPLAY=$display import -window root "$out/screen.png"
        log "a window '$window' opened after $seconds s; screenshot $out/screen.png"
    else
        log "no window '$window' after $seconds s (see $out/command.log)"
        rc=1
    fi
    if [ -n "$found" ] && [ "$press_ok" -eq 1 ]; then
        # No window manager gives the focus here: the window is given it, then Enter is the
        # default button, OK.
        DISPLAY=$display xdotool windowfocus --sync "$found" key Return
        log "pressed Enter in the window"
        while kill -0 "$job" 2>/dev/null && [ $(($(date +%s) - start)) -lt "$limit" ]; do sleep 1; done
        kill -0 "$job" 2>/dev/null && log "stopping the command after $limit s" && kill -- "-$job"
        wait "$job" || rc=$?
        log "the command ended with $rc after $(($(date +%s) - start)) s"
    else
        kill -- "-$job" 2>/dev/null || true
        wait "$job" 2>/dev/null || true
    fi
else
    while kill -0 "$job" 2>/dev/null && [ $(($(date +%s) - start)) -lt "$limit" ]; do sleep 2; done
    kill -0 "$job" 2>/dev/null && log "stopping the command after $limit s" && kill -- "-$job"
    wait "$job" || rc=$?
    seconds=$(($(date +%s) - start))
    log "the command ended with $rc after $seconds s"
fi
job=""
find "$root/var/cache/apt/archives" -maxdepth 1 -name '*.deb' -exec cp -l -n -t "$apt_cache/" {} +
if [ -n "$results" ] && [ -d "$root/root/results" ]; then
    mkdir -p "$results"
    cp -r "$root/root/results/." "$results/"
    log "copied /root/results to $results"
fi
chroot "$root" dpkg-query -W -f='${Package}\n' | sort >"$out/packages-after.txt"
comm -13 "$out/packages-before.txt" "$out/packages-after.txt" >"$out/installed.txt"
log "it installed $(wc -l <"$out/installed.txt") packages ($out/installed.txt); log $out/command.log"
tail -n 15 "$out/command.log"
exit "$rc"

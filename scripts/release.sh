#!/usr/bin/env bash
# Builds what a player downloads, from the committed HEAD alone, into dist/:
#
#   TavrelCustomizer-<version>-<n>-windows-xp-to-11.zip   the static 32-bit .exe, README.txt, licences
#   tavrel-customizer_<version>-<n>~deb12_amd64.deb       for Debian 12
#   tavrel-customizer_<version>-<n>~deb13_amd64.deb       for Debian 13
#   tavrel-customizer-<version>-<n>-linux-x86_64.tar.gz   the portable folder (other systems)
#   packages-deb12.txt, packages-deb13.txt                the Debian packages each build had
#   SHA256SUMS
#
# <n> is the release number, the revision of the newest entry in res/debian/changelog. Each
# Debian release's files are built in a freshly bootstrapped system of that release
# (scripts/fresh_debian.sh): the .deb there, and on Debian 12 also the portable folder and the
# Windows program. Two runs of the same commit
# against the same state of Debian's archive give the same bytes (scripts/check_reproducible.sh).
#
#   sudo bash scripts/release.sh [--out DIR]      (default dist/; emptied first)
set -euo pipefail
cd "$(dirname "$0")/.."

die() {
    echo "release: $*" >&2
    exit 1
}

# Debian release name and the suffix its package's version carries.
releases=(bookworm:deb12 trixie:deb13)

project_version() { sed -n 's/^project(TavrelCustomizer VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt; }
release_number() { sed -n '1s/^tavrel-customizer ([0-9.]*-\([0-9]*\)) .*/\1/p' res/debian/changelog; }

# ---- Inside a fresh system: build this release's files into /root/results.
if [ "${1:-}" = --inside ]; then
    suffix=$2
    results=/root/results
    mkdir -p "$results"
    export SOURCE_DATE_EPOCH
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    export TZ=UTC LC_ALL=C.UTF-8 DEBIAN_FRONTEND=noninteractive
    umask 022
    # Files' times are the commit's, so nothing that records a file's time differs.
    git ls-files -z | xargs -0 touch -h -d "@$SOURCE_DATE_EPOCH"
    version=$(project_version)
    number=$(release_number)

    packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
        nlohmann-json3-dev libyaml-cpp-dev dpkg-dev file lintian)
    portable=0
    if [ "$suffix" = deb12 ]; then
        portable=1
        packages+=(qt6-wayland patchelf binutils zip g++-mingw-w64-i686-win32)
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null

    cmake --preset release -DTC_DEB_SUFFIX="~$suffix" >/dev/null
    cmake --build --preset release
    (cd build/release && cpack -G DEB >/dev/null)
    debs=(build/release/tavrel-customizer_*.deb)
    [ -f "${debs[0]}" ] || die "cpack wrote no package"
    # The package again through dpkg-deb, which writes sorted names, root as owner and the
    # commit's time whatever the tree it is given.
    tree=build/release/deb-tree
    rm -rf "$tree"
    dpkg-deb -R "${debs[0]}" "$tree"
    chmod -R u+rwX,go+rX,go-w "$tree"
    find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    deb=$results/$(basename "${debs[0]}")
    dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" >/dev/null
    lintian --fail-on error,warning "$deb" || die "lintian rejects $deb"

    if [ "$portable" -eq 1 ]; then
        name=tavrel-customizer-$version-$number-linux-x86_64
        folder=build/release/portable/$name
        bash scripts/portable_folder.sh make --wayland build/release/src/platform/qt/tavrel-customizer "$folder"
        bash scripts/portable_folder.sh check "$folder"
        find "$folder" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
        tar -C "$(dirname "$folder")" --sort=name --format=gnu --owner=0 --group=0 --numeric-owner \
            --mode=u+rwX,go+rX,go-w --mtime="@$SOURCE_DATE_EPOCH" -cf - "$name" |
            gzip -9n >"$results/$name.tar.gz"

        cmake --preset release-windows >/dev/null
        cmake --build --preset release-windows
        exe=build/release-windows/src/platform/win32/TavrelCustomizer.exe
        # The zip promises every Windows from XP on: a 32-bit program that imports nothing XP lacks.
        bash scripts/check_windows_xp.sh i686-w64-mingw32-objdump "$exe" || die "$exe would not start on Windows XP"
        name=TavrelCustomizer-$version-$number-windows-xp-to-11
        stage=build/release-windows/zip
        rm -rf "$stage"
        mkdir -p "$stage/licenses"
        cp "$exe" "$stage/"
        # Notepad's line ends.
        sed 's/$/\r/' res/windows/README.txt >"$stage/README.txt"
        sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
        # The runtime linked into the program: MinGW-w64's C runtime, GCC's libgcc and libstdc++
        # (the win32 thread model links no winpthreads).
        sed 's/$/\r/' /usr/share/doc/mingw-w64-i686-dev/copyright >"$stage/licenses/mingw-w64-runtime.txt"
        sed 's/$/\r/' /usr/share/doc/gcc-mingw-w64-i686-win32-runtime/copyright >"$stage/licenses/gcc-runtime.txt"
        chmod -R u+rwX,go+rX,go-w "$stage"
        find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
        (cd "$stage" && find . -type f | LC_ALL=C sort | sed 's|^\./||' |
            zip -X -D -q -9 "$results/$name.zip" -@)
    fi
    dpkg-query -W -f='${Package} ${Version} ${Architecture}\n' | LC_ALL=C sort >"$results/packages-$suffix.txt"
    exit 0
fi

# ---- On this machine.
out=dist
[ "${1:-}" != --out ] || out=$2
[ "$(id -u)" -eq 0 ] || die "the fresh systems need root (sudo)"
[ -z "$(git status --porcelain)" ] || die "the tree has uncommitted changes; the release is built from the committed HEAD only"

version=$(project_version)
number=$(release_number)
[ -n "$version" ] && [ -n "$number" ] || die "no version in CMakeLists.txt or release number in res/debian/changelog"
# The program's version is the resource script's; the release never edits it.
file_version=$(sed -n 's/^ *FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3.\4/p' res/TavrelCustomizer.rc)
[ "$file_version" = "$version.0" ] || die "CMakeLists.txt says $version, the resource script's FILEVERSION $file_version"

start=$(date +%s)
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The systems are built side by side: much of each one's time is spent waiting on the archive.
jobs=()
for entry in "${releases[@]}"; do
    release=${entry%%:*}
    suffix=${entry#*:}
    echo "release: building on $release (log $work/$suffix.log)"
    bash scripts/fresh_debian.sh --timeout 3600 --results "$work/$suffix" "$release" \
        bash scripts/release.sh --inside "$suffix" >"$work/$suffix.log" 2>&1 &
    jobs+=("$!:$release:$suffix")
done
failed=0
for job in "${jobs[@]}"; do
    IFS=: read -r pid release suffix <<<"$job"
    if wait "$pid"; then
        echo "release: $release done"
    else
        echo "release: the build on $release failed:" >&2
        tail -n 25 "$work/$suffix.log" >&2
        failed=1
    fi
done
[ "$failed" -eq 0 ] || die "a build failed (logs in build/fresh/)"

rm -rf "$out"
mkdir -p "$out"
cp "$work"/deb*/* "$out/"
expected=(
    "TavrelCustomizer-$version-$number-windows-xp-to-11.zip"
    "tavrel-customizer-$version-$number-linux-x86_64.tar.gz"
)
for entry in "${releases[@]}"; do
    expected+=("tavrel-customizer_$version-$number~${entry#*:}_amd64.deb" "packages-${entry#*:}.txt")
done
for file in "${expected[@]}"; do [ -s "$out/$file" ] || die "no $file"; done
# Each .deb says its version; a later release must be an upgrade of an earlier one and of
# the Debian 12 package on Debian 13.
previous=""
for entry in "${releases[@]}"; do
    deb=$out/tavrel-customizer_$version-$number~${entry#*:}_amd64.deb
    got=$(dpkg-deb -f "$deb" Version)
    [ "$got" = "$version-$number~${entry#*:}" ] || die "$deb has version $got"
    [ -z "$previous" ] || dpkg --compare-versions "$got" gt "$previous" || die "$got is not after $previous"
    dpkg --compare-versions "$got" gt "$version-$((number - 1))~${entry#*:}" || die "$got is no upgrade"
    previous=$got
done
(cd "$out" && LC_ALL=C sha256sum $(LC_ALL=C ls | grep -v '^SHA256SUMS$') >SHA256SUMS)
echo "release: $out/ after $(($(date +%s) - start)) s"
(cd "$out" && ls -l && cat SHA256SUMS)

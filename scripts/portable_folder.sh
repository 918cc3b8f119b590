#!/usr/bin/env bash
# The portable Linux folder: the program with the Qt plugins and every library it needs except
# those each desktop system provides itself, each file finding the others through a run path
# relative to itself, so the folder runs wherever it is unpacked.
#
#   scripts/portable_folder.sh make [--wayland] PROGRAM FOLDER
#       makes FOLDER (which must not exist) from the built PROGRAM and the system's libraries;
#       Debian 12 only, whose C and C++ libraries are old enough for the systems it is for.
#       --wayland: the Wayland platform plugins must be there (qt6-wayland).
#   scripts/portable_folder.sh check FOLDER
#       fails unless every library each ELF file in FOLDER needs is in FOLDER (through that
#       file's run path) or on the list below, every run path stays inside FOLDER and no file
#       needs a C or C++ library symbol newer than Debian 12's.
#   scripts/portable_folder.sh selftest PROGRAM
#       make, then check, in a scratch folder; exit status 77 (skipped) elsewhere than Debian 12.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# What the system must provide, by soname: the C library and loader, the C++ runtime, GL, the X
# and Wayland client libraries, fonts and text shaping, expat, zlib, libuuid.
excluded=(
    ld-linux-x86-64.so.2 libc.so.6 libm.so.6 libdl.so.2 libpthread.so.0 librt.so.1
    libresolv.so.2 libutil.so.1 libmvec.so.1 libanl.so.1
    libstdc++.so.6 libgcc_s.so.1
    libGL.so.1 libGLX.so.0 libGLdispatch.so.0 libOpenGL.so.0 libEGL.so.1 libGLESv2.so.2
    libX11.so.6 libX11-xcb.so.1 libxcb.so.1 libwayland-client.so.0
    libfontconfig.so.1 libfreetype.so.6 libharfbuzz.so.0 libfribidi.so.0 libexpat.so.1
    libz.so.1 libuuid.so.1
)
# Debian 12's glibc and libstdc++.
max_glibc=2.36
max_glibcxx=3.4.30

# Plugins below Qt's plugin folder: the X11 platform with its GL integrations and the icon
# format (PNG is built in); then Wayland's, where they are installed.
plugins=(
    platforms/libqxcb.so
    xcbglintegrations/libqxcb-glx-integration.so
    xcbglintegrations/libqxcb-egl-integration.so
    imageformats/libqico.so
)
wayland_plugins=(
    platforms/libqwayland-generic.so
    platforms/libqwayland-egl.so
    wayland-shell-integration/libxdg-shell.so
    wayland-decoration-client/libbradient.so
    wayland-graphics-integration-client/libqt-plugin-wayland-egl.so
)

die() {
    echo "portable_folder: $*" >&2
    exit 1
}
is_excluded() {
    local name
    for name in "${excluded[@]}"; do [ "$1" != "$name" ] || return 0; done
    return 1
}
is_elf() { [ "$(head -c 4 "$1" 2>/dev/null | od -An -c | tr -d ' ')" = '177ELF' ]; }
on_debian_12() {
    local ID="" VERSION_ID=""
    # shellcheck disable=SC1091
    [ -r /etc/os-release ] && . /etc/os-release
    [ "$ID" = debian ] && [ "$VERSION_ID" = 12 ]
}

make_folder() {
    local want_wayland=0
    [ "${1:-}" != --wayland ] || { want_wayland=1 && shift; }
    [ $# -eq 2 ] || die "usage: make [--wayland] PROGRAM FOLDER"
    local program=$1 out=$2
    on_debian_12 || die "the portable folder is made on Debian 12 only: a newer system's C and C++ \
libraries would make it need theirs (this is $(. /etc/os-release && echo "$PRETTY_NAME"))"
    [ -x "$program" ] || die "no program $program"
    [ ! -e "$out" ] || die "$out exists"
    for tool in patchelf readelf strip dpkg-query; do
        command -v "$tool" >/dev/null || die "$tool is missing (bash scripts/setup.sh --test)"
    done

    local qtcore
    qtcore=$(ldd "$program" | sed -n 's/^\s*libQt6Core\.so\.6 => \(\S*\).*/\1/p')
    [ -n "$qtcore" ] || die "$program does not link Qt 6"
    local plugin_dir
    plugin_dir=$(dirname "$(realpath "$qtcore")")/qt6/plugins
    local wanted=("${plugins[@]}")
    if [ -f "$plugin_dir/${wayland_plugins[0]}" ]; then
        wanted+=("${wayland_plugins[@]}")
    elif [ "$want_wayland" -eq 1 ]; then
        die "no Wayland plugins in $plugin_dir (qt6-wayland)"
    fi

    mkdir -p "$out/lib" "$out/plugins"
    strip -o "$out/tavrel-customizer" "$program"
    local sources=("$program") plugin
    for plugin in "${wanted[@]}"; do
        [ -f "$plugin_dir/$plugin" ] || die "no Qt plugin $plugin_dir/$plugin"
        mkdir -p "$out/plugins/$(dirname "$plugin")"
        cp "$plugin_dir/$plugin" "$out/plugins/$plugin"
        sources+=("$plugin_dir/$plugin")
    done

    # The loader's own answer, which follows every library's needs to the end.
    local file name arrow path rest
    declare -A carried=()
    for file in "${sources[@]}"; do
        while read -r name arrow path rest; do
            [ "$arrow" = "=>" ] || continue
            [ "$path" != "not" ] || die "$file needs $name, which is not installed"
            is_excluded "$name" && continue
            carried[$name]=$path
        done < <(ldd "$file")
    done
    for name in "${!carried[@]}"; do cp "$(realpath "${carried[$name]}")" "$out/lib/$name"; done

    for file in "$out"/lib/*; do patchelf --set-rpath '$ORIGIN' "$file"; done
    for file in "$out"/plugins/*/*; do patchelf --set-rpath '$ORIGIN/../../lib' "$file"; done
    patchelf --set-rpath '$ORIGIN/lib' "$out/tavrel-customizer"
    printf '[Paths]\nPrefix = .\nPlugins = plugins\n' >"$out/qt.conf"

    # What a desktop needs to list it, as the Debian package installs them.
    local res=$here/res
    install -D -m 644 "$res/tavrel-customizer.desktop" "$out/share/applications/tavrel-customizer.desktop"
    install -D -m 644 "$res/io.github.tavrel_customizer.TavrelCustomizer.metainfo.xml" \
        "$out/share/metainfo/io.github.tavrel_customizer.TavrelCustomizer.metainfo.xml"
    install -D -m 644 "$res/tavrel-customizer.1" "$out/share/man/man1/tavrel-customizer.1"
    (cd "$res" && find icons -name tavrel-customizer.png) | while read -r path; do
        install -D -m 644 "$res/$path" "$out/share/$path"
    done
    install -m 755 "$res/portable/menu-entry.sh" "$out/menu-entry.sh"
    install -m 644 "$res/portable/README.txt" "$out/README.txt"
    write_licenses "$out" carried
}

# The copyright file of each carried library's Debian package, and for each the source package
# and version it was built from: the LGPL libraries can then be rebuilt from that source and
# replaced in the folder.
write_licenses() {
    local out=$1
    local -n libs=$2
    local dir=$out/licenses
    mkdir -p "$dir"
    cp "$here/LICENSE" "$dir/tavrel-customizer.txt"

    # dpkg knows each file under the path its package installed it at: before and after the
    # merge of /lib into /usr/lib.
    local name real candidates=()
    declare -A path_of=()
    for name in "${!libs[@]}"; do
        real=$(realpath "${libs[$name]}")
        path_of[$name]="${libs[$name]} $real ${real#/usr} /usr${libs[$name]#/usr}"
        # shellcheck disable=SC2206
        candidates+=(${path_of[$name]})
    done
    declare -A owner=()
    local line package path
    while IFS= read -r line; do
        package=${line%%: *}
        path=${line#*: }
        owner[$path]=${package%%:*}
    done < <(dpkg -S "${candidates[@]}" 2>/dev/null || true)

    local list=$dir/LIBRARIES.txt pkg found
    {
        echo "Each library in lib/, the Debian 12 package it comes from, that package's source"
        echo "package and version (apt-get source, or snapshot.debian.org), and its licence terms"
        echo "in <package>.copyright here. Those under the LGPL may be replaced by your own build."
        echo
    } >"$list"
    local rows=()
    for name in "${!libs[@]}"; do
        found=""
        for path in ${path_of[$name]}; do
            [ -z "${owner[$path]:-}" ] || { found=${owner[$path]} && break; }
        done
        [ -n "$found" ] || die "no Debian package owns ${libs[$name]}"
        rows+=("$name $found")
    done
    local lgpl fields
    while read -r name pkg; do
        fields=$(dpkg-query -W -f='${Version} ${source:Package} ${source:Version}' "$pkg")
        local copyright=/usr/share/doc/$pkg/copyright
        [ -f "$copyright" ] || die "$pkg has no $copyright"
        cp "$copyright" "$dir/$pkg.copyright"
        lgpl=""
        ! grep -qE 'LGPL|Lesser General Public' "$copyright" || lgpl=" (LGPL)"
        read -r version source source_version <<<"$fields"
        echo "lib/$name: $pkg $version, source $source $source_version$lgpl" >>"$list"
    done < <(printf '%s\n' "${rows[@]}" | LC_ALL=C sort)
}

# Run paths with $ORIGIN expanded, one a line; an ELF file without one prints nothing.
run_paths() {
    local origin
    origin=$(dirname "$1")
    readelf -dW "$1" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]$/\2/p' | tr ':' '\n' |
        sed "s|\\\$ORIGIN|$origin|; s|\\\${ORIGIN}|$origin|"
}

check_folder() {
    [ $# -eq 1 ] || die "usage: check FOLDER"
    local top problems=0 count=0 file
    top=$(realpath "$1")
    [ -d "$top" ] || die "no folder $1"
    complain() {
        echo "portable_folder: $*" >&2
        problems=$((problems + 1))
    }
    while IFS= read -r -d '' file; do
        is_elf "$file" || continue
        count=$((count + 1))
        local rel=${file#"$top"/} dirs=() dir name version
        while IFS= read -r dir; do
            [ -n "$dir" ] || continue
            dir=$(realpath -m "$dir")
            case $dir/ in
            "$top"/*) dirs+=("$dir") ;;
            *) complain "$rel: its run path $dir is outside the folder" ;;
            esac
        done < <(run_paths "$file")
        [ ${#dirs[@]} -gt 0 ] || complain "$rel: no run path into the folder"
        while IFS= read -r name; do
            is_excluded "$name" && continue
            local found=0
            for dir in "${dirs[@]}"; do [ ! -e "$dir/$name" ] || found=1; done
            [ "$found" -eq 1 ] || complain "$rel: needs $name, which is neither carried nor provided by the system"
        done < <(readelf -dW "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
        while IFS= read -r version; do
            case $version in
            GLIBC_[0-9]*) [ "$(printf '%s\n' "${version#GLIBC_}" "$max_glibc" | sort -V | tail -1)" = "$max_glibc" ] ||
                complain "$rel: needs $version, newer than GLIBC_$max_glibc" ;;
            GLIBCXX_[0-9]*) [ "$(printf '%s\n' "${version#GLIBCXX_}" "$max_glibcxx" | sort -V | tail -1)" = "$max_glibcxx" ] ||
                complain "$rel: needs $version, newer than GLIBCXX_$max_glibcxx" ;;
            esac
        done < <(readelf -VW "$file" | sed -n 's/.*Name: \(GLIBC\(XX\)\?_[0-9.]*\) .*/\1/p' | sort -u)
    done < <(find "$top" -type f -print0)
    [ "$count" -gt 0 ] || complain "no ELF file in $top"
    [ -x "$top/tavrel-customizer" ] || complain "no program tavrel-customizer"
    [ -f "$top/plugins/platforms/libqxcb.so" ] || complain "no X11 platform plugin"
    [ -f "$top/qt.conf" ] || complain "no qt.conf"
    [ "$problems" -eq 0 ] || die "$problems problems in $top"
    echo "portable_folder: $count ELF files in $top, all complete"
}

case "${1:-}" in
make) shift && make_folder "$@" ;;
check) shift && check_folder "$@" ;;
selftest)
    [ $# -eq 2 ] || die "usage: selftest PROGRAM"
    on_debian_12 || {
        echo "portable_folder: skipped, the folder is made on Debian 12 only"
        exit 77
    }
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-portable.XXXXXX")
    trap 'rm -rf "$scratch"' EXIT
    make_folder "$2" "$scratch/folder"
    check_folder "$scratch/folder"
    ;;
*) sed -n '2,16p' "$0" >&2 && exit 2 ;;
esac

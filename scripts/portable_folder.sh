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
#   scripts/portable_folder.sh loaded FOLDER
#       on the system it is to run on: fails unless the loader finds every library the folder's
#       files need; says which come from the system.
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

    # What each file names, followed through the carried libraries only: what the system's
    # own libraries need is the system's business. Where each name is found, the loader says.
    local file name arrow path rest
    declare -A where=() carried=()
    for file in "${sources[@]}"; do
        while read -r name arrow path rest; do
            [ "$arrow" = "=>" ] && [ "$path" != not ] && where[$name]=$path
        done < <(ldd "$file")
    done
    # One readelf a round: the files found in the last one.
    local round=("${sources[@]}") next
    while [ ${#round[@]} -gt 0 ]; do
        next=()
        while IFS= read -r name; do
            is_excluded "$name" || [ -n "${carried[$name]:-}" ] && continue
            [ -n "${where[$name]:-}" ] || die "$name is needed but not installed"
            carried[$name]=${where[$name]}
            next+=("${where[$name]}")
        done < <(readelf -dW "${round[@]}" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
        round=("${next[@]}")
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
    local lgpl version source source_version
    declare -A info=()
    while read -r pkg version source source_version; do
        info[$pkg]="$version ${source:-$pkg} ${source_version:-$version}"
    done < <(dpkg-query -W -f='${Package} ${Version} ${source:Package} ${source:Version}\n' \
        $(printf '%s\n' "${rows[@]}" | cut -d' ' -f2 | sort -u))
    while read -r name pkg; do
        local copyright=/usr/share/doc/$pkg/copyright
        [ -f "$copyright" ] || die "$pkg has no $copyright"
        cp "$copyright" "$dir/$pkg.copyright"
        lgpl=""
        ! grep -qE 'LGPL|Lesser General Public' "$copyright" || lgpl=" (LGPL)"
        read -r version source source_version <<<"${info[$pkg]:-$pkg}"
        echo "lib/$name: $pkg $version, source $source $source_version$lgpl" >>"$list"
    done < <(printf '%s\n' "${rows[@]}" | LC_ALL=C sort)
}

# One readelf over every file, read by one awk program: a few processes whatever the folder's size.
check_folder() {
    [ $# -eq 1 ] || die "usage: check FOLDER"
    local top
    top=$(realpath "$1")
    [ -d "$top" ] || die "no folder $1"
    local files=()
    mapfile -d '' files < <(find "$top" -type f -print0 | LC_ALL=C sort -z)
    [ ${#files[@]} -gt 0 ] || die "$top is empty"
    # A single file would get no "File:" line.
    # readelf fails on the files that are not ELF; they are what it skips.
    { printf 'FILES %s\n' "${files[@]}" && { readelf -hdVW "${files[@]}" /dev/null 2>/dev/null || true; }; } |
        awk -v top="$top" -v excluded="${excluded[*]}" -v max_glibc="$max_glibc" \
            -v max_glibcxx="$max_glibcxx" '
        function problem(text) { print "portable_folder: " substr(file, length(top) + 2) ": " text > "/dev/stderr"; problems++ }
        # a/b/../c -> a/c
        function normal(path,   parts, n, i, out, k, stack) {
            n = split(path, parts, "/"); k = 0
            for (i = 1; i <= n; i++) {
                if (parts[i] == "" || parts[i] == ".") continue
                if (parts[i] == "..") { if (k > 0) k--; continue }
                stack[++k] = parts[i]
            }
            out = ""
            for (i = 1; i <= k; i++) out = out "/" stack[i]
            return out == "" ? "/" : out
        }
        function newer(version, limit,   a, b, n, m, i) {
            n = split(version, a, "."); m = split(limit, b, ".")
            for (i = 1; i <= (n > m ? n : m); i++) {
                if ((a[i] + 0) > (b[i] + 0)) return 1
                if ((a[i] + 0) < (b[i] + 0)) return 0
            }
            return 0
        }
        function finish(   dir, i, j, n, dirs, name, found, origin, entries) {
            if (file == "" || !elf) return
            elves++
            origin = file; sub(/\/[^\/]*$/, "", origin)
            n = 0
            if (runpath == "") problem("no run path into the folder")
            split(runpath, entries, ":")
            for (i in entries) {
                dir = entries[i]
                gsub(/\$ORIGIN|\$\{ORIGIN\}/, origin, dir)
                dir = normal(dir)
                if (index(dir "/", top "/") != 1) problem("its run path " dir " is outside the folder")
                else dirs[++n] = dir
            }
            for (j = 1; j <= needs; j++) {
                name = needed[j]
                if (name in provided) continue
                found = 0
                for (i = 1; i <= n; i++) if ((dirs[i] "/" name) in present) found = 1
                if (!found) problem("needs " name ", which is neither carried nor provided by the system")
            }
        }
        BEGIN { split(excluded, list, " "); for (i in list) provided[list[i]] = 1 }
        /^FILES / { present[substr($0, 7)] = 1; next }
        /^File: / { finish(); file = substr($0, 7); elf = 0; runpath = ""; needs = 0; delete needed; next }
        /^ELF Header:/ { elf = 1; next }
        /\((RUNPATH|RPATH)\)/ { match($0, /\[.*\]$/); runpath = runpath (runpath == "" ? "" : ":") substr($0, RSTART + 1, RLENGTH - 2); next }
        /\(NEEDED\)/ { match($0, /\[.*\]$/); needed[++needs] = substr($0, RSTART + 1, RLENGTH - 2); next }
        / Name: GLIBC_[0-9]/ { v = $0; sub(/.*Name: GLIBC_/, "", v); sub(/ .*/, "", v)
            if (newer(v, max_glibc)) problem("needs GLIBC_" v ", newer than GLIBC_" max_glibc); next }
        / Name: GLIBCXX_[0-9]/ { v = $0; sub(/.*Name: GLIBCXX_/, "", v); sub(/ .*/, "", v)
            if (newer(v, max_glibcxx)) problem("needs GLIBCXX_" v ", newer than GLIBCXX_" max_glibcxx); next }
        END {
            finish()
            file = top "/."
            if (!((top "/tavrel-customizer") in present)) problem("no program tavrel-customizer")
            if (!((top "/plugins/platforms/libqxcb.so") in present)) problem("no X11 platform plugin")
            if (!((top "/qt.conf") in present)) problem("no qt.conf")
            if (problems) { print "portable_folder: " problems " problems in " top > "/dev/stderr"; exit 1 }
            print "portable_folder: " elves " ELF files in " top ", all complete"
        }'
}

# The loader's view on the system the folder is to run on. A carried library may be loaded
# from the system when one of the system's own libraries needs it first; that is its choice.
loaded_from_system() {
    [ $# -eq 1 ] || die "usage: loaded FOLDER"
    local top file name arrow path rest bad=0
    top=$(realpath "$1")
    declare -A outside=()
    while IFS= read -r -d '' file; do
        case $file in *.so | *.so.* | "$top/tavrel-customizer") ;; *) continue ;; esac
        while read -r name arrow path rest; do
            [ "$arrow" = "=>" ] || continue
            case $path in
            not) echo "portable_folder: ${file#"$top"/} needs $name, which is nowhere" >&2 && bad=1 ;;
            "$top"/*) ;;
            *) outside[$name]=1 ;;
            esac
        done < <(ldd "$file")
    done < <(find "$top" -type f -print0)
    [ "$bad" -eq 0 ] || die "the loader does not find everything the folder needs"
    echo "portable_folder: the loader finds everything; from this system: $(printf '%s\n' "${!outside[@]}" | LC_ALL=C sort | tr '\n' ' ')"
}

case "${1:-}" in
loaded) shift && loaded_from_system "$@" ;;
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
*) sed -n '2,19p' "$0" >&2 && exit 2 ;;
esac

#!/usr/bin/env bash
# Checks of an installation, one per CTest test:
#   install <build> <prefix>                  cmake --install into a fresh prefix (the fixture)
#   files <build> <prefix> <list> <libdir> <version> <soversion>
#   desktop <prefix>                          desktop entry, metainfo, MIME types, icons
#   run <prefix>                              the installed program on the offscreen platform
#   cclient <prefix> <source>                 a C program built through pkg-config
#   package <build>                           cpack -G DEB and the package's control data
# A check whose tools are missing exits with 77 (skipped); scripts/setup.sh installs them.
set -euo pipefail

fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

need()
{
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is missing (scripts/setup.sh installs it)"
            exit 77
        fi
    done
}

scratch()
{
    SCRATCH="$(mktemp -d)"
    trap 'rm -rf "$SCRATCH"' EXIT
}

check_install()
{
    local build="$1" prefix="$2"
    rm -rf "$prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null
}

check_files()
{
    local build="$1" prefix="$2" list="$3" libdir="$4" version="$5" soversion="$6"
    # Screenshots come and go with the manual; the manual's own test compares them with Doc/.
    diff -u <(sed -e "s|@LIBDIR@|$libdir|" -e "s|@VERSION@|$version|" \
        -e "s|@SOVERSION@|$soversion|" "$list" | sort) \
        <(cd "$prefix" && {
            find . \( -type f -o -type l \) ! -path './share/kwzview/Doc/images/*'
            [[ -d share/kwzview/Doc/images ]] && echo ./share/kwzview/Doc/images/
        } | sed 's|^\./||' | sort) || fail "installed files differ from $list"
    [[ "$(readlink "$prefix/$libdir/libRast.so.$soversion")" == "libRast.so.$version" ]] ||
        fail "libRast.so.$soversion does not name libRast.so.$version"
    need readelf
    for file in "$prefix/bin/kwzview" "$prefix/bin/kwzmea" "$prefix/$libdir"/lib*.so."$version"; do
        local dynamic
        dynamic="$(readelf -d "$file")"
        if grep -F -q "$build" <<<"$dynamic"; then
            fail "$file still refers to the build folder: $(grep -E 'RPATH|RUNPATH' <<<"$dynamic")"
        fi
    done
    # Output is taken whole before grep -q looks at it: a grep that stops early would leave the
    # writer with SIGPIPE, which pipefail reports as a failure now and then.
    local rast
    rast="$(readelf -d "$prefix/$libdir/libRast.so.$version")"
    grep -q "SONAME.*\[libRast.so.$soversion\]" <<<"$rast" ||
        fail "libRast has no so-name libRast.so.$soversion"
    local out
    out="$(env -u LD_LIBRARY_PATH "$prefix/bin/kwzview" --version)" || fail "kwzview --version failed"
    [[ "$out" == "kwzview $version" ]] || fail "kwzview --version said '$out'"
    env -u LD_LIBRARY_PATH "$prefix/bin/kwzmea" --help | grep -q "kwzmea csv" ||
        fail "the installed kwzmea does not answer --help"
    # Whatever the program and the libraries load of the project comes from the prefix.
    local own
    own="$(cd "$prefix/$libdir" && realpath .)"
    for file in "$prefix/bin/kwzview" "$prefix/bin/kwzmea" "$prefix/$libdir"/lib*.so."$version"; do
        local resolved
        resolved="$(env -u LD_LIBRARY_PATH ldd "$file")"
        if grep -q "not found" <<<"$resolved"; then
            fail "$file misses libraries: $(grep "not found" <<<"$resolved")"
        fi
        while read -r name _ path _; do
            [[ "$(realpath "$path")" == "$own"/* ]] || fail "$file loads $name from $path"
        done < <(grep -E '^\s*lib(Gaugit|Rast|Profo|Tikko|ZCAPAPI)\.so' <<<"$resolved")
    done
    grep -q 'NEEDED.*\[libProfo\.so' <<<"$(readelf -d "$prefix/bin/kwzview")" ||
        fail "kwzview does not load Profo"
    echo "installed files, so-names, run paths and --version are right"
}

png_size()
{
    # Width and height from the IHDR chunk.
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'
}

check_desktop()
{
    local prefix="$1"
    need desktop-file-validate update-desktop-database update-mime-database xdg-mime appstreamcli
    scratch
    local share="$prefix/share"
    desktop-file-validate "$share/applications/kwzview.desktop" || fail "desktop entry refused"
    appstreamcli validate --no-net --pedantic "$share/metainfo/org.kwzview.kwzview.metainfo.xml" ||
        fail "metainfo refused"
    grep -q '^Icon=kwzview$' "$share/applications/kwzview.desktop" || fail "no icon in the entry"
    for png in "$share"/icons/hicolor/*x*/apps/kwzview.png; do
        local folder
        folder="$(basename "$(dirname "$(dirname "$png")")")"
        [[ "$(png_size "$png")" == "$folder" ]] || fail "$png is $(png_size "$png"), not $folder"
    done

    # The databases are built in a copy, so the installation keeps its file list.
    mkdir -p "$SCRATCH/share" "$SCRATCH/home" "$SCRATCH/config"
    cp -r "$share/applications" "$share/mime" "$SCRATCH/share/"
    update-mime-database "$SCRATCH/share/mime"
    grep -q '^50:application/x-kwz-measurement:\*\.mea$' "$SCRATCH/share/mime/globs2" ||
        fail "*.mea is not application/x-kwz-measurement: $(cat "$SCRATCH/share/mime/globs2")"
    grep -q '^50:application/x-kwz-bitmap:\*\.kwz$' "$SCRATCH/share/mime/globs2" ||
        fail "*.kwz is not application/x-kwz-bitmap"
    grep -q '^application/x-kwz-bitmap image/bmp$' "$SCRATCH/share/mime/subclasses" ||
        fail "a .kwz file is not known as a BMP picture"
    update-desktop-database "$SCRATCH/share/applications"
    for type in application/x-kwz-measurement application/x-kwz-bitmap; do
        local default
        default="$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION \
            -u GNOME_DESKTOP_SESSION_ID HOME="$SCRATCH/home" XDG_DATA_HOME="$SCRATCH/home" \
            XDG_CONFIG_HOME="$SCRATCH/config" XDG_CONFIG_DIRS="$SCRATCH/config" \
            XDG_DATA_DIRS="$SCRATCH/share" xdg-mime query default "$type")"
        [[ "$default" == "kwzview.desktop" ]] || fail "default for $type is '$default'"
    done
    echo "desktop entry, metainfo, icons and file types are accepted and registered"
}

check_run()
{
    local prefix="$1"
    scratch
    local data="$SCRATCH/data"
    mkdir -p "$data"
    # A copy in a writable prefix still keeps the user's files in the user's data folder.
    env -u LD_LIBRARY_PATH -u KWZVIEW_HOME -u KWZ_CAMERA XDG_DATA_HOME="$data" \
        XDG_RUNTIME_DIR="$SCRATCH" QT_QPA_PLATFORM=offscreen KWZ_NONINTERACTIVE=1 \
        "$prefix/bin/kwzview" >"$SCRATCH/out" 2>&1 &
    local pid=$!
    for _ in $(seq 300); do
        [[ -d "$data/kwzview/Records" && -f "$data/applications/kwzview.desktop" ]] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    sleep 0.5
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" || fail "kwzview ended with $?: $(cat "$SCRATCH/out")"
    for folder in Rulers Language Captures Records; do
        [[ -d "$data/kwzview/$folder" ]] || fail "no $folder in the user's program folder"
        [[ ! -e "$prefix/bin/$folder" ]] || fail "$folder was created beside the executable"
    done
    [[ -f "$data/kwzview/MeasureTool.ini" ]] || fail "no settings saved in the program folder"
    [[ ! -e "$prefix/bin/MeasureTool.ini" ]] || fail "settings were saved beside the executable"

    # The user's registration is the installed one, started by this executable.
    local installed="$prefix/share/applications/kwzview.desktop"
    local user="$data/applications/kwzview.desktop"
    diff <(grep -v -E '^(Try)?Exec=' "$installed") <(grep -v -E '^(Try)?Exec=' "$user") ||
        fail "the user's desktop entry differs from the installed one"
    grep -q "^Exec=\"$prefix/bin/kwzview\" %f$" "$user" || fail "user entry: $(grep ^Exec "$user")"
    grep -q "^TryExec=$prefix/bin/kwzview$" "$user" || fail "user entry: $(grep ^TryExec "$user")"
    cmp "$prefix/share/mime/packages/kwzview.xml" "$data/mime/packages/kwzview.xml" ||
        fail "the user's MIME types differ from the installed ones"
    cmp "$prefix/share/icons/hicolor/scalable/apps/kwzview.svg" \
        "$data/icons/hicolor/scalable/apps/kwzview.svg" || fail "the user's icon differs"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$user" || fail "the user's desktop entry is refused"
    fi
    if command -v update-mime-database >/dev/null; then
        grep -q 'application/x-kwz-measurement:\*\.mea' "$data/mime/globs2" ||
            fail "the user's MIME database was not refreshed"
    fi
    echo "the installed program keeps its files in \$XDG_DATA_HOME/kwzview and registers for the user"
}

check_cclient()
{
    local prefix="$1" source="$2"
    need cc pkg-config
    scratch
    local pcdir
    pcdir="$(dirname "$(find "$prefix" -name rast.pc | head -1)")"
    export PKG_CONFIG_PATH="$pcdir"
    local libdir
    libdir="$(pkg-config --variable=libdir rast)"
    [[ "$(cd "$libdir" && pwd)" == "$(cd "$pcdir/.." && pwd)" ]] ||
        fail "rast.pc names the library folder $libdir"
    # shellcheck disable=SC2046
    # Libraries built with sanitizers need their runtime first in the program that loads them.
    # shellcheck disable=SC2086
    cc -std=c11 -Wall -Wextra -Werror ${KWZ_CLIENT_FLAGS:-} -o "$SCRATCH/measure_line" "$source" \
        $(pkg-config --cflags --libs rast) -lm -Wl,-rpath,"$libdir" ||
        fail "the C program does not build against the installed headers and libraries"
    local linked
    linked="$(ldd "$SCRATCH/measure_line")"
    grep -q "libGaugit.so.* => $libdir/" <<<"$linked" ||
        fail "the C program does not use the installed Gaugit: $linked"
    local out
    out="$(env -u LD_LIBRARY_PATH "$SCRATCH/measure_line" "$SCRATCH/line.mea")" ||
        fail "the C program failed with $?"
    [[ "$out" == "line 50.00 um" ]] || fail "the C program measured '$out'"
    echo "a C program built with pkg-config measured $out"
}

check_package()
{
    local build="$1"
    need dpkg-deb dpkg-shlibdeps
    scratch
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$SCRATCH" >"$SCRATCH/cpack.log" 2>&1 ||
        fail "cpack failed: $(cat "$SCRATCH/cpack.log")"
    local deb
    deb="$(ls "$SCRATCH"/kwzview_*.deb)"
    local control
    control="$(dpkg-deb -f "$deb")"
    grep -q '^Package: kwzview$' <<<"$control" || fail "package name: $control"
    # Worked out from the libraries by dpkg-shlibdeps, plus the fonts found by name.
    for dependency in 'libqt6widgets6 (>= ' 'libturbojpeg0 (>= ' 'libavformat59 (>= ' \
        'libfontconfig1 (>= ' 'fonts-wqy-microhei' 'fonts-liberation2 | fonts-liberation'; do
        grep -q "^Depends: .*$dependency" <<<"$control" || fail "no '$dependency': $control"
    done
    if grep -q '^Depends: .*libGaugit\|^Depends: .*kwzview' <<<"$control"; then
        fail "the package depends on its own libraries: $control"
    fi
    local contents
    contents="$(dpkg-deb -c "$deb")"
    for file in ./usr/bin/kwzview './usr/lib/\(.*/\)\?libRast\.so\.[0-9]*' \
        ./usr/share/applications/kwzview.desktop ./usr/share/mime/packages/kwzview.xml \
        ./usr/share/kwzview/Doc/ZN41.html ./usr/share/kwzview/Doc/ZN42.html; do
        grep -q " $file\( \|$\)" <<<"$contents" || fail "$file is not in the package"
    done
    dpkg-deb -e "$deb" "$SCRATCH/control"
    for script in postinst postrm; do
        [[ -x "$SCRATCH/control/$script" ]] || fail "no $script"
        sh -n "$SCRATCH/control/$script" || fail "$script is not a valid shell script"
        grep -q update-mime-database "$SCRATCH/control/$script" || fail "$script skips MIME types"
        if grep -v '^ *#' "$SCRATCH/control/$script" | grep -E -q 'rm |HOME|\.local'; then
            fail "$script touches users' files"
        fi
    done
    echo "$(basename "$deb"): $(grep ^Depends <<<"$control")"
}

command="$1"
shift
case "$command" in
install) check_install "$@" ;;
files) check_files "$@" ;;
desktop) check_desktop "$@" ;;
run) check_run "$@" ;;
cclient) check_cclient "$@" ;;
package) check_package "$@" ;;
*) fail "unknown check $command" ;;
esac

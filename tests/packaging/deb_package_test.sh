#!/bin/sh
# Builds the Debian package from the build tree, unpacks it into a temporary
# folder as dpkg would lay it out, and runs the packaged tarvel-rc from there.
# Catches what a package can lose on the way: a file the install rules forgot,
# a dependency dpkg-shlibdeps did not see, a program that only runs from the
# build tree, or a desktop entry that file managers do not offer for forms.
#
# Arguments: cpack, CPackConfig.cmake, version, form, expected RC text, gui (ON/OFF)
set -eu
cpack=$1 config=$2 version=$3 form=$4 expected=$5 gui=$6

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

fail() { echo "FAIL: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$config" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack"; }
set -- "$work"/out/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "expected one .deb, found: $*"
deb=$1

[ "$(dpkg-deb --field "$deb" Package)" = tarvel ] || fail "package name"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
case "$depends" in *libstdc++6*) ;; *) fail "no dependency on the C++ runtime" ;; esac

dpkg-deb -x "$deb" "$work/root"
root=$work/root/usr
for file in bin/tarvel-rc share/doc/tarvel/README.TXT share/man/man1/tarvel-rc.1 share/cmake/Tarvel/TarvelConfig.cmake \
            share/cmake/Tarvel/TarvelResources.cmake share/cmake/Tarvel/TarvelConfigVersion.cmake; do
    [ -f "$root/$file" ] || fail "missing $file"
done
if [ "$gui" = ON ]; then
    for lib in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins; do
        case "$depends" in *"$lib"*) ;; *) fail "no dependency on $lib" ;; esac
    done
    for file in share/applications/tarvel.desktop share/icons/hicolor/16x16/apps/tarvel.png \
                share/icons/hicolor/32x32/apps/tarvel.png; do
        [ -f "$root/$file" ] || fail "missing $file"
    done
    # The menu entry starts a program the package really carries, every library of which resolves.
    exec_line=$(sed -n 's/^Exec=//p' "$root/share/applications/tarvel.desktop")
    [ -x "$root/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not in the package"
    if ldd "$root/bin/${exec_line%% *}" | grep 'not found'; then fail "unresolved libraries"; fi
    [ "$(file -b --mime-type "$root/share/icons/hicolor/32x32/apps/tarvel.png")" = image/png ] || fail "icon is not a PNG"
    # The entry takes the file a file manager opens with it.
    case "$exec_line" in *' %f') ;; *) fail "Exec=$exec_line passes no file" ;; esac
    [ -f "$root/share/man/man1/tarvel.1" ] || fail "missing share/man/man1/tarvel.1"
    # What dpkg's triggers make of the MIME package and the entry, as on an installed system:
    # *.frm files, in any case (no cs flag), have the type, and the entry is offered for it.
    [ -f "$root/share/mime/packages/tarvel.xml" ] || fail "missing share/mime/packages/tarvel.xml"
    XDG_DATA_DIRS="$root/share" update-mime-database "$root/share/mime" || fail "update-mime-database refused the MIME package"
    grep -qx '50:text/x-vb-form:\*\.frm' "$root/share/mime/globs2" || fail "globs2 gives *.frm no type: $(cat "$root/share/mime/globs2")"
    XDG_DATA_DIRS="$root/share" update-desktop-database "$root/share/applications" || fail "update-desktop-database failed"
    grep -qx 'text/x-vb-form=tarvel.desktop;' "$root/share/applications/mimeinfo.cache" ||
        fail "the desktop entry is not offered for text/x-vb-form"
fi

reported=$("$root/bin/tarvel-rc" --version)
[ "$reported" = "tarvel-rc $version" ] || fail "--version printed '$reported'"

# A conversion from the unpacked tree, in a folder of its own: the RC file lands beside the form.
mkdir "$work/forms"
cp "$form" "$work/forms/menu.frm"
"$root/bin/tarvel-rc" -n 7 "$work/forms/menu.frm" || fail "conversion exit status $?"
cmp "$work/forms/menu.rc" "$expected" || fail "RC text differs from $expected"
# A project finds the CMake functions in the unpacked tree, and with them the packaged tarvel-rc.
mkdir "$work/project"
cat >"$work/project/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(probe NONE)
find_package(Tarvel $version REQUIRED CONFIG)
if(NOT COMMAND tarvel_add_resources)
  message(FATAL_ERROR "find_package(Tarvel) gives no tarvel_add_resources")
endif()
message(STATUS "tarvel-rc: \${TARVEL_RC_EXECUTABLE}")
EOF
found=$(cmake -S "$work/project" -B "$work/project/build" -DCMAKE_PREFIX_PATH="$root" 2>&1) || fail "find_package(Tarvel): $found"
case "$found" in *"tarvel-rc: $root/bin/tarvel-rc"*) ;; *) fail "find_package(Tarvel) found another tarvel-rc: $found" ;; esac
echo "PASS: $deb"

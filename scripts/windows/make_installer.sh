#!/usr/bin/env bash
# BUILD/kleitab-VERSION-setup.exe from the portable folder with NSIS, then
# checked under Wine: a silent install (/S) into the user's programs folder
# with its Start menu entry, the installed program run, a silent uninstall
# that removes it all. Arguments: the build directory, the version.
set -euo pipefail
build=$(realpath "$1")
version=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
setup=$build/kleitab-$version-setup.exe
makensis -V2 -DVERSION="$version" -DDIST="$build/dist" -DOUTFILE="$setup" \
  -DICON="$root/app/kleitab.ico" "$root/packaging/windows/kleitab.nsi"
echo "$setup: $(du -h "$setup" | cut -f1)"

user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -n 1)
installed="$user_dir/AppData/Local/Programs/Kleitab"
menu=$(find "$user_dir" -maxdepth 6 -type d -path '*Start Menu/Programs' | head -n 1)
"$WINE_LOADER" "$setup" /S
"$(dirname "$WINE_LOADER")/wineserver" -w
fail() { echo "installer: $*" >&2; exit 1; }
[ -f "$installed/kleitab.exe" ] || fail "kleitab.exe not installed in $installed"
[ -f "$installed/platforms/qwindows.dll" ] || fail "the platform plugin is missing"
[ -f "$menu/Клейтаб/Клейтаб.lnk" ] || fail "no Start menu entry in $menu"
version_out=$("$WINE_LOADER" "$installed/kleitab.com" --version | tr -d '\r')
echo "installed program: $version_out"
case "$version_out" in *"$version"*) ;; *) fail "the installed program says '$version_out'" ;; esac
"$WINE_LOADER" "$installed/uninstall.exe" /S
"$(dirname "$WINE_LOADER")/wineserver" -w
sleep 2 # the uninstaller copies itself away and runs from there
"$(dirname "$WINE_LOADER")/wineserver" -w
[ ! -e "$installed/kleitab.exe" ] || fail "the uninstaller left kleitab.exe"
[ ! -e "$menu/Клейтаб" ] || fail "the uninstaller left the Start menu entry"
echo "installer: installed, run and removed again"

#!/usr/bin/env bash
# The portable folder BUILD/dist (the program, the Qt and compiler runtime
# DLLs, the platform and style plugins, Qt's Russian texts, a qt.conf that
# keeps Qt to this folder) and BUILD/kleitab-VERSION-win64.zip of it.
# Arguments: the build directory, the Windows Qt, the version.
set -euo pipefail
build=$1
qt=$2
version=$3
dist=$build/dist
runtime=/usr/lib/gcc/x86_64-w64-mingw32/12-posix
rm -rf "$dist"
mkdir -p "$dist/platforms" "$dist/styles" "$dist/translations"
cp "$build/app/kleitab.exe" "$build/app/kleitab.com" "$dist/"
x86_64-w64-mingw32-strip "$dist/kleitab.exe" "$dist/kleitab.com"
cp "$qt"/bin/Qt6Core.dll "$qt"/bin/Qt6Gui.dll "$qt"/bin/Qt6Widgets.dll "$dist/"
cp "$runtime/libstdc++-6.dll" "$runtime/libgcc_s_seh-1.dll" \
  /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$dist/"
cp "$qt/plugins/platforms/qwindows.dll" "$dist/platforms/"
cp "$qt"/plugins/styles/*.dll "$dist/styles/"
cp /usr/share/qt6/translations/qtbase_ru.qm "$dist/translations/"
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' > "$dist/qt.conf"
# Every DLL the programs and plugins ask for is in the folder or Windows' own.
missing=$(for f in "$dist"/*.exe "$dist"/*.com "$dist"/*.dll "$dist"/*/*.dll; do
  x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p'
done | sort -u | grep -viE '^(api|ext)-ms-' | while read -r dll; do
  # (the api-ms-win-* names are sets of the system's own, resolved by it)
  [ -e "$dist/$dll" ] || [ -e "$WINEPREFIX/drive_c/windows/system32/${dll,,}" ] ||
    [ -e "$WINEPREFIX/drive_c/windows/system32/$dll" ] || echo "$dll"
done)
if [ -n "$missing" ]; then
  echo "DLLs not in the folder: $missing" >&2
  exit 1
fi
name=kleitab-$version-win64
rm -rf "${build:?}/$name" "$build/$name.zip"
cp -r "$dist" "$build/$name"
(cd "$build" && zip -qr "$name.zip" "$name")
rm -rf "${build:?}/$name"
echo "$build/$name.zip: $(du -h "$build/$name.zip" | cut -f1)"

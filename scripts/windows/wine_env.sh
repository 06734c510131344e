# Sourced: a Wine prefix of the build's own (made once, in seconds) and the
# folders the Windows programs find their DLLs in (Wine hands a program no
# QT_* variable, so Qt finds its plugins beside its own DLLs).
# Arguments: the build directory, the Windows Qt.
build=$1
qt=$2
WINE_LOADER=$(dpkg -L wine64 | grep -E '/wine64$' | grep -v '/share/' | head -n 1)
export WINE_LOADER
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$build"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE_LOADER" wineboot -i >/dev/null 2>&1
  "$(dirname "$WINE_LOADER")/wineserver" -w
fi
winpath() { echo "Z:${1//\//\\}"; }
export -f winpath
runtime=/usr/lib/gcc/x86_64-w64-mingw32/12-posix
export WINEPATH="$(winpath "$qt/bin");$(winpath "$runtime");$(winpath /usr/x86_64-w64-mingw32/lib)"

#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian reports no errors, the
# desktop entry and the AppStream metadata validate, and the program
# unpacked from it into a temporary root runs --version and one merge whose
# file equals the one made by the program of the build tree given.
# Usage: scripts/check_package.sh <kleitab of a build tree>
set -euo pipefail
cd "$(dirname "$0")/.."
reference=$(realpath "$1")
deb=$(bash scripts/package.sh)
echo "package: $deb"
root=$(mktemp -d /tmp/kleitab-package-XXXXXX)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends):'
lintian_out=$(lintian --no-tag-display-limit "$deb" 2>&1 || true)
echo "$lintian_out" | grep -E '^[EW]: ' || echo "lintian: no errors or warnings"
if echo "$lintian_out" | grep -q '^E: '; then fail "lintian reports errors"; fi

dpkg-deb -x "$deb" "$root/unpacked"
u=$root/unpacked/usr
for f in bin/kleitab share/applications/kleitab.desktop share/icons/hicolor/scalable/apps/kleitab.svg \
  share/man/man1/kleitab.1.gz share/metainfo/org.example.kleitab.metainfo.xml; do
  [ -e "$u/$f" ] || fail "missing /usr/$f"
done
desktop-file-validate "$u/share/applications/kleitab.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$u/share/metainfo/org.example.kleitab.metainfo.xml" || fail "appstreamcli validate"

"$u/bin/kleitab" --version | grep -qx 'kleitab 1.10' || fail "--version of the packaged program"
mkdir "$root/d"
printf 'a;b\r\n\xcf\xf0\xe8;#\n' >"$root/d/file10.csv"
printf '1;2;3\n' >"$root/d/file2.csv"
args=(-d ';' --file-name name --escape --utf8 "$root/d")
env -u DISPLAY "$u/bin/kleitab" -o "$root/packaged.csv" "${args[@]}" || fail "packaged merge"
ASAN_OPTIONS=detect_leaks=0 env -u DISPLAY "$reference" -o "$root/reference.csv" "${args[@]}" ||
  fail "reference merge"
cmp "$root/packaged.csv" "$root/reference.csv" || fail "packaged merge differs"
echo "package checked: $(basename "$deb")"

#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop needs of it: the programs on
# the PATH finding their codec library and kickstarter, a valid menu entry, the file type known
# by name and by content, and the icon.
# Usage: scripts/install-check.sh BUILD_DIR
# Exit status 77 (skipped) when the desktop tools are not installed.
set -euo pipefail

build=${1:?usage: install-check.sh BUILD_DIR}
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in desktop-file-validate update-mime-database xdg-mime mimetype; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
done

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; fail "cmake --install"; }
rm -f "$prefix.log"

for file in lib/quireleaf/quireleaf lib/quireleaf/qrltool lib/quireleaf/quirekick.exe; do
  [ -x "$prefix/$file" ] || fail "$file is not installed as a program"
done
[ -f "$prefix/lib/quireleaf/libquirefif.so" ] || fail "the codec library is not installed"
for link in quireleaf qrltool; do
  [ -L "$prefix/bin/$link" ] || fail "bin/$link is no link"
  [ "$(readlink -f "$prefix/bin/$link")" = "$(readlink -f "$prefix/lib/quireleaf/$link")" ] || fail "bin/$link points elsewhere"
done
for file in share/applications/quireleaf.desktop share/mime/packages/quireleaf.xml \
            share/icons/hicolor/scalable/apps/quireleaf.svg share/icons/hicolor/48x48/apps/quireleaf.png \
            share/icons/hicolor/256x256/mimetypes/application-x-quireleaf.png share/quireleaf/demo.qrl \
            share/quireleaf/demo.exe share/doc/quireleaf/README.md; do
  [ -f "$prefix/$file" ] || fail "$file is missing"
done

desktop-file-validate "$prefix/share/applications/quireleaf.desktop" || fail "the menu entry is not valid"

# Through the link on the PATH, the tool finds the codec library beside its real file.
"$prefix/bin/qrltool" info --decode "$prefix/share/quireleaf/demo.qrl" >/dev/null || fail "qrltool cannot decode the demo"

export XDG_DATA_DIRS="$prefix/share:/usr/share"
export XDG_DATA_HOME="$prefix/no-home"
type=$(xdg-mime query filetype "$prefix/share/quireleaf/demo.qrl")
[ "$type" = "application/x-quireleaf" ] || fail "demo.qrl is of type '$type'"
# Known by its content too, whatever the name.
cp "$prefix/share/quireleaf/demo.qrl" "$prefix/flyer.bin"
type=$(mimetype --brief --magic-only "$prefix/flyer.bin")
[ "$type" = "application/x-quireleaf" ] || fail "a flyer named flyer.bin is of type '$type'"

echo "PASS: installed into a prefix; the menu entry, the file type and the programs work"

#!/usr/bin/env bash
# cmake --install into a temporary DESTDIR under a prefix other than /usr: every file in its
# place (the udev rule in /etc, where udev reads it), the desktop entry, the metainfo and the
# manual pages accepted by their validators, and both installed programs telling the version.
#   install-tree-test.sh BUILD_DIR SOURCE_DIR VERSION
source "$(dirname "$0")/lib.sh"
build=$1 source=$2 version=$3

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=/usr/local
DESTDIR=$root cmake --install "$build" --prefix "$prefix" >/dev/null
tree=$root$prefix

while read -r file; do
  [[ -f "$tree/$file" ]] || fail "cmake --install did not install $prefix/$file"
done < <(expected_files "$source")
[[ -f "$root/etc/udev/rules.d/60-velk3.rules" ]] || fail "the udev rule is not in /etc/udev/rules.d"
[[ -z "$(find "$root" -mindepth 1 -maxdepth 1 ! -name etc ! -name usr)" ]] || fail "files outside /etc and $prefix"
if [[ ! -f "$source/docs/images/main-window.png" ]]; then
  echo "note: docs/images/main-window.png is not in the source tree yet; its install is not checked"
fi

for size in 48 128 256; do
  file "$tree/share/icons/hicolor/${size}x$size/apps/$app_id.png" | grep -q "PNG image data, $size x $size" ||
    fail "the ${size}x$size icon is not a $size-pixel PNG"
done

desktop=$tree/share/applications/$app_id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
grep -qx "Exec=velk3-manager" "$desktop" || fail "the desktop entry does not start velk3-manager"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry does not name the application icon"
grep -qx "Keywords=card;VELK;routine;firmware;" "$desktop" || fail "the desktop entry's keywords"

metainfo=$tree/share/metainfo/$app_id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch the installed desktop entry"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
grep -q "/docs/images/main-window.png</image>" "$metainfo" || fail "the metainfo has no main-window screenshot"

for program in velk3 velk3-manager; do
  page=$tree/share/man/man1/$program.1.gz
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot render $program(1)"
  [[ -z "$warnings" ]] || fail "man warns on $program(1): $warnings"
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q -- "--version" || fail "$program(1) lacks the options of --help"
  got=$("$tree/bin/$program" --version) || fail "$program --version failed"
  [[ "$got" == "$program $version" ]] || fail "$program --version says '$got', not '$program $version'"
done
grep -q -- "-server NAME BAUD" <(zcat "$tree/share/man/man1/velk3-manager.1.gz") ||
  fail "velk3-manager(1) does not name the server mode"
echo "install tree: $(find "$root" -type f | wc -l) files checked"

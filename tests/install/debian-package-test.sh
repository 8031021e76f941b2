#!/usr/bin/env bash
# scripts/package over the built tree: the .deb holds what cmake --install puts under /usr, lintian
# finds no error in it, and it installs into a throwaway root, runs from there and is removed.
#   debian-package-test.sh BUILD_DIR SOURCE_DIR VERSION
source "$(dirname "$0")/lib.sh"
build=$1 source=$2 version=$3

for tool in dpkg dpkg-deb dpkg-shlibdeps cpack lintian; do
  command -v "$tool" >/dev/null || skip "$tool is missing: no Debian package can be made or checked here"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
deb=$("$source/scripts/package" --build-dir "$build" --no-build --output "$work/out")
[[ "$(basename "$deb")" == velk3_${version}_*.deb ]] || fail "the package is named $deb"

DESTDIR=$work/tree cmake --install "$build" --prefix /usr >/dev/null
installed=$(cd "$work/tree" && find . ! -type d | sort)
packaged=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
diff <(echo "$installed") <(echo "$packaged") || fail "the package and cmake --install hold different files"
grep -qx "./lib/udev/rules.d/60-velk3.rules" <<<"$packaged" || fail "the package has no udev rule in udev's directory"
dpkg-deb --field "$deb" Depends | grep -q "libusb-0.1-4" || fail "dpkg-shlibdeps found no dependencies"
dpkg-deb --field "$deb" Depends | grep -q "libavformat[0-9]" || fail "the package does not depend on FFmpeg, which it loads"
dpkg-deb --ctrl-tarfile "$deb" | tar -tf - | grep -qx "./postinst" || fail "the package has no postinst"

lintian_said=$(lintian "$deb" 2>&1 | grep -v "running with root privileges") || true
echo "lintian: ${lintian_said:-nothing}"
! grep -q "^E:" <<<"$lintian_said" || fail "lintian reports errors"

# A throwaway root: its own dpkg database; the maintainer scripts run outside it, told by DPKG_ROOT.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log"
touch "$root/var/lib/dpkg/status"
as_dpkg=(dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless)
# Its database knows none of the dependencies, so dpkg's complaints about them are kept out of sight.
"${as_dpkg[@]}" --install "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg could not install the package"; }
got=$("$root/usr/bin/velk3" --version) || fail "the installed velk3 does not run"
[[ "$got" == "velk3 $version" ]] || fail "the installed velk3 says '$got'"
"${as_dpkg[@]}" --purge velk3 >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg could not remove the package"; }
[[ ! -e "$root/usr/bin/velk3" && ! -e "$root/lib/udev/rules.d/60-velk3.rules" ]] || fail "files left after removal"
echo "package: $(wc -l <<<"$packaged") files, installed, ran and removed"

#!/usr/bin/env bash
# The package's postinst replays udev's "add" for the identities of the udev rule and for nothing
# else. udevadm is a recorder, and /run/udev (the sign of a running udev) is made in a mount
# namespace of the test's own (root only).
#   postinst-test.sh SOURCE_DIR
source "$(dirname "$0")/lib.sh"
source=$1

[[ $(id -u) == 0 ]] && command -v unshare >/dev/null || skip "needs root and unshare to fake a running udev"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
printf '#!/bin/sh\necho "$*" >>%s/calls\n' "$work" >"$work/bin/udevadm"
chmod +x "$work/bin/udevadm"
env -u DPKG_ROOT PATH="$work/bin:$PATH" unshare --mount --propagation private \
  sh -c "mount -t tmpfs tmpfs /run && mkdir /run/udev && sh '$source/cmake/postinst' configure" ||
  skip "no mount namespace here"

want=$(sed -nE 's/.*ATTR\{idVendor\}=="([0-9a-f]+)", ATTR\{idProduct\}=="([0-9a-f]+)".*/\1:\2/p' \
  "$source/res/60-velk3.rules" | sort)
[[ -n $want ]] || fail "no identities found in the udev rule"
triggers=$(grep '^trigger' "$work/calls") || fail "nothing was replayed"
got=$(while read -r line; do
  vendor=$(grep -oE 'idVendor=[0-9a-f]+' <<<"$line" | cut -d= -f2) || fail "replays every USB device: $line"
  product=$(grep -oE 'idProduct=[0-9a-f]+' <<<"$line" | cut -d= -f2) || fail "replays every device of $vendor: $line"
  echo "$vendor:$product"
done <<<"$triggers" | sort)
[[ $got == "$want" ]] || fail "replays $(echo $got), the rule names $(echo $want)"
grep -qx "control --reload-rules" "$work/calls" || fail "udev was not told to read the rule"
echo "postinst: replays $(echo $got)"

#!/usr/bin/env bash
# Every language shipped translates every text the sources show now: lupdate brings a copy of each
# velk3-manager_LANG.ts up to date with the sources, and lrelease must find nothing unfinished.
#   complete-test.sh LUPDATE LRELEASE SOURCE_DIR
set -euo pipefail
lupdate=$1 lrelease=$2 source=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$source"/translations/velk3-manager_*.ts; do
  copy=$work/$(basename "$ts")
  cp "$ts" "$copy"
  "$lupdate" -silent -extensions cpp,h -tr-function-alias QT_TRANSLATE_NOOP+=VELK3_TRANSLATE_NOOP \
    -locations none "$source/src" -ts "$copy"
  said=$("$lrelease" "$copy" -qm "$work/out.qm")
  echo "$(basename "$ts"): $(grep Generated <<<"$said")"
  if grep -q "Ignored\|[1-9][0-9]* unfinished" <<<"$said"; then
    echo "FAIL: $(basename "$ts") lacks translations; run the update_translations target and translate them" >&2
    status=1
  fi
done
exit $status

# shellcheck shell=bash
# Shared by the installation tests: what an install holds, and how a test fails or is skipped.
set -euo pipefail
app_id=com.varnholt.Velk3Manager
skipped=77  # ctest's SKIP_RETURN_CODE for these tests

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit "$skipped"; }

# expected_files SOURCE_DIR: every file an install puts below its prefix, one a line. The guides
# are whatever docs/ holds, so a new guide or picture is expected without editing this list. The
# translations are built into the programs: no file of theirs is installed.
expected_files() {
  local source=$1
  printf '%s\n' bin/velk3 bin/velk3-manager \
    "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$app_id.svg" \
    "share/icons/hicolor/48x48/apps/$app_id.png" "share/icons/hicolor/128x128/apps/$app_id.png" \
    "share/icons/hicolor/256x256/apps/$app_id.png" \
    share/man/man1/velk3.1.gz share/man/man1/velk3-manager.1.gz \
    share/doc/velk3/README.md share/doc/velk3/copyright share/doc/velk3/changelog.gz
  (cd "$source/docs" && find . -type f \( -name '*.md' -o -name '*.png' -o -name '*.svg' \) | sed 's|^\./|share/doc/velk3/docs/|')
}

# Shared by scripts/demo, scripts/test and scripts/bench: package installation and the build.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# Installs only what is missing, so a second run changes nothing; waits for another apt to finish.
install_packages() {
  local missing=()
  while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done < "$top/scripts/packages.txt"
  [[ ${#missing[@]} -eq 0 ]] && return 0
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq "${missing[@]}"
}

# configure DIR [cmake options...]
configure() {
  local dir=$1; shift
  cmake -S "$top" -B "$dir" -G Ninja "$@" >/dev/null
}

# build DIR [cmake options...]: configures and builds everything
build() {
  configure "$@"
  cmake --build "$1" -j "$jobs"
}

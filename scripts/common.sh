# Shared by run.sh and test.sh: install what is missing, then configure and build.
set -euo pipefail

KELDAR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KELDAR_PACKAGES=(build-essential cmake pkg-config qt6-base-dev libjpeg-dev libgtest-dev
                 libbenchmark-dev tzdata fonts-dejavu-core xauth xvfb desktop-file-utils appstream
                 python3 parallel hugin-tools enblend ffmpeg)

keldar_install_missing() {
  local missing=()
  for p in "${KELDAR_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "keldar: need root or sudo to install ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# keldar_build BUILD_DIR [extra cmake arguments...]
keldar_build() {
  local dir="$1"; shift
  cmake -S "$KELDAR_ROOT" -B "$dir" "$@"
  cmake --build "$dir" -j"$(nproc)"
}

#!/usr/bin/env bash
# Set-up, build and run in one step on Debian 12.
#   bash dev.sh start [ARGS...]   install what is missing, build, start Velatrix
#   bash dev.sh test              install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-multimedia-dev libqt6multimedia6
          qt6-translations-l10n libsqlite3-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
          desktop-file-utils appstream)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "dev.sh: these packages are missing: ${missing[*]}" >&2
      echo "dev.sh: without root or sudo they cannot be installed from here. As root, run:" >&2
      echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
      echo "dev.sh: then run this command again." >&2
      exit 1
    fi
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  # Configured once; later builds let CMake rerun itself only when a list file changed.
  [ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)"
}

cmd="${1:-start}"
shift || true
case "$cmd" in
  start) install_missing; build; exec ./build/src/app/velatrix "$@" ;;
  test)  install_missing; build
         QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$(nproc)" ;;
  *) echo "usage: bash dev.sh start [ARGS...] | bash dev.sh test" >&2; exit 2 ;;
esac

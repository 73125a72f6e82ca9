#!/usr/bin/env bash
# Set-up, build and run in one step on Debian 12.
#   bash dev.sh start [ARGS...]   install what is missing, build, start Velatrix
#   bash dev.sh test              install what is missing, build, run every test
#   bash dev.sh sanitize          the same in build-san, with AddressSanitizer and
#                                 UndefinedBehaviorSanitizer; any report fails the run
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-multimedia-dev libqt6multimedia6
          qt6-translations-l10n libsqlite3-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
          desktop-file-utils appstream dbus-daemon)

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

# Every finding is fatal, leaks included.
sanitize() {
  cmake -S . -B build-san -DCMAKE_BUILD_TYPE=Debug -DVELATRIX_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
  cmake --build build-san -j"$(nproc)"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  QT_QPA_PLATFORM=offscreen ctest --test-dir build-san --output-on-failure -j"$(nproc)"
}

cmd="${1:-start}"
shift || true
case "$cmd" in
  start) install_missing; build; exec ./build/src/app/velatrix "$@" ;;
  test)  install_missing; build
         QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$(nproc)" ;;
  sanitize) install_missing; sanitize ;;
  *) echo "usage: bash dev.sh start [ARGS...] | bash dev.sh test | bash dev.sh sanitize" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Set-up, build and run in one step on Debian 12 or 13.
#   bash dev.sh start [ARGS...]   install what is missing, build the program, start Velatrix
#   bash dev.sh test              install what is missing, build everything, run every test
#   bash dev.sh package           install what is missing, build, make the .deb in build/
#   bash dev.sh sanitize          the tests in build-san, with AddressSanitizer and
#                                 UndefinedBehaviorSanitizer; any report fails the run
#   bash dev.sh style             every C and C++ file as .clang-format lays it out (Debian
#                                 12's clang-format); lists the files that are not
set -euo pipefail
cd "$(dirname "$0")"

# What the program needs to build and run; `file` and dpkg-dev are cpack's.
PROGRAMMA=(build-essential cmake pkg-config file qt6-base-dev qt6-qpa-plugins qt6-multimedia-dev libqt6multimedia6
           qt6-translations-l10n libsqlite3-dev)
# What the tests and benchmarks add: the validators of the installed files,
# localedef's sources for the Italian child processes, a private session bus
# for the tests that need one, the X server and window managers the
# message-box tests stack windows under, and pppd for a real call where the
# kernel has PPP.
PROVE=(libgtest-dev libgmock-dev googletest libbenchmark-dev desktop-file-utils appstream locales dbus-daemon ppp
       xvfb x11-utils openbox xfwm4)

# Tells how to install the packages as root, and stops.
chiedi_root() {
  echo "dev.sh: these packages are missing: $*" >&2
  echo "dev.sh: they cannot be installed from here. As root, run:" >&2
  echo "  apt-get update && apt-get install -y --no-install-recommends $*" >&2
  echo "dev.sh: then run this command again." >&2
  exit 1
}

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "dev.sh: sudo is not installed." >&2; chiedi_root "${missing[@]}"; }
    # A user whom sudo refuses would see only sudo's own words.
    sudo -v || { echo "dev.sh: sudo does not let $(id -un) install packages." >&2; chiedi_root "${missing[@]}"; }
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configured every time (quick once the cache exists), so tests appear as soon
# as their packages are there.
configure() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
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
  start) install_missing "${PROGRAMMA[@]}"; configure
         cmake --build build -j"$(nproc)" --target velatrix
         exec ./build/src/app/velatrix "$@" ;;
  test)  install_missing "${PROGRAMMA[@]}" "${PROVE[@]}"; configure
         cmake --build build -j"$(nproc)"
         QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$(nproc)" ;;
  package) install_missing "${PROGRAMMA[@]}"; configure
         cmake --build build -j"$(nproc)" --target velatrix
         (cd build && cpack -G DEB) ;;
  sanitize) install_missing "${PROGRAMMA[@]}" "${PROVE[@]}"; sanitize ;;
  style) install_missing clang-format git
         git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run --Werror ;;
  *) echo "usage: bash dev.sh start [ARGS...] | test | package | sanitize | style" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and tests Velatrix in a fresh Debian root, as a newcomer would: the
# README's two commands as a user with sudo, the refusal for a user without
# the right to use sudo, the package route with lintian, then install and
# uninstall. Needs root, debootstrap and the network to the Debian mirror.
#
#   sudo bash tools/radice-nuova.sh RELEASE [ROOT]
#
# RELEASE is bookworm (Debian 12) or trixie (Debian 13). ROOT defaults to
# /var/tmp/velatrix-RELEASE; a ROOT that already holds a system is reused as it
# is, so a second run skips debootstrap (delete it for a truly fresh run).
# The mirror is the one this machine's apt uses, or MIRROR from the environment.
# The whole script is read before it runs (main at the end), so editing it
# during a run cannot break that run.
main() {
set -euo pipefail
release="${1:?usage: radice-nuova.sh bookworm|trixie [ROOT]}"
radice="${2:-/var/tmp/velatrix-$release}"
sorgente="$(cd "$(dirname "$0")/.." && pwd)"
[ "$(id -u)" -eq 0 ] || { echo "radice-nuova.sh: run it as root (sudo)" >&2; exit 1; }

specchio() {
  [ -n "${MIRROR:-}" ] && { echo "$MIRROR"; return; }
  local u
  u="$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '/^URIs:/ {for (i = 2; i <= NF; i++) print $i}' |
       grep -m1 '/debian/\?$' || true)"
  [ -n "$u" ] || u="$(awk '$1 == "deb" && $2 ~ /\/debian\/?$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)"
  echo "${u:-http://deb.debian.org/debian}"
}

if [ ! -x "$radice/usr/bin/apt-get" ]; then
  command -v debootstrap >/dev/null || { echo "radice-nuova.sh: apt-get install debootstrap" >&2; exit 1; }
  debootstrap --variant=minbase "$release" "$radice" "$(specchio)"
fi

montati=()
monta() { mount "$@" && montati=("${@: -1}" "${montati[@]}"); }
smonta() { for m in "${montati[@]}"; do umount -l "$m" || true; done; }
trap smonta EXIT
monta -t proc proc "$radice/proc"
monta --rbind /dev "$radice/dev"
monta -t sysfs sysfs "$radice/sys"
cp -L /etc/resolv.conf "$radice/etc/resolv.conf"
grep -q "[[:space:]]$(hostname)\$" "$radice/etc/hosts" 2>/dev/null || echo "127.0.1.1 $(hostname)" >> "$radice/etc/hosts"
dentro() { chroot "$radice" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
come() { local u="$1"; shift; dentro su - "$u" -c "$*"; }

passo() { printf '\n=== %s: %s\n' "$release" "$*"; }

passo "sudo and two users: one who may use it, one who may not"
dentro apt-get update -qq
DEBIAN_FRONTEND=noninteractive dentro apt-get install -y -qq --no-install-recommends sudo git ca-certificates >/dev/null
for u in prova ospite; do dentro id "$u" >/dev/null 2>&1 || dentro useradd -m -s /bin/bash "$u"; done
echo 'prova ALL=(ALL) NOPASSWD: ALL' > "$radice/etc/sudoers.d/prova"

passo "copy of the source, as the working tree stands"
for u in prova ospite; do
  # A build folder from an earlier run stays. Only files whose content
  # changed are replaced, and they get the time of the copy, so make rebuilds
  # exactly what changed.
  local nuova="$radice/tmp/velatrix-copia" dest="$radice/home/$u/velatrix"
  rm -rf "$nuova" && mkdir -p "$nuova" "$dest"
  (cd "$sorgente" && git ls-files -z --cached --others --exclude-standard |
     xargs -0 -I{} sh -c '[ -e "{}" ] && printf "%s\0" "{}"' | tar --null -T - -cf -) | tar -C "$nuova" -xf -
  (cd "$dest" && find . -path ./build -prune -o -type f -print) | while read -r f; do
    [ -e "$nuova/$f" ] || rm -f "$dest/$f"
  done
  (cd "$nuova" && find . -type f -print) | while read -r f; do
    cmp -s "$nuova/$f" "$dest/$f" || { mkdir -p "$(dirname "$dest/$f")"; cp "$nuova/$f" "$dest/$f"; }
  done
  chmod +x "$dest/dev.sh" "$dest/tools/radice-nuova.sh"
  rm -rf "$nuova"
  dentro chown -R "$u:$u" "/home/$u/velatrix"
done

passo "a user without the right to use sudo is told what to run as root"
if dentro dpkg-query -W -f='${Status}' qt6-base-dev 2>/dev/null | grep -q "install ok installed"; then
  echo "(skipped: the packages are already installed in this root, which is not fresh)"
else
  if come ospite 'cd velatrix && bash dev.sh start --version' </dev/null > "$radice/tmp/ospite.txt" 2>&1; then
    cat "$radice/tmp/ospite.txt"; echo "FAIL: dev.sh went on without the packages" >&2; exit 1
  fi
  cat "$radice/tmp/ospite.txt"
  grep -q 'apt-get install' "$radice/tmp/ospite.txt" || { echo "FAIL: no command for root" >&2; exit 1; }
fi

passo "bash dev.sh start: builds the program alone"
come prova 'cd velatrix && bash dev.sh start --version'
if ls "$radice"/home/prova/velatrix/build/tests/*/velatrix_test_* >/dev/null 2>&1; then
  echo "FAIL: dev.sh start built the tests" >&2; exit 1
fi

passo "bash dev.sh test"
come prova 'cd velatrix && bash dev.sh test'

passo "bash dev.sh test as root"
dentro bash -c 'cd /home/prova/velatrix && bash dev.sh test' | tail -n 4
dentro chown -R prova:prova /home/prova/velatrix

passo "package: cpack -G DEB and lintian"
come prova 'cd velatrix && bash dev.sh package'
deb="$(ls "$radice"/home/prova/velatrix/build/velatrix_*.deb | head -n1)"
DEBIAN_FRONTEND=noninteractive dentro apt-get install -y -qq --no-install-recommends lintian >/dev/null
dentro lintian --fail-on error,warning --display-info "${deb#"$radice"}"

passo "the package installs, runs and goes away"
DEBIAN_FRONTEND=noninteractive dentro apt-get install -y -qq "${deb#"$radice"}" >/dev/null
dentro velatrix --version
DEBIAN_FRONTEND=noninteractive dentro apt-get purge -y -qq velatrix >/dev/null
! dentro test -e /usr/bin/velatrix

passo "cmake --install and its uninstall route"
dentro bash -c 'cd /home/prova/velatrix && cmake --install build --prefix /usr/local --strip >/dev/null &&
  file /usr/local/bin/velatrix | grep -q "not stripped" && { echo "FAIL: installed unstripped"; exit 1; }
  /usr/local/bin/velatrix --version && cmake --build build --target uninstall >/dev/null &&
  ! test -e /usr/local/bin/velatrix'

passo "all passed"
}

main "$@"

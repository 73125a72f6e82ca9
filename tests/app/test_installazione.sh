#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a throw-away root and checks what a desktop and a
# packager find there. Usage: test_installazione.sh BUILD_DIR APPSTREAM_ID
set -euo pipefail
build="$1"; id="$2"
radice="$(mktemp -d)"
trap 'rm -rf "$radice"' EXIT
DESTDIR="$radice" cmake --install "$build" --prefix /usr >/dev/null
u="$radice/usr"
errori=0
manca() { echo "missing or wrong: $1" >&2; errori=$((errori + 1)); }

[ -x "$u/bin/velatrix" ] || manca bin/velatrix
# The sound layer, loaded at run time from beside the program's lib folder.
modulo="$(find "$u/lib" -path '*/velatrix/moduli/velatrix-suoni.so' 2>/dev/null | head -1)"
[ -n "$modulo" ] || manca "lib/.../velatrix/moduli/velatrix-suoni.so"
for f in share/applications/velatrix.desktop "share/metainfo/$id.metainfo.xml" \
         share/icons/hicolor/scalable/apps/velatrix.svg share/man/man1/velatrix.1.gz share/velatrix/Velatrix.html \
         share/doc/velatrix/copyright share/doc/velatrix/changelog.gz; do
  [ -s "$u/$f" ] || manca "$f"
done
# Each PNG is drawn at the size of the folder it sits in.
for lato in 48 128; do
  png="$u/share/icons/hicolor/${lato}x${lato}/apps/velatrix.png"
  if [ -s "$png" ]; then
    dimensioni="$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')"
    [ "$dimensioni" = " 0 0 0 $lato 0 0 0 $lato" ] || manca "$png is not ${lato}x${lato} ($dimensioni)"
  else
    manca "$png"
  fi
done
# Nothing of the source or build tree leaks into what is installed.
if grep -rlF -e "$build" "$u/share" >/dev/null; then manca "a path of the build folder in share/"; fi

desktop="$u/share/applications/velatrix.desktop"
desktop-file-validate "$desktop" || manca "desktop entry (desktop-file-validate)"
grep -qx 'StartupWMClass=Velatrix' "$desktop" || manca "StartupWMClass"
grep -qx 'Icon=velatrix' "$desktop" || manca "Icon"
grep -qx 'Exec=velatrix' "$desktop" || manca "Exec"
appstreamcli validate --no-net "$u/share/metainfo/$id.metainfo.xml" >/dev/null ||
  { appstreamcli validate --no-net "$u/share/metainfo/$id.metainfo.xml" >&2 || true; manca "metainfo (appstreamcli)"; }
grep -q '<launchable type="desktop-id">velatrix.desktop</launchable>' "$u/share/metainfo/$id.metainfo.xml" ||
  manca "metainfo launchable"
grep -q '<caption>' "$u/share/metainfo/$id.metainfo.xml" || manca "screenshot caption"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$u/share/metainfo/$id.metainfo.xml" || manca "licence"
grep -q '<release version="' "$u/share/metainfo/$id.metainfo.xml" || manca "release"
for sezione in SYNOPSIS OPTIONS FILES ENVIRONMENT EXAMPLES; do
  zcat "$u/share/man/man1/velatrix.1.gz" | grep -q "^\.SH $sezione" || manca "man page section $sezione"
done
[ "$errori" -eq 0 ] && echo "installed tree complete"
exit "$errori"

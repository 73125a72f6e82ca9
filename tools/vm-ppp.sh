#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the real-pppd call test under a Debian kernel that has PPP, in a small
# virtual machine, for hosts whose own kernel lacks it (the test then skips).
# The guest boots a busybox initramfs, mounts this machine's root read-only
# over virtio-9p, chroots into it and runs the already built test_links as
# root: the same binaries and pppd as the host, only the kernel changes.
# Needs root, the Debian mirror through apt, and some minutes of software
# emulation (no KVM needed).
#
#   sudo bash tools/vm-ppp.sh [BUILD] [WORK]
#
# BUILD is the build folder (build/ beside this script's parent by default);
# its test_links target is built first. WORK (default /tmp/velatrix-vm-ppp)
# keeps the kernel and the initramfs; delete it for a fresh kernel.
# Exits 0 only when the test ran and passed: a skip inside the guest fails.
set -euo pipefail

qui=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$qui/build}")
work=$(realpath -m "${2:-/tmp/velatrix-vm-ppp}")
# Each module with what it needs, loaded from the initramfs in this order.
moduli=(virtio_pci 9pnet_virtio 9p ppp_async tun)

fallisci() { echo "vm-ppp: $*" >&2; exit 1; }

pacchetti() {
    local mancano=()
    command -v qemu-system-x86_64 >/dev/null || mancano+=(qemu-system-x86)
    # The initramfs has no C library: only the static busybox runs there.
    dpkg -s busybox-static >/dev/null 2>&1 || mancano+=(busybox-static)
    command -v cpio >/dev/null || mancano+=(cpio)
    command -v depmod >/dev/null || mancano+=(kmod)
    command -v xz >/dev/null || mancano+=(xz-utils)
    if [ ${#mancano[@]} -gt 0 ]; then
        apt-get update -qq
        apt-get install -y -qq "${mancano[@]}" >/dev/null
    fi
}

# The kernel Debian's linux-image-amd64 points at, unpacked into $work/k.
kernel() {
    [ -d "$work/k/boot" ] && return
    local nome
    nome=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-/ {print $2; exit}')
    [ -n "$nome" ] || fallisci "no kernel package found (run apt-get update)"
    mkdir -p "$work/deb"
    (cd "$work/deb" && apt-get download "$nome" 2>/dev/null)
    dpkg-deb -x "$work"/deb/"$nome"_*.deb "$work/k"
    depmod -b "$work/k" "$(ls "$work/k/lib/modules")"
}

# Appends module $1 after everything it depends on, once; a built-in one is
# skipped.
aggiungi() {
    local m=$1 riga d
    [[ " ${ordine[*]-} " == *" $m "* ]] && return
    riga=$(grep -E "/${m}\.ko(\.xz|\.zst|\.gz)?:" "$dir/modules.dep" || true)
    if [ -z "$riga" ]; then
        grep -qE "/${m}\.ko$" "$dir/modules.builtin" || fallisci "module $m not found"
        return
    fi
    for d in ${riga#*:}; do
        d=$(basename "$d")
        aggiungi "${d%%.ko*}"
    done
    ordine+=("$m")
    local file="$dir/${riga%%:*}"
    case $file in
        *.xz) xz -dc "$file" >"$work/initrd/mods/$m.ko" ;;
        *.zst) zstd -qdc "$file" >"$work/initrd/mods/$m.ko" ;;
        *.gz) gzip -dc "$file" >"$work/initrd/mods/$m.ko" ;;
        *) cp "$file" "$work/initrd/mods/$m.ko" ;;
    esac
}

# What the guest runs in the chroot: the entry ctest runs, then the run
# inside the namespace on its own for pppd's full output.
comando() {
    cat <<EOF
export HOME=/tmp PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin QT_QPA_PLATFORM=offscreen
cd /tmp
t=$build/tests/engine/test_links
\$t --gtest_color=no --gtest_filter='LinkNelKernel.PppdVero*' && r1=0 || r1=\$?
VELATRIX_TEST_SPAZIO_RETE=1 \$t --gtest_color=no --gtest_filter=NelloSpazioDiRete.UnPppdVeroEUnaChiamata && r2=0 || r2=\$?
echo "VM-RESULT \$r1 \$r2"
EOF
}

initramfs() {
    rm -rf "$work/initrd"
    mkdir -p "$work/initrd"/{bin,mods,proc,sys,dev,newroot}
    cp /bin/busybox "$work/initrd/bin/"
    for n in sh mount insmod mkdir mknod chroot poweroff cat echo; do ln -s busybox "$work/initrd/bin/$n"; done
    dir="$work/k/lib/modules/$(ls "$work/k/lib/modules")"
    ordine=()
    for m in "${moduli[@]}"; do aggiungi "$m"; done
    echo "${ordine[*]}" >"$work/initrd/mods/order"
    comando >"$work/initrd/cmd"
    cat >"$work/initrd/init" <<'EOF'
#!/bin/sh
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in $(cat /mods/order); do insmod /mods/$m.ko || echo "insmod $m failed"; done
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose,ro hostroot /newroot; then
    R=/newroot
    mount -t proc proc $R/proc
    mount -t sysfs sys $R/sys
    mount -t devtmpfs dev $R/dev
    mkdir -p $R/dev/pts $R/dev/shm
    mount -t devpts -o newinstance,ptmxmode=0666 devpts $R/dev/pts
    mount -t tmpfs shm $R/dev/shm
    # The host's root is read-only here: writes go to memory.
    mount -t tmpfs tmp $R/tmp
    mount -t tmpfs run $R/run
    [ -e $R/dev/ppp ] || mknod $R/dev/ppp c 108 0
    echo "VM-KERNEL $(cat /proc/version)"
    chroot $R /bin/sh -c "$(cat /cmd)"
else
    echo "VM-RESULT the host's root could not be mounted"
fi
poweroff -f
EOF
    chmod +x "$work/initrd/init"
    (cd "$work/initrd" && find . | cpio -o -H newc 2>/dev/null | gzip >"$work/initrd.gz")
}

avvia() {
    local vmlinuz
    vmlinuz=$(ls "$work"/k/boot/vmlinuz-*)
    timeout 1200 qemu-system-x86_64 -accel tcg -m 2048 -smp 1 -nographic -no-reboot \
        -kernel "$vmlinuz" -initrd "$work/initrd.gz" -append "console=ttyS0 panic=-1 quiet" \
        -fsdev local,id=radice,path=/,security_model=none,readonly=on,multidevs=remap \
        -device virtio-9p-pci,fsdev=radice,mount_tag=hostroot </dev/null | tee "$work/console.log" || true
}

main() {
    [ "$(id -u)" = 0 ] || fallisci "run as root"
    pacchetti
    cmake --build "$build" --target test_links
    kernel
    initramfs
    avvia
    if grep -q '^\[  SKIPPED \]' "$work/console.log"; then
        fallisci "the test skipped inside the guest"
    fi
    grep -q '^VM-RESULT 0 0' "$work/console.log" || fallisci "the test failed inside the guest (see $work/console.log)"
    echo "vm-ppp: passed under $(grep -o 'Linux version [^ ]*' "$work/console.log")"
}

main "$@"

#!/bin/bash
# The shop folder on a network share: starts a Samba server on 127.0.0.1 with a private
# configuration in a temporary folder, mounts its share twice through the FUSE client smbnetfs (two
# mounts standing for two computers), once with SMB3 and once with SMB1, and runs the test of several
# counters there (four counters shipping at once over both mounts, a reader, a counter killed at
# every step of a shipment). Needs root, /dev/fuse and Debian's samba and smbnetfs
# (scripts/setup.sh installs them); says why and exits 0 when one is missing. Uses port 445 of
# 127.0.0.1 only, is bounded in time, and removes its mounts and its server when it ends.
#
#   scripts/share-test.sh [build folder]
set -u
build=${1:-build}
test_bin=$build/tests/quotation_tst_counters

skip() { echo "share test skipped: $*"; exit 0; }
[ "$(id -u)" -eq 0 ] || skip "it needs root (to start a Samba server and mount through FUSE)"
[ -c /dev/fuse ] || skip "there is no /dev/fuse"
command -v smbd >/dev/null || skip "Debian's samba is not installed"
command -v smbnetfs >/dev/null || skip "Debian's smbnetfs is not installed"
[ -x "$test_bin" ] || skip "$test_bin is not built"
if ss -ltn 2>/dev/null | grep -q '127.0.0.1:445 \|0.0.0.0:445 \|\*:445 '; then
    skip "port 445 is taken by another server"
fi

work=$(mktemp -d /tmp/korvanta-share.XXXXXX)
mounts=()
cleanup() {
    for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
    [ -f "$work/run/smbd.pid" ] && kill "$(cat "$work/run/smbd.pid")" 2>/dev/null
    sleep 1
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work"/{share,private,lock,state,cache,run,log}
cat >"$work/smb.conf" <<CONF
[global]
  smb ports = 445
  interfaces = 127.0.0.1
  bind interfaces only = yes
  private dir = $work/private
  lock directory = $work/lock
  state directory = $work/state
  cache directory = $work/cache
  pid directory = $work/run
  ncalrpc dir = $work/run/ncalrpc
  log file = $work/log/smbd.log
  passdb backend = tdbsam:$work/private/passdb.tdb
  map to guest = Bad User
  guest account = root
  server min protocol = NT1
  load printers = no
  printcap name = /dev/null
  disable spoolss = yes
  server role = standalone server
[shop]
  path = $work/share
  read only = no
  guest ok = yes
  force user = root
CONF
smbd -D -s "$work/smb.conf" || skip "smbd did not start"
for _ in $(seq 50); do ss -ltn | grep -q '127.0.0.1:445 ' && break; sleep 0.1; done

status=0
for protocol in SMB3 NT1; do
    home=$work/home-$protocol
    mkdir -p "$home/.smb"
    printf '[global]\n  client min protocol = %s\n  client max protocol = %s\n' "$protocol" "$protocol" >"$home/.smb/smb.conf"
    printf 'smb_query_browsers "false"\nuse_libsecret "false"\nauth "nobody" ""\nhost 127.0.0.1 visible=true\n' \
        >"$home/.smb/smbnetfs.conf"
    chmod 600 "$home/.smb/"*
    for n in 1 2; do
        mkdir -p "$work/mnt-$protocol-$n"
        HOME=$home smbnetfs "$work/mnt-$protocol-$n" -o allow_other || skip "smbnetfs could not mount"
        mounts+=("$work/mnt-$protocol-$n")
    done
    first=$work/mnt-$protocol-1/127.0.0.1/shop
    second=$work/mnt-$protocol-2/127.0.0.1/shop
    ls "$first" "$second" >/dev/null || skip "the share is not reachable through smbnetfs"
    echo "== $protocol"
    TMPDIR=$first KORVANTA_OTHER_MOUNT="$first=$second" timeout 900 "$test_bin" || status=1
done
exit $status

#!/bin/bash
# The shop folder on a network share: starts a Samba server on 127.0.0.1 with a private
# configuration in a temporary folder, mounts its share twice through the FUSE client smbnetfs (two
# mounts standing for two computers), once with SMB3 and once with SMB1, and runs the test of several
# counters there (four counters shipping at once over both mounts while a fifth reads, a counter
# killed at every step of a shipment, a live lock respected by another computer). Needs root,
# /dev/fuse and Debian's samba and smbnetfs (scripts/setup.sh installs them); says why and exits 0
# when one is missing. Uses port 445 of 127.0.0.1 only, bounds every step in time (SHARE_TEST_LIMIT
# seconds per protocol, 150 unless set), and removes its mounts and its server when it ends.
#
#   scripts/share-test.sh [build folder]
set -u
build=${1:-build}
test_bin=$(realpath -m "$build/tests/quotation_tst_counters")
limit=${SHARE_TEST_LIMIT:-150}
cases="noSaleIsLostAndNoReadIsTorn killAtEveryStep liveLockIsRespected"

skip() {
    echo "share test SKIPPED: $*"
    exit 0
}
[ "$(id -u)" -eq 0 ] || skip "it needs root (to start a Samba server and mount through FUSE)"
[ -c /dev/fuse ] || skip "there is no /dev/fuse (a container without FUSE)"
command -v smbd >/dev/null || skip "Debian's samba is not installed"
command -v smbnetfs >/dev/null || skip "Debian's smbnetfs is not installed"
[ -x "$test_bin" ] || skip "$test_bin is not built"
if ss -ltn 2>/dev/null | grep -q '127.0.0.1:445 \|0.0.0.0:445 \|\*:445 '; then
    skip "port 445 is taken by another server"
fi

work=$(mktemp -d /tmp/korvanta-share.XXXXXX)
mounts=()
cleanup() {
    for m in "${mounts[@]}"; do
        timeout 10 fusermount -u "$m" 2>/dev/null || timeout 10 umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null
    done
    if [ -f "$work/run/smbd.pid" ]; then
        pid=$(cat "$work/run/smbd.pid")
        kill "$pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

mkdir -p "$work"/{share,private,lock,state,cache,run,log}
# Oplocks and leases off: the FUSE client does not answer the server's oplock breaks at once, and
# the server then holds another client's open for up to half a minute.
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
  smb2 leases = no
[shop]
  path = $work/share
  read only = no
  guest ok = yes
  force user = root
  oplocks = no
  level2 oplocks = no
CONF
timeout 20 smbd -D -s "$work/smb.conf" || skip "smbd did not start"
for _ in $(seq 100); do ss -ltn | grep -q '127.0.0.1:445 ' && break; sleep 0.1; done
ss -ltn | grep -q '127.0.0.1:445 ' || skip "smbd does not listen on 127.0.0.1:445"

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
        # No attribute or name cache in the kernel: each mount sees the other's changes at once.
        HOME=$home timeout 20 smbnetfs "$work/mnt-$protocol-$n" \
            -o allow_other,entry_timeout=0,negative_timeout=0,attr_timeout=0 || skip "smbnetfs could not mount"
        mounts+=("$work/mnt-$protocol-$n")
    done
    first=$work/mnt-$protocol-1/127.0.0.1/shop
    second=$work/mnt-$protocol-2/127.0.0.1/shop
    timeout 30 ls "$first" "$second" >/dev/null || skip "the share is not reachable through smbnetfs"
    echo "== $protocol: two smbnetfs mounts of one Samba share"
    # shellcheck disable=SC2086
    # Run from the work folder: nothing a failing share leaves lands in the caller's folder.
    (cd "$work" && TMPDIR=$first KORVANTA_OTHER_MOUNT="$first=$second" timeout -k 10 "$limit" "$test_bin" $cases)
    result=$?
    [ $result -eq 124 ] && echo "share test over $protocol did not end within $limit s"
    [ $result -eq 0 ] || status=1
done
[ $status -eq 0 ] && echo "share test passed" || echo "share test FAILED"
exit $status

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# samba_share.sh COMMAND [ARGS...]: runs COMMAND with a class folder on a
# Samba file server, as two computers of a school see it.
#
# A private smbd serves a temporary folder as the share "class" on the
# loopback address only; the share is mounted twice through smbnetfs (FUSE),
# each mount with a home folder of its own, as two computers would mount
# it. COMMAND finds
#   PIKORAMA_TEST_SHARE        the share through the first mount (this computer)
#   PIKORAMA_TEST_OTHER_SHARE  the same folder through the second mount (the
#                              other computers)
# When no share can be made here (not root, no /dev/fuse, smbd or smbnetfs
# missing, the server or a mount does not come up) COMMAND still runs, with
# PIKORAMA_TEST_SHARE_MISSING saying why, so that the test program reports
# its cases as skipped with that reason.
#
# Everything runs in a mount namespace of its own: the mounts are seen by
# COMMAND alone and go with it. The server and the mounts are stopped, and
# the folder removed, when COMMAND ends, also when it fails or is stopped.
#
# The server is set up as a school's would be: SMB2 and SMB3, oplocks,
# level-2 oplocks and leases on, strict locking and the name case rules at
# Samba's defaults (names match without regard to case), one account for
# the class, with a password. Of smbnetfs's own ways only hard_remove is chosen: a file
# removed while open is gone at once, as on a Windows share, instead of
# turning into a hidden ".fuse_hidden…" file of the mount's own.
set -uo pipefail

if (($# == 0)); then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi

# Runs the command without a share, saying why.
missing() {
  export PIKORAMA_TEST_SHARE_MISSING="$1"
  shift
  unset PIKORAMA_TEST_SHARE PIKORAMA_TEST_OTHER_SHARE PIKORAMA_SAMBA_NAMESPACE
  echo "samba_share.sh: no Samba share: $PIKORAMA_TEST_SHARE_MISSING" >&2
  exec "$@"
}

why=""
if [[ $(id -u) -ne 0 ]]; then
  why="not root: mounting the share through FUSE needs root"
elif [[ ! -c /dev/fuse ]]; then
  why="no /dev/fuse"
elif [[ ! -x /usr/sbin/smbd ]] && ! command -v smbd >/dev/null; then
  why="no smbd (Debian's samba package)"
elif ! command -v smbnetfs >/dev/null; then
  why="no smbnetfs"
elif ! command -v unshare >/dev/null; then
  why="no unshare (util-linux)"
fi
if [[ -n $why ]]; then
  missing "$why" "$@"
fi

# Into a mount namespace of its own first.
if [[ -z ${PIKORAMA_SAMBA_NAMESPACE:-} ]]; then
  PIKORAMA_SAMBA_NAMESPACE=1 exec unshare --mount --propagation private bash "$0" "$@"
  missing "unshare could not make a mount namespace" "$@"
fi
unset PIKORAMA_SAMBA_NAMESPACE

smbd=/usr/sbin/smbd
[[ -x $smbd ]] || smbd=$(command -v smbd)
base=$(mktemp -d /tmp/pikorama-samba-XXXXXX)
chmod 755 "$base"
server_pid=""
child=""
mount_pids=()
mounts=()

stop() {
  local m p
  [[ -n $child ]] && kill -KILL "$child" 2>/dev/null
  for m in "${mounts[@]}"; do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null
  done
  for p in "${mount_pids[@]}" $server_pid; do
    kill -TERM "$p" 2>/dev/null
  done
  for p in "${mount_pids[@]}" $server_pid; do
    for _ in $(seq 50); do
      kill -0 "$p" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
  rm -rf "$base"
}
trap stop EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# A port nobody listens on: 445 is often taken by the machine's own server.
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
port=$((20000 + RANDOM % 20000))
while listening "$port"; do port=$((port + 1)); done

# ---- The server.
mkdir -p "$base"/server/{pid,lock,state,cache,private,ncalrpc,log} "$base/share"
user=$(id -un)
password="class-$RANDOM$RANDOM"
cat >"$base/server/smb.conf" <<EOF
[global]
  server role = standalone server
  interfaces = lo
  bind interfaces only = yes
  smb ports = $port
  disable netbios = yes
  server min protocol = SMB2_02
  server max protocol = SMB3
  pid directory = $base/server/pid
  lock directory = $base/server/lock
  state directory = $base/server/state
  cache directory = $base/server/cache
  private dir = $base/server/private
  ncalrpc dir = $base/server/ncalrpc
  log file = $base/server/log/smbd.log
  log level = 1
  load printers = no
  printing = bsd
  printcap name = /dev/null
  disable spoolss = yes
[class]
  path = $base/share
  read only = no
  valid users = $user
EOF
# The class's account: this machine's user (root) with a password of the
# server's own, kept in its private folder.
printf '%s\n%s\n' "$password" "$password" |
  smbpasswd -c "$base/server/smb.conf" -s -a "$user" >"$base/server/log/smbpasswd" 2>&1
# The server ends with this script even when the script is killed.
setpriv --pdeathsig TERM "$smbd" --foreground --configfile="$base/server/smb.conf" \
  </dev/null >"$base/server/log/stdout" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  listening "$port" && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if ! listening "$port"; then
  tail -n 20 "$base/server/log/"* >&2
  stop
  trap - EXIT
  missing "smbd did not start on 127.0.0.1:$port" "$@"
fi

# ---- Two computers, each with its own mount of the share.
host="127.0.0.1:$port"  # smbnetfs passes the port on to libsmbclient
for pc in 1 2; do
  home="$base/pc$pc"
  mkdir -p "$home/.smb" "$home/mnt"
  cat >"$home/.smb/smbnetfs.conf" <<EOF
smb_query_browsers "false"
use_libsecret "false"
stat_workaround_enable_default_entries "false"
stat_workaround_depth 0
auth "$user" "$password"
log_file "$home/smbnetfs.log"
EOF
  cat >"$home/.smb/smb.conf" <<EOF
[global]
  client min protocol = SMB2_02
  client max protocol = SMB3
EOF
  chmod 600 "$home/.smb/"*
  HOME="$home" setpriv --pdeathsig TERM smbnetfs "$home/mnt" -f -o hard_remove </dev/null >"$home/stdout" 2>&1 &
  mount_pids+=($!)
  mounts+=("$home/mnt")
done
for pc in 1 2; do
  folder="$base/pc$pc/mnt/$host/class"
  for _ in $(seq 150); do
    [[ -d $folder ]] && ls "$folder" >/dev/null 2>&1 && break
    sleep 0.1
  done
  if ! ls "$folder" >/dev/null 2>&1; then
    tail -n 20 "$base/pc$pc/"*.log "$base/pc$pc/stdout" >&2
    stop
    trap - EXIT
    missing "smbnetfs did not mount the share for computer $pc" "$@"
  fi
done

export PIKORAMA_TEST_SHARE="$base/pc1/mnt/$host/class"
export PIKORAMA_TEST_OTHER_SHARE="$base/pc2/mnt/$host/class"
unset PIKORAMA_TEST_SHARE_MISSING
"$@" &
child=$!
wait "$child"
status=$?
child=""
exit "$status"

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# The class folder on a slow file server: bench_shared_class on the local
# disk, with every call that touches a file or a file descriptor held back
# 5 ms by strace, and on a Samba share through smbnetfs (the tests' own
# server, tests/support/samba_share.sh: made by one computer, opened by the
# other), side by side; then the idle re-reading on the local disk.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bench="$(realpath "${1:-$here/../build/bench/bench_shared_class}")"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
mkdir "$dir/class"
"$bench" setup "$dir/class"
echo "== local disk"
"$bench" open "$dir/class" | tee "$dir/local"
echo "== every file-system call 5 ms slower"
strace -f -qq -o /dev/null -e trace=%file,%desc -e inject=%file,%desc:delay_enter=5000 \
  "$bench" open "$dir/class" | tee "$dir/slow"
echo "== Samba share through smbnetfs"
# shellcheck disable=SC2016
bash "$here/../tests/support/samba_share.sh" bash -c '
  if [[ -n ${PIKORAMA_TEST_SHARE_MISSING:-} ]]; then echo "not run: $PIKORAMA_TEST_SHARE_MISSING"; exit 0; fi
  mkdir "$PIKORAMA_TEST_SHARE/class"
  "$1" setup "$PIKORAMA_TEST_SHARE/class" && "$1" open "$PIKORAMA_TEST_OTHER_SHARE/class"' \
  samba "$bench" | tee "$dir/samba" || true
echo "== side by side (medians of 5, ms)"
# "what: 12.3 ms" lines of the three runs, one row each.
awk '
  FNR == 1 { run++ }
  match($0, /: [0-9.]+ ms$/) {
    w = substr($0, 1, RSTART - 1); v = substr($0, RSTART + 2); sub(/ ms$/, "", v)
    if (run == 1) order[++n] = w
    figure[run, w] = v
  }
  END {
    printf "%-70s %10s %10s %10s\n", "what", "local", "5 ms calls", "Samba"
    for (i = 1; i <= n; i++) {
      w = order[i]
      printf "%-70s %10s %10s %10s\n", w, figure[1, w], figure[2, w], ((3, w) in figure) ? figure[3, w] : "-"
    }
  }' "$dir/local" "$dir/slow" "$dir/samba"
echo "== idle, local disk"
"$bench" idle "$dir/class"

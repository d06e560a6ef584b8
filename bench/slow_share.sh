#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# The class folder on a slow file server: bench_shared_class with every call
# that touches a file or a file descriptor held back 5 ms by strace, and the
# idle re-reading on the local disk.
set -euo pipefail
bench="${1:-$(dirname "$0")/../build/bench/bench_shared_class}"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$bench" setup "$dir"
echo "== local disk"
"$bench" open "$dir"
echo "== every file-system call 5 ms slower"
strace -f -qq -o /dev/null -e trace=%file,%desc -e inject=%file,%desc:delay_enter=5000 "$bench" open "$dir"
echo "== idle, local disk"
"$bench" idle "$dir"

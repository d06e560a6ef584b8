#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# run_qtest.sh RESULTS PROGRAM: runs one QtTest program, keeping its report
# in RESULTS as well. A program all of whose cases skipped (no sound server,
# no browser …) exits 77, which CTest shows as skipped rather than passed;
# ../test.sh reads the reports to name every skipped case.
set -uo pipefail
results=$1
shift
mkdir -p "$(dirname "$results")"
"$@" -o "$results,txt" -o -,txt
status=$?
if ((status == 0)) && grep -q '^SKIP ' "$results" &&
  ! grep '^PASS ' "$results" | grep -qvE '::(initTestCase|cleanupTestCase)\(\)'; then
  exit 77
fi
exit "$status"

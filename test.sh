#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test. It ends with one
# line naming each case that skipped and why; with CI set (as .ci/run sets
# it), any skip fails the run, since CI has every package of packages.txt.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/tools/setup.sh"
build="${PIKORAMA_BUILD_DIR:-$here/build}"
# The ePub book's accessibility check runs Ace by DAISY from the build.
"$here/tools/ace/install.sh" "$build"
cd "$build"
rm -rf test-results
status=0
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@" || status=$?

# "SKIP   : Class::case() why" lines from every report, the location lines
# that follow them left out.
skips=()
if [[ -d test-results ]]; then
  while IFS= read -r line; do
    line=${line#SKIP*: }
    skips+=("${line%% [Loc:*}")
  done < <(grep -h '^SKIP ' test-results/*.txt 2>/dev/null || true)
fi
if ((${#skips[@]})); then
  summary=$(printf '%s; ' "${skips[@]}")
  echo "${#skips[@]} skipped: ${summary%; }"
else
  echo "0 skipped"
fi
if ((${#skips[@]})) && [[ -n "${CI:-}" ]]; then
  echo "CI has every package of packages.txt: a skip there is a fault of the set-up." >&2
  status=1
fi
exit "$status"

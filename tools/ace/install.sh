#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs Ace by DAISY, the accessibility checker of ePub books, into
# BUILD/ace from the versions fixed in package-lock.json beside this script,
# once: again only when that list changed. It drives Debian's Chromium
# through puppeteer, so no browser is downloaded. Without node and npm, or
# when the registry cannot be reached, it says so and leaves the check to
# skip (tests/support/ace_check.sh); it never stops the build.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:?usage: install.sh BUILD}"
target="$build/ace"

if [[ -x "$target/node_modules/.bin/ace-cli" ]] && cmp -s "$here/package-lock.json" "$target/package-lock.json"; then
  exit 0
fi
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "Ace by DAISY is not installed (no node or npm): the ePub book's accessibility check will skip." >&2
  exit 0
fi
echo "Installing Ace by DAISY into $target"
rm -rf "$target"
mkdir -p "$target"
cp "$here/package.json" "$here/package-lock.json" "$target/"
# puppeteer's own install step would fetch a browser; it is not run.
if ! PUPPETEER_SKIP_DOWNLOAD=1 PUPPETEER_SKIP_CHROMIUM_DOWNLOAD=1 \
  npm ci --prefix "$target" --ignore-scripts --no-audit --no-fund --loglevel=error >"$target/npm.log" 2>&1; then
  cat "$target/npm.log" >&2
  # No half-installed checker is taken for a whole one next time.
  rm -f "$target/package-lock.json"
  echo "Ace by DAISY could not be installed: the ePub book's accessibility check will skip." >&2
fi
exit 0

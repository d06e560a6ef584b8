#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and makes the Debian package
# pikorama_<version>_amd64.deb in the build folder.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${PIKORAMA_BUILD_DIR:-$here/build}"
"$here/tools/setup.sh"
(cd "$build" && cpack -G DEB)
ls "$build"/pikorama_*_amd64.deb

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts pikorama.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/tools/setup.sh"
exec "${PIKORAMA_BUILD_DIR:-$here/build}/src/pikorama" "$@"

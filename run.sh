#!/usr/bin/env bash
# Installs what is missing, builds, and starts pikorama.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/tools/setup.sh"
exec "${PIKORAMA_BUILD_DIR:-$here/build}/src/pikorama" "$@"

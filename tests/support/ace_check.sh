#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# ace_check.sh BOOK.epub: checks an ePub book with Ace by DAISY (installed
# into the build by tools/ace/install.sh) in headless Chromium.
#   exit 0   no violation of serious or critical impact
#   exit 1   such violations, each printed as one line
#   exit 2   Ace could not check the book (its output is printed)
#   exit 77  Ace, node or Chromium is not there (why is printed)
# Ace is looked for in $PIKORAMA_ACE_DIR, else in the build's ace folder
# ($PIKORAMA_BUILD_DIR or build/ beside the sources); Chromium is
# $PIKORAMA_CHROMIUM or the one on the path.
set -uo pipefail
book="${1:?usage: ace_check.sh BOOK.epub}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
aceDir="${PIKORAMA_ACE_DIR:-${PIKORAMA_BUILD_DIR:-$here/build}/ace}"
ace="$aceDir/node_modules/.bin/ace-cli"
chromium="${PIKORAMA_CHROMIUM:-$(command -v chromium || command -v chromium-browser || true)}"

if ! command -v node >/dev/null; then
  echo "no node: Ace cannot run" >&2
  exit 77
fi
if [[ ! -x "$ace" ]]; then
  echo "Ace by DAISY is not installed in $aceDir (tools/ace/install.sh)" >&2
  exit 77
fi
if [[ -z "$chromium" || ! -x "$chromium" ]]; then
  echo "no Chromium for Ace" >&2
  exit 77
fi
if [[ ! -f "$book" ]]; then
  echo "no book at $book" >&2
  exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Ace launches the browser with --no-sandbox itself, so it runs as root too.
PUPPETEER_EXECUTABLE_PATH="$chromium" PUPPETEER_SKIP_DOWNLOAD=1 \
  node "$ace" --force --silent --outdir "$work/report" --tempdir "$work/temp" "$book" >"$work/ace.log" 2>&1
status=$?
if [[ ! -f "$work/report/report.json" ]]; then
  echo "Ace made no report (exit $status):" >&2
  cat "$work/ace.log" >&2
  exit 2
fi

# One line per failed rule of serious or critical impact: the document, the
# rule, its impact, what was wrong and where.
node - "$work/report/report.json" <<'JS'
const report = JSON.parse(require("fs").readFileSync(process.argv[2], "utf8"));
const found = [];
for (const subject of report.assertions || []) {
  const url = (subject["earl:testSubject"] || {}).url || "?";
  for (const a of subject.assertions || []) {
    const test = a["earl:test"] || {};
    const result = a["earl:result"] || {};
    const impact = test["earl:impact"];
    if (result["earl:outcome"] !== "fail" || (impact !== "serious" && impact !== "critical")) continue;
    const what = String(result["dct:description"] || test["dct:description"] || "").split("\n")[0];
    const where = result.html ? " at " + result.html.replace(/\s+/g, " ").slice(0, 160) : "";
    found.push(`${url}: ${test["dct:title"]} (${impact}): ${what}${where}`);
  }
}
for (const line of found) console.log(line);
process.exit(found.length ? 1 : 0);
JS

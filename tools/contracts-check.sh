#!/usr/bin/env bash
# Every test docs/contracts.md names (`Suite.Name`) exists in tests/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
defined="$(grep -rhoE '^TEST(_F|_P)?\([A-Za-z0-9_]+, [A-Za-z0-9_]+\)' tests | sed -E 's/^[^(]*\(([^,]+), ([^)]+)\)/\1.\2/' | sort -u)"
cited="$(grep -oE '`[A-Z][A-Za-z0-9_]*\.[A-Z][A-Za-z0-9_]*`' docs/contracts.md | tr -d '`' | sort -u)"
missing="$(comm -23 <(echo "$cited") <(echo "$defined"))"
[ -z "$missing" ] || { echo "docs/contracts.md names tests that do not exist:"; echo "$missing"; exit 1; }
echo "docs/contracts.md: $(echo "$cited" | wc -l) tests named, all exist"

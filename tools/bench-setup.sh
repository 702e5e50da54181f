#!/usr/bin/env bash
# Installs the whole suite with build/bin/setup.exe into a fresh Wine prefix,
# fills the installation's Cache with 3000 files, removes it again with the
# registered uninstaller and prints the times (the journey test's figures).
# Targets: install under 5 s, removal (companion included) under 5 s.
#   tools/bench-setup.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
make -C "$build" -j2 setup setup_journey_test >/dev/null
"$root/tests/setup/fresh-prefix.sh" "$build" "$build/tests/setup_journey_test.exe" \
  --gtest_filter='*InstallUse*' 2>&1 | grep -E '^\[ figures \]|FAILED|OK \]'

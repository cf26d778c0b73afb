#!/usr/bin/env bash
# The run command: installs what is missing, builds the native tools and the
# Windows program, and tells what it built.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows

echo
echo "Built:"
echo "  native (Linux):  $(ls build/native/bin | tr '\n' ' ')"
echo "  Windows program: $(ls build/windows/bin | grep -v '_tests.exe$' | tr '\n' ' ')"
echo "The recovery tool and the wizard come with the next steps of the project;"
echo "scripts/test.sh runs every suite."

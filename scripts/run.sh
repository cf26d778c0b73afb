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

program=build/windows/bin
echo
echo "Built:"
echo "  native (Linux):  $(ls build/native/bin | tr '\n' ' ')"
echo "  Windows program: $program/Vantrel.exe with 1033.DLL and FileIdentify.dict beside it"
echo "Vantrel.exe opens its main window (under Wine: wine $program/Vantrel.exe);"
echo "the wizard steps and the recovery tool come with the next steps of the project."
echo "scripts/test.sh runs every suite and saves a screenshot of the main window in"
echo "build/windows/screenshots/."

#!/usr/bin/env bash
# The test command: installs what is missing, builds the native, sanitizer and
# Windows builds, runs every suite (the Windows ones under Wine on a virtual
# display) and short runs of the fuzz targets, and exits non-zero when
# anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1

failures=()
step() {
  local name=$1
  shift
  echo
  echo "==== $name"
  if ! "$@"; then failures+=("$name"); return 1; fi
}

build() {
  local preset=$1
  step "configure $preset" cmake --preset "$preset" &&
    step "build $preset" cmake --build --preset "$preset"
}

if build native; then step "test native" ctest --preset native; fi
if build native-asan; then step "test native-asan" ctest --preset native-asan; fi
# The worker threads under ThreadSanitizer: stop requests at random moments.
workers_under_tsan() {
  build/native-tsan/bin/media_tests --gtest_brief=1 --gtest_filter='Thread*:Event*' &&
    build/native-tsan/bin/recovery_tests --gtest_brief=1 --gtest_filter='RecoveryStart*'
}
if build native-tsan; then step "test native-tsan" workers_under_tsan; fi
if build windows; then
  # The help file unpacked again: contents, index, context map, links and the
  # program words that its pages quote.
  step "help file" tests/help/check-help.py build/windows/bin/Vantrel-1033.chm help .
  # The native suites make their sample files through CTest; the Windows ones
  # read theirs from the Windows build tree.
  step "samples for windows" scripts/make-samples.sh build/windows/samples &&
    step "test windows (Wine)" xvfb-run -a scripts/wine-tests.sh build/windows
  # The wizard driven through its four steps, against the command-line tool.
  step "wizard-recover (Wine)" xvfb-run -a tests/wizard/wizard-recover-test.sh
  # The wizard for a German user (1031.DLL) and a French one, who has no module (English).
  step "languages (Wine)" xvfb-run -a tests/wizard/language-test.sh
  # The portable zip and the installer: their files, a silent install and
  # uninstall under Wine, and a screenshot of every installer page.
  step "packages" scripts/package.sh &&
    step "packages (Wine)" xvfb-run -a -s "-screen 0 1024x768x24" tests/package/package-test.sh
fi
step "fuzz (30 s each)" fuzz/run.sh 30

echo
if [ ${#failures[@]} -ne 0 ]; then
  echo "FAILED: ${failures[*]}"
  exit 1
fi
echo "All builds and suites passed."

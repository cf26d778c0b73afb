#!/usr/bin/env bash
# The language modules against the English one (compare-modules.py), and the
# comparison itself against copies of the German module with one fault each:
# every one of them must fail, naming the fault.
set -uo pipefail
here=$(cd "$(dirname "$(readlink -f "$0")")" && pwd)
lang="$here/../../lang"
compare="$here/compare-modules.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! "$compare" "$lang/1033/1033.rc" "$lang/1031/1031.rc"; then
  fail "1031 does not match 1033"
fi

# A copy of the German module with one sed script applied to one of its files;
# the comparison must fail and say so with the expected words.
expect_fault() {
  local name=$1 file=$2 edit=$3 words=$4
  rm -rf "$work/1031" && cp -r "$lang/1031" "$work/1031"
  sed -i "$edit" "$work/1031/$file"
  if cmp -s "$lang/1031/$file" "$work/1031/$file"; then
    fail "$name: the edit changed nothing"
    return
  fi
  local output
  if output=$("$compare" "$lang/1033/1033.rc" "$work/1031/1031.rc" 2>&1); then
    fail "$name: the comparison passed"
  elif ! grep -qF -- "$words" <<<"$output"; then
    fail "$name: the comparison did not say \"$words\": $output"
  fi
}

expect_fault "missing string" Strings.rc '/^ *117, /d' "string 117 is missing"
expect_fault "extra string" Strings.rc 's|^ *117, \(.*\)|    117, \1\n    4711, "Zu viel"  // Extra|' \
  "string 4711 is not in the English module"
expect_fault "conversions swapped" Strings.rc 's|^ *127, .*|    127, "Nach %s wurden %d Dateien kopiert."  // FilesCopiedTo|' \
  "string 127 has the conversions ['%s', '%d']"
expect_fault "conversion lost" Strings.rc 's|%I64u Sektoren gespeichert|Sektoren gespeichert|' \
  "string 131 has the conversions ['%u']"
expect_fault "entry renamed" Strings.rc 's|// FilesCopied$|// CopiedFiles|' "string 117 is named CopiedFiles"
expect_fault "menu item too long" Strings.rc \
  's|"Bild ansehen"|"Das ausgewählte Bild in einem eigenen, größeren Fenster ansehen"|' \
  "string 1102 has 63 characters; the program reads 60"
expect_fault "missing template" ImageDisplay.rc 's|^102 DIALOGEX|4102 DIALOGEX|' "dialog template 102 is missing"
expect_fault "control id changed" CopyFiles.rc 's|"Alle markieren", 1020,|"Alle markieren", 1029,|' \
  "template 140 has the controls"
expect_fault "control style changed" RecoveryParms.rc 's|AUTO3STATE "Jeden|AUTOCHECKBOX "Jeden|' \
  "template 134 control 1008 is"
expect_fault "control id repeated" SelDevice.rc 's|"Aktualisieren", 1003,|"Aktualisieren", 1002,|' \
  "template 133 uses control id 1002 more than once"
expect_fault "mnemonic repeated" DisplaySectors.rc 's|"Kopieren", 769|"\&Kopieren", 769|; s|"Sektor:"|"Se\&ktor:"|' \
  "template 136 uses the mnemonic &k more than once"
expect_fault "read as Windows-1252" 1031.rc 's|^#pragma code_page(65001)|#pragma code_page(1252)|' \
  "looks read in the wrong code page"
expect_fault "outside Windows-1252" Strings.rc 's|"Hilfe"|"Hilfe ✓"|' "has characters outside Windows-1252"

if [ $failures -ne 0 ]; then
  echo "compare-modules-test: $failures failures" >&2
  exit 1
fi
echo "compare-modules-test: the comparison finds every fault"

#!/usr/bin/env bash
# texttable-gen on small resource scripts: a good script gives the named ids in
# script order and the texts by id, an unchanged output is not rewritten, and
# every fault of an entry (no name, a name that is no identifier, a repeated
# name or id, a malformed line) stops the build with its line and no output.
#
# Usage: tests/tools/texttable/texttable-gen.sh GENERATOR
set -uo pipefail

gen=$(realpath "${1:?usage: texttable-gen.sh GENERATOR}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# script FILE LINE...: a resource script with one STRINGTABLE of the lines.
script() {
  local file=$1
  shift
  { echo "// a group comment"; echo STRINGTABLE; echo BEGIN; printf '    %s\n' "$@"; echo END; } >"$file"
}

# A good script; ids out of order, a doubled quote and a "//" inside a text.
script good.rc \
  '117, "%d files were copied."  // FilesCopied' \
  '// a comment between entries' \
  '105, " (%d%%)"//Percentage' \
  '1002, "Say ""hi"" // to http://example.com\r\n"  //  Greeting2 '
if ! "$gen" --ids=TextIds.h --table=Texts.cpp good.rc 2>err; then
  fail "good script refused: $(cat err)"
fi
grep -qx 'constexpr unsigned kTextFilesCopied = 117;' TextIds.h || fail "no kTextFilesCopied in the header"
grep -qx 'constexpr unsigned kTextGreeting2 = 1002;' TextIds.h || fail "no kTextGreeting2 in the header"
listed=$(sed -n '/kTextIds\[\]/,/};/p' TextIds.h | grep -o 'kText[A-Za-z0-9]*,' | tr -d ',\n')
[ "$listed" = kTextFilesCopiedkTextPercentagekTextGreeting2 ] || fail "kTextIds lists $listed"
table=$(grep -o '{[0-9]*u, ' Texts.cpp | tr -d '{u, \n')
[ "$table" = 1051171002 ] || fail "table ids in the order $table"
grep -qF '{1002u, "Say \"hi\" // to http://example.com\r\n"},' Texts.cpp || fail "quote or comment-like text changed: $(grep 1002u Texts.cpp)"
printf '#include "TextIds.h"\nstatic_assert(sizeof kTextIds / sizeof kTextIds[0] == 3 && kTextIds[1] == 105, "");\n' >use.cpp
c++ -std=c++17 -Wall -Wextra -Werror -fsyntax-only use.cpp 2>err || fail "header does not compile: $(cat err)"

# Only the table changes when only a text does.
touch -d '2001-01-01' TextIds.h Texts.cpp
"$gen" --ids=TextIds.h --table=Texts.cpp good.rc || fail "second run failed"
[ "$(stat -c %Y TextIds.h)" = "$(date -d 2001-01-01 +%s)" ] || fail "unchanged header rewritten"
sed -i 's/files were copied/files were saved/' good.rc
"$gen" --ids=TextIds.h --table=Texts.cpp good.rc || fail "run after a text change failed"
[ "$(stat -c %Y TextIds.h)" = "$(date -d 2001-01-01 +%s)" ] || fail "header rewritten for a text change"
grep -q 'files were saved' Texts.cpp || fail "table not rewritten for a text change"

# refused MESSAGE LINE SCRIPT...: the generator fails on the scripts, names
# the line, says why and writes nothing.
refused() {
  local message=$1 line=$2
  shift 2
  rm -f out.h out.cpp
  "$gen" --ids=out.h --table=out.cpp "$@" 2>err
  local status=$?
  [ "$status" -eq 1 ] || fail "$message: exit status $status, not 1"
  grep -q ":$line: .*$message" err || fail "$message: said $(cat err)"
  [ ! -e out.h ] && [ ! -e out.cpp ] || fail "$message: wrote output"
}
script noname.rc '117, "a"  // FilesCopied' '118, "b"'
refused 'has no name' 5 noname.rc
script emptyname.rc '118, "b"  //  '
refused 'has no name' 4 emptyname.rc
script spaced.rc '118, "b"  // Copy List'
refused 'is not a name' 4 spaced.rc
script lower.rc '118, "b"  // copyList'
refused 'is not a name' 4 lower.rc
script twonames.rc '117, "a"  // Same' '118, "b"  // Same'
refused 'already names string id 117' 5 twonames.rc
script twoids.rc '117, "a"  // One' '117, "b"  // Two'
refused 'defined twice' 5 twoids.rc
script other.rc '117, "c"  // Three'
refused 'defined twice' 4 good.rc other.rc
script unclosed.rc '117, "a  // One'
refused 'malformed' 4 unclosed.rc
script trailing.rc '117, "a" x  // One'
refused 'malformed' 4 trailing.rc
script bigid.rc '70000, "a"  // One'
refused 'malformed' 4 bigid.rc

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "texttable-gen: all checks passed"

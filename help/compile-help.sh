#!/usr/bin/env bash
# Compiles the help project with chmcmd and writes the .chm to OUTPUT.
#
# chmcmd (Free Pascal 3.2.2) stores each context topic of [MAP]/[ALIAS] under
# the project folder's full path ("/build/help/step1.htm") instead of its path
# inside the .chm ("/step1.htm"), so HH_HELP_CONTEXT would open nothing. The
# project is therefore compiled with its staging folder as the root of a
# private mount namespace (or of proot where none may be made), where the two
# paths are the same; /usr is mounted into it for the compiler and its
# libraries.
#
# Usage: compile-help.sh CHMCMD SOURCE_FOLDER STAGING_FOLDER OUTPUT
set -euo pipefail

usage="usage: compile-help.sh CHMCMD SOURCE_FOLDER STAGING_FOLDER OUTPUT"
compiler=$(readlink -f "${1:?$usage}")
source=${2:?$usage}
stage=${3:?$usage}
output=${4:?$usage}
project=Vantrel.hhp
option() { sed -n "s/^$1=//p" "$source/$project" | tr -d '\r'; }
compiled=$(option "Compiled file")

case $compiler in
  /usr/*) ;;
  *) echo "chmcmd must live under /usr, not at $compiler" >&2; exit 1 ;;
esac

# The mount lives only in the namespace; should /usr ever show through, the
# folder is left alone rather than emptied.
if mountpoint -q "$stage/usr" 2>/dev/null; then
  echo "$stage/usr is a mount point; not removing $stage" >&2
  exit 1
fi
rm -rf "$stage"
mkdir -p "$stage/usr"
# Everything the project names, and nothing else.
for file in $(sed -n '/^\[FILES\]/,/^\[/{/^[^[;]/p}' "$source/$project" | tr -d '\r') \
  "$project" "$(option "Contents file")" "$(option "Index file")"; do
  cp "$source/$file" "$stage/$file"
done
for link in bin lib lib64; do
  if [ -L "/$link" ]; then ln -s "$(readlink "/$link")" "$stage/$link"; fi
done

# Root needs only the mount namespace; anyone else maps to root in a user
# namespace of its own first. Where no namespace may be made (a container
# without the right), proot gives the same view without privileges.
namespace=(unshare --mount)
if [ "$(id -u)" -ne 0 ]; then namespace+=(--map-root-user); fi
log="$stage.log"
in_namespace() {
  "${namespace[@]}" sh -c 'mount --rbind /usr "$1/usr" && exec chroot "$1" "$2" --no-html-scan "$3"' \
    sh "$stage" "$compiler" "$project"
}
in_proot() { proot -r "$stage" -b /usr:/usr -w / "$compiler" --no-html-scan "$project"; }
if ! in_namespace >"$log" 2>&1 && ! { command -v proot >/dev/null && in_proot >>"$log" 2>&1; }; then
  cat "$log" >&2
  echo "chmcmd failed on $project (log: $log)" >&2
  exit 1
fi
if [ ! -s "$stage/$compiled" ]; then
  cat "$log" >&2
  echo "chmcmd wrote no $compiled" >&2
  exit 1
fi
mkdir -p "$(dirname "$output")"
cp "$stage/$compiled" "$output"

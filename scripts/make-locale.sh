#!/usr/bin/env bash
# Compiles the glibc locale NAME (de_DE.UTF-8, fr_FR.UTF-8, ...) into DIR,
# unless it is there already, so that Wine can be started in that language
# without touching the machine's own locales:
#   LOCPATH=DIR LC_ALL=NAME wine ...
# Wine takes the user's language (GetUserDefaultLangID) from LC_MESSAGES.
#
# Usage: scripts/make-locale.sh NAME DIR
set -euo pipefail
name=${1:?usage: make-locale.sh NAME DIR}
dir=${2:?usage: make-locale.sh NAME DIR}
[ -f "$dir/$name/LC_MESSAGES/SYS_LC_MESSAGES" ] && exit 0
mkdir -p "$dir"
localedef -i "${name%%.*}" -f "${name#*.}" "$dir/$name"

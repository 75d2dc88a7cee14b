#!/usr/bin/env bash
# Checks that the documentation tells the truth about the console program:
#   - every option in --help is in the manual page, and every option of the manual page in --help;
#   - the manual page's version is the program's --version, and groff formats it without warnings;
#   - the README's worked example: its output lines are lines of the program's output for the
#     sample files, consecutive and in the same order.
# Usage: docs_test.sh PROGRAM SOURCE_DIR      (exit 77: groff is missing, the test is skipped)
set -euo pipefail

program=$(realpath "${1:?program}")
source_dir=${2:?source folder}
manual=$source_dir/docs/bbook2tellurax.1
readme=$source_dir/README.md
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }

command -v groff >/dev/null || { echo "skipped: groff is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Option names: a "-x" or "--long-name" standing alone, not inside a word such as "B-file" nor
# glued to its value as in "-bproject.bfl".
options() { perl -ne 'print "$1\n" while /(?<![\w-])(-[a-z]|--[a-z][a-z-]*)(?!\w)/g' | sort -u; }

"$program" --help >"$work/help.txt"
# Plain text, wide lines and no hyphenation, so no option is split or decorated.
groff -man -t -Tascii -P-cbou -rLL=300n -rHY=0 "$manual" >"$work/manual.txt"
options <"$work/help.txt" >"$work/help-options"
options <"$work/manual.txt" >"$work/manual-options"
if [[ $(wc -l <"$work/help-options") -lt 8 ]]; then
    fail "--help names only $(paste -sd' ' "$work/help-options")"
fi
if cmp -s "$work/help-options" "$work/manual-options"; then
    ok "--help and the manual page name the same options: $(paste -sd' ' "$work/help-options")"
else
    fail "options differ (<: only in --help, >: only in the manual page):"
    diff "$work/help-options" "$work/manual-options" | grep '^[<>]' || true
fi

version=$("$program" --version)
title=$(grep -F ".TH " "$manual")
if [[ $title == ".TH BBOOK2TELLURAX 1 "* && $title == *"\"$version\""* ]]; then
    ok "the manual page is of $version"
else
    fail "the manual page's .TH line does not carry \"$version\": $title"
fi

warnings=$(groff -man -t -Tutf8 -ww -z "$manual" 2>&1)
if [[ -z $warnings ]]; then ok "groff formats the manual page without warnings"
else fail "groff warns: $warnings"; fi

# The README's worked example: each fenced block after a line "Output:" in the section
# "## A worked example" must stand in the output of the sample files as whole, consecutive lines.
awk -v dir="$work" '/^## / { inside = ($0 == "## A worked example") }
     inside && /^Output:/ { wanted = 1; next }
     wanted && /^```/ { if (block) { block = wanted = 0; n++ } else block = 1; next }
     block { print > (dir "/readme-block-" n) }' "$readme"
(cd "$source_dir/examples" &&
    "$program" -s serfil -b project.bfl -g project.gfl -o "$work/converted.txt" >/dev/null)
# Lines joined with a separator on both sides, so a block matches whole lines only.
output=$'\001'$(tr -d '\r' <"$work/converted.txt" | tr '\n' '\001')
blocks=0
for block in "$work"/readme-block-*; do
    [[ -f $block ]] || continue
    blocks=$((blocks + 1))
    if [[ $output == *$'\001'$(tr '\n' '\001' <"$block")* ]]; then
        ok "README example output $blocks ($(wc -l <"$block") lines) stands in the output"
    else
        fail "README example output $blocks is not in the output of the sample files:"
        cat "$block"
    fi
done
((blocks >= 2)) || fail "the README's worked example shows $blocks output blocks, not 2 or more"

exit $((failures > 0))

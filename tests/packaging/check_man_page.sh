#!/usr/bin/env bash
# check_man_page.sh PROGRAM PAGE: every option PROGRAM --help prints is described in the
# OPTIONS section of the manual page PAGE, and every option described there is printed.
set -euo pipefail
program=$1 page=$2

# Options as words: -x, --long-name, and the DOS-style /x and /x: of the shape tool.
options() {
  grep -oE '(^|[][ (,|"])(--?[A-Za-z][A-Za-z0-9-]*|/[A-Za-z]:?)' | sed -E 's/^[][ (,|"]//' |
    sort -u
}

help_options=$("$program" --help | options)
# The OPTIONS section without its roff escapes and macro names.
page_options=$(awk '/^\.SH /{inside = ($2 == "OPTIONS")} inside && !/^\.SH /' "$page" |
  sed -E -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/^\.[A-Z]+ ?/ /' | options)

if [ -z "$help_options" ]; then
  echo "$program --help printed no options" >&2
  exit 1
fi
missing=$(comm -23 <(echo "$help_options") <(echo "$page_options"))
extra=$(comm -13 <(echo "$help_options") <(echo "$page_options"))
status=0
if [ -n "$missing" ]; then
  echo "$page: OPTIONS does not describe what --help prints:" $missing >&2
  status=1
fi
if [ -n "$extra" ]; then
  echo "$page: OPTIONS describes what --help does not print:" $extra >&2
  status=1
fi
[ $status -ne 0 ] || echo "$(basename "$page"): $(echo $help_options)"
exit $status

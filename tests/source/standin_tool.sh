#!/bin/sh
# Stand-in for the shape tool: records its arguments and directory, then acts as
# SW_TOOL_MODE says: copy (the source becomes new_asc.s), fail (a message on the error stream,
# no result).
printf '%s\n' "$PWD" "$@" > "${SW_TOOL_LOG:-/dev/null}"
case "${SW_TOOL_MODE:-copy}" in
  copy) cp "$1" new_asc.s ;;
  fail) echo "cannot read shape: unknown token 0x1234 at byte 40" >&2; exit 3 ;;
esac

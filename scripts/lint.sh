#!/usr/bin/env bash
# lint.sh: the checks a compiler does not make. Layers: convert/, source/, model/, preview/ and
# batch/ include neither Qt nor operating-system headers, no layer includes one above it, and
# the files of convert/ include each other without a loop; numbers are never read
# with the C library's locale-dependent functions outside tests and benchmarks; every C++ file
# is formatted as .clang-format says. Prints each finding; exit status 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
failed=0
fail() {
  echo "lint: $1" >&2
  failed=1
}

cxx=(':(glob)**/*.cpp' ':(glob)**/*.h' ':(glob)**/*.c')

# forbid PATTERN FOLDER...: no #include matching PATTERN in the C++ files of the folders.
forbid() {
  local pattern=$1 hits
  shift
  hits=$(git grep --untracked -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" -- "$@" |
    grep -E '\.(cpp|h|c):' || true)
  if [ -n "$hits" ]; then fail "include not allowed in this layer:"$'\n'"$hits"; fi
}
# The core, the model-file reader, the pictures and the batch reach the system only through
# platform/.
forbid 'Q[A-Za-z]*[/>"]|platform/qt_|unistd\.h|sys/|dlfcn\.h|fcntl\.h|dirent\.h|spawn\.h|poll\.h|pthread\.h|signal\.h|windows\.h' \
  convert source model preview batch
# What the main dialog does is the same for every view: its controller knows no window system.
forbid 'Q[A-Za-z]*[/>"]|platform/(qt|win)_|unistd\.h|sys/|windows\.h' app/dialog_controller.cpp \
  app/dialog_controller.h
# One way: platform <- convert <- source <- batch <- cli; app beside cli; model <- preview <-
# batch (the collection page describes a run, so it is the batch's; preview/ only draws).
forbid '(convert|source|app|cli)/' platform
forbid '(source|app|cli)/' convert
forbid '(app|cli)/' source
forbid '(app|cli)/' batch
forbid 'app/' cli
forbid '(convert|source|batch|preview|app|cli)/' model
forbid '(convert|source|batch|app|cli)/' preview
forbid '(convert|source|app|cli|platform)/' tools res

# convert/ as modules (NAME.h with NAME.cpp), each depending on the convert/ headers its files
# include: tsort finds a loop, which would tie the engine's files into one knot.
loops=$(for f in convert/*.h convert/*.cpp; do
  m=$(basename "${f%.*}")
  sed -nE 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"convert/([^"]+)\.h".*|\1|p' "$f" |
    while read -r dep; do echo "$m $dep"; done
done | tsort 2>&1 >/dev/null || true)
if [ -n "$loops" ]; then fail "include loop among the files of convert/:"$'\n'"$loops"; fi

# Numbers are read with ReadLeadingInt/ReadLeadingDouble (std::from_chars), never with these.
hits=$(git grep --untracked -nE '\b(atof|atoi|atol|strtod|strtof|sscanf|setlocale)\b' -- "${cxx[@]}" \
  ':!tests' ':!bench' || true)
if [ -n "$hits" ]; then fail "locale-dependent number function outside tests and bench:"$'\n'"$hits"; fi

# Formatting.
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- "${cxx[@]}")
if ! clang-format --dry-run -Werror "${files[@]}" 2>/dev/null; then
  fail "not formatted (run clang-format -i on these):"$'\n'"$(clang-format --dry-run "${files[@]}" 2>&1 |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: .*/\1/p' | sort -u)"
fi

exit "$failed"

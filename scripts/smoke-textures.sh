#!/usr/bin/env bash
# smoke-textures.sh BUILD_DIR [CORPUS_DIR] [PNG_DIR]: converts every .ace file under the corpus
# with BUILD_DIR/bin/ace2tga, prints the counts, and turns a few of the TGAs into PNG files
# (ImageMagick) to be looked at: a masked DXT1, a planar alpha texture, a large compressed one.
# Not a CTest test: the corpus is not part of the project.
set -uo pipefail
build=${1:?usage: smoke-textures.sh BUILD_DIR [CORPUS_DIR] [PNG_DIR]}
corpus=${2:-$(cd "$(dirname "$0")/.." && pwd)/../shared/corpus}
ace2tga="$build/bin/ace2tga"
[ -x "$ace2tga" ] || { echo "no $ace2tga: build first" >&2; exit 2; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
png_dir=${3:-$out/png}
mkdir -p "$png_dir"

total=0 converted=0 failed=0
declare -A kind_count=()
samples=()
while IFS= read -r -d '' ace; do
  total=$((total + 1))
  tga="$out/$total.tga"
  if "$ace2tga" "$ace" "$tga" 2>>"$out/failures.txt"; then
    converted=$((converted + 1))
    # Storage form from the first bytes: plain or zlib, then flags and channel count.
    form=$(head -c 8 "$ace" | tail -c 1)
    kind="plain"; [ "$form" = "F" ] && kind="zlib"
    kind_count[$kind]=$(( ${kind_count[$kind]:-0} + 1 ))
    samples+=("$tga|$ace")
  else
    failed=$((failed + 1))
  fi
done < <(find "$corpus" -type f -iname '*.ace' -print0 | sort -z)

echo "ace files: $total  converted: $converted  failed: $failed"
for kind in "${!kind_count[@]}"; do echo "  $kind: ${kind_count[$kind]}"; done
[ "$failed" -eq 0 ] || { echo "failures:"; cat "$out/failures.txt"; }

# PNGs of a few conversions. The TGAs store the bottom row first; ImageMagick keeps rows in
# file order and only tags the orientation, so -auto-orient is needed to see them upright.
# Transparent pixels are shown magenta.
convert_bin=/usr/bin/convert
if [ -x "$convert_bin" ] && "$convert_bin" -version 2>/dev/null | grep -q ImageMagick; then
  picked=0
  for pattern in 7truck1 GP9c Dash8W_interior OR_DK24/load sun.ace loco_cab; do
    for sample in "${samples[@]}"; do
      tga=${sample%%|*}; ace=${sample#*|}
      case "$ace" in *"$pattern"*)
        name=$(basename "$ace" .ace)
        "$convert_bin" "$tga" -auto-orient -background '#ff00ff' -alpha remove -alpha off \
          "$png_dir/$name.png" && picked=$((picked + 1))
        break;;
      esac
    done
  done
  echo "PNG files written: $picked in $png_dir"
else
  echo "ImageMagick not installed (apt-get install imagemagick): no PNG files"
fi
[ "$failed" -eq 0 ]

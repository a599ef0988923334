#!/usr/bin/env bash
# install_test.sh BUILD_DIR SOURCE_DIR: installs the build into a temporary prefix and checks
# what a user gets: the program folder, the relative links on the search path, the linked
# command line converting the bundled example exactly as the build tree does, and (with the
# dialog) the desktop entry, AppStream record, file types and icons through the real
# validators.
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
program_dir=$prefix/lib/shapewright

for file in shapewright-cli ace2tga libtexconv.so FFEDIT/ffeditc_unicode; do
  [ -f "$program_dir/$file" ] || fail "lib/shapewright/$file is not installed"
done
with_dialog=false
[ -f "$program_dir/shapewright" ] && with_dialog=true
commands=(shapewright-cli ace2tga)
$with_dialog && commands+=(shapewright)
for command in "${commands[@]}"; do
  link=$prefix/bin/$command
  [ -L "$link" ] || fail "bin/$command is not a link"
  case $(readlink "$link") in /*) fail "bin/$command links to an absolute path" ;; esac
  [ "$(readlink -f "$link")" = "$(readlink -f "$program_dir/$command")" ] ||
    fail "bin/$command links to $(readlink "$link")"
  [ -f "$prefix/share/man/man1/$command.1.gz" ] || fail "no manual page for $command"
done
[ -f "$prefix/share/man/man1/ffeditc_unicode.1.gz" ] || fail "no manual page for ffeditc_unicode"

# The linked converter finds the texture library beside its target, not beside the link; its
# model is the build tree's, byte for byte.
example=$source/examples/steam-loco
"$prefix/bin/shapewright-cli" -o "$work/installed" "$example/Loco.eng" >"$work/log" ||
  { cat "$work/log"; fail "the installed shapewright-cli failed on the example"; }
"$build/bin/shapewright-cli" -o "$work/built" "$example/Loco.eng" >/dev/null
cmp "$work/installed/loco.stk" "$work/built/loco.stk" || fail "installed and built models differ"
for texture in loco_body loco_bogie loco_cab; do
  cmp "$work/installed/$texture.tga" "$work/built/$texture.tga" ||
    fail "$texture.tga differs or is missing"
done
[ "$("$prefix/bin/shapewright-cli" --version)" = "$("$build/bin/shapewright-cli" --version)" ] ||
  fail "the installed --version differs"

$with_dialog || { echo "installed without the dialog: desktop files not checked"; exit 0; }

id=com.ferrowind.shapewright
share=$prefix/share
desktop=$share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli validate: $id.metainfo.xml"

# The entry's command, icon and file types are those installed.
entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_command=$(entry Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_command" ] || fail "Exec=$exec_command is not installed in bin"
icon=$(entry Icon)
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x$size/apps/$icon.png
  [ -f "$png" ] || fail "no ${size}x$size icon $icon.png"
  file "$png" | grep -q "PNG image data, $size x $size," || fail "$png: $(file -b "$png")"
done
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon"

# The file types compile, and every type the entry opens is defined, with its glob.
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/$id.xml" "$work/mime/packages/"
XDG_DATA_DIRS=$work update-mime-database "$work/mime" 2>"$work/mime.err"
[ ! -s "$work/mime.err" ] || { cat "$work/mime.err"; fail "update-mime-database complained"; }
IFS=';' read -ra types <<<"$(entry MimeType)"
for type in "${types[@]}"; do
  extension=${type##*-}
  grep -q "^[0-9]*:$type:\*\.$extension$" "$work/mime/globs2" || fail "no glob *.$extension for $type"
done
grep -q "^application/x-msts-eng$" "$work/mime/types" || fail "no type application/x-msts-eng"
grep -qa "application/x-msts-eng" "$work/mime/magic" || fail "no magic for ENG files"
echo "installed into $prefix: ${commands[*]}, desktop files valid"

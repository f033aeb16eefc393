#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build tree into a temporary prefix and checks what a desktop reads
# there: the file list, the desktop entry, the AppStream description, the MIME
# type, the icon and the manual page. Any failed check fails the test.
#   check_install.sh BUILD_DIR MODULE_DIR PROGRAM...
set -euo pipefail
build=$1
modules=$2
shift 2
id=org.volutra.Volutra

failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}
# Runs a checker; it fails on a non-zero exit code or on any message.
quiet() {
  local output
  if ! output=$("$@" 2>&1) || [ -n "$output" ]; then
    fail "$*"
    printf '%s\n' "$output" >&2
  fi
}

for tool in desktop-file-validate appstreamcli xmllint update-mime-database groff; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash tools/deps.sh test)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  share/applications/$id.desktop
  share/bash-completion/completions/volutra-render
  share/doc/volutra/changelog.gz
  share/doc/volutra/copyright
  share/doc/volutra/readme.txt
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man1/volutra-render.1.gz
  share/man/man1/volutra.1.gz
  share/metainfo/$id.metainfo.xml
  share/mime/packages/$id.xml
  "$modules/volutra-encoders.so"
  "$modules/volutra-paint.so"
  "$modules/volutra-window.so"
)
for program in "$@"; do
  expected+=("bin/$program")
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
if ! difference=$(diff <(printf '%s\n' "${expected[@]}" | sort) \
                       <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort)); then
  fail "the installed files differ from the expected list (< missing, > unexpected)"
  printf '%s\n' "$difference" >&2
fi

# The installed program finds its window module: with no display to reach,
# the window itself says so.
if window_output=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$prefix/bin/volutra" 2>&1); then
  fail "the installed window started without a display"
fi
grep -q "no display could be reached" <<<"$window_output" || fail "the installed program did not reach its window: $window_output"

desktop=$prefix/share/applications/$id.desktop
quiet desktop-file-validate "$desktop"
grep -qx 'Exec=volutra %f' "$desktop" || fail "the desktop entry does not start volutra with a file"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the installed icon"

metainfo=$prefix/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.txt" 2>&1 || {
  fail "appstreamcli validate"
  cat "$work/appstream.txt" >&2
}
# The tree check also finds the desktop entry that the metainfo launches.
appstreamcli validate-tree --no-net "$prefix" >"$work/tree.txt" 2>&1 || {
  fail "appstreamcli validate-tree"
  cat "$work/tree.txt" >&2
}

quiet xmllint --noout "$prefix/share/mime/packages/$id.xml" "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
# The MIME database built from the package alone must map *.par to the type
# that the desktop entry opens.
cp -r "$prefix/share/mime" "$work/mime"
update-mime-database "$work/mime" >/dev/null 2>&1 || fail "update-mime-database"
mime_type=$(sed -n 's/^MimeType=\([^;]*\);.*/\1/p' "$desktop")
grep -q ":$mime_type:\*\.par$" "$work/mime/globs2" 2>/dev/null ||
  fail "the MIME package does not map *.par to '$mime_type'"
# The pictures the program writes open in it again.
for picture in image/png image/svg+xml application/pdf; do
  grep -q "^MimeType=.*;$picture;" "$desktop" || fail "the desktop entry does not open $picture"
  grep -q "<mediatype>$picture</mediatype>" "$metainfo" || fail "the metainfo does not name $picture"
done

for page in volutra.1 volutra-render.1; do
  zcat "$prefix/share/man/man1/$page.gz" >"$work/$page"
  quiet groff -man -ww -z "$work/$page"
done
quiet bash -n "$prefix/share/bash-completion/completions/volutra-render"

# The installed renderer finds the installed painting and encoding modules.
if [ -x "$prefix/bin/volutra-render" ]; then
  printf '0.6\r\n7\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n 65535\r\n 0\r\n' >"$work/flower.par"
  quiet "$prefix/bin/volutra-render" "$work/flower.par" -o "$work/flower.pdf" -q
  [ "$(head -c 5 "$work/flower.pdf" 2>/dev/null)" = "%PDF-" ] || fail "the installed volutra-render wrote no PDF"
  quiet "$prefix/bin/volutra-render" "$work/flower.par" -o "$work/flower.gif" -s 60x40 --animate --duration 0.2 \
    --fps 5 --hold 0 -q
  [ "$(head -c 6 "$work/flower.gif" 2>/dev/null)" = "GIF89a" ] || fail "the installed volutra-render wrote no GIF"
fi

[ "$failed" = 0 ] && echo "installed tree checked: ${#expected[@]} files"
exit "$failed"

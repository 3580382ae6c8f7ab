#!/usr/bin/env bash
# tolvarin --screenshot FILE on the demo collection writes a PNG of the main window and exits 0,
# also without any display.
set -euo pipefail
tolvarin=$1
admin=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$admin" demo db1.mdb >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$dir/config" \
    "$tolvarin" --screenshot "$dir/window.png"
# PNG signature
[ "$(head -c 8 "$dir/window.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ]
# Without a display and without --screenshot it says how to run it, and fails.
if env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tolvarin" 2>"$dir/err"; then
  echo "started without a display" >&2
  exit 1
fi
grep -q "xvfb-run" "$dir/err"
# Without a database it still writes the window (root-only trees, the no-records row) and
# reports the connection failure on standard error instead of waiting for a box.
mkdir "$dir/empty"
cd "$dir/empty"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$dir/config" \
    timeout 60 "$tolvarin" --screenshot "$dir/empty.png" 2>"$dir/err2"
[ -s "$dir/empty.png" ]
grep -q "连接失败" "$dir/err2"
[ ! -e "$dir/empty/db1.mdb" ]

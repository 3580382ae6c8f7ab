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
# Without any collection it writes the window with the welcome page and says nothing: no
# connection is tried, so there is no failure to report.
mkdir "$dir/empty"
cd "$dir/empty"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$dir/config" \
    XDG_DATA_HOME="$dir/data" XDG_DATA_DIRS="$dir/system" \
    timeout 60 "$tolvarin" --screenshot "$dir/empty.png" 2>"$dir/err2"
[ -s "$dir/empty.png" ]
if [ -s "$dir/err2" ]; then
  echo "a start without a collection printed:" >&2
  cat "$dir/err2" >&2
  exit 1
fi
[ ! -e "$dir/empty/db1.mdb" ]
[ ! -e "$dir/data/tolvarin/db1.mdb" ]
# --db names the collection wherever it is; the working directory's is not looked at.
mkdir -p "$dir/data"
"$admin" demo "$dir/data/other.mdb" >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$dir/config" \
    XDG_DATA_HOME="$dir/data" XDG_DATA_DIRS="$dir/system" \
    timeout 60 "$tolvarin" --db ../data/other.mdb --screenshot "$dir/other.png" 2>"$dir/err3"
[ -s "$dir/other.png" ]
[ ! -s "$dir/err3" ]

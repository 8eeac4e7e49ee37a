#!/usr/bin/env bash
# Install test of the release package: the zip unzipped into an empty folder,
# the sandbox started with only that folder as its plug-in folder, and the
# plug-in seen to load (its banner in the log), to get its Plugins menu entry,
# and to answer that entry's Show/Hide chosen with real X input.
# Usage: tests/gui/install.sh BUILD_DIR ZIP   (under a display, e.g. xvfb-run)
set -uo pipefail
build=$(cd "${1:?build dir}" && pwd)
zip_file=$(cd "$(dirname "${2:?zip}")" && pwd)/$(basename "$2")
source "$(dirname "$0")/../../sandbox/tour/driver.sh"

run=$build/gui-run/install
sb_prepare "$run" "$build/hosts/sandbox/OLLYDBG.EXE"
mkdir "$run/unzipped"
unzip -q "$zip_file" -d "$run/unzipped" || { echo "install: cannot unzip $zip_file"; exit 1; }
folder=$(find "$run/unzipped" -name Korvantis.dll -printf '%h\n' | head -1)
[ -n "$folder" ] || { echo "install: no Korvantis.dll in $zip_file"; exit 1; }

sb_start --plugins "$(sb_winpath "$folder")" || exit 1
sb_mark_line=0
check "the plug-in from the package is the one loaded" \
  bash -c "[ \"\$(grep -c '^plugin load ' '$sb_trace')\" = 1 ] && grep -q '^plugin load .*unzipped.*Korvantis.dll$' '$sb_trace'"
check "it starts with its banner in the log" seen '^log 00000000 0 Korvantis Plug-in by '
check "its Plugins menu entry appears with five items" seen '^plugins menu entry Korvantis with 5 items$'
sb_mark; sb_plugin_menu 0
check "Plugins > Korvantis > Show/Hide is answered" sb_wait '^action Korvantis 0 0 done$' 60
sb_stop
echo "install: $sb_failures failed (trace: $sb_trace)"
[ "$sb_failures" = 0 ]

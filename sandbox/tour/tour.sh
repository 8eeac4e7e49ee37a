#!/usr/bin/env bash
# The scripted tour of the plug-in in the sandbox, with real X input: settings
# changed in the dialog, three bookmarks set by shortcut, panel and context
# menu, navigation both ways including failed searches, the project saved,
# the program closed (plug-ins reset), reopened and its bookmarks replayed,
# then a fourth bookmark, a comment typed with ';' and the Bookmarks window:
# a label given from it with ':', its rows sorted by label and filtered.
# Leaves numbered screenshots, the host's trace (sandbox.log) and its stores
# in OUT_DIR; exits non-zero when a step did not have its effect.
# Usage: sandbox/tour/tour.sh OUT_DIR BUILD_DIR   (under a display, e.g. xvfb-run)
set -uo pipefail
out=$(mkdir -p "${1:?out dir}" && cd "$1" && pwd)
build=$(cd "${2:?build dir}" && pwd)
source "$(dirname "$0")/driver.sh"
sb_shots=$out
rm -f "$out"/*.png

sb_prepare "$build/gui-run/tour" "$build/hosts/sandbox/OLLYDBG.EXE"
# The panel where a user left it, at the right of the code, and the Bookmarks
# window wide enough for its four columns, over the right of the main window
# (clear of the log pane, which the driver clicks to reach the menus).
printf '[Plugin Korvantis]\ntop=40\nleft=700\nlist_left=655\nlist_top=300\nlist_width=615\nlist_height=190\n' >"$sb_dir/ollydbg.ini"
dll=${KORVANTIS_DLL:-$(sb_winpath "$build/Korvantis.dll")}

step() { echo "-- $*"; }

# panel_in_shot NAME: the shot shows the panel in front: at its title bar, left
# of its close box, the caption's colour and not the CPU pane's white below.
panel_in_shot() {
  local colour
  colour=$(convert "$out/$1.png" -format "%[hex:p{$((sb_close_x - 20)),$sb_close_y}]" info:)
  [ "$colour" != FFFFFF ] || { echo "     the shot has the CPU pane's white where the panel's title is"; return 1; }
}

step "start with the plug-in"
sb_start --plugin "$dll" || exit 1
sb_shot 01-start

step "Plugins > Korvantis > Settings: the options ticked as a fresh install shows them, the guide's shortcuts Ctrl+D / Ctrl+Shift+, / Ctrl+Shift+."
sb_mark; sb_plugin_menu 3; sb_wait_window '^Settings$'
sb_key Tab Tab Tab Tab Tab ctrl+d Tab ctrl+shift+comma Tab ctrl+shift+period
sleep 1; sb_shot 02-settings
sb_key Tab Tab Tab Tab space
check "settings stored" sb_wait '^setting Korvantis hotkey_next__key=190$' 60

step "three bookmarks on lines the sample names: Ctrl+D on row 7, the panel's # on row 13, the context menu on row 22"
sb_mark; sb_click_row 7; sb_key ctrl+d
check "bookmark by shortcut" sb_wait '^log [0-9A-F]{8} -1 Korvantis: Bookmark added' 30
sb_mark; sb_click_row 13; sb_click_button 1004
check "bookmark by panel" sb_wait '^log [0-9A-F]{8} -1 Korvantis: Bookmark added' 30
# Each context menu comes after a left click on its row and a moment's wait:
# the main window is then active and the panel raised in front of it again
# (the panel had the focus after its "#"). Activated by the right click
# itself, the main window would stay in front of the panel in the shots.
sb_mark; sb_click_row 22; sleep 0.5; sb_click_row 22 3; sb_wait '^context menu open' 30; sleep 1
sb_shot 03-context-menu
sb_key Down Return
check "bookmark by context menu" sb_wait '^log [0-9A-F]{8} -1 Korvantis: Bookmark added' 30
check "the panel counts three" equals "$(sb_panel_title)" "Korvan... (03)"
sb_mark; sb_click_row 13; sleep 0.5; sb_click_row 13 3; sb_wait '^context menu open' 30; sleep 1
sb_shot 04-bookmarked-line
check "the shot shows the panel in front" panel_in_shot 04-bookmarked-line
sb_key Escape; sb_wait '^context menu closed' 30

step "navigation forward: Ctrl+Shift+. from the top, then > twice, then > once more finds nothing"
sb_mark; sb_click_row 0; sb_key ctrl+shift+period; sb_click_button 1003; sb_click_button 1003
sb_click_button 1003
check "failed forward search" sb_wait '^notice No bookmarks!, try to search backward' 30
check "three go-tos forward" bash -c "[ \$(tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -c '^goto ') = 3 ]"
sleep 1; sb_shot 05-forward
step "navigation back: < then Ctrl+Shift+, twice, the last finds nothing"
sb_mark; sb_click_button 1002; sb_click_row 22; sb_key ctrl+shift+comma ctrl+shift+comma
sb_click_row 7; sb_key ctrl+shift+comma
check "failed backward search" sb_wait '^notice No bookmarks!, try to search forward' 30
sleep 1; sb_shot 06-backward

step "File > Save project"
sb_mark; sb_file s
check "project saved: the program's base and the three bookmarks" sb_wait '^host 0 Project saved: 4 records' 30
step "File > Close program: the plug-in is reset"
sb_mark; sb_file c
check "reset" sb_wait '^host 0 Program closed$' 30
sleep 1; sb_shot 07-closed
check "the panel has its bare title" equals "$(sb_panel_title)" "Korvantis"
step "File > Open program: the project is read back"
sb_mark; sb_file o
check "records replayed" sb_wait '^host 0 Project read: 4 records from sample\.udd, 4 taken$' 30
sleep 1; sb_shot 08-reopened
check "the bookmarks are back" equals "$(sb_panel_title)" "Korvan... (03)"

step "a fourth bookmark on main's line by the context menu, a comment typed there with ';', Plugins > Korvantis > Bookmark list"
sb_mark; sb_click_row 0; sleep 0.5; sb_click_row 0 3; sb_wait '^context menu open' 30; sleep 1; sb_key Down Return
check "bookmark on main's line" sb_wait '^log 00401000 -1 Korvantis: Bookmark added to line 401000$' 30
sb_mark; sb_key semicolon; sb_wait '^input box "Comment at 00401000"$' 30
xdotool type --delay 60 "entry: checks the key"; sb_key Return
check "comment typed" sb_wait '^comment 00401000 "entry: checks the key"$' 30
sb_mark; sb_plugin_menu 1
check "the window opens counting four" sb_wait_window '^Bookmarks \(4\)$'
sb_report
check "its rows with the debugger's labels and comments" equals "$(sb_list_cells | tr '\n' '|')" \
  "00401000/SAMPLE/main/entry: checks the key|0040100D/SAMPLE//key from argument 1|0040101B/SAMPLE//0: wrong key|0040102F/SAMPLE/decrypt_string/|"
# A row chosen, the window active, the shot of the window alone.
sb_click_list_row 0040101B; sleep 1
read -r left top right bottom <<<"$(grep -E '^window .* "Bookmarks \(4\)" visible 1 ' "$sb_trace" | tail -1 | awk '{for (i = 1; i <= NF; i++) if ($i == "rect") print $(i + 1), $(i + 2), $(i + 3), $(i + 4)}')"
sb_shot 09-bookmarks-window "$((right - left))x$((bottom - top))+$left+$top"

step "in the window: ':' on 0040101B's row names it check_key, a click on the Label heading sorts, key typed in the filter"
sb_mark; sb_key colon
check "':' asks for the row's label" sb_wait_window '^Label at 0040101B$'
xdotool type --delay 60 "check_key"; sleep 0.5; sb_shot 10-name-dialog 1280x700+0+0
sb_key Return; sb_wait '^redraw disassembler$' 30
check "OK gives the label through the debugger, then has the CPU pane redrawn" \
  equals "$(sb_since | grep -E '^(insert name|redraw)' | tr '\n' '|')" 'insert name 0040101B 31 "check_key"|redraw disassembler|'
sb_click_heading 2; sb_click_child 1022; xdotool type --delay 60 "key"; sleep 1
sb_report
check "the CPU pane shows the label" bash -c "grep -qE '^cpu row [0-9]+ 0040101B  check_key ' '$sb_trace'"
check "three of the four hold key, in label order, the nameless last" \
  equals "$(sb_window_title '^Bookmarks')|$(sb_list_headings)|$(sb_list_cells | tr '\n' '|')" \
  "Bookmarks (3 of 4)|Address/Module/Label ^/Comment|0040101B/SAMPLE/check_key/0: wrong key|00401000/SAMPLE/main/entry: checks the key|0040100D/SAMPLE//key from argument 1|"
read -r left top right bottom <<<"$(grep -E '^window .* "Bookmarks \(3 of 4\)" visible 1 ' "$sb_trace" | tail -1 | awk '{for (i = 1; i <= NF; i++) if ($i == "rect") print $(i + 1), $(i + 2), $(i + 3), $(i + 4)}')"
# The field keeps the focus the report took: the window is shown as the user
# left it, typing.
sb_click_child 1022; sb_key End; sleep 1
sb_shot 11-bookmarks-filtered "$((right - left))x$((bottom - top))+$left+$top"

step "File > Exit"
sb_stop
cp "$sb_trace" "$sb_dir/ollydbg.ini" "$sb_dir/sample.udd" "$out/" 2>/dev/null
echo "tour: $sb_failures steps failed; screenshots, sandbox.log, ollydbg.ini and sample.udd in $out"
[ "$sb_failures" = 0 ]

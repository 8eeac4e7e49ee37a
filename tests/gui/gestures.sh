#!/usr/bin/env bash
# Real-gesture tests of the plug-in in the sandbox: X mouse clicks and key
# presses through Wine, one sandbox process driven through every gesture in
# turn, each checked in the host's trace and in what X shows of the panel.
# Usage: tests/gui/gestures.sh BUILD_DIR   (under a display, e.g. xvfb-run)
set -uo pipefail
build=$(cd "${1:?build dir}" && pwd)
source "$(dirname "$0")/../../sandbox/tour/driver.sh"

run=$build/gui-run/gestures
sb_prepare "$run" "$build/hosts/sandbox/OLLYDBG.EXE"
mkdir -p "$run/plugins"
cp "$build/Korvantis.dll" "$build"/tests/gui/plugins/bad_*.dll "$run/plugins/"
# The panel where a user left it, beside the code, and the Bookmarks window
# right of the main window, clear of the places the steps click.
printf '[Plugin Korvantis]\ntop=40\nleft=700\nlist_left=910\nlist_top=100\nlist_width=360\nlist_height=420\n' >"$run/ollydbg.ini"
# A project file with two own records (00401003, 00401013), one of the older
# plug-in (tag 236D420A, 8 bytes, the address 00401000 in bytes 4 to 7), and a
# last own record cut off after two of its four bytes.
printf 'KSBXUDD1\x0aCML\x04\x00\x00\x00\x03\x10\x40\x00\x0aCML\x04\x00\x00\x00\x13\x10\x40\x00' >"$run/sample.udd"
printf '\x0aBm#\x08\x00\x00\x00\x00\x00\x00\x00\x00\x10\x40\x00\x0aCML\x04\x00\x00\x00\x08\x10' >>"$run/sample.udd"

echo "== start: plug-in folder with Korvantis and four bad plug-ins"
sb_start --plugins "$(sb_winpath "$run/plugins")" || exit 1
sb_mark_line=0
check "a DLL without _ODBG_Plugininit is unloaded with a log line" \
  seen '^host 1 Plug-in plugins\\bad_no_init\.dll not loaded: plugins\\bad_no_init\.dll lacks _ODBG_Plugindata or _ODBG_Plugininit$'
check "a DLL answering interface 109 is unloaded" \
  seen '^host 1 Plug-in plugins\\bad_other_version\.dll: declares plug-in interface 109, this host speaks 110; unloaded'
check "a DLL refusing init is unloaded" \
  seen '^host 1 Plug-in plugins\\bad_refuses_init\.dll: refused to start \(answer -1\); unloaded'
check "an invalid main-menu description is reported, not used" \
  seen '^host 1 Plug-in BadPlugin: main-menu description "Show \| 1 Hide" rejected'
check "Korvantis starts with its banner" seen '^log 00000000 0 Korvantis Plug-in by '
check "the log names the DLL by its path below the sandbox's folder, with its file version" \
  seen '^host 0 Plug-in Korvantis loaded from plugins\\Korvantis\.dll, file version [0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$'
check "the damaged project file is reported" \
  seen '^host 1 Project file sample\.udd is damaged: record at byte 48 claims 4 bytes, 2 left; 3 records before it are used'
check "the records before the damage are replayed" \
  bash -c "[ \$(grep -c -E '^log 004010(03|13) -1 Korvantis: Bookmark added to line 4010(03|13)$' '$sb_trace') = 2 ]"
check "the older plug-in's record is imported and not taken" seen '^record load Korvantis 236D420A 8 -> 0$'
check "its address is bookmarked" seen '^log 00401000 -1 Korvantis: Bookmark added to line 401000$'
check "the panel shows the three loaded bookmarks" equals "$(sb_panel_title)" "Korvan... (03)"

echo "== the panel's three buttons"
sb_mark; sb_click_row 5; sb_click_button 1004
sb_wait '^log 00401008 -1 Korvantis: Bookmark added to line 401008$' 30
check "# on row 5 bookmarks 00401008" seen '^notice Bookmark added Successfully$'
check "the title counts four" equals "$(sb_panel_title)" "Korvan... (04)"
sb_mark; sb_click_button 1003; sb_wait '^select 00401013 ' 30
check "> goes to the next bookmark with (0, a, 0, 0, 13)" seen '^goto 00401013 \(0, 00401013, 0, 0, 13\)$'
sb_mark; sb_click_button 1003; sb_wait '^beep 0$' 30
check "> on the last bookmark gives the notice and a beep" \
  seen '^notice No bookmarks!, try to search backward, <\.$'
sb_mark; sb_click_button 1002; sb_click_button 1002; sb_wait '^select 00401003 ' 30
check "< twice goes back to 00401008, then 00401003" \
  bash -c "grep -E '^goto ' '$sb_trace' | tail -2 | cut -d' ' -f2 | tr '\n' ' ' | grep -qx '00401008 00401003 '"

echo "== context menu"
sb_mark; sb_click_row 7 3; sb_wait '^context menu open' 30; sleep 1
check "the entry offers +[0040100D] for the line" seen '^menu Korvantis 31 "0 Toggle Bookmark \\t\+\[0040100D\]"$'
sb_key Down Return; sb_wait '^action Korvantis 31 0 done$' 30
check "choosing Toggle Bookmark adds it" seen '^log 0040100D -1 Korvantis: Bookmark added to line 40100D$'
check "the title counts five" equals "$(sb_panel_title)" "Korvan... (05)"
sb_mark; sb_click_row 7 3; sb_wait '^context menu open' 30; sleep 1
check "on a bookmarked line the entry reads -[0040100D]" seen '"0 Toggle Bookmark \\t-\[0040100D\]"$'
sb_key Escape; sb_wait '^context menu closed$' 30

echo "== the Bookmarks window: opened from the Plugins menu, a label typed with ':', a double-click, Delete"
sb_mark; sb_plugin_menu 1
check "Plugins > Korvantis > Bookmark list opens it, counting five" sb_wait_window '^Bookmarks \(5\)$'
sb_report
check "its rows: the five in address order, in the module SAMPLE, with the sample's label and comment" \
  equals "$(sb_list_cells | tr '\n' ' ')" \
  "00401000/SAMPLE/main/ 00401003/SAMPLE// 00401008/SAMPLE// 0040100D/SAMPLE//key from argument 1 00401013/SAMPLE// "
# The label cell of 00401008's row, as the screen shows it: one colour while
# empty, more once text is drawn in it.
read -r _ _ _ _ _ row_left row_top _ row_bottom _ address_width _ module_width _ label_width _ <<<"$(sb_list_row 00401008)"
label_cell_drawn() {
  local colours
  colours=$(import -window root -crop "$((label_width - 8))x$((row_bottom - row_top - 2))+$((row_left + address_width + module_width + 4))+$((row_top + 1))" \
    +repage png:- | convert - -format %k info:)
  [ "$colours" -gt 1 ] || { echo "     the label cell is one colour: nothing drawn in it"; return 1; }
}
sb_mark; sb_click_row 5; sb_key colon; sb_wait '^input box "Label at 00401008"$' 30
xdotool type --delay 100 my_label; sb_key Return
check "':' in the CPU pane names 00401008 my_label" sb_wait '^label 00401008 "my_label"$' 30
# The window lies beside the main window, so nothing has made it repaint
# since: the label shows because activating it repaints the list.
read -r close_x close_y <<<"$(grep -E '^window .* "Bookmarks \(5\)" visible 1 ' "$sb_trace" | tail -1 |
  awk '{for (i = 1; i <= NF; i++) if ($i == "close") print $(i + 1), $(i + 2)}')"
xdotool mousemove "$((close_x - 120))" "$close_y" click 1
sleep 1
check "activated by a click on its title bar, the window shows the new label" label_cell_drawn
sb_mark; sb_click_list_row 0040100D 2
check "a double-click on 0040100D's row goes there with (0, a, 0, 0, 13)" \
  sb_wait '^goto 0040100D \(0, 0040100D, 0, 0, 13\)$' 30
sb_mark; sb_click_list_row 00401003; sb_key Delete
check "Delete on 00401003's row removes it: its log line" \
  sb_wait '^log 00401003 -1 Korvantis: Bookmark deleted from line 401003$' 30
check "and its notice" seen '^notice Bookmark deleted!$'
check "the panel counts four" equals "$(sb_panel_title)" "Korvan... (04)"
check "the window counts four" equals "$(sb_window_title '^Bookmarks')" "Bookmarks (4)"
sb_mark; sb_click_row 2; sb_click_row 2 3; sb_wait '^context menu open' 30; sleep 1; sb_key Down Return
sb_wait '^log 00401003 -1 Korvantis: Bookmark added to line 401003$' 30; sleep 1
check "Toggle Bookmark on the CPU pane's 00401003 adds it back, and the window follows" \
  equals "$(sb_window_title '^Bookmarks')" "Bookmarks (5)"

echo "== the Bookmarks window: a filter typed, the headings clicked, a comment given with ';'"
sb_report
sb_click_child 1022; xdotool type --delay 100 N; sleep 1
check "N typed in the filter field keeps main's row and the row whose comment holds an n" \
  equals "$(sb_window_title '^Bookmarks')" "Bookmarks (2 of 5)"
xdotool type --delay 100 T; sleep 1
sb_report
check "NT keeps only the row of \"key from argument 1\", and the title says so" \
  equals "$(sb_window_title '^Bookmarks')|$(sb_list_cells | tr '\n' ' ')" \
  "Bookmarks (1 of 5)|0040100D/SAMPLE//key from argument 1 "
sb_click_child 1022; sb_key Escape; sleep 1
check "Esc in the field clears the filter: all five, the title without the count shown" \
  equals "$(sb_window_title '^Bookmarks')" "Bookmarks (5)"
sb_click_heading 2; sb_report
check "a click on the Label heading sorts by label, the named rows first, and marks the heading" \
  equals "$(sb_list_headings)|$(sb_list_cells | cut -d/ -f1,3 | tr '\n' ' ')" \
  "Address/Module/Label ^/Comment|00401000/main 00401008/my_label 00401003/ 0040100D/ 00401013/ "
sb_click_heading 2; sb_report
check "a second click reverses it, the rows without a label still last in address order" \
  equals "$(sb_list_headings)|$(sb_list_cells | cut -d/ -f1,3 | tr '\n' ' ')" \
  "Address/Module/Label v/Comment|00401008/my_label 00401000/main 00401003/ 0040100D/ 00401013/ "
sb_click_list_row 00401013
sb_mark; sb_key semicolon
check "';' on the row of 00401013 asks for its comment" sb_wait_window '^Comment at 00401013$'
xdotool type --delay 100 "checked in the window"; sb_key Return
sb_wait '^redraw disassembler$' 30
check "OK gives the comment through Insertname, then has the CPU pane redrawn" \
  equals "$(sb_since | grep -E '^(insert name|redraw)' | tr '\n' '|')" \
  'insert name 00401013 36 "checked in the window"|redraw disassembler|'
sb_report
check "the CPU pane's comment column shows it" bash -c "grep -qE '^cpu row [0-9]+ 00401013 .*; checked in the window\$' '$sb_trace'"
check "and so does the window's row" equals "$(sb_list_cells | grep '^00401013/')" "00401013/SAMPLE//checked in the window"
sb_click_heading 0; sb_report
check "a click on the Address heading puts the rows back in address order" \
  equals "$(sb_list_headings)|$(sb_list_cells | cut -d/ -f1 | tr '\n' ' ')" \
  "Address ^/Module/Label/Comment|00401000 00401003 00401008 0040100D 00401013 "

echo "== settings dialog of a fresh install: the options shown ticked, Ctrl+Shift+B typed into the toggle field, F2 into the previous one"
sb_mark; sb_plugin_menu 3
check "Plugins > Korvantis > Settings opens the dialog" sb_wait_window '^Settings$'
# Focus starts on the first check box; 1011, 1012, OK, Cancel, 1015, then the toggle field
# (the four shortcut fields come last: from the next field, two Tabs wrap to 1011).
# The boxes are left as the dialog shows them.
sb_key Tab Tab Tab Tab Tab ctrl+shift+b Tab F2 Tab Tab Tab Tab Tab space
sb_wait '^action Korvantis 0 2 done$' 60
check "OK stores Ctrl+Shift+B (66) as the toggle key" \
  bash -c "tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -E '^setting Korvantis hotkey_toggle__' | cut -d' ' -f3 | tr '\n' ' ' | grep -qx 'hotkey_toggle__key=66 hotkey_toggle__alt=0 hotkey_toggle__shift=1 hotkey_toggle__ctrl=1 '"
check "and F2 (113) as the previous key" seen '^setting Korvantis hotkey_previous__key=113$'
check "the options, unset, are shown ticked and OK stores them on" \
  bash -c "tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -cE '^setting Korvantis (auto_show|load_old_bookmarks|show_toggle_bookmark)=1$' | grep -qx 3"

echo "== the bound shortcuts in the CPU pane"
sb_mark; sb_click_row 12; sb_key ctrl+shift+b
sb_wait '^host 0 Debugger key: Binary search \(not offered to plug-ins\)$' 30
check "Ctrl+Shift+B, bound as toggle, stays the debugger's binary search: not offered, nothing toggled" \
  bash -c "! tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -qE '^shortcut |Bookmark added'"
sb_mark; sb_key F2; sb_wait '^host 0 Debugger key: Toggle breakpoint ' 30
check "F2, bound as previous, stays the debugger's breakpoint key and is not offered" \
  bash -c "! tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -q '^shortcut '"
sb_mark; sb_key Down; sb_wait '^select ' 30
check "an arrow key moves the selection without being offered" \
  bash -c "! tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -q '^shortcut '"

echo "== settings dialog again: Ctrl+D typed into the toggle field"
sb_mark; sb_plugin_menu 3
check "the dialog opens again" sb_wait_window '^Settings$'
sb_key Tab Tab Tab Tab Tab ctrl+d Tab Tab Tab Tab Tab Tab space
sb_wait '^action Korvantis 0 2 done$' 60
check "OK stores Ctrl+D (68) as the toggle key and keeps the ticked options" \
  bash -c "tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -E '^setting Korvantis (hotkey_toggle__|auto_show)' | cut -d' ' -f3 | tr '\n' ' ' | grep -qx 'auto_show=1 hotkey_toggle__key=68 hotkey_toggle__alt=0 hotkey_toggle__shift=0 hotkey_toggle__ctrl=1 '"
sb_mark; sb_click_row 12; sb_key ctrl+d
sb_wait '^shortcut Korvantis 31 ctrl=1 alt=0 shift=0 key=68 -> 1$' 30
sel=$(sb_selected)
check "Ctrl+D toggles the selected line ($sel)" seen "^log $sel -1 Korvantis: Bookmark added to line ${sel#00}\$"
check "the key is offered as a main-window key (origin 0) first, then to the disassembler (31)" \
  bash -c "tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep '^shortcut ' | cut -d' ' -f3 | uniq | tr '\n' ' ' | grep -qx '0 31 '"
check "the title counts six" equals "$(sb_panel_title)" "Korvan... (06)"

echo "== the panel's close box, then Show/Hide"
sb_mark; xdotool mousemove "$sb_close_x" "$sb_close_y" click 1
sb_wait '^setting Korvantis left=700$' 30
sleep 1
check "the close box hides the panel and stores its place" equals "$(sb_panel_title)" ""
sb_mark; sb_plugin_menu 0; sb_wait '^action Korvantis 0 0 done$' 30; sleep 1
check "Show/Hide shows it again, still counting six" equals "$(sb_panel_title)" "Korvan... (06)"
check "at the place where it was closed" \
  bash -c "xdotool search --onlyvisible --name '^Korvan' getwindowgeometry | grep -q 'Position: 700,40'"

echo "== restart: project saved, plug-ins reset, project replayed"
sb_mark; sb_file r; sb_wait '^host 0 Project read: ' 60
check "the program's base and size saved first, as the module descriptor gives them (00400000, 6000)" \
  equals "$(sb_since | grep '^record save ' | head -1)" "record save 4C4D430B 8 0000400000600000"
check "then six own records, none of the older plug-in" \
  equals "$(sb_since | grep '^record save ' | tail -n +2 | cut -d' ' -f3-4 | uniq -c | tr -s ' ')" " 6 4C4D430A 4"
check "reset deletes the six" bash -c "[ \$(tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -c 'Korvantis: Deleting bookmark from line') = 6 ]"
check "all six are taken back, after the base record" seen '^host 0 Project read: 7 records from sample\.udd, 7 taken$'
check "at the same base nothing moves" bash -c "! tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep -q 'Program moved'"
check "the older record was imported once and is gone from the file" \
  bash -c "[ \$(grep -c '^record load Korvantis 236D420A ' '$sb_trace') = 1 ]"
check "the title counts six again" equals "$(sb_panel_title)" "Korvan... (06)"
check "so does the Bookmarks window, open all along" equals "$(sb_window_title '^Bookmarks')" "Bookmarks (6)"

echo "== restart at another base: two named lines bookmarked, the program moved to 00500000 and back"
# decrypt_string (row 22 from the top) by Ctrl+D, then five lines down decrypt_loop.
sb_mark; sb_click_row 0; sb_key Home; sb_click_row 22; sb_key ctrl+d
sb_wait '^log 0040102F -1 Korvantis: Bookmark added to line 40102F$' 30
sb_mark; sb_key Down Down Down Down Down ctrl+d
sb_wait '^log 00401037 -1 Korvantis: Bookmark added to line 401037$' 30
check "Ctrl+D on decrypt_string and decrypt_loop: the title counts eight" equals "$(sb_panel_title)" "Korvan... (08)"
sb_mark; sb_file a; sb_wait '^host 0 Project read: ' 60
check "File > Restart at another base loads the program at 00500000, and the log says so" \
  seen '^host 0 Program SAMPLE loaded at 00500000: 519 lines from 00501000 to 005014A9$'
check "the plug-in gets the moved base in the module descriptor and logs the move once" \
  bash -c "[ \"\$(tail -n +$((sb_mark_line + 1)) '$sb_trace' | grep 'Program moved')\" = 'log 00500000 -1 Korvantis: Program moved from 400000 to 500000; its bookmarks move with it' ]"
check "the same project file, every record taken" seen '^host 0 Project read: 9 records from sample\.udd, 9 taken$'
check "the bookmarks are added at the moved addresses" seen '^log 00501037 -1 Korvantis: Bookmark added to line 501037$'
check "the selection stays on decrypt_loop's instruction" seen '^select 00501037 row 27 '
check "the panel counts eight" equals "$(sb_panel_title)" "Korvan... (08)"
# A click on decrypt_loop's row (the view scrolled by four rows, as before the
# restart), then the panel's buttons.
sb_mark; sb_click_row 23; sleep 0.5; sb_click_button 1002; sb_wait '^select 0050102F ' 30
check "< goes to decrypt_string at its new address" seen '^goto 0050102F \(0, 0050102F, 0, 0, 13\)$'
sb_mark; sb_click_button 1003; sb_wait '^select 00501037 ' 30
check "> comes back to decrypt_loop" seen '^goto 00501037 \(0, 00501037, 0, 0, 13\)$'
sb_report
ctrl_d_line=$(printf '%08X' $((0x$sel + 0x100000)))
check "the Bookmarks window lists the eight at their new addresses in the moved module with their labels and comments, my_label typed with ':' and the comment given in the window among them" \
  equals "$(sb_list_cells | tr '\n' ' ')" \
  "00501000/SAMPLE/main/ 00501003/SAMPLE// 00501008/SAMPLE/my_label/ 0050100D/SAMPLE//key from argument 1 00501013/SAMPLE//checked in the window $ctrl_d_line/SAMPLE// 0050102F/SAMPLE/decrypt_string/ 00501037/SAMPLE/decrypt_loop/next byte of the text "
sb_mark; sb_file a; sb_wait '^host 0 Project read: ' 60
check "Restart at another base again: back at 00400000, and the move is logged" \
  seen '^log 00400000 -1 Korvantis: Program moved from 500000 to 400000; its bookmarks move with it$'
sb_report
check "the Bookmarks window's rows are back at the linked addresses" \
  equals "$(sb_list_cells | cut -d/ -f1 | tr '\n' ' ')" \
  "00401000 00401003 00401008 0040100D 00401013 $sel 0040102F 00401037 "

echo "== exit"
sb_stop
check "closing calls close, destroy, then unloads" \
  bash -c "grep -E '^(close|destroy|unloaded) Korvantis' '$sb_trace' | cut -d' ' -f1 | tr '\n' ' ' | grep -qx 'close destroy unloaded '"
check "the settings survive in ollydbg.ini under [Plugin Korvantis], in decimal" \
  bash -c "tr -d '\\r' <'$run/ollydbg.ini' | sed -n '/^\\[Plugin Korvantis\\]$/,/^\\[/p' | grep -qx 'hotkey_toggle__key=68'"
check "the Bookmarks window's place and its open state are stored at close" \
  bash -c "tr -d '\\r' <'$run/ollydbg.ini' | grep -E '^list_(left|top|width|height|shown)=' | sort | tr '\\n' ' ' | grep -qx 'list_height=420 list_left=910 list_shown=1 list_top=100 list_width=360 '"
check "the project file holds the base record and eight own records" equals "$(stat -c %s "$run/sample.udd")" 120

echo "gestures: $sb_failures failed (trace: $sb_trace)"
[ "$sb_failures" = 0 ]

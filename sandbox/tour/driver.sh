# Drives the sandbox OLLYDBG.EXE with real X input (xdotool) under a display
# and reads what happened from its trace file. Sourced by the tour and the
# gesture tests; needs $DISPLAY, xdotool and ImageMagick's import.
#
#   sb_prepare RUN_DIR EXE      fresh folder holding a copy of the program
#   sb_start ARGS...            starts it there; returns when it is ready
#   sb_mark; <gesture>; sb_wait PATTERN   waits for a trace line after the mark
#   sb_stop                     File > Exit, waits for the process to end

sb_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
sb_failures=0
sb_mark_line=0

sb_prepare() {
  sb_dir=$1
  rm -rf "$sb_dir"
  mkdir -p "$sb_dir"
  cp "$2" "$sb_dir/OLLYDBG.EXE"
  sb_trace=$sb_dir/sandbox.log
}

# A Windows path for Wine's Z: drive.
sb_winpath() {
  local path=$1
  echo "Z:${path//\//\\}"
}

sb_start() {
  : >"$sb_trace"
  (cd "$sb_dir" && exec setsid "$sb_root/scripts/wine-run" "$sb_dir/OLLYDBG.EXE" "$@" >"$sb_dir/wine.out" 2>&1) &
  sb_pid=$!
  # A run cut short (a failed start, an interrupted script) leaves no sandbox behind.
  trap 'kill "$sb_pid" 2>/dev/null' EXIT
  sb_mark_line=0
  sb_wait '^ready$' 300 || { echo "sandbox did not start; its output:"; cat "$sb_dir/wine.out"; return 1; }
  sb_read_geometry
  sleep 1
}

sb_mark() {
  sb_mark_line=$(wc -l <"$sb_trace")
}

# Trace lines since the mark.
sb_since() {
  tail -n +"$((sb_mark_line + 1))" "$sb_trace"
}

# sb_since_has EXTENDED-REGEX: a trace line after the mark matches. grep
# reads to the end: one that stopped at the first match would cut tail off
# mid-write, and under pipefail its broken pipe would fail the match.
sb_since_has() {
  sb_since | grep -E -- "$1" >/dev/null
}

# sb_wait EXTENDED-REGEX [seconds]: a trace line after the mark matches.
sb_wait() {
  local pattern=$1 limit=${2:-60} waited=0
  while ! sb_since_has "$pattern"; do
    if ! kill -0 "$sb_pid" 2>/dev/null && ! sb_since_has "$pattern"; then
      echo "sandbox ended while waiting for: $pattern"
      return 1
    fi
    if [ "$waited" -ge "$((limit * 5))" ]; then
      echo "no trace line matching: $pattern (waited ${limit}s)"
      return 1
    fi
    sleep 0.2
    waited=$((waited + 1))
  done
}

# Where things are, from the host's window report (View > Report windows).
sb_read_geometry() {
  local line
  line=$(grep -E '^cpu pane ' "$sb_trace" | tail -1)
  read -r _ _ sb_cpu_x sb_cpu_y _ sb_row _ _ <<<"$line"
  line=$(grep -E '^window .* class #32770 "Korvan' "$sb_trace" | tail -1)
  sb_close_x=$(awk '{for (i = 1; i <= NF; i++) if ($i == "close") print $(i + 1)}' <<<"$line")
  sb_close_y=$(awk '{for (i = 1; i <= NF; i++) if ($i == "close") print $(i + 2)}' <<<"$line")
}

# Screen centre of a panel button by its control id.
sb_button_point() {
  grep -E "^child .* id $1 class Button" "$sb_trace" | tail -1 |
    awk '{for (i = 1; i <= NF; i++) if ($i == "rect") print int(($(i + 1) + $(i + 3)) / 2), int(($(i + 2) + $(i + 4)) / 2)}'
}

# sb_click_row ROW [BUTTON]: clicks the CPU pane's visible row (0 = top).
sb_click_row() {
  xdotool mousemove "$((sb_cpu_x + 240))" "$((sb_cpu_y + $1 * sb_row + sb_row / 2))" click "${2:-1}"
  sleep 0.5
}

sb_click_button() {
  local point
  point=$(sb_button_point "$1")
  xdotool mousemove ${point% *} ${point#* } click 1
  sleep 0.5
}

sb_key() {
  local key
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.4
  done
}

# sb_plugin_menu ITEM: Plugins > Korvantis > the ITEM-th entry (0 Show/Hide,
# 1 Bookmark list, 2 Clear Bookmarks, 3 Settings, 4 the About box).
sb_plugin_menu() {
  local downs=()
  for ((i = 0; i < $1; i++)); do downs+=(Down); done
  sb_key alt+p Right "${downs[@]}" Return
}

# sb_wait_window NAME-REGEX: a window of that caption is shown (up to 60 s).
sb_wait_window() {
  local waited=0
  until xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    [ "$waited" -ge 300 ] && { echo "no window named $1"; return 1; }
    sleep 0.2
    waited=$((waited + 1))
  done
  sleep 1
}

# Writes the window report (View > Report windows) and waits for it; the
# rows of a list view are reported with their places and cells' texts.
sb_report() {
  sb_focus_main
  sb_mark
  sb_key alt+v r
  sb_wait '^window ' 30
  sleep 0.5
}

# The last report's line for the list row showing ADDRESS in its first column:
# "row N of HWND rect LEFT TOP RIGHT BOTTOM cells WIDTH "TEXT" ...".
sb_list_row() {
  grep -E "^row [0-9]+ of .* cells [0-9]+ \"$1\"" "$sb_trace" | tail -1
}

# The cells of the last report's rows, one row a line: ADDRESS/MODULE/LABEL/COMMENT.
sb_list_cells() {
  sb_since | grep '^row ' | awk -F'"' '{print $2 "/" $4 "/" $6 "/" $8}'
}

# The last report's list headings as drawn, separated by "/".
sb_list_headings() {
  sb_since | grep '^headings ' | tail -1 | awk -F'"' '{for (i = 2; i <= NF; i += 2) printf "%s%s", (i > 2 ? "/" : ""), $i; print ""}'
}

# sb_click_heading COLUMN: clicks the list's heading of that column (0 = the
# first), found from the header's place and the columns' widths in the report.
sb_click_heading() {
  local left top bottom x
  read -r left top _ bottom <<<"$(grep -E '^child .* class SysHeader32 ' "$sb_trace" | tail -1 |
    awk '{for (i = 1; i <= NF; i++) if ($i == "rect") print $(i + 1), $(i + 2), $(i + 3), $(i + 4)}')"
  x=$(grep -E '^headings ' "$sb_trace" | tail -1 | awk -F'"' -v column="$1" '{
    x = 0
    for (c = 0; 2 * c + 1 < NF; c++) {
      n = split($(2 * c + 1), before, " ")
      if (c == column) { print x + int(before[n] / 2); exit }
      x += before[n]
    }
  }')
  xdotool mousemove "$((left + x))" "$(((top + bottom) / 2))" click 1
  sleep 0.5
}

# sb_click_child ID: clicks the middle of a control of that id in the last report.
sb_click_child() {
  local point
  point=$(grep -E "^child .* id $1 class " "$sb_trace" | tail -1 |
    awk '{for (i = 1; i <= NF; i++) if ($i == "rect") print int(($(i + 1) + $(i + 3)) / 2), int(($(i + 2) + $(i + 4)) / 2)}')
  xdotool mousemove ${point% *} ${point#* } click 1
  sleep 0.5
}

# The last report's CPU pane row showing ADDRESS, as the pane draws it.
sb_cpu_row() {
  sb_since | grep -E "^cpu row [0-9]+ $1 " | tail -1 | cut -d' ' -f4-
}

# sb_click_list_row ADDRESS [CLICKS]: clicks the row's address cell.
sb_click_list_row() {
  local left top bottom
  read -r _ _ _ _ _ left top _ bottom _ <<<"$(sb_list_row "$1")"
  xdotool mousemove "$((left + 30))" "$(((top + bottom) / 2))" click --repeat "${2:-1}" --delay 100 1
  sleep 0.5
}

# The caption of the visible window whose caption matches NAME-REGEX, or nothing.
sb_window_title() {
  local window
  window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
  [ -n "$window" ] && xdotool getwindowname "$window"
}

# The address the CPU pane last selected.
sb_selected() {
  grep -E '^select ' "$sb_trace" | tail -1 | awk '{print $2}'
}

# The navigation panel's caption as X shows it, or nothing when it is hidden.
sb_panel_title() {
  sb_window_title '^Korvan'
}

sb_shot() {
  mkdir -p "$sb_shots"
  import -window root -crop "${2:-900x700+0+0}" +repage "$sb_shots/$1.png"
}

# Clicks the log pane: the main window gets the keyboard (after the panel had it).
sb_focus_main() {
  xdotool mousemove 450 600 click 1
  sleep 0.5
}

# sb_file KEY: File > the item with that mnemonic.
sb_file() {
  sb_focus_main
  sb_key alt+f "$1"
}

sb_stop() {
  sb_mark
  sb_file x
  if ! sb_wait '^exit$' 120; then
    kill "$sb_pid" 2>/dev/null
    sb_failures=$((sb_failures + 1))
  fi
  wait "$sb_pid" 2>/dev/null || true
  trap - EXIT
}

# check DESCRIPTION COMMAND...: runs the command and reports the outcome.
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok   $what"
  else
    echo "FAIL $what"
    sb_failures=$((sb_failures + 1))
  fi
}

# A trace line after the mark matches (does not wait).
seen() {
  sb_since_has "$1"
}

equals() {
  [ "$1" = "$2" ] || { echo "     expected [$2], got [$1]"; return 1; }
}

// The window report the gesture tests read their coordinates from: where the
// CPU pane and its rows are, and every top-level window of this thread with
// its close box and, for dialogs, its controls.
#pragma once

// Writes the report into the trace.
void report_windows();

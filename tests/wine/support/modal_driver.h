// Drives a modal window (a dialog box or a message box) that the code under
// test opens and runs its own message loop for. A thread timer, dispatched by
// that very loop, finds the window and runs the steps one per tick, so each
// step sees the effects of the messages the one before it posted.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct ModalRun {
    HWND window = nullptr;   // the window found (already destroyed afterwards)
    size_t steps_run = 0;    // steps that ran before the window went away
    bool forced = false;     // still open after the last step: ended with EndDialog
};

typedef std::function<void(HWND window)> ModalStep;

// Calls open(), which is expected to run a modal loop; while it does, find()
// is asked for the window on each tick until it answers one, then the steps
// run against it. A window that is still open some time after the last step
// is ended with EndDialog(window, 0) so that a failing test cannot hang.
ModalRun drive_modal(const std::function<void()>& open, const std::function<HWND()>& find,
                     const std::vector<ModalStep>& steps);

// The dialog of this thread that is owned by owner and carries the caption,
// other than except; null when there is none.
HWND find_owned_dialog(HWND owner, const char* caption, HWND except = nullptr);

// Watches a dialog's window messages: records the low word of every WM_COMMAND
// that reaches it (from the dialog manager or anyone else).
void spy_on_commands(HWND dialog, std::vector<int>* ids);

std::string window_text(HWND window);

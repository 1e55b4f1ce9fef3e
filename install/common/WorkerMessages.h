// The private messages by which the installer's and the uninstaller's workers
// report to their window. Both are sent or posted only while the window exists.
#ifndef BASETOOL_WORKERMESSAGES_H
#define BASETOOL_WORKERMESSAGES_H

// One step: wParam = the step text (const wchar_t*, valid until the send
// returns), lParam = the percent reached (0-100). Sent synchronously, so the
// window has shown the step before the worker goes on.
#define WM_STEP_PROGRESS 0x4400

// The worker thread has finished: wParam = TRUE when the work succeeded, FALSE
// when it stopped or failed (its last step text says why). Posted after the
// last step, so a window can release its close button and wait for the thread.
#define WM_WORKER_FINISHED 0x4401

#endif  // BASETOOL_WORKERMESSAGES_H

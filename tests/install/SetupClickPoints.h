// Points in the client area of Setup.exe's 400 x 225 main window (client
// coordinates) that lie on its buttons, for programs that drive the real
// window with posted WM_LBUTTONDOWN / WM_LBUTTONUP. setup_window_tests checks
// each against its control on its page.
#pragma once

struct SetupClickPoint {
    int x;
    int y;
};

// "button_defult_setup" on the first page (default sub-page).
constexpr SetupClickPoint kSetupDefaultInstallPoint = { 200, 106 };
// "button_run_now" on the finish page.
constexpr SetupClickPoint kSetupRunNowPoint = { 137, 171 };
// "button_finish" on the finish page.
constexpr SetupClickPoint kSetupFinishPoint = { 263, 171 };

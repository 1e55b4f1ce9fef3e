// Points in the client areas of Setup.exe's and Uninst.exe's windows and
// dialogs (client coordinates) that lie on their buttons and fields, beside
// the installer's own SetupClickPoints.h, for programs that drive the real
// windows with posted mouse messages. e2e_points_tests checks each against
// its control in the layouts of the programs' skins.
#pragma once

#include "SetupClickPoints.h"

// Setup.exe, main window "MainFrame.xml" (400 x 225).
constexpr SetupClickPoint kSetupClosePoint = { 380, 20 };            // "closebtn"
constexpr SetupClickPoint kSetupCustomPagePoint = { 313, 168 };      // "button_custom_setup_page"
constexpr SetupClickPoint kSetupPathEditPoint = { 219, 86 };         // "edit_setup_path"
constexpr SetupClickPoint kSetupCustomInstallPoint = { 154, 163 };   // "button_custom_setup"
constexpr SetupClickPoint kSetupBootStartPoint = { 153, 126 };       // "option_boot_start", its box
// Setup.exe, exit question "AskExit.xml" (400 x 225).
constexpr SetupClickPoint kAskExitOkPoint = { 248, 165 };       // "button_ok"
constexpr SetupClickPoint kAskExitCancelPoint = { 340, 165 };   // "button_cancel"

// Uninst.exe, main window "MainFrame.xml" (400 x 225).
constexpr SetupClickPoint kUninstClosePoint = { 380, 20 };   // "closebtn"
// Uninst.exe, confirmation "AskUninst.xml" (400 x 225).
constexpr SetupClickPoint kAskUninstOkPoint = { 248, 197 };       // "button_ok"
constexpr SetupClickPoint kAskUninstCancelPoint = { 340, 197 };   // "button_cancel"
constexpr SetupClickPoint kAskUninstClosePoint = { 380, 20 };     // "closebtn"
// Uninst.exe, message "Message.xml" (400 x 200).
constexpr SetupClickPoint kMessageOkPoint = { 340, 172 };   // "button_ok"

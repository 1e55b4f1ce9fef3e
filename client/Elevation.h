// Elevation of the client (tevela.exe): an unelevated administrator start
// under user-account control relaunches itself with the "runas" verb, so that
// the client may write its machine-wide settings.
#ifndef TEVELA_ELEVATION_H
#define TEVELA_ELEVATION_H

#include <windows.h>
#include <shellapi.h>

// Results of RelaunchElevatedIfNeeded.
enum RelaunchResult
{
    RELAUNCH_GO_ON = 1,          // go on in this process (also after a failed relaunch)
    RELAUNCH_REFUSED = 2,        // the prompt was cancelled, or the shell did not find the exe
    RELAUNCH_STARTED = 3         // the elevated copy is running
};

// What the decision asks of the system; tests pass their own.
struct ElevationApi
{
    bool (*isUserAdmin)();
    bool (*isUacEnabled)();
    BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOW* pInfo);
};

// NULL: the real system (IsUserAdmin, IsUacEnabled, ShellExecuteExW).
int RelaunchElevatedIfNeeded(const ElevationApi* pApi = NULL);
// The caller's token is a member of BUILTIN\Administrators.
bool IsUserAdmin();
// Windows Vista or later with "EnableLUA" set under the system policies.
bool IsUacEnabled();

#endif // TEVELA_ELEVATION_H

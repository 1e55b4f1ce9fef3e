// The client's start mode (tevela.exe): the start word of the command line,
// the machine-wide start-up guard, and the update check on the one worker
// thread, whose verdict reaches the main frame through IStartObserver.
#ifndef TEVELA_STARTMODE_H
#define TEVELA_STARTMODE_H

#include <windows.h>

#include "UpdateCheck.h"
#include "Utils.h"

// Start types, from the first word of the command line.
enum ClientStartType
{
    START_OTHER_INSTANCE = -1,   // another instance holds the guard (Parse only)
    START_NORMAL = 0,            // "normal", an empty line, or an unknown word
    START_BOOT = 1,              // "bootstart"
    START_WEB = 2,               // "webstart"
    START_UPDATE_OK = 3,         // "updateok"
    START_UPDATE_FAIL = 4        // "updatefail"
};

// Told when another instance runs (update flag 0, in the second process) and
// when the update check finds an update due (update flag 1, on the worker).
class IStartObserver
{
public:
    virtual int OnStartMode(int nStartType, int nUpdate) = 0;

protected:
    ~IStartObserver() {}
};

class CStartMode
{
public:
    explicit CStartMode(IStartObserver* pObserver);
    // Stops the worker before anything else (it ends within the deadlines of
    // its downloads, at once after CancelUpdateCheck).
    ~CStartMode();

    // The start type of the command line (the text after the program name),
    // or -1 when another instance holds the guard "Global\<app name>" or a
    // window titled with the app name exists. The guard stays owned for the
    // life of the process.
    int Parse(const GString& strCmdLine, const GString& strAppName);

    // Keeps the three values and starts the worker once; later calls only
    // replace the values. Always true.
    bool StartUpdateCheck(const GString& strServerUrl, const GString& strLocalIniPath,
                          const GString& strLocalVersion);
    // The worker's body: the update check, and the observer when an update is due.
    void UpdateCheckTask();

    // Where the check looks for the machine's facts; NULL is the real machine.
    void SetUpdateCheckEnv(IUpdateCheckEnv* pEnv) { m_pEnv = pEnv; }
    int GetStartType() const { return m_AppStartType; }
    const GString& GetServerUrl() const { return m_ServerUrl; }
    const GString& GetLocalIniPath() const { return m_LocalIniPath; }
    const GString& GetLocalVersion() const { return m_LocalVersion; }
    // Waits for the worker to end (tests, and the destructor).
    void StopUpdateCheck() { m_Thread.Stop(); }
    // From any thread: the check's running download ends at once, later ones
    // fail, and the observer is not called any more.
    void CancelUpdateCheck() { m_Abort.Abort(); }
    // Waits at most timeoutMs for the worker to end; true when it has ended
    // (or never started), and then the destructor does not wait.
    bool WaitUpdateCheck(DWORD timeoutMs);

private:
    CStartMode(const CStartMode&);
    CStartMode& operator=(const CStartMode&);

    int m_AppStartType;
    GString m_ServerUrl;
    GString m_LocalIniPath;
    GString m_LocalVersion;
    Thread m_Thread;
    IStartObserver* m_pObserver;
    IUpdateCheckEnv* m_pEnv;
    CUpdateCheckAbort m_Abort;
};

#endif // TEVELA_STARTMODE_H

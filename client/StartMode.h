// The client's start mode (tevela.exe): the start word of the command line,
// the machine-wide start-up guard, and the update check on the one worker
// thread, whose verdict reaches the main frame through IStartObserver.
#ifndef TEVELA_STARTMODE_H
#define TEVELA_STARTMODE_H

#include <windows.h>

#include "Utils.h"

class IUpdateCheckEnv;

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
    // Stops the worker (it ends within the HTTP time-outs) before anything else.
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
};

#endif // TEVELA_STARTMODE_H

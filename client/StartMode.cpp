// The client's start mode: start word, machine-wide guard, update check.
#include "StartMode.h"

#include <new>

#include "ClientLog.h"
#include "ClientText.h"
#include "Endpoints.h"
#include "UpdateCheck.h"

namespace {

// The real machine, with the IP-location host of the client's own build.
class CClientUpdateEnv : public IUpdateCheckEnv
{
public:
    GString InstallFolder() override { return Base()->InstallFolder(); }
    GString IpLocationHost() override { return GString(TEVELA_IPLOCATION_HOST); }
    int LocalHour() override { return Base()->LocalHour(); }
    unsigned int NowSeconds() override { return Base()->NowSeconds(); }
    void SeedRandom(unsigned int seed) override { Base()->SeedRandom(seed); }
    int Random() override { return Base()->Random(); }
    int OsVersion() override { return Base()->OsVersion(); }
    bool EnableLua() override { return Base()->EnableLua(); }
    bool FolderWritable(const GString& folder) override { return Base()->FolderWritable(folder); }

private:
    static IUpdateCheckEnv* Base() { return DefaultUpdateCheckEnv(); }
};

CClientUpdateEnv g_clientEnv;

struct StartWord
{
    const wchar_t* word;
    int type;
};

const StartWord kStartWords[] = {
    { L"normal", START_NORMAL },
    { L"bootstart", START_BOOT },
    { L"webstart", START_WEB },
    { L"updateok", START_UPDATE_OK },
    { L"updatefail", START_UPDATE_FAIL },
};

} // namespace

CStartMode::CStartMode(IStartObserver* pObserver)
    : m_AppStartType(START_NORMAL), m_pObserver(pObserver), m_pEnv(NULL)
{
}

CStartMode::~CStartMode()
{
    m_Thread.Stop();
}

int CStartMode::Parse(const GString& strCmdLine, const GString& strAppName)
{
    GString cmdLine = strCmdLine.empty() ? GString(L"normal") : strCmdLine;
    LOG_INFO << "CStartMode::Parse strCmdLine=" << cmdLine << " strAppName=" << strAppName;

    std::vector<GString> pieces;
    if (SplitWideString(cmdLine, pieces, L" ") > 0) {
        for (size_t i = 0; i < sizeof(kStartWords) / sizeof(kStartWords[0]); ++i) {
            if (pieces[0] == GString(kStartWords[i].word)) {
                m_AppStartType = kStartWords[i].type;
                break;
            }
        }
    }
    LOG_INFO << "CStartMode::Parse m_AppStartType=" << m_AppStartType;

    // Every user may open the guard: a present but NULL DACL.
    SECURITY_DESCRIPTOR sd;
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&sd, TRUE, NULL, FALSE);
    SECURITY_ATTRIBUTES sa;
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = &sd;
    sa.bInheritHandle = FALSE;
    const GString guardName = GString(L"Global\\") + strAppName;

    HWND hWnd = ::FindWindowW(NULL, strAppName.c_str());
    HANDLE hGuard = ::CreateMutexW(&sa, TRUE, guardName.c_str());
    const DWORD dwError = ::GetLastError();
    if (dwError == ERROR_ALREADY_EXISTS || hWnd != NULL) {
        if (m_pObserver != NULL)
            m_pObserver->OnStartMode(m_AppStartType, 0);
        if (hGuard != NULL)
            ::CloseHandle(hGuard);
        return START_OTHER_INSTANCE;
    }
    // hGuard stays open, and the guard owned, until the process ends.
    return m_AppStartType;
}

bool CStartMode::StartUpdateCheck(const GString& strServerUrl, const GString& strLocalIniPath,
                                  const GString& strLocalVersion)
{
    m_ServerUrl = strServerUrl;
    m_LocalIniPath = strLocalIniPath;
    m_LocalVersion = strLocalVersion;
    if (m_Thread.m_started)
        return true;
    m_Thread.m_started = true;
    FunctorBase* pTask = new (std::nothrow) FunctorVoid<CStartMode>(this, &CStartMode::UpdateCheckTask);
    if (pTask != NULL)
        m_Thread.SetTask(pTask);
    m_Thread.CreateTask();
    return true;
}

bool CStartMode::WaitUpdateCheck(DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (m_Thread.IsRunning()) {
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(5);
    }
    m_Thread.Stop();
    return true;
}

void CStartMode::UpdateCheckTask()
{
    UpdateStrategy strategy;
    const int result = CheckForUpdate(m_ServerUrl, m_LocalIniPath, strategy, m_LocalVersion,
                                     m_pEnv != NULL ? m_pEnv : &g_clientEnv, &m_Abort);
    // A client that is closing hands over nothing.
    if (result >= 0 && m_pObserver != NULL && !m_Abort.IsAborted())
        m_pObserver->OnStartMode(m_AppStartType, 1);
}

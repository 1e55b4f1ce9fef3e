// The update check: is a newer version to be installed on this machine?
// The manifest's version against the installed one, then the gradual-rollout
// strategy (province, city, percentage roll, hours, Windows versions).
#ifndef TEVELA_UPDATECHECK_H
#define TEVELA_UPDATECHECK_H

#include "Utils.h"

// Built empty by the caller; the check stores the Local.ini path in the
// first field. The other fields stay empty.
struct UpdateStrategy
{
    GString strLocalIniPath;
    GString strProvince;
    GString strCity;
    GString strPercent;
    GString strTime;
    GString strOs;
    GString strReserved;
};

// What the check takes from the machine. The default (NULL everywhere below)
// is the real machine; tests pass their own clock, dice and folders.
class IUpdateCheckEnv
{
public:
    virtual ~IUpdateCheckEnv() {}
    virtual GString InstallFolder() = 0;        // no trailing '\'
    virtual GString IpLocationHost() = 0;       // host[:port], no scheme
    virtual int LocalHour() = 0;                // 0..23
    virtual unsigned int NowSeconds() = 0;      // the seed of a new roll
    virtual void SeedRandom(unsigned int seed) = 0;
    virtual int Random() = 0;                   // 0..32767
    virtual int OsVersion() = 0;                // WinUtil::GetOSVersionInt
    virtual bool EnableLua() = 0;               // QueryEnableLua
    virtual bool FolderWritable(const GString& folder) = 0;
};

// Lets another thread end a running check at once (the client's exit): each
// download of the check is registered here while it runs; Abort ends the one
// that runs and makes every later one fail at its start.
class CUpdateCheckAbort
{
public:
    CUpdateCheckAbort();
    ~CUpdateCheckAbort();
    // From any thread.
    void Abort();
    bool IsAborted();
    // The check's side: false (and the download aborted) once Abort was called.
    bool Enter(CHttpClient& http);
    void Leave(CHttpClient& http);

private:
    CUpdateCheckAbort(const CUpdateCheckAbort&);
    CUpdateCheckAbort& operator=(const CUpdateCheckAbort&);
    CRITICAL_SECTION m_lock;
    CHttpClient* m_pCurrent;
    bool m_bAborted;
};

// Limits of the check's downloads: the manifest and the location reply are
// small files, and no download may outlast its deadline.
const unsigned long long kManifestMaxBytes = 4ULL * 1024 * 1024;
const DWORD kManifestDeadlineMs = 20000;
const unsigned long long kLocationMaxBytes = 64 * 1024;
const DWORD kLocationDeadlineMs = 10000;
// Longest province or city kept in localinfo.ini (bytes of ANSI text).
const size_t kMaxPlaceBytes = 64;

// The real machine: WinUtil::GetModulePath, the build's IP-location host,
// the local time, srand/rand of the calling thread, the registry.
IUpdateCheckEnv* DefaultUpdateCheckEnv();

// -1 when no update is due; otherwise the update type (0 or more).
// abort (may be NULL) ends the check's downloads from another thread.
int CheckForUpdate(const GString& manifestUrl, const GString& localIniPath, UpdateStrategy& strategy,
                   const GString& localVersion, IUpdateCheckEnv* env = NULL, CUpdateCheckAbort* abort = NULL);

bool CheckProvinceStrategy(const GString& strategy, IUpdateCheckEnv* env = NULL, CUpdateCheckAbort* abort = NULL);
bool CheckCityStrategy(const GString& strategy, IUpdateCheckEnv* env = NULL, CUpdateCheckAbort* abort = NULL);
// GET <ip host>/cityjson; on a good answer the province and city (ANSI) are
// written to localInfo ("Update" / "Province", "City") and returned. A reply
// beyond kLocationMaxBytes, or a province or city that is empty, longer than
// kMaxPlaceBytes or holds control characters, is no answer.
bool LookupIpLocation(CIniParse& localInfo, GString& province, GString& city, IUpdateCheckEnv* env = NULL,
                      CUpdateCheckAbort* abort = NULL);
bool CheckPercentStrategy(const GString& localIniPath, const GString& strategy, IUpdateCheckEnv* env = NULL);
bool CheckTimeStrategy(const GString& strategy, IUpdateCheckEnv* env = NULL);
bool CheckOsStrategy(const GString& strategy, IUpdateCheckEnv* env = NULL);
bool QueryEnableLua();
// Piece i of n (from 0) weighs 255^(n-i); unsigned 64-bit sum (one pass).
unsigned long long VersionToNumber(const GString& version);

#endif

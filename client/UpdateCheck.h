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

// The real machine: WinUtil::GetModulePath, the build's IP-location host,
// the local time, srand/rand of the calling thread, the registry.
IUpdateCheckEnv* DefaultUpdateCheckEnv();

// -1 when no update is due; otherwise the update type (0 or more).
int CheckForUpdate(const GString& manifestUrl, const GString& localIniPath, UpdateStrategy& strategy,
                   const GString& localVersion, IUpdateCheckEnv* env = NULL);

bool CheckProvinceStrategy(const GString& strategy, IUpdateCheckEnv* env = NULL);
bool CheckCityStrategy(const GString& strategy, IUpdateCheckEnv* env = NULL);
// GET <ip host>/cityjson; on a good answer the province and city (ANSI) are
// written to localInfo ("Update" / "Province", "City") and returned.
bool LookupIpLocation(CIniParse& localInfo, GString& province, GString& city, IUpdateCheckEnv* env = NULL);
bool CheckPercentStrategy(const GString& localIniPath, const GString& strategy, IUpdateCheckEnv* env = NULL);
bool CheckTimeStrategy(const GString& strategy, IUpdateCheckEnv* env = NULL);
bool CheckOsStrategy(const GString& strategy, IUpdateCheckEnv* env = NULL);
bool QueryEnableLua();
// Piece i of n (from 0) weighs 255^(n-i); unsigned 64-bit sum.
unsigned long long VersionToNumber(const GString& version);

#endif

// The update check: manifest version and the rollout strategy.
#include "UpdateCheck.h"

#include <stdlib.h>
#include <time.h>

#include <memory>
#include <string>
#include <vector>

#include <json/json.h>

#include "ClientText.h"
#include "Endpoints.h"
#include "Manifest.h"

namespace {

class RealEnv : public IUpdateCheckEnv
{
public:
    GString InstallFolder() override { return WinUtil::GetModulePath(); }
    GString IpLocationHost() override { return GString(TEVELA_IPLOCATION_HOST); }
    int LocalHour() override
    {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return t.wHour;
    }
    unsigned int NowSeconds() override { return (unsigned int)time(NULL); }
    void SeedRandom(unsigned int seed) override { srand(seed); }
    int Random() override { return rand(); }
    int OsVersion() override { return WinUtil::GetOSVersionInt(); }
    bool EnableLua() override { return QueryEnableLua(); }
    bool FolderWritable(const GString& folder) override { return WinUtil::IsPathAccess(folder) != 0; }
};

IUpdateCheckEnv* Env(IUpdateCheckEnv* env) { return env ? env : DefaultUpdateCheckEnv(); }

// A strategy list: the INI's wide text in the ANSI code page, cut at ",".
std::vector<gstring> SplitList(const GString& text)
{
    std::vector<gstring> pieces;
    SplitNarrowString(gstring(text), ",", pieces);
    return pieces;
}

GString LocalInfoPath(IUpdateCheckEnv* env) { return env->InstallFolder() + L"\\localinfo.ini"; }

// One download of the check: its limits, and registered for an abort.
class CheckDownload
{
public:
    CheckDownload(CHttpClient& http, CUpdateCheckAbort* abort, unsigned long long maxBytes, DWORD deadlineMs)
        : m_http(http), m_abort(abort)
    {
        m_http.SetLimits(maxBytes, deadlineMs);
        if (m_abort != NULL)
            m_abort->Enter(m_http);
    }
    ~CheckDownload()
    {
        if (m_abort != NULL)
            m_abort->Leave(m_http);
    }

private:
    CheckDownload(const CheckDownload&);
    CheckDownload& operator=(const CheckDownload&);
    CHttpClient& m_http;
    CUpdateCheckAbort* m_abort;
};

// A province or city worth keeping: short, printable text on one line.
bool IsPlaceName(const gstring& text)
{
    const std::string& s = text.str();
    if (s.empty() || s.size() > kMaxPlaceBytes)
        return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) < 0x20 || s[i] == 0x7F)
            return false;
    return true;
}

// Province and city share everything but their key.
bool CheckPlaceStrategy(const GString& strategy, const wchar_t* key, bool wantProvince, IUpdateCheckEnv* env,
                        CUpdateCheckAbort* abort)
{
    CIniParse localInfo(LocalInfoPath(env));
    GString local;
    localInfo.GetString(CLIENT_SECTION, key, local);
    if (local.empty())
    {
        GString province, city;
        if (LookupIpLocation(localInfo, province, city, env, abort))
            local = wantProvince ? province : city;
    }
    if (strategy.empty())
        return true;
    if (local.empty())
        return false;
    std::vector<gstring> pieces = SplitList(strategy);
    for (size_t i = 0; i < pieces.size(); ++i)
        if (pieces[i] == local)
            return true;
    return false;
}

} // namespace

IUpdateCheckEnv* DefaultUpdateCheckEnv()
{
    static RealEnv env;
    return &env;
}

CUpdateCheckAbort::CUpdateCheckAbort() : m_pCurrent(NULL), m_bAborted(false)
{
    InitializeCriticalSection(&m_lock);
}

CUpdateCheckAbort::~CUpdateCheckAbort()
{
    DeleteCriticalSection(&m_lock);
}

void CUpdateCheckAbort::Abort()
{
    EnterCriticalSection(&m_lock);
    m_bAborted = true;
    if (m_pCurrent != NULL)
        m_pCurrent->Abort();
    LeaveCriticalSection(&m_lock);
}

bool CUpdateCheckAbort::IsAborted()
{
    EnterCriticalSection(&m_lock);
    const bool aborted = m_bAborted;
    LeaveCriticalSection(&m_lock);
    return aborted;
}

bool CUpdateCheckAbort::Enter(CHttpClient& http)
{
    EnterCriticalSection(&m_lock);
    const bool aborted = m_bAborted;
    if (aborted)
        http.Abort();
    else
        m_pCurrent = &http;
    LeaveCriticalSection(&m_lock);
    return !aborted;
}

void CUpdateCheckAbort::Leave(CHttpClient& http)
{
    EnterCriticalSection(&m_lock);
    if (m_pCurrent == &http)
        m_pCurrent = NULL;
    LeaveCriticalSection(&m_lock);
}

// Horner's scheme: after the last piece the sum is multiplied once more, so
// piece i of n carries 255^(n-i), as the weights say. Pieces are the
// non-empty runs between dots, read one at a time.
unsigned long long VersionToNumber(const GString& version)
{
    const gstring narrow(version);
    const std::string& s = narrow.str();
    unsigned long long sum = 0;
    size_t pos = 0;
    while (pos < s.size())
    {
        const size_t end = s.find('.', pos);
        const size_t stop = end == std::string::npos ? s.size() : end;
        if (stop > pos)
            sum = (sum + (unsigned long long)NarrowStringToUInt(gstring(s.substr(pos, stop - pos)))) * 255ULL;
        pos = stop + 1;
    }
    return sum;
}

bool LookupIpLocation(CIniParse& localInfo, GString& province, GString& city, IUpdateCheckEnv* env,
                      CUpdateCheckAbort* abort)
{
    env = Env(env);
    province.clear();
    city.clear();
    CHttpClient http;
    gstring body;
    {
        CheckDownload download(http, abort, kLocationMaxBytes, kLocationDeadlineMs);
        body = http.Get(env->IpLocationHost() + L"/cityjson", GString());
    }
    int brace = body.find('{');
    if (brace < 0)
        return false;
    const std::string json = body.str().substr((size_t)brace);

    Json::Value root;
    try
    {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = true;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        if (!reader->parse(json.data(), json.data() + json.size(), &root, &errors))
            return false;
        // Members of the wrong kind are no answer (jsoncpp would throw on them).
        if (!root.isObject())
            return false;
        const Json::Value& code = root["code"];
        if (!code.isString() || code.asString() != "A00000")
            return false;
        const Json::Value& data = root["data"];
        if (!data.isObject() || data.empty())
            return false;
        const Json::Value& p = data["province"];
        const Json::Value& c = data["city"];
        if (!p.isString() || !c.isString())
            return false;
        const gstring ansiProvince = TransCode::Utf_8ToANSI(gstring(p.asString()));
        const gstring ansiCity = TransCode::Utf_8ToANSI(gstring(c.asString()));
        // Only what fits a line of localinfo.ini is kept.
        if (!IsPlaceName(ansiProvince) || !IsPlaceName(ansiCity))
            return false;
        province = GString(ansiProvince);
        city = GString(ansiCity);
    }
    catch (...)
    {
        // Malformed input (for example nesting beyond the reader's limit).
        province.clear();
        city.clear();
        return false;
    }
    localInfo.SetString(CLIENT_SECTION, CLIENT_KEY_PROVINCE, province);
    localInfo.SetString(CLIENT_SECTION, CLIENT_KEY_CITY, city);
    return true;
}

bool CheckProvinceStrategy(const GString& strategy, IUpdateCheckEnv* env, CUpdateCheckAbort* abort)
{
    return CheckPlaceStrategy(strategy, CLIENT_KEY_PROVINCE, true, Env(env), abort);
}

bool CheckCityStrategy(const GString& strategy, IUpdateCheckEnv* env, CUpdateCheckAbort* abort)
{
    return CheckPlaceStrategy(strategy, CLIENT_KEY_CITY, false, Env(env), abort);
}

bool CheckPercentStrategy(const GString& localIniPath, const GString& strategy, IUpdateCheckEnv* env)
{
    env = Env(env);
    std::vector<gstring> wanted = SplitList(strategy.empty() ? GString(L"100,0") : strategy);
    if (wanted.size() != 2)
        return true;
    const int percent = NarrowStringToInt(wanted[0]);
    const int group = NarrowStringToInt(wanted[1]);

    CIniParse localIni(localIniPath);
    GString stored;
    localIni.GetString(CLIENT_SECTION, CLIENT_KEY_PERCENT, stored);
    std::vector<gstring> roll = SplitList(stored.empty() ? GString(L"100,0") : stored);
    if (roll.size() != 2)
    {
        roll.clear();
        SplitNarrowString("100,0", ",", roll);
    }
    int r = NarrowStringToInt(roll[0]);
    const int storedGroup = NarrowStringToInt(roll[1]);

    if (group != storedGroup)
    {
        env->SeedRandom(env->NowSeconds());
        int dice = env->Random() & 0x7FFF;
        r = (int)((long long)dice * 100 / 32768 + 1);
        GString value = IntToGString(r);
        value += L",";
        AppendIntToGString(value, group);
        localIni.SetString(CLIENT_SECTION, CLIENT_KEY_PERCENT, value);
    }
    return r <= percent;
}

bool CheckTimeStrategy(const GString& strategy, IUpdateCheckEnv* env)
{
    env = Env(env);
    const int hour = env->LocalHour();
    std::vector<gstring> ranges = SplitList(strategy.empty() ? GString(L"0-23") : strategy);
    for (size_t i = 0; i < ranges.size(); ++i)
    {
        int dash = ranges[i].find('-');
        if (dash < 0)
            continue;  // not a range: admits no hour
        const int from = WideStringToInt(ranges[i].mid(0, dash).toGString());
        const int to = WideStringToInt(ranges[i].mid(dash + 1).toGString());
        if (from <= hour && hour <= to)
            return true;
    }
    return false;
}

bool CheckOsStrategy(const GString& strategy, IUpdateCheckEnv* env)
{
    env = Env(env);
    const int code = env->OsVersion();
    std::vector<gstring> codes = SplitList(strategy);
    for (size_t i = 0; i < codes.size(); ++i)
        if (NarrowStringToInt(codes[i]) == code)
            return true;
    return false;
}

bool QueryEnableLua()
{
    OSVERSIONINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    if (!GetVersionExW(&info) || info.dwMajorVersion <= 5)
        return false;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    HKEY key = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD value = 0, size = sizeof(value), type = 0;
    bool on = RegQueryValueExW(key, L"EnableLUA", NULL, &type, (LPBYTE)&value, &size) == ERROR_SUCCESS &&
              size == 4 && (type == REG_DWORD) && value == 1;
    RegCloseKey(key);
    return on;
}

int CheckForUpdate(const GString& manifestUrl, const GString& localIniPath, UpdateStrategy& strategy,
                   const GString& localVersion, IUpdateCheckEnv* env, CUpdateCheckAbort* abort)
{
    env = Env(env);
    const GString folder = env->InstallFolder();
    const GString manifestPath = folder + L"\\update.ini";
    CHttpClient http;
    {
        CheckDownload download(http, abort, kManifestMaxBytes, kManifestDeadlineMs);
        if (http.DownloadTinyFile(manifestUrl, manifestPath, GString()) != 0)
            return -1;
    }

    strategy.strLocalIniPath = localIniPath;
    CIniParse manifest(manifestPath);
    const int type = manifest.GetInt(MANIFEST_SECTION_UPDATE, MANIFEST_KEY_TYPE, 0);
    GString version, province, city, percent, hours, os;
    manifest.GetString(MANIFEST_SECTION_UPDATE, MANIFEST_KEY_VERSION, version);
    manifest.GetString(MANIFEST_SECTION_STRATEGY, MANIFEST_KEY_PROVINCE, province);
    manifest.GetString(MANIFEST_SECTION_STRATEGY, MANIFEST_KEY_CITY, city);
    manifest.GetString(MANIFEST_SECTION_STRATEGY, MANIFEST_KEY_PERCENT, percent);
    manifest.GetString(MANIFEST_SECTION_STRATEGY, MANIFEST_KEY_TIME, hours);
    manifest.GetString(MANIFEST_SECTION_STRATEGY, MANIFEST_KEY_OS, os);

    if (VersionToNumber(version) <= VersionToNumber(localVersion))
        return -1;
    if (!CheckProvinceStrategy(province, env, abort))
        return -1;
    if (!CheckCityStrategy(city, env, abort))
        return -1;
    if (!CheckPercentStrategy(strategy.strLocalIniPath, percent, env))
        return -1;
    if (!CheckTimeStrategy(hours, env))
        return -1;
    if (!os.empty() && !CheckOsStrategy(os, env))
        return -1;

    if (type == 0 && env->EnableLua() && !env->FolderWritable(folder))
        return 1;
    return type;
}

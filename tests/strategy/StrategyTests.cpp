// The update check through its library, with a fake clock and dice; the
// Net* suites run against the local server (tests/support_py/run_with_server.py).
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ClientText.h"
#include "NetTestEnv.h"
#include "TestSupport.h"
#include "UpdateCheck.h"
#include "Utils.h"

namespace {

using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

class FakeEnv : public IUpdateCheckEnv
{
public:
    GString folder;
    GString ipHost;
    int hour = 12;
    unsigned int now = 1700000000u;
    std::deque<int> dice;
    std::vector<unsigned int> seeds;
    int randomCalls = 0;
    int hourCalls = 0;
    int os = 61;
    int osCalls = 0;
    bool lua = false;
    bool writable = true;

    GString InstallFolder() override { return folder; }
    GString IpLocationHost() override { return ipHost; }
    int LocalHour() override
    {
        ++hourCalls;
        return hour;
    }
    unsigned int NowSeconds() override { return now; }
    void SeedRandom(unsigned int seed) override { seeds.push_back(seed); }
    int Random() override
    {
        ++randomCalls;
        int v = dice.empty() ? 0 : dice.front();
        if (!dice.empty())
            dice.pop_front();
        return v;
    }
    int OsVersion() override
    {
        ++osCalls;
        return os;
    }
    bool EnableLua() override { return lua; }
    bool FolderWritable(const GString&) override { return writable; }
};

std::string N(const GString& s) { return testsupport::Narrow(s.str()); }

class StrategyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = testsupport::MakeTempDir(L"strategy");
        m_env.folder = GString(m_dir.substr(0, m_dir.size() - 1));
        m_env.ipHost = GString(L"127.0.0.1:9");  // nothing listens: lookups fail
        m_localIni = m_dir + L"Local.ini";
    }
    void TearDown() override { testsupport::RemoveTree(m_dir); }

    std::string StoredRoll()
    {
        GString v;
        CIniParse(GString(m_localIni)).GetString(L"Update", L"Percent", v);
        return N(v);
    }

    std::wstring m_dir;
    std::wstring m_localIni;
    FakeEnv m_env;
};

TEST(VersionTest, VersionToNumber)
{
    const unsigned long long p = 255ULL;
    EXPECT_EQ(p * p * p * p + p * p + p, VersionToNumber(GString(L"1.0.1.1")));
    EXPECT_EQ(VersionToNumber(GString(L"1.0.0.255")), VersionToNumber(GString(L"1.0.1.0")));
    EXPECT_GT(VersionToNumber(GString(L"2.0.0.0")), VersionToNumber(GString(L"1.9.9.9")));
    EXPECT_GT(VersionToNumber(GString(L"1.0.1.2")), VersionToNumber(GString(L"1.0.1.1")));
    EXPECT_EQ(0ULL, VersionToNumber(GString()));
    EXPECT_EQ(10 * p, VersionToNumber(GString(L"10")));
    EXPECT_EQ(p * p + 2 * p, VersionToNumber(GString(L"1..2")));  // empty pieces are skipped
}

TEST_F(StrategyTest, PercentRollTable)
{
    struct Case
    {
        const wchar_t* strategy;
        const char* stored;  // NULL = no roll stored
        int dice;
        bool pass;
        const char* storedAfter;  // "" = absent
        int rolls;
    };
    const Case cases[] = {
        {L"30", "31,5", 0, true, "31,5", 0},         // one piece: everybody passes
        {L"30,5", "31,5", 0, false, "31,5", 0},      // same group: the stored roll decides
        {L"30,5", "30,5", 0, true, "30,5", 0},
        {L"30,6", "31,5", 9830, true, "30,6", 1},    // new group: 9830*100/32768+1 = 30
        {L"30,6", "31,5", 9831, false, "31,6", 1},   // 31
        {L"30,6", NULL, 0, true, "1,6", 1},          // after an update: no roll, group 0 != 6
        {L"30,6", NULL, 32767, false, "100,6", 1},
        {L"", NULL, 0, true, "", 0},                 // "100,0" against "100,0"
        {L"100,0", NULL, 0, true, "", 0},
        {L"99,0", NULL, 0, false, "", 0},            // group 0 keeps R = 100
        {L"30,0", "abc", 0, false, "abc", 0},        // malformed roll counts as "100,0"
        {L"30,0", "5,0,1", 0, false, "5,0,1", 0},
        {L"1,2,3", "5,5", 0, true, "5,5", 0},        // three pieces: passes
    };
    for (const Case& c : cases)
    {
        DeleteFileW(m_localIni.c_str());
        if (c.stored)
        {
            ASSERT_TRUE(CIniParse(GString(m_localIni)).SetString(L"Update", L"Percent", GString(c.stored)));
        }
        FakeEnv env = m_env;
        env.dice.push_back(c.dice);
        const std::string what = testsupport::Narrow(c.strategy) + " / " + (c.stored ? c.stored : "(none)");
        EXPECT_EQ(c.pass, CheckPercentStrategy(GString(m_localIni), GString(c.strategy), &env)) << what;
        EXPECT_EQ(std::string(c.storedAfter), StoredRoll()) << what;
        EXPECT_EQ(c.rolls, env.randomCalls) << what;
        if (c.rolls > 0)
        {
            ASSERT_EQ(1u, env.seeds.size()) << what;
            EXPECT_EQ(env.now, env.seeds[0]) << "seeded with the time in seconds";
        }
    }
}

TEST_F(StrategyTest, ARollIsKeptForItsGroup)
{
    m_env.dice = {20000};  // R = 62
    EXPECT_FALSE(CheckPercentStrategy(GString(m_localIni), GString(L"50,7"), &m_env));
    EXPECT_EQ("62,7", StoredRoll());
    m_env.dice = {0};
    EXPECT_FALSE(CheckPercentStrategy(GString(m_localIni), GString(L"50,7"), &m_env));
    EXPECT_TRUE(CheckPercentStrategy(GString(m_localIni), GString(L"62,7"), &m_env));
    EXPECT_EQ(1, m_env.randomCalls);
    EXPECT_EQ("62,7", StoredRoll());
    // The roll lives beside the manifest in Local.ini.
    ASSERT_TRUE(WriteFileBytes(m_localIni, "[UPDATE]\r\nVERSION=1.0.1.1\r\n"));
    m_env.dice = {0};
    EXPECT_TRUE(CheckPercentStrategy(GString(m_localIni), GString(L"50,7"), &m_env));
    GString version;
    CIniParse(GString(m_localIni)).GetString(L"UPDATE", L"VERSION", version);
    EXPECT_EQ("1.0.1.1", N(version));
}

TEST_F(StrategyTest, TimeTable)
{
    struct Case
    {
        const wchar_t* strategy;
        const char* hours;  // 24 characters, '1' = passes at that hour
    };
    const Case cases[] = {
        {L"0-23", "111111111111111111111111"},
        {L"", "111111111111111111111111"},
        {L"8-8", "000000001000000000000000"},
        {L"22-2", "000000000000000000000000"},  // no wrap-around
        {L"1-3,20-21", "011100000000000000001100"},
        {L" 9 - 10 ,,", "000000000110000000000000"},
        {L"7", "000000000000000000000000"},     // not a range
        {L"-5", "111111000000000000000000"},    // "" is 0
    };
    for (const Case& c : cases)
        for (int h = 0; h < 24; ++h)
        {
            m_env.hour = h;
            EXPECT_EQ(c.hours[h] == '1', CheckTimeStrategy(GString(c.strategy), &m_env))
                << testsupport::Narrow(c.strategy) << " at " << h;
        }
}

TEST_F(StrategyTest, OsTable)
{
    struct Case
    {
        const wchar_t* strategy;
        int code;
        bool pass;
    };
    const Case cases[] = {
        {L"61,100", 61, true}, {L"61,100", 100, true}, {L"61,100", 62, false},
        {L"51", 51, true},     {L"x,61", 61, true},    {L"x", 0, true},  // "x" reads as 0
        {L"", 61, false},
    };
    for (const Case& c : cases)
    {
        m_env.os = c.code;
        EXPECT_EQ(c.pass, CheckOsStrategy(GString(c.strategy), &m_env)) << testsupport::Narrow(c.strategy) << " "
                                                                         << c.code;
    }
}

TEST_F(StrategyTest, PlaceFromTheCacheWithoutALookup)
{
    ASSERT_TRUE(CIniParse(GString(m_dir + L"localinfo.ini")).SetString(L"Update", L"Province", L"Hebei"));
    ASSERT_TRUE(CIniParse(GString(m_dir + L"localinfo.ini")).SetString(L"Update", L"City", L"Baoding"));
    EXPECT_TRUE(CheckProvinceStrategy(GString(L"Shanxi,Hebei"), &m_env));
    EXPECT_FALSE(CheckProvinceStrategy(GString(L"hebei"), &m_env)) << "exact";
    EXPECT_TRUE(CheckProvinceStrategy(GString(), &m_env));
    EXPECT_TRUE(CheckCityStrategy(GString(L"Baoding"), &m_env));
    EXPECT_FALSE(CheckCityStrategy(GString(L"Hebei"), &m_env));
}

TEST_F(StrategyTest, LocationLookupFailurePassesOnlyAnEmptyStrategy)
{
    // m_env.ipHost names a port nobody listens on.
    EXPECT_TRUE(CheckProvinceStrategy(GString(), &m_env));
    EXPECT_FALSE(CheckProvinceStrategy(GString(L"Hebei"), &m_env));
    EXPECT_FALSE(CheckCityStrategy(GString(L"Baoding"), &m_env));
    EXPECT_FALSE(FileExists(m_dir + L"localinfo.ini"));
}

TEST(UacTest, QueryEnableLuaReadsTheDword)
{
    const wchar_t* keyPath = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_READ | KEY_WRITE, NULL,
                                             &key, NULL));
    DWORD saved = 0, savedSize = sizeof(saved), savedType = 0;
    const bool had = RegQueryValueExW(key, L"EnableLUA", NULL, &savedType, (LPBYTE)&saved, &savedSize) ==
                     ERROR_SUCCESS;
    struct Case
    {
        DWORD type;
        DWORD value;
        bool want;
    };
    const Case cases[] = {{REG_DWORD, 1, true}, {REG_DWORD, 0, false}, {REG_DWORD, 2, false}};
    for (const Case& c : cases)
    {
        RegSetValueExW(key, L"EnableLUA", 0, c.type, (const BYTE*)&c.value, sizeof(c.value));
        EXPECT_EQ(c.want, QueryEnableLua()) << c.value;
    }
    RegSetValueExW(key, L"EnableLUA", 0, REG_SZ, (const BYTE*)L"1", 4);
    EXPECT_FALSE(QueryEnableLua()) << "a text value";
    RegDeleteValueW(key, L"EnableLUA");
    EXPECT_FALSE(QueryEnableLua()) << "no value";
    if (had)
        RegSetValueExW(key, L"EnableLUA", 0, savedType, (const BYTE*)&saved, savedSize);
    RegCloseKey(key);
}

// --- against the local server --------------------------------------------

class NetStrategyTest : public StrategyTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(nettest::Available()) << "run through run_with_server.py";
        StrategyTest::SetUp();
        nettest::Reset();
        m_env.ipHost = GString(nettest::Host());
        DeleteFileW((nettest::Root() + L"update.ini").c_str());
        DeleteFileW((nettest::Root() + L"cityjson").c_str());
    }
    void Serve(const std::string& name, const std::string& bytes)
    {
        ASSERT_TRUE(WriteFileBytes(nettest::Root() + testsupport::Widen(name), bytes));
    }
    void ServeManifest(const std::string& version, int type, const std::string& strategy)
    {
        Serve("update.ini", "[UPDATE]\r\nVERSION=" + version + "\r\nTYPE=" + std::to_string(type) +
                                "\r\n[STRATEGY]\r\n" + strategy + "[FILES]\r\nCOUNT=0\r\n");
    }
    UpdateStrategy m_record;
    int Check(const wchar_t* localVersion = L"1.0.1.1")
    {
        m_record = UpdateStrategy();
        int r = CheckForUpdate(GString(nettest::Host() + L"/update.ini"), GString(m_localIni), m_record,
                               GString(localVersion), &m_env);
        EXPECT_TRUE(m_record.strProvince.empty() && m_record.strCity.empty() && m_record.strPercent.empty() &&
                    m_record.strTime.empty() && m_record.strOs.empty() && m_record.strReserved.empty());
        return r;
    }
};

TEST_F(NetStrategyTest, EmptyStrategyAdmitsEveryClient)
{
    ServeManifest("1.0.1.2", 0, "PROVINCE=\r\nCITY=\r\nPERCENT=\r\nTIME=\r\nOS=\r\n");
    Serve("cityjson", "{\"code\":\"A00000\",\"data\":{\"province\":\"Hebei\",\"city\":\"Baoding\"}}");
    for (int h = 0; h < 24; h += 5)
    {
        m_env.hour = h;
        EXPECT_EQ(0, Check()) << h;
    }
    EXPECT_EQ(0, m_env.osCalls) << "no OS test for an empty OS text";
    EXPECT_EQ(0, m_env.randomCalls);
    // The manifest lies in the installation folder, byte for byte.
    EXPECT_EQ(ReadFileBytes(nettest::Root() + L"update.ini"), ReadFileBytes(m_dir + L"update.ini"));
    // The location was looked up once (localinfo.ini lacked it), then cached.
    EXPECT_EQ(1, nettest::CountRequests("/cityjson"));
    GString p;
    CIniParse(GString(m_dir + L"localinfo.ini")).GetString(L"Update", L"Province", p);
    EXPECT_EQ("Hebei", N(p));
}

TEST_F(NetStrategyTest, VersionAndManifestGate)
{
    EXPECT_EQ(-1, Check()) << "no manifest on the server";
    EXPECT_FALSE(FileExists(m_dir + L"update.ini"));
    EXPECT_TRUE(m_record.strLocalIniPath.empty());
    ServeManifest("1.0.1.1", 0, "");
    EXPECT_EQ(-1, Check(L"1.0.1.1")) << "equal version";
    EXPECT_EQ(m_localIni, m_record.strLocalIniPath.str()) << "stored once the manifest is in";
    ServeManifest("1.0.0.255", 0, "");
    EXPECT_EQ(-1, Check(L"1.0.1.0")) << "the same number";
    ServeManifest("2.0.0.0", 3, "");
    EXPECT_EQ(3, Check(L"1.9.9.9"));
    nettest::SetScript(R"({"rules": [{"path": "/update.ini", "status": 500}]})");
    EXPECT_EQ(-1, Check(L"1.0.0.0")) << "a failed download";
    EXPECT_EQ(-1, Check(L"")) << "a failed download";
}

TEST_F(NetStrategyTest, FirstFailingTestEndsTheCheck)
{
    ServeManifest("1.0.1.2", 0, "PROVINCE=Shanxi\r\nPERCENT=30,6\r\nTIME=0-23\r\nOS=61\r\n");
    ASSERT_TRUE(CIniParse(GString(m_dir + L"localinfo.ini")).SetString(L"Update", L"Province", L"Hebei"));
    ASSERT_TRUE(WriteFileBytes(m_localIni, "[UPDATE]\r\nVERSION=1.0.1.1\r\n"));
    EXPECT_EQ(-1, Check());
    EXPECT_EQ(0, m_env.randomCalls) << "percent not reached";
    EXPECT_EQ(0, m_env.hourCalls) << "time not reached";
    EXPECT_EQ(0, m_env.osCalls);
    EXPECT_EQ(std::string("[UPDATE]\r\nVERSION=1.0.1.1\r\n"), ReadFileBytes(m_localIni));

    // Percent fails: no time or OS test.
    ServeManifest("1.0.1.2", 0, "PERCENT=30,6\r\nTIME=0-23\r\nOS=61\r\n");
    m_env.dice = {32767};
    EXPECT_EQ(-1, Check());
    EXPECT_EQ("100,6", StoredRoll());
    EXPECT_EQ(0, m_env.hourCalls);
    // Time fails: no OS test.
    ServeManifest("1.0.1.2", 0, "TIME=1-2\r\nOS=61\r\n");
    m_env.hour = 5;
    EXPECT_EQ(-1, Check());
    EXPECT_EQ(0, m_env.osCalls);
    // OS decides last.
    ServeManifest("1.0.1.2", 4, "TIME=5-5\r\nOS=51,61\r\n");
    EXPECT_EQ(4, Check());
    m_env.os = 100;
    EXPECT_EQ(-1, Check());
}

TEST_F(NetStrategyTest, TypeZeroBecomesOneWhenUacDeniesTheFolder)
{
    struct Case
    {
        int type;
        bool lua;
        bool writable;
        int want;
    };
    const Case cases[] = {
        {0, true, false, 1}, {0, true, true, 0}, {0, false, false, 0}, {2, true, false, 2}, {1, true, false, 1},
    };
    for (const Case& c : cases)
    {
        ServeManifest("1.0.1.2", c.type, "");
        m_env.lua = c.lua;
        m_env.writable = c.writable;
        EXPECT_EQ(c.want, Check()) << c.type << " " << c.lua << " " << c.writable;
    }
}

TEST_F(NetStrategyTest, LocationRepliesThatAreNoAnswer)
{
    const std::string good = "{\"code\":\"A00000\",\"data\":{\"province\":\"Hebei\",\"city\":\"Baoding\"}}";
    struct Case
    {
        std::string body;
        bool answer;
    };
    const Case cases[] = {
        {good, true},
        {"var returnCitySN = " + good + ";", true},  // text before the first '{' and after the value
        {"{/* c */" + good.substr(1) + " // end", true},  // comments are allowed
        {"no json here", false},
        {"{\"code\":\"A00000\",\"data\":", false},
        {"{\"code\":\"B00000\",\"data\":{\"province\":\"Hebei\",\"city\":\"Baoding\"}}", false},
        {"{\"code\":0,\"data\":{\"province\":\"Hebei\",\"city\":\"Baoding\"}}", false},
        {"{\"code\":{\"x\":1},\"data\":{\"province\":\"Hebei\",\"city\":\"Baoding\"}}", false},
        {"{\"code\":\"A00000\",\"data\":{}}", false},
        {"{\"code\":\"A00000\"}", false},
        {"{\"code\":\"A00000\",\"data\":[1,2]}", false},
        {"{\"code\":\"A00000\",\"data\":\"Hebei\"}", false},
        {"{\"code\":\"A00000\",\"data\":{\"province\":5,\"city\":\"Baoding\"}}", false},
        {"{\"code\":\"A00000\",\"data\":{\"province\":\"Hebei\",\"city\":[\"x\"]}}", false},
        {"{\"code\":\"A00000\",\"data\":{\"province\":\"Hebei\"}}", false},
        {"{\"a\":" + std::string(5000, '[') + std::string(5000, ']') + "}", false},  // deeper than the reader allows
    };
    for (const Case& c : cases)
    {
        DeleteFileW((m_dir + L"localinfo.ini").c_str());
        Serve("cityjson", c.body);
        CIniParse info(GString(m_dir + L"localinfo.ini"));
        GString province(L"stale"), city(L"stale");
        const std::string what = c.body.substr(0, 80);
        EXPECT_EQ(c.answer, LookupIpLocation(info, province, city, &m_env)) << what;
        if (c.answer)
        {
            EXPECT_EQ("Hebei", N(province)) << what;
            EXPECT_EQ("Baoding", N(city)) << what;
            EXPECT_EQ(std::string("[Update]\r\nProvince=Hebei\r\nCity=Baoding\r\n"),
                      ReadFileBytes(m_dir + L"localinfo.ini"));
        }
        else
        {
            EXPECT_TRUE(province.empty() && city.empty()) << what;
            EXPECT_FALSE(FileExists(m_dir + L"localinfo.ini")) << what;
            // Then only an empty strategy passes, and the lookup is tried again each time.
            nettest::ClearLog();
            EXPECT_TRUE(CheckProvinceStrategy(GString(), &m_env)) << what;
            EXPECT_FALSE(CheckProvinceStrategy(GString(L"Hebei"), &m_env)) << what;
            EXPECT_EQ(2, nettest::CountRequests("/cityjson")) << what;
        }
    }
    // A location service that answers 404.
    DeleteFileW((nettest::Root() + L"cityjson").c_str());
    CIniParse info(GString(m_dir + L"localinfo.ini"));
    GString province, city;
    EXPECT_FALSE(LookupIpLocation(info, province, city, &m_env));
}

TEST_F(NetStrategyTest, GbkProvinceAndCityFromTheLocationService)
{
    ASSERT_EQ(936u, GetACP()) << "run with WINE_RUN_LANG=zh_CN.UTF-8";
    // {"code":"A00000","data":{"province":"北京","city":"北京"}} in UTF-8
    Serve("cityjson", "{\"code\":\"A00000\",\"data\":{\"province\":\"\xE5\x8C\x97\xE4\xBA\xAC\","
                      "\"city\":\"\xE5\x8C\x97\xE4\xBA\xAC\"}}");
    // The manifest is GBK text: PROVINCE=上海,北京 CITY=北京
    ServeManifest("1.0.1.2", 0, "PROVINCE=\xC9\xCF\xBA\xA3,\xB1\xB1\xBE\xA9\r\nCITY=\xB1\xB1\xBE\xA9\r\n");
    EXPECT_EQ(0, Check());
    EXPECT_EQ(std::string("[Update]\r\nProvince=\xB1\xB1\xBE\xA9\r\nCity=\xB1\xB1\xBE\xA9\r\n"),
              ReadFileBytes(m_dir + L"localinfo.ini"));
    EXPECT_EQ(1, nettest::CountRequests("/cityjson"));
    // A second run makes no location request; 上海 alone does not admit 北京.
    ServeManifest("1.0.1.2", 0, "PROVINCE=\xC9\xCF\xBA\xA3\r\n");
    EXPECT_EQ(-1, Check());
    EXPECT_EQ(1, nettest::CountRequests("/cityjson"));
}

} // namespace

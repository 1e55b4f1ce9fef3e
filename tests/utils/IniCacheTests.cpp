// CIniParse keeps its file parsed between calls: it must still see every
// change made on disk in between, read large manifests whole, and survive
// hostile files.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "Utils.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

std::string N(const GString& s) { return testsupport::Narrow(s.str()); }

std::string Value(CIniParse& ini, const wchar_t* section, const wchar_t* key)
{
    GString v;
    return ini.GetString(section, key, v) ? N(v) : std::string("<absent>");
}

class IniCacheTest : public ::testing::Test
{
protected:
    void SetUp() override { m_dir = testsupport::MakeTempDir(L"inicache"); }
    void TearDown() override { testsupport::RemoveTree(m_dir); }
    std::wstring m_dir;
};

// Ways of changing the file between two calls of the same object, at once
// (within one tick of the file system's clock) and after a pause.
enum Change { kInPlaceSameSize, kSameStamp, kInPlaceOtherSize, kRenamedOnto, kDeleted, kOtherObject };
const struct
{
    Change change;
    const char* name;
    const char* want;
} kChanges[] = {
    {kInPlaceSameSize, "rewritten in place, same size", "2.0.0.0"},
    // As a file system with a coarse clock would leave it: same size, same
    // time stamps (only seen when the file was written moments before).
    {kSameStamp, "rewritten in place within the same clock tick", "2.0.0.0"},
    {kInPlaceOtherSize, "rewritten in place, longer", "2.0.0.10"},
    {kRenamedOnto, "a new file renamed onto it", "2.0.0.0"},
    {kDeleted, "deleted", "<absent>"},
    {kOtherObject, "written by another CIniParse", "2.0.0.0"},
};

TEST_F(IniCacheTest, EveryChangeOnDiskBetweenCallsIsSeen)
{
    const std::string before = "[UPDATE]\r\nVERSION=1.0.0.0\r\nTYPE=0\r\n";
    for (DWORD pause : {0u, 400u})
        for (const auto& k : kChanges)
        {
            if (k.change == kSameStamp && pause)
                continue;   // a state read well after its write is trusted on its stamp
            const std::string what = std::string(k.name) + ", pause " + std::to_string(pause);
            const std::wstring file = m_dir + L"update.ini";
            ASSERT_TRUE(WriteFileBytes(file, before));
            CIniParse ini{GString(file)};
            // Read twice so that any cache is filled and, after the pause, trusted.
            ASSERT_EQ("1.0.0.0", Value(ini, L"UPDATE", L"VERSION")) << what;
            Sleep(pause);
            ASSERT_EQ("0", Value(ini, L"UPDATE", L"TYPE")) << what;
            switch (k.change)
            {
            case kInPlaceSameSize:
                ASSERT_TRUE(WriteFileBytes(file, "[UPDATE]\r\nVERSION=2.0.0.0\r\nTYPE=0\r\n"));
                break;
            case kSameStamp:
            {
                HANDLE h = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                       OPEN_EXISTING, 0, NULL);
                ASSERT_NE(INVALID_HANDLE_VALUE, h);
                FILETIME created, written;
                ASSERT_TRUE(GetFileTime(h, &created, NULL, &written));
                const char text[] = "[UPDATE]\r\nVERSION=2.0.0.0\r\nTYPE=0\r\n";
                DWORD n = 0;
                ASSERT_TRUE(WriteFile(h, text, sizeof(text) - 1, &n, NULL));
                ASSERT_TRUE(SetFileTime(h, &created, NULL, &written));
                CloseHandle(h);
                break;
            }
            case kInPlaceOtherSize:
                ASSERT_TRUE(WriteFileBytes(file, "[UPDATE]\r\nVERSION=2.0.0.10\r\nTYPE=0\r\n"));
                break;
            case kRenamedOnto:
                ASSERT_TRUE(WriteFileBytes(file + L".new", "[UPDATE]\r\nVERSION=2.0.0.0\r\nTYPE=0\r\n"));
                ASSERT_TRUE(MoveFileExW((file + L".new").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
                break;
            case kDeleted:
                ASSERT_TRUE(DeleteFileW(file.c_str()));
                break;
            case kOtherObject:
                ASSERT_TRUE(CIniParse(GString(file)).SetString(L"UPDATE", L"VERSION", L"2.0.0.0"));
                break;
            }
            EXPECT_EQ(k.want, Value(ini, L"UPDATE", L"VERSION")) << what;
            // And a write through the first object starts from what is on disk now.
            ASSERT_TRUE(ini.SetString(L"UPDATE", L"TYPE", L"1")) << what;
            EXPECT_EQ(k.want, Value(ini, L"UPDATE", L"VERSION")) << what;
            EXPECT_EQ(k.want, Value(*std::unique_ptr<CIniParse>(new CIniParse(GString(file))), L"UPDATE",
                                    L"VERSION"))
                << what;
            EXPECT_EQ("1", Value(ini, L"UPDATE", L"TYPE")) << what;
            DeleteFileW(file.c_str());
        }
}

TEST_F(IniCacheTest, WritesOfOneObjectFollowEachOtherAndTheFile)
{
    const GString path(m_dir + L"Local.ini");
    CIniParse a(path), b(path);
    for (int i = 0; i < 30; ++i)
    {
        CIniParse& writer = (i % 2) ? a : b;
        CIniParse& reader = (i % 2) ? b : a;
        const std::wstring v = std::to_wstring(i % 10) + L",0";   // same length every time
        ASSERT_TRUE(writer.SetString(L"Update", L"Percent", GString(v)));
        EXPECT_EQ(testsupport::Narrow(v), Value(reader, L"Update", L"Percent")) << i;
        EXPECT_EQ(testsupport::Narrow(v), Value(writer, L"update", L"PERCENT")) << i;
    }
}

TEST_F(IniCacheTest, ALargeManifestReadsWholeWithTheFirstSectionAndKeyWinning)
{
    std::string text = "[UPDATE]\r\nVERSION=1.0.2.0\r\n[FILES]\r\nCOUNT=20000\r\n";
    for (int i = 0; i < 20000; ++i)
        text += "FILE" + std::to_string(i) + "=host/1.0.2.0/f" + std::to_string(i) +
                ".bin;0123456789abcdef0123456789abcdef;\\sub\\\r\n";
    text += "FILE7=second\r\n[files]\r\nCOUNT=1\r\nEXTRA=1\r\n[Other]\r\nk=v\r\n";
    const std::wstring file = m_dir + L"update.ini";
    ASSERT_TRUE(WriteFileBytes(file, text));
    CIniParse ini{GString(file)};
    EXPECT_EQ(20000, ini.GetInt(L"FILES", L"COUNT", 0));
    for (int i = 0; i < 20000; i += 997)
    {
        GString v;
        ASSERT_TRUE(ini.GetString(L"FILES", GString(L"FILE" + std::to_wstring(i)), v)) << i;
        EXPECT_EQ("host/1.0.2.0/f" + std::to_string(i) + ".bin;0123456789abcdef0123456789abcdef;\\sub\\", N(v));
    }
    EXPECT_EQ("host/1.0.2.0/f7.bin;0123456789abcdef0123456789abcdef;\\sub\\", Value(ini, L"FILES", L"FILE7"));
    EXPECT_EQ("<absent>", Value(ini, L"FILES", L"EXTRA")) << "a repeated section does not count";
    EXPECT_EQ("v", Value(ini, L"OTHER", L"K"));
    // A new key goes at the end of the first section of the name.
    ASSERT_TRUE(ini.SetString(L"Files", L"Added", L"x"));
    const std::string after = ReadFileBytes(file);
    EXPECT_NE(std::string::npos, after.find("\\sub\\\r\nFILE7=second\r\nAdded=x\r\n[files]\r\n"));
    EXPECT_EQ("x", Value(ini, L"FILES", L"ADDED"));
}

TEST_F(IniCacheTest, HostileFilesNeitherCrashNorHang)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::string want;   // [A] k, "<absent>", or "" for the huge value
    };
    std::string hugeLine = "[A]\r\nk=" + std::string(20 * 1024 * 1024, 'v');   // no newline at the end
    std::string manyLines;
    for (int i = 0; i < 300000; ++i)
        manyLines += "\r\n";
    manyLines += "[A]\nk=deep";
    std::string odd16("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0w\0", 18);
    odd16 += 'x';   // an odd byte count
    const Case cases[] = {
        {"empty", "", "<absent>"},
        {"huge line without newline", hugeLine, ""},
        {"300000 blank lines, LF only", manyLines, "deep"},
        {"NULs in names and values", std::string("[A]\r\nk=a\0b\r\n\0=\0\r\n[\0]\r\n", 20), std::string("a\0b", 3)},
        {"UTF-16LE with an odd byte count", odd16, "w"},
        {"UTF-16BE mark", std::string("\xFE\xFF\0[\0A\0]", 8), "<absent>"},
        {"UTF-32LE mark", std::string("\xFF\xFE\0\0[\0\0\0", 8), "<absent>"},
        {"half a UTF-8 mark", "\xEF\xBB[A]\r\nk=1\r\n", "<absent>"},
        {"only separators", "[\r\n=\r\n]\r\n[[]]\r\n==\r\n\r\r\r", "<absent>"},
        {"unclosed section", "[A\r\nk=1\r\n", "<absent>"},
    };
    for (const Case& c : cases)
    {
        const std::wstring file = m_dir + L"h.ini";
        ASSERT_TRUE(WriteFileBytes(file, c.bytes)) << c.name;
        CIniParse ini{GString(file)};
        GString v;
        const bool found = ini.GetString(L"A", L"k", v);
        if (!c.want.empty())
        {
            EXPECT_EQ(c.want, found ? N(v) : std::string("<absent>")) << c.name;
        }
        else
        {
            EXPECT_TRUE(found) << c.name;
            EXPECT_EQ(20u * 1024 * 1024, (size_t)v.length()) << c.name;
        }
        ini.GetInt(L"", L"", 0);
        EXPECT_TRUE(ini.SetString(L"B", L"n", L"1")) << c.name;
        EXPECT_EQ("1", Value(ini, L"B", L"n")) << c.name;
    }

    // Beyond 64 MiB the file reads as unreadable and is never overwritten.
    const std::wstring big = m_dir + L"big.ini";
    {
        HANDLE h = CreateFileW(big.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        LARGE_INTEGER size;
        size.QuadPart = 64LL * 1024 * 1024 + 1;
        ASSERT_TRUE(SetFilePointerEx(h, size, NULL, FILE_BEGIN) && SetEndOfFile(h));
        CloseHandle(h);
    }
    CIniParse ini{GString(big)};
    EXPECT_EQ("<absent>", Value(ini, L"A", L"k"));
    EXPECT_FALSE(ini.SetString(L"A", L"k", L"v"));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(big.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(0u, data.nFileSizeHigh);
    EXPECT_EQ(64u * 1024 * 1024 + 1, data.nFileSizeLow) << "left as it was";
}

} // namespace

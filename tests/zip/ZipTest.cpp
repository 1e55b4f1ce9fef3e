// The skin zip reader against archives made at build time.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIManager.h"
#include "UIMarkup.h"
#include "UIZip.h"
#include "ZipTestUtil.h"

using namespace SkinUI;
using namespace ziptest;
using testsupport::ReadFileBytes;

namespace {

class SkinZip : public ::testing::Test {
protected:
    void SetUp() override {
        m_bytes = ReadFileBytes(Fixture(L"skin.zip"));
        ASSERT_FALSE(m_bytes.empty());
        m_zip = UIZipOpen(m_bytes.data(), (unsigned)m_bytes.size(), UIZipFromMemory);
        ASSERT_NE(m_zip, nullptr);
    }
    void TearDown() override {
        if (m_zip) {
            EXPECT_EQ(UIZipClose(m_zip), 0u);
        }
    }

    UIZipEntry Find(const wchar_t* name, bool ignoreCase = false) {
        UIZipEntry e;
        int index = -2;
        EXPECT_EQ(UIZipFindEntry(m_zip, name, ignoreCase, &index, &e), 0u) << testsupport::Narrow(name);
        EXPECT_EQ(index, e.nIndex);
        return e;
    }

    std::string m_bytes;
    UIZipHandle* m_zip = nullptr;
};

std::wstring Repeat(const wchar_t* head, wchar_t c, int n, const wchar_t* tail) {
    return std::wstring(head) + std::wstring(n, c) + tail;
}

}  // namespace

TEST_F(SkinZip, FindEntryByNameCaseAndSeparators) {
    struct Case {
        std::wstring name;
        bool ignoreCase;
        unsigned code;
        int index;
    } cases[] = {
        {L"MainWnd/MainFrame.xml", false, 0, kMainFrame},
        {L"MainWnd\\MainFrame.xml", false, 0, kMainFrame},
        {L"mainwnd/mainframe.xml", true, 0, kMainFrame},
        {L"MAINWND\\MAINFRAME.XML", true, 0, kMainFrame},
        {L"mainwnd/mainframe.xml", false, UIZIP_E_NOTFOUND, -1},
        {L"Readme.TXT", false, 0, kReadme},
        {L"readme.txt", false, UIZIP_E_NOTFOUND, -1},
        {L"readme.txt", true, 0, kReadme},
        {L"MainWnd/", false, 0, kMainWndDir},
        {L"MainWnd", false, UIZIP_E_NOTFOUND, -1},
        {L"Big/Data.bin", false, 0, kBigData},
        {Repeat(L"long/", L'n', 246, L".txt"), false, 0, kLong255},
        {Repeat(L"LONG/", L'N', 246, L".TXT"), true, 0, kLong255},
        // 256 characters or more are never found, even though the entry exists.
        {Repeat(L"long/", L'k', 247, L".txt"), false, UIZIP_E_NOTFOUND, -1},
        {Repeat(L"long/", L'm', 291, L".txt"), false, UIZIP_E_NOTFOUND, -1},
        {L"", false, UIZIP_E_NOTFOUND, -1},
        {L"nothing.here", true, UIZIP_E_NOTFOUND, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.name.substr(0, 40)) + (c.ignoreCase ? " (ignore case)" : ""));
        UIZipEntry e;
        memset(&e, 0x55, sizeof(e));
        int index = -2;
        EXPECT_EQ(UIZipFindEntry(m_zip, c.name.c_str(), c.ignoreCase, &index, &e), c.code);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(e.nIndex, c.index);
        if (c.code == 0) {
            std::string want = Expected(c.index);
            EXPECT_EQ(e.dwUncompressedSize, want.size());
        } else {
            EXPECT_EQ(e.szName[0], L'\0');
            EXPECT_EQ(e.dwUncompressedSize, 0u);
        }
    }
    // Without a record only the index comes back.
    int index = -2;
    EXPECT_EQ(UIZipFindEntry(m_zip, L"ut\\all.bin", false, &index, nullptr), 0u);
    EXPECT_EQ(index, kUtAll);
}

TEST_F(SkinZip, EntryRecordsAndCount) {
    CUIZip zip;
    ASSERT_EQ(zip.Open(m_bytes.data(), (unsigned)m_bytes.size(), UIZipFromMemory), 0u);
    UIZipEntryNarrow e;
    ASSERT_EQ(zip.GetEntry(-1, &e), 0u);
    EXPECT_EQ(e.nIndex, kSkinCount);
    EXPECT_EQ(e.szName[0], '\0');
    EXPECT_EQ(zip.GetEntry(kSkinCount, &e), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(zip.GetEntry(-2, &e), (unsigned)UIZIP_E_ARGS);

    // Forward, backward and repeated lookups all give the right record.
    const int order[] = {kBigData, kReadme, kReadme, kUtShort, kMainWndDir, kLong300, kMainFrame};
    for (int i : order) {
        ASSERT_EQ(zip.GetEntry(i, &e), 0u) << i;
        EXPECT_EQ(e.nIndex, i);
        EXPECT_EQ(e.dwUncompressedSize, Expected(i).size()) << i;
    }
    ASSERT_EQ(zip.GetEntry(kMainFrame, &e), 0u);
    EXPECT_STREQ(e.szName, "MainWnd/MainFrame.xml");
    EXPECT_LT(e.dwCompressedSize, e.dwUncompressedSize);
    ASSERT_EQ(zip.GetEntry(kReadme, &e), 0u);
    EXPECT_STREQ(e.szName, "Readme.TXT");
    EXPECT_EQ(e.dwCompressedSize, e.dwUncompressedSize);   // stored

    // A miss in between leaves the reader consistent.
    int index = 0;
    EXPECT_EQ(zip.FindEntry(L"missing", true, &index, &e), (unsigned)UIZIP_E_NOTFOUND);
    ASSERT_EQ(zip.GetEntry(kUtSecond, &e), 0u);
    EXPECT_STREQ(e.szName, "ut/second.bin");
    ASSERT_EQ(zip.GetEntry(kUnixRo, &e), 0u);
    EXPECT_STREQ(e.szName, "attr/unix_ro.txt");

    // Names beyond 259 bytes are cut with a terminator.
    ASSERT_EQ(zip.GetEntry(kLong300, &e), 0u);
    EXPECT_EQ(strlen(e.szName), 259u);
    EXPECT_EQ(zip.Close(), 0u);
    EXPECT_EQ(zip.GetEntry(0, &e), (unsigned)UIZIP_E_NOTOPEN);
}

TEST_F(SkinZip, Attributes) {
    const DWORD N = FILE_ATTRIBUTE_NORMAL, D = FILE_ATTRIBUTE_DIRECTORY, A = FILE_ATTRIBUTE_ARCHIVE,
                R = FILE_ATTRIBUTE_READONLY, H = FILE_ATTRIBUTE_HIDDEN, S = FILE_ATTRIBUTE_SYSTEM;
    struct Case {
        const wchar_t* name;
        DWORD attr;
    } cases[] = {
        {L"MainWnd/", N | D},                  // Unix folder mode plus the DOS folder bit, writable
        {L"MainWnd/MainFrame.xml", N},         // Unix 0644
        {L"attr/unix_ro.txt", N | R},          // Unix 0444: no owner write
        {L"attr/dos_plain.txt", N},            // DOS bits only, none set: not read-only
        {L"attr/dos_flags.txt", N | R | H | S | A},
        {L"Readme.TXT", N | A},
        {L"Big/Data.bin", N},                  // Unix 0600
    };
    for (const Case& c : cases) {
        UIZipEntry e = Find(c.name);
        EXPECT_EQ(e.dwAttributes, c.attr) << testsupport::Narrow(c.name);
    }
}

TEST_F(SkinZip, TimesFromDosStampAndExtendedTimeBlock) {
    struct Case {
        const wchar_t* name;
        FILETIME write, access, creation;
    } cases[] = {
        // Only the modification time in "UT": access and creation keep the DOS time.
        {L"MainWnd/MainFrame.xml", Utc(2020, 9, 13, 12, 26, 40), Local(2019, 5, 6, 7, 8, 10),
         Local(2019, 5, 6, 7, 8, 10)},
        {L"ut/all.bin", Utc(2017, 7, 14, 2, 40, 0), Utc(2017, 7, 14, 2, 41, 40), Utc(2014, 5, 13, 16, 53, 20)},
        // A time before 1970 leaves the DOS time.
        {L"ut/pre1970.bin", Local(2016, 6, 7, 8, 9, 10), Local(2016, 6, 7, 8, 9, 10), Local(2016, 6, 7, 8, 9, 10)},
        // "UT" after another block.
        {L"ut/second.bin", Utc(2009, 2, 13, 23, 31, 30), Local(2015, 5, 6, 7, 8, 10), Local(2015, 5, 6, 7, 8, 10)},
        // Flags ask for three times but the block holds one.
        {L"ut/short.bin", Utc(2011, 3, 13, 7, 6, 40), Local(2014, 4, 5, 6, 7, 8), Local(2014, 4, 5, 6, 7, 8)},
        {L"Readme.TXT", Local(2018, 2, 3, 4, 5, 6), Local(2018, 2, 3, 4, 5, 6), Local(2018, 2, 3, 4, 5, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.name));
        UIZipEntry e = Find(c.name);
        EXPECT_EQ(Ticks(e.ftLastWrite), Ticks(c.write));
        EXPECT_EQ(Ticks(e.ftLastAccess), Ticks(c.access));
        EXPECT_EQ(Ticks(e.ftCreation), Ticks(c.creation));
    }
}

TEST_F(SkinZip, MemoryExtractionInOneCallAndInPieces) {
    const int entries[] = {kMainFrame, kReadme, kBigData, kUtAll};
    for (int index : entries) {
        SCOPED_TRACE(index);
        std::string want = Expected(index);
        ASSERT_FALSE(want.empty());
        // A buffer of exactly the uncompressed size: everything, 0x600, then 0.
        std::string buf(want.size(), '\0');
        EXPECT_EQ(UIZipExtractEntry(m_zip, index, &buf[0], (unsigned)buf.size(), UIZipFromMemory),
                  (unsigned)UIZIP_E_MORE);
        EXPECT_TRUE(buf == want);
        EXPECT_EQ(UIZipExtractEntry(m_zip, index, &buf[0], (unsigned)buf.size(), UIZipFromMemory), 0u);

        // Pieces: continuation calls with the same index.
        for (unsigned piece : {1000u, 4096u, 16384u}) {
            std::string got;
            EXPECT_EQ(ExtractAll(m_zip, index, piece, &got), 0u) << piece;
            size_t calls = (want.size() + piece - 1) / piece;
            ASSERT_EQ(got.size(), calls * piece) << piece;
            EXPECT_TRUE(got.compare(0, want.size(), want) == 0) << piece;
            EXPECT_EQ(got.find_first_not_of('\0', want.size()), std::string::npos) << piece;
        }
    }
    // An empty entry ends at once.
    char c = 'x';
    EXPECT_EQ(UIZipExtractEntry(m_zip, kEmpty, &c, 1, UIZipFromMemory), 0u);
    EXPECT_EQ(c, 'x');
}

TEST_F(SkinZip, MemoryExtractionRestartsAfterAnotherOperation) {
    std::string want = Expected(kMainFrame);
    std::string buf(1000, '\0');
    ASSERT_EQ(UIZipExtractEntry(m_zip, kMainFrame, &buf[0], 1000, UIZipFromMemory), (unsigned)UIZIP_E_MORE);
    EXPECT_EQ(buf, want.substr(0, 1000));
    ASSERT_EQ(UIZipExtractEntry(m_zip, kMainFrame, &buf[0], 1000, UIZipFromMemory), (unsigned)UIZIP_E_MORE);
    EXPECT_EQ(buf, want.substr(1000, 1000));

    // Another entry in between closes the open one ...
    std::string other(100, '\0');
    ASSERT_EQ(UIZipExtractEntry(m_zip, kReadme, &other[0], 100, UIZipFromMemory), (unsigned)UIZIP_E_MORE);
    EXPECT_EQ(other, Expected(kReadme).substr(0, 100));
    // ... so the first starts again from its beginning.
    ASSERT_EQ(UIZipExtractEntry(m_zip, kMainFrame, &buf[0], 1000, UIZipFromMemory), (unsigned)UIZIP_E_MORE);
    EXPECT_EQ(buf, want.substr(0, 1000));
    // So does a lookup.
    UIZipEntry e;
    int index;
    ASSERT_EQ(UIZipFindEntry(m_zip, L"Readme.TXT", false, &index, &e), 0u);
    ASSERT_EQ(UIZipExtractEntry(m_zip, kMainFrame, &buf[0], 1000, UIZipFromMemory), (unsigned)UIZIP_E_MORE);
    EXPECT_EQ(buf, want.substr(0, 1000));
    // A zero-length request closes the entry.
    EXPECT_EQ(UIZipExtractEntry(m_zip, kMainFrame, &buf[0], 0, UIZipFromMemory), 0u);
    ASSERT_EQ(UIZipExtractEntry(m_zip, kMainFrame, &buf[0], 1000, UIZipFromMemory), (unsigned)UIZIP_E_MORE);
    EXPECT_EQ(buf, want.substr(0, 1000));
}

TEST(ZipCorrupt, BrokenDeflateStreamFailsAndReaderStaysUsable) {
    std::string bytes = ReadFileBytes(Fixture(L"corrupt_deflate.zip"));
    UIZipHandle* zip = UIZipOpen(bytes.data(), (unsigned)bytes.size(), UIZipFromMemory);
    ASSERT_NE(zip, nullptr);
    std::string buf(100000, '\0');
    EXPECT_EQ(UIZipExtractEntry(zip, kMainFrame, &buf[0], (unsigned)buf.size(), UIZipFromMemory),
              (unsigned)UIZIP_E_DECOMPRESS);
    std::string got;
    EXPECT_EQ(ExtractAll(zip, kReadme, 600, &got), 0u);
    EXPECT_EQ(got, Expected(kReadme));

    std::wstring dir = testsupport::MakeTempDir(L"zipcorrupt");
    EXPECT_EQ(UIZipExtractEntry(zip, kMainFrame, (void*)(dir + L"main.xml").c_str(), 0, UIZipFromFile),
              (unsigned)UIZIP_E_WRITE);
    EXPECT_EQ(UIZipExtractEntry(zip, kReadme, (void*)(dir + L"readme.txt").c_str(), 0, UIZipFromFile), 0u);
    EXPECT_EQ(ReadFileBytes(dir + L"readme.txt"), Expected(kReadme));
    EXPECT_EQ(UIZipClose(zip), 0u);
    testsupport::RemoveTree(dir);
}

TEST(ZipCorrupt, ChecksumMismatchIsNoSuccess) {
    std::string bytes = ReadFileBytes(Fixture(L"corrupt_stored.zip"));
    UIZipHandle* zip = UIZipOpen(bytes.data(), (unsigned)bytes.size(), UIZipFromMemory);
    ASSERT_NE(zip, nullptr);
    std::string want = Expected(kReadme);
    std::string buf(want.size(), '\0');
    // The bytes arrive (the caller may stop here) ...
    EXPECT_EQ(UIZipExtractEntry(zip, kReadme, &buf[0], (unsigned)buf.size(), UIZipFromMemory),
              (unsigned)UIZIP_E_MORE);
    EXPECT_NE(buf, want);
    // ... but the end of the entry reports the damage.
    EXPECT_EQ(UIZipExtractEntry(zip, kReadme, &buf[0], (unsigned)buf.size(), UIZipFromMemory),
              (unsigned)UIZIP_E_DECOMPRESS);

    std::wstring dir = testsupport::MakeTempDir(L"zipcrc");
    EXPECT_EQ(UIZipExtractEntry(zip, kReadme, (void*)(dir + L"readme.txt").c_str(), 0, UIZipFromFile),
              (unsigned)UIZIP_E_WRITE);
    // Intact entries still work.
    std::string got;
    EXPECT_EQ(ExtractAll(zip, kMainFrame, 1 << 17, &got), 0u);
    EXPECT_TRUE(got.compare(0, Expected(kMainFrame).size(), Expected(kMainFrame)) == 0);
    EXPECT_EQ(UIZipClose(zip), 0u);
    testsupport::RemoveTree(dir);
}

TEST(ZipCorrupt, EndRecordCutShortFailsToOpen) {
    const std::string bytes = ReadFileBytes(Fixture(L"skin.zip"));
    const size_t eocd = bytes.rfind(std::string("PK\x05\x06", 4));
    ASSERT_NE(eocd, std::string::npos);
    ASSERT_EQ(bytes.size(), eocd + 22);   // no comment
    std::wstring dir = testsupport::MakeTempDir(L"zipeocd");
    // The record keeps only its first bytes: its signature, then a field or two.
    for (size_t keep : {4, 5, 8, 10, 12, 16, 20, 21, 22}) {
        SCOPED_TRACE("end record cut to " + std::to_string(keep) + " bytes");
        const std::string cut = bytes.substr(0, eocd + keep);
        const bool whole = keep == 22;
        CUIZip zip;
        EXPECT_EQ(zip.Open(cut.data(), (unsigned)cut.size(), UIZipFromMemory), whole ? 0u : UIZIP_E_BADARCHIVE);
        if (whole) {
            UIZipEntryNarrow e;
            EXPECT_EQ(zip.GetEntry(-1, &e), 0u);
            EXPECT_EQ(e.nIndex, kSkinCount);
        }
        zip.Close();
        UIZipHandle* h = UIZipOpen(cut.data(), (unsigned)cut.size(), UIZipFromMemory);
        EXPECT_EQ(h != nullptr, whole);
        if (h) UIZipClose(h);
        const std::wstring path = dir + L"cut.zip";
        ASSERT_TRUE(testsupport::WriteFileBytes(path, cut));
        h = UIZipOpen(path.c_str(), 0, UIZipFromFile);
        EXPECT_EQ(h != nullptr, whole);
        if (h) UIZipClose(h);
    }
    testsupport::RemoveTree(dir);
}

TEST(ZipNames, Utf8FlaggedNamesAreComparedInUtf8) {
    const std::string bytes = ReadFileBytes(Fixture(L"names.zip"));
    UIZipHandle* zip = UIZipOpen(bytes.data(), (unsigned)bytes.size(), UIZipFromMemory);
    ASSERT_NE(zip, nullptr);
    const std::wstring layout = L"\u76ae\u80a4/\u4e3b\u7a97\u53e3.xml";
    const std::wstring accented = L"\u00dcn\u00efcode/\u00c4rger.png";
    const std::wstring longName = L"long/" + std::wstring(100, L'\u957f') + L".txt";
    // Its record name is cut to 259 bytes at a whole character: 84 of the 100.
    const std::wstring longRecord = L"long/" + std::wstring(84, L'\u957f');
    const bool cp1252 = GetACP() == 1252;
    struct Case {
        std::wstring wanted;
        bool ignoreCase;
        int index;            // -1: not found
        std::wstring name;    // the entry's name as the record gives it
    } cases[] = {
        {L"plain.txt", false, 0, L"plain.txt"},
        {layout, false, 1, layout},
        {L"\u76ae\u80a4\\\u4e3b\u7a97\u53e3.xml", false, 1, layout},
        {layout, true, 1, layout},
        {accented, false, 2, accented},
        {L"\u00fcn\u00efcode\\\u00e4rger.PNG", true, 2, accented},
        {L"\u00fcn\u00efcode/\u00e4rger.png", false, -1, L""},
        {longName, false, 3, longRecord},
        {L"\u76ae\u80a4/\u4e3b.xml", false, -1, L""},
        // The old way: an ANSI name without the flag (code page 1252 here).
        {L"caf\u00e9.txt", false, cp1252 ? 4 : -1, cp1252 ? L"caf\u00e9.txt" : L""},
        {L"CAF\u00c9.TXT", true, cp1252 ? 4 : -1, cp1252 ? L"caf\u00e9.txt" : L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.wanted) + (c.ignoreCase ? " (ignore case)" : ""));
        UIZipEntry e;
        int index = -2;
        EXPECT_EQ(UIZipFindEntry(zip, c.wanted.c_str(), c.ignoreCase, &index, &e),
                  c.index >= 0 ? 0u : (unsigned)UIZIP_E_NOTFOUND);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(std::wstring(e.szName), c.name);
    }
    std::string got;
    EXPECT_EQ(ExtractAll(zip, 1, 4096, &got), 0u);
    EXPECT_EQ(got.substr(0, got.find('\0')), "<Window><Control name=\"\xe4\xb8\xbb\"/></Window>");
    EXPECT_EQ(UIZipClose(zip), 0u);

    // A layout with such a name is found in a skin zip.
    CUIManager::ResetResourceState();
    CUIManager::SetResourceZipMemory(bytes.data(), (unsigned)bytes.size());
    CUIMarkup markup;
    EXPECT_TRUE(markup.LoadFromFile(L"\u76ae\u80a4\\\u4e3b\u7a97\u53e3.xml"))
        << testsupport::Narrow(markup.GetLastErrorMessage());
    CUIMarkupNode control = markup.GetRoot().GetFirstChild();
    ASSERT_TRUE(control.IsValid());
    EXPECT_STREQ(control.GetAttributeValue(0), L"\u4e3b");
    CUIManager::ResetResourceState();
}

TEST(ZipErrors, ResultCodes) {
    std::string bytes = ReadFileBytes(Fixture(L"skin.zip"));
    char buf[16];

    EXPECT_EQ(UIZipClose(nullptr), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(UIZipFindEntry(nullptr, L"Readme.TXT", false, nullptr, nullptr), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(UIZipExtractEntry(nullptr, 0, buf, sizeof(buf), UIZipFromMemory), (unsigned)UIZIP_E_ARGS);

    UIZipHandle bad = {0, nullptr};
    EXPECT_EQ(UIZipFindEntry(&bad, L"Readme.TXT", false, nullptr, nullptr), (unsigned)UIZIP_E_NOTOPEN);
    EXPECT_EQ(UIZipExtractEntry(&bad, 0, buf, sizeof(buf), UIZipFromMemory), (unsigned)UIZIP_E_NOTOPEN);
    EXPECT_EQ(UIZipClose(&bad), (unsigned)UIZIP_E_NOTOPEN);

    UIZipHandle* zip = UIZipOpen(bytes.data(), (unsigned)bytes.size(), UIZipFromMemory);
    ASSERT_NE(zip, nullptr);
    struct Case {
        int index;
        int kind;
        unsigned code;
    } cases[] = {
        {kSkinCount, UIZipFromMemory, UIZIP_E_ARGS},
        {-1, UIZipFromMemory, UIZIP_E_ARGS},
        {kSkinCount, UIZipFromFile, UIZIP_E_ARGS},
        {-1, UIZipFromHandle, UIZIP_E_ARGS},
        {kReadme, 0, UIZIP_E_ARGS},
        {kReadme, 4, UIZIP_E_ARGS},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UIZipExtractEntry(zip, c.index, buf, sizeof(buf), c.kind), c.code)
            << c.index << " kind " << c.kind;
    }
    EXPECT_EQ(UIZipExtractEntry(zip, kReadme, nullptr, 0, UIZipFromFile), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(UIZipExtractEntry(zip, kReadme, nullptr, 10, UIZipFromMemory), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(UIZipFindEntry(zip, nullptr, false, nullptr, nullptr), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(UIZipClose(zip), 0u);

    // Opening.
    CUIZip z;
    EXPECT_EQ(z.Open(bytes.data(), (unsigned)bytes.size(), 0), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(z.Open(bytes.data(), (unsigned)bytes.size(), 7), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(z.Open(nullptr, 100, UIZipFromMemory), (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(z.Open(L"Z:\\no\\such\\file.zip", 0, UIZipFromFile), (unsigned)UIZIP_E_NOFILE);
    EXPECT_EQ(z.Open(INVALID_HANDLE_VALUE, 0, UIZipFromHandle), (unsigned)UIZIP_E_NOTDISK);
    HANDLE r = NULL, w = NULL;
    ASSERT_TRUE(CreatePipe(&r, &w, NULL, 0));
    EXPECT_EQ(z.Open(r, 0, UIZipFromHandle), (unsigned)UIZIP_E_NOTDISK);
    CloseHandle(r);
    CloseHandle(w);
    // Not an archive: the reader's own code.
    const char text[] = "this is no zip archive at all, just text";
    EXPECT_EQ(z.Open(text, sizeof(text), UIZipFromMemory), UIZIP_E_BADARCHIVE);
    EXPECT_EQ(z.Open(text, 0, UIZipFromMemory), UIZIP_E_BADARCHIVE);
    EXPECT_EQ(z.Open(Fixture(L"skin_expected\\02.bin").c_str(), 0, UIZipFromFile), UIZIP_E_BADARCHIVE);
    EXPECT_EQ(UIZipOpen(text, sizeof(text), UIZipFromMemory), nullptr);
    // The failed opens left the reader closed and reusable.
    ASSERT_EQ(z.Open(bytes.data(), (unsigned)bytes.size(), UIZipFromMemory), 0u);
    EXPECT_EQ(z.Open(bytes.data(), (unsigned)bytes.size(), UIZipFromMemory), (unsigned)UIZIP_E_ALREADYOPEN);
    EXPECT_EQ(z.Open(Fixture(L"skin.zip").c_str(), 0, UIZipFromFile), (unsigned)UIZIP_E_ALREADYOPEN);
    UIZipEntryNarrow e;
    EXPECT_EQ(z.GetEntry(kReadme, &e), 0u);
    EXPECT_EQ(z.Close(), 0u);
    EXPECT_EQ(z.Close(), 0u);
    EXPECT_EQ(z.Open(Fixture(L"skin.zip").c_str(), 0, UIZipFromFile), 0u);
}

TEST(ZipSources, OpenByFileNameAndFromHandle) {
    std::wstring path = Fixture(L"skin.zip");
    UIZipHandle* byName = UIZipOpen(path.c_str(), 0, UIZipFromFile);
    ASSERT_NE(byName, nullptr);
    std::string got;
    EXPECT_EQ(ExtractAll(byName, kBigData, 70000, &got), 0u);
    EXPECT_EQ(got, Expected(kBigData));
    // The file is opened for reading shared for reading only.
    HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    EXPECT_EQ(UIZipClose(byName), 0u);

    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    UIZipHandle* byHandle = UIZipOpen(h, 0, UIZipFromHandle);
    ASSERT_NE(byHandle, nullptr);
    UIZipEntry e;
    int index;
    ASSERT_EQ(UIZipFindEntry(byHandle, L"mainwnd\\MAINFRAME.xml", true, &index, &e), 0u);
    EXPECT_EQ(ExtractAll(byHandle, index, e.dwUncompressedSize, &got), 0u);
    EXPECT_EQ(got, Expected(kMainFrame));
    EXPECT_EQ(UIZipClose(byHandle), 0u);
    // The reader closed its duplicate, not the caller's handle.
    char sig[4] = {};
    DWORD n = 0;
    EXPECT_NE(SetFilePointer(h, 0, NULL, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_TRUE(ReadFile(h, sig, 4, &n, NULL));
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(std::string(sig, 4), std::string("PK\x03\x04", 4));
    EXPECT_TRUE(CloseHandle(h));
}

TEST(ZipSources, ArchiveEmbeddedAtAnOffset) {
    HANDLE h = CreateFileW(Fixture(L"embedded.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_EQ(SetFilePointer(h, 1000, NULL, FILE_BEGIN), 1000u);
    UIZipHandle* zip = UIZipOpen(h, 0, UIZipFromHandle);
    ASSERT_NE(zip, nullptr);
    UIZipEntry e;
    int index;
    ASSERT_EQ(UIZipFindEntry(zip, L"Big\\Data.bin", false, &index, &e), 0u);
    EXPECT_EQ(index, kBigData);
    std::string got;
    EXPECT_EQ(ExtractAll(zip, index, e.dwUncompressedSize, &got), 0u);
    EXPECT_EQ(got, Expected(kBigData));
    ASSERT_EQ(UIZipFindEntry(zip, L"Readme.TXT", false, &index, &e), 0u);
    EXPECT_EQ(ExtractAll(zip, index, 7, &got), 0u);
    EXPECT_EQ(got.substr(0, 600), Expected(kReadme));
    EXPECT_EQ(UIZipClose(zip), 0u);
    CloseHandle(h);
}

TEST(ZipSources, MemorySourceStaysInBounds) {
    const char block[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    unsigned code = 1;
    UIZipSource* src = UIZipSourceOpen(block, sizeof(block), UIZipFromMemory, &code);
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(src->bIsFile);
    EXPECT_TRUE(src->bCanSeek);

    struct Seek {
        LONGLONG distance;
        int origin;
        int result;
        long position;   // afterwards
    } seeks[] = {
        {3, FILE_BEGIN, 0, 3},
        {-1, FILE_BEGIN, -1, 3},
        {10, FILE_BEGIN, 0, 10},
        {11, FILE_BEGIN, -1, 10},
        {-10, FILE_CURRENT, 0, 0},
        {-1, FILE_CURRENT, -1, 0},
        {0x7FFFFFFFFFFFFFFFLL, FILE_CURRENT, -1, 0},
        {(LONGLONG)0x100000000LL, FILE_BEGIN, -1, 0},
        {0, FILE_END, 0, 10},
        {0x7FFFFFFFFFFFFFFFLL, FILE_END, -1, 10},
        {1, FILE_END, -1, 10},
        {-4, FILE_END, 0, 6},
        {-11, FILE_END, -1, 6},
        {0, 3, 19, 6},
    };
    for (const Seek& s : seeks) {
        EXPECT_EQ(UIZipSourceSeek(src, s.distance, s.origin), s.result) << s.distance << "/" << s.origin;
        EXPECT_EQ(UIZipSourceTell(src), s.position) << s.distance << "/" << s.origin;
    }

    char out[16] = {};
    EXPECT_EQ(UIZipSourceRead(src, out, 1, 16), 4u);   // only up to the end
    EXPECT_EQ(std::string(out, 4), "6789");
    EXPECT_EQ(UIZipSourceRead(src, out, 1, 16), 0u);   // at the end
    ASSERT_EQ(UIZipSourceSeek(src, 0, FILE_BEGIN), 0);
    EXPECT_EQ(UIZipSourceRead(src, out, 4, 4), 2u);    // whole items only
    EXPECT_EQ(UIZipSourceTell(src), 8);
    EXPECT_EQ(UIZipSourceRead(src, out, 0x80000000u, 2), 0u);   // no overflow of size x count
    EXPECT_EQ(UIZipSourceRead(src, out, 0, 2), 0u);
    EXPECT_EQ(UIZipSourceTell(src), 8);
    EXPECT_FALSE(UIZipSourceHasError(src));
    EXPECT_EQ(UIZipSourceClose(src), 0);
    EXPECT_EQ(UIZipSourceClose(nullptr), -1);

    EXPECT_EQ(UIZipSourceOpen(block, 1, 9, &code), nullptr);
    EXPECT_EQ(code, (unsigned)UIZIP_E_ARGS);
    EXPECT_EQ(UIZipSourceOpen(L"Z:\\no\\such.zip", 0, UIZipFromFile, &code), nullptr);
    EXPECT_EQ(code, (unsigned)UIZIP_E_NOFILE);
    EXPECT_EQ(UIZipSourceOpen(NULL, 0, UIZipFromHandle, &code), nullptr);
    EXPECT_EQ(code, (unsigned)UIZIP_E_DUPHANDLE);
}

TEST(ZipSources, FileSourcePositionsAreRelativeToTheStart) {
    HANDLE h = CreateFileW(Fixture(L"embedded.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFilePointer(h, 1000, NULL, FILE_BEGIN);
    unsigned code = 1;
    UIZipSource* src = UIZipSourceOpen(h, 0, UIZipFromHandle, &code);
    ASSERT_NE(src, nullptr);
    EXPECT_TRUE(src->bIsFile);
    EXPECT_TRUE(src->bCanSeek);
    EXPECT_EQ(src->llStart, 1000);
    EXPECT_EQ(UIZipSourceTell(src), 0);
    char sig[4];
    EXPECT_EQ(UIZipSourceRead(src, sig, 2, 2), 2u);
    EXPECT_EQ(std::string(sig, 4), std::string("PK\x03\x04", 4));
    EXPECT_EQ(UIZipSourceTell(src), 4);
    EXPECT_EQ(UIZipSourceSeek(src, 0, FILE_END), 0);
    long size = UIZipSourceTell(src);
    EXPECT_EQ(size, (long)ReadFileBytes(Fixture(L"skin.zip")).size());
    EXPECT_EQ(UIZipSourceSeek(src, -(size + 1), FILE_END), -1);   // before the start
    EXPECT_EQ(UIZipSourceTell(src), size);
    EXPECT_EQ(UIZipSourceSeek(src, 0, FILE_BEGIN), 0);
    EXPECT_EQ(UIZipSourceTell(src), 0);
    EXPECT_EQ(UIZipSourceSeek(src, 0, 5), 19);
    EXPECT_FALSE(UIZipSourceHasError(src));
    EXPECT_EQ(UIZipSourceClose(src), 0);
    CloseHandle(h);

    // A pipe cannot seek.
    HANDLE r, w;
    ASSERT_TRUE(CreatePipe(&r, &w, NULL, 0));
    src = UIZipSourceOpen(r, 0, UIZipFromHandle, &code);
    ASSERT_NE(src, nullptr);
    EXPECT_FALSE(src->bCanSeek);
    EXPECT_EQ(UIZipSourceSeek(src, 0, FILE_BEGIN), 29);
    EXPECT_EQ(UIZipSourceTell(src), 0);
    UIZipSourceClose(src);
    CloseHandle(w);
    // The read end was duplicated: the writer is gone, so a read fails.
    ASSERT_TRUE(CreatePipe(&r, &w, NULL, 0));
    src = UIZipSourceOpen(r, 0, UIZipFromHandle, &code);
    ASSERT_NE(src, nullptr);
    CloseHandle(w);
    CloseHandle(r);
    EXPECT_EQ(UIZipSourceRead(src, sig, 1, 4), 0u);
    EXPECT_TRUE(UIZipSourceHasError(src));
    UIZipSourceClose(src);
}

TEST(ZipHelpers, UnixTimeToFileTime) {
    FILETIME ft;
    ASSERT_TRUE(UnixTimeToFileTime(0, &ft));
    EXPECT_EQ(Ticks(ft), Ticks(Utc(1970, 1, 1, 0, 0, 0)));
    ASSERT_TRUE(UnixTimeToFileTime(0x7FFFFFFF, &ft));
    EXPECT_EQ(Ticks(ft), Ticks(Utc(2038, 1, 19, 3, 14, 7)));
    ASSERT_TRUE(UnixTimeToFileTime(1600000000, &ft));
    EXPECT_EQ(Ticks(ft), Ticks(Utc(2020, 9, 13, 12, 26, 40)));
    EXPECT_FALSE(UnixTimeToFileTime(0xFFFFFFFF, &ft));   // -1: before 1970
    EXPECT_FALSE(UnixTimeToFileTime(0x80000000, &ft));
}

TEST(ZipHelpers, TextConversionClearsAndBounds) {
    char narrow[8];
    memset(narrow, 'x', sizeof(narrow));
    EXPECT_GT(ZipWideToAnsi(sizeof(narrow), narrow, L"abc"), 0);
    EXPECT_STREQ(narrow, "abc");
    EXPECT_EQ(narrow[7], '\0');
    memset(narrow, 'x', sizeof(narrow));
    EXPECT_EQ(ZipWideToAnsi(sizeof(narrow), narrow, L"much too long"), 0);
    EXPECT_EQ(narrow[0], '\0');
    EXPECT_EQ(narrow[7], '\0');
    wchar_t wide[4];
    EXPECT_GT(ZipAnsiToWide(4, wide, "abc"), 0);
    EXPECT_STREQ(wide, L"abc");
    EXPECT_EQ(ZipAnsiToWide(4, wide, "abcd"), 0);
    EXPECT_EQ(wide[0], L'\0');
}

TEST(ZipHelpers, SafeRelativePaths) {
    struct Case {
        const wchar_t* path;
        bool safe;
    } cases[] = {
        {L"a", true}, {L"a/b/", true}, {L"a\\b\\c", true}, {L"./a", true}, {L"a..b/c", true},
        {L"...a/b", true}, {L"", false}, {L"..", false}, {L"../a", false}, {L"..\\a", false},
        {L"a/../../b", false}, {L"a\\..", false}, {L"/a", false}, {L"\\a", false},
        {L"\\\\server\\share", false}, {L"C:a", false}, {L"C:\\a", false}, {L"a/b:c", false},
        {L".. /a", false}, {L"a/. ./b", false}, {L"a/.../b", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UIZipIsSafeRelativePath(c.path), c.safe) << testsupport::Narrow(c.path);
}

TEST(ZipHelpers, CreateDirectoryPathBelowBaseOnly) {
    std::wstring root = testsupport::MakeTempDir(L"zipdirs");
    std::wstring base = root + L"base\\";
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), NULL));
    EXPECT_TRUE(CreateDirectoryPath(base.c_str(), L"one/two\\three/"));
    EXPECT_TRUE(Exists(base + L"one\\two\\three"));
    EXPECT_TRUE(CreateDirectoryPath(base.c_str(), L"one/two"));   // existing: fine
    EXPECT_TRUE(CreateDirectoryPath(base.c_str(), L"x/y"));       // without a trailing separator
    EXPECT_TRUE(Exists(base + L"x\\y"));
    EXPECT_FALSE(CreateDirectoryPath(base.c_str(), L"../escaped/"));
    EXPECT_FALSE(CreateDirectoryPath(base.c_str(), L"a/../../escaped2/"));
    EXPECT_FALSE(Exists(root + L"escaped"));
    EXPECT_FALSE(Exists(root + L"escaped2"));
    EXPECT_FALSE(Exists(base + L"a"));
    // Too long for MAX_PATH: refused, not truncated.
    std::wstring deep = L"d";
    while (base.size() + deep.size() < MAX_PATH + 5) deep += L"/ddddddddd";
    EXPECT_FALSE(CreateDirectoryPath(base.c_str(), deep.c_str()));
    EXPECT_FALSE(Exists(base + L"d"));
    testsupport::RemoveTree(root);
}

// Truncated and mutated archives (made at build time with a fixed seed): every
// operation ends with a clean result code, nothing crashes or hangs, and
// nothing is written outside the target folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIZip.h"
#include "ZipTestUtil.h"

using namespace SkinUI;
using namespace ziptest;

namespace {

std::vector<std::wstring> CorpusFiles() {
    std::vector<std::wstring> out;
    std::wstring dir = Fixture(L"zipcorpus\\");
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((dir + L"*.zip").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) return out;
    do {
        out.push_back(dir + fd.cFileName);
    } while (FindNextFileW(f, &fd));
    FindClose(f);
    std::sort(out.begin(), out.end());
    return out;
}

bool In(unsigned code, std::initializer_list<unsigned> allowed) {
    return std::find(allowed.begin(), allowed.end(), code) != allowed.end();
}

// Runs every operation on an opened reader; returns the number of entries
// that unpacked cleanly to memory.
int Exercise(CUIZip& zip, const std::wstring& handleTarget, const std::string& tag, bool toFiles) {
    UIZipEntryNarrow e;
    EXPECT_EQ(zip.GetEntry(-1, &e), 0u) << tag;
    int count = std::min(e.nIndex, 40);
    int clean = 0;
    std::vector<char> buf(65536);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(tag + " entry " + std::to_string(i));
        unsigned code = zip.GetEntry(i, &e);
        EXPECT_TRUE(In(code, {0, UIZIP_E_LOCALHEADER, UIZIP_E_EXTRAFIELD})) << std::hex << code;
        if (code == 0) {
            EXPECT_LE(e.dwUncompressedSize, UIZIP_MAX_ENTRY_SIZE);
            EXPECT_EQ(e.szName[MAX_PATH - 1], '\0');
        }

        int calls = 0;
        do {
            code = zip.ExtractEntry(i, buf.data(), (unsigned)buf.size(), UIZipFromMemory);
        } while (code == UIZIP_E_MORE && ++calls < 200);
        EXPECT_TRUE(In(code, {0, UIZIP_E_LOCALHEADER, UIZIP_E_DECOMPRESS})) << std::hex << code;
        if (code == 0) ++clean;

        if (!toFiles) continue;
        code = zip.ExtractEntry(i, (void*)L"out\\f.bin", 0, UIZipFromFile);
        EXPECT_TRUE(In(code, {0, UIZIP_E_NOFILE, UIZIP_E_WRITE, UIZIP_E_LOCALHEADER, UIZIP_E_EXTRAFIELD}))
            << std::hex << code;

        HANDLE h = CreateFileW(handleTarget.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        code = zip.ExtractEntry(i, h, 0, UIZipFromHandle);
        EXPECT_TRUE(In(code, {0, UIZIP_E_WRITE, UIZIP_E_LOCALHEADER, UIZIP_E_EXTRAFIELD})) << std::hex << code;
        CloseHandle(h);
    }
    int index = 0;
    unsigned code = zip.FindEntry(L"zq9dir\\sub\\x.txt", false, &index, &e);
    EXPECT_TRUE(In(code, {0, UIZIP_E_NOTFOUND, UIZIP_E_LOCALHEADER, UIZIP_E_EXTRAFIELD})) << tag;
    code = zip.FindEntry(L"S.TXT", true, &index, &e);
    EXPECT_TRUE(In(code, {0, UIZIP_E_NOTFOUND, UIZIP_E_LOCALHEADER, UIZIP_E_EXTRAFIELD})) << tag;
    return clean;
}

}  // namespace

TEST(ZipCorpus, MutatedArchivesGiveCleanResults) {
    std::vector<std::wstring> files = CorpusFiles();
    ASSERT_GE(files.size(), 100u);

    std::wstring root = testsupport::MakeTempDir(L"zipcorpus");
    std::wstring box = root + L"box\\";
    std::wstring cases = root + L"cases\\";
    ASSERT_TRUE(CreateDirectoryW(box.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryW(cases.c_str(), NULL));
    std::wstring handleTarget = cases + L"handle.bin";
    int opened = 0;
    {
        CwdGuard cwd(box);
        for (const std::wstring& file : files) {
            std::string tag = testsupport::Narrow(file.substr(file.rfind(L'\\') + 1));
            std::string bytes = testsupport::ReadFileBytes(file);
            bool isBase = tag.find("_base.zip") != std::string::npos;

            // From memory (a private copy, so that reads past the end would show).
            std::vector<char> copy(bytes.begin(), bytes.end());
            CUIZip zip;
            unsigned code = zip.Open(copy.empty() ? "" : copy.data(), (unsigned)copy.size(), UIZipFromMemory);
            EXPECT_TRUE(In(code, {0, UIZIP_E_BADARCHIVE})) << tag << " " << std::hex << code;
            if (code == 0) {
                ++opened;
                int clean = Exercise(zip, handleTarget, tag + " (memory)", true);
                if (isBase) {
                    EXPECT_EQ(clean, 3) << tag;
                }
                EXPECT_EQ(zip.Close(), 0u);
            }
            if (isBase) {
                EXPECT_EQ(code, 0u);
            }

            // From a file by name.
            std::wstring path = cases + L"case.zip";
            ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
            code = zip.Open(path.c_str(), 0, UIZipFromFile);
            EXPECT_TRUE(In(code, {0, UIZIP_E_BADARCHIVE})) << tag << " " << std::hex << code;
            if (code == 0) {
                Exercise(zip, handleTarget, tag + " (file)", false);
                EXPECT_EQ(zip.Close(), 0u);
            }

            // Through the C layer.
            UIZipHandle* h = UIZipOpen(copy.empty() ? "" : copy.data(), (unsigned)copy.size(), UIZipFromMemory);
            if (h) {
                UIZipEntry e;
                int index;
                code = UIZipFindEntry(h, L"zq9dir/sub/x.txt", true, &index, &e);
                EXPECT_TRUE(In(code, {0, UIZIP_E_NOTFOUND, UIZIP_E_LOCALHEADER, UIZIP_E_EXTRAFIELD})) << tag;
                EXPECT_EQ(e.szName[MAX_PATH - 1], L'\0');
                EXPECT_EQ(UIZipClose(h), 0u);
            }
        }
        // Names that would leave the folder.
        EXPECT_FALSE(Exists(L"\\zq9absdir"));
        EXPECT_FALSE(Exists(L"C:\\zq9cdir"));
        EXPECT_FALSE(Exists(L"\\zq9uncd"));
    }
    EXPECT_GT(opened, 50);
    EXPECT_FALSE(Exists(root + L"..\\zq9a"));
    EXPECT_FALSE(Exists(root + L"..\\zq9bdir"));

    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((root + L"*").c_str(), &fd);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    std::set<std::wstring> names;
    do {
        std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..") names.insert(name);
    } while (FindNextFileW(f, &fd));
    FindClose(f);
    EXPECT_EQ(names, (std::set<std::wstring>{L"box", L"cases"}));
    testsupport::RemoveTree(root);
}

// Unpacking entries into named files and into open handles.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "UIZip.h"
#include "ZipTestUtil.h"

using namespace SkinUI;
using namespace ziptest;
using testsupport::ReadFileBytes;

namespace {

// <temp>\root\box is the current directory while the archive is opened and
// used, so the reader's base folder is box.
class ZipToFiles : public ::testing::Test {
protected:
    void OpenArchive(const wchar_t* fixture) {
        m_bytes = ReadFileBytes(Fixture(fixture));
        ASSERT_FALSE(m_bytes.empty());
        m_zip = UIZipOpen(m_bytes.data(), (unsigned)m_bytes.size(), UIZipFromMemory);
        ASSERT_NE(m_zip, nullptr);
    }
    void SetUp() override {
        m_root = testsupport::MakeTempDir(L"zipfiles");
        ASSERT_FALSE(m_root.empty());
        m_box = m_root + L"box\\";
        ASSERT_TRUE(CreateDirectoryW(m_box.c_str(), NULL));
        m_cwd = new CwdGuard(m_box);
    }
    void TearDown() override {
        if (m_zip) {
            EXPECT_EQ(UIZipClose(m_zip), 0u);
        }
        delete m_cwd;
        testsupport::RemoveTree(m_root);
    }
    unsigned ToFile(int index, const std::wstring& target) {
        return UIZipExtractEntry(m_zip, index, (void*)target.c_str(), 0, UIZipFromFile);
    }
    // Everything the test made must be inside box.
    void ExpectRootHoldsOnlyBox() {
        WIN32_FIND_DATAW fd;
        HANDLE f = FindFirstFileW((m_root + L"*").c_str(), &fd);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        do {
            std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..") {
                EXPECT_EQ(name, L"box");
            }
        } while (FindNextFileW(f, &fd));
        FindClose(f);
    }

    std::wstring m_root, m_box;
    CwdGuard* m_cwd = nullptr;
    std::string m_bytes;
    UIZipHandle* m_zip = nullptr;
};

WIN32_FILE_ATTRIBUTE_DATA Info(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d);
    return d;
}

}  // namespace

TEST_F(ZipToFiles, NamedFileWithFoldersTimesAndContent) {
    OpenArchive(L"skin.zip");
    ASSERT_EQ(ToFile(kMainFrame, L"out\\deep/MainFrame.xml"), 0u);
    // Times first: reading the file moves its access time.
    WIN32_FILE_ATTRIBUTE_DATA d = Info(m_box + L"out\\deep\\MainFrame.xml");
    EXPECT_EQ(Ticks(d.ftLastWriteTime), Ticks(Utc(2020, 9, 13, 12, 26, 40)));   // from "UT"
    EXPECT_EQ(Ticks(d.ftLastAccessTime), Ticks(Local(2019, 5, 6, 7, 8, 10)));   // DOS time
    EXPECT_EQ(d.dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ReadFileBytes(m_box + L"out\\deep\\MainFrame.xml"), Expected(kMainFrame));

    // An existing, longer file is replaced.
    ASSERT_TRUE(testsupport::WriteFileBytes(m_box + L"big.bin", std::string(200000, 'z')));
    ASSERT_EQ(ToFile(kBigData, L"big.bin"), 0u);   // several 16 KiB pieces
    EXPECT_EQ(ReadFileBytes(m_box + L"big.bin"), Expected(kBigData));
    EXPECT_EQ(Ticks(Info(m_box + L"big.bin").ftLastWriteTime), Ticks(Local(2020, 3, 4, 5, 6, 8)));

    ASSERT_EQ(ToFile(kEmpty, L"empty.txt"), 0u);
    EXPECT_TRUE(Exists(m_box + L"empty.txt"));
    EXPECT_EQ(Info(m_box + L"empty.txt").nFileSizeLow, 0u);

    // An absolute target: its folder part is not created, the file is.
    std::wstring abs = m_box + L"absolute.txt";
    ASSERT_EQ(ToFile(kReadme, abs), 0u);
    EXPECT_EQ(ReadFileBytes(abs), Expected(kReadme));
    EXPECT_EQ(ToFile(kReadme, m_box + L"newfolder\\x.txt"), (unsigned)UIZIP_E_NOFILE);
    EXPECT_FALSE(Exists(m_box + L"newfolder"));
    ExpectRootHoldsOnlyBox();
}

TEST_F(ZipToFiles, AttributesOfExtractedFiles) {
    OpenArchive(L"skin.zip");
    // Entries with only DOS bits are not read-only, so they can be replaced.
    ASSERT_EQ(ToFile(kDosPlain, L"plain.txt"), 0u);
    EXPECT_EQ(Info(m_box + L"plain.txt").dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
    ASSERT_EQ(ToFile(kDosPlain, L"plain.txt"), 0u);
    EXPECT_EQ(ReadFileBytes(m_box + L"plain.txt"), Expected(kDosPlain));
    ASSERT_EQ(ToFile(kMainFrame, L"unix644.txt"), 0u);
    EXPECT_EQ(Info(m_box + L"unix644.txt").dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);

    // Unix mode without owner write: read-only.
    ASSERT_EQ(ToFile(kUnixRo, L"ro.txt"), 0u);
    EXPECT_EQ(ReadFileBytes(m_box + L"ro.txt"), Expected(kUnixRo));
    EXPECT_NE(Info(m_box + L"ro.txt").dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
    SetFileAttributesW((m_box + L"ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ZipToFiles, FolderEntriesAndTargetFoldersStayInsideTheBase) {
    OpenArchive(L"skin.zip");
    // A folder entry creates its folders below the base; the target is not used.
    EXPECT_EQ(ToFile(kMainWndDir, L"ignored.txt"), 0u);
    EXPECT_TRUE(Exists(m_box + L"MainWnd"));
    EXPECT_FALSE(Exists(m_box + L"ignored.txt"));
    EXPECT_EQ(UIZipExtractEntry(m_zip, kMainWndDir, INVALID_HANDLE_VALUE, 0, UIZipFromHandle), 0u);

    // Folder parts that leave the base are not created.
    const wchar_t* escaping[] = {L"..\\escape\\f.txt", L"../escape/f.txt", L"sub/../../escape/f.txt",
                                 L"sub\\..\\..\\escape\\f.txt", L"..\\f\\..\\escape\\f.txt"};
    for (const wchar_t* t : escaping) {
        EXPECT_EQ(ToFile(kReadme, t), (unsigned)UIZIP_E_NOFILE) << testsupport::Narrow(t);
        EXPECT_FALSE(Exists(m_root + L"escape"));
        EXPECT_FALSE(Exists(m_box + L"sub"));
    }
    ExpectRootHoldsOnlyBox();
}

TEST_F(ZipToFiles, FolderEntriesWithEscapingNamesAreRefused) {
    OpenArchive(L"traversal.zip");
    // "..\zq9evil\", "../zq9evil2/", "/zq9abs/", "C:/zq9drv/", "ok/../../zq9up/"
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ToFile(i, L"unused.txt"), (unsigned)UIZIP_E_NOFILE) << i;
    EXPECT_FALSE(Exists(m_root + L"zq9evil"));
    EXPECT_FALSE(Exists(m_root + L"zq9evil2"));
    EXPECT_FALSE(Exists(m_root + L"zq9up"));
    EXPECT_FALSE(Exists(L"\\zq9abs"));
    EXPECT_FALSE(Exists(L"C:\\zq9drv"));
    EXPECT_FALSE(Exists(m_box + L"ok"));
    // "ok/sub/" and "ok/file.txt" are fine.
    EXPECT_EQ(ToFile(5, L"unused.txt"), 0u);
    EXPECT_TRUE(Exists(m_box + L"ok\\sub"));
    EXPECT_EQ(ToFile(6, L"ok\\file.txt"), 0u);
    EXPECT_EQ(ReadFileBytes(m_box + L"ok\\file.txt"), "inside\n");
    ExpectRootHoldsOnlyBox();
}

TEST_F(ZipToFiles, OpenHandles) {
    OpenArchive(L"skin.zip");
    std::wstring path = m_box + L"handle.bin";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE | GENERIC_READ, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(UIZipExtractEntry(m_zip, kBigData, h, 0, UIZipFromHandle), 0u);
    FILETIME c, a, w;
    ASSERT_TRUE(GetFileTime(h, &c, &a, &w));
    EXPECT_EQ(Ticks(w), Ticks(Local(2020, 3, 4, 5, 6, 8)));
    EXPECT_EQ(Ticks(a), Ticks(Local(2020, 3, 4, 5, 6, 8)));
    EXPECT_EQ(Ticks(c), Ticks(Local(2020, 3, 4, 5, 6, 8)));
    // The caller's handle stays open and positioned after the data.
    EXPECT_EQ(UIZipExtractEntry(m_zip, kReadme, h, 0, UIZipFromHandle), 0u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(ReadFileBytes(path), Expected(kBigData) + Expected(kReadme));

    // A handle without write access: the write fails.
    h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(UIZipExtractEntry(m_zip, kReadme, h, 0, UIZipFromHandle), (unsigned)UIZIP_E_WRITE);
    CloseHandle(h);
    EXPECT_EQ(UIZipExtractEntry(m_zip, kReadme, INVALID_HANDLE_VALUE, 0, UIZipFromHandle),
              (unsigned)UIZIP_E_WRITE);

    // A pipe takes the bytes; it has no times to set.
    HANDLE r, wr;
    ASSERT_TRUE(CreatePipe(&r, &wr, NULL, 65536));
    EXPECT_EQ(UIZipExtractEntry(m_zip, kReadme, wr, 0, UIZipFromHandle), 0u);
    std::string got(600, '\0');
    DWORD n = 0;
    EXPECT_TRUE(ReadFile(r, &got[0], 600, &n, NULL));
    EXPECT_EQ(n, 600u);
    EXPECT_EQ(got, Expected(kReadme));
    CloseHandle(r);
    CloseHandle(wr);
}

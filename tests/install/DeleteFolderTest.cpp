// Recursive folder deletion and the product-files-only removal, on real files:
// missing paths, files, read-only trees, a running exe, one that cannot even be
// renamed, links that lead out of the folder (listed ones, and sub-folders swapped
// for links mid-walk), protected folders, a folder the user had before, and what
// makes a folder the product's.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "BaseTool.h"
#include "InstallTestUtil.h"
#include "LogBuffer.h"
#include "Misc.h"
#include "ProductFolder.h"
#include "TestSupport.h"

using basetool::CMisc;
using installtest::Join;
using installtest::ListTree;
using installtest::MakeTree;

namespace {

// Collects the log lines written while it lives.
class LogCapture {
public:
    LogCapture() { basetool::LogBuffer::Instance()->SetLineObserver(&Observe, this); }
    ~LogCapture() { basetool::LogBuffer::Instance()->SetLineObserver(NULL, NULL); }
    std::string All() const
    {
        std::string all;
        for (const std::string& line : lines)
            all += line;
        return all;
    }
    std::vector<std::string> lines;

private:
    static void Observe(const char* line, int length, void* context)
    {
        static_cast<LogCapture*>(context)->lines.push_back(std::string(line, static_cast<size_t>(length)));
    }
};

// The log's texts, in code page 936.
std::string Cp936(const wchar_t* text)
{
    char buffer[256];
    int n = WideCharToMultiByte(936, 0, text, -1, buffer, sizeof(buffer), NULL, NULL);
    return n > 1 ? std::string(buffer, static_cast<size_t>(n - 1)) : std::string();
}

class DeleteFolderTest : public ::testing::Test {
protected:
    void SetUp() override { m_root = testsupport::MakeTempDir(L"delete"); }
    void TearDown() override { installtest::RemoveTestTree(m_root); }
    std::wstring m_root;   // trailing backslash
};

TEST_F(DeleteFolderTest, MissingPathOrFileIsRefusedAndLogged)
{
    ASSERT_TRUE(MakeTree(m_root, {L"file.txt=keep"}));
    struct Case {
        std::wstring path;
        const wchar_t* message;
    } cases[] = {
        {m_root + L"missing", L" 文件不存在"},
        {m_root + L"file.txt", L" 不是文件夹"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_FALSE(CMisc::DeleteFolder(c.path));
        ASSERT_EQ(1u, log.lines.size());
        const std::string& line = log.lines[0];
        EXPECT_NE(std::string::npos, line.find(" [  ERROR ] : basetool::CMisc::DeleteFolder " +
                                               basetool::WideToNarrow(c.path) + Cp936(c.message) + "\r\n"))
            << line;
    }
    EXPECT_EQ("keep", testsupport::ReadFileBytes(m_root + L"file.txt"));
}

TEST_F(DeleteFolderTest, NestedFoldersAndReadOnlyFilesAreRemoved)
{
    std::wstring dir = m_root + L"product";
    ASSERT_TRUE(MakeTree(m_root, {L"product\\", L"product\\a\\", L"product\\a\\b\\", L"product\\a\\b\\c.txt",
                                  L"product\\ro.txt", L"product\\a\\hidden.dat", L"product\\empty\\"}));
    SetFileAttributesW((dir + L"\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((dir + L"\\a\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW((dir + L"\\a").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(CMisc::DeleteFolder(dir));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.c_str()));
    EXPECT_EQ("", Join(ListTree(m_root)));
}

TEST_F(DeleteFolderTest, RunningExeIsRenamedAndQueuedWhileTheRestGoes)
{
    std::wstring dir = m_root + L"product";
    ASSERT_TRUE(MakeTree(m_root, {L"product\\", L"product\\sub\\", L"product\\sub\\x.txt", L"product\\y.txt"}));
    std::wstring exe = dir + L"\\Uninst.exe";
    ASSERT_TRUE(installtest::CopyStub(exe));
    HANDLE running = installtest::Start(L"\"" + exe + L"\" wait");
    ASSERT_TRUE(running != NULL);
    testsupport::PumpFor(300);

    LogCapture log;
    EXPECT_TRUE(CMisc::DeleteFolder(dir));
    EXPECT_EQ("product\\ product\\Uninst.exe.error", Join(ListTree(m_root)));
    EXPECT_NE(std::string::npos, log.All().find(" [ WARNING] : basetool::CMisc::DeleteFolder " +
                                                basetool::WideToNarrow(exe) + Cp936(L" 文件删除失败,错误码：")))
        << log.All();
    // Queued for deletion at the next start: "\??\<path>.error" with no new name.
    std::wstring pending = installtest::PendingRenames();
    std::wstring queued = L"\\??\\" + exe + L".error|";
    EXPECT_NE(std::wstring::npos, pending.find(queued)) << testsupport::Narrow(pending);
    installtest::Stop(running);
}

TEST_F(DeleteFolderTest, LinksAreNeverFollowed)
{
    // outside\ holds files the deletion must not reach; product\ links to it.
    ASSERT_TRUE(MakeTree(m_root, {L"outside\\", L"outside\\keep.txt=keep", L"outside\\empty\\", L"product\\",
                                  L"product\\own.txt"}));
    ASSERT_TRUE(installtest::MakeFolderLink(m_root + L"product\\link", m_root + L"outside"));
    ASSERT_TRUE(installtest::MakeFolderLink(m_root + L"product\\emptylink", m_root + L"outside\\empty"));
    ASSERT_TRUE(installtest::MakeFolderLink(m_root + L"whole", m_root + L"outside"));
    ASSERT_TRUE(basetool::IsReparsePoint(m_root + L"product\\link"));

    EXPECT_TRUE(CMisc::DeleteFolder(m_root + L"product"));
    EXPECT_TRUE(CMisc::DeleteFolder(m_root + L"whole"));   // a link as the folder itself
    EXPECT_EQ("keep", testsupport::ReadFileBytes(m_root + L"outside\\keep.txt"));
    EXPECT_TRUE(basetool::IsPlainFolder(m_root + L"outside\\empty"));
    EXPECT_FALSE(testsupport::FileExists(m_root + L"product\\own.txt"));
}

TEST_F(DeleteFolderTest, ProtectedFoldersAreRefused)
{
    std::wstring desktop = basetool::GetCommonDesktopDir();
    ASSERT_TRUE(basetool::IsProtectedFolder(desktop));   // checked first: the call below must refuse
    std::vector<std::wstring> before = ListTree(desktop + L"\\");
    LogCapture log;
    EXPECT_FALSE(CMisc::DeleteFolder(desktop));
    EXPECT_EQ(Join(before), Join(ListTree(desktop + L"\\")));
    EXPECT_EQ(1u, log.lines.size());
}

TEST_F(DeleteFolderTest, KeepPredicateLeavesFilesAndTheirFolder)
{
    ASSERT_TRUE(MakeTree(m_root, {L"product\\", L"product\\keep.me", L"product\\drop.txt"}));
    EXPECT_TRUE(CMisc::DeleteFolder(m_root + L"product", [](const std::wstring& path) {
        return path.size() > 7 && path.compare(path.size() - 7, 7, L"keep.me") == 0;
    }));
    EXPECT_EQ("product\\ product\\keep.me", Join(ListTree(m_root)));
}

TEST_F(DeleteFolderTest, FolderTheUserHadLosesOnlyTheProductsFiles)
{
    std::wstring dir = m_root + L"Tools";
    std::string localIni =
        "[FILES]\r\nCOUNT=4\r\n"
        "FILE0=update.example/1.0/tevela.exe;0123;\\\r\n"
        "FILE1=update.example/1.0/skin.zip;0123;\\skin\\\r\n"
        "FILE2=update.example/1.0/evil.txt;0123;..\\\r\n"
        "FILE3=update.example/1.0/notes.txt;0123;C:\\\r\n";
    ASSERT_TRUE(MakeTree(m_root, {L"evil.txt=outside", L"Tools\\", L"Tools\\notes.txt=mine", L"Tools\\mine\\",
                                  L"Tools\\mine\\data.bin", L"Tools\\tevela.exe", L"Tools\\tevela.exe.old",
                                  L"Tools\\Utils.dll", L"Tools\\update.ini", L"Tools\\skin\\", L"Tools\\skin\\skin.zip",
                                  L"Tools\\log\\", L"Tools\\log\\Update_20250101-000000_001.log",
                                  L"Tools\\log\\mine.txt", L"Tools\\Uninst.exe.error"}));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir + L"\\Local.ini", localIni));
    EXPECT_FALSE(basetool::IsProductFolderOwned(dir));

    basetool::DeleteProductFiles(dir);
    EXPECT_EQ("Tools\\ Tools\\log\\ Tools\\log\\mine.txt Tools\\mine\\ Tools\\mine\\data.bin Tools\\notes.txt "
              "evil.txt",
              Join(ListTree(m_root)));
    EXPECT_EQ("outside", testsupport::ReadFileBytes(m_root + L"evil.txt"));

    // Once only product files are left, the folder goes too.
    ASSERT_TRUE(MakeTree(m_root, {L"Only\\", L"Only\\tevela.exe", L"Only\\log\\", L"Only\\log\\a.log"}));
    basetool::DeleteProductFiles(m_root + L"Only");
    EXPECT_FALSE(basetool::IsPlainFolder(m_root + L"Only"));
}

// How often the reboot queue names path (as "\??\<path>" with no new name).
size_t QueuedCount(const std::wstring& path)
{
    std::wstring pending = installtest::PendingRenames();
    std::wstring entry = L"|\\??\\" + path + L"||";
    pending = L"|" + pending;
    size_t count = 0;
    for (size_t at = pending.find(entry); at != std::wstring::npos; at = pending.find(entry, at + 1))
        ++count;
    return count;
}

// True when some queued path lies under folder (a trailing backslash).
bool QueuesUnder(const std::wstring& folder)
{
    return installtest::PendingRenames().find(L"\\??\\" + folder) != std::wstring::npos;
}

// Names the INI files of a folder the user had list must never lead out of it:
// through a linked folder (plain, or holding a running exe that can only be
// queued), "..", absolute paths, drive letters, stream colons, device names.
TEST_F(DeleteFolderTest, ListedNamesNeverLeadOutOfTheFolder)
{
    std::wstring dir = m_root + L"Tools";
    ASSERT_TRUE(MakeTree(m_root, {L"outside\\", L"outside\\x.dll=outside", L"outside\\evil.txt=outside",
                                  L"outside\\empty\\", L"running\\", L"Tools\\", L"Tools\\notes.txt=mine",
                                  L"Tools\\tevela.exe", L"Tools\\real\\", L"Tools\\real\\x.dll"}));
    ASSERT_TRUE(installtest::CopyStub(m_root + L"running\\x.exe"));
    HANDLE running = installtest::Start(L"\"" + m_root + L"running\\x.exe\" wait");
    ASSERT_TRUE(running != NULL);
    ASSERT_TRUE(installtest::MakeFolderLink(dir + L"\\sub", m_root + L"outside"));
    ASSERT_TRUE(installtest::MakeFolderLink(dir + L"\\run", m_root + L"running"));
    ASSERT_TRUE(installtest::MakeFolderLink(dir + L"\\real\\deeper", m_root + L"outside"));
    // "<url>;<md5>;<folder>": the file name is the url's last part.
    const char* const entries[] = {
        "u/x.dll;0;sub",           "u/x.exe;0;run",          "u/x.dll;0;real\\deeper", "u/evil.txt;0;..",
        "u/evil.txt;0;sub\\..\\..\\outside", "u/evil.txt;0;" , "u/x.dll;0;real",
        "u/evil.txt;0;C:\\",       "u/evil.txt;0;\\\\?\\C:\\", "u/tevela.exe:evil;0;",   "u/CON;0;",
        "u/evil.txt;0;\\\\server\\share", "u/evil.txt;0;C:..\\", "u/x.dll;0;sub\\empty",
    };
    std::string ini = "[FILES]\r\nCOUNT=" + std::to_string(sizeof(entries) / sizeof(entries[0])) + "\r\n";
    for (size_t i = 0; i < sizeof(entries) / sizeof(entries[0]); ++i)
        ini += "FILE" + std::to_string(i) + "=" + entries[i] + "\r\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(dir + L"\\Local.ini", ini));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir + L"\\update.ini", ini));
    testsupport::PumpFor(300);

    basetool::DeleteProductFiles(dir);
    EXPECT_EQ("outside", testsupport::ReadFileBytes(m_root + L"outside\\x.dll"));
    EXPECT_EQ("outside", testsupport::ReadFileBytes(m_root + L"outside\\evil.txt"));
    EXPECT_TRUE(basetool::IsPlainFolder(m_root + L"outside\\empty"));   // an emptied folder is removed, not this
    EXPECT_TRUE(testsupport::FileExists(m_root + L"running\\x.exe"));
    EXPECT_FALSE(testsupport::FileExists(m_root + L"running\\x.exe.error"));
    EXPECT_FALSE(QueuesUnder(m_root + L"running\\"));
    EXPECT_FALSE(QueuesUnder(m_root + L"outside\\"));
    // What lay inside went: the listed file of the real sub-folder and the client.
    EXPECT_FALSE(testsupport::FileExists(dir + L"\\real\\x.dll"));
    EXPECT_FALSE(testsupport::FileExists(dir + L"\\tevela.exe"));
    EXPECT_EQ("mine", testsupport::ReadFileBytes(dir + L"\\notes.txt"));
    installtest::Stop(running);
}

// A sub-folder replaced by a link after its parent was listed is not followed:
// the folder that is listed is the one that was checked.
TEST_F(DeleteFolderTest, ASubFolderSwappedForALinkIsNotFollowed)
{
    ASSERT_TRUE(MakeTree(m_root, {L"outside\\", L"outside\\keep.txt=keep", L"product\\", L"product\\a\\",
                                  L"product\\a\\one.txt", L"product\\b\\", L"product\\b\\two.txt"}));
    bool swapped = false;
    bool linked = false;
    std::wstring product = m_root + L"product\\";
    EXPECT_TRUE(CMisc::DeleteFolder(m_root + L"product", [&](const std::wstring& path) {
        if (!swapped) {
            // The first file seen is in one sub-folder; the other, listed already,
            // becomes a link to a folder outside.
            swapped = true;
            std::wstring other = product + (path.find(L"\\a\\") != std::wstring::npos ? L"b" : L"a");
            linked = MoveFileW(other.c_str(), (m_root + L"moved").c_str()) &&
                     installtest::MakeFolderLink(other, m_root + L"outside");
        }
        return false;
    }));
    ASSERT_TRUE(linked);
    EXPECT_EQ("keep", testsupport::ReadFileBytes(m_root + L"outside\\keep.txt"));
}

// A link in the place of a file is never followed either: whatever removes
// the name (the whole folder, the product's listed files, the leftovers of a
// new installation, one file) leaves the file it points to as it was, its
// read-only attribute included. Wine shows a Unix link to a file as a plain
// file, by name and by handle alike.
TEST_F(DeleteFolderTest, FileLinksAreNeverFollowed)
{
    ASSERT_TRUE(MakeTree(m_root, {L"outside\\", L"product\\", L"product\\own.txt", L"Tools\\", L"Tools\\notes.txt=mine",
                                  L"Tools\\real\\", L"left\\", L"left\\tevela.exe"}));
    ASSERT_TRUE(testsupport::WriteFileBytes(m_root + L"Tools\\Local.ini",
                                            "[FILES]\r\nCOUNT=1\r\nFILE0=u/x.dll;0;real\r\n"));
    struct Case {
        const wchar_t* link;
        std::function<void()> remove;
    } cases[] = {
        {L"product\\linked.dll", [&] { CMisc::DeleteFolder(m_root + L"product"); }},
        {L"Tools\\tevela.exe", [&] { basetool::DeleteProductFiles(m_root + L"Tools"); }},
        {L"Tools\\real\\x.dll", [&] { basetool::DeleteProductFiles(m_root + L"Tools"); }},
        {L"left\\tevela.exe.old", [&] { basetool::RemoveProductLeftovers(m_root + L"left"); }},
        {L"left\\Uninst.exe", [&] { CMisc::DeleteFileOrQueue(m_root + L"left\\Uninst.exe"); }},
    };
    const size_t count = sizeof(cases) / sizeof(cases[0]);
    std::vector<std::wstring> targets;
    for (size_t i = 0; i < count; ++i) {
        targets.push_back(m_root + L"outside\\" + std::to_wstring(i) + L".txt");
        ASSERT_TRUE(testsupport::WriteFileBytes(targets[i], "outside"));
        SetFileAttributesW(targets[i].c_str(), FILE_ATTRIBUTE_READONLY);
        ASSERT_TRUE(installtest::MakeFileLink(m_root + cases[i].link, targets[i]));
    }
    for (const Case& c : cases)
        c.remove();
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ("outside", testsupport::ReadFileBytes(targets[i])) << testsupport::Narrow(cases[i].link);
        DWORD attributes = GetFileAttributesW(targets[i].c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            << testsupport::Narrow(cases[i].link);
        SetFileAttributesW(targets[i].c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_FALSE(QueuesUnder(m_root + L"outside\\"));
    EXPECT_FALSE(testsupport::FileExists(m_root + L"product\\own.txt"));
    EXPECT_EQ("mine", testsupport::ReadFileBytes(m_root + L"Tools\\notes.txt"));
    EXPECT_TRUE(testsupport::FileExists(m_root + L"left\\tevela.exe"));
}

// A file replaced by a link after its folder was listed is not followed: the
// file that is deleted is the one opened and checked.
TEST_F(DeleteFolderTest, AFileSwappedForALinkIsNotFollowed)
{
    ASSERT_TRUE(MakeTree(m_root, {L"outside\\", L"outside\\keep.txt=keep", L"product\\", L"product\\one.txt",
                                  L"product\\two.txt"}));
    bool linked = false;
    EXPECT_TRUE(CMisc::DeleteFolder(m_root + L"product", [&](const std::wstring& path) {
        if (!linked)
            linked = DeleteFileW(path.c_str()) && installtest::MakeFileLink(path, m_root + L"outside\\keep.txt");
        return false;
    }));
    ASSERT_TRUE(linked);
    EXPECT_EQ("keep", testsupport::ReadFileBytes(m_root + L"outside\\keep.txt"));
    EXPECT_FALSE(QueuesUnder(m_root + L"outside\\"));
}

// A file that can be neither deleted nor renamed stays and is reported; its
// own name is never queued, since a new installation may own it by the next start.
TEST_F(DeleteFolderTest, AFileThatCannotBeRenamedIsNotQueued)
{
    std::wstring dir = m_root + L"product";
    ASSERT_TRUE(MakeTree(m_root, {L"product\\", L"product\\Uninst.exe.error\\"}));
    std::wstring exe = dir + L"\\Uninst.exe";
    ASSERT_TRUE(installtest::CopyStub(exe));
    HANDLE running = installtest::Start(L"\"" + exe + L"\" wait");
    ASSERT_TRUE(running != NULL);
    testsupport::PumpFor(300);
    size_t before = QueuedCount(exe);

    LogCapture log;
    EXPECT_FALSE(CMisc::DeleteFileOrQueue(exe));
    EXPECT_TRUE(testsupport::FileExists(exe));
    EXPECT_EQ(before, QueuedCount(exe));
    EXPECT_EQ(0u, QueuedCount(exe + L".error"));
    EXPECT_NE(std::string::npos, log.All().find(basetool::WideToNarrow(exe) + Cp936(L" 无法改名，文件保留")))
        << log.All();
    installtest::Stop(running);
}

// What makes a folder the product's: nothing in it, or only the product's files
// and the leftovers of its programs.
TEST_F(DeleteFolderTest, FoldersHoldingOnlyTheProductsLeftoversAreTheProducts)
{
    struct Case {
        std::vector<std::wstring> tree;
        bool only;
    } cases[] = {
        {{L"d\\"}, true},
        {{L"d\\", L"d\\Uninst.exe.error"}, true},
        {{L"d\\", L"d\\Uninst.exe.error", L"d\\tevela.exe.old", L"d\\Utils.dll.part", L"d\\YexoShow.tag",
          L"d\\Local.ini", L"d\\update.ini", L"d\\log\\", L"d\\log\\Update_1.log", L"d\\tevela.exe"},
         true},
        {{L"d\\", L"d\\Uninst.exe.error", L"d\\notes.txt"}, false},
        {{L"d\\", L"d\\log\\", L"d\\log\\mine.txt"}, false},
        {{L"d\\", L"d\\photos\\"}, false},
        {{L"d\\", L"d\\desktop.ini"}, false},   // the shell's, not the product's
    };
    for (const Case& c : cases) {
        installtest::RemoveTestTree(m_root + L"d\\");
        ASSERT_TRUE(MakeTree(m_root, c.tree));
        EXPECT_EQ(c.only, basetool::HoldsOnlyProductFiles(m_root + L"d")) << testsupport::Narrow(c.tree.back());
    }
    // A link as the folder is no folder of the product's.
    ASSERT_TRUE(installtest::MakeFolderLink(m_root + L"link", m_root + L"d"));
    EXPECT_FALSE(basetool::HoldsOnlyProductFiles(m_root + L"link"));

    // The leftovers of the product's files go; the rest stays.
    installtest::RemoveTestTree(m_root + L"d\\");
    ASSERT_TRUE(MakeTree(m_root, {L"d\\", L"d\\Uninst.exe.error", L"d\\tevela.exe.old", L"d\\tevela.exe.old.old",
                                  L"d\\Utils.dll.part", L"d\\mine.old", L"d\\tevela.exe", L"d\\Local.ini"}));
    basetool::RemoveProductLeftovers(m_root + L"d");
    EXPECT_EQ("Local.ini mine.old tevela.exe", Join(ListTree(m_root + L"d\\")));
}

// A folder another program holds open without sharing cannot be listed: the
// call says so, and nothing in it is touched.
TEST_F(DeleteFolderTest, AFolderThatCannotBeOpenedIsReportedAndKept)
{
    ASSERT_TRUE(MakeTree(m_root, {L"product\\", L"product\\own.txt=own"}));
    HANDLE held = CreateFileW((m_root + L"product").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    LogCapture log;
    EXPECT_FALSE(CMisc::DeleteFolder(m_root + L"product"));
    CloseHandle(held);
    EXPECT_EQ("own", testsupport::ReadFileBytes(m_root + L"product\\own.txt"));
    EXPECT_NE(std::string::npos, log.All().find(Cp936(L" 文件夹无法打开，未删除"))) << log.All();
}

TEST_F(DeleteFolderTest, MarkerMakesAFolderTheProducts)
{
    ASSERT_TRUE(MakeTree(m_root, {L"product\\"}));
    EXPECT_FALSE(basetool::IsProductFolderOwned(m_root + L"product"));
    EXPECT_TRUE(basetool::MarkProductFolderOwned(m_root + L"product"));
    EXPECT_TRUE(basetool::IsProductFolderOwned(m_root + L"product"));
    DWORD attributes = GetFileAttributesW((m_root + L"product\\YexoShow.tag").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN));
    // A folder of that name in its place is no marker.
    ASSERT_TRUE(MakeTree(m_root, {L"other\\", L"other\\YexoShow.tag\\"}));
    EXPECT_FALSE(basetool::IsProductFolderOwned(m_root + L"other"));
}

}  // namespace

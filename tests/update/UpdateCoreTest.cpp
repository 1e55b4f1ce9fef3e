// In-process tests of the updater's core: command line, path rules, the
// pending record, the manifest entries and the swap with its rollback.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FileOps.h"
#include "TestSupport.h"
#include "UpdateCmdLine.h"
#include "UpdateMgr.h"
#include "UpdatePaths.h"

using testsupport::FileExists;
using testsupport::MakeTempDir;
using testsupport::Narrow;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

typedef std::map<std::wstring, std::string> Tree;

void SnapshotInto(const std::wstring& root, const std::wstring& rel, Tree* out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((root + rel + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*out)[rel + name + L"\\"] = "<dir>";
            SnapshotInto(root, rel + name + L"\\", out);
        } else {
            (*out)[rel + name] = ReadFileBytes(root + rel + name);
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

// Every file and folder below dir (trailing backslash) with its bytes.
Tree Snapshot(const std::wstring& dir) {
    Tree t;
    SnapshotInto(dir, L"", &t);
    return t;
}

std::string Describe(const Tree& t) {
    std::string s;
    for (Tree::const_iterator it = t.begin(); it != t.end(); ++it)
        s += Narrow(it->first) + " (" + std::to_string(it->second.size()) + " bytes)\n";
    return s;
}

std::string Md5(const std::string& bytes) {
    return Narrow(WinUtil::MD5_Data(bytes.data(), bytes.size()).c_str());
}

GString G(const std::wstring& s) { return GString(s.c_str()); }

std::string ManifestText(const std::string& version, const std::vector<std::string>& entries) {
    std::string s = "[UPDATE]\r\nVERSION=" + version +
                    "\r\nTYPE=0\r\n[STRATEGY]\r\nPROVINCE=\r\nCITY=\r\nPERCENT=\r\nTIME=\r\nOS=\r\n"
                    "[FILES]\r\nCOUNT=" +
                    std::to_string(entries.size()) + "\r\n";
    for (size_t i = 0; i < entries.size(); ++i)
        s += "FILE" + std::to_string(i) + "=" + entries[i] + "\r\n";
    return s;
}

const char kClient[] = "no_such_client.exe";

// An installation folder in the state a second launch finds: n installed files
// f1.bin..fn.bin, their verified .new files, Local.ini, update.ini, the first
// launch's copy of it (updatefiles.ini) and the record.
struct Install {
    std::wstring root;   // trailing backslash
    std::wstring dir;    // no trailing backslash
    std::vector<std::wstring> names;
    std::map<std::wstring, std::string> oldBytes, newBytes;
    std::string localIni, updateIni;

    explicit Install(int n, const wchar_t* tag = L"upd") {
        root = MakeTempDir(tag);
        dir = root.substr(0, root.size() - 1);
        std::vector<std::string> oldEntries, newEntries;
        for (int i = 1; i <= n; ++i) {
            std::wstring name = L"f" + std::to_wstring(i) + L".bin";
            names.push_back(name);
            oldBytes[name] = "old content of file " + std::to_string(i) + std::string(i * 37, 'o');
            newBytes[name] = "NEW content " + std::to_string(i) + std::string(i * 53, 'n');
            WriteFileBytes(P(name), oldBytes[name]);
            WriteFileBytes(P(name) + L".new", newBytes[name]);
            oldEntries.push_back("127.0.0.1:1/1.0.1.1/" + Narrow(name) + ";" + Md5(oldBytes[name]) + ";\\");
            newEntries.push_back("127.0.0.1:1/1.0.1.2/" + Narrow(name) + ";" + Md5(newBytes[name]) + ";\\");
        }
        localIni = ManifestText("1.0.1.1", oldEntries);
        updateIni = ManifestText("1.0.1.2", newEntries);
        WriteFileBytes(P(L"Local.ini"), localIni);
        WriteFileBytes(P(L"update.ini"), updateIni);
        WriteFileBytes(P(L"updatefiles.ini"), updateIni);
        CUpdateMgr mgr(G(dir), NULL);
        mgr.SetReplaceList(List());
        EXPECT_TRUE(mgr.EncodeUpdateFiles());
    }
    ~Install() {
        if (!::testing::Test::HasFailure()) testsupport::RemoveTree(root);
    }
    std::wstring P(const std::wstring& name) const { return dir + L"\\" + name; }
    std::vector<GString> List() const {
        std::vector<GString> l;
        for (size_t i = 0; i < names.size(); ++i) l.push_back(G(P(names[i])));
        return l;
    }
    // The folder as it was before the update, less the manifest, .new files and record.
    Tree Original() const {
        Tree t;
        for (size_t i = 0; i < names.size(); ++i) t[names[i]] = oldBytes.at(names[i]);
        t[L"Local.ini"] = localIni;
        return t;
    }
    // The folder after a completed update.
    Tree Updated() const {
        Tree t;
        for (size_t i = 0; i < names.size(); ++i) t[names[i]] = newBytes.at(names[i]);
        t[L"Local.ini"] = updateIni;
        return t;
    }
};

class FaultOps;
bool SecondLaunchWith(const Install& in, update::IUpdateFileOps* ops);
bool SecondLaunch(const Install& in, FaultOps* ops);
struct Crash {};

// Real file operations with failures and a cut-off on demand.
class FaultOps : public update::IUpdateFileOps {
public:
    // op is "delete", "move", "replace", "reboot", "link", "copy" or "write"; true = this call fails.
    std::function<bool(const std::string& op, const std::wstring& from, const std::wstring& to)> fail;
    int crashAfter;   // throw Crash right after this many successful changing calls (0 = never)
    int done;
    std::vector<std::pair<std::wstring, std::wstring> > rebootMoves;

    FaultOps() : crashAfter(0), done(0), m_real(update::RealFileOps()), m_err(0) {}

    bool Exists(const std::wstring& p) override { return m_real->Exists(p); }
    bool Delete(const std::wstring& p) override {
        if (Fails("delete", p, L"")) return false;
        return Count(m_real->Delete(p));
    }
    bool Move(const std::wstring& a, const std::wstring& b) override {
        if (Fails("move", a, b)) return false;
        return Count(m_real->Move(a, b));
    }
    bool MoveReplace(const std::wstring& a, const std::wstring& b) override {
        if (Fails("replace", a, b)) return false;
        return Count(m_real->MoveReplace(a, b));
    }
    // Recorded only: an in-process test never schedules real restart moves.
    bool MoveAtReboot(const std::wstring& a, const std::wstring& b) override {
        if (Fails("reboot", a, b)) return false;
        rebootMoves.push_back(std::make_pair(a, b));
        return Count(true);
    }
    bool Link(const std::wstring& a, const std::wstring& b) override {
        if (Fails("link", a, b)) return false;
        return Count(m_real->Link(a, b));
    }
    bool Copy(const std::wstring& a, const std::wstring& b) override {
        if (Fails("copy", a, b)) return false;
        return Count(m_real->Copy(a, b));
    }
    bool CanReplace(const std::wstring& p) override { return m_real->CanReplace(p); }
    bool Write(HANDLE file, const void* data, DWORD size) override {
        if (Fails("write", L"", L"")) return false;
        return Count(m_real->Write(file, data, size));
    }
    DWORD LastError() override { return m_err ? m_err : m_real->LastError(); }

private:
    bool Fails(const std::string& op, const std::wstring& a, const std::wstring& b) {
        if (fail && fail(op, a, b)) {
            m_err = ERROR_ACCESS_DENIED;
            return true;
        }
        m_err = 0;
        return false;
    }
    bool Count(bool ok) {
        if (ok && crashAfter > 0 && ++done >= crashAfter) throw Crash();
        return ok;
    }
    update::IUpdateFileOps* m_real;
    DWORD m_err;
};

// Runs a second launch's swap as Run does it: decode, then replace. Always
// through FaultOps, so that no test schedules a real move at the next restart.
bool SecondLaunchWith(const Install& in, update::IUpdateFileOps* ops) {
    CUpdateMgr mgr(G(in.dir), ops);
    mgr.SetExeName(GString(kClient));
    if (!mgr.DecodeUpdateFiles()) return false;
    return mgr.ReplaceFiles();
}

bool SecondLaunch(const Install& in, FaultOps* ops) {
    FaultOps plain;
    return SecondLaunchWith(in, ops ? ops : &plain);
}

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// ---------------------------------------------------------------------------

TEST(UpdateCmdLine, Table) {
    struct Case {
        const wchar_t* line;
        const wchar_t* text;
        const wchar_t* exe;
        int type;
    } cases[] = {
        {L"", L"tevela.exe 0", L"tevela.exe", 0},
        {L"tevela.exe 0", L"tevela.exe 0", L"tevela.exe", 0},
        {L"tevela.exe", L"tevela.exe", L"tevela.exe", 0},
        {L"a b c", L"a b c", L"tevela.exe", 0},
        {L"foo.exe 1", L"foo.exe 1", L"foo.exe", 1},
        {L"  other.exe    0 ", L"  other.exe    0 ", L"other.exe", 0},
        {L"   ", L"   ", L"tevela.exe", 0},
        {L"tevela.exe abc", L"tevela.exe abc", L"tevela.exe", -1},
        {L"tevela.exe -2", L"tevela.exe -2", L"tevela.exe", -2},
        {L"tevela.exe 7x", L"tevela.exe 7x", L"tevela.exe", 7},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        update::UpdateCmdLine r = update::ParseUpdateCmdLine(cases[i].line);
        SCOPED_TRACE(Narrow(cases[i].line));
        EXPECT_EQ(std::wstring(cases[i].text), r.text.c_str());
        EXPECT_EQ(std::wstring(cases[i].exe), r.exeName.c_str());
        EXPECT_EQ(cases[i].type, r.type);
    }
    EXPECT_EQ(0, update::ParseUpdateCmdLine(NULL).type);
}

TEST(UpdatePaths, InsideTheInstallationFolder) {
    const std::wstring folder = L"C:\\Yexo";
    std::wstring long259 = L"C:\\Yexo\\" + std::wstring(259 - 8, L'a');
    struct Case {
        std::wstring path;
        bool inside;
    } cases[] = {
        {L"C:\\Yexo\\tevela.exe", true},
        {L"c:\\yexo\\SUB\\x.dll", true},
        {L"C:\\Yexo\\sub\\..\\a.dll", true},
        {L"C:\\Yexo/sub/a.dll", true},
        {long259, true},
        {long259 + L"b", false},
        {L"C:\\Yexo", false},
        {L"C:\\Yexo\\", false},
        {L"C:\\Yexo\\.", false},
        {L"C:\\YexoEvil\\a.dll", false},
        {L"C:\\Yexo\\..\\Windows\\a.dll", false},
        {L"C:\\Yexo\\sub\\..\\..\\a.dll", false},
        {L"C:\\Yexo\\a.dll:stream", false},
        {L"C:\\Yexo\\C:\\a.dll", false},
        {L"D:\\Yexo\\a.dll", false},
        {L"\\\\?\\C:\\Yexo\\a.dll", false},
        {L"", false},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(Narrow(cases[i].path));
        EXPECT_EQ(cases[i].inside, update::IsPathInside(folder, cases[i].path));
    }
}

TEST(UpdatePaths, NamesAndCommandLinePaths) {
    EXPECT_TRUE(update::IsPlainFileName(L"tevela.exe"));
    EXPECT_TRUE(update::IsPlainFileName(L"a.b.c"));
    const wchar_t* badNames[] = {L"", L"x\\..\\..\\evil.exe", L"a\\b", L"a/b", L"C:", L"a:stream", L"..", L"a..b"};
    for (size_t i = 0; i < sizeof(badNames) / sizeof(badNames[0]); ++i)
        EXPECT_FALSE(update::IsPlainFileName(badNames[i])) << Narrow(badNames[i]);

    std::wstring out;
    EXPECT_TRUE(update::ResolveInside(L"C:\\Yexo", L"reg.dll", true, &out));
    EXPECT_EQ(L"C:\\Yexo\\reg.dll", out);
    EXPECT_TRUE(update::ResolveInside(L"C:\\Yexo", L"sub/reg.dll", true, &out));
    EXPECT_EQ(L"C:\\Yexo\\sub\\reg.dll", out);
    // Into "cmd /c ... \"<path>\"": a quote would end the quoting, % expands variables.
    EXPECT_FALSE(update::ResolveInside(L"C:\\Yexo", L"a\" & calc & \".dll", true, &out));
    EXPECT_FALSE(update::ResolveInside(L"C:\\Yexo", L"%COMSPEC%.dll", true, &out));
    EXPECT_FALSE(update::ResolveInside(L"C:\\100%\\Yexo", L"reg.dll", true, &out));
    EXPECT_TRUE(update::ResolveInside(L"C:\\Yexo", L"%x%.exe", false, &out));
    EXPECT_FALSE(update::ResolveInside(L"C:\\Yexo", L"..\\x.exe", false, &out));
    EXPECT_FALSE(update::ResolveInside(L"C:\\Yexo", L"C:\\Windows\\x.exe", false, &out));
    EXPECT_FALSE(update::ResolveInside(L"C:\\Yexo", L"", false, &out));
}

// ---------------------------------------------------------------------------
// Manifest entries (first launch). Entries whose digest matches the installed
// file need no download, so these run without a server.

TEST(UpdateManifest, EntryFieldsAndJoining) {
    std::wstring root = MakeTempDir(L"updman");
    std::wstring dir = root.substr(0, root.size() - 1);
    std::string a = "content a", s = "content of suba";
    WriteFileBytes(root + L"a.txt", a);
    WriteFileBytes(root + L"suba.txt", s);
    std::vector<std::string> entries;
    entries.push_back("a.txt;" + Md5(a) + ";\\");                          // url without '/'
    entries.push_back("h/v/a.txt;;" + Md5(a) + ";\\");                     // empty piece skipped
    entries.push_back("h/v/a.txt;" + Md5(a) + ";\\;extra");                // first three pieces
    entries.push_back("h/v/a.txt;" + Md5(s) + ";\\sub");                   // "\sub" + "a.txt" = suba.txt
    std::string manifest = ManifestText("1.0.1.2", entries);
    WriteFileBytes(root + L"update.ini", manifest);
    CUpdateMgr mgr(G(dir), NULL);
    ASSERT_TRUE(mgr.DownloadFiles());
    EXPECT_TRUE(mgr.ReplaceList().empty());
    EXPECT_TRUE(mgr.AddedList().empty());
    EXPECT_EQ(manifest, ReadFileBytes(root + L"update.ini"));
    EXPECT_FALSE(mgr.EncodeUpdateFiles());
    EXPECT_FALSE(FileExists(root + L"updatefiles.dat"));
}

TEST(UpdateManifest, MalformedAndEscapingEntriesRollBack) {
    std::string a = "content a";
    std::string md = Md5("x");
    std::string longFolder = "\\" + std::string(240, 'd') + "\\";
    struct Case {
        std::string entry;
        const wchar_t* outside;   // a folder that must not appear beside the installation folder
    } cases[] = {
        {"h/v/evil.txt;" + md, NULL},
        {"h/v/evil.txt;" + md + ";\\..\\evil_out1\\", L"evil_out1"},
        {"h/v/evil.txt;" + md + ";\\sub\\..\\..\\evil_out2\\", L"evil_out2"},
        {"h/v/x\\..\\..\\evil_out3\\evil.txt;" + md + ";\\", L"evil_out3"},
        {"h/v/evil.txt;" + md + ";evil_out4\\", L"instevil_out4"},
        {"h/v/evil.txt;" + md + ";C:\\evil_out5\\", NULL},
        {"h/v/evil.txt:stream;" + md + ";\\", NULL},
        {"h/v/evil.txt;" + md + ";" + longFolder + longFolder, NULL},
        {"h/v/a.txt;" + md + ";\\", NULL},   // a.txt listed twice with two digests
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].entry);
        std::wstring parent = MakeTempDir(L"updbad");
        std::wstring root = parent + L"inst\\";
        ASSERT_TRUE(CreateDirectoryW(root.c_str(), NULL));
        std::wstring dir = root.substr(0, root.size() - 1);
        WriteFileBytes(root + L"a.txt", a);
        WriteFileBytes(root + L"Local.ini", "[UPDATE]\r\nVERSION=1.0.1.1\r\n");
        Tree before = Snapshot(root);
        std::vector<std::string> entries;
        entries.push_back("h/v/a.txt;" + Md5(a) + ";\\");
        entries.push_back(cases[i].entry);
        WriteFileBytes(root + L"update.ini", ManifestText("1.0.1.2", entries));

        CUpdateMgr mgr(G(dir), NULL);
        EXPECT_FALSE(mgr.DownloadFiles());
        EXPECT_TRUE(Snapshot(root) == before) << Describe(Snapshot(root));
        Tree beside = Snapshot(parent);
        EXPECT_EQ(before.size() + 1, beside.size()) << Describe(beside);
        if (cases[i].outside) {
            EXPECT_FALSE(FileExists(parent + cases[i].outside));
        }
        EXPECT_FALSE(FileExists(L"C:\\evil_out5"));
    }
}

TEST(UpdateManifest, NoManifestOrNoFilesKeepsEverything) {
    std::wstring root = MakeTempDir(L"updnone");
    std::wstring dir = root.substr(0, root.size() - 1);
    CUpdateMgr mgr(G(dir), NULL);
    EXPECT_FALSE(mgr.DownloadFiles());
    std::string manifest = ManifestText("1.0.1.2", std::vector<std::string>());
    WriteFileBytes(root + L"update.ini", manifest);
    EXPECT_FALSE(mgr.DownloadFiles());
    EXPECT_EQ(manifest, ReadFileBytes(root + L"update.ini"));
}

// A first launch over a manifest whose files are all in place already (as
// after an update of only new files, or a rerun of one cut off after its
// downloads): the manifest becomes Local.ini at once, what earlier killed
// downloads left is removed, and a count past the entries present is damage.
TEST(UpdateManifest, FirstLaunchThatFindsEveryFileInPlace) {
    struct Case {
        const char* what;
        bool countPastEntries;
    } cases[] = {{"a whole manifest", false}, {"a count past the entries present", true}};
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].what);
        std::wstring root = MakeTempDir(L"updinplace");
        std::wstring dir = root.substr(0, root.size() - 1);
        std::string a = "content a", b = "content b";
        WriteFileBytes(root + L"a.txt", a);
        ASSERT_TRUE(CreateDirectoryW((root + L"sub").c_str(), NULL));
        WriteFileBytes(root + L"sub\\b.txt", b);
        // What downloads cut off left, named in another case than the manifest
        // names the files and their folder.
        WriteFileBytes(root + L"A.TXT.part", "half a download");
        WriteFileBytes(root + L"sub\\b.txt.NEW.Part", "half another");
        std::string local = ManifestText("1.0.1.1", std::vector<std::string>());
        WriteFileBytes(root + L"Local.ini", local);
        std::vector<std::string> entries;
        entries.push_back("h/v/a.txt;" + Md5(a) + ";\\");
        entries.push_back("h/v/b.txt;" + Md5(b) + ";\\SUB\\");
        std::string manifest = ManifestText("1.0.1.2", entries);
        if (cases[i].countPastEntries) manifest.replace(manifest.find("COUNT=2"), 7, "COUNT=2147483647");
        WriteFileBytes(root + L"update.ini", manifest);

        CUpdateMgr mgr(G(dir), NULL);
        mgr.Run();
        Tree expect;
        expect[L"a.txt"] = a;
        expect[L"sub\\"] = "<dir>";
        expect[L"sub\\b.txt"] = b;
        expect[L"Local.ini"] = cases[i].countPastEntries ? local : manifest;
        Tree after = Snapshot(root);
        EXPECT_TRUE(after == expect) << Describe(after);
    }
}

// ---------------------------------------------------------------------------
// The pending record.

std::string Utf16(const std::wstring& w) {
    return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2);
}

TEST(UpdateRecord, GoldenBytesAndRoundTrip) {
    std::wstring root = MakeTempDir(L"updrec");
    std::wstring dir = root.substr(0, root.size() - 1);
    std::vector<GString> list;
    list.push_back(G(dir + L"\\a.dll"));
    list.push_back(G(dir + L"\\sub\\b.exe"));
    std::wstring p259 = dir + L"\\" + std::wstring(259 - dir.size() - 1, L'z');
    ASSERT_EQ(259u, p259.size());
    list.push_back(G(p259));

    CUpdateMgr mgr(G(dir), NULL);
    mgr.SetReplaceList(list);
    ASSERT_TRUE(mgr.EncodeUpdateFiles());
    std::string bytes = ReadFileBytes(root + L"updatefiles.dat");
    ASSERT_EQ(1564u, bytes.size());
    EXPECT_EQ(std::string("\x1C\x06\x00\x00", 4), bytes.substr(0, 4));
    for (size_t k = 0; k < list.size(); ++k) {
        std::string expect = Utf16(list[k].c_str());
        expect.resize(520, '\0');
        EXPECT_EQ(expect, bytes.substr(4 + 520 * k, 520)) << k;
    }
    EXPECT_EQ(std::string(2, '\0'), bytes.substr(4 + 520 * 2 + 518, 2));

    CUpdateMgr reader(G(dir), NULL);
    ASSERT_TRUE(reader.DecodeUpdateFiles());
    ASSERT_EQ(list.size(), reader.ReplaceList().size());
    for (size_t k = 0; k < list.size(); ++k) EXPECT_TRUE(list[k] == reader.ReplaceList()[k]) << k;
    // Kept until the swap has ended.
    EXPECT_TRUE(FileExists(root + L"updatefiles.dat"));
}

TEST(UpdateRecord, NothingWrittenForAnEmptyListOrAnOverlongPath) {
    std::wstring root = MakeTempDir(L"updrec2");
    std::wstring dir = root.substr(0, root.size() - 1);
    CUpdateMgr mgr(G(dir), NULL);
    EXPECT_FALSE(mgr.EncodeUpdateFiles());
    EXPECT_FALSE(FileExists(root + L"updatefiles.dat"));
    std::vector<GString> list;
    list.push_back(G(dir + L"\\a.dll"));
    list.push_back(G(dir + L"\\" + std::wstring(260 - dir.size() - 1, L'z')));
    mgr.SetReplaceList(list);
    EXPECT_FALSE(mgr.EncodeUpdateFiles());
    EXPECT_FALSE(FileExists(root + L"updatefiles.dat"));
}

TEST(UpdateRecord, WriterCutOffAtAnyStepLeavesNoRecordOrAWholeOne) {
    std::wstring root = MakeTempDir(L"updreccut");
    std::wstring dir = root.substr(0, root.size() - 1);
    std::vector<GString> list;
    for (int i = 0; i < 3; ++i) list.push_back(G(dir + L"\\f" + std::to_wstring(i) + L".bin"));
    // Step k ends the writer: the size field, each record, and what makes the record appear.
    for (int k = 1;; ++k) {
        SCOPED_TRACE("cut off after step " + std::to_string(k));
        FaultOps ops;
        ops.crashAfter = k;
        bool crashed = false;
        {
            CUpdateMgr mgr(G(dir), &ops);
            mgr.SetReplaceList(list);
            try {
                EXPECT_TRUE(mgr.EncodeUpdateFiles());
            } catch (const Crash&) {
                crashed = true;
            }
        }
        if (FileExists(root + L"updatefiles.dat")) {
            CUpdateMgr reader(G(dir), NULL);
            ASSERT_TRUE(reader.DecodeUpdateFiles()) << "a damaged record is left";
            ASSERT_EQ(list.size(), reader.ReplaceList().size());
            for (size_t i = 0; i < list.size(); ++i) EXPECT_TRUE(list[i] == reader.ReplaceList()[i]);
        } else {
            EXPECT_TRUE(crashed) << "the writer ended without its record";
        }
        // What a cut-off writer leaves besides is gone once the next writer is done.
        {
            CUpdateMgr mgr(G(dir), NULL);
            mgr.SetReplaceList(list);
            ASSERT_TRUE(mgr.EncodeUpdateFiles());
        }
        Tree after = Snapshot(root);
        EXPECT_EQ(1u, after.size()) << Describe(after);
        EXPECT_EQ(4u + 520u * 3u, after[L"updatefiles.dat"].size());
        DeleteFileW((root + L"updatefiles.dat").c_str());
        if (!crashed) break;
        ASSERT_LT(k, 20);
    }
    testsupport::RemoveTree(root);
}

std::string Field(unsigned v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = (char)((v >> (8 * i)) & 0xFF);
    return s;
}

std::string RecordOf(const std::wstring& path) {
    std::string r = Utf16(path);
    r.resize(520, '\0');
    return r;
}

TEST(UpdateRecord, DamagedRecordsAreDroppedWithTheManifest) {
    struct Case {
        const char* what;
        std::string (*bytes)(const std::wstring& dir);   // the record for a folder
    } cases[] = {
        {"size field one short", [](const std::wstring& d) {
             return Field(4 + 520) + RecordOf(d + L"\\a.dll") + std::string(1, 'x'); }},
        {"shorter than the size field", [](const std::wstring&) {
             return std::string("\x0C\x02\x00", 3); }},
        {"no record at all", [](const std::wstring&) { return Field(4); }},
        {"part of a record", [](const std::wstring& d) {
             return Field(4 + 520 + 10) + RecordOf(d + L"\\a.dll") + std::string(10, '\0'); }},
        {"record without NUL", [](const std::wstring&) {
             return Field(4 + 520) + std::string(520, 'A'); }},
        {"empty record", [](const std::wstring&) {
             return Field(4 + 520) + std::string(520, '\0'); }},
        {"path outside the folder", [](const std::wstring&) {
             return Field(4 + 520) + RecordOf(L"C:\\windows\\system32\\a.dll"); }},
        {"path listed twice", [](const std::wstring& d) {
             return Field(4 + 1040) + RecordOf(d + L"\\a.dll") + RecordOf(d + L"\\a.dll"); }},
        {"traversal", [](const std::wstring& d) {
             return Field(4 + 520) + RecordOf(d + L"\\..\\a.dll"); }},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].what);
        std::wstring root = MakeTempDir(L"updbadrec");
        std::wstring dir = root.substr(0, root.size() - 1);
        std::string bytes = cases[i].bytes(dir);
        WriteFileBytes(root + L"a.dll", "installed");
        WriteFileBytes(root + L"a.dll.new", "downloaded");
        WriteFileBytes(root + L"Local.ini", "local");
        WriteFileBytes(root + L"update.ini", "manifest");
        WriteFileBytes(root + L"updatefiles.dat", bytes);

        CUpdateMgr mgr(G(dir), NULL);
        EXPECT_FALSE(mgr.DecodeUpdateFiles());
        EXPECT_TRUE(mgr.ReplaceList().empty());
        Tree after = Snapshot(root);
        Tree expect;
        expect[L"a.dll"] = "installed";
        expect[L"a.dll.new"] = "downloaded";
        expect[L"Local.ini"] = "local";
        EXPECT_TRUE(after == expect) << Describe(after);
    }
}

// ---------------------------------------------------------------------------
// The swap.

TEST(UpdateSwap, CompletesAndLeavesOnlyTheNewVersion) {
    Install in(5);
    ASSERT_TRUE(SecondLaunch(in, NULL));
    Tree after = Snapshot(in.root);
    EXPECT_TRUE(after == in.Updated()) << Describe(after);
}

TEST(UpdateSwap, LockedThirdOfFiveRestoresTheFirstTwo) {
    Install in(5);
    HANDLE lock = CreateFileW(in.P(L"f3.bin").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_FALSE(SecondLaunch(in, NULL));
    CloseHandle(lock);
    Tree after = Snapshot(in.root);
    EXPECT_TRUE(after == in.Original()) << Describe(after);
}

TEST(UpdateSwap, FailedRestartSchedulingRollsBackTheEntryToo) {
    Install in(5);
    FaultOps ops;
    ops.fail = [](const std::string& op, const std::wstring& from, const std::wstring&) {
        return (op == "replace" || op == "reboot") && EndsWith(from, L"f3.bin.new");
    };
    EXPECT_FALSE(SecondLaunch(in, &ops));
    Tree after = Snapshot(in.root);
    EXPECT_TRUE(after == in.Original()) << Describe(after);
}

TEST(UpdateSwap, RollbackThatCannotRestoreKeepsTheNewFile) {
    Install in(5);
    FaultOps ops;
    ops.fail = [](const std::string& op, const std::wstring& from, const std::wstring& to) {
        // No backup of f3 can be made, and f1's backup cannot take its name back.
        if ((op == "link" || op == "copy") && EndsWith(from, L"f3.bin") && EndsWith(to, L"f3.bin.old")) return true;
        return op == "replace" && EndsWith(from, L"f1.bin.old");
    };
    EXPECT_FALSE(SecondLaunch(in, &ops));
    Tree after = Snapshot(in.root);
    Tree expect = in.Original();
    expect[L"f1.bin"] = in.newBytes[L"f1.bin"];
    expect[L"f1.bin.old"] = in.oldBytes[L"f1.bin"];
    EXPECT_TRUE(after == expect) << Describe(after);
}

TEST(UpdateSwap, ManifestMoveFailureKeepsLocalIni) {
    Install in(3);
    FaultOps ops;
    ops.fail = [](const std::string& op, const std::wstring&, const std::wstring& to) {
        return op == "replace" && EndsWith(to, L"Local.ini");
    };
    EXPECT_TRUE(SecondLaunch(in, &ops));
    Tree after = Snapshot(in.root);
    Tree expect = in.Updated();
    expect[L"Local.ini"] = in.localIni;
    expect[L"update.ini"] = in.updateIni;
    EXPECT_TRUE(after == expect) << Describe(after);
}

TEST(UpdateSwap, PreflightRefusesBeforeAnythingMoves) {
    struct Case {
        const char* what;
        std::function<void(Install&)> spoil;
    } cases[] = {
        {"a .new vanished", [](Install& in) { DeleteFileW(in.P(L"f4.bin.new").c_str()); }},
        {"a .new damaged", [](Install& in) { WriteFileBytes(in.P(L"f2.bin.new"), "garbage"); }},
        {"no manifest", [](Install& in) { DeleteFileW(in.P(L"updatefiles.ini").c_str()); }},
        {"a count past the entries present", [](Install& in) {
             std::string m = in.updateIni;
             m.replace(m.find("COUNT=5"), 7, "COUNT=2147483647");
             WriteFileBytes(in.P(L"updatefiles.ini"), m);
         }},
        {"an entry that does not parse", [](Install& in) {
             std::string m = in.updateIni;
             m.replace(m.find("FILE2="), 6, "FILE2=x;");
             WriteFileBytes(in.P(L"updatefiles.ini"), m);
         }},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].what);
        Install in(5);
        cases[i].spoil(in);
        FaultOps ops;
        EXPECT_FALSE(SecondLaunch(in, &ops));
        EXPECT_TRUE(ops.rebootMoves.empty());
        Tree after = Snapshot(in.root);
        EXPECT_TRUE(after == in.Original()) << Describe(after);
    }
}

TEST(UpdateSwap, BackupLeftAloneByAnEarlierRunIsPutBackNotDeleted) {
    Install in(3);
    // An earlier swap was cut off after "f2 -> f2.old".
    ASSERT_TRUE(MoveFileW(in.P(L"f2.bin").c_str(), in.P(L"f2.bin.old").c_str()));
    // And an unrelated stale backup beside an installed file.
    WriteFileBytes(in.P(L"f3.bin.old"), "stale backup");
    ASSERT_TRUE(SecondLaunch(in, NULL));
    Tree after = Snapshot(in.root);
    EXPECT_TRUE(after == in.Updated()) << Describe(after);
}

TEST(UpdateSwap, BackupLeftAloneIsPutBackOnFailureToo) {
    Install in(3);
    ASSERT_TRUE(MoveFileW(in.P(L"f2.bin").c_str(), in.P(L"f2.bin.old").c_str()));
    DeleteFileW(in.P(L"f2.bin.new").c_str());
    EXPECT_FALSE(SecondLaunch(in, NULL));
    Tree after = Snapshot(in.root);
    EXPECT_TRUE(after == in.Original()) << Describe(after);
}

TEST(UpdateSwap, DelayedEntryKeepsTheOldFileUntilTheRestart) {
    Install in(3);
    FaultOps ops;
    ops.fail = [](const std::string& op, const std::wstring& from, const std::wstring&) {
        return op == "replace" && EndsWith(from, L"f2.bin.new");
    };
    EXPECT_TRUE(SecondLaunch(in, &ops));
    ASSERT_EQ(1u, ops.rebootMoves.size());
    EXPECT_EQ(in.P(L"f2.bin.new"), ops.rebootMoves[0].first);
    EXPECT_EQ(in.P(L"f2.bin"), ops.rebootMoves[0].second);
    Tree after = Snapshot(in.root);
    Tree expect = in.Updated();
    expect[L"f2.bin"] = in.oldBytes[L"f2.bin"];
    expect[L"f2.bin.new"] = in.newBytes[L"f2.bin"];
    EXPECT_TRUE(after == expect) << Describe(after);
}

// A run cut off after the manifest became Local.ini, with one file left to
// the next restart: the rerun finds that .new waiting and finishes, and no
// file in place is taken away.
TEST(UpdateSwap, RerunAfterTheCommitWithAMoveLeftToTheRestart) {
    Install in(3);
    FaultOps ops;
    ops.fail = [](const std::string& op, const std::wstring& from, const std::wstring&) {
        return op == "replace" && EndsWith(from, L"f2.bin.new");
    };
    ASSERT_TRUE(SecondLaunch(in, &ops));
    // As if the run had been cut off before the record went.
    {
        CUpdateMgr mgr(G(in.dir), NULL);
        mgr.SetReplaceList(in.List());
        ASSERT_TRUE(mgr.EncodeUpdateFiles());
    }
    FaultOps again;
    again.fail = ops.fail;
    EXPECT_TRUE(SecondLaunch(in, &again));
    Tree after = Snapshot(in.root);
    Tree expect = in.Updated();
    expect[L"f2.bin"] = in.oldBytes[L"f2.bin"];
    expect[L"f2.bin.new"] = in.newBytes[L"f2.bin"];
    EXPECT_TRUE(after == expect) << Describe(after);
}

TEST(UpdateSwap, StaleBackupThatCannotBeDeletedIsMovedAside) {
    Install in(3);
    WriteFileBytes(in.P(L"f2.bin.old"), "stale backup");
    FaultOps ops;
    ops.fail = [](const std::string& op, const std::wstring& from, const std::wstring&) {
        return op == "delete" && EndsWith(from, L"f2.bin.old");
    };
    ASSERT_TRUE(SecondLaunch(in, &ops));
    Tree after = Snapshot(in.root);
    Tree expect = in.Updated();
    expect[L"f2.bin.old.old"] = "stale backup";
    // The same refusal hits the clean-up of the fresh backup: it stays.
    expect[L"f2.bin.old"] = in.oldBytes[L"f2.bin"];
    EXPECT_TRUE(after == expect) << Describe(after);
}

TEST(UpdateSwap, StaleBackupHeldOpenStopsTheSwapBeforeItsEntry) {
    Install in(3);
    WriteFileBytes(in.P(L"f2.bin.old"), "stale backup");
    HANDLE lock = CreateFileW(in.P(L"f2.bin.old").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_FALSE(SecondLaunch(in, NULL));
    CloseHandle(lock);
    Tree after = Snapshot(in.root);
    Tree expect = in.Original();
    expect[L"f2.bin.old"] = "stale backup";
    EXPECT_TRUE(after == expect) << Describe(after);
}

TEST(UpdateSwap, EntryWithoutAnInstalledFile) {
    for (int failLater = 0; failLater < 2; ++failLater) {
        SCOPED_TRACE(failLater ? "a later entry fails" : "all entries succeed");
        Install in(4);
        DeleteFileW(in.P(L"f2.bin").c_str());
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (failLater) lock = CreateFileW(in.P(L"f4.bin").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(!failLater, SecondLaunch(in, NULL));
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        Tree after = Snapshot(in.root);
        Tree expect = failLater ? in.Original() : in.Updated();
        if (failLater) expect.erase(L"f2.bin");
        EXPECT_TRUE(after == expect) << Describe(after);
    }
}

// The second launch works from the manifest the first launch kept beside the
// record; what a later client start fetched into update.ini meanwhile (another
// version, a damaged file, or nothing) changes nothing.
TEST(UpdateSwap, TheManifestTheRecordWasMadeFromDecidesNotALaterUpdateIni) {
    struct Case {
        const char* what;
        const char* updateIni;   // NULL = deleted
    } cases[] = {
        {"another version", "[UPDATE]\r\nVERSION=1.0.1.3\r\n[FILES]\r\nCOUNT=1\r\n"
                            "FILE0=h/1.0.1.3/f1.bin;0123456789abcdef0123456789abcdef;\\\r\n"},
        {"a count of 2147483647", "[UPDATE]\r\nVERSION=9.9\r\n[FILES]\r\nCOUNT=2147483647\r\nFILE0=x\r\n"},
        {"no update.ini", NULL},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].what);
        Install in(3);
        if (cases[i].updateIni) {
            WriteFileBytes(in.P(L"update.ini"), cases[i].updateIni);
        } else {
            DeleteFileW(in.P(L"update.ini").c_str());
        }
        EXPECT_TRUE(SecondLaunch(in, NULL));
        Tree after = Snapshot(in.root);
        EXPECT_TRUE(after == in.Updated()) << Describe(after);
    }
}

// Sizes past 2^31 bytes (the 32-bit build): an installed file of 2.5 GiB is
// backed up, replaced and restored, and a record file of that size is damage.
bool MakeSparse(const std::wstring& path, long long size) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER at;
    at.QuadPart = size;
    bool ok = SetFilePointerEx(h, at, NULL, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    return ((long long)d.nFileSizeHigh << 32) | d.nFileSizeLow;
}

TEST(UpdateSwap, FilesPast2GiB) {
    const long long big = 5LL << 29;   // 2.5 GiB
    for (int fail = 0; fail < 2; ++fail) {
        SCOPED_TRACE(fail ? "rolled back" : "completed");
        Install in(3);
        ASSERT_TRUE(MakeSparse(in.P(L"f2.bin"), big));
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (fail) lock = CreateFileW(in.P(L"f3.bin").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(!fail, SecondLaunch(in, NULL));
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        EXPECT_EQ(fail ? big : (long long)in.newBytes[L"f2.bin"].size(), FileSize(in.P(L"f2.bin")));
        EXPECT_FALSE(FileExists(in.P(L"f2.bin.old")));
        EXPECT_EQ(fail ? in.oldBytes[L"f1.bin"] : in.newBytes[L"f1.bin"], ReadFileBytes(in.P(L"f1.bin")));
        EXPECT_FALSE(FileExists(in.P(L"updatefiles.dat")));
    }
    Install in(1);
    std::wstring record = in.P(L"updatefiles.dat");
    ASSERT_TRUE(MakeSparse(record, (1LL << 31) + 4 + 520));
    HANDLE h = CreateFileW(record.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    unsigned char field[4] = {0x0C, 0x02, 0x00, 0x80};   // 2^31 + 524 as the unsigned size field
    DWORD written = 0;
    WriteFile(h, field, 4, &written, NULL);
    CloseHandle(h);
    CUpdateMgr mgr(G(in.dir), NULL);
    EXPECT_FALSE(mgr.DecodeUpdateFiles());
    EXPECT_FALSE(FileExists(record));
    EXPECT_EQ(in.oldBytes[L"f1.bin"], ReadFileBytes(in.P(L"f1.bin")));
}

// Cut the swap off after each single step in turn; nothing may be lost, and
// running the second launch again must end in the updated folder.
TEST(UpdateSwap, CutOffAtEveryStepConvergesOnRerun) {
    int steps = 0;
    {
        Install in(4, L"updcount");
        FaultOps counter;
        counter.crashAfter = 1000000;
        ASSERT_TRUE(SecondLaunch(in, &counter));
        steps = counter.done;
    }
    ASSERT_GT(steps, 8);
    for (int k = 1; k <= steps; ++k) {
        SCOPED_TRACE("cut off after step " + std::to_string(k));
        Install in(4, L"updcut");
        FaultOps ops;
        ops.crashAfter = k;
        bool crashed = false;
        try {
            SecondLaunch(in, &ops);
        } catch (const Crash&) {
            crashed = true;
        }
        ASSERT_TRUE(crashed);
        Tree mid = Snapshot(in.root);
        // Every name holds its old or its new bytes at every instant: a
        // program or DLL cut off between two renames would be unstartable.
        for (size_t i = 0; i < in.names.size(); ++i) {
            const std::wstring& n = in.names[i];
            bool placed = mid.count(n) && (mid[n] == in.oldBytes[n] || mid[n] == in.newBytes[n]);
            EXPECT_TRUE(placed) << Narrow(n) << "\n" << Describe(mid);
        }
        EXPECT_TRUE(mid[L"Local.ini"] == in.localIni || mid[L"Local.ini"] == in.updateIni);

        if (FileExists(in.root + L"updatefiles.dat")) {
            EXPECT_TRUE(SecondLaunch(in, NULL));
        }
        Tree after = Snapshot(in.root);
        EXPECT_TRUE(after == in.Updated()) << Describe(after);
    }
}

}  // namespace

#include "UpdateMgr.h"

#include <shellapi.h>

#include <unordered_map>

#include "ClientText.h"
#include "FileOps.h"
#include "Manifest.h"
#include "OutsideCopy.h"
#include "UpdatePaths.h"

using update::BackslashPath;
using update::IsPathInside;
using update::kMaxPathUnits;
using update::ResolveInside;
using update::PathKey;
using update::SamePath;

namespace {

const wchar_t kRecordName[] = L"updatefiles.dat";
// The manifest the record was made from, kept by the first launch beside it.
const wchar_t kManifestCopyName[] = L"updatefiles.ini";
// The record is written under this name beside it and moved over it when whole.
const wchar_t kRecordTempSuffix[] = L".tmp";
const wchar_t kUpflagName[] = L"upflag.ini";
const int kRecordUnits = 260;
const int kRecordBytes = kRecordUnits * 2;
// upflag.ini lists a handful of entries; a count beyond this is damage.
const int kMaxUpflagEntries = 1024;
// The record's size field is read back as a signed 32-bit number.
const size_t kMaxRecords = (0x7FFFFFFF - 4) / (260 * 2);
// A replacement refused because something holds the file for a moment (a
// client the user starts while the swap runs) is tried this often.
const int kReplaceAttempts = 5;
const DWORD kReplacePauseMs = 100;

// The two Chinese texts of the replacement's log lines, in GBK like every narrow log text.
const char kDelayedText[] = " \xd6\xd8\xc6\xf4\xba\xf3\xa3\xac\xd7\xd4\xb6\xaf\xcc\xe6\xbb\xbb\xb3\xc9";
const char kDelayFailedText[] =
    " \xc9\xe8\xd6\xc3\xd6\xd8\xc6\xf4\xd7\xd4\xb6\xaf\xcc\xe6\xbb\xbb\xb1\xea\xbc\xc7\xca\xa7"
    "\xb0\xdc\xa3\xac"
    "error_code = ";

std::wstring W(const GString& g) { return std::wstring(g.c_str()); }
GString G(const std::wstring& s) { return GString(s.c_str()); }

// Keeps an open handle and its path; closes a valid handle when it goes out of scope.
class CFileHandle {
public:
    CFileHandle(HANDLE h, const std::wstring& path) : m_h(h), m_path(path) {}
    ~CFileHandle() { Close(); }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    const std::wstring& Path() const { return m_path; }
    void Close() {
        if (Valid()) {
            CloseHandle(m_h);
            m_h = INVALID_HANDLE_VALUE;
        }
    }

private:
    CFileHandle(const CFileHandle&);
    CFileHandle& operator=(const CFileHandle&);
    HANDLE m_h;
    std::wstring m_path;
};

bool ReadAll(HANDLE h, void* data, DWORD size) {
    DWORD got = 0;
    return ReadFile(h, data, size, &got, NULL) && got == size;
}

// One FILE%d entry of a manifest, through the shared entry parser (which
// refuses names and folders that leave the installation folder), checked once
// more against the folder before anything is fetched or moved for it.
bool ParseEntry(const GString& value, const GString& modulePath, ManifestFileEntry* e) {
    if (ParseFileEntry(value, modulePath, *e) != ENTRY_OK) return false;
    return IsPathInside(W(modulePath), W(e->finalPath));
}

GString FileName(const std::wstring& path) {
    size_t pos = path.rfind(L'\\');
    return G(pos == std::wstring::npos ? path : path.substr(pos + 1));
}

}  // namespace

CUpdateMgr::CUpdateMgr() : m_type(0), m_ops(update::RealFileOps()), m_finishing(false) {
    m_modulePath = WinUtil::GetModulePath();
    m_iniPath = m_modulePath + GString(L"\\update.ini");
    m_manifestPath = ManifestCopyPath();
    LOG_INFO << "update begin!";
}

CUpdateMgr::CUpdateMgr(const GString& modulePath, update::IUpdateFileOps* ops)
    : m_type(0), m_ops(ops ? ops : update::RealFileOps()), m_finishing(false) {
    m_modulePath = modulePath;
    m_iniPath = m_modulePath + GString(L"\\update.ini");
    m_manifestPath = ManifestCopyPath();
    LOG_INFO << "update begin!";
}

CUpdateMgr::~CUpdateMgr() { LOG_INFO << "update end!"; }

GString CUpdateMgr::RecordPath() const { return m_modulePath + GString(L"\\") + GString(kRecordName); }

GString CUpdateMgr::ManifestCopyPath() const {
    return m_modulePath + GString(L"\\") + GString(kManifestCopyName);
}

void CUpdateMgr::Run() {
    // A first launch cut off while writing the record left only this part.
    std::wstring staleTemp = W(RecordPath()) + kRecordTempSuffix;
    if (m_ops->Exists(staleTemp)) m_ops->Delete(staleTemp);
    if (WinUtil::IsPathFileExists(RecordPath())) {
        // Second launch. The record stays until the swap has ended, so that a
        // launch cut off half way is simply run again at the next start.
        if (SamePath(W(WinUtil::GetModulePath()), W(m_modulePath))) {
            // Started from the installation folder: nothing there may be in
            // use while its files are replaced, so a copy outside carries on.
            GString cmdLine;
            cmdLine.Format(L"%s %d", m_exeName.c_str(), m_type);
            if (update::StartOutsideCopy(W(m_modulePath), W(cmdLine), m_ops)) {
                LOG_INFO << "Run, the swap goes on from a copy outside " << m_modulePath;
                return;
            }
            LOG_INFO << "Run, no copy outside the installation folder could start; error_code = "
                     << (unsigned long)GetLastError();
            RestartClient();
            return;
        }
        if (!DecodeUpdateFiles()) {
            DeleteRecord();
            RestartClient();
            return;
        }
        if (!ReplaceFiles()) RestartClient();
        return;
    }
    if (!DownloadFiles()) return;
    if (m_replaceFiles.empty()) {
        // Every file of the manifest is in place (added ones included): the
        // update is complete without a second launch.
        CommitManifest();
        return;
    }
    if (!EncodeUpdateFiles()) RollBack(-1);
}

bool CUpdateMgr::DownloadFiles() {
    LOG_INFO << "DownloadFiles begin!";
    if (!WinUtil::IsPathFileExists(m_iniPath)) return false;
    m_addedFiles.clear();
    m_replaceFiles.clear();
    m_states.clear();
    // From here on this launch, and the second one, read only their own copy:
    // a client start may overwrite update.ini at any moment.
    if (!m_ops->Copy(W(m_iniPath), W(m_manifestPath))) {
        LOG_INFO << "DownloadFiles, " << m_iniPath << " could not be copied, error_code = "
                 << (unsigned long)m_ops->LastError();
        return false;
    }
    CIniParse ini(m_manifestPath);
    int n = ini.GetInt(GString(L"FILES"), GString(L"COUNT"), 0);
    LOG_INFO << "DownloadFiles Files'count: " << n;
    if (n <= 0) {
        m_ops->Delete(W(m_manifestPath));
        return false;
    }

    std::vector<ManifestFileEntry> seen;
    std::unordered_map<std::wstring, size_t> seenAt;   // PathKey -> index in seen
    // Each folder is listed once: an entry's own names are asked about before
    // this launch creates any of them, and a name the listing lacks is probed.
    update::CFolderNames names;
    bool ok = true;
    std::wstring failedTarget;
    for (int i = 0; i < n && ok; ++i) {
        GString key;
        key.Format(L"FILE%d", i);
        GString value;
        ini.GetString(GString(L"FILES"), key, value);
        ManifestFileEntry e;
        if (!ParseEntry(value, m_modulePath, &e)) {
            LOG_INFO << "DownloadFiles, malformed entry " << key << ": " << value;
            ok = false;
            break;
        }
        // A file listed twice is fetched once; two different digests for one file is damage.
        const std::wstring pathKey = PathKey(W(e.finalPath));
        std::unordered_map<std::wstring, size_t>::const_iterator at = seenAt.find(pathKey);
        if (at != seenAt.end() && SamePath(W(seen[at->second].finalPath), W(e.finalPath))) {
            if (seen[at->second].md5 != e.md5) {
                LOG_INFO << "DownloadFiles, " << e.finalPath << " listed twice with different digests";
                ok = false;
            }
            continue;
        }
        seenAt[pathKey] = seen.size();
        seen.push_back(e);
        RemoveStaleParts(e.finalPath, &names);

        if (e.name == GString(kUpflagName)) {
            GString target = e.finalPath + GString(L".new");
            LOG_INFO << "DownloadFiles, " << e.url << "to local " << target;
            DownloadFile(target, e.url);
            if (!CheckFileUnDamaged(target, e.md5)) {
                failedTarget = W(target);
                ok = false;
                break;
            }
            m_replaceFiles.push_back(e.finalPath);
        } else if (!names.Listed(W(e.finalPath)) && !WinUtil::IsPathFileExists(e.finalPath)) {
            LOG_INFO << "DownloadFiles, " << e.url << "to local " << e.finalPath;
            DownloadFile(e.finalPath, e.url);
            if (!CheckFileUnDamaged(e.finalPath, e.md5)) {
                failedTarget = W(e.finalPath);
                ok = false;
                break;
            }
            m_addedFiles.push_back(e.finalPath);
        } else if (WinUtil::MD5_File(e.finalPath) != e.md5) {
            GString target = e.finalPath + GString(L".new");
            LOG_INFO << "DownloadFiles, " << e.url << "to local " << target;
            DownloadFile(target, e.url);
            if (!CheckFileUnDamaged(target, e.md5)) {
                failedTarget = W(target);
                ok = false;
                break;
            }
            m_replaceFiles.push_back(e.finalPath);
        }
    }
    if (!ok) {
        LOG_INFO << "DownloadFiles failed!";
        // The failing entry is in neither list yet; what it fetched goes too.
        if (!failedTarget.empty() && m_ops->Exists(failedTarget)) {
            m_ops->Delete(failedTarget);
            LOG_INFO << "DeleteFile file: " << G(failedTarget);
        }
        RollBack(-1);
        return false;
    }
    LOG_INFO << "DownloadFiles end!";
    return true;
}

void CUpdateMgr::RemoveStaleParts(const GString& finalPath, update::CFolderNames* names) {
    // What a download cut off by a kill or a power cut left behind.
    const wchar_t* suffixes[2] = {L".part", L".new.part"};
    for (int k = 0; k < 2; ++k) {
        std::wstring part = W(finalPath) + suffixes[k];
        if (names->Listed(part) && m_ops->Delete(part)) {
            LOG_INFO << "DeleteFile file: " << G(part);
        }
    }
}

void CUpdateMgr::DownloadFile(const GString& localPath, const GString& url) {
    std::wstring local = BackslashPath(W(localPath));
    size_t pos = local.rfind(L'\\');
    if (pos == std::wstring::npos) return;
    if (!WinUtil::CreateDir(G(local.substr(0, pos)))) return;
    for (int attempt = 0; attempt < 3; ++attempt) {
        CHttpClient http;
        if (http.Download(url, localPath, GString()) == 0) return;
        if (WinUtil::Download(url, localPath)) return;
    }
}

bool CUpdateMgr::CheckFileUnDamaged(const GString& path, const GString& md5) {
    if (WinUtil::MD5_File(path) == md5) {
        LOG_INFO << "CheckFileUnDamaged: " << path << " file is ok!";
        return true;
    }
    LOG_INFO << "CheckFileUnDamaged: " << path << " file is damaged!";
    return false;
}

bool CUpdateMgr::EncodeUpdateFiles() {
    LOG_INFO << "EncodeUpdateFiles begin!";
    if (m_replaceFiles.empty()) return false;
    if (m_replaceFiles.size() > kMaxRecords) {
        LOG_INFO << "EncodeUpdateFiles, too many files: " << (unsigned long)m_replaceFiles.size();
        return false;
    }
    // A record holds 259 units and the NUL; a longer path is never cut short.
    for (size_t i = 0; i < m_replaceFiles.size(); ++i) {
        if (W(m_replaceFiles[i]).size() > kMaxPathUnits) {
            LOG_INFO << "EncodeUpdateFiles, path too long: " << m_replaceFiles[i];
            return false;
        }
    }
    // Written beside its name and moved over it in one step: a launch cut off
    // while writing leaves no record (the next start simply checks again),
    // never a damaged one.
    std::wstring path = W(RecordPath());
    std::wstring temp = path + kRecordTempSuffix;
    CFileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, NULL),
                     temp);
    if (!file.Valid()) return false;

    unsigned total = 4u + (unsigned)kRecordBytes * (unsigned)m_replaceFiles.size();
    unsigned char size[4] = {(unsigned char)(total & 0xFF), (unsigned char)((total >> 8) & 0xFF),
                             (unsigned char)((total >> 16) & 0xFF),
                             (unsigned char)((total >> 24) & 0xFF)};
    bool ok = m_ops->Write(file.Get(), size, 4);
    for (size_t i = 0; ok && i < m_replaceFiles.size(); ++i) {
        wchar_t record[kRecordUnits];
        ZeroMemory(record, sizeof(record));
        std::wstring p = W(m_replaceFiles[i]);
        p.copy(record, p.size());
        ok = m_ops->Write(file.Get(), record, kRecordBytes);
        if (ok) {
            LOG_INFO << "EncodeUpdateFiles, write file: " << m_replaceFiles[i];
        }
    }
    if (ok) ok = FlushFileBuffers(file.Get()) != 0;
    file.Close();
    if (!ok) {
        LOG_INFO << "EncodeUpdateFiles, write failed: " << G(temp);
        DeleteFileW(temp.c_str());
        return false;
    }
    if (!m_ops->MoveReplace(temp, path)) {
        LOG_INFO << "EncodeUpdateFiles, " << G(temp) << " could not become " << G(path)
                 << " error_code = " << (unsigned long)m_ops->LastError();
        DeleteFileW(temp.c_str());
        return false;
    }
    LOG_INFO << "EncodeUpdateFiles end!";
    return true;
}

bool CUpdateMgr::DecodeUpdateFiles() {
    LOG_INFO << "DecodeUpdateFiles begin!";
    GString gpath = RecordPath();
    std::wstring path = W(gpath);
    if (!WinUtil::IsPathFileExists(gpath)) {
        LOG_INFO << "DecodeUpdateFiles, " << gpath << "is not exist!";
        return false;
    }
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL),
                     path);
    if (!file.Valid()) {
        LOG_INFO << "DecodeUpdateFiles, " << gpath << "open failed!";
        DeleteFileW(path.c_str());
        m_replaceFiles.clear();
        RollBack(-1);
        return false;
    }

    // Damage: a size field that differs from the length, no record at all, a
    // part record, a record without its NUL, a path outside the installation
    // folder, or a path listed twice.
    std::vector<GString> list;
    std::unordered_map<std::wstring, size_t> listed;   // PathKey -> index in list
    bool damaged = false;
    unsigned char size[4];
    LARGE_INTEGER length;
    if (!ReadAll(file.Get(), size, 4) || !GetFileSizeEx(file.Get(), &length)) {
        damaged = true;
    } else {
        int field = (int)((unsigned)size[0] | ((unsigned)size[1] << 8) | ((unsigned)size[2] << 16) |
                          ((unsigned)size[3] << 24));
        long long len = length.QuadPart;
        if ((long long)field != len || len < 4 + kRecordBytes || (len - 4) % kRecordBytes != 0) {
            damaged = true;
        } else {
            long long n = (len - 4) / kRecordBytes;
            for (long long k = 0; k < n && !damaged; ++k) {
                wchar_t record[kRecordUnits];
                if (!ReadAll(file.Get(), record, kRecordBytes)) {
                    damaged = true;
                    break;
                }
                int units = 0;
                while (units < kRecordUnits && record[units] != 0) ++units;
                if (units == kRecordUnits || units == 0) {
                    damaged = true;
                    break;
                }
                std::wstring p(record, units);
                if (!IsPathInside(W(m_modulePath), p)) {
                    damaged = true;
                    break;
                }
                if (!listed.insert(std::make_pair(PathKey(p), list.size())).second) {
                    damaged = true;
                    break;
                }
                list.push_back(G(p));
                LOG_INFO << "DecodeUpdateFiles, read file: " << G(p);
            }
        }
    }
    file.Close();
    if (damaged) {
        LOG_INFO << "DecodeUpdateFiles, " << gpath << " damaged!";
        DeleteFileW(path.c_str());
        m_replaceFiles.clear();
        RollBack(-1);
        return false;
    }
    m_replaceFiles = list;
    return true;
}

bool CUpdateMgr::Preflight() {
    std::wstring module = W(m_modulePath);
    for (size_t i = 0; i < m_replaceFiles.size(); ++i) {
        if (!IsPathInside(module, W(m_replaceFiles[i]))) {
            LOG_INFO << "ReplaceFiles, outside the installation folder: " << m_replaceFiles[i];
            return false;
        }
    }
    // A swap of an earlier updater cut off between "X -> X.old" and
    // "X.new -> X" left the installed file only as X.old: put it back first.
    for (size_t i = 0; i < m_replaceFiles.size(); ++i) {
        std::wstring x = W(m_replaceFiles[i]);
        if (!m_ops->Exists(x) && m_ops->Exists(x + L".old")) {
            if (m_ops->Move(x + L".old", x)) {
                LOG_INFO << "ReplaceFiles, restored file: " << m_replaceFiles[i];
            }
        }
    }
    // Every entry must be ready before the first file moves: its .new present
    // and matching the manifest the record was made from, or already in place
    // from a run that was cut off.
    GString manifest = m_manifestPath;
    m_finishing = false;
    if (!WinUtil::IsPathFileExists(m_manifestPath)) {
        // Only a run cut off after that manifest became Local.ini (and before
        // the record went) gets here with the files in place: all of them must
        // then match Local.ini, and nothing is left to move.
        LOG_INFO << "ReplaceFiles, " << m_manifestPath << " is missing!";
        manifest = m_modulePath + GString(L"\\Local.ini");
        if (!WinUtil::IsPathFileExists(manifest)) return false;
        m_finishing = true;
    }
    CIniParse ini(manifest);
    int count = ini.GetInt(GString(L"FILES"), GString(L"COUNT"), 0);
    std::vector<ManifestFileEntry> entries;
    std::unordered_map<std::wstring, size_t> entryAt;   // PathKey -> the first entry of that path
    // A count beyond the entries present, or an entry that does not parse,
    // is a damaged manifest: the first entry missing ends the reading.
    for (int k = 0; k < count; ++k) {
        GString key;
        key.Format(L"FILE%d", k);
        GString value;
        ManifestFileEntry e;
        if (!ini.GetString(GString(L"FILES"), key, value) || !ParseEntry(value, m_modulePath, &e)) {
            LOG_INFO << "ReplaceFiles, " << manifest << " damaged at " << key << " of " << count;
            return false;
        }
        entryAt.insert(std::make_pair(PathKey(W(e.finalPath)), entries.size()));
        entries.push_back(e);
    }
    for (size_t i = 0; i < m_replaceFiles.size(); ++i) {
        std::wstring x = W(m_replaceFiles[i]);
        const ManifestFileEntry* entry = NULL;
        std::unordered_map<std::wstring, size_t>::const_iterator at = entryAt.find(PathKey(x));
        if (at != entryAt.end()) entry = &entries[at->second];
        if (!entry) {
            LOG_INFO << "ReplaceFiles, not in the manifest: " << m_replaceFiles[i];
            return false;
        }
        std::wstring xnew = x + L".new";
        if (m_finishing && m_ops->Exists(xnew)) {
            // Only a move left to the next restart keeps its .new past the commit.
            if (WinUtil::MD5_File(G(xnew)) != entry->md5) {
                LOG_INFO << "ReplaceFiles, " << G(xnew) << " has no manifest!";
                return false;
            }
            m_states[i].state = kFoundDone;
            m_states[i].hadOld = false;
            continue;
        }
        if (m_ops->Exists(xnew)) {
            if (WinUtil::MD5_File(G(xnew)) != entry->md5) {
                LOG_INFO << "ReplaceFiles, " << G(xnew) << " does not match the manifest!";
                return false;
            }
        } else if (m_ops->Exists(x) && WinUtil::MD5_File(G(x)) == entry->md5) {
            m_states[i].state = kFoundDone;
            m_states[i].hadOld = m_ops->Exists(x + L".old");
            LOG_INFO << "ReplaceFiles, already replaced: " << m_replaceFiles[i];
        } else {
            LOG_INFO << "ReplaceFiles, " << G(xnew) << " is missing!";
            return false;
        }
    }
    return true;
}

bool CUpdateMgr::ReplaceWithRetry(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 1;; ++attempt) {
        if (m_ops->MoveReplace(from, to)) return true;
        DWORD err = m_ops->LastError();
        if (attempt >= kReplaceAttempts || (err != ERROR_SHARING_VIOLATION && err != ERROR_ACCESS_DENIED &&
                                            err != ERROR_LOCK_VIOLATION))
            return false;
        Sleep(kReplacePauseMs);
    }
}

// One entry: a backup of X as X.old (a second name of the same file, or a
// copy where the volume has no hard links), then X.new moved onto X in one
// step. X holds its old or its new bytes at every instant.
bool CUpdateMgr::SwapEntry(size_t i, int* last) {
    GString gx = m_replaceFiles[i];
    std::wstring x = W(gx), xold = x + L".old", xnew = x + L".new";
    EntryState& st = m_states[i];
    if (st.state == kFoundDone) {
        LOG_INFO << "ReplaceFiles, Rename file: " << gx;
        *last = (int)i;
        return true;
    }

    // A stale backup of an earlier update.
    if (m_ops->Exists(xold) && !m_ops->Delete(xold)) {
        if (!m_ops->Move(xold, xold + L".old")) {
            LOG_INFO << "CUpdateMgr::ReplaceFiles"
                     << " move file failed,old file path = " << G(xold)
                     << " new file path = " << G(xold + L".old")
                     << " error_code = " << (unsigned long)m_ops->LastError();
            *last = (int)i - 1;
            return false;
        }
    }

    st.hadOld = false;
    if (m_ops->Exists(x)) {
        // Held open by some process without delete sharing: it cannot be replaced.
        if (!m_ops->CanReplace(x)) {
            LOG_INFO << "ReplaceFiles, " << gx << " is in use, error_code = " << (unsigned long)m_ops->LastError();
            *last = (int)i - 1;
            return false;
        }
        if (!m_ops->Link(x, xold) && !m_ops->Copy(x, xold)) {
            LOG_INFO << "ReplaceFiles, no backup of " << gx << ", error_code = " << (unsigned long)m_ops->LastError();
            *last = (int)i - 1;
            return false;
        }
        st.hadOld = true;
    }
    st.state = kSwapped;

    if (!ReplaceWithRetry(xnew, x)) {
        if (!m_ops->MoveAtReboot(xnew, x)) {
            LOG_INFO << "CUpdateMgr::ReplaceFiles"
                     << " " << G(xnew) << kDelayFailedText << (unsigned long)m_ops->LastError();
            *last = (int)i;
            return false;
        }
        LOG_INFO << "CUpdateMgr::ReplaceFiles"
                 << " " << G(xnew) << kDelayedText << gx;
        // Until the restart the old file keeps serving.
        st.state = kDelayed;
    }
    LOG_INFO << "ReplaceFiles, Rename file: " << gx;
    *last = (int)i;
    return true;
}

void CUpdateMgr::ReadUpflag(const std::wstring& path, std::vector<GString>* regs,
                            std::vector<GString>* runs) {
    const wchar_t* sections[2] = {L"Register", L"RunExe"};
    std::vector<GString>* lists[2] = {regs, runs};
    for (int s = 0; s < 2; ++s) {
        int count = (int)GetPrivateProfileIntW(sections[s], L"COUNT", 0, path.c_str());
        for (int k = 0; k < count && k < kMaxUpflagEntries; ++k) {
            wchar_t key[32];
            wsprintfW(key, L"FILE%d", k);
            wchar_t value[260];
            ZeroMemory(value, sizeof(value));
            GetPrivateProfileStringW(sections[s], key, L"", value, 260, path.c_str());
            lists[s]->push_back(GString(value));
        }
    }
}

// The manifest the update was made from becomes Local.ini in one step: Local.ini
// is the old manifest or the new one, never missing. update.ini, whatever the
// client last fetched, goes with it.
bool CUpdateMgr::CommitManifest() {
    std::wstring local = W(m_modulePath) + L"\\Local.ini";
    if (!m_ops->MoveReplace(W(m_manifestPath), local)) {
        LOG_INFO << "ReplaceFiles, " << m_manifestPath << " could not replace " << G(local)
                 << " error_code = " << (unsigned long)m_ops->LastError();
        if (m_ops->Exists(W(m_manifestPath))) m_ops->Delete(W(m_manifestPath));
        return false;
    }
    if (m_ops->Exists(W(m_iniPath))) m_ops->Delete(W(m_iniPath));
    return true;
}

void CUpdateMgr::DeleteRecord() {
    std::wstring record = W(RecordPath());
    if (m_ops->Exists(record)) m_ops->Delete(record);
}

void CUpdateMgr::RestartClient() {
    std::wstring path;
    if (!update::IsPlainFileName(W(m_exeName)) ||
        !ResolveInside(W(m_modulePath), W(m_exeName), false, &path) || !m_ops->Exists(path)) {
        LOG_INFO << "RestartClient, no client to start: " << m_exeName;
        return;
    }
    update::DropCrashCount();
    int started = WinUtil::RunProcess2(G(path), GString(L"updatefail"));
    LOG_INFO << "RestartClient: " << G(path) << " updatefail"
             << (started ? " run success!" : " run failed!");
}

bool CUpdateMgr::ReplaceFiles() {
    LOG_INFO << "ReplaceFiles begin!";
    WinUtil::KillProcess(m_exeName);
    LOG_INFO << "ReplaceFiles, KillProcess: " << m_exeName;
    size_t n = m_replaceFiles.size();
    LOG_INFO << "ReplaceFiles, UpdateFiles' count:" << (int)n;
    for (size_t i = 0; i < n; ++i) m_replaceFiles[i] = G(BackslashPath(W(m_replaceFiles[i])));
    EntryState untouched = {kUntouched, false};
    m_states.assign(n, untouched);

    std::vector<GString> regs, runs;
    int last = -1;
    bool ok = Preflight();
    for (size_t i = 0; ok && i < n; ++i) {
        ok = SwapEntry(i, &last);
        if (ok && m_states[i].state != kDelayed && FileName(W(m_replaceFiles[i])) == GString(kUpflagName))
            ReadUpflag(W(m_replaceFiles[i]), &regs, &runs);
    }
    if (!ok) {
        LOG_INFO << "ReplaceFiles failed!";
        RollBack(last);
        DeleteRecord();
        return false;
    }

    // Every file is swapped: from here on the update only goes forward.
    if (!m_finishing) {
        CommitManifest();
    } else if (m_ops->Exists(W(m_iniPath))) {
        m_ops->Delete(W(m_iniPath));   // the rest of a commit that was cut off
    }
    for (size_t i = 0; i < n; ++i) {
        std::wstring xold = W(m_replaceFiles[i]) + L".old";
        if (m_ops->Exists(xold)) m_ops->Delete(xold);
        LOG_INFO << "ReplaceFiles, Delete file: " << G(xold);
    }
    if (!regs.empty()) RegisterDll(regs);
    LOG_INFO << "ReplaceFiles end!";
    // The swap has ended: the record goes before any program starts, so a
    // client started now does not hand over to the updater again.
    DeleteRecord();
    if (!runs.empty()) RunExes(runs);
    return true;
}

void CUpdateMgr::RollBack(int last) {
    LOG_INFO << "RollBack begin!";
    for (int i = 0; i <= last && i < (int)m_replaceFiles.size(); ++i) {
        GString gx = m_replaceFiles[i];
        std::wstring x = W(gx), xold = x + L".old", xnew = x + L".new";
        EntryState st = {kSwapped, true};
        if (i < (int)m_states.size()) st = m_states[i];
        bool hasOld = m_ops->Exists(xold);
        if (st.state == kDelayed) {
            // X never changed; its backup is the same old file.
            if (hasOld) m_ops->Delete(xold);
        } else if (st.state != kUntouched) {
            if (hasOld) {
                // One step back: X holds the new bytes until the old ones take its name.
                if (!m_ops->MoveReplace(xold, x)) {
                    LOG_INFO << "RollBack, " << G(xold) << " could not be restored, keeping the new file";
                } else if (m_ops->Exists(xold)) {
                    // Both names were links of one file (X never changed): a
                    // rename between them changes nothing on some systems.
                    m_ops->Delete(xold);
                }
            } else if (st.state == kSwapped && !st.hadOld) {
                // X did not exist before: the new file goes back to X.new and is deleted below.
                if (m_ops->Exists(x)) m_ops->Move(x, xnew);
            }
            // Swapped by a run that was cut off and without a backup now: the file in place stays.
        }
        LOG_INFO << "RollBack file: " << gx;
    }
    for (size_t i = 0; i < m_addedFiles.size(); ++i) {
        m_ops->Delete(W(m_addedFiles[i]));
        LOG_INFO << "DeleteFile file: " << m_addedFiles[i];
    }
    for (size_t i = 0; i < m_replaceFiles.size(); ++i) {
        std::wstring xnew = W(m_replaceFiles[i]) + L".new";
        if (m_ops->Exists(xnew)) m_ops->Delete(xnew);
        LOG_INFO << "DeleteFile file: " << G(xnew);
    }
    m_replaceFiles.clear();
    m_addedFiles.clear();
    m_states.clear();
    if (m_ops->Exists(W(m_iniPath))) m_ops->Delete(W(m_iniPath));
    if (m_ops->Exists(W(m_manifestPath))) m_ops->Delete(W(m_manifestPath));
    LOG_INFO << "RollBack end!";
}

bool CUpdateMgr::RegisterDll(const std::vector<GString>& files) {
    update::DropCrashCount();
    wchar_t windir[260];
    ZeroMemory(windir, sizeof(windir));
    GetWindowsDirectoryW(windir, 260);
    for (size_t i = 0; i < files.size(); ++i) {
        std::wstring path;
        if (!ResolveInside(W(m_modulePath), W(files[i]), true, &path)) {
            LOG_INFO << "RegisterDll, refused: " << files[i];
            continue;
        }
        std::wstring params =
            std::wstring(L" /c ") + windir + L"\\system32\\regsvr32.exe /s \"" + path + L"\"";
        ShellExecuteW(NULL, L"open", L"cmd.exe", params.c_str(), NULL, SW_HIDE);
        LOG_INFO << "RegisterDll: " << G(path);
    }
    return true;
}

bool CUpdateMgr::RunExes(const std::vector<GString>& files) {
    update::DropCrashCount();
    for (size_t i = 0; i < files.size(); ++i) {
        std::wstring path;
        if (!ResolveInside(W(m_modulePath), W(files[i]), false, &path) ||
            path.find(L'"') != std::wstring::npos) {
            LOG_INFO << "RunExes, refused: " << files[i];
            continue;
        }
        if (WinUtil::RunProcess2(G(path), GString())) {
            LOG_INFO << "RunExes: " << G(path) << " run success!";
        } else {
            LOG_INFO << "RunExes: " << G(path) << " run failed!";
        }
    }
    return true;
}

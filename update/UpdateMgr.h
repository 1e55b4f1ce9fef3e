// The updater's update manager: what one launch knows about the update, and
// the launch's step (download and verify, or swap, register and restart).
//
// The first launch works from its own copy of the manifest, updatefiles.ini,
// written before the pending record and read by the second launch in place of
// update.ini, which the client may overwrite at any of its starts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ClientLog.h"
#include "FolderNames.h"
#include "Utils.h"

namespace update {
class IUpdateFileOps;
}

class CUpdateMgr {
public:
    // Works on the folder of the running program.
    CUpdateMgr();
    // Works on the given installation folder (no trailing backslash) with the
    // given file operations (NULL = the real ones).
    CUpdateMgr(const GString& modulePath, update::IUpdateFileOps* ops);
    ~CUpdateMgr();

    void SetType(int type) {
        m_type = type;
        LOG_INFO << "update type:" << type;
    }
    void SetExeName(const GString& name) { m_exeName = name; }

    // One launch's step: with a pending record the swap, otherwise the downloads.
    void Run();

    bool DownloadFiles();
    bool CheckFileUnDamaged(const GString& path, const GString& md5);

    bool EncodeUpdateFiles();
    bool DecodeUpdateFiles();

    bool ReplaceFiles();
    void RollBack(int last);
    bool RegisterDll(const std::vector<GString>& files);
    bool RunExes(const std::vector<GString>& files);

    const std::vector<GString>& ReplaceList() const { return m_replaceFiles; }
    const std::vector<GString>& AddedList() const { return m_addedFiles; }
    void SetReplaceList(const std::vector<GString>& files) { m_replaceFiles = files; }
    GString RecordPath() const;
    // The first launch's copy of the manifest, bound to the pending record.
    GString ManifestCopyPath() const;

private:
    // How the swap left one entry, so that a rollback restores exactly what it moved.
    enum SwapState {
        kUntouched,    // not reached
        kSwapped,      // X.new moved onto X in this run (hadOld: X.old was made a backup of X first)
        kDelayed,      // X.new left to the next restart; X is still the old file
        kFoundDone     // already swapped by an earlier run that was cut off
    };
    struct EntryState {
        SwapState state;
        bool hadOld;
    };

    bool Preflight();
    bool SwapEntry(size_t i, int* last);
    void ReadUpflag(const std::wstring& path, std::vector<GString>* regs,
                    std::vector<GString>* runs);
    bool CommitManifest();
    bool ReplaceWithRetry(const std::wstring& from, const std::wstring& to);
    void RemoveStaleParts(const GString& finalPath, update::CFolderNames* names);
    void DeleteRecord();
    void RestartClient();
    void DownloadFile(const GString& localPath, const GString& url);

    int m_type;
    GString m_exeName;
    GString m_iniPath;
    GString m_modulePath;
    GString m_manifestPath;   // updatefiles.ini
    std::vector<GString> m_replaceFiles;
    std::vector<GString> m_addedFiles;

    update::IUpdateFileOps* m_ops;
    std::vector<EntryState> m_states;
    bool m_finishing;   // the swap had ended in an earlier run; only the clean-up is left
};

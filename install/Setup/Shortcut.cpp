// Creating shell links through IShellLinkW and IPersistFile.
#include "Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

bool CreateShortcut(const std::wstring& icon, const std::wstring& target, const std::wstring& folder,
                    const std::wstring& name, const std::wstring& description, const std::wstring& arguments)
{
    if (target.empty() || folder.empty() || name.empty())
        return false;
    if (!PathFileExistsW(target.c_str()) && !PathIsURLW(target.c_str()))
        return false;
    wchar_t file[MAX_PATH];
    memset(file, 0, sizeof(file));
    if (folder.size() >= MAX_PATH || !PathAppendW(file, folder.c_str()) || !PathAppendW(file, name.c_str()))
        return false;
    PathRemoveExtensionW(file);
    if (!PathAddExtensionW(file, L".lnk"))
        return false;
    SHCreateDirectoryExW(NULL, folder.c_str(), NULL);

    IShellLinkW* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* persist = NULL;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        link->SetPath(target.c_str());
        if (!arguments.empty())
            link->SetArguments(arguments.c_str());
        if (!description.empty())
            link->SetDescription(description.c_str());
        if (!icon.empty())
            link->SetIconLocation(icon.c_str(), 0);
        link->SetShowCmd(SW_SHOWNORMAL);
        saved = SUCCEEDED(persist->Save(file, TRUE));
        persist->Release();
    }
    link->Release();
    return saved;
}

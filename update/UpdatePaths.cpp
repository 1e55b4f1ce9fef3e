#include "UpdatePaths.h"

#include <vector>

namespace update {

namespace {

std::wstring FullPath(const std::wstring& p) {
    if (p.empty()) return std::wstring();
    std::vector<wchar_t> buf(MAX_PATH * 2);
    for (int round = 0; round < 2; ++round) {
        DWORD n = GetFullPathNameW(p.c_str(), (DWORD)buf.size(), &buf[0], NULL);
        if (n == 0) return std::wstring();
        if (n < buf.size()) return std::wstring(&buf[0], n);
        buf.resize(n + 1);
    }
    return std::wstring();
}

bool EqualNoCase(const wchar_t* a, int na, const wchar_t* b, int nb) {
    return CompareStringOrdinal(a, na, b, nb, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring BackslashPath(const std::wstring& p) {
    std::wstring r(p);
    for (size_t i = 0; i < r.size(); ++i)
        if (r[i] == L'/') r[i] = L'\\';
    return r;
}

bool IsPathInside(const std::wstring& folder, const std::wstring& path) {
    if (folder.empty() || path.empty() || path.size() > kMaxPathUnits) return false;
    std::wstring base = FullPath(folder);
    std::wstring full = FullPath(path);
    if (base.empty() || full.empty() || full.size() > kMaxPathUnits) return false;
    while (!base.empty() && base[base.size() - 1] == L'\\') base.erase(base.size() - 1);
    if (base.empty()) return false;
    base += L'\\';
    if (full.size() <= base.size()) return false;
    if (!EqualNoCase(full.c_str(), (int)base.size(), base.c_str(), (int)base.size()))
        return false;
    std::wstring rest = full.substr(base.size());
    if (rest.find(L':') != std::wstring::npos) return false;
    // Something below the folder, not the folder itself written as "x\.".
    while (!rest.empty() && rest[rest.size() - 1] == L'\\') rest.erase(rest.size() - 1);
    return !rest.empty();
}

bool IsPlainFileName(const std::wstring& name) {
    if (name.empty()) return false;
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return false;
    if (name.find(L"..") != std::wstring::npos) return false;
    return true;
}

bool ResolveInside(const std::wstring& folder, const std::wstring& rel, bool forCommandLine,
                   std::wstring* out) {
    if (rel.empty()) return false;
    if (forCommandLine && rel.find_first_of(L"\"%") != std::wstring::npos) return false;
    std::wstring path = folder + L"\\" + BackslashPath(rel);
    if (forCommandLine && path.find_first_of(L"\"%") != std::wstring::npos) return false;
    if (!IsPathInside(folder, path)) return false;
    if (out) *out = path;
    return true;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    std::wstring x = BackslashPath(a), y = BackslashPath(b);
    return EqualNoCase(x.c_str(), (int)x.size(), y.c_str(), (int)y.size());
}

std::wstring PathKey(const std::wstring& p) {
    std::wstring key = BackslashPath(p);
    if (!key.empty()) CharUpperBuffW(&key[0], (DWORD)key.size());
    return key;
}

}  // namespace update

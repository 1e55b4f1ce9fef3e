// Helpers shared by the zip reader tests.
#pragma once

#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "UIZip.h"

namespace ziptest {

// Entries of skin.zip, in archive order (see tests/fixtures/make_zips.py).
enum SkinIndex {
    kMainWndDir = 0,
    kMainFrame = 1,
    kReadme = 2,
    kUnixRo = 3,
    kDosPlain = 4,
    kDosFlags = 5,
    kUtAll = 6,
    kUtPre1970 = 7,
    kUtSecond = 8,
    kUtShort = 9,
    kEmpty = 10,
    kLong255 = 11,
    kLong256 = 12,
    kLong300 = 13,
    kBigData = 14,
    kSkinCount = 15
};

inline std::wstring Fixture(const wchar_t* name) { return testsupport::FixtureDir() + name; }

inline std::string Expected(int index) {
    wchar_t name[64];
    wsprintfW(name, L"skin_expected\\%02d.bin", index);
    return testsupport::ReadFileBytes(Fixture(name));
}

// Sets the current directory for the lifetime of the guard.
class CwdGuard {
public:
    explicit CwdGuard(const std::wstring& dir) {
        GetCurrentDirectoryW(MAX_PATH, m_old);
        SetCurrentDirectoryW(dir.c_str());
    }
    ~CwdGuard() { SetCurrentDirectoryW(m_old); }

private:
    wchar_t m_old[MAX_PATH];
};

inline ULONGLONG Ticks(const FILETIME& ft) {
    return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
}

inline FILETIME Utc(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
    SYSTEMTIME st = {};
    st.wYear = y; st.wMonth = mo; st.wDay = d; st.wHour = h; st.wMinute = mi; st.wSecond = s;
    FILETIME ft = {};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

// A DOS time stamp is local time.
inline FILETIME Local(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
    SYSTEMTIME st = {};
    st.wYear = y; st.wMonth = mo; st.wDay = d; st.wHour = h; st.wMinute = mi; st.wSecond = s;
    SYSTEMTIME utc = {};
    TzSpecificLocalTimeToSystemTime(NULL, &st, &utc);
    FILETIME ft = {};
    SystemTimeToFileTime(&utc, &ft);
    return ft;
}

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Unpacks an entry into memory piece by piece; returns the last code.
inline unsigned ExtractAll(SkinUI::UIZipHandle* h, int index, unsigned piece, std::string* out,
                           int maxCalls = 100000) {
    std::string buf(piece, '\0');
    unsigned code = 0;
    out->clear();
    for (int i = 0; i < maxCalls; ++i) {
        std::fill(buf.begin(), buf.end(), '\0');
        code = SkinUI::UIZipExtractEntry(h, index, &buf[0], piece, SkinUI::UIZipFromMemory);
        if (code != SkinUI::UIZIP_E_MORE) break;
        out->append(buf);
    }
    return code;
}

}  // namespace ziptest

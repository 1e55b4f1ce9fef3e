// Shared pieces of Utils.dll's own implementation (not exported).
#ifndef TEVELA_UTILS_INTERNAL_H
#define TEVELA_UTILS_INTERNAL_H

#include <windows.h>
#include <stdint.h>
#include <string>

namespace utils_internal {

std::wstring MultiToWide(UINT codePage, const char* data, size_t size);
std::string WideToMulti(UINT codePage, const wchar_t* data, size_t size);

// RFC 1321 MD5.
class Md5
{
public:
    Md5();
    void Update(const void* data, size_t size);
    void Final(unsigned char digest[16]);
    static std::wstring ToHex(const unsigned char digest[16]);

private:
    void Transform(const unsigned char* block, size_t blocks);
    uint32_t m_state[4];
    uint64_t m_bytes;
    unsigned char m_buffer[64];
    size_t m_used;
};

// Replaces "to" by the finished "from" (same folder); false when it could not.
bool ReplaceFileAtomically(const std::wstring& from, const std::wstring& to);

} // namespace utils_internal

#endif

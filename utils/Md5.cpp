// MD5 message digest (RFC 1321) and the file digest of WinUtil.
#include "Utils.h"

#include <string.h>

#include "UtilsInternal.h"

namespace utils_internal {

namespace {

inline uint32_t Rotl(uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

inline uint32_t Load32(const unsigned char* p)
{
    // Little-endian load, independent of alignment.
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

} // namespace

#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, x, t, s) \
    (a) += f((b), (c), (d)) + (x) + (uint32_t)(t); \
    (a) = Rotl((a), (s)) + (b)

Md5::Md5() : m_bytes(0), m_used(0)
{
    m_state[0] = 0x67452301u;
    m_state[1] = 0xefcdab89u;
    m_state[2] = 0x98badcfeu;
    m_state[3] = 0x10325476u;
}

void Md5::Transform(const unsigned char* p, size_t blocks)
{
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (; blocks; --blocks, p += 64)
    {
        const uint32_t x0 = Load32(p), x1 = Load32(p + 4), x2 = Load32(p + 8), x3 = Load32(p + 12),
                       x4 = Load32(p + 16), x5 = Load32(p + 20), x6 = Load32(p + 24),
                       x7 = Load32(p + 28), x8 = Load32(p + 32), x9 = Load32(p + 36),
                       x10 = Load32(p + 40), x11 = Load32(p + 44), x12 = Load32(p + 48),
                       x13 = Load32(p + 52), x14 = Load32(p + 56), x15 = Load32(p + 60);
        const uint32_t sa = a, sb = b, sc = c, sd = d;

        MD5_STEP(MD5_F, a, b, c, d, x0, 0xd76aa478, 7);
        MD5_STEP(MD5_F, d, a, b, c, x1, 0xe8c7b756, 12);
        MD5_STEP(MD5_F, c, d, a, b, x2, 0x242070db, 17);
        MD5_STEP(MD5_F, b, c, d, a, x3, 0xc1bdceee, 22);
        MD5_STEP(MD5_F, a, b, c, d, x4, 0xf57c0faf, 7);
        MD5_STEP(MD5_F, d, a, b, c, x5, 0x4787c62a, 12);
        MD5_STEP(MD5_F, c, d, a, b, x6, 0xa8304613, 17);
        MD5_STEP(MD5_F, b, c, d, a, x7, 0xfd469501, 22);
        MD5_STEP(MD5_F, a, b, c, d, x8, 0x698098d8, 7);
        MD5_STEP(MD5_F, d, a, b, c, x9, 0x8b44f7af, 12);
        MD5_STEP(MD5_F, c, d, a, b, x10, 0xffff5bb1, 17);
        MD5_STEP(MD5_F, b, c, d, a, x11, 0x895cd7be, 22);
        MD5_STEP(MD5_F, a, b, c, d, x12, 0x6b901122, 7);
        MD5_STEP(MD5_F, d, a, b, c, x13, 0xfd987193, 12);
        MD5_STEP(MD5_F, c, d, a, b, x14, 0xa679438e, 17);
        MD5_STEP(MD5_F, b, c, d, a, x15, 0x49b40821, 22);

        MD5_STEP(MD5_G, a, b, c, d, x1, 0xf61e2562, 5);
        MD5_STEP(MD5_G, d, a, b, c, x6, 0xc040b340, 9);
        MD5_STEP(MD5_G, c, d, a, b, x11, 0x265e5a51, 14);
        MD5_STEP(MD5_G, b, c, d, a, x0, 0xe9b6c7aa, 20);
        MD5_STEP(MD5_G, a, b, c, d, x5, 0xd62f105d, 5);
        MD5_STEP(MD5_G, d, a, b, c, x10, 0x02441453, 9);
        MD5_STEP(MD5_G, c, d, a, b, x15, 0xd8a1e681, 14);
        MD5_STEP(MD5_G, b, c, d, a, x4, 0xe7d3fbc8, 20);
        MD5_STEP(MD5_G, a, b, c, d, x9, 0x21e1cde6, 5);
        MD5_STEP(MD5_G, d, a, b, c, x14, 0xc33707d6, 9);
        MD5_STEP(MD5_G, c, d, a, b, x3, 0xf4d50d87, 14);
        MD5_STEP(MD5_G, b, c, d, a, x8, 0x455a14ed, 20);
        MD5_STEP(MD5_G, a, b, c, d, x13, 0xa9e3e905, 5);
        MD5_STEP(MD5_G, d, a, b, c, x2, 0xfcefa3f8, 9);
        MD5_STEP(MD5_G, c, d, a, b, x7, 0x676f02d9, 14);
        MD5_STEP(MD5_G, b, c, d, a, x12, 0x8d2a4c8a, 20);

        MD5_STEP(MD5_H, a, b, c, d, x5, 0xfffa3942, 4);
        MD5_STEP(MD5_H, d, a, b, c, x8, 0x8771f681, 11);
        MD5_STEP(MD5_H, c, d, a, b, x11, 0x6d9d6122, 16);
        MD5_STEP(MD5_H, b, c, d, a, x14, 0xfde5380c, 23);
        MD5_STEP(MD5_H, a, b, c, d, x1, 0xa4beea44, 4);
        MD5_STEP(MD5_H, d, a, b, c, x4, 0x4bdecfa9, 11);
        MD5_STEP(MD5_H, c, d, a, b, x7, 0xf6bb4b60, 16);
        MD5_STEP(MD5_H, b, c, d, a, x10, 0xbebfbc70, 23);
        MD5_STEP(MD5_H, a, b, c, d, x13, 0x289b7ec6, 4);
        MD5_STEP(MD5_H, d, a, b, c, x0, 0xeaa127fa, 11);
        MD5_STEP(MD5_H, c, d, a, b, x3, 0xd4ef3085, 16);
        MD5_STEP(MD5_H, b, c, d, a, x6, 0x04881d05, 23);
        MD5_STEP(MD5_H, a, b, c, d, x9, 0xd9d4d039, 4);
        MD5_STEP(MD5_H, d, a, b, c, x12, 0xe6db99e5, 11);
        MD5_STEP(MD5_H, c, d, a, b, x15, 0x1fa27cf8, 16);
        MD5_STEP(MD5_H, b, c, d, a, x2, 0xc4ac5665, 23);

        MD5_STEP(MD5_I, a, b, c, d, x0, 0xf4292244, 6);
        MD5_STEP(MD5_I, d, a, b, c, x7, 0x432aff97, 10);
        MD5_STEP(MD5_I, c, d, a, b, x14, 0xab9423a7, 15);
        MD5_STEP(MD5_I, b, c, d, a, x5, 0xfc93a039, 21);
        MD5_STEP(MD5_I, a, b, c, d, x12, 0x655b59c3, 6);
        MD5_STEP(MD5_I, d, a, b, c, x3, 0x8f0ccc92, 10);
        MD5_STEP(MD5_I, c, d, a, b, x10, 0xffeff47d, 15);
        MD5_STEP(MD5_I, b, c, d, a, x1, 0x85845dd1, 21);
        MD5_STEP(MD5_I, a, b, c, d, x8, 0x6fa87e4f, 6);
        MD5_STEP(MD5_I, d, a, b, c, x15, 0xfe2ce6e0, 10);
        MD5_STEP(MD5_I, c, d, a, b, x6, 0xa3014314, 15);
        MD5_STEP(MD5_I, b, c, d, a, x13, 0x4e0811a1, 21);
        MD5_STEP(MD5_I, a, b, c, d, x4, 0xf7537e82, 6);
        MD5_STEP(MD5_I, d, a, b, c, x11, 0xbd3af235, 10);
        MD5_STEP(MD5_I, c, d, a, b, x2, 0x2ad7d2bb, 15);
        MD5_STEP(MD5_I, b, c, d, a, x9, 0xeb86d391, 21);

        a += sa;
        b += sb;
        c += sc;
        d += sd;
    }
    m_state[0] = a;
    m_state[1] = b;
    m_state[2] = c;
    m_state[3] = d;
}

void Md5::Update(const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    m_bytes += size;
    if (m_used)
    {
        size_t take = 64 - m_used;
        if (take > size)
            take = size;
        memcpy(m_buffer + m_used, p, take);
        m_used += take;
        p += take;
        size -= take;
        if (m_used < 64)
            return;
        Transform(m_buffer, 1);
        m_used = 0;
    }
    if (size >= 64)
    {
        Transform(p, size / 64);
        p += size & ~(size_t)63;
        size &= 63;
    }
    if (size)
    {
        memcpy(m_buffer, p, size);
        m_used = size;
    }
}

void Md5::Final(unsigned char digest[16])
{
    const uint64_t bits = m_bytes * 8;
    unsigned char pad[72];
    memset(pad, 0, sizeof(pad));
    pad[0] = 0x80;
    size_t padLen = (m_used < 56) ? (56 - m_used) : (120 - m_used);
    unsigned char len[8];
    for (int i = 0; i < 8; ++i)
        len[i] = (unsigned char)(bits >> (8 * i));
    Update(pad, padLen);
    Update(len, 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[i * 4 + j] = (unsigned char)(m_state[i] >> (8 * j));
}

std::wstring Md5::ToHex(const unsigned char digest[16])
{
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring out(32, L'0');
    for (int i = 0; i < 16; ++i)
    {
        out[(size_t)i * 2] = kHex[digest[i] >> 4];
        out[(size_t)i * 2 + 1] = kHex[digest[i] & 15];
    }
    return out;
}

} // namespace utils_internal

using utils_internal::Md5;

GString WinUtil::MD5_Data(const void* data, size_t size) noexcept
{
    Md5 md5;
    if (data && size)
        md5.Update(data, size);
    unsigned char digest[16];
    md5.Final(digest);
    return GString(Md5::ToHex(digest));
}

GString WinUtil::MD5_File(const GString& path) noexcept
{
    if (path.empty())
        return GString();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GString();

    // Large reads keep the system-call overhead small next to the transform;
    // a small file gets a small buffer from the heap, because fresh pages
    // cost more to fault in than a small file costs to read (under Wine
    // several milliseconds for a 1 MiB buffer), which dominated digesting
    // thousands of small files.
    const DWORD kChunk = 1u << 20;
    LARGE_INTEGER size;
    DWORD chunk = kChunk;
    if (GetFileSizeEx(file, &size) && size.QuadPart < (LONGLONG)kChunk)
        chunk = (DWORD)size.QuadPart + 1;   // + 1: the read that finds the end
    if (chunk < 4096)
        chunk = 4096;
    void* buffer = HeapAlloc(GetProcessHeap(), 0, chunk);
    if (!buffer)
    {
        CloseHandle(file);
        return GString();
    }
    Md5 md5;
    bool ok = true;
    for (;;)
    {
        DWORD got = 0;
        if (!ReadFile(file, buffer, chunk, &got, NULL))
        {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        md5.Update(buffer, got);
    }
    HeapFree(GetProcessHeap(), 0, buffer);
    CloseHandle(file);
    if (!ok)
        return GString();
    unsigned char digest[16];
    md5.Final(digest);
    return GString(Md5::ToHex(digest));
}

// The freed-memory watch of FreedMemoryWatch.h: the program's global operator
// new and delete, which hand out pages of their own for the watched size, and
// the exception handler that counts touches of deleted watched objects.
#include "FreedMemoryWatch.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

struct Block
{
    void* base;
    std::size_t size;
    bool deleted;
};

const int kMaxBlocks = 512;
Block g_blocks[kMaxBlocks];
int g_blockCount = 0;
std::size_t g_watchedSize = 0;
LONG g_touches = 0;
PVOID g_handler = NULL;

LONG CALLBACK OnAccessViolation(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRecord = pInfo->ExceptionRecord;
    if (pRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || pRecord->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const ULONG_PTR address = pRecord->ExceptionInformation[1];
    for (int i = 0; i < g_blockCount; ++i) {
        const Block& b = g_blocks[i];
        const ULONG_PTR base = reinterpret_cast<ULONG_PTR>(b.base);
        if (b.deleted && address >= base && address < base + b.size) {
            DWORD old = 0;
            ::VirtualProtect(b.base, b.size, PAGE_READWRITE, &old);
            ::InterlockedIncrement(&g_touches);
            return EXCEPTION_CONTINUE_EXECUTION;
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void* Allocate(std::size_t size)
{
    if (size != 0 && size == g_watchedSize && g_blockCount < kMaxBlocks) {
        void* p = ::VirtualAlloc(NULL, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (p != NULL) {
            Block b = { p, size, false };
            g_blocks[g_blockCount++] = b;
            return p;
        }
    }
    return std::malloc(size != 0 ? size : 1);
}

void Free(void* p)
{
    if (p == NULL)
        return;
    for (int i = 0; i < g_blockCount; ++i) {
        Block& b = g_blocks[i];
        if (b.base == p && !b.deleted) {
            b.deleted = true;
            DWORD old = 0;
            ::VirtualProtect(b.base, b.size, PAGE_NOACCESS, &old);
            return;
        }
    }
    std::free(p);
}

} // namespace

namespace freedwatch {

void Watch(std::size_t size)
{
    if (g_handler == NULL)
        g_handler = ::AddVectoredExceptionHandler(1, &OnAccessViolation);
    g_watchedSize = size;
}

void Stop()
{
    g_watchedSize = 0;
}

long Touches()
{
    return g_touches;
}

void Reset()
{
    int kept = 0;
    for (int i = 0; i < g_blockCount; ++i) {
        if (g_blocks[i].deleted)
            ::VirtualFree(g_blocks[i].base, 0, MEM_RELEASE);
        else
            g_blocks[kept++] = g_blocks[i];
    }
    g_blockCount = kept;
    g_touches = 0;
}

} // namespace freedwatch

void* operator new(std::size_t size)
{
    void* p = Allocate(size);
    if (p == NULL)
        throw std::bad_alloc();
    return p;
}

void* operator new[](std::size_t size)
{
    void* p = Allocate(size);
    if (p == NULL)
        throw std::bad_alloc();
    return p;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void operator delete(void* p) noexcept
{
    Free(p);
}

void operator delete[](void* p) noexcept
{
    Free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    Free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    Free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    Free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    Free(p);
}

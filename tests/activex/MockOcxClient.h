// The tests' side of mockocx.dll: loads it from the test program's folder
// (the hosts load the same module by "modulename"), sets its switches and
// reads its record of calls.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "MockOcx.h"

namespace axtest {

const wchar_t kMockModule[] = L"mockocx.dll";
const wchar_t kMockClsid[] = L"{4D6F636B-4F43-5800-8000-00AA00BBCC01}";

class MockOcx
{
public:
    MockOcx()
    {
        m_hModule = ::LoadLibraryW(kMockModule);
        if (m_hModule == NULL)
            return;
        MockOcxGetStateFn getState = reinterpret_cast<MockOcxGetStateFn>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "MockOcxGetState")));
        m_reset = reinterpret_cast<MockOcxResetFn>(reinterpret_cast<void*>(::GetProcAddress(m_hModule, "MockOcxReset")));
        m_newDocument = reinterpret_cast<MockOcxNewDocumentFn>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "MockOcxNewDocument")));
        m_documentCalls = reinterpret_cast<MockOcxDocumentCallsHandlerFn>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "MockOcxDocumentCallsHandler")));
        state = getState != NULL ? getState() : NULL;
        Reset(0);
    }
    ~MockOcx()
    {
        if (state != NULL)
            m_reset();
        if (m_hModule != NULL)
            ::FreeLibrary(m_hModule);
    }
    bool Loaded() const
    {
        return state != NULL && m_reset != NULL && m_newDocument != NULL && m_documentCalls != NULL;
    }

    // Forgets the record; new objects behave as flags say.
    void Reset(unsigned flags)
    {
        m_reset();
        state->flags = flags;
    }
    void ClearLog() { state->log[0] = '\0'; }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(state->log);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
        return lines;
    }
    // Lines starting with prefix, in order.
    std::vector<std::string> Lines(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& l : Lines())
            if (l.compare(0, prefix.size(), prefix) == 0)
                out.push_back(l);
        return out;
    }
    int Count(const std::string& prefix) const { return static_cast<int>(Lines(prefix).size()); }
    // Position of the first line starting with prefix, -1 when none.
    int IndexOf(const std::string& prefix) const
    {
        std::vector<std::string> all = Lines();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].compare(0, prefix.size(), prefix) == 0)
                return static_cast<int>(i);
        return -1;
    }
    IUnknown* NewDocument() { return m_newDocument(); }
    HRESULT DocumentCallsHandler(IUnknown* document) { return m_documentCalls(document); }

    MockOcxState* state = nullptr;

private:
    HMODULE m_hModule = NULL;
    MockOcxResetFn m_reset = nullptr;
    MockOcxNewDocumentFn m_newDocument = nullptr;
    MockOcxDocumentCallsHandlerFn m_documentCalls = nullptr;
};

} // namespace axtest

// Helpers shared by the markup parser tests.
#pragma once

#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "UIMarkup.h"

namespace markuptest {

// The layout that tests/fixtures/make_markup.py writes in every encoding.
inline const wchar_t* ReferenceLayout() {
    return L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
           L"<!-- main frame -->\r\n"
           L"<Window size=\"1050,680\" caption=\"0,0,0,36\" title=\"Yexo\u5a31\u4e50\u76f4\u64ad\">\r\n"
           L"  <Font name=\"\u5fae\u8f6f\u96c5\u9ed1\" size=\"12\" default=\"true\" />\r\n"
           L"  <VerticalLayout bkcolor=\"#FFEEEEEE\">\r\n"
           L"    <Button name=\"closebtn\" text=\"&lt;Close&gt; &amp; caf\u00e9\" tooltip=\"&quot;x&apos;\" />\r\n"
           L"    <Label text=\"a&foo;b\"/>\r\n"
           L"  </VerticalLayout>\r\n"
           L"</Window>\r\n";
}

// The tree of ReferenceLayout() as Dump() writes it.
inline std::wstring ReferenceDump() {
    return L"Window{size=\"1050,680\" caption=\"0,0,0,36\" title=\"Yexo\u5a31\u4e50\u76f4\u64ad\"}["
           L"Font{name=\"\u5fae\u8f6f\u96c5\u9ed1\" size=\"12\" default=\"true\"},"
           L"VerticalLayout{bkcolor=\"#FFEEEEEE\"}["
           L"Button{name=\"closebtn\" text=\"<Close> & caf\u00e9\" tooltip=\"\"x'\"},"
           L"Label{text=\"a&foo;b\"}]]";
}

// Writes a node, its siblings and their subtrees as
// Name{attr="value" ...}[child,child],Sibling ...
inline void DumpLevel(SkinUI::CUIMarkupNode node, std::wstring& out, int budget = 100000) {
    bool first = true;
    for (; node.IsValid() && budget-- > 0; node = node.GetNextSibling()) {
        if (!first) out += L",";
        first = false;
        out += node.GetName();
        const int count = node.GetAttributeCount();
        if (count > 0) {
            out += L"{";
            for (int i = 0; i < count; ++i) {
                if (i > 0) out += L" ";
                out += node.GetAttributeName(i);
                out += L"=\"";
                out += node.GetAttributeValue(i);
                out += L"\"";
            }
            out += L"}";
        }
        if (node.HasChildren()) {
            out += L"[";
            DumpLevel(node.GetFirstChild(), out, budget);
            out += L"]";
        }
    }
}

// The whole document from its root, including the root's siblings.
inline std::wstring Dump(SkinUI::CUIMarkup& markup) {
    std::wstring out;
    DumpLevel(markup.GetRoot(), out);
    return out;
}

inline std::string N(const std::wstring& w) { return testsupport::Narrow(w); }
inline std::string N(const wchar_t* w) { return w ? testsupport::Narrow(w) : std::string("(null)"); }

inline std::string Utf8(const std::wstring& w) { return testsupport::Narrow(w); }

inline std::string Utf16Le(const std::wstring& w, bool bom = true) {
    std::string out;
    if (bom) out += "\xFF\xFE";
    for (wchar_t c : w) {
        out += (char)(c & 0xFF);
        out += (char)((c >> 8) & 0xFF);
    }
    return out;
}

inline std::string Utf16Be(const std::wstring& w, bool bom = true) {
    std::string out;
    if (bom) out += "\xFE\xFF";
    for (wchar_t c : w) {
        out += (char)((c >> 8) & 0xFF);
        out += (char)(c & 0xFF);
    }
    return out;
}

inline bool LoadBytes(SkinUI::CUIMarkup& markup, const std::string& bytes, int encoding) {
    return markup.LoadFromMemory((const BYTE*)bytes.data(), (DWORD)bytes.size(), encoding);
}

}  // namespace markuptest

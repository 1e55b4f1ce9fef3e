// Markup parser throughput: CUIMarkup against pugixml on the same inputs in
// the same run.
//
//   bench_markup.exe [skins-folder] [--save <file>]
//
// The inputs are every *.xml below the skins folder (when given) and a
// generated layout of about 1 MB. Each parser loads every input from its
// UTF-8 bytes in memory, in two ways: with a new parser object for every
// load (what the dialog builder does: a new markup per layout) and with one
// object that loads every input in turn. The four ways take turns, round by
// round; the best round of each counts. Prints
//   markup.mb_s: X MB/s                 a new CUIMarkup per load
//   pugixml.mb_s: X MB/s                a new pugi::xml_document per load
//   markup.ratio_vs_pugixml: X ratio    the two above, the same work on both sides
//   markup.reused_mb_s: X MB/s          one CUIMarkup for every load
//   pugixml.reused_mb_s: X MB/s         one pugi::xml_document for every load
//   markup.reused_ratio_vs_pugixml: X ratio
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "UIMarkup.h"

using SkinUI::CUIMarkup;
using SkinUI::CUIMarkupNode;

namespace {

struct Input
{
    std::wstring name;
    std::string bytes;
};

bool ReadFile(const std::wstring& path, std::string* out)
{
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = ::GetFileSizeEx(h, &size) && size.QuadPart < 0x10000000;
    if (ok) {
        out->resize((size_t)size.QuadPart);
        DWORD got = 0;
        ok = size.QuadPart == 0 || (::ReadFile(h, &(*out)[0], (DWORD)size.QuadPart, &got, NULL) &&
                                    got == (DWORD)size.QuadPart);
    }
    ::CloseHandle(h);
    return ok;
}

void FindSkinFiles(const std::wstring& folder, std::vector<Input>* inputs)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            FindSkinFiles(path, inputs);
        }
        else if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".xml") == 0) {
            Input in;
            in.name = path;
            if (ReadFile(path, &in.bytes) && !in.bytes.empty()) inputs->push_back(in);
        }
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
}

// A deterministic layout in the style of the skins: resource elements, nested
// layouts, controls with many attributes, image descriptions, Chinese text,
// entities, comments and CRLF line ends.
std::string GenerateLayout(size_t target)
{
    unsigned seed = 12345;
    struct Rnd
    {
        unsigned* s;
        unsigned operator()(unsigned n)
        {
            *s = *s * 1103515245u + 12345u;
            return (*s >> 8) % n;
        }
    } rnd = {&seed};
    const char* texts[] = {"\xe7\xa1\xae\xe5\xae\x9a", "\xe5\x8f\x96\xe6\xb6\x88",
                           "Yexo\xe5\xa8\xb1\xe4\xb9\x90\xe7\x9b\xb4\xe6\x92\xad", "Settings &amp; more",
                           "&lt;back&gt;", "\xe5\xbc\x80\xe6\x9c\xba\xe5\x90\xaf\xe5\x8a\xa8"};
    const char* controls[] = {"Button", "Label", "Option", "CheckBox", "Text", "Edit", "Control"};
    char line[1024];
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                      "<Window size=\"1050,680\" sizebox=\"4,4,4,4\" caption=\"0,0,0,36\" roundcorner=\"4,4\" "
                      "mininfo=\"800,600\" showdirty=\"false\">\r\n"
                      "  <Font name=\"\xe5\xbe\xae\xe8\xbd\xaf\xe9\x9b\x85\xe9\xbb\x91\" size=\"12\" bold=\"false\" "
                      "default=\"true\" />\r\n"
                      "  <Font name=\"\xe5\xae\x8b\xe4\xbd\x93\" size=\"14\" bold=\"true\" />\r\n"
                      "  <Default name=\"VScrollBar\" value=\"button1normalimage=&quot;file='scroll.png' "
                      "source='0,0,16,16'&quot; width=&quot;8&quot;\" />\r\n"
                      "  <Image name=\"bk.png\" mask=\"#FFFF00FF\" />\r\n";
    int section = 0;
    while (out.size() < target) {
        _snprintf(line, sizeof(line),
                  "  <!-- section %d -->\r\n"
                  "  <VerticalLayout name=\"page%d\" bkcolor=\"#FF%06X\" inset=\"2,2,2,2\" childpadding=\"4\">\r\n"
                  "    <HorizontalLayout height=\"%u\" padding=\"0,%u,0,0\">\r\n",
                  section, section, rnd(0xFFFFFF), 20 + rnd(40), rnd(10));
        out += line;
        const unsigned count = 4 + rnd(8);
        for (unsigned i = 0; i < count; ++i) {
            const char* c = controls[rnd(7)];
            _snprintf(line, sizeof(line),
                      "      <%s name=\"%s_%d_%u\" float=\"%s\" pos=\"%u,%u,%u,%u\" text=\"%s\" tooltip=\"%s\" "
                      "normalimage=\"file='btn_%u.png' source='0,0,%u,%u' corner='2,2,2,2'\" "
                      "hotimage=\"file='btn_%u_hot.png'\" textcolor=\"#FF%06X\" font=\"%u\" />\r\n",
                      c, c, section, i, rnd(2) ? "true" : "false", rnd(800), rnd(600), rnd(800), rnd(600),
                      texts[rnd(6)], texts[rnd(6)], rnd(50), 10 + rnd(90), 10 + rnd(30), rnd(50), rnd(0xFFFFFF),
                      rnd(2));
            out += line;
        }
        out += "    </HorizontalLayout>\r\n"
               "    <TabLayout name=\"switch\" selectedid=\"0\">\r\n"
               "      <Label text=\"\xe9\xa1\xb5\xe9\x9d\xa2\" align=\"center\" />\r\n"
               "      <Container><Control /></Container>\r\n"
               "    </TabLayout>\r\n"
               "  </VerticalLayout>\r\n";
        ++section;
    }
    out += "</Window>\r\n";
    return out;
}

double Now()
{
    static LARGE_INTEGER freq = {};
    if (freq.QuadPart == 0) ::QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}

// Elements and attributes, to check that both parsers read the same document.
void CountMarkup(CUIMarkupNode node, long* elements, long* attributes)
{
    for (; node.IsValid(); node = node.GetNextSibling()) {
        ++*elements;
        *attributes += node.GetAttributeCount();
        if (node.HasChildren()) CountMarkup(node.GetFirstChild(), elements, attributes);
    }
}

void CountPugi(const pugi::xml_node& parent, long* elements, long* attributes)
{
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element) continue;
        ++*elements;
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) ++*attributes;
        CountPugi(n, elements, attributes);
    }
}

// One round: every input loaded reps times over. fresh: a new parser object
// per load; otherwise one object loads every input in turn (it may keep its
// buffers between loads). Seconds, or -1 when a load fails.
double RoundMarkup(const std::vector<Input>& inputs, int reps, bool fresh)
{
    CUIMarkup kept;
    const double t0 = Now();
    for (int r = 0; r < reps; ++r) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            const BYTE* data = (const BYTE*)inputs[i].bytes.data();
            const DWORD size = (DWORD)inputs[i].bytes.size();
            bool ok;
            if (fresh) {
                CUIMarkup markup;
                ok = markup.LoadFromMemory(data, size, SkinUI::UIMarkupUtf8);
            }
            else {
                ok = kept.LoadFromMemory(data, size, SkinUI::UIMarkupUtf8);
            }
            if (!ok) return -1;
        }
    }
    return Now() - t0;
}

double RoundPugi(const std::vector<Input>& inputs, int reps, bool fresh)
{
    pugi::xml_document kept;
    const double t0 = Now();
    for (int r = 0; r < reps; ++r) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            const char* data = inputs[i].bytes.data();
            const size_t size = inputs[i].bytes.size();
            bool ok;
            if (fresh) {
                pugi::xml_document doc;
                ok = (bool)doc.load_buffer(data, size);
            }
            else {
                ok = (bool)kept.load_buffer(data, size);
            }
            if (!ok) return -1;
        }
    }
    return Now() - t0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<Input> inputs;
    const wchar_t* save = NULL;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--save") == 0 && i + 1 < argc) {
            save = argv[++i];
            continue;
        }
        FindSkinFiles(argv[i], &inputs);
    }
    Input generated;
    generated.name = L"(generated layout)";
    generated.bytes = GenerateLayout(1024 * 1024);
    inputs.push_back(generated);
    if (save != NULL) {
        FILE* f = _wfopen(save, L"wb");
        if (f != NULL) {
            fwrite(generated.bytes.data(), 1, generated.bytes.size(), f);
            fclose(f);
        }
    }

    // Both parsers must see the same elements in every input they accept;
    // an input that one of them rejects (a deliberately broken fixture) is
    // left out of the timing.
    double bytes = 0;
    size_t skinFiles = 0;
    std::vector<Input> accepted;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const Input& in = inputs[i];
        const bool generatedLayout = i + 1 == inputs.size();
        CUIMarkup markup;
        pugi::xml_document doc;
        const bool markupOk =
            markup.LoadFromMemory((const BYTE*)in.bytes.data(), (DWORD)in.bytes.size(), SkinUI::UIMarkupUtf8);
        pugi::xml_parse_result result = doc.load_buffer(in.bytes.data(), in.bytes.size());
        if (!markupOk || !result) {
            fwprintf(stderr, L"bench_markup: %ls: left out (CUIMarkup: %ls; pugixml: %hs)\n", in.name.c_str(),
                     markupOk ? L"loads" : markup.GetLastErrorMessage(), result ? "loads" : result.description());
            if (generatedLayout) return 1;
            continue;
        }
        long me = 0, ma = 0, pe = 0, pa = 0;
        CountMarkup(markup.GetRoot(), &me, &ma);
        CountPugi(doc, &pe, &pa);
        // CUIMarkup shows at most 64 attributes per element; the skins have fewer.
        if (me != pe || ma != pa) {
            fwprintf(stderr, L"bench_markup: %ls: CUIMarkup sees %ld elements / %ld attributes, pugixml %ld / %ld\n",
                     in.name.c_str(), me, ma, pe, pa);
            return 1;
        }
        bytes += (double)in.bytes.size();
        if (!generatedLayout) ++skinFiles;
        accepted.push_back(in);
    }
    inputs.swap(accepted);

    // About a quarter of a second per round and way; the four ways take
    // turns, so that a slow moment of the machine hits them alike.
    int reps = 1;
    const double once = RoundMarkup(inputs, 1, true);
    if (once > 0) reps = (int)(0.25 / once) + 1;
    enum { kMarkupFresh, kPugiFresh, kMarkupReused, kPugiReused, kWays };
    double best[kWays] = {1e30, 1e30, 1e30, 1e30};
    for (int round = 0; round < 7; ++round) {
        for (int way = 0; way < kWays; ++way) {
            const bool fresh = way == kMarkupFresh || way == kPugiFresh;
            const bool markup = way == kMarkupFresh || way == kMarkupReused;
            const double t = markup ? RoundMarkup(inputs, reps, fresh) : RoundPugi(inputs, reps, fresh);
            if (t < 0) {
                fprintf(stderr, "bench_markup: a parse failed while timing\n");
                return 1;
            }
            if (t < best[way]) best[way] = t;
        }
    }
    const double mb = bytes * reps / (1024.0 * 1024.0);
    double mbs[kWays];
    for (int way = 0; way < kWays; ++way) mbs[way] = mb / best[way];
    fprintf(stderr, "bench_markup: %u skin files + the generated layout, %.0f bytes, %d loads of each per round\n",
            (unsigned)skinFiles, bytes, reps);
    printf("markup.mb_s: %.1f MB/s\n", mbs[kMarkupFresh]);
    printf("pugixml.mb_s: %.1f MB/s\n", mbs[kPugiFresh]);
    printf("markup.ratio_vs_pugixml: %.2f ratio\n", mbs[kMarkupFresh] / mbs[kPugiFresh]);
    printf("markup.reused_mb_s: %.1f MB/s\n", mbs[kMarkupReused]);
    printf("pugixml.reused_mb_s: %.1f MB/s\n", mbs[kPugiReused]);
    printf("markup.reused_ratio_vs_pugixml: %.2f ratio\n", mbs[kMarkupReused] / mbs[kPugiReused]);
    return 0;
}

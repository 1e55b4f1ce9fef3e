// Image loading (folder, zip, memory zip, resources, plain paths; premultiplied
// alpha and masks; corrupt files), image descriptions and the nine-cell
// blitter, checked on real pixels of a DIB.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIManager.h"
#include "UIRender.h"

using namespace SkinUI;
using testsupport::Canvas;
using testsupport::ColorNear;
using testsupport::ColorText;

namespace {

const DWORD WHITE = 0xFFFFFFFF;
const DWORD RED = 0xFFFF0000;
const DWORD GREEN = 0xFF00FF00;
const DWORD BLUE = 0xFF0000FF;
const DWORD YELLOW = 0xFFFFFF00;

std::wstring RenderDir()
{
    return testsupport::FixtureDir() + L"render\\";
}

std::wstring SkinDir()
{
    return RenderDir() + L"skin\\";
}

#define EXPECT_PIXEL(canvas, x, y, want, tol)                                                  \
    EXPECT_PRED3(ColorNear, (canvas).Pixel((x), (y)), (DWORD)(want), (tol))                    \
        << "at (" << (x) << "," << (y) << ") got " << ColorText((canvas).Pixel((x), (y)))       \
        << " want " << ColorText(want)

// The pixels of a loaded image, read straight from its DIB section.
std::vector<DWORD> ImagePixels(const UIImageInfo* info)
{
    std::vector<DWORD> pixels;
    DIBSECTION ds = {};
    if (info == NULL || GetObject(info->hBitmap, sizeof(ds), &ds) != sizeof(ds)) return pixels;
    EXPECT_EQ(32, ds.dsBm.bmBitsPixel);
    EXPECT_EQ(info->nWidth, ds.dsBmih.biWidth);
    EXPECT_EQ(info->nHeight, abs(ds.dsBmih.biHeight));
    const DWORD* bits = static_cast<const DWORD*>(ds.dsBm.bmBits);
    pixels.assign(bits, bits + info->nWidth * info->nHeight);
    return pixels;
}

// First pixel of an image loaded by name, or 0 when it does not load.
DWORD LoadedColor(LPCTSTR name, LPCTSTR type = NULL)
{
    UIImageInfo* info = CUIRender::LoadImageInfo(name, type, 0);
    if (info == NULL) return 0;
    const std::vector<DWORD> px = ImagePixels(info);
    CUIRender::FreeImageInfo(info);
    return px.empty() ? 0 : px[0];
}

// Which blit path a drawing test takes.
enum DrawPath { OpaqueBlit, PlatformBlend, SoftBlend };

const char* PathName(DrawPath p)
{
    return p == OpaqueBlit ? "opaque" : (p == PlatformBlend ? "platform blend" : "soft blend");
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CUIRender::ResetBlendProcs();
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath(RenderDir().c_str());
        m_manager = new CUIManager;
    }
    void TearDown() override
    {
        delete m_manager;
        CUIManager::ResetResourceState();
        CUIRender::ResetBlendProcs();
    }

    // Draws a description into a canvas over the given item rectangle.
    bool Draw(Canvas& canvas, const RECT& item, LPCTSTR desc, LPCTSTR modify = NULL)
    {
        RECT paint = { 0, 0, canvas.Width(), canvas.Height() };
        return CUIRender::DrawImageSpec(canvas.dc(), m_manager, item, paint, desc, modify);
    }

    // Sets the blit path up; returns the fade that selects it.
    static const wchar_t* UsePath(DrawPath p)
    {
        CUIRender::ResetBlendProcs();
        if (p == SoftBlend) CUIRender::SetBlendProcs(NULL, NULL);
        return p == OpaqueBlit ? L"" : L" fade='254'";
    }

    CUIManager* m_manager = nullptr;
};

// ---------------------------------------------------------------------------
// LoadImageInfo
// ---------------------------------------------------------------------------

TEST_F(ImageTest, LoadPremultipliesAndReportsAlpha)
{
    UIImageInfo* info = CUIRender::LoadImageInfo((RenderDir() + L"alpha.png").c_str(), NULL, 0);
    ASSERT_TRUE(info != NULL);
    EXPECT_EQ(4, info->nWidth);
    EXPECT_EQ(1, info->nHeight);
    EXPECT_TRUE(info->bAlpha);
    const std::vector<DWORD> px = ImagePixels(info);
    ASSERT_EQ(4u, px.size());
    EXPECT_EQ(0xFFFF0000u, px[0]);
    EXPECT_EQ(0x80800000u, px[1]);   // 255 x 128 / 255
    EXPECT_EQ(0x00000000u, px[2]);
    EXPECT_EQ(0x3328140Au, px[3]);   // (200, 100, 50) x 51 / 255
    CUIRender::FreeImageInfo(info);

    // Rows run top-down in memory: the red top half comes first.
    info = CUIRender::LoadImageInfo((RenderDir() + L"ytile.png").c_str(), NULL, 0);
    ASSERT_TRUE(info != NULL);
    const std::vector<DWORD> rows = ImagePixels(info);
    ASSERT_EQ(100u, rows.size());
    EXPECT_EQ(0xFFFF0000u, rows[0]);
    EXPECT_EQ(0xFF0000FFu, rows[99]);
    CUIRender::FreeImageInfo(info);

    info = CUIRender::LoadImageInfo((RenderDir() + L"opaque.png").c_str(), NULL, 0);
    ASSERT_TRUE(info != NULL);
    EXPECT_FALSE(info->bAlpha);
    const std::vector<DWORD> op = ImagePixels(info);
    ASSERT_EQ(3u, op.size());
    EXPECT_EQ(0xFF010203u, op[0]);
    EXPECT_EQ(0xFFFA8007u, op[1]);
    EXPECT_EQ(0xFF000000u, op[2]);
    CUIRender::FreeImageInfo(info);
    CUIRender::FreeImageInfo(NULL);
}

TEST_F(ImageTest, MaskClearsExactlyMatchingPremultipliedPixels)
{
    UIImageInfo* info = CUIRender::LoadImageInfo((RenderDir() + L"mask.png").c_str(), NULL, 0xFFFF00FF);
    ASSERT_TRUE(info != NULL);
    EXPECT_TRUE(info->bAlpha);
    const std::vector<DWORD> px = ImagePixels(info);
    ASSERT_EQ(4u, px.size());
    EXPECT_EQ(0u, px[0]);
    EXPECT_EQ(0xFF0A141Eu, px[1]);
    EXPECT_EQ(0u, px[2]);
    EXPECT_EQ(0x80800080u, px[3]);   // same colour at half alpha: kept
    CUIRender::FreeImageInfo(info);

    // An opaque image counts as having alpha once the mask hits.
    info = CUIRender::LoadImageInfo((RenderDir() + L"opaque.png").c_str(), NULL, 0xFF000000);
    ASSERT_TRUE(info != NULL);
    EXPECT_TRUE(info->bAlpha);
    EXPECT_EQ(0u, ImagePixels(info)[2]);
    CUIRender::FreeImageInfo(info);
    info = CUIRender::LoadImageInfo((RenderDir() + L"opaque.png").c_str(), NULL, 0xFF123456);
    ASSERT_TRUE(info != NULL);
    EXPECT_FALSE(info->bAlpha);
    CUIRender::FreeImageInfo(info);
}

TEST_F(ImageTest, CorruptAndTruncatedFilesGiveNull)
{
    WIN32_FIND_DATAW fd;
    const std::wstring dir = RenderDir() + L"corrupt\\";
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    int files = 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        ++files;
        UIImageInfo* info = CUIRender::LoadImageInfo((dir + fd.cFileName).c_str(), NULL, 0);
        EXPECT_TRUE(info == NULL) << testsupport::Narrow(fd.cFileName);
        CUIRender::FreeImageInfo(info);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    EXPECT_GE(files, 14);

    // Mutated copies of a good image: decoded or refused, never a crash.
    const std::wstring mdir = RenderDir() + L"mutated\\";
    h = FindFirstFileW((mdir + L"*.png").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    int mutated = 0;
    do {
        ++mutated;
        UIImageInfo* info = CUIRender::LoadImageInfo((mdir + fd.cFileName).c_str(), NULL, 0);
        if (info != NULL) {
            EXPECT_TRUE(info->hBitmap != NULL);
            EXPECT_EQ(16, info->nWidth);
            EXPECT_EQ(16, info->nHeight);
        }
        CUIRender::FreeImageInfo(info);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    EXPECT_EQ(24, mutated);

    EXPECT_TRUE(CUIRender::LoadImageInfo(L"", NULL, 0) == NULL);
    EXPECT_TRUE(CUIRender::LoadImageInfo(NULL, NULL, 0) == NULL);
    EXPECT_TRUE(CUIRender::LoadImageInfo(L"no-such-image.png", NULL, 0) == NULL);
}

struct SourceCase {
    const wchar_t* name;   // relative to the skin, or "plain" for the absolute plain.png
    DWORD expected;        // first pixel, 0 = not loaded
};

void CheckSources(const SourceCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const std::wstring name =
            std::wstring(cases[i].name) == L"plain" ? RenderDir() + L"plain.png" : cases[i].name;
        SCOPED_TRACE(testsupport::Narrow(name));
        // twice: a kept-open zip must serve the same entry again
        EXPECT_EQ(cases[i].expected, LoadedColor(name.c_str()));
        EXPECT_EQ(cases[i].expected, LoadedColor(name.c_str()));
    }
}

TEST_F(ImageTest, FolderThenPlainPath)
{
    CUIManager::SetResourcePath(SkinDir().c_str());
    const SourceCase cases[] = {
        { L"prec.png", RED }, { L"folderonly.png", RED }, { L"plain", YELLOW }, { L"Sub\\Zip.png", 0 },
    };
    CheckSources(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST_F(ImageTest, ZipBeforeFolderLookupIgnoresCase)
{
    CUIManager::SetResourcePath(SkinDir().c_str());
    const SourceCase cases[] = {
        { L"prec.png", GREEN },       // the zip's Prec.PNG, not the folder's prec.png
        { L"PREC.png", GREEN },
        { L"Sub\\Zip.png", BLUE },
        { L"sub/zip.png", BLUE },
        { L"folderonly.png", 0 },     // the folder is not consulted
        { L"empty.png", 0 },
        { L"bad.png", 0 },
        { L"plain", YELLOW },         // plain path fallback
    };
    for (bool cached : { false, true }) {
        SCOPED_TRACE(cached ? "zip kept open" : "zip opened per load");
        CUIManager::SetResourceZipFile(L"skin.zip", cached);
        EXPECT_EQ(cached, CUIManager::GetResourceZipHandle() != NULL);
        CheckSources(cases, sizeof(cases) / sizeof(cases[0]));
    }
    CUIManager::SetResourceZipFile(L"missing.zip", false);
    const SourceCase none[] = { { L"prec.png", 0 }, { L"plain", YELLOW } };
    CheckSources(none, 2);
}

TEST_F(ImageTest, MemoryZip)
{
    static const std::string bytes = testsupport::ReadFileBytes(SkinDir() + L"skin.zip");
    ASSERT_FALSE(bytes.empty());
    CUIManager::SetResourceZipMemory(bytes.data(), (unsigned)bytes.size());
    const SourceCase cases[] = { { L"prec.png", GREEN }, { L"Sub/Zip.png", BLUE }, { L"bad.png", 0 } };
    CheckSources(cases, sizeof(cases) / sizeof(cases[0]));
}

// A copy of this program with image resources added, loaded as a data file.
class ResourceModule {
public:
    ResourceModule()
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(NULL, self, MAX_PATH);
        m_path = testsupport::MakeTempDir(L"render-res") + L"images.dll";
        if (!CopyFileW(self, m_path.c_str(), FALSE)) return;
        const std::string green = testsupport::ReadFileBytes(RenderDir() + L"green.png");
        const std::string blue = testsupport::ReadFileBytes(RenderDir() + L"blue.png");
        HANDLE h = BeginUpdateResourceW(m_path.c_str(), FALSE);
        if (h == NULL) return;
        const WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
        UpdateResourceW(h, L"PNG", MAKEINTRESOURCEW(101), lang, (void*)green.data(), (DWORD)green.size());
        UpdateResourceW(h, L"PNG", L"PREC.PNG", lang, (void*)blue.data(), (DWORD)blue.size());
        if (!EndUpdateResourceW(h, FALSE)) return;
        m_module = LoadLibraryExW(m_path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~ResourceModule()
    {
        if (m_module != NULL) FreeLibrary(m_module);
        DeleteFileW(m_path.c_str());
    }
    HMODULE module() const { return m_module; }

private:
    std::wstring m_path;
    HMODULE m_module = NULL;
};

TEST_F(ImageTest, ResourceTypeComesFirst)
{
    ResourceModule res;
    ASSERT_TRUE(res.module() != NULL);
    HINSTANCE before = CUIManager::GetInstance();
    CUIManager::SetInstance(res.module());
    CUIManager::SetResourcePath(SkinDir().c_str());
    CUIManager::SetResourceZipFile(L"skin.zip", true);

    EXPECT_EQ(GREEN, LoadedColor(MAKEINTRESOURCEW(101), L"PNG"));
    EXPECT_EQ(BLUE, LoadedColor(L"prec.png", L"PNG"));   // not the zip's or the folder's
    EXPECT_EQ(GREEN, LoadedColor(L"prec.png"));          // without a type: the zip
    EXPECT_EQ(0u, LoadedColor(MAKEINTRESOURCEW(102), L"PNG"));
    EXPECT_EQ(YELLOW, LoadedColor((RenderDir() + L"plain.png").c_str(), L"PNG"));   // plain path fallback

    // Through the manager's cache: a resource number in text form.
    UIImageInfo* info = m_manager->GetImageEx(L"101", L"PNG");
    ASSERT_TRUE(info != NULL);
    EXPECT_EQ(GREEN, ImagePixels(info)[0]);

    CUIManager::SetInstance(before);
}

// ---------------------------------------------------------------------------
// Image descriptions
// ---------------------------------------------------------------------------

struct Probe {
    int x, y;
    DWORD color;
};

struct DescCase {
    const wchar_t* desc;
    const wchar_t* modify;
    std::vector<Probe> probes;
};

TEST_F(ImageTest, DescriptionLanguage)
{
    const RECT item = { 100, 100, 200, 130 };
    const DescCase cases[] = {
        // a bare file name: the whole image over the item
        { L"red.png", NULL, { { 100, 100, RED }, { 199, 129, RED }, { 99, 100, WHITE }, { 200, 129, WHITE }, { 150, 130, WHITE } } },
        { L"file='red.png' dest='0,5,15,20'", NULL,
          { { 100, 105, RED }, { 114, 119, RED }, { 100, 104, WHITE }, { 115, 105, WHITE }, { 100, 120, WHITE }, { 99, 110, WHITE } } },
        // dest cut to the item
        { L"file='red.png' dest='0,0,500,500'", NULL, { { 199, 129, RED }, { 200, 129, WHITE }, { 199, 130, WHITE } } },
        // a second file draws the first one with the settings so far
        { L"file='red.png' dest='0,0,10,10' file='blue.png' dest='20,0,30,10'", NULL,
          { { 105, 105, RED }, { 125, 105, BLUE }, { 115, 105, WHITE } } },
        { L"file='red.png' dest='0,0,10,10' res='blue.png' dest='20,0,30,10'", NULL,
          { { 105, 105, RED }, { 125, 105, BLUE } } },
        // res does not count: the first image is never drawn
        { L"res='red.png' dest='0,0,10,10' res='blue.png'", NULL, { { 105, 105, BLUE }, { 150, 120, WHITE } } },
        // a file in the modifier replaces the name without drawing
        { L"file='red.png'", L"file='blue.png' dest='0,0,10,10'", { { 105, 105, BLUE }, { 150, 120, WHITE } } },
        { L"red.png", L"dest='0,0,10,10'", { { 105, 105, RED }, { 150, 120, WHITE } } },
        // malformed items end the text; earlier items stay
        { L"file='red.png' dest=0,0,10,10", NULL, { { 150, 120, RED } } },
        { L"file='red.png'dest='0,0,10,10'", NULL, { { 150, 120, RED } } },
        { L"file='red.png' dest='0,0,10,10", NULL, { { 150, 120, RED } } },
        // after one blank, further blanks are skipped, also around "="
        { L"file='red.png'  dest = '0,0,10,10'", NULL, { { 105, 105, RED }, { 150, 120, WHITE } } },
        // unknown keys and empty values are skipped
        { L"file='red.png' color='1' dest='0,0,10,10'", NULL, { { 105, 105, RED }, { 150, 120, WHITE } } },
        { L"file='red.png' dest='' source='0,0,10,10'", NULL, { { 150, 120, RED } } },
        // keys are case-sensitive: the whole text is the (missing) name
        { L"FILE='red.png'", NULL, { { 150, 120, WHITE } } },
        // a source cut out of the image
        { L"file='xtile.png' source='5,0,10,10' dest='0,0,10,10'", NULL, { { 101, 101, BLUE }, { 108, 108, BLUE } } },
        { L"file='xtile.png' source='0,0,5,10' dest='0,0,10,10'", NULL, { { 101, 101, RED }, { 108, 108, RED } } },
    };
    for (const DescCase& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.desc) + " | " + (c.modify ? testsupport::Narrow(c.modify) : "NULL"));
        Canvas canvas(220, 150);
        EXPECT_TRUE(Draw(canvas, item, c.desc, c.modify));
        for (const Probe& p : c.probes) EXPECT_PIXEL(canvas, p.x, p.y, p.color, 1);
        canvas.DumpIfFailed("description");
    }
}

TEST_F(ImageTest, DrawResults)
{
    Canvas canvas(50, 50);
    RECT item = { 0, 0, 20, 20 };
    RECT paint = { 0, 0, 50, 50 };
    EXPECT_FALSE(CUIRender::DrawImageSpec(canvas.dc(), NULL, item, paint, L"red.png", NULL));
    EXPECT_FALSE(CUIRender::DrawImageSpec(NULL, m_manager, item, paint, L"red.png", NULL));
    EXPECT_TRUE(CUIRender::DrawImageSpec(canvas.dc(), m_manager, item, paint, L"missing.png", NULL));
    EXPECT_TRUE(CUIRender::DrawImageSpec(canvas.dc(), m_manager, item, paint, NULL, NULL));

    const RECT none = { 0, 0, 0, 0 };
    EXPECT_FALSE(CUIRender::DrawNamedImage(canvas.dc(), m_manager, item, paint, CUIString(), CUIString(), item,
                                           none, none, 0, 255, false, false, false));
    EXPECT_FALSE(CUIRender::DrawNamedImage(canvas.dc(), m_manager, item, paint, CUIString(L"missing.png"),
                                           CUIString(), item, none, none, 0, 255, false, false, false));
    EXPECT_PIXEL(canvas, 10, 10, WHITE, 0);

    // A destination outside the paint rectangle draws nothing but succeeds.
    RECT away = { 30, 30, 50, 50 };
    EXPECT_TRUE(CUIRender::DrawNamedImage(canvas.dc(), m_manager, item, away, CUIString(L"red.png"), CUIString(),
                                          item, none, none, 0, 255, false, false, false));
    EXPECT_PIXEL(canvas, 10, 10, WHITE, 0);
    EXPECT_TRUE(CUIRender::DrawNamedImage(canvas.dc(), m_manager, item, paint, CUIString(L"red.png"), CUIString(),
                                          item, none, none, 0, 255, false, false, false));
    EXPECT_PIXEL(canvas, 10, 10, RED, 1);

    // A source larger than the image is cut to it.
    Canvas big(30, 30);
    RECT huge = { 0, 0, 500, 500 };
    RECT dest = { 0, 0, 10, 10 };
    EXPECT_TRUE(CUIRender::DrawNamedImage(big.dc(), m_manager, paint, paint, CUIString(L"xtile.png"), CUIString(),
                                          dest, huge, none, 0, 255, false, false, false));
    EXPECT_PIXEL(big, 2, 5, RED, 0);
    EXPECT_PIXEL(big, 7, 5, BLUE, 0);

    // A NULL bitmap draws nothing.
    CUIRender::DrawBitmap(canvas.dc(), NULL, item, paint, dest, none, true);
}

// ---------------------------------------------------------------------------
// The blitter
// ---------------------------------------------------------------------------

class BlitTest : public ImageTest, public ::testing::WithParamInterface<DrawPath> {};

INSTANTIATE_TEST_SUITE_P(Paths, BlitTest, ::testing::Values(OpaqueBlit, PlatformBlend, SoftBlend),
                         [](const ::testing::TestParamInfo<DrawPath>& info) {
                             return std::string(info.param == OpaqueBlit ? "Opaque"
                                                : info.param == PlatformBlend ? "Platform" : "Soft");
                         });

TEST_P(BlitTest, NineCellsKeepCornersAndStretchEdges)
{
    const DWORD DKRED = 0xFF800000, DKGREEN = 0xFF008000, NAVY = 0xFF000080, CYAN = 0xFF00FFFF, MAGENTA = 0xFFFF00FF;
    for (bool hole : { false, true }) {
        SCOPED_TRACE(std::string(PathName(GetParam())) + (hole ? " hole" : ""));
        std::wstring desc = std::wstring(L"file='nine.png' corner='5,5,5,5'") + UsePath(GetParam());
        if (hole) desc += L" hole='true'";
        Canvas canvas(120, 60);
        RECT item = { 10, 10, 110, 50 };   // 100 x 40
        EXPECT_TRUE(Draw(canvas, item, desc.c_str()));
        const DWORD centre = hole ? WHITE : NAVY;
        const Probe probes[] = {
            // corners, unscaled: exact extents
            { 10, 10, RED }, { 14, 14, RED }, { 105, 10, GREEN }, { 109, 14, GREEN },
            { 10, 45, BLUE }, { 14, 49, BLUE }, { 105, 45, YELLOW }, { 109, 49, YELLOW },
            // edges and centre, stretched: sampled inside
            { 16, 12, CYAN }, { 60, 12, CYAN }, { 103, 12, CYAN },
            { 16, 47, MAGENTA }, { 60, 47, MAGENTA }, { 103, 47, MAGENTA },
            { 12, 16, DKRED }, { 12, 30, DKRED }, { 12, 43, DKRED },
            { 107, 16, DKGREEN }, { 107, 30, DKGREEN }, { 107, 43, DKGREEN },
            { 16, 16, centre }, { 60, 30, centre }, { 103, 43, centre },
            // outside
            { 9, 10, WHITE }, { 110, 30, WHITE }, { 60, 50, WHITE }, { 60, 9, WHITE },
        };
        for (const Probe& p : probes) EXPECT_PIXEL(canvas, p.x, p.y, p.color, 1);
        canvas.DumpIfFailed("ninecell");
    }
}

TEST_P(BlitTest, TiledCentres)
{
    struct Case {
        const wchar_t* desc;
        std::vector<Probe> probes;
    } cases[] = {
        // 25-pixel centre, 10-pixel tiles: 3 tiles, the last 5 wide (its left half)
        { L"file='xtile.png' xtiled='true' dest='0,0,25,10'",
          { { 10, 15, RED }, { 14, 15, RED }, { 15, 15, BLUE }, { 19, 15, BLUE }, { 20, 15, RED }, { 25, 19, BLUE },
            { 30, 10, RED }, { 34, 19, RED }, { 35, 15, WHITE }, { 20, 20, WHITE } } },
        // tiles span the centre's full height
        { L"file='xtile.png' xtiled='true' dest='0,0,25,30'",
          { { 12, 12, RED }, { 12, 37, RED }, { 17, 25, BLUE }, { 32, 38, RED }, { 35, 25, WHITE } } },
        { L"file='ytile.png' ytiled='true' dest='0,0,10,25'",
          { { 15, 10, RED }, { 15, 14, RED }, { 15, 15, BLUE }, { 15, 19, BLUE }, { 15, 20, RED }, { 19, 25, BLUE },
            { 10, 30, RED }, { 19, 34, RED }, { 15, 35, WHITE }, { 20, 20, WHITE } } },
        { L"file='xytile.png' xtiled='true' ytiled='true' dest='0,0,25,25'",
          { { 10, 10, RED }, { 15, 10, BLUE }, { 10, 15, GREEN }, { 15, 15, YELLOW }, { 19, 19, YELLOW }, { 29, 24, BLUE },
            { 20, 20, RED }, { 30, 30, RED }, { 34, 34, RED }, { 34, 20, RED }, { 20, 34, RED },
            { 35, 34, WHITE }, { 34, 35, WHITE } } },
        // tile width 0 (corners eat the source): no tiles, the edges still draw
        { L"file='xtile.png' xtiled='true' corner='5,0,5,0' dest='0,0,40,10'",
          { { 12, 15, RED }, { 47, 15, BLUE }, { 20, 15, WHITE }, { 40, 15, WHITE } } },
    };
    for (const auto& c : cases) {
        std::wstring desc = std::wstring(c.desc) + UsePath(GetParam());
        SCOPED_TRACE(std::string(PathName(GetParam())) + " " + testsupport::Narrow(desc));
        Canvas canvas(80, 60);
        RECT item = { 10, 10, 70, 50 };
        EXPECT_TRUE(Draw(canvas, item, desc.c_str()));
        for (const Probe& p : c.probes) EXPECT_PIXEL(canvas, p.x, p.y, p.color, 1);
        canvas.DumpIfFailed("tiled");
    }
}

// Counts the calls that reach the platform blender.
int g_blendCalls = 0;
UIAlphaBlendProc g_realBlend = NULL;
BOOL WINAPI CountingBlend(HDC a, int b, int c, int d, int e, HDC f, int g, int h, int i, int j, BLENDFUNCTION k)
{
    ++g_blendCalls;
    return g_realBlend(a, b, c, d, e, f, g, h, i, j, k);
}

TEST_P(BlitTest, TilesAreDrawnOnlyWhereTheyShow)
{
    // A 200000-pixel control tiled with a 10-pixel image, painted through a
    // 40 x 40 canvas, once whole and once through a clip region: the tiles
    // keep the phase of the whole tiling, and only the visible ones are blitted.
    const RECT item = { -99997, -99998, 100003, 100002 };
    struct Case {
        const wchar_t* desc;
        bool x, y;
    } cases[] = {
        { L"file='xytile.png' xtiled='true' ytiled='true'", true, true },
        { L"file='xtile.png' xtiled='true'", true, false },
        { L"file='ytile.png' ytiled='true'", false, true },
    };
    for (const auto& c : cases) {
        for (bool clipped : { false, true }) {
            std::wstring desc = std::wstring(c.desc) + UsePath(GetParam());
            SCOPED_TRACE(std::string(PathName(GetParam())) + " " + testsupport::Narrow(desc) +
                         (clipped ? " clipped" : ""));
            if (GetParam() == PlatformBlend) {
                g_realBlend = CUIRender::GetAlphaBlend();
                CUIRender::SetBlendProcs(&CountingBlend, CUIRender::GetGradientFill());
                g_blendCalls = 0;
            }
            Canvas canvas(40, 40);
            HRGN clip = ::CreateRectRgn(10, 10, 30, 30);
            if (clipped) ::SelectClipRgn(canvas.dc(), clip);
            EXPECT_TRUE(Draw(canvas, item, desc.c_str()));
            ::SelectClipRgn(canvas.dc(), NULL);
            ::DeleteObject(clip);
            // Probes away from the colour edges, which the platform's halftone
            // stretch of the untiled direction may soften.
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 40; ++x) {
                    if ((x - item.left) % 5 == 0 || (x - item.left) % 5 == 4 || (y - item.top) % 5 == 0 ||
                        (y - item.top) % 5 == 4)
                        continue;
                    const bool right = (x - item.left) % 10 >= 5, low = (y - item.top) % 10 >= 5;
                    DWORD want = c.x && c.y ? (low ? (right ? YELLOW : GREEN) : (right ? BLUE : RED))
                                            : ((c.x ? right : low) ? BLUE : RED);
                    if (clipped && (x < 10 || x >= 30 || y < 10 || y >= 30)) want = WHITE;
                    EXPECT_PIXEL(canvas, x, y, want, 1);
                }
            }
            if (GetParam() == PlatformBlend) {
                // 5 (or 6) tiles across the canvas, 3 across the clip, per tiled direction.
                const int across = clipped ? 3 : 6;
                EXPECT_LE(g_blendCalls, (c.x ? across : 1) * (c.y ? across : 1));
                EXPECT_GE(g_blendCalls, 1);
                CUIRender::ResetBlendProcs();
            }
            canvas.DumpIfFailed("tiledhuge");
        }
    }
}

TEST_P(BlitTest, CellsWithoutExtentAreSkipped)
{
    // The source is narrower than its corners: every cell between them has a
    // negative source width and must not be drawn (nor mirrored).
    std::wstring desc = std::wstring(L"file='nine.png' source='0,0,8,20' corner='5,5,5,5'") + UsePath(GetParam());
    SCOPED_TRACE(PathName(GetParam()));
    Canvas canvas(120, 60);
    RECT item = { 10, 10, 110, 50 };
    EXPECT_TRUE(Draw(canvas, item, desc.c_str()));
    EXPECT_PIXEL(canvas, 60, 12, WHITE, 0);   // top edge
    EXPECT_PIXEL(canvas, 60, 30, WHITE, 0);   // centre
    EXPECT_PIXEL(canvas, 60, 47, WHITE, 0);   // bottom edge
    EXPECT_PIXEL(canvas, 12, 30, 0xFF800000, 1);   // the left edge is fine
    EXPECT_PIXEL(canvas, 10, 10, RED, 1);
    canvas.DumpIfFailed("negative");
}

TEST_F(ImageTest, FadeBlendsOpaqueImagesThroughAlphaBlend)
{
    g_realBlend = CUIRender::GetAlphaBlend();
    CUIRender::SetBlendProcs(&CountingBlend, CUIRender::GetGradientFill());
    RECT item = { 10, 10, 30, 30 };
    for (const wchar_t* desc : { L"file='red.png' fade='128'", L"file='red.png' fade='384'" }) {
        SCOPED_TRACE(testsupport::Narrow(desc));
        Canvas canvas(40, 40);
        g_blendCalls = 0;
        EXPECT_TRUE(Draw(canvas, item, desc));
        EXPECT_GE(g_blendCalls, 1);
        EXPECT_PIXEL(canvas, 11, 11, 0xFFFF7F7F, 1);
        EXPECT_PIXEL(canvas, 28, 28, 0xFFFF7F7F, 1);
        EXPECT_PIXEL(canvas, 30, 30, WHITE, 0);
    }

    // Opaque at fade 255: plain copies, no blending. Only the part inside the
    // paint rectangle is copied.
    Canvas canvas(40, 40);
    g_blendCalls = 0;
    RECT dest = { 10, 10, 20, 20 };
    RECT paint = { 0, 0, 15, 40 };
    EXPECT_TRUE(CUIRender::DrawImageSpec(canvas.dc(), m_manager, dest, paint, L"red.png", NULL));
    EXPECT_EQ(0, g_blendCalls);
    EXPECT_PIXEL(canvas, 10, 10, RED, 0);
    EXPECT_PIXEL(canvas, 14, 19, RED, 0);
    EXPECT_PIXEL(canvas, 15, 10, WHITE, 0);

    // An image with alpha blends per pixel.
    Canvas alpha(20, 20);
    g_blendCalls = 0;
    RECT at = { 2, 2, 6, 3 };
    RECT all = { 0, 0, 20, 20 };
    EXPECT_TRUE(CUIRender::DrawImageSpec(alpha.dc(), m_manager, at, all, L"alpha.png", NULL));
    EXPECT_GE(g_blendCalls, 1);
    EXPECT_PIXEL(alpha, 2, 2, RED, 1);
    EXPECT_PIXEL(alpha, 3, 2, 0xFFFF7F7F, 1);
    EXPECT_PIXEL(alpha, 4, 2, WHITE, 1);
    EXPECT_PIXEL(alpha, 5, 2, 0xFFF4E0D6, 1);   // 40 + 204, 20 + 204, 10 + 204
}

}  // namespace

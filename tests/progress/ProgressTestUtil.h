// Helpers of the progress bar and slider tests: probes that read the
// protected paint state, and the image folder of progress_images.py.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "UIButton.h"
#include "UIManager.h"
#include "UIProgress.h"
#include "UISlider.h"
#include "UITestHost.h"

namespace progresstest {

using namespace SkinUI;

const DWORD kRed = 0xFFFF0000;
const DWORD kBlue = 0xFF0000FF;
const DWORD kThumb = 0xFF00A000;
const DWORD kThumbHot = 0xFFFFFF00;
const DWORD kThumbPushed = 0xFFFF00FF;
const DWORD kWhite = 0xFFFFFFFF;

#define EXPECT_PIXEL(canvas, x, y, want)                                                         \
    EXPECT_EQ(testsupport::ColorText((DWORD)(want) & 0x00FFFFFF),                                \
              testsupport::ColorText((canvas).Pixel((x), (y)) & 0x00FFFFFF))                     \
        << "pixel at (" << (x) << "," << (y) << ")"

class ProgressProbe : public CProgressUI
{
public:
    const CUIString& Modifier() const { return m_sForeImageModify; }
    UINT Style() const { return m_uTextStyle; }
};

class SliderProbe : public CSliderUI
{
public:
    UINT State() const { return m_uButtonState; }
    SIZE Thumb() const { return m_szThumb; }
    const CUIString& ThumbModifier() const { return m_sImageModify; }
};

// Sets the resource folder to the progress images for one test.
class ImageFolder
{
public:
    ImageFolder()
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath((testsupport::FixtureDir() + L"progress\\").c_str());
    }
    ~ImageFolder() { CUIManager::ResetResourceState(); }
};

// A host window with a white root holding one float control at a position.
class OneControlWindow
{
public:
    testsupport::UITestHost host{ L"progress host", true };
    testsupport::NotifyRecorder rec{ { L"valuechanged" } };
    CContainerUI* root = nullptr;

    bool Open(CControlUI* control, const wchar_t* pos)
    {
        if (!host.Open(400, 200))
            return false;
        root = new CContainerUI;
        root->SetBackgroundColor(kWhite);
        control->SetFloat(true);
        control->SetAttribute(L"pos", pos);
        root->Add(control);
        host.pm.AttachRoot(root);
        host.pm.AddNotifier(&rec);
        host.Update();
        return true;
    }
};

} // namespace progresstest

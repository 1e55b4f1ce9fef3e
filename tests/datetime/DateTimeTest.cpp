// The date control: its text from the stored date, the picker it opens over
// itself on a click or the focus, the keys and focus moves that end the
// picker (its drop-down calendar included), and the picker's lifetime.
#include "LayoutTestUtil.h"

#include <commctrl.h>

#include "UIDateTime.h"
#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace layouttest;

namespace {

class DateTimeProbe : public CDateTimeUI
{
public:
    void Show(WORD y, WORD m, WORD d, int mode)
    {
        m_sysTime.wYear = y;
        m_sysTime.wMonth = m;
        m_sysTime.wDay = d;
        m_nDTUpdateFlag = mode;
        UpdateText();
    }
    bool PickerOpen() const { return m_pWindow != NULL; }
};

const wchar_t kLayout[] =
    L"<Window><Font name=\"Arial\" size=\"14\" default=\"true\"/>"
    L"<VerticalLayout name=\"top\" bkcolor=\"#FFFFFFFF\">"
    L"<DateTime name=\"dt\" height=\"24\" width=\"160\" bkcolor=\"#FFF0F0F0\"/>"
    L"<Button name=\"other\" height=\"24\"/><Control/></VerticalLayout></Window>";

std::wstring DateText(const SYSTEMTIME& st)
{
    wchar_t buf[32];
    swprintf(buf, 32, L"%4d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
    return buf;
}

SYSTEMTIME Date(WORD y, WORD m, WORD d)
{
    SYSTEMTIME st;
    ZeroMemory(&st, sizeof(st));
    st.wYear = y;
    st.wMonth = m;
    st.wDay = d;
    st.wHour = 12;
    return st;
}

class DateTimeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(win.Build(300, 200, kLayout)) << win.error;
        dt = win.Find<CDateTimeUI>(L"dt");
        ASSERT_NE(nullptr, dt);
    }
    HWND Picker() const { return ::FindWindowExW(win.Hwnd(), NULL, L"DateTimeWnd", NULL); }
    // Opens the picker with a click on the control.
    HWND Open()
    {
        const POINT pt = Center(dt->GetPos());
        win.host.Click(pt.x, pt.y);
        return Picker();
    }
    static SYSTEMTIME PickerDate(HWND picker)
    {
        SYSTEMTIME st;
        ZeroMemory(&st, sizeof(st));
        ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        return st;
    }
    static void SetPickerDate(HWND picker, const SYSTEMTIME& st)
    {
        ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    }
    std::wstring Text() const { return dt->GetText().GetData(); }

    BuiltWindow win;
    CDateTimeUI* dt = nullptr;
};

TEST(DateTimeNames, ClassInterfacesAndTodaysDate)
{
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    CDateTimeUI dt;
    ::GetLocalTime(&after);
    EXPECT_STREQ(L"DateTimeUI", dt.GetClassName());
    EXPECT_EQ(static_cast<void*>(&dt), dt.GetInterface(L"DateTime"));
    EXPECT_EQ(static_cast<void*>(static_cast<CLabelUI*>(&dt)), dt.GetInterface(L"Label"));
    EXPECT_EQ(nullptr, dt.GetInterface(L"Edit"));
    const std::wstring text = dt.GetText().GetData();
    EXPECT_TRUE(text == DateText(before) || text == DateText(after)) << testsupport::Narrow(text);
}

TEST(DateTimeText, TheDateIsShownYearMonthDay)
{
    struct Case
    {
        WORD y, m, d;
        int mode;
        const wchar_t* text;   // expected
    };
    const Case cases[] = {
        { 2026, 1, 5, CDateTimeUI::UpdateShowDate, L"2026-01-05" },
        { 1999, 12, 31, CDateTimeUI::UpdateShowDate, L"1999-12-31" },
        { 999, 3, 7, CDateTimeUI::UpdateShowDate, L" 999-03-07" },
        { 2030, 6, 6, CDateTimeUI::UpdateNone, L" 999-03-07" },
        { 2030, 6, 6, CDateTimeUI::UpdateKeep, L" 999-03-07" },
        { 2030, 6, 6, CDateTimeUI::UpdateClear, L"" },
    };
    DateTimeProbe dt;
    for (const Case& c : cases) {
        dt.Show(c.y, c.m, c.d, c.mode);
        EXPECT_STREQ(c.text, dt.GetText().GetData()) << c.y << " mode " << c.mode;
    }
}

TEST_F(DateTimeTest, AClickOpensThePickerOverTheControlAtItsDate)
{
    const HWND picker = Open();
    ASSERT_NE(nullptr, picker);
    EXPECT_TRUE(::IsWindowVisible(picker));
    EXPECT_EQ(picker, ::GetFocus());
    EXPECT_EQ(win.Hwnd(), ::GetParent(picker));
    RECT rc;
    ::GetWindowRect(picker, &rc);
    ::MapWindowPoints(HWND_DESKTOP, win.Hwnd(), reinterpret_cast<LPPOINT>(&rc), 2);
    EXPECT_RECT(dt->GetPos(), rc);
    EXPECT_EQ(reinterpret_cast<LRESULT>(win.host.pm.GetFont(-1)), ::SendMessageW(picker, WM_GETFONT, 0, 0));
    EXPECT_EQ(Text(), DateText(PickerDate(picker)));
    win.Keep(L"datetime_open", 300, 200);

    // A second click on the control keeps the one picker.
    const POINT pt = Center(dt->GetPos());
    win.host.Press(pt.x, pt.y);
    win.host.Release(pt.x, pt.y);
    testsupport::Drain();
    EXPECT_EQ(nullptr, ::FindWindowExW(win.Hwnd(), picker, L"DateTimeWnd", NULL));
}

TEST_F(DateTimeTest, LosingTheFocusShowsThePickedDateAndCloses)
{
    HWND picker = Open();
    ASSERT_NE(nullptr, picker);
    SetPickerDate(picker, Date(2026, 1, 5));
    ::SetFocus(win.Hwnd());
    EXPECT_EQ(L"2026-01-05", Text());
    testsupport::Drain();
    EXPECT_FALSE(::IsWindow(picker));
    EXPECT_EQ(nullptr, Picker());

    // Opened again, the picker starts at the stored date, not at today.
    picker = Open();
    ASSERT_NE(nullptr, picker);
    EXPECT_EQ(L"2026-01-05", DateText(PickerDate(picker)));

    // A click on another control of the window ends it too.
    SetPickerDate(picker, Date(2027, 2, 3));
    const POINT other = Center(win.Find(L"other")->GetPos());
    win.host.Click(other.x, other.y);
    EXPECT_EQ(L"2027-02-03", Text());
    EXPECT_EQ(nullptr, Picker());
}

TEST_F(DateTimeTest, DeleteAndBackspaceClearTheTextEscapeKeepsIt)
{
    struct Case
    {
        WPARAM key;
        bool keeps;   // the text stays as it was
    };
    const Case cases[] = { { VK_DELETE, false }, { VK_BACK, false }, { VK_ESCAPE, true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        dt->SetText(L"2001-02-03");
        const HWND picker = Open();
        ASSERT_NE(nullptr, picker);
        SetPickerDate(picker, Date(2026, 1, 5));
        ::SendMessageW(picker, WM_KEYUP, c.key, 0);
        EXPECT_EQ(c.keeps ? L"2001-02-03" : L"", Text());
        testsupport::Drain();
        EXPECT_FALSE(::IsWindow(picker));
        // Nor does the focus loss while it closes change the text.
        EXPECT_EQ(c.keeps ? L"2001-02-03" : L"", Text());
        // Away from the control, so that the next click focuses it again.
        win.host.pm.SetFocus(win.Find(L"other"));
    }
}

TEST_F(DateTimeTest, AnEmptyTextStartsThePickerAtTodaysDate)
{
    dt->SetText(L"");
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    const HWND picker = Open();
    ::GetLocalTime(&after);
    ASSERT_NE(nullptr, picker);
    const std::wstring shown = DateText(PickerDate(picker));
    EXPECT_TRUE(shown == DateText(before) || shown == DateText(after)) << testsupport::Narrow(shown);
    ::SetFocus(win.Hwnd());
    EXPECT_EQ(shown, Text());
}

TEST_F(DateTimeTest, TheDropDownCalendarDoesNotEndThePicker)
{
    HWND picker = Open();
    ASSERT_NE(nullptr, picker);
    const std::wstring before = Text();
    RECT rc;
    ::GetClientRect(picker, &rc);
    // The drop-down button at the right end opens the calendar, which
    // takes the focus.
    ::SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right - 6, rc.bottom / 2));
    ::SendMessageW(picker, WM_LBUTTONUP, 0, MAKELPARAM(rc.right - 6, rc.bottom / 2));
    testsupport::Drain();
    const HWND calendar = reinterpret_cast<HWND>(::SendMessageW(picker, DTM_GETMONTHCAL, 0, 0));
    ASSERT_NE(nullptr, calendar);
    ASSERT_TRUE(::IsWindowVisible(calendar));
    EXPECT_EQ(calendar, ::GetFocus());
    EXPECT_TRUE(::IsWindow(picker));
    EXPECT_EQ(before, Text());
    {
        // The calendar is a pop-up of its own: the picture is of the screen.
        testsupport::Canvas shot(320, 260);
        HDC screen = ::GetDC(NULL);
        ::BitBlt(shot.dc(), 0, 0, 320, 260, screen, 0, 0, SRCCOPY);
        ::ReleaseDC(NULL, screen);
        shot.SavePng(testsupport::OutputDir() + L"datetime_calendar.png");
    }

    // A day picked in the calendar becomes the text once the calendar is closed.
    RECT rcCal;
    ::GetClientRect(calendar, &rcCal);
    MCHITTESTINFO hit;
    ZeroMemory(&hit, sizeof(hit));
    hit.cbSize = sizeof(hit);
    hit.pt.x = rcCal.right / 2;
    hit.pt.y = rcCal.bottom * 2 / 3;
    ::SendMessageW(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    ASSERT_EQ((UINT)MCHT_CALENDARDATE, hit.uHit & MCHT_CALENDARDATE);
    ::SendMessageW(calendar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
    ::SendMessageW(calendar, WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, hit.pt.y));
    if (::IsWindow(picker) && ::GetFocus() == picker)
        ::SetFocus(win.Hwnd());   // where the focus returns to the picker, leave it
    testsupport::Drain();
    EXPECT_EQ(DateText(hit.st), Text());
    EXPECT_FALSE(::IsWindow(picker));
}

TEST_F(DateTimeTest, TheFocusLeavingTheOpenCalendarEndsThePicker)
{
    HWND picker = Open();
    ASSERT_NE(nullptr, picker);
    SetPickerDate(picker, Date(2026, 1, 5));
    RECT rc;
    ::GetClientRect(picker, &rc);
    ::SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right - 6, rc.bottom / 2));
    ::SendMessageW(picker, WM_LBUTTONUP, 0, MAKELPARAM(rc.right - 6, rc.bottom / 2));
    testsupport::Drain();
    const HWND calendar = reinterpret_cast<HWND>(::SendMessageW(picker, DTM_GETMONTHCAL, 0, 0));
    ASSERT_NE(nullptr, calendar);
    ASSERT_EQ(calendar, ::GetFocus());

    const POINT other = Center(win.Find(L"other")->GetPos());
    win.host.Click(other.x, other.y);
    EXPECT_EQ(L"2026-01-05", Text());
    EXPECT_FALSE(::IsWindow(picker));
    EXPECT_FALSE(::IsWindow(calendar) && ::IsWindowVisible(calendar));
}

TEST_F(DateTimeTest, DestroyingTheControlClosesItsPickerAtOnce)
{
    const HWND picker = Open();
    ASSERT_NE(nullptr, picker);
    CVerticalLayoutUI* top = win.Find<CVerticalLayoutUI>(L"top");
    top->SetDelayedDestroy(false);
    ASSERT_TRUE(top->Remove(dt));
    dt = nullptr;
    EXPECT_FALSE(::IsWindow(picker));
    testsupport::Drain();   // the picker's posted close finds nothing
    win.host.Update();
}

TEST_F(DateTimeTest, ClosingTheWindowWithThePickerOpenIsClean)
{
    const HWND picker = Open();
    ASSERT_NE(nullptr, picker);
    win.host.Destroy();
    EXPECT_FALSE(::IsWindow(picker));
    testsupport::Drain();
}

TEST_F(DateTimeTest, AWindowSizeWithThePickerOpenEndsIt)
{
    const HWND picker = Open();
    ASSERT_NE(nullptr, picker);
    SetPickerDate(picker, Date(2026, 1, 5));
    ::SendMessageW(win.Hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_EQ(L"2026-01-05", Text());
    testsupport::Drain();
    EXPECT_FALSE(::IsWindow(picker));
}

TEST_F(DateTimeTest, CursorAndDisabledControl)
{
    UIEvent cursor = ctltest::MakeEvent(UIEventSetCursor, Center(dt->GetPos()));
    dt->DispatchEvent(cursor);
    EXPECT_EQ(::LoadCursor(NULL, IDC_IBEAM), ::GetCursor());

    dt->SetEnabled(false);
    dt->DispatchEvent(cursor);
    EXPECT_EQ(::LoadCursor(NULL, IDC_ARROW), ::GetCursor());
    EXPECT_EQ(nullptr, Open());
    UIEvent down = ctltest::MakeEvent(UIEventButtonDown, Center(dt->GetPos()));
    dt->DispatchEvent(down);
    EXPECT_EQ(nullptr, Picker());
}

} // namespace

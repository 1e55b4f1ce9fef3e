// CUIRect and CUISize.
#include "UIBase.h"

#include <gtest/gtest.h>

using SkinUI::CUIRect;
using SkinUI::CUISize;

namespace {

void ExpectRect(const RECT& rc, int l, int t, int r, int b)
{
    EXPECT_EQ(l, rc.left);
    EXPECT_EQ(t, rc.top);
    EXPECT_EQ(r, rc.right);
    EXPECT_EQ(b, rc.bottom);
}

} // namespace

TEST(UIRect, ConstructionAndSize)
{
    ExpectRect(CUIRect(), 0, 0, 0, 0);
    const RECT raw = { -3, 4, 17, 40 };
    const CUIRect r(raw);
    ExpectRect(r, -3, 4, 17, 40);
    EXPECT_EQ(20, r.GetWidth());
    EXPECT_EQ(36, r.GetHeight());
    EXPECT_EQ(-5, CUIRect(10, 10, 5, 0).GetWidth());
    EXPECT_EQ(-10, CUIRect(10, 10, 5, 0).GetHeight());

    // Usable wherever the platform wants a RECT.
    CUIRect a(0, 0, 10, 10), b(5, 5, 20, 20), out;
    EXPECT_TRUE(IntersectRect(&out, &a, &b));
    ExpectRect(out, 5, 5, 10, 10);
}

TEST(UIRect, UnionCountsEmptyRectangles)
{
    struct Case { CUIRect a, b, expected; };
    const Case cases[] = {
        { CUIRect(0, 0, 0, 0), CUIRect(10, 10, 20, 20), CUIRect(0, 0, 20, 20) },
        { CUIRect(10, 10, 20, 20), CUIRect(0, 0, 0, 0), CUIRect(0, 0, 20, 20) },
        { CUIRect(-5, 2, 3, 8), CUIRect(1, -7, 9, 4), CUIRect(-5, -7, 9, 8) },
        { CUIRect(5, 5, 1, 1), CUIRect(2, 2, 3, 3), CUIRect(2, 2, 3, 3) },   // signed, no normalising
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case index " << (&c - cases));
        CUIRect r = c.a;
        r.Union(c.b);
        ExpectRect(r, c.expected.left, c.expected.top, c.expected.right, c.expected.bottom);
    }
}

TEST(UIRect, MoveOffsetDeflate)
{
    CUIRect r(7, -3, 27, 12);
    r.MoveToOrigin();
    ExpectRect(r, 0, 0, 20, 15);
    r.Offset(-4, 6);
    ExpectRect(r, -4, 6, 16, 21);
    r.Deflate(2, 3);
    ExpectRect(r, -2, 9, 14, 18);
    r.Deflate(-1, -1);
    ExpectRect(r, -3, 8, 15, 19);
}

TEST(UISize, Construction)
{
    const CUISize s(12, -4);
    EXPECT_EQ(12, s.cx);
    EXPECT_EQ(-4, s.cy);
    const SIZE& raw = s;
    EXPECT_EQ(12, raw.cx);
    const CUISize zero;
    EXPECT_EQ(0, zero.cx);
    EXPECT_EQ(0, zero.cy);
}

// Colour resolution, font sizes and substitution, and the rectangle helpers.
#include "platform/Graphics.h"
#include "platform/Fonts.h"
#include "platform/Types.h"

#include <QApplication>
#include <QFontInfo>
#include <QPalette>
#include <gtest/gtest.h>

#include <climits>

TEST(Colors, ExplicitAndSystemColoursResolve)
{
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(8454143), 8454143);
    EXPECT_EQ(ColorToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(QColorToColor(QColor(0x12, 0x34, 0x56)), RGBColor(0x12, 0x34, 0x56));
    EXPECT_EQ(ColorToRGB(clNone), clBlack);
    EXPECT_EQ(ColorToRGB(clDefault), clBlack);
    // The test main pins the classic scheme.
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080);
    EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFF);
    EXPECT_EQ(ColorToRGB(clWindowText), 0x000000);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), clBlack);
}

TEST(Colors, UnpinnedSystemColoursFollowThePalette)
{
    UnpinSystemColors();
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(ColorToQColor(clBtnFace).rgb(), palette.color(QPalette::Button).rgb());
    EXPECT_EQ(ColorToQColor(clBtnShadow).rgb(), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(ColorToQColor(clBtnHighlight).rgb(), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(ColorToQColor(clWindowText).rgb(), palette.color(QPalette::WindowText).rgb());
    PinSystemColor(clBtnFace, 0x123456);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0x123456);
    PinClassicSystemColors();
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0);
}

TEST(Fonts, SizeAndHeightAreTiedByTheResolution)
{
    TFont f;
    EXPECT_EQ(f.PixelsPerInch(), 120);
    f.SetSize(8);
    EXPECT_EQ(f.Height(), -13);
    EXPECT_EQ(f.Size(), 8);
    f.SetHeight(-18);
    EXPECT_EQ(f.Size(), 11);
    EXPECT_EQ(f.ToQFont().pixelSize(), 18);
    f.SetPixelsPerInch(96);
    EXPECT_EQ(f.Size(), 14); // 13.5 rounds away from zero
    f.SetSize(14);
    EXPECT_EQ(f.Height(), -19);
    // A positive height is the cell height: the em size is smaller.
    f.SetHeight(30);
    EXPECT_LT(f.ToQFont().pixelSize(), 30);
    EXPECT_GT(f.ToQFont().pixelSize(), 15);
    f.SetHeight(INT_MIN);
    EXPECT_GE(f.ToQFont().pixelSize(), 1);
    f.SetStyle(fsBold | fsUnderline);
    EXPECT_TRUE(f.ToQFont().bold());
    EXPECT_TRUE(f.ToQFont().underline());
    EXPECT_FALSE(f.ToQFont().italic());
    // Grayscale glyphs for small text (never with subpixel colour fringes), monochrome ones
    // for large text.
    f.SetHeight(-13);
    EXPECT_EQ(f.ToQFont().styleStrategy() & QFont::NoAntialias, 0);
    EXPECT_EQ(f.ToQFont().styleStrategy() & QFont::NoSubpixelAntialias, QFont::NoSubpixelAntialias);
    f.SetHeight(-20);
    EXPECT_EQ(f.ToQFont().styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);
}

TEST(Fonts, ChangesNotifyOnce)
{
    TFont f;
    int n = 0;
    f.OnChange = [&](TFont*) { ++n; };
    f.SetColor(clRed);
    f.SetColor(clRed);
    f.SetName("Arial");
    TFont g;
    f.Assign(g);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(f.Name(), "MS Sans Serif");
}

TEST(Fonts, ClassicNamesMapToInstalledFamilies)
{
    InstallFontSubstitutions();
    for (const char* name : {"Arial", "MS Sans Serif"}) {
        const QString family = QFontInfo(QFont(name)).family();
        EXPECT_TRUE(family == "Liberation Sans" || family == "DejaVu Sans")
            << name << " -> " << family.toStdString();
    }
}

TEST(Pens, ExtendedPensKeepTheirShape)
{
    TPen p;
    int n = 0;
    p.OnChange = [&](TPen*) { ++n; };
    p.SetGeometric(clRed, 4, psDash, pecFlat, pjMiter);
    EXPECT_EQ(p.Kind(), pkGeometric);
    EXPECT_EQ(p.Width(), 4);
    EXPECT_EQ(p.EndCap(), pecFlat);
    TPen q;
    q.Assign(p);
    EXPECT_EQ(q.Kind(), pkGeometric);
    EXPECT_EQ(q.Join(), pjMiter);
    p.SetAlternate(clBlue);
    EXPECT_EQ(p.Width(), 1);
    p.SetWidth(-3);
    EXPECT_EQ(p.Width(), 0);
    EXPECT_EQ(n, 3);
}

TEST(Rects, HelpersAndOverflow)
{
    TRect r = Rect(10, 20, 30, 40);
    InflateRect(r, -5, 2);
    EXPECT_EQ(r, Rect(15, 18, 25, 42));
    OffsetRect(r, 1, -1);
    EXPECT_EQ(r, Rect(16, 17, 26, 41));
    EXPECT_TRUE(PtInRect(r, Point(16, 17)));
    EXPECT_FALSE(PtInRect(r, Point(26, 20)));
    EXPECT_FALSE(PtInRect(r, Point(20, 41)));
    TRect i;
    EXPECT_TRUE(IntersectRect(i, r, Rect(0, 0, 20, 20)));
    EXPECT_EQ(i, Rect(16, 17, 20, 20));
    EXPECT_FALSE(IntersectRect(i, r, Rect(0, 0, 16, 100)));
    EXPECT_EQ(i, TRect{});
    EXPECT_EQ(Bounds(1, 2, 3, 4), Rect(1, 2, 4, 6));

    TRect big = Rect(0, 0, INT32_MAX - 1, 10);
    EXPECT_THROW(InflateRect(big, 5, 0), EIntOverflow);
    EXPECT_THROW(OffsetRect(big, 2, 0), EIntOverflow);
    EXPECT_THROW(InflateRect(big, INT32_MIN, 0), EIntOverflow);
    EXPECT_EQ(big, Rect(0, 0, INT32_MAX - 1, 10)); // unchanged after a failure
}

TEST(Rects, MulDivRoundsHalfAwayFromZero)
{
    EXPECT_EQ(MulDiv(8, 120, 72), 13);
    EXPECT_EQ(MulDiv(-18, 72, 96), -14);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(3, -1, 2), -2);
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
    EXPECT_EQ(MulDiv(INT32_MAX, INT32_MAX, 1), -1);
}

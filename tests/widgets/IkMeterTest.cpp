// The analogue meter: the main window's meter pixel for pixel (ticks, labels, needle, caption,
// bevel), the zones of the default scale, the setter rules and the degenerate settings.
#include "widgets/IkMeter.h"
#include "platform/Graphics.h"
#include "tests/support/InstrumentBevel.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TColor ToColor(QRgb rgb)
{
    return RGBColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

TColor FacePixel(const TIkMeter& meter, int x, int y)
{
    return ToColor(meter.OffscreenBitmap().Image().pixel(x, y));
}

// A point on the ellipse around the pivot, worked out independently of the meter: 360 degrees
// points up, coordinates truncated toward zero.
QPoint Ring(long double degrees, long double rx, long double ry, int cx, int cy)
{
    const long double rad = degrees * 3.14159265358979323846L / 180;
    return {static_cast<int>(std::trunc(std::sin(rad) * rx)) + cx,
            cy - static_cast<int>(std::trunc(std::cos(rad) * ry))};
}

bool NeighbourHas(const TIkMeter& meter, QPoint p, TColor color)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((dx != 0 || dy != 0) && FacePixel(meter, p.x() + dx, p.y() + dy) == color)
                return true;
    return false;
}

// A line drawn from start towards end: the first pixel set, the end pixel left out, and the
// line reaching the end's neighbourhood.
void ExpectLine(const TIkMeter& meter, QPoint start, QPoint end, TColor color)
{
    EXPECT_EQ(FacePixel(meter, start.x(), start.y()), color) << start.x() << "," << start.y();
    EXPECT_NE(FacePixel(meter, end.x(), end.y()), color) << end.x() << "," << end.y();
    EXPECT_TRUE(NeighbourHas(meter, end, color)) << end.x() << "," << end.y();
}

// A shown window holding one meter at (0, 0), set up like the main window's meter.
class MeterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PinClassicSystemColors();
        Window.resize(300, 200);
        Meter = new TIkMeter(&Window);
        Meter->BeginLoading();
        Meter->SetBounds(0, 0, 209, 110);
        Meter->SetMinValue(380);
        Meter->SetMaxValue(420);
        Meter->SetPosition(400);
        Meter->Scale().SetColor2(clGreen);
        Meter->Scale().SetColor3(clGreen);
        Meter->Scale().SetPercent1(21);
        Meter->Scale().SetTicks(50);
        Meter->SetLabels(8);
        Meter->SetLabelOffsetX(20);
        Meter->SetNeedleColor(clBlack);
        Meter->SetNeedleWidth(2);
        Meter->SetCaption(QStringLiteral("Mainsvoltage: 400V"));
        Meter->SetColor(clSilver);
        TFont font;
        font.SetName(QStringLiteral("Arial"));
        font.SetHeight(-13);
        font.SetColor(clBlack);
        Meter->SetFont(font);
        TIkBevel bevel;
        MakeInstrumentBevel(bevel);
        Meter->SetBevel(bevel);
        Meter->EndLoading();
        Meter->OnChange = [this](TControl*) { ++Changes; };
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
        Meter->Repaint();
    }
    void TearDown() override { UnpinSystemColors(); }

    // Only the needle on the face: no ticks, no labels, a one-pixel needle.
    void NeedleOnly()
    {
        Meter->Scale().SetVisible(false);
        Meter->SetLabels(0);
        Meter->SetNeedleWidth(1);
    }

    QWidget Window;
    TIkMeter* Meter = nullptr;
    int Changes = 0;
};

} // namespace

TEST_F(MeterTest, WorkedExampleTicks)
{
    EXPECT_EQ(Meter->Radius(), 100);
    EXPECT_EQ(Meter->CenterX(), 104);
    EXPECT_EQ(Meter->CenterY(), 130);
    EXPECT_EQ(Meter->StepAngle(), 2.0L);
    EXPECT_EQ(Meter->ArcPoint(310, 95, 95), Point(32, 69));

    // Keep the needle away from the ticks under test.
    Meter->SetPosition(410);
    ExpectLine(*Meter, {32, 69}, {26, 64}, clGreen);   // tick 0, long
    ExpectLine(*Meter, {34, 67}, {30, 64}, clGreen);   // tick 1
    ExpectLine(*Meter, {104, 35}, {104, 27}, clGreen); // tick 25, long
    ExpectLine(*Meter, {174, 67}, {178, 64}, clGreen); // tick 49
    // Long tick 25 reaches three pixels further than short tick 24 would.
    EXPECT_EQ(FacePixel(*Meter, 104, 28), clGreen);

    Meter->Scale().SetVisible(false);
    EXPECT_EQ(FacePixel(*Meter, 32, 69), clSilver);
    EXPECT_EQ(FacePixel(*Meter, 104, 30), clSilver);
}

TEST_F(MeterTest, WorkedExampleNeedle)
{
    NeedleOnly();
    struct Case
    {
        int32_t Position;
        int32_t Step;
        QPoint End;
    };
    for (const Case& c : {Case{380, 0, {28, 66}}, Case{400, 25, {104, 30}},
                          Case{410, 37, {144, 39}}, Case{420, 50, {180, 66}}}) {
        Meter->SetPosition(c.Position);
        EXPECT_EQ(Meter->NeedleStep(), c.Step) << c.Position;
        EXPECT_EQ(FacePixel(*Meter, c.End.x(), c.End.y()), clSilver) << c.Position;
        EXPECT_TRUE(NeighbourHas(*Meter, c.End, clBlack)) << c.Position;
    }
    // The needle runs from the pivot below the face: at 400 it is the column x = 104.
    Meter->SetPosition(400);
    EXPECT_EQ(FacePixel(*Meter, 104, 31), clBlack);
    EXPECT_EQ(FacePixel(*Meter, 104, 100), clBlack);
    EXPECT_EQ(FacePixel(*Meter, 105, 60), clSilver);
    // The wide needle of the main window still ends at the arc.
    Meter->SetNeedleWidth(2);
    EXPECT_TRUE(NeighbourHas(*Meter, {104, 30}, clBlack));
    EXPECT_EQ(FacePixel(*Meter, 104, 27), clSilver);
}

TEST_F(MeterTest, LabelsAndCaptionPlacement)
{
    // Only text on the face: the ticks hidden, the needle in the face colour.
    Meter->Scale().SetVisible(false);
    Meter->SetNeedleColor(clSilver);

    TBitmap expected(209, 110);
    TCanvas& canvas = expected.Canvas();
    canvas.Brush().SetColor(clSilver);
    canvas.FillRect(Rect(0, 0, 209, 110));
    canvas.SetFont(Meter->Font());
    canvas.Brush().SetStyle(bsClear);
    const auto centred = [&](const QString& text, QPoint centre) {
        const TSize extent = canvas.TextExtent(text);
        canvas.TextOut(centre.x() - extent.cx / 2, centre.y() - extent.cy / 2, text);
    };
    // Labels on every sixth tick (2 degrees each), values 380, 385, ... 420, on the ellipse
    // with radii 123 and 113; the centres of labels 0, 4 and 8 as worked out by hand.
    std::vector<QPoint> centres;
    for (int k = 0; k <= 8; ++k) {
        centres.push_back(Ring(310 + 12 * k, 123, 113, 104, 130));
        centred(QString::number(380 + 5 * k), centres.back());
    }
    EXPECT_EQ(centres[0], QPoint(10, 58));
    EXPECT_EQ(centres[4], QPoint(100, 18));
    EXPECT_EQ(centres[8], QPoint(192, 52));
    const QString caption = QStringLiteral("Mainsvoltage: 400V");
    const TSize extent = canvas.TextExtent(caption);
    canvas.TextOut(104 - extent.cx / 2, 105 - 10 - extent.cy, caption);

    // Inside the 5-pixel bevel the face matches the reference, and some text is drawn.
    int textPixels = 0;
    for (int y = 5; y < 105; ++y) {
        for (int x = 5; x < 204; ++x) {
            const TColor want = ToColor(expected.Image().pixel(x, y));
            ASSERT_EQ(FacePixel(*Meter, x, y), want) << x << "," << y;
            textPixels += GetGValue(want) < 128; // black glyphs, at least half covered
        }
    }
    EXPECT_GT(textPixels, 100);
}

TEST_F(MeterTest, LabelCountEdgeCases)
{
    NeedleOnly();
    Meter->SetNeedleColor(clSilver);
    Meter->SetCaption(QString());
    const auto blackPixels = [&] {
        int count = 0;
        for (int y = 5; y < 105; ++y)
            for (int x = 5; x < 204; ++x)
                count += FacePixel(*Meter, x, y) == clBlack;
        return count;
    };
    EXPECT_EQ(blackPixels(), 0);
    // More labels than ticks: only the first (MinValue) is drawn, at the arc's start.
    Meter->SetLabels(60);
    const int first = blackPixels();
    EXPECT_GT(first, 0);
    for (int y = 5; y < 105; ++y)
        for (int x = 40; x < 204; ++x)
            ASSERT_NE(FacePixel(*Meter, x, y), clBlack) << x << "," << y;
    Meter->SetLabels(1);
    EXPECT_EQ(blackPixels(), first); // the same single label "380"

    // Without labels the caption is still drawn, above the bottom band of the bevel.
    Meter->SetLabels(0);
    Meter->SetCaption(QStringLiteral("Mainsvoltage: 400V"));
    EXPECT_GT(blackPixels(), 0);
    const int captionTop = 105 - 10 - Meter->Canvas().TextExtent(Meter->Caption()).cy;
    for (int y = 5; y < captionTop; ++y)
        for (int x = 5; x < 204; ++x)
            ASSERT_NE(FacePixel(*Meter, x, y), clBlack) << x << "," << y;
}

TEST_F(MeterTest, BevelIsDrawnOverTheBackImage)
{
    TBitmap red(10, 10);
    red.Canvas().Brush().SetColor(clRed);
    red.Canvas().FillRect(Rect(0, 0, 10, 10));
    Meter->SetBackImage(red);
    EXPECT_EQ(FacePixel(*Meter, 30, 20), clRed);
    EXPECT_EQ(FacePixel(*Meter, 0, 50), clBlack); // outer outline
    EXPECT_EQ(FacePixel(*Meter, 1, 50), clWhite); // raised outer ring
    EXPECT_EQ(FacePixel(*Meter, 2, 50), clGray);  // lowered inner ring
    EXPECT_EQ(FacePixel(*Meter, 4, 50), clBlack); // inner band
    EXPECT_EQ(FacePixel(*Meter, 208, 50), clBlack);
    EXPECT_EQ(FacePixel(*Meter, 100, 109), clBlack);
    // The screen shows the face.
    EXPECT_EQ(ToColor(Meter->grab().toImage().pixel(30, 20)), clRed);
}

TEST_F(MeterTest, TransparentMeterShowsTheParent)
{
    QPalette palette = Window.palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 255));
    Window.setPalette(palette);
    Window.setAutoFillBackground(true);
    Meter->SetTransparent(true);
    Meter->Repaint();
    EXPECT_EQ(FacePixel(*Meter, 30, 20), clBlue);
    EXPECT_EQ(FacePixel(*Meter, 0, 50), clBlack);
    Meter->SetTransparent(false);
    EXPECT_EQ(FacePixel(*Meter, 30, 20), clSilver);
}

TEST(IkMeterZones, DefaultScaleColours)
{
    QWidget window;
    window.resize(300, 200);
    auto* meter = new TIkMeter(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // At MaxValue the needle points one step past the last tick, clear of every tick.
    meter->SetPosition(100);
    EXPECT_EQ(meter->NeedleStep(), 61);
    // Inner ends at radius 95 - 5 around (120, 125), 100/61 degrees apart; counting from 1,
    // ticks 1 to 36 are Color1, 37 to 51 Color2, 52 to 61 Color3.
    for (int i = 0; i < 61; ++i) {
        const QPoint p = Ring(310 + i * (100.0L / 61), 90, 90, 120, 125);
        const int j = i + 1;
        const TColor want = j <= 36 ? clGreen : (j <= 51 ? clYellow : clRed);
        EXPECT_EQ(FacePixel(*meter, p.x(), p.y()), want) << "tick " << j;
    }
}

TEST_F(MeterTest, PositionIsClampedAndNotifiesOnChange)
{
    Meter->SetPosition(500);
    EXPECT_EQ(Meter->Position(), 420);
    EXPECT_EQ(Changes, 1);
    Meter->SetPosition(420);
    Meter->SetPosition(999);
    EXPECT_EQ(Changes, 1);
    Meter->SetPosition(0);
    EXPECT_EQ(Meter->Position(), 380);
    EXPECT_EQ(Changes, 2);
}

TEST_F(MeterTest, RangeSettersCheckAndMoveThePosition)
{
    try {
        Meter->SetMinValue(430);
        FAIL() << "no exception";
    } catch (const EIkException& e) {
        EXPECT_STREQ(e.what(), "Value out of range.");
    }
    EXPECT_EQ(Meter->MinValue(), 380);
    EXPECT_THROW(Meter->SetMaxValue(370), EIkException);
    EXPECT_EQ(Meter->MaxValue(), 420);

    Meter->SetMinValue(410);
    EXPECT_EQ(Meter->Position(), 410);
    Meter->SetMaxValue(415);
    Meter->SetMaxValue(412);
    Meter->SetMaxValue(411);
    Meter->SetMaxValue(410);
    EXPECT_EQ(Meter->Position(), 410);
    Meter->SetMinValue(300);
    Meter->SetMaxValue(405);
    EXPECT_EQ(Meter->Position(), 405);
    EXPECT_EQ(Changes, 0);

    // While loading the range rule is skipped.
    Meter->BeginLoading();
    Meter->SetMinValue(500);
    Meter->EndLoading();
    EXPECT_EQ(Meter->MinValue(), 500);
}

TEST_F(MeterTest, ScalePercentRules)
{
    TIkMeterScale& scale = Meter->Scale();
    scale.SetPercent1(60);
    scale.SetPercent2(25);
    scale.SetPercent2(50); // 60 + 50 > 100: ignored
    EXPECT_EQ(scale.Percent2(), 25);
    scale.SetPercent2(40);
    EXPECT_EQ(scale.Percent2(), 40);
    scale.SetPercent1(90); // reduced to 100 - 40
    EXPECT_EQ(scale.Percent1(), 60);
    scale.SetPercent1(10);
    Meter->BeginLoading();
    scale.SetPercent1(90); // kept while loading
    scale.SetPercent2(45); // still ignored
    Meter->EndLoading();
    EXPECT_EQ(scale.Percent1(), 90);
    EXPECT_EQ(scale.Percent2(), 40);

    TIkMeterScale other;
    other.SetTicks(12);
    other.SetColor1(clBlue);
    int notified = 0;
    scale.OnChange = [&](TIkPersistent*) { ++notified; };
    scale.CopyPropertiesFrom(&other);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(scale.Ticks(), 12);
    EXPECT_EQ(scale.Color1(), clBlue);
    TIkBevel bevel;
    EXPECT_THROW(scale.CopyPropertiesFrom(&bevel), EConvertError);

    // A copy takes both zone sizes as they are, whatever the order of the zone rules.
    TIkMeterScale wide;
    wide.SetPercent2(5);
    wide.SetPercent1(90);
    scale.SetPercent1(60);
    scale.SetPercent2(25);
    scale.CopyPropertiesFrom(&wide);
    EXPECT_EQ(scale.Percent1(), 90);
    EXPECT_EQ(scale.Percent2(), 5);
}

// A meter without ticks or with an empty range paints its needle at the start of the arc.
TEST_F(MeterTest, NoTicksOrEmptyRangeRestAtTheMinimumEnd)
{
    NeedleOnly();
    Meter->SetPosition(410);
    for (int32_t ticks : {0, -3}) {
        Meter->Scale().SetTicks(ticks);
        Meter->SetLabels(8);
        EXPECT_EQ(Meter->StepAngle(), 0.0L);
        EXPECT_TRUE(NeighbourHas(*Meter, {28, 66}, clBlack)) << ticks;
        EXPECT_NE(FacePixel(*Meter, 104, 40), clBlack) << ticks;
        Meter->SetLabels(0);
    }
    Meter->Scale().SetTicks(50);
    Meter->SetMinValue(420);
    EXPECT_EQ(Meter->Position(), 420);
    EXPECT_EQ(Meter->NeedleStep(), 0);
    EXPECT_TRUE(NeighbourHas(*Meter, {28, 66}, clBlack));
    EXPECT_FALSE(NeighbourHas(*Meter, {180, 66}, clBlack));
}

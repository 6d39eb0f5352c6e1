// The LED-bar slider: geometry and drawing of the main window's slider, the built-in thumbs,
// dragging, clicking, keys, thumb states, cursor confinement and the degenerate settings.
#include "widgets/IkSlider.h"
#include "platform/Cursors.h"
#include "platform/Graphics.h"
#include "tests/support/InstrumentBevel.h"
#include "widgets/IkSliderThumbs.h"
#include "widgets/IkSystem.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TColor ToColor(QRgb rgb)
{
    return RGBColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

TColor FacePixel(const TIkSlider& slider, int x, int y)
{
    return ToColor(slider.OffscreenBitmap().Image().pixel(x, y));
}

// A shown window holding one slider at (0, 0), set up like the main window's slider.
class SliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PinClassicSystemColors();
        Window.resize(300, 300);
        Slider = new TIkSlider(&Window);
        Slider->BeginLoading();
        Slider->SetBounds(0, 0, 44, 108);
        Slider->SetMinValue(380);
        Slider->SetMaxValue(420);
        Slider->SetPosition(400);
        Slider->Palette().SetLow(clGray);
        Slider->Palette().SetHigh(clLime);
        TIkBevel bevel;
        MakeInstrumentBevel(bevel);
        Slider->SetBevel(bevel);
        Slider->EndLoading();
        Slider->OnChange = [this](TControl*) { Changes.push_back(Slider->Position()); };
        // Shown and active, as the window a user works in.
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
        Slider->Repaint();
    }
    void TearDown() override { UnpinSystemColors(); }

    // The mouse and the keys go to the window, which hands them on by position and by focus,
    // as a user's do; positions are in the slider's coordinates.
    QWindow* Handle() { return Window.windowHandle(); }
    QPoint At(int x, int y) const { return Slider->mapTo(&Window, QPoint(x, y)); }
    void Press(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(Handle(), button, {}, At(x, y));
    }
    void MoveTo(int x, int y) { QTest::mouseMove(Handle(), At(x, y)); }
    void Release(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(Handle(), button, {}, At(x, y));
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(Handle(), key, modifiers);
    }
    // A click on the middle of the thumb: the slider takes the keyboard and stays where it is.
    void ClickThumb()
    {
        const TRect thumb = Slider->ThumbRect();
        const int x = (thumb.Left + thumb.Right) / 2;
        const int y = (thumb.Top + thumb.Bottom) / 2;
        Press(x, y);
        Release(x, y);
        ASSERT_TRUE(Slider->Focused());
    }

    QWidget Window;
    TIkSlider* Slider = nullptr;
    std::vector<int32_t> Changes;
};

// The value a vertical bottom-left slider of the main window's size shows for a thumb top,
// worked out independently of the slider: travel 89 pixels from offset 3, mirrored.
int32_t MainSliderValueAt(int thumbTop)
{
    const int p = 108 - thumbTop - 13;
    return 380 + static_cast<int32_t>(std::nearbyint((p - 3) * 40.0 / 89.0));
}

} // namespace

TEST(IkSliderThumbs, BuiltInImagesFollowThePixelTables)
{
    const QImage hori = IkSliderThumbImage(IKSLIDERTHUMB_HORI);
    ASSERT_EQ(hori.size(), QSize(30, 13));
    EXPECT_EQ(ToColor(hori.pixel(0, 0)), clBlack);
    EXPECT_EQ(ToColor(hori.pixel(1, 1)), clWhite);
    EXPECT_EQ(ToColor(hori.pixel(2, 2)), clSilver);
    EXPECT_EQ(ToColor(hori.pixel(28, 3)), clGray);
    EXPECT_EQ(ToColor(hori.pixel(5, 6)), clBlack);  // groove
    EXPECT_EQ(ToColor(hori.pixel(25, 6)), clGray);  // groove's lower right end
    EXPECT_EQ(ToColor(hori.pixel(10, 8)), clGray);  // groove's lower edge
    EXPECT_EQ(ToColor(hori.pixel(10, 11)), clGray); // bottom edge
    EXPECT_EQ(ToColor(hori.pixel(0, 12)), clBlack); // the transparent colour
    const QImage vert = IkSliderThumbImage(IKSLIDERTHUMB_VERT);
    ASSERT_EQ(vert.size(), QSize(13, 30));
    EXPECT_EQ(ToColor(vert.pixel(4, 4)), clWhite);
    EXPECT_EQ(ToColor(vert.pixel(5, 5)), clBlack);
    EXPECT_EQ(ToColor(vert.pixel(8, 24)), clGray);
    EXPECT_EQ(ToColor(vert.pixel(5, 25)), clGray);
    EXPECT_EQ(ToColor(vert.pixel(1, 28)), clGray);
    EXPECT_TRUE(IkSliderThumbImage("NO_SUCH_THUMB").isNull());
}

TEST_F(SliderTest, MainSliderGeometryAndTrack)
{
    EXPECT_EQ(Slider->GetInnerRect(), Rect(3, 3, 41, 105));
    EXPECT_EQ(Slider->GetOffset(), 3);
    EXPECT_EQ(Slider->GetTravel(), 89);
    EXPECT_EQ(Slider->ThumbRect(), Rect(7, 48, 37, 61));
    EXPECT_EQ(Slider->PositionToPixel(380), 92);
    EXPECT_EQ(Slider->PositionToPixel(420), 3);
    EXPECT_EQ(Slider->PixelToPosition(48), 400);

    // Track 32 x 96 at (6, 6): bars on odd rows, lit in High from row 54 down, Low above.
    // Columns 6 and 37 lie beside the thumb.
    for (int x : {6, 37}) {
        EXPECT_EQ(FacePixel(*Slider, x, 101), clLime) << x;
        EXPECT_EQ(FacePixel(*Slider, x, 55), clLime) << x;
        EXPECT_EQ(FacePixel(*Slider, x, 54), clBlack) << x;
        EXPECT_EQ(FacePixel(*Slider, x, 53), clGray) << x;
        EXPECT_EQ(FacePixel(*Slider, x, 7), clGray) << x;
    }
    EXPECT_EQ(FacePixel(*Slider, 5, 101), clBlack); // the bevel's inner band
    EXPECT_EQ(FacePixel(*Slider, 38, 101), clBlack);
    EXPECT_EQ(FacePixel(*Slider, 3, 50), clGray);   // lowered inner ring: shadow
    EXPECT_EQ(FacePixel(*Slider, 0, 50), clSilver); // border in clBtnFace

    // The thumb is the built-in image, copied unchanged at (7, 48).
    const QImage& thumb = Slider->ThumbBitmap().Image();
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(FacePixel(*Slider, 7 + x, 48 + y), ToColor(thumb.pixel(x, y)))
                << x << "," << y;
    EXPECT_EQ(FacePixel(*Slider, 8, 47), clGray);
    EXPECT_EQ(FacePixel(*Slider, 8, 61), clLime);

    // The screen shows the face.
    const QImage screen = Slider->grab().toImage();
    EXPECT_EQ(ToColor(screen.pixel(8, 49)), clWhite);
    EXPECT_EQ(ToColor(screen.pixel(6, 55)), clLime);
}

TEST_F(SliderTest, TrackGapsTakeTheSliderColour)
{
    Slider->SetColor(clNavy);
    Slider->Repaint();
    EXPECT_EQ(FacePixel(*Slider, 6, 6), clNavy);
    EXPECT_EQ(FacePixel(*Slider, 37, 100), clNavy);
    EXPECT_EQ(FacePixel(*Slider, 6, 101), clLime);
    EXPECT_EQ(FacePixel(*Slider, 6, 5), clBlack);
    EXPECT_EQ(FacePixel(*Slider, 6, 102), clBlack);
}

TEST_F(SliderTest, ThumbAndLitPartFollowThePosition)
{
    // OnChange comes after the repaint: the thumb is already where the new value puts it.
    std::vector<int32_t> thumbTops;
    Slider->OnChange = [&](TControl*) {
        Changes.push_back(Slider->Position());
        thumbTops.push_back(Slider->ThumbRect().Top);
    };
    Slider->SetPosition(380);
    EXPECT_EQ(Slider->ThumbRect().Top, 92);
    EXPECT_EQ(FacePixel(*Slider, 6, 99), clLime);
    EXPECT_EQ(FacePixel(*Slider, 6, 97), clGray);
    Slider->SetPosition(420);
    EXPECT_EQ(Slider->ThumbRect().Top, 3);
    EXPECT_EQ(FacePixel(*Slider, 6, 9), clLime);
    EXPECT_EQ(FacePixel(*Slider, 6, 7), clGray);
    EXPECT_EQ(Changes, (std::vector<int32_t>{380, 420}));
    EXPECT_EQ(thumbTops, (std::vector<int32_t>{92, 3}));
}

TEST_F(SliderTest, CheckerFillMixesBarColourAndGaps)
{
    Slider->SetSolidFill(false);
    Slider->SetSpacing(0);
    // Bars without gaps: the checker alternates High and the slider colour pixel by pixel.
    const TColor a = FacePixel(*Slider, 6, 100);
    const TColor b = FacePixel(*Slider, 7, 100);
    EXPECT_NE(a, b);
    EXPECT_TRUE((a == clLime && b == clBlack) || (a == clBlack && b == clLime));
    // Every bar gets the same pattern strip, so the columns repeat from bar to bar.
    EXPECT_EQ(FacePixel(*Slider, 6, 99), a);
    EXPECT_EQ(FacePixel(*Slider, 7, 99), b);
}

TEST_F(SliderTest, DragPastBothEndsPinsTheThumb)
{
    Press(20, 52, Qt::RightButton);
    EXPECT_FALSE(Slider->Dragging()); // only the left button drags
    Release(20, 52, Qt::RightButton);
    Press(20, 52); // 4 pixels below the thumb's top
    EXPECT_TRUE(Slider->Dragging());
    MoveTo(20, -50);
    EXPECT_EQ(Slider->Position(), 420);
    EXPECT_EQ(Slider->ThumbRect().Top, 3);
    MoveTo(20, 400);
    EXPECT_EQ(Slider->Position(), 380);
    EXPECT_EQ(Slider->ThumbRect().Top, 92);
    Release(20, 400);
    EXPECT_FALSE(Slider->Dragging());
    EXPECT_EQ(Changes, (std::vector<int32_t>{420, 380}));
}

TEST_F(SliderTest, DragFiresOncePerChangedValue)
{
    Press(20, 52);
    std::vector<int32_t> expected;
    int32_t last = 400;
    for (int y = 53; y <= 72; ++y) {
        MoveTo(20, y);
        const int32_t value = MainSliderValueAt(y - 4);
        if (value != last)
            expected.push_back(value);
        last = value;
        EXPECT_EQ(Slider->Position(), value) << y;
    }
    Release(20, 72);
    EXPECT_EQ(Changes, expected);
    // Twenty one-pixel steps cover about nine values: some steps changed nothing.
    EXPECT_LT(expected.size(), 20u);
    EXPECT_GT(expected.size(), 5u);
}

TEST_F(SliderTest, ClickBesideTheThumb)
{
    Press(20, 90);
    Release(20, 90);
    EXPECT_EQ(Slider->Position(), 400);
    Slider->SetOptions(Slider->Options().With(soActiveClick));
    Press(20, 90);
    EXPECT_FALSE(Slider->Dragging());
    Release(20, 90);
    // The thumb's top goes to 90 - 13 div 2 = 84: value 380 + nearest(8 * 40 / 89) = 384.
    EXPECT_EQ(Slider->Position(), 384);
    EXPECT_EQ(Changes, (std::vector<int32_t>{384}));
}

TEST_F(SliderTest, KeysMoveThePositionWithoutModifiers)
{
    ClickThumb();
    Key(Qt::Key_Up);
    EXPECT_EQ(Slider->Position(), 405);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(Slider->Position(), 395);
    Key(Qt::Key_Home);
    EXPECT_EQ(Slider->Position(), 380);
    Key(Qt::Key_End);
    EXPECT_EQ(Slider->Position(), 420);
    EXPECT_EQ(Changes, (std::vector<int32_t>{405, 400, 395, 380, 420}));
    // Left and Right do nothing on a vertical slider; End at the end changes nothing.
    Key(Qt::Key_Left);
    Key(Qt::Key_Right);
    Key(Qt::Key_End);
    EXPECT_EQ(Changes.size(), 5u);

    for (Qt::KeyboardModifier modifier :
         {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        Key(Qt::Key_Down, modifier);
        Key(Qt::Key_Home, modifier);
    }
    EXPECT_EQ(Slider->Position(), 420);
    EXPECT_EQ(Changes.size(), 5u);
}

TEST_F(SliderTest, TopRightStyleMirrorsTheTrackAndTheKeys)
{
    Slider->SetStyle(ssTopRight);
    Slider->SetPosition(380);
    // The minimum is at the top.
    EXPECT_EQ(Slider->ThumbRect().Top, 3);
    ClickThumb();
    Key(Qt::Key_Up);
    EXPECT_EQ(Slider->Position(), 380);
    Key(Qt::Key_Down);
    EXPECT_EQ(Slider->Position(), 385);
    Slider->SetPosition(400);
    // Thumb top 3 + nearest(44.5) = 47: lit from the top down to row 47 + 13 - 6 = 54
    // (exclusive); the bars now start at the top, on even rows.
    EXPECT_EQ(Slider->ThumbRect().Top, 47);
    EXPECT_EQ(FacePixel(*Slider, 6, 6), clLime);
    EXPECT_EQ(FacePixel(*Slider, 6, 7), clBlack);
    EXPECT_EQ(FacePixel(*Slider, 6, 52), clLime);
    EXPECT_EQ(FacePixel(*Slider, 6, 54), clGray);
    EXPECT_EQ(FacePixel(*Slider, 6, 100), clGray);
    // Dragging the thumb to the top gives the minimum.
    Press(20, 50);
    MoveTo(20, -20);
    EXPECT_EQ(Slider->Position(), 380);
    Release(20, -20);
}

TEST_F(SliderTest, HorizontalSliderKeysAndLitPart)
{
    Slider->SetOrientation(voHorizontal);
    EXPECT_EQ(Slider->Width(), 108);
    EXPECT_EQ(Slider->Height(), 44);
    EXPECT_EQ(Slider->ThumbWidth(), 13);
    EXPECT_EQ(Slider->ThumbHeight(), 30);
    // Left edge 3 + nearest(89 * 0.5) = 47; lit from the left up to 47 + 6 = 53.
    EXPECT_EQ(Slider->ThumbRect(), Rect(47, 7, 60, 37));
    EXPECT_EQ(FacePixel(*Slider, 52, 6), clLime);
    EXPECT_EQ(FacePixel(*Slider, 54, 6), clGray);
    ClickThumb();
    Key(Qt::Key_Right);
    EXPECT_EQ(Slider->Position(), 405);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(Slider->Position(), 395);
    Key(Qt::Key_Up);
    EXPECT_EQ(Slider->Position(), 395);
    Slider->SetStyle(ssTopRight);
    Key(Qt::Key_Right);
    EXPECT_EQ(Slider->Position(), 390);
}

TEST_F(SliderTest, HorizontalTopRightLitPartAndDrag)
{
    Slider->SetOrientation(voHorizontal);
    Slider->SetStyle(ssTopRight);
    // Left edge 3 + nearest(44.5) = 47, mirrored 3 + 105 - 47 - 13 = 48; lit from the thumb's
    // right edge less 13 div 2 (55) to the right end. The bars start at the right: odd columns.
    EXPECT_EQ(Slider->ThumbRect(), Rect(48, 7, 61, 37));
    EXPECT_EQ(FacePixel(*Slider, 101, 6), clLime);
    EXPECT_EQ(FacePixel(*Slider, 55, 6), clLime);
    EXPECT_EQ(FacePixel(*Slider, 54, 6), clBlack);
    EXPECT_EQ(FacePixel(*Slider, 53, 6), clGray);
    EXPECT_EQ(FacePixel(*Slider, 7, 6), clGray);
    // Grabbed 4 pixels inside its left edge and moved 10 to the right: left edge 58, value
    // 420 - nearest(55 * 40 / 89) = 395, drawn at 3 + 105 - (3 + nearest(33.375)) - 13 = 59.
    Press(52, 20);
    MoveTo(62, 20);
    Release(62, 20);
    EXPECT_EQ(Slider->Position(), 395);
    EXPECT_EQ(Slider->ThumbRect().Left, 59);
    EXPECT_EQ(Changes, (std::vector<int32_t>{395}));
}

TEST_F(SliderTest, OrientationChangeSwapsSizeAndThumb)
{
    TIkSlider* other = new TIkSlider(&Window);
    other->SetBounds(100, 20, 36, 171);
    other->show();
    other->SetOrientation(voHorizontal);
    EXPECT_EQ(other->BoundsRect(), Rect(100, 20, 271, 56));
    EXPECT_EQ(other->ThumbWidth(), 13);
    EXPECT_EQ(other->ThumbHeight(), 30);
    // Thumb centred across: (36 - 30) div 2.
    EXPECT_EQ(other->ThumbRect().Top, 3);
    other->SetOrientation(voVertical);
    EXPECT_EQ(other->BoundsRect(), Rect(100, 20, 136, 191));
    EXPECT_EQ(other->ThumbWidth(), 30);

    // A square slider keeps its size but redraws its track across the other way.
    other->SetBounds(100, 20, 60, 60);
    other->SetOrientation(voHorizontal);
    EXPECT_EQ(other->BoundsRect(), Rect(100, 20, 160, 80));
    other->Repaint();
    // Vertical bars now (above the thumb): track column 0 lit, column 1 a gap, at any row.
    EXPECT_EQ(FacePixel(*other, 6, 10), clLime);
    EXPECT_EQ(FacePixel(*other, 7, 10), clBlack);
    EXPECT_EQ(FacePixel(*other, 6, 11), clLime);
}

TEST_F(SliderTest, RangeSettersClampThePosition)
{
    Slider->SetPosition(1000);
    EXPECT_EQ(Slider->Position(), 420);
    Slider->SetPosition(-5);
    EXPECT_EQ(Slider->Position(), 380);
    Changes.clear();
    Slider->SetMinValue(390);
    EXPECT_EQ(Slider->Position(), 390);
    EXPECT_EQ(Changes, (std::vector<int32_t>{390}));
    Slider->SetMaxValue(385); // no check against MinValue
    EXPECT_EQ(Slider->MaxValue(), 385);
    EXPECT_EQ(Slider->Position(), 385);
    Slider->SetMinValue(380);
    EXPECT_EQ(Slider->Position(), 385);
    EXPECT_EQ(Changes, (std::vector<int32_t>{390, 385}));
}

TEST_F(SliderTest, InvalidBarAndMarginSettingsAreIgnored)
{
    Slider->SetSpacing(-1);
    Slider->SetTickWidth(0);
    Slider->SetBorderWidth(-2);
    Slider->SetThumbIndent(-3);
    EXPECT_EQ(Slider->Spacing(), 1);
    EXPECT_EQ(Slider->TickWidth(), 1);
    EXPECT_EQ(Slider->BorderWidth(), 1);
    EXPECT_EQ(Slider->ThumbIndent(), 2);
    Slider->SetThumbStates(0);
    EXPECT_EQ(Slider->ThumbStates(), 1);
    Slider->SetThumbStates(9);
    EXPECT_EQ(Slider->ThumbStates(), 4);
}

TEST_F(SliderTest, ThumbStatesPickTheCells)
{
    // Four 10 x 8 cells: red (also the transparent colour), green, blue, yellow.
    TBitmap strip(40, 8);
    const TColor cells[] = {clRed, clGreen, clBlue, clYellow};
    for (int i = 0; i < 4; ++i) {
        strip.Canvas().Brush().SetColor(cells[i]);
        strip.Canvas().FillRect(Bounds(i * 10, 0, 10, 8));
    }
    TIkBitmapList list;
    list.Bitmaps()->Add(strip);
    Slider->SetBitmapList(&list);
    Slider->SetThumbImageIndex(0);
    Slider->SetThumbStates(4);
    ASSERT_EQ(Slider->ThumbWidth(), 10);
    ASSERT_EQ(Slider->ThumbHeight(), 8);
    const auto centre = [&] {
        const TRect r = Slider->ThumbRect();
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
    QPoint c = centre();
    EXPECT_EQ(FacePixel(*Slider, c.x(), c.y()), clRed);

    MoveTo(c.x(), c.y());
    EXPECT_TRUE(Slider->Hot());
    EXPECT_EQ(FacePixel(*Slider, c.x(), c.y()), clYellow);
    Press(c.x(), c.y());
    EXPECT_EQ(FacePixel(*Slider, c.x(), c.y()), clBlue);
    Release(c.x(), c.y());
    MoveTo(2, 2);
    EXPECT_FALSE(Slider->Hot());
    Slider->SetEnabled(false);
    c = centre();
    EXPECT_EQ(FacePixel(*Slider, c.x(), c.y()), clGreen);
    Slider->SetEnabled(true);

    // One state: the whole strip is the thumb, cell 0 always.
    Slider->SetThumbStates(1);
    EXPECT_EQ(Slider->ThumbWidth(), 40);

    // Without soThumbOpaque the red pixels let the track show through.
    Slider->SetThumbStates(4);
    Slider->SetOptions(Slider->Options().Without(soThumbOpaque));
    c = centre();
    EXPECT_NE(FacePixel(*Slider, c.x(), c.y()), clRed);

    // An index beyond the list falls back to the built-in thumb.
    Slider->SetThumbStates(1);
    Slider->SetThumbImageIndex(3);
    EXPECT_EQ(Slider->ThumbWidth(), 30);
    Slider->SetThumbImageIndex(0);
    EXPECT_EQ(Slider->ThumbWidth(), 40);
    // A change of the list reloads the thumb.
    list.Bitmaps()->Clear();
    EXPECT_EQ(Slider->ThumbWidth(), 30);
    list.Bitmaps()->Add(strip);
    EXPECT_EQ(Slider->ThumbWidth(), 40);
    Slider->SetBitmapList(nullptr);
    EXPECT_EQ(Slider->ThumbWidth(), 30);
    EXPECT_EQ(list.LinkCount(), 0);
}

TEST_F(SliderTest, DestroyedBitmapListIsForgotten)
{
    TBitmap big(20, 20);
    auto list = std::make_unique<TIkBitmapList>();
    list->Bitmaps()->Add(big);
    Slider->SetBitmapList(list.get());
    Slider->SetThumbImageIndex(0);
    EXPECT_EQ(Slider->ThumbWidth(), 20);
    list.reset();
    EXPECT_EQ(Slider->BitmapList(), nullptr);
    EXPECT_EQ(Slider->ThumbWidth(), 30);
}

TEST_F(SliderTest, MouseClipConfinesThePointerWhileDragging)
{
    Press(20, 52);
    EXPECT_FALSE(CursorClipRect().has_value());
    Release(20, 52);

    Slider->SetOptions(Slider->Options().With(soMouseClip));
    Press(20, 52);
    const QPoint origin = Slider->mapToGlobal(QPoint(0, 0));
    ASSERT_TRUE(CursorClipRect().has_value());
    EXPECT_EQ(*CursorClipRect(), Bounds(origin.x(), origin.y(), 44, 108));
    Release(20, 52);
    EXPECT_FALSE(CursorClipRect().has_value());
}

TEST_F(SliderTest, HandCursorOverTheThumb)
{
    // The pointer comes from beside the thumb (a move to where it already is reports nothing).
    MoveTo(20, 90);
    EXPECT_NE(Slider->cursor().shape(), Qt::BitmapCursor);
    MoveTo(20, 52);
    EXPECT_EQ(Slider->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(Slider->cursor().hotSpot(), QPoint(10, 5));
    MoveTo(20, 90);
    EXPECT_NE(Slider->cursor().shape(), Qt::BitmapCursor);
    Slider->SetOptions(Slider->Options().Without(soHandPoint));
    MoveTo(20, 52);
    EXPECT_NE(Slider->cursor().shape(), Qt::BitmapCursor);
}

// A click gives the slider the focus and a blue border; a click into an edit field beside it
// takes the focus away, and the border goes back to silver.
TEST_F(SliderTest, BorderShowsTheFocus)
{
    auto* edit = new QLineEdit(&Window);
    edit->setGeometry(100, 100, 80, 24);
    edit->show();
    ClickThumb();
    EXPECT_TRUE(QTest::qWaitFor([&] { return FacePixel(*Slider, 0, 50) == clBlue; }));
    QTest::mouseClick(Handle(), Qt::LeftButton, {}, QPoint(120, 112));
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
    EXPECT_FALSE(Slider->Focused());
    EXPECT_TRUE(QTest::qWaitFor([&] { return FacePixel(*Slider, 0, 50) == clSilver; }));
    EXPECT_EQ(FacePixel(*Slider, 0, 50), clSilver);
}

// Out of the Tab order, a left click still takes the focus; other buttons do not.
TEST_F(SliderTest, ALeftClickTakesTheFocusOutsideTheTabOrder)
{
    ASSERT_FALSE(Slider->TabStop());
    Press(20, 90, Qt::RightButton);
    Release(20, 90, Qt::RightButton);
    EXPECT_FALSE(Slider->Focused());
    Press(20, 90);
    Release(20, 90);
    EXPECT_TRUE(Slider->Focused());
    EXPECT_EQ(Slider->focusPolicy(), Qt::NoFocus);
}

// A slider whose range is empty or whose thumb has no room to travel keeps the thumb at the
// minimum end and sets the minimum on any input.
TEST_F(SliderTest, EmptyRangeRestsAtTheMinimumEnd)
{
    Slider->SetMaxValue(380);
    EXPECT_EQ(Slider->Position(), 380);
    EXPECT_EQ(Slider->ThumbRect().Top, 92);
    Press(20, 95);
    MoveTo(20, 10);
    MoveTo(20, 60);
    Release(20, 60);
    EXPECT_EQ(Slider->Position(), 380);
    EXPECT_EQ(Slider->PixelToPosition(40), 380);
    Slider->SetOptions(Slider->Options().With(soActiveClick));
    Press(20, 10);
    Release(20, 10);
    EXPECT_EQ(Slider->Position(), 380);
    Key(Qt::Key_Up);
    EXPECT_EQ(Slider->Position(), 380);
}

TEST_F(SliderTest, NoTravelRestsAtTheMinimumEnd)
{
    Slider->SetOptions(Slider->Options().With(soActiveClick));
    // Inner height 19 - 6 = 13: travel 0; then 18: travel -1.
    for (int height : {19, 18}) {
        Slider->SetBounds(0, 0, 44, height);
        Slider->SetPosition(410);
        EXPECT_LE(Slider->GetTravel(), 0);
        const TRect inner = Slider->GetInnerRect();
        EXPECT_EQ(Slider->ThumbRect().Bottom, inner.Bottom) << height;
        Press(20, Slider->ThumbRect().Top + 1);
        MoveTo(20, 0);
        Release(20, 0);
        EXPECT_EQ(Slider->Position(), 380) << height;
        Slider->SetPosition(410);
        Press(2, 1);
        Release(2, 1);
        EXPECT_EQ(Slider->Position(), 380) << height;
    }
    // Horizontal, narrower than its thumb.
    Slider->SetOrientation(voHorizontal);
    Slider->SetBounds(0, 0, 10, 44);
    Slider->SetPosition(420);
    EXPECT_LT(Slider->GetTravel(), 0);
    EXPECT_EQ(Slider->ThumbRect().Left, Slider->GetOffset());
    Press(5, 20);
    MoveTo(300, 20);
    Release(300, 20);
    EXPECT_EQ(Slider->Position(), 380);
}

// The widget library's base: frame drawing, bevel, palette, bitmap list stream, shared
// components, control bases and the hand cursor.
#include "platform/Bitmap.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"
#include "tests/support/InstrumentBevel.h"
#include "widgets/IkClasses.h"
#include "widgets/IkControls.h"
#include "widgets/IkGraphics.h"
#include "widgets/IkSystem.h"

#include <QBitmap>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr TColor Marker = 0x123456;
constexpr TColor White = 0xFFFFFF;
constexpr TColor Gray = 0x808080;

// The test main pins the classic system colours: clBtnHighlight white, clBtnShadow grey.
class IkBase : public ::testing::Test
{
protected:
    // A bitmap filled with a colour no frame uses.
    static TBitmap MarkedBitmap(int w, int h)
    {
        TBitmap bitmap(w, h);
        bitmap.Canvas().Brush().SetColor(Marker);
        bitmap.Canvas().FillRect(Rect(0, 0, w, h));
        return bitmap;
    }
    static TColor At(TBitmap& bitmap, int x, int y) { return bitmap.Canvas().Pixel(x, y); }
};

// ---- Draw3DFrame, PercentOf, CheckerBitmap, BitmapBounds -----------------------------------

TEST_F(IkBase, Draw3DFrameOfWidthTwoDrawsTwoNestedFramesAndShrinksTheRect)
{
    TBitmap bitmap = MarkedBitmap(10, 8);
    TRect r = Rect(0, 0, 10, 8);
    Draw3DFrame(bitmap.Canvas(), r, clRed, clBlue, 2);
    EXPECT_EQ(r, Rect(2, 2, 8, 6));
    for (int ring = 0; ring < 2; ++ring) {
        const int left = ring, top = ring, right = 9 - ring, bottom = 7 - ring;
        // Top and left light; the top-right and bottom-left corners belong to the dark edge.
        EXPECT_EQ(At(bitmap, left, top), clRed) << ring;
        EXPECT_EQ(At(bitmap, right - 1, top), clRed) << ring;
        EXPECT_EQ(At(bitmap, left, bottom - 1), clRed) << ring;
        EXPECT_EQ(At(bitmap, right, top), clBlue) << ring;
        EXPECT_EQ(At(bitmap, right, bottom), clBlue) << ring;
        EXPECT_EQ(At(bitmap, left, bottom), clBlue) << ring;
    }
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 8; ++x)
            EXPECT_EQ(At(bitmap, x, y), Marker) << x << "," << y;
}

TEST_F(IkBase, Draw3DFrameOfWidthZeroOrLessDrawsNothing)
{
    TBitmap bitmap = MarkedBitmap(6, 6);
    for (int width : {0, -3}) {
        TRect r = Rect(0, 0, 6, 6);
        Draw3DFrame(bitmap.Canvas(), r, clRed, clBlue, width);
        EXPECT_EQ(r, Rect(0, 0, 6, 6));
    }
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(At(bitmap, x, y), Marker);
}

TEST_F(IkBase, Draw3DFrameWiderThanTheRectFillsItAndStillShrinksByTheWidth)
{
    TBitmap bitmap = MarkedBitmap(4, 4);
    TRect r = Rect(0, 0, 4, 4);
    Draw3DFrame(bitmap.Canvas(), r, clRed, clBlue, 1000000000);
    EXPECT_EQ(r, Rect(1000000000, 1000000000, 4 - 1000000000, 4 - 1000000000));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_NE(At(bitmap, x, y), Marker);

    TRect edge = Rect(INT32_MAX - 4, 0, INT32_MAX, 4);
    EXPECT_THROW(Draw3DFrame(bitmap.Canvas(), edge, clRed, clBlue, 10), EIntOverflow);
}

TEST_F(IkBase, Draw3DFrameWiderThanTheRectKeepsDrawingItsCrossedFramesAroundIt)
{
    // Frames past the middle cross over and land outside the rect, still on the canvas.
    TBitmap bitmap = MarkedBitmap(8, 8);
    TRect r = Rect(3, 3, 5, 5);
    Draw3DFrame(bitmap.Canvas(), r, clRed, clBlue, 3);
    EXPECT_EQ(r, Rect(6, 6, 2, 2));
    const char* expected[] = {"........", "........", "..BB.R..", "..BRRR..",
                              "..BBRR..", "..BRRR..", "........", "........"};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const char c = expected[y][x];
            EXPECT_EQ(At(bitmap, x, y), c == 'R'   ? clRed
                                        : c == 'B' ? clBlue
                                                   : Marker)
                << x << "," << y;
        }
}

TEST(IkGraphics, PercentOfTruncatesAndRejectsResultsBeyond32Bits)
{
    EXPECT_EQ(PercentOf(21, 50), 10);
    EXPECT_EQ(PercentOf(25, 50), 12);
    EXPECT_EQ(PercentOf(60, 61), 36);
    EXPECT_EQ(PercentOf(-25, 50), -12);
    EXPECT_THROW(PercentOf(1000, INT32_MAX), EIkException);
}

TEST_F(IkBase, CheckerBitmapSetsPixelsWhoseCoordinatesHaveEqualParity)
{
    auto bitmap = CheckerBitmap(clLime, clBlack);
    ASSERT_EQ(BitmapBounds(*bitmap), Rect(0, 0, 8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(At(*bitmap, x, y), (x % 2 == y % 2) ? clLime : clBlack) << x << "," << y;
}

// ---- TIkBevel -------------------------------------------------------------------------------

TEST_F(IkBase, InstrumentBevelIsFivePixelsOnEverySide)
{
    TIkBevel bevel;
    MakeInstrumentBevel(bevel);
    TBitmap bitmap = MarkedBitmap(20, 16);
    TRect r = Rect(0, 0, 20, 16);
    bevel.Paint(bitmap.Canvas(), r);
    EXPECT_EQ(r, Rect(5, 5, 15, 11));
    TRect area = Rect(0, 0, 20, 16);
    bevel.GetVisibleArea(area);
    EXPECT_EQ(area, r);

    // Outside in: black outline, raised ring, lowered ring of two, black inner space.
    const TColor leftTop[] = {clBlack, White, Gray, Gray, clBlack, Marker};
    const TColor rightBottom[] = {clBlack, Gray, White, White, clBlack, Marker};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(At(bitmap, i, 8), leftTop[i]) << "left " << i;
        EXPECT_EQ(At(bitmap, 10, i), leftTop[i]) << "top " << i;
        EXPECT_EQ(At(bitmap, 19 - i, 8), rightBottom[i]) << "right " << i;
        EXPECT_EQ(At(bitmap, 10, 15 - i), rightBottom[i]) << "bottom " << i;
    }
}

TEST_F(IkBase, OutlinePlacesAndBorderWidthTakePixelsAsPainted)
{
    TIkBevel bevel;
    bevel.SetInnerStyle(bsNone);
    bevel.SetInnerSpace(0);
    bevel.SetOuterOutline(osInner);
    bevel.SetOuterSpace(1);
    bevel.SetOuterColor(clRed);
    bevel.SetBorderWidth(1);
    bevel.SetBorderColor(clBlue);
    TBitmap bitmap = MarkedBitmap(12, 12);
    TRect r = Rect(0, 0, 12, 12);
    bevel.Paint(bitmap.Canvas(), r);
    EXPECT_EQ(r, Rect(4, 4, 8, 8));
    // Border, raised ring, then the outline between the ring and the outer space.
    const TColor expected[] = {clBlue, White, clBlack, clRed, Marker};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(At(bitmap, i, 6), expected[i]) << i;

    bevel.SetOuterOutline(osNone);
    TRect area = Rect(0, 0, 12, 12);
    bevel.GetVisibleArea(area);
    EXPECT_EQ(area, Rect(3, 3, 9, 9));
}

TEST_F(IkBase, InvisibleBevelDrawsAndTakesNothing)
{
    TIkBevel bevel;
    MakeInstrumentBevel(bevel);
    bevel.SetVisible(false);
    TBitmap bitmap = MarkedBitmap(12, 12);
    TRect r = Rect(0, 0, 12, 12);
    bevel.Paint(bitmap.Canvas(), r);
    bevel.GetVisibleArea(r);
    EXPECT_EQ(r, Rect(0, 0, 12, 12));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(At(bitmap, x, y), Marker);
}

TEST(IkBevel, FrameWiderThan32BitsRaisesOverflow)
{
    TIkBevel bevel;
    bevel.SetBorderWidth(INT32_MAX);
    TRect r = Rect(0, 0, 10, 10);
    EXPECT_THROW(bevel.GetVisibleArea(r), EIntOverflow);
    bevel.SetBorderWidth(-5); // below the range: clamped to 0
    EXPECT_EQ(bevel.BorderWidth(), 0);
    bevel.SetInnerWidth(0);
    EXPECT_EQ(bevel.InnerWidth(), 1);
}

TEST(IkBevel, NotifiesOncePerChangeOncePerCopyAndNeverForEqualValues)
{
    TIkBevel bevel;
    int notified = 0;
    bevel.OnChange = [&](TIkPersistent* sender) {
        EXPECT_EQ(sender, &bevel);
        ++notified;
    };
    bevel.SetInnerStyle(bsLowered); // the default already
    bevel.SetOuterSpace(0);
    EXPECT_EQ(notified, 0);

    bevel.SetInnerWidth(2);
    bevel.SetInnerSpace(3);
    bevel.SetInnerColor(clBlack);
    EXPECT_EQ(notified, 3);

    TIkBevel source;
    source.SetInnerWidth(4);
    source.SetOuterStyle(bsLowered);
    source.SetVisible(false);
    notified = 0;
    bevel.CopyPropertiesFrom(&source);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(bevel.InnerWidth(), 4);
    EXPECT_EQ(bevel.InnerSpace(), 1);
    EXPECT_EQ(bevel.InnerColor(), clBtnFace);
    EXPECT_EQ(bevel.OuterStyle(), bsLowered);
    EXPECT_FALSE(bevel.Visible());
    EXPECT_EQ(bevel.UpdateCount(), 0);

    TIkPalette palette;
    EXPECT_THROW(bevel.CopyPropertiesFrom(&palette), EConvertError);
    EXPECT_THROW(bevel.CopyPropertiesFrom(nullptr), EConvertError);
    EXPECT_EQ(notified, 1);
}

// ---- TIkPalette -----------------------------------------------------------------------------

TEST(IkPalette, ColorAtGivesLowUpToZeroAndHighAbove)
{
    TIkPalette palette;
    EXPECT_EQ(palette.Low(), 32768);
    EXPECT_EQ(palette.High(), 65280);
    palette.SetLow(clRed);
    EXPECT_EQ(palette.ColorAt(-1), clRed);
    EXPECT_EQ(palette.ColorAt(0), clRed);
    EXPECT_EQ(palette.ColorAt(1), clLime);
    EXPECT_EQ(palette.ColorAt(7), clLime);

    TIkPalette copy;
    int notified = 0;
    copy.OnChange = [&](TIkPersistent*) { ++notified; };
    copy.CopyPropertiesFrom(&palette);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(copy.Low(), clRed);
}

// ---- TIkBitmaps and its stream --------------------------------------------------------------

TBitmap Filled(int w, int h, TColor color)
{
    TBitmap bitmap(w, h);
    bitmap.Canvas().Brush().SetColor(color);
    bitmap.Canvas().FillRect(Rect(0, 0, w, h));
    return bitmap;
}

class IkBitmapsStream : public IkBase
{
protected:
    void SetUp() override
    {
        IkBase::SetUp();
        source.Add(Filled(3, 2, clRed));
        source.Add(Filled(1, 5, clLime));
        source.Add(Filled(4, 4, clBlue));
        source.WriteToStream(stream);
    }
    static int32_t Int32At(const TMemoryStream& s, size_t offset)
    {
        const uint8_t* p = s.Memory() + offset;
        return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24);
    }

    TIkBitmaps source;
    TMemoryStream stream;
};

TEST_F(IkBitmapsStream, RoundTripKeepsOrderSizesAndPixels)
{
    ASSERT_GE(stream.Size(), 8);
    EXPECT_EQ(stream.Bytes()[0], 0x62);
    EXPECT_EQ(stream.Bytes()[1], 0x54);
    EXPECT_EQ(stream.Bytes()[2], 0x35);
    EXPECT_EQ(stream.Bytes()[3], 0x00);
    EXPECT_EQ(Int32At(stream, 4), 3);

    TIkBitmaps loaded;
    loaded.Add(Filled(2, 2, clYellow)); // reading appends
    stream.SetPosition(0);
    loaded.ReadFromStream(stream);
    ASSERT_EQ(loaded.Count(), 4);
    EXPECT_EQ(loaded.Items(1)->Width(), 3);
    EXPECT_EQ(loaded.Items(1)->Height(), 2);
    EXPECT_EQ(At(*loaded.Items(1), 2, 1), clRed);
    EXPECT_EQ(At(*loaded.Items(2), 0, 4), clLime);
    EXPECT_EQ(At(*loaded.Items(3), 3, 3), clBlue);
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST_F(IkBitmapsStream, EmptyListStoresNothingAndStoredDataReplacesTheList)
{
    TIkBitmaps target;
    EXPECT_FALSE(target.HasStoredData());
    TMemoryStream empty;
    target.WriteToStream(empty);
    EXPECT_EQ(empty.Size(), 8);
    empty.SetPosition(0);
    target.ReadFromStream(empty);
    EXPECT_EQ(target.Count(), 0);

    target.Add(Filled(2, 2, clYellow));
    int notified = 0;
    target.OnChange = [&](TIkPersistent*) { ++notified; };
    stream.SetPosition(0);
    target.ReadData(stream);
    EXPECT_EQ(target.Count(), 3);
    EXPECT_EQ(notified, 1);
}

TEST_F(IkBitmapsStream, WrongSignatureFailsBeforeAnythingIsAdded)
{
    std::vector<uint8_t> bytes = stream.Bytes();
    bytes[2] = 0x36;
    TMemoryStream bad(bytes);
    TIkBitmaps loaded;
    loaded.Add(Filled(2, 2, clYellow));
    try {
        loaded.ReadFromStream(bad);
        FAIL() << "no exception";
    } catch (const EIkException& e) {
        EXPECT_STREQ(e.what(), "Invalid file format");
    }
    EXPECT_EQ(loaded.Count(), 1);

    TMemoryStream tooShort(std::vector<uint8_t>{0x62, 0x54});
    EXPECT_THROW(loaded.ReadFromStream(tooShort), EIkException);
    EXPECT_EQ(loaded.Count(), 1);
}

TEST_F(IkBitmapsStream, TruncatedStreamKeepsTheBitmapsReadSoFar)
{
    std::vector<uint8_t> bytes = stream.Bytes();
    bytes.resize(bytes.size() - 10); // into the third bitmap
    TMemoryStream truncated(bytes);
    TIkBitmaps loaded;
    EXPECT_THROW(loaded.ReadFromStream(truncated), EReadError);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(At(*loaded.Items(1), 0, 0), clLime);
}

TEST_F(IkBitmapsStream, NegativeOrAbsurdCountsAndOversizedBitmapsRaise)
{
    std::vector<uint8_t> bytes = stream.Bytes();
    bytes[4] = 0xFF, bytes[5] = 0xFF, bytes[6] = 0xFF, bytes[7] = 0xFF; // count -1
    TMemoryStream negative(bytes);
    TIkBitmaps loaded;
    EXPECT_THROW(loaded.ReadFromStream(negative), EReadError);
    EXPECT_EQ(loaded.Count(), 0);

    bytes[4] = 0xFF, bytes[5] = 0xFF, bytes[6] = 0xFF, bytes[7] = 0x7F; // count 2147483647
    TMemoryStream absurd(bytes);
    EXPECT_THROW(loaded.ReadFromStream(absurd), EReadError);
    EXPECT_EQ(loaded.Count(), 3);

    // The first bitmap claims more bytes than the stream holds.
    bytes[4] = 1, bytes[5] = 0, bytes[6] = 0, bytes[7] = 0;
    bytes[8] = 0xFF, bytes[9] = 0xFF, bytes[10] = 0xFF, bytes[11] = 0x7F;
    TMemoryStream oversized(bytes);
    TIkBitmaps other;
    EXPECT_THROW(other.ReadFromStream(oversized), EReadError);
    EXPECT_EQ(other.Count(), 0);
}

TEST_F(IkBitmapsStream, FilesRoundTripAndAFailedReadLeavesTheLockBalanced)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("list.bin");
    source.WriteToFile(name);

    TIkBitmaps loaded;
    int notified = 0;
    loaded.OnChange = [&](TIkPersistent*) { ++notified; };
    loaded.ReadFromFile(name);
    EXPECT_EQ(loaded.Count(), 3);
    EXPECT_EQ(notified, 1);

    TMemoryStream truncated(std::vector<uint8_t>(stream.Bytes().begin(), stream.Bytes().end() - 4));
    const QString cut = dir.filePath("cut.bin");
    {
        TFileStream file(cut, fmCreate);
        file.WriteBuffer(truncated.Memory(), truncated.Size());
    }
    notified = 0;
    EXPECT_THROW(loaded.ReadFromFile(cut), EReadError);
    EXPECT_EQ(loaded.Count(), 5);
    EXPECT_EQ(loaded.UpdateCount(), 0);
    EXPECT_EQ(notified, 1);
    EXPECT_THROW(loaded.ReadFromFile(dir.filePath("missing.bin")), EStreamError);
}

TEST_F(IkBitmapsStream, CopyPropertiesFromCopiesBitmapsAndNilClears)
{
    TIkBitmaps copy;
    int notified = 0;
    copy.OnChange = [&](TIkPersistent*) { ++notified; };
    copy.CopyPropertiesFrom(&source);
    EXPECT_EQ(notified, 1);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_NE(copy.Items(0), source.Items(0));
    EXPECT_EQ(At(*copy.Items(0), 0, 0), clRed);
    copy.CopyPropertiesFrom(nullptr);
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_THROW(copy.Items(0), EIkException);
    EXPECT_THROW(source.Items(-1), EIkException);
    TIkBevel bevel;
    EXPECT_THROW(copy.CopyPropertiesFrom(&bevel), EConvertError);
}

// ---- Shared components ----------------------------------------------------------------------

TEST_F(IkBase, BitmapListNotifiesLinksInOrderThenItsOwnEvent)
{
    auto list = std::make_unique<TIkBitmapList>();
    TIkChangeLink first, second;
    std::vector<std::string> calls;
    first.OnChange = [&](TIkSharedComponent* sender) {
        EXPECT_EQ(sender, list.get());
        calls.push_back("first");
    };
    second.OnChange = [&](TIkSharedComponent*) { calls.push_back("second"); };
    list->OnChange = [&](TIkBitmapList*) { calls.push_back("list"); };
    list->InsertLink(&first);
    list->InsertLink(&second);
    EXPECT_EQ(first.Sender(), list.get());

    list->Bitmaps()->Add(Filled(2, 2, clRed));
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second", "list"}));
    EXPECT_NE(list->GetBitmap(0), nullptr);
    EXPECT_EQ(list->GetBitmap(0), list->Bitmaps()->Items(0));
    EXPECT_EQ(list->GetBitmap(1), nullptr);
    EXPECT_EQ(list->GetBitmap(-1), nullptr);

    list->RemoveLink(&first);
    EXPECT_EQ(first.Sender(), nullptr);
    calls.clear();
    TIkBitmaps other;
    other.Add(Filled(1, 1, clLime));
    other.Add(Filled(1, 1, clBlue));
    list->SetBitmaps(other);
    EXPECT_EQ(calls, (std::vector<std::string>{"second", "list"}));
    EXPECT_EQ(list->Bitmaps()->Count(), 2);
}

TEST(IkSharedComponent, LinksAndComponentsUnregisterEachOtherWhenDestroyed)
{
    auto list = std::make_unique<TIkBitmapList>();
    {
        TIkChangeLink shortLived;
        list->InsertLink(&shortLived);
        EXPECT_EQ(list->LinkCount(), 1);
    }
    EXPECT_EQ(list->LinkCount(), 0);

    TIkChangeLink a, b;
    std::vector<TIkChangeLink*> gone;
    a.OnSenderDestroyed = [&](TIkSharedComponent*) { gone.push_back(&a); };
    b.OnSenderDestroyed = [&](TIkSharedComponent*) { gone.push_back(&b); };
    list->InsertLink(&a);
    list->InsertLink(&b);
    list.reset();
    EXPECT_EQ(gone, (std::vector<TIkChangeLink*>{&b, &a}));
    EXPECT_EQ(a.Sender(), nullptr);
    EXPECT_EQ(b.Sender(), nullptr);
}

// ---- Control bases --------------------------------------------------------------------------

// Paints a red square on a Color face, counting paints.
class SquareControl : public TIkCustomImageControl
{
public:
    using TIkCustomImageControl::TIkCustomImageControl;
    int Paints = 0;

protected:
    void Paint() override
    {
        ++Paints;
        ClearBitmapCanvas();
        BitmapCanvas().Brush().SetColor(clRed);
        BitmapCanvas().FillRect(Rect(2, 2, 6, 6));
        TIkCustomImageControl::Paint();
    }
};

TEST_F(IkBase, ImageControlCopiesItsFaceAndRepaintsAtOnceUnlessLoading)
{
    SquareControl control;
    control.SetBounds(0, 0, 10, 10);
    control.SetColor(clAqua);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    const QImage face = control.grab().toImage();
    EXPECT_EQ(QColorToColor(face.pixelColor(0, 0)), clAqua);
    EXPECT_EQ(QColorToColor(face.pixelColor(3, 3)), clRed);
    EXPECT_EQ(QColorToColor(face.pixelColor(9, 9)), clAqua);

    const int before = control.Paints;
    control.UpdateControlCanvas();
    EXPECT_EQ(control.Paints, before + 1);
    control.BeginLoading();
    control.UpdateControlCanvas();
    EXPECT_EQ(control.Paints, before + 1);
    control.EndLoading();
    EXPECT_EQ(control.Version(), "1.3");
}

TEST_F(IkBase, ControlCallbacksFollowTheRuntimeNotifications)
{
    SquareControl control;
    int text = 0, font = 0;
    control.OnTextChanged = [&](TControl* sender) {
        EXPECT_EQ(sender, &control);
        ++text;
    };
    control.OnFontChanged = [&](TControl*) { ++font; };
    control.SetCaption("A");
    control.SetCaption("A");
    control.Font().SetHeight(-20);
    EXPECT_EQ(text, 1);
    EXPECT_EQ(font, 1);
}

class SeeThroughControl : public TIkGraphicImageControl
{
public:
    using TIkGraphicImageControl::TIkGraphicImageControl;

protected:
    void Paint() override
    {
        ClearBitmapCanvas();
        BitmapCanvas().Brush().SetColor(clRed);
        BitmapCanvas().FillRect(Rect(0, 0, 2, 2));
        TIkGraphicImageControl::Paint();
    }
};

TEST_F(IkBase, TransparentGraphicControlShowsAndReusesTheParentsDrawing)
{
    QWidget parent;
    parent.resize(40, 40);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 255));
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    auto* control = new SeeThroughControl(&parent);
    control->SetBounds(10, 10, 8, 8);
    control->SetColor(clYellow);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

    QImage face = control->grab().toImage();
    EXPECT_EQ(QColorToColor(face.pixelColor(5, 5)), clYellow);

    control->SetTransparent(true);
    face = control->grab().toImage();
    EXPECT_EQ(QColorToColor(face.pixelColor(5, 5)), clBlue);
    EXPECT_EQ(QColorToColor(face.pixelColor(1, 1)), clRed);
    EXPECT_FALSE(control->Opaque()); // the parent draws beneath before the next paint
    ASSERT_FALSE(control->BackgroundBitmap().Empty());

    // The control's own repaint reuses the grabbed background, so a change of the parent is
    // not seen until the parent repaints.
    palette.setColor(QPalette::Window, QColor(0, 255, 0));
    parent.setPalette(palette);
    control->UpdateControlCanvas();
    EXPECT_EQ(control->OffscreenBitmap().Canvas().Pixel(5, 5), clBlue);
    face = control->grab().toImage();
    EXPECT_EQ(QColorToColor(face.pixelColor(5, 5)), clLime);

    control->SetTransparent(false);
    EXPECT_TRUE(control->Opaque());
    EXPECT_EQ(control->OffscreenBitmap().Canvas().Pixel(5, 5), clYellow);
}

// ---- Hand cursor ----------------------------------------------------------------------------

TEST(IkHandCursor, IsStoredAtSlot99WithItsHotSpotAndShape)
{
    IkInitialize();
    ASSERT_TRUE(Screen().HasCursor(crIkHandPoint));
    const QCursor cursor = Screen().Cursors(crIkHandPoint);
    EXPECT_EQ(cursor.hotSpot(), QPoint(10, 5));
    const QImage bits = cursor.bitmap().toImage();
    const QImage mask = cursor.mask().toImage();
    ASSERT_EQ(mask.size(), QSize(32, 32));

    // Rows of the drawn part, columns 3 to 21.
    const std::pair<int, const char*> rows[] = {{4, ".......KK.........."},
                                                {12, "......KWWKWWKWWKK.."},
                                                {16, "KWWWKKKWWWWWKWWKWWK"},
                                                {26, ".......KKKKKKKKK..."}};
    auto set = [](const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    for (const auto& [y, row] : rows) {
        for (int i = 0; i < 19; ++i) {
            const char c = row[i];
            EXPECT_EQ(set(mask, 3 + i, y), c != '.') << y << "," << 3 + i;
            if (c != '.') {
                EXPECT_EQ(set(bits, 3 + i, y), c == 'K') << y << "," << 3 + i;
            }
        }
    }
    for (int y : {0, 3, 27, 31})
        for (int x = 0; x < 32; ++x)
            EXPECT_FALSE(set(mask, x, y)) << y << "," << x;
}

} // namespace

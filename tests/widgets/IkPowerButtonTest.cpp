// The power button: layout, painting, and the click rules driven by real mouse and key events.
#include "platform/Canvas.h"
#include "platform/Graphics.h"
#include "widgets/IkButtons.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr TColor FaceRGB = 0xC0C0C0;   // clBtnFace, pinned
constexpr TColor ShadowRGB = 0x808080; // clBtnShadow, pinned
constexpr TColor LightRGB = 0xFFFFFF;  // clBtnHighlight, pinned

TSize Measure(const TFont& font, const QString& text, int width)
{
    TCanvas canvas;
    canvas.SetFont(font);
    TRect r = Rect(0, 0, width, 0);
    canvas.DrawText(text, r, DT_CALCRECT);
    return {r.Width(), r.Height()};
}

TColor PixelOf(const QImage& image, int x, int y)
{
    return QColorToColor(image.pixelColor(x, y));
}

// The bounding rectangle of all pixels of a colour and how many there are.
std::pair<TRect, int> Find(const QImage& image, TColor color)
{
    TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelOf(image, x, y) == color) {
                ++count;
                box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                       std::max(box.Bottom, y + 1)};
            }
    return {box, count};
}

class PowerButton : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(300, 200);
        button = new TIkPowerButton(&window);
        button->SetBounds(20, 20, 125, 25);
        button->SetCaption("Go");
        button->OnClick = [this](TControl* sender) {
            EXPECT_EQ(sender, button);
            events.push_back(button->Active() ? "click:on" : "click:off");
        };
        button->OnMouseUp = [this](TControl*, TMouseButton, TShiftState, int, int) {
            events.push_back("up");
        };
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QPoint Centre() const { return QPoint(button->Width() / 2, button->Height() / 2); }
    // The mouse goes to the window, which hands it to the button by position, as a user's does;
    // positions are in the button's coordinates.
    QWindow* Handle() { return window.windowHandle(); }
    QPoint At(QPoint p) const { return button->mapTo(&window, p); }
    // Moves the pointer onto the button and presses the left button there.
    void PressInside()
    {
        QTest::mouseMove(Handle(), At(Centre()));
        QTest::mousePress(Handle(), Qt::LeftButton, {}, At(Centre()));
    }
    QImage Face() { return button->grab().toImage(); }

    QWidget window;
    TIkPowerButton* button = nullptr;
    std::vector<std::string> events;
};

TEST_F(PowerButton, MainWindowButtonPlacesAndColoursItsLed)
{
    button->SetBounds(7, 8, 162, 105);
    button->SetLedWidth(30);
    button->SetLedHeight(15);
    button->SetLayout(ImageTop);
    TIkPalette palette;
    palette.SetLow(clRed);
    palette.SetHigh(clLime);
    button->SetPalette(palette);
    button->Font().SetName("MS Sans Serif");
    button->Font().SetHeight(-20);
    button->Font().SetStyle(fsBold);
    button->Font().SetColor(clWindowText);
    button->SetCaption("Simulation");

    const TSize text = Measure(button->Font(), "Simulation", 156);
    ASSERT_GT(text.cy, 0);
    const int top = 3 + (80 - text.cy) / 2;
    EXPECT_EQ(button->LedRect(), Rect(66, top, 96, top + 15));
    EXPECT_EQ(button->TextBounds().Top, top + 20);
    EXPECT_EQ(button->TextBounds().Left, 3 + (156 - text.cx + 1) / 2);
    EXPECT_EQ(button->TextBounds().Width(), text.cx);

    // Stopped: 26 x 11 red pixels inside the sunken edge and the black frame.
    auto [redBox, reds] = Find(Face(), clRed);
    EXPECT_EQ(reds, 26 * 11);
    EXPECT_EQ(redBox, Rect(68, top + 2, 94, top + 13));
    const QImage stopped = Face();
    EXPECT_EQ(PixelOf(stopped, 66, top), ShadowRGB);
    EXPECT_EQ(PixelOf(stopped, 95, top + 14), LightRGB);
    EXPECT_EQ(PixelOf(stopped, 67, top + 1), clBlack);
    EXPECT_EQ(PixelOf(stopped, 94, top + 13), clBlack);

    // Writing Active repaints the LED at once and fires nothing.
    button->SetActive(true);
    EXPECT_EQ(button->OffscreenBitmap().Canvas().Pixel(80, top + 7), clLime);
    auto [limeBox, limes] = Find(Face(), clLime);
    EXPECT_EQ(limes, 26 * 11);
    EXPECT_EQ(limeBox, Rect(68, top + 2, 94, top + 13));
    EXPECT_TRUE(events.empty());
}

TEST_F(PowerButton, EvenSpreadAndEmptyCaptionLayouts)
{
    button->SetBounds(20, 20, 120, 30);
    button->SetCaption("Power");
    button->SetMargin(-1);
    button->SetSpacing(-1);
    const TSize text = Measure(button->Font(), "Power", 114);
    const int part = (114 - (12 + text.cx)) / 3;
    EXPECT_EQ(button->LedRect().Left, 3 + part);
    EXPECT_EQ(button->TextBounds().Left, button->LedRect().Right + part);

    // Without a caption the spacing is 0 and the LED alone is centred.
    button->SetSpacing(5);
    button->SetCaption("");
    EXPECT_EQ(button->LedRect().Left, 3 + (114 - 12 + 1) / 2);
    EXPECT_EQ(button->LedRect().Top, 3 + (24 - 12 + 1) / 2);

    button->SetLayout(ImageRight);
    button->SetMargin(4);
    EXPECT_EQ(button->LedRect().Left, 3 + 114 - 4 - 12);
}

TEST_F(PowerButton, ClickTogglesThenFiresOnClickAfterTheMouseUpEvent)
{
    QTest::mouseClick(Handle(), Qt::LeftButton, {}, At(Centre()));
    EXPECT_TRUE(button->Active());
    QTest::mouseClick(Handle(), Qt::LeftButton, {}, At(Centre()));
    EXPECT_FALSE(button->Active());
    EXPECT_EQ(events, (std::vector<std::string>{"up", "click:on", "up", "click:off"}));
    // TabStop false: clicking does not take the focus.
    EXPECT_FALSE(button->hasFocus());
}

TEST_F(PowerButton, PressShowsThePressedEdgeInsteadOfTheOutline)
{
    QImage up = Face();
    EXPECT_EQ(PixelOf(up, 0, 0), clBlack);
    EXPECT_EQ(PixelOf(up, 1, 1), LightRGB);
    EXPECT_EQ(PixelOf(up, 123, 23), ShadowRGB);

    QTest::mousePress(Handle(), Qt::LeftButton, {}, At(Centre()));
    EXPECT_TRUE(button->Pressed());
    QImage pressed = Face();
    EXPECT_EQ(PixelOf(pressed, 0, 0), clBlack);
    EXPECT_EQ(PixelOf(pressed, 124, 24), LightRGB);
    EXPECT_EQ(PixelOf(pressed, 1, 1), ShadowRGB);
    EXPECT_EQ(PixelOf(pressed, 123, 23), clBlack);
    QTest::mouseRelease(Handle(), Qt::LeftButton, {}, At(Centre()));
    EXPECT_FALSE(button->Pressed());
}

TEST_F(PowerButton, ReleasingOffTheButtonChangesNothing)
{
    PressInside();
    QTest::mouseMove(Handle(), At(QPoint(200, 100)));
    EXPECT_FALSE(button->Pressed());
    QTest::mouseRelease(Handle(), Qt::LeftButton, {}, At(QPoint(200, 100)));
    EXPECT_FALSE(button->Active());
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(events, (std::vector<std::string>{"up"}));
    EXPECT_EQ(PixelOf(Face(), 1, 1), LightRGB); // face up again
}

TEST_F(PowerButton, DraggingBackOntoTheHeldButtonPressesItAgain)
{
    PressInside();
    QTest::mouseMove(Handle(), At(QPoint(-30, -10)));
    EXPECT_FALSE(button->Pressed());
    QTest::mouseMove(Handle(), At(Centre()));
    EXPECT_TRUE(button->Pressed());
    QTest::mouseRelease(Handle(), Qt::LeftButton, {}, At(Centre()));
    EXPECT_TRUE(button->Active());
    EXPECT_EQ(events, (std::vector<std::string>{"up", "click:on"}));
}

TEST_F(PowerButton, DisablingOrLosingTheFocusMidPressLeavesNoStuckFace)
{
    PressInside();
    button->SetEnabled(false);
    EXPECT_FALSE(button->Pressed());
    button->SetEnabled(true);
    QTest::mouseRelease(Handle(), Qt::LeftButton, {}, At(Centre()));
    EXPECT_FALSE(button->Active());

    // Tab gives the button (a tab stop here) the focus; the space bar goes down on it, and a
    // click into an edit field beside it takes the focus away before the key comes up.
    button->SetTabStop(true);
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(20, 100, 100, 24);
    edit->show();
    QTest::keyClick(Handle(), Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->hasFocus(); }));
    QTest::keyPress(Handle(), Qt::Key_Space);
    EXPECT_TRUE(button->Pressed());
    QTest::mouseClick(Handle(), Qt::LeftButton, {}, QPoint(40, 112));
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(PixelOf(Face(), 1, 1), LightRGB);
    EXPECT_TRUE(std::find(events.begin(), events.end(), "click:on") == events.end());
}

TEST_F(PowerButton, OtherButtonsDoNotPressButTheirReleaseEndsALeftPress)
{
    QTest::mouseClick(Handle(), Qt::RightButton, {}, At(Centre()));
    EXPECT_FALSE(button->Active());
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(events, (std::vector<std::string>{"up"}));

    // Left down, right down and up: the right release completes the click; the later left
    // release finds nothing held.
    events.clear();
    PressInside();
    QTest::mousePress(Handle(), Qt::RightButton, {}, At(Centre()));
    QTest::mouseRelease(Handle(), Qt::RightButton, {}, At(Centre()));
    EXPECT_TRUE(button->Active());
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(events, (std::vector<std::string>{"up", "click:on"}));
    QTest::mouseRelease(Handle(), Qt::LeftButton, {}, At(Centre()));
    EXPECT_TRUE(button->Active());
    EXPECT_EQ(events, (std::vector<std::string>{"up", "click:on", "up"}));
}

TEST_F(PowerButton, SpaceBarTogglesOnlyWhileFocused)
{
    // Keys go to the window, which hands them to its focused control, as the user's keyboard
    // does. The button is a tab stop here; an edit field beside it takes the focus first, by a
    // click.
    button->SetTabStop(true);
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(20, 100, 100, 24);
    edit->show();
    QWindow* handle = window.windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(40, 112));
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
    QTest::keyClick(handle, Qt::Key_Space);
    EXPECT_FALSE(button->Active());
    EXPECT_EQ(edit->text().toStdString(), " ");
    EXPECT_EQ(PixelOf(Face(), 0, 0), clBlack);

    // Tab moves the focus on to the button: a blue border, and the space bar presses it.
    QTest::keyClick(handle, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->hasFocus(); }));
    EXPECT_TRUE(button->FocusedState());
    EXPECT_EQ(PixelOf(Face(), 0, 0), clBlue);
    QTest::keyPress(handle, Qt::Key_Space);
    EXPECT_TRUE(button->Pressed());
    EXPECT_FALSE(button->Active());
    QTest::keyRelease(handle, Qt::Key_Space);
    EXPECT_FALSE(button->Pressed());
    EXPECT_TRUE(button->Active());
    EXPECT_EQ(events, (std::vector<std::string>{"click:on"}));
    QTest::keyClick(handle, Qt::Key_Return);
    EXPECT_TRUE(button->Active());
    EXPECT_EQ(events.size(), 1u);

    // A click into the edit field takes the focus away again: the border goes back to black and
    // the space bar types into the field.
    QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(40, 112));
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
    EXPECT_FALSE(button->FocusedState());
    EXPECT_EQ(PixelOf(Face(), 0, 0), clBlack);
    QTest::keyClick(handle, Qt::Key_Space);
    EXPECT_TRUE(button->Active());
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(PowerButton, AcceleratorFiresOnClickWithoutToggling)
{
    button->SetCaption("&Run");
    QTest::keyClick(Handle(), Qt::Key_R, Qt::AltModifier);
    EXPECT_FALSE(button->Active());
    EXPECT_EQ(events, (std::vector<std::string>{"click:off"}));

    button->SetEnabled(false);
    QTest::keyClick(Handle(), Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(PowerButton, DisabledButtonShowsTheLedInTheFaceColourAndAnEngravedCaption)
{
    button->SetActive(true);
    button->SetCaption("Off");
    button->SetEnabled(false);
    const QImage face = Face();
    const TRect led = button->LedRect();
    EXPECT_EQ(PixelOf(face, led.Left + 5, led.Top + 5), FaceRGB);
    EXPECT_EQ(Find(face, clLime).second, 0);
    // The highlight copy of the caption lies one pixel right and below the shadow copy.
    const TRect text = button->TextBounds();
    int shadowPixels = 0, lightPixels = 0;
    for (int y = text.Top; y < text.Bottom + 1; ++y)
        for (int x = text.Left; x < text.Right + 1; ++x) {
            shadowPixels += PixelOf(face, x, y) == ShadowRGB;
            lightPixels += PixelOf(face, x, y) == LightRGB;
        }
    EXPECT_GT(shadowPixels, 0);
    EXPECT_GT(lightPixels, 0);
    // Every visible highlight pixel is the shadow copy's pixel moved by (1, 1).
    for (int y = text.Top; y < text.Bottom + 1; ++y)
        for (int x = text.Left; x < text.Right + 1; ++x) {
            if (PixelOf(face, x, y) == LightRGB) {
                EXPECT_EQ(PixelOf(face, x - 1, y - 1), ShadowRGB) << x << "," << y;
            }
        }

    QTest::mouseClick(Handle(), Qt::LeftButton, {}, At(Centre()));
    EXPECT_TRUE(button->Active());
    EXPECT_TRUE(events.empty());
}

} // namespace

// The control base: notifications, painting through the canvas, mouse and key translation,
// cursors and the parent background.
#include "platform/Control.h"
#include "platform/Bitmap.h"
#include "platform/Cursors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every notification as a word.
class Probe : public TCustomControl
{
public:
    using TCustomControl::TCustomControl;
    std::vector<std::string> log;
    TColor paintColor = clRed;
    bool handCursor = false;
    bool drawLines = false;

    void Join(const std::string& s) { log.push_back(s); }
    std::string Log() const
    {
        std::string s;
        for (const auto& e : log)
            s += (s.empty() ? "" : " ") + e;
        return s;
    }

protected:
    void Loaded() override { Join("loaded"); }
    void Paint() override
    {
        Join("paint");
        Canvas().Brush().SetColor(paintColor);
        Canvas().FillRect(ClientRect());
        if (drawLines) {
            Canvas().Pen().SetColor(clBlack);
            Canvas().MoveTo(2, 3);
            Canvas().LineTo(8, 3);
            Canvas().Pen().SetMode(pmNotXor);
            Canvas().MoveTo(2, 5);
            Canvas().LineTo(8, 5);
            Canvas().MoveTo(2, 5);
            Canvas().LineTo(5, 5);
            Canvas().Pen().SetMode(pmCopy);
        }
    }
    void Resize() override
    {
        Join("resize" + std::to_string(Width()) + "x" + std::to_string(Height()));
        TCustomControl::Resize();
    }
    void FontChanged() override { Join("font"); }
    void TextChanged() override { Join("text"); }
    void ColorChanged() override { Join("color"); }
    void EnabledChanged() override { Join("enabled"); }
    void MouseEnter() override { Join("enter"); }
    void MouseLeave() override { Join("leave"); }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        Join("down" + std::to_string(b) + ":" + std::to_string(s) + "@" + std::to_string(x) + "," +
             std::to_string(y));
    }
    void MouseUp(TMouseButton b, TShiftState, int x, int y) override
    {
        Join("up" + std::to_string(b) + "@" + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseMove(TShiftState, int x, int y) override
    {
        Join("move@" + std::to_string(x) + "," + std::to_string(y));
    }
    void KeyDown(uint16_t& key, TShiftState shift) override
    {
        Join("key" + std::to_string(key) + ":" + std::to_string(shift));
    }
    void Click() override
    {
        Join("click");
        TCustomControl::Click();
    }
    bool CursorRequest(int, int) override
    {
        if (!handCursor)
            return false;
        ::SetCursor(Screen().Cursors(crHandPoint));
        return true;
    }
};

void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button,
           Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(ControlNotifications, LoadingNestsAndEndsWithLoaded)
{
    Probe p;
    p.BeginLoading();
    p.BeginLoading();
    EXPECT_TRUE(p.IsLoading());
    p.EndLoading();
    EXPECT_EQ(p.Log(), "");
    p.EndLoading();
    EXPECT_FALSE(p.IsLoading());
    p.EndLoading(); // unbalanced: ignored
    EXPECT_EQ(p.Log(), "loaded");
}

TEST(ControlNotifications, SetterNotifiesOnlyOnChange)
{
    Probe p;
    p.SetCaption("Simulation");
    p.SetCaption("Simulation");
    p.SetColor(clBlack);
    p.SetColor(clBlack);
    p.Font().SetSize(12);
    p.SetEnabled(false);
    p.SetEnabled(false);
    EXPECT_EQ(p.Log(), "text color font enabled");
    EXPECT_EQ(p.Caption(), "Simulation");
    EXPECT_FALSE(p.ParentColor());
    EXPECT_FALSE(p.ParentFont());
}

TEST(ControlNotifications, BoundsChangeResizesAtOnceAndOnlyOnce)
{
    Probe p;
    p.log.clear();
    p.SetBounds(5, 6, 44, 108);
    EXPECT_EQ(p.Log(), "resize44x108");
    EXPECT_EQ(p.BoundsRect(), Rect(5, 6, 49, 114));
    EXPECT_EQ(p.ClientRect(), Rect(0, 0, 44, 108));
    p.show();
    QApplication::processEvents();
    p.SetLeft(10); // a move without a size change
    p.SetBounds(10, 6, 108, 44);
    std::string log = p.Log();
    EXPECT_EQ(log.find("resize44x108"), 0u);
    EXPECT_NE(log.find("resize108x44"), std::string::npos);
    EXPECT_EQ(log.find("resize44x108", 1), std::string::npos);
}

TEST(ControlNotifications, ParentColourAndFontFlowToChildren)
{
    Probe parent;
    parent.SetColor(clNavy);
    auto* child = new Probe(&parent);
    EXPECT_EQ(child->Color(), clNavy);
    parent.Font().SetName("Arial");
    EXPECT_EQ(child->Font().Name(), "Arial");
    EXPECT_TRUE(child->ParentFont());
    child->Font().SetSize(20);
    parent.Font().SetSize(9);
    EXPECT_EQ(child->Font().Size(), 20);
    child->SetColor(clLime);
    parent.SetColor(clYellow);
    EXPECT_EQ(child->Color(), clLime);
    child->SetParentColor(true);
    EXPECT_EQ(child->Color(), clYellow);
}

TEST(ControlPainting, PaintDrawsThroughTheCanvas)
{
    Probe p;
    p.SetBounds(0, 0, 20, 10);
    p.paintColor = clBlue;
    const QImage shot = p.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(19, 9)), QColor(Qt::blue));
    EXPECT_NE(p.Log().find("paint"), std::string::npos);
    // One-pixel lines on a widget: same pixels and raster modes as on a bitmap.
    p.drawLines = true;
    const QImage lines = p.grab().toImage();
    auto at = [&](int x, int y) { return QColorToColor(QColor(lines.pixel(x, y))); };
    EXPECT_EQ(at(1, 3), clBlue);
    EXPECT_EQ(at(2, 3), clBlack);
    EXPECT_EQ(at(7, 3), clBlack);
    EXPECT_EQ(at(8, 3), clBlue);
    EXPECT_EQ(at(4, 4), clBlue);
    EXPECT_EQ(at(4, 5), clBlue);   // not-xor twice
    EXPECT_EQ(at(6, 5), clYellow); // not-xor once: ~(black ^ blue)
    // Outside a paint the canvas is unbound but measures text.
    EXPECT_FALSE(p.Canvas().IsBound());
    EXPECT_GT(p.Canvas().TextWidth("Simulation"), 0);
}

TEST(ControlPainting, ParentBackgroundUnderAGraphicControl)
{
    Probe parent;
    parent.SetBounds(0, 0, 60, 40);
    parent.paintColor = clFuchsia;
    auto* child = new TGraphicControl(&parent);
    child->SetBounds(10, 5, 20, 10);
    child->SetColor(clBlack);
    TBitmap background;
    GrabParentBackground(*child, background);
    ASSERT_EQ(background.Width(), 20);
    ASSERT_EQ(background.Height(), 10);
    EXPECT_EQ(background.Canvas().Pixel(0, 0), clFuchsia);
    EXPECT_EQ(background.Canvas().Pixel(19, 9), clFuchsia);
    TGraphicControl orphan;
    orphan.SetBounds(0, 0, 3, 3);
    orphan.SetColor(clGreen);
    GrabParentBackground(orphan, background);
    EXPECT_EQ(background.Canvas().Pixel(2, 2), clGreen);
}

TEST(ControlInput, MouseTranslationClickAndLeaveWhileHeld)
{
    Probe p;
    p.SetBounds(0, 0, 50, 30);
    p.log.clear();
    Mouse(&p, QEvent::MouseButtonPress, {5, 6}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(p.Log(), "enter down0:" + std::to_string(ssShift | ssLeft) + "@5,6");
    p.log.clear();
    Mouse(&p, QEvent::MouseMove, {60, 6}, Qt::NoButton, Qt::LeftButton);
    Mouse(&p, QEvent::MouseMove, {10, 6}, Qt::NoButton, Qt::LeftButton);
    Mouse(&p, QEvent::MouseButtonRelease, {10, 6}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(p.Log(), "leave move@60,6 enter move@10,6 up0@10,6 click");
    // Released outside: no click.
    p.log.clear();
    Mouse(&p, QEvent::MouseButtonPress, {5, 6}, Qt::LeftButton, Qt::LeftButton);
    Mouse(&p, QEvent::MouseButtonRelease, {70, 6}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(p.Log(), "down0:" + std::to_string(ssLeft) + "@5,6 up0@70,6 leave");
    // Right button: no click.
    p.log.clear();
    Mouse(&p, QEvent::MouseButtonPress, {5, 6}, Qt::RightButton, Qt::RightButton);
    Mouse(&p, QEvent::MouseButtonRelease, {5, 6}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(p.Log(), "enter down1:" + std::to_string(ssRight) + "@5,6 up1@5,6");
}

TEST(ControlInput, KeysBecomeVirtualKeysWithShiftState)
{
    Probe p;
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&p, &up);
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::ControlModifier | Qt::AltModifier);
    QApplication::sendEvent(&p, &home);
    EXPECT_EQ(p.Log(), "key" + std::to_string(VK_UP) + ":0 key" + std::to_string(VK_HOME) + ":" +
                           std::to_string(ssCtrl | ssAlt));
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Space), VK_SPACE);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_End), VK_END);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_A), 'A');
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F5), VK_F1 + 4);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_unknown), 0);
}

TEST(ControlInput, TabStopDecidesTheFocusPolicy)
{
    Probe p;
    EXPECT_EQ(p.focusPolicy(), Qt::NoFocus);
    p.SetTabStop(true);
    EXPECT_EQ(p.focusPolicy(), Qt::TabFocus);
    TGraphicControl g;
    EXPECT_EQ(g.focusPolicy(), Qt::NoFocus);
}

TEST(ControlInput, FocusFollowsTheWindowsFocusedControlNotTheActivation)
{
    QWidget window;
    window.resize(200, 100);
    auto* first = new TCustomControl(&window);
    auto* second = new TCustomControl(&window);
    first->SetBounds(0, 0, 50, 50);
    second->SetBounds(60, 0, 50, 50);
    std::vector<std::string> log;
    first->OnEnter = [&](TControl*) { log.push_back("enter first"); };
    first->OnExit = [&](TControl*) { log.push_back("exit first"); };
    second->OnEnter = [&](TControl*) { log.push_back("enter second"); };
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    first->SetFocus();
    ASSERT_EQ(log, (std::vector<std::string>{"enter first"}));

    // Another window takes the activation and gives it back: the first control stays the
    // focused one of its window throughout.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(log, (std::vector<std::string>{"enter first"}));

    second->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"enter first", "exit first", "enter second"}));
}

TEST(Cursors, RequestShowsTheControlsOwnCursor)
{
    Probe p;
    p.SetBounds(0, 0, 20, 20);
    p.SetCursor(crCross);
    Mouse(&p, QEvent::MouseMove, {3, 3}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(p.cursor().shape(), Qt::CrossCursor);
    p.handCursor = true;
    Mouse(&p, QEvent::MouseMove, {4, 3}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(p.cursor().shape(), Qt::PointingHandCursor);
}

TEST(Cursors, ScreenTableAndMonochromeCursors)
{
    EXPECT_EQ(Screen().Cursors(crVSplit).shape(), Qt::SplitVCursor);
    EXPECT_EQ(Screen().Cursors(12345).shape(), Qt::ArrowCursor);
    EXPECT_FALSE(Screen().HasCursor(98));
    const QCursor hand = CreateMonochromeCursor({"..KK", ".KWWK", "KWWWWK"}, 2, 1);
    Screen().SetCursors(98, hand);
    EXPECT_TRUE(Screen().HasCursor(98));
    const QCursor stored = Screen().Cursors(98);
    EXPECT_EQ(stored.shape(), Qt::BitmapCursor);
    EXPECT_EQ(stored.hotSpot(), QPoint(2, 1));
    const QImage bits = stored.bitmap().toImage();
    const QImage mask = stored.mask().toImage();
    ASSERT_EQ(bits.size(), QSize(6, 3));
    // Black: set in the bitmap and the mask; white: mask only; '.': neither.
    EXPECT_NE(mask.pixelIndex(2, 0), mask.pixelIndex(0, 0));
    EXPECT_NE(bits.pixelIndex(0, 2), bits.pixelIndex(1, 2));
    EXPECT_EQ(mask.pixelIndex(0, 2), mask.pixelIndex(1, 2));
}

TEST(Cursors, ConfinedPointerReachesMovesClamped)
{
    Probe p;
    p.SetBounds(0, 0, 50, 40);
    const TPoint origin = p.ClientToScreen(Point(0, 0));
    const TRect confine = Bounds(origin.X, origin.Y, 50, 40);
    ClipCursor(&confine);
    p.log.clear();
    Mouse(&p, QEvent::MouseMove, {80, -5}, Qt::NoButton, Qt::LeftButton);
    ClipCursor(nullptr);
    Mouse(&p, QEvent::MouseMove, {80, -5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(p.Log(), "enter move@49,0 leave move@80,-5");
}

TEST(Cursors, ConfinementClampsAndReleases)
{
    const TRect r = Rect(100, 200, 150, 260);
    ClipCursor(&r);
    ASSERT_TRUE(CursorClipRect().has_value());
    EXPECT_EQ(ClampToCursorClip(Point(0, 0)), Point(100, 200));
    EXPECT_EQ(ClampToCursorClip(Point(500, 230)), Point(149, 230));
    EXPECT_EQ(ClampToCursorClip(Point(120, 999)), Point(120, 259));
    ClipCursor(nullptr);
    EXPECT_FALSE(CursorClipRect().has_value());
    EXPECT_EQ(ClampToCursorClip(Point(0, 0)), Point(0, 0));
    TPoint pos;
    EXPECT_TRUE(GetCursorPos(pos));
}

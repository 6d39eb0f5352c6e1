#pragma once
// The control base: a QWidget that carries the runtime notifications of the classic desktop
// controls (loading state, size, font, caption, colour, enabled, focus, mouse enter and leave),
// paints through a TCanvas and translates mouse and key events to shift states and virtual key
// codes. TCustomControl is the windowed (focusable) kind; TGraphicControl the kind drawn on its
// parent, never focused.
#include "platform/Canvas.h"
#include "platform/Cursors.h"
#include "platform/Graphics.h"
#include "platform/Types.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class TBitmap;

// Shift state of mouse and key notifications.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;
constexpr TShiftState ssDouble = 0x40;

enum TMouseButton
{
    mbLeft,
    mbRight,
    mbMiddle
};

// Virtual key codes.
constexpr uint16_t VK_BACK = 0x08;
constexpr uint16_t VK_TAB = 0x09;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_SHIFT = 0x10;
constexpr uint16_t VK_CONTROL = 0x11;
constexpr uint16_t VK_MENU = 0x12;
constexpr uint16_t VK_ESCAPE = 0x1B;
constexpr uint16_t VK_SPACE = 0x20;
constexpr uint16_t VK_PRIOR = 0x21;
constexpr uint16_t VK_NEXT = 0x22;
constexpr uint16_t VK_END = 0x23;
constexpr uint16_t VK_HOME = 0x24;
constexpr uint16_t VK_LEFT = 0x25;
constexpr uint16_t VK_UP = 0x26;
constexpr uint16_t VK_RIGHT = 0x27;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_F1 = 0x70;
// Letters and digits use their upper-case ASCII codes ('A'..'Z', '0'..'9').

// The virtual key of a Qt key (0 when there is none).
uint16_t VirtualKeyFromQt(int qtKey);
// Shift state from Qt modifiers and held buttons.
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

class TControl : public QWidget
{
public:
    explicit TControl(QWidget* parent = nullptr);
    ~TControl() override;

    // ---- Loading: setters store values but the control does not repaint until EndLoading,
    // which runs Loaded(). Calls nest.
    void BeginLoading();
    void EndLoading();
    bool IsLoading() const { return FLoadingCount > 0; }

    // ---- Properties ----
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value); // TextChanged() when different

    TColor Color() const { return FColor; }
    void SetColor(TColor value); // clears ParentColor; ColorChanged()
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value); // true: takes the parent control's colour now

    // The control's font (owned). Changing it runs FontChanged() and clears ParentFont.
    TFont& Font() { return *FFont; }
    const TFont& Font() const { return *FFont; }
    void SetFont(const TFont& value) { FFont->Assign(value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);

    // TabStop: reachable with the Tab key (focus policy); any control can take the focus by
    // SetFocus.
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);
    bool Focused() const { return hasFocus(); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    // The cursor shown over the control (a TScreen slot).
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);

    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value) { setEnabled(value); } // EnabledChanged() on change
    bool Visible() const { return isVisible(); }
    void SetVisible(bool value) { setVisible(value); }

    // Bounds in the parent's client coordinates; a size change runs Resize() at once.
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetLeft(int value) { SetBounds(value, Top(), Width(), Height()); }
    void SetTop(int value) { SetBounds(Left(), value, Width(), Height()); }
    void SetWidth(int value) { SetBounds(Left(), Top(), value, Height()); }
    void SetHeight(int value) { SetBounds(Left(), Top(), Width(), value); }
    void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }
    TRect ClientRect() const { return {0, 0, Width(), Height()}; }
    int ClientWidth() const { return Width(); }
    int ClientHeight() const { return Height(); }

    // The parent widget and, when it is one, the parent control.
    QWidget* Parent() const { return parentWidget(); }
    TControl* ParentControl() const;

    // Mouse capture: all mouse input goes to this control until released.
    bool MouseCapture() const { return FMouseCapture; }
    void SetMouseCapture(bool value);

    TPoint ScreenToClient(const TPoint& p) const;
    TPoint ClientToScreen(const TPoint& p) const;

    // ---- Painting ----
    // Schedules a paint at the next turn of the event loop.
    void Invalidate() { update(); }
    // Paints at once (nothing when the control is not visible).
    void Repaint() { repaint(); }
    // The canvas: bound to the control during Paint(); outside a paint it draws nothing but
    // still measures text with its font.
    TCanvas& Canvas() { return *FCanvas; }
    // Opaque controls paint every pixel themselves; others get the parent's drawing beneath.
    bool Opaque() const { return testAttribute(Qt::WA_OpaquePaintEvent); }
    void SetOpaque(bool value);

    // ---- Events (sender first; unassigned events are skipped) ----
    std::function<void(TControl*)> OnClick;
    std::function<void(TControl*, TMouseButton, TShiftState, int, int)> OnMouseDown;
    std::function<void(TControl*, TShiftState, int, int)> OnMouseMove;
    std::function<void(TControl*, TMouseButton, TShiftState, int, int)> OnMouseUp;
    std::function<void(TControl*, uint16_t&, TShiftState)> OnKeyDown;
    std::function<void(TControl*, uint16_t&, TShiftState)> OnKeyUp;
    std::function<void(TControl*, char16_t&)> OnKeyPress;
    std::function<void(TControl*)> OnEnter;
    std::function<void(TControl*)> OnExit;
    std::function<void(TControl*)> OnResize;

protected:
    // ---- Notifications for descendants; the base versions fire the matching events. ----
    // After EndLoading.
    virtual void Loaded() {}
    // Draw the whole control on Canvas().
    virtual void Paint() {}
    // Size changed (fires OnResize).
    virtual void Resize();
    virtual void FontChanged() {}
    virtual void TextChanged() {}
    virtual void ColorChanged() {}
    virtual void EnabledChanged() {}
    // Focus gained (fires OnEnter) and lost (fires OnExit).
    virtual void DoEnter();
    virtual void DoExit();
    // The pointer entered or left the control; also while a button is held (derived from the
    // moves, so dragging off a pressed control reports a leave at once).
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // Mouse and keys in client coordinates; the base versions fire the events.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char16_t& key);
    // A left press and release inside the control (fires OnClick).
    virtual void Click();
    // The pointer is over (x, y): return true after calling the free ::SetCursor(QCursor) to
    // show a cursor of your own (inside a control the plain name is the Cursor property's
    // setter); false shows Cursor().
    virtual bool CursorRequest(int x, int y);

    // Qt event plumbing.
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void FontObjectChanged();
    void PropagateParentProperties();
    void SetMouseInside(bool inside);
    void ApplyCursor(int x, int y);
    void NotifyResizeIfChanged();

    std::unique_ptr<TCanvas> FCanvas;
    std::unique_ptr<TFont> FFont;
    QString FCaption;
    TColor FColor = clBtnFace;
    bool FParentColor = true;
    bool FParentFont = true;
    bool FTabStop = false;
    TCursor FCursor = crDefault;
    bool FMouseCapture = false;
    bool FMouseInside = false;
    bool FLeftPressed = false;
    bool FEntered = false; // DoEnter ran and DoExit has not yet
    int FLoadingCount = 0;
    int FNotifiedWidth = -1;
    int FNotifiedHeight = -1;
    bool FApplyingParent = false;
};

// A windowed control: can take the keyboard focus and receives the arrow keys.
class TCustomControl : public TControl
{
public:
    explicit TCustomControl(QWidget* parent = nullptr);
};

// A control drawn on its parent: never takes the focus.
class TGraphicControl : public TControl
{
public:
    explicit TGraphicControl(QWidget* parent = nullptr);
};

// Renders what the parent widget draws under the control (the parent's own painting, without
// this control and its siblings) into bitmap, sized to the control. Used by see-through
// controls to paint their background. A control without a parent gives a bitmap filled with
// its Color.
void GrabParentBackground(const TControl& control, TBitmap& bitmap);

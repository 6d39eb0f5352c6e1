#include "platform/Control.h"

#include "platform/Bitmap.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

uint16_t VirtualKeyFromQt(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<uint16_t>(qtKey);
    return 0;
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

namespace {

bool ButtonOf(Qt::MouseButton qt, TMouseButton& button)
{
    switch (qt) {
    case Qt::LeftButton:
        button = mbLeft;
        return true;
    case Qt::RightButton:
        button = mbRight;
        return true;
    case Qt::MiddleButton:
        button = mbMiddle;
        return true;
    default:
        return false;
    }
}

TPoint LocalPoint(const QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

} // namespace

TControl::TControl(QWidget* parent)
    : QWidget(parent), FCanvas(std::make_unique<TCanvas>()), FFont(std::make_unique<TFont>())
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    FFont->OnChange = [this](TFont*) { FontObjectChanged(); };
    FCanvas->SetFont(*FFont);
    PropagateParentProperties();
}

TControl::~TControl()
{
    FFont->OnChange = nullptr;
}

void TControl::BeginLoading()
{
    ++FLoadingCount;
}

void TControl::EndLoading()
{
    if (FLoadingCount == 0)
        return;
    if (--FLoadingCount == 0)
        Loaded();
}

void TControl::SetCaption(const QString& value)
{
    if (FCaption == value)
        return;
    FCaption = value;
    TextChanged();
}

void TControl::SetColor(TColor value)
{
    FParentColor = false;
    if (FColor == value)
        return;
    FColor = value;
    ColorChanged();
    for (QObject* child : children())
        if (auto* control = dynamic_cast<TControl*>(child); control && control->FParentColor)
            control->PropagateParentProperties();
}

void TControl::SetParentColor(bool value)
{
    FParentColor = value;
    if (value)
        PropagateParentProperties();
}

void TControl::SetParentFont(bool value)
{
    FParentFont = value;
    if (value)
        PropagateParentProperties();
}

TControl* TControl::ParentControl() const
{
    return dynamic_cast<TControl*>(parentWidget());
}

void TControl::PropagateParentProperties()
{
    TControl* parent = ParentControl();
    if (parent == nullptr)
        return;
    if (FParentColor && FColor != parent->FColor) {
        FColor = parent->FColor;
        ColorChanged();
    }
    if (FParentFont) {
        FApplyingParent = true;
        FFont->Assign(*parent->FFont);
        FApplyingParent = false;
    }
}

void TControl::FontObjectChanged()
{
    if (!FApplyingParent)
        FParentFont = false;
    FCanvas->SetFont(*FFont);
    FontChanged();
    for (QObject* child : children())
        if (auto* control = dynamic_cast<TControl*>(child); control && control->FParentFont)
            control->PropagateParentProperties();
}

void TControl::SetTabStop(bool value)
{
    FTabStop = value;
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void TControl::SetCursor(TCursor value)
{
    FCursor = value;
    setCursor(Screen().Cursors(value));
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    setGeometry(left, top, width < 0 ? 0 : width, height < 0 ? 0 : height);
    NotifyResizeIfChanged();
}

void TControl::NotifyResizeIfChanged()
{
    if (FNotifiedWidth == width() && FNotifiedHeight == height())
        return;
    FNotifiedWidth = width();
    FNotifiedHeight = height();
    Resize();
}

void TControl::SetMouseCapture(bool value)
{
    if (FMouseCapture == value)
        return;
    FMouseCapture = value;
    if (value)
        grabMouse();
    else
        releaseMouse();
}

TPoint TControl::ScreenToClient(const TPoint& p) const
{
    const QPoint q = mapFromGlobal(QPoint(p.X, p.Y));
    return {q.x(), q.y()};
}

TPoint TControl::ClientToScreen(const TPoint& p) const
{
    const QPoint q = mapToGlobal(QPoint(p.X, p.Y));
    return {q.x(), q.y()};
}

void TControl::SetOpaque(bool value)
{
    setAttribute(Qt::WA_OpaquePaintEvent, value);
}

// ---- Default notifications ----------------------------------------------------------------

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::KeyDown(uint16_t& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TControl::KeyUp(uint16_t& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TControl::KeyPress(char16_t& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

bool TControl::CursorRequest(int, int)
{
    return false;
}

// ---- Qt events ----------------------------------------------------------------------------

void TControl::paintEvent(QPaintEvent*)
{
    FCanvas->Attach(this);
    try {
        Paint();
    } catch (...) {
        FCanvas->Detach();
        throw;
    }
    FCanvas->Detach();
}

void TControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    NotifyResizeIfChanged();
}

void TControl::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        EnabledChanged();
    else if (event->type() == QEvent::ParentChange)
        PropagateParentProperties();
}

// Enter and exit follow the window's focused control. Another window taking the activation
// leaves this control the focused one of its window, so that focus loss is not an exit, and the
// focus coming back with the activation is not a new enter.
void TControl::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (FEntered)
        return;
    FEntered = true;
    DoEnter();
}

void TControl::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason && window()->focusWidget() == this)
        return;
    FEntered = false;
    DoExit();
}

void TControl::SetMouseInside(bool inside)
{
    if (FMouseInside == inside)
        return;
    FMouseInside = inside;
    if (inside)
        MouseEnter();
    else
        MouseLeave();
}

void TControl::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    SetMouseInside(true);
}

void TControl::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    // While a button is held the moves decide (Qt reports the leave only at the release).
    if (QApplication::mouseButtons() == Qt::NoButton)
        SetMouseInside(false);
}

void TControl::ApplyCursor(int x, int y)
{
    if (CursorRequest(x, y))
        setCursor(LastSetCursor());
    else
        setCursor(Screen().Cursors(FCursor));
}

void TControl::mousePressEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!ButtonOf(event->button(), button)) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (button == mbLeft)
        FLeftPressed = true;
    const TPoint p = LocalPoint(event);
    SetMouseInside(rect().contains(p.X, p.Y)); // a press is inside even without an enter
    MouseDown(button, ShiftStateFromQt(event->modifiers(), event->buttons()), p.X, p.Y);
}

void TControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!ButtonOf(event->button(), button))
        return;
    if (button == mbLeft)
        FLeftPressed = true;
    const TPoint p = LocalPoint(event);
    MouseDown(button, ShiftStateFromQt(event->modifiers(), event->buttons()) | ssDouble, p.X, p.Y);
}

void TControl::mouseMoveEvent(QMouseEvent* event)
{
    TPoint p = LocalPoint(event);
    if (CursorClipRect()) {
        // Emulated pointer confinement: pull the pointer back into the rectangle.
        const QPoint global = event->globalPosition().toPoint();
        const TPoint clamped = ClampToCursorClip({global.x(), global.y()});
        if (clamped.X != global.x() || clamped.Y != global.y()) {
            QCursor::setPos(clamped.X, clamped.Y);
            p = ScreenToClient(clamped);
        }
    }
    if (event->buttons() != Qt::NoButton || FMouseCapture)
        SetMouseInside(rect().contains(p.X, p.Y));
    else
        SetMouseInside(true);
    ApplyCursor(p.X, p.Y);
    MouseMove(ShiftStateFromQt(event->modifiers(), event->buttons()), p.X, p.Y);
}

void TControl::mouseReleaseEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!ButtonOf(event->button(), button)) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const TPoint p = LocalPoint(event);
    const bool clicked = button == mbLeft && FLeftPressed && rect().contains(p.X, p.Y);
    if (button == mbLeft)
        FLeftPressed = false;
    MouseUp(button, ShiftStateFromQt(event->modifiers(), event->buttons()), p.X, p.Y);
    if (clicked)
        Click();
    if (event->buttons() == Qt::NoButton && !FMouseCapture)
        SetMouseInside(rect().contains(p.X, p.Y));
}

void TControl::keyPressEvent(QKeyEvent* event)
{
    uint16_t key = VirtualKeyFromQt(event->key());
    const TShiftState shift = ShiftStateFromQt(event->modifiers(), QApplication::mouseButtons());
    if (key != 0)
        KeyDown(key, shift);
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).unicode() >= 0x20) {
        char16_t ch = text.at(0).unicode();
        KeyPress(ch);
    }
    event->accept();
}

void TControl::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    uint16_t key = VirtualKeyFromQt(event->key());
    if (key != 0)
        KeyUp(key, ShiftStateFromQt(event->modifiers(), QApplication::mouseButtons()));
    event->accept();
}

TCustomControl::TCustomControl(QWidget* parent) : TControl(parent) {}

TGraphicControl::TGraphicControl(QWidget* parent) : TControl(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void GrabParentBackground(const TControl& control, TBitmap& bitmap)
{
    bitmap.SetPixelRatio(control.devicePixelRatioF());
    bitmap.SetSize(control.Width(), control.Height());
    QWidget* parent = control.parentWidget();
    if (parent == nullptr || bitmap.Empty()) {
        TCanvas& canvas = bitmap.Canvas();
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(control.Color());
        canvas.FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
        return;
    }
    QImage image(bitmap.DeviceLength(control.Width()), bitmap.DeviceLength(control.Height()),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(bitmap.PixelRatio());
    image.fill(ColorToQColor(control.Color()));
    {
        QPainter painter(&image);
        // Only the parent's own painting: the control and its siblings are left out.
        parent->render(&painter, QPoint(0, 0), QRegion(control.geometry()),
                       QWidget::DrawWindowBackground);
    }
    bitmap.SetImage(image);
}

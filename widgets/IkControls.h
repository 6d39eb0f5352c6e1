#pragma once
// Control bases of the instrument widgets. Each family (windowed TIkCustomControl, drawn-on-parent
// TIkGraphicControl) comes with an image variant that paints the whole face into an off-screen
// bitmap and puts it on the screen with one block copy, so nothing flickers. Also the
// non-visual TIkComponent and the library's hand cursor.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Control.h"
#include "platform/Cursors.h"
#include "widgets/IkClasses.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Published version of every control base.
inline const QString IkVersion = QStringLiteral("1.3");

// Screen cursor slot of the hand cursor (index finger up, hot spot (10, 5)).
constexpr TCursor crIkHandPoint = 99;

// Initialises the library once the QApplication exists: stores the hand cursor in the screen
// cursor table at slot crIkHandPoint. Calling again, or before the application exists, does
// nothing. The control constructors call it too, so a program that creates a widget is always
// initialised.
void IkInitialize();
// The 32 rows of 32 pixels of the hand cursor ('K' black, 'W' white, '.' transparent).
const std::vector<std::string>& IkHandPointPixels();

// A non-visual component owned by a Qt object (freed with its owner).
class TIkComponent : public QObject
{
public:
    explicit TIkComponent(QObject* owner = nullptr) : QObject(owner) {}
    QString Version() const { return IkVersion; }
};

using TIkControlEvent = std::function<void(TControl* sender)>;

// Windowed base. The runtime's mouse-enter, mouse-leave, font and text notifications fire the
// matching callbacks; UpdateControlCanvas repaints at once unless the control is loading.
class TIkCustomControl : public TCustomControl
{
public:
    explicit TIkCustomControl(QWidget* parent = nullptr);
    QString Version() const { return IkVersion; }

    // Repaints at once (synchronously) unless the control is being loaded.
    virtual void UpdateControlCanvas();

    TIkControlEvent OnMouseEnter;
    TIkControlEvent OnMouseLeave;
    TIkControlEvent OnFontChanged;
    TIkControlEvent OnTextChanged;

protected:
    void MouseEnter() override;
    void MouseLeave() override;
    void FontChanged() override;
    void TextChanged() override;
};

// Windowed base with an off-screen bitmap. Descendants' Paint: ClearBitmapCanvas, draw on
// BitmapCanvas, then TIkCustomImageControl::Paint, which copies the face to the screen.
class TIkCustomImageControl : public TIkCustomControl
{
public:
    explicit TIkCustomImageControl(QWidget* parent = nullptr);
    ~TIkCustomImageControl() override;

    TCanvas& BitmapCanvas();
    // The face as last drawn.
    const TBitmap& OffscreenBitmap() const { return *FBitmap; }

protected:
    // Sizes the off-screen bitmap to the control and fills it with Color.
    virtual void ClearBitmapCanvas();
    void Paint() override;

private:
    std::unique_ptr<TBitmap> FBitmap;
};

// Drawn-on-parent base: the same notifications and callbacks as TIkCustomControl.
class TIkGraphicControl : public TGraphicControl
{
public:
    explicit TIkGraphicControl(QWidget* parent = nullptr);
    QString Version() const { return IkVersion; }

    virtual void UpdateControlCanvas();

    TIkControlEvent OnMouseEnter;
    TIkControlEvent OnMouseLeave;
    TIkControlEvent OnFontChanged;
    TIkControlEvent OnTextChanged;

protected:
    void MouseEnter() override;
    void MouseLeave() override;
    void FontChanged() override;
    void TextChanged() override;
};

// Drawn-on-parent base with an off-screen bitmap and see-through painting. When Transparent,
// the parent's drawing beneath the control is grabbed into a background bitmap and copied
// under the face; a repaint through UpdateControlCanvas reuses the grabbed background instead
// of asking the parent to draw again.
class TIkGraphicImageControl : public TIkGraphicControl
{
public:
    explicit TIkGraphicImageControl(QWidget* parent = nullptr);
    ~TIkGraphicImageControl() override;

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);

    TCanvas& BitmapCanvas();
    const TBitmap& OffscreenBitmap() const { return *FBitmap; }
    // The parent's drawing as last grabbed (empty until the first transparent paint).
    const TBitmap& BackgroundBitmap() const { return *FBackground; }

    void UpdateControlCanvas() override;

protected:
    // Sizes the off-screen bitmap; puts the (grabbed) background or Color on it.
    virtual void ClearBitmapCanvas();
    void Paint() override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<TBitmap> FBackground;
    std::unique_ptr<TBitmap> FBitmap;
    bool FGrabBackground = true;
    bool FTransparent = false;
};

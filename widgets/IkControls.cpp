#include "widgets/IkControls.h"

#include <QGuiApplication>

#include <array>
#include <utility>

// ---------------------------------------------------------------------------------------------
// Hand cursor

namespace {

constexpr int HandSize = 32;
constexpr int HandFirstRow = 4;
constexpr int HandFirstColumn = 3;
constexpr int HandHotX = 10;
constexpr int HandHotY = 5;

// Drawn part of the hand: rows 4 to 26, columns 3 to 21.
constexpr std::array<const char*, 23> HandRows = {
    ".......KK..........", // 4
    "......KWWK.........", // 5
    "......KWWK.........", // 6
    "......KWWK.........", // 7
    "......KWWK.........", // 8
    "......KWWKKK.......", // 9
    "......KWWKWWK......", // 10
    "......KWWKWWKKK....", // 11
    "......KWWKWWKWWKK..", // 12
    "......KWWKWWKWWKWK.", // 13
    "KKK...KWWKWWKWWKWWK", // 14
    "KWWK..KWWWWWKWWKWWK", // 15
    "KWWWKKKWWWWWKWWKWWK", // 16
    ".KWWWKKWWWWWWWWKWWK", // 17
    "..KWWWKWWWWWWWWKWWK", // 18
    "..KWWWKWWWWWWWWWWWK", // 19
    "...KWWWWWWWWWWWWWWK", // 20
    "...KWWWWWWWWWWWWWWK", // 21
    "....KWWWWWWWWWWWWK.", // 22
    ".....KWWWWWWWWWWWK.", // 23
    ".....KWWWWWWWWWWK..", // 24
    "......KWWWWWWWWWK..", // 25
    ".......KKKKKKKKK...", // 26
};

std::vector<std::string> BuildHandPixels()
{
    std::vector<std::string> rows(HandSize, std::string(HandSize, '.'));
    for (size_t i = 0; i < HandRows.size(); ++i)
        rows[HandFirstRow + i].replace(HandFirstColumn, std::char_traits<char>::length(HandRows[i]),
                                       HandRows[i]);
    return rows;
}

bool Initialized = false;

} // namespace

const std::vector<std::string>& IkHandPointPixels()
{
    static const std::vector<std::string> pixels = BuildHandPixels();
    return pixels;
}

void IkInitialize()
{
    // Cursor bitmaps need the GUI application; before it exists this does nothing, so a later
    // call still initialises.
    if (Initialized || QGuiApplication::instance() == nullptr)
        return;
    Initialized = true;
    Screen().SetCursors(crIkHandPoint,
                        CreateMonochromeCursor(IkHandPointPixels(), HandHotX, HandHotY));
}

// ---------------------------------------------------------------------------------------------
// Shared notification handling of both families

namespace {

void Fire(const TIkControlEvent& event, TControl* sender)
{
    if (event)
        event(sender);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TIkCustomControl

TIkCustomControl::TIkCustomControl(QWidget* parent) : TCustomControl(parent)
{
    IkInitialize();
}

void TIkCustomControl::UpdateControlCanvas()
{
    if (!IsLoading())
        Repaint();
}

void TIkCustomControl::MouseEnter()
{
    TCustomControl::MouseEnter();
    Fire(OnMouseEnter, this);
}

void TIkCustomControl::MouseLeave()
{
    TCustomControl::MouseLeave();
    Fire(OnMouseLeave, this);
}

void TIkCustomControl::FontChanged()
{
    TCustomControl::FontChanged();
    Fire(OnFontChanged, this);
}

void TIkCustomControl::TextChanged()
{
    TCustomControl::TextChanged();
    Fire(OnTextChanged, this);
}

// ---------------------------------------------------------------------------------------------
// TIkCustomImageControl

TIkCustomImageControl::TIkCustomImageControl(QWidget* parent)
    : TIkCustomControl(parent), FBitmap(std::make_unique<TBitmap>())
{
}

TIkCustomImageControl::~TIkCustomImageControl() = default;

TCanvas& TIkCustomImageControl::BitmapCanvas()
{
    return FBitmap->Canvas();
}

void TIkCustomImageControl::ClearBitmapCanvas()
{
    // The buffer follows the screen's pixel ratio (also after a move to another screen).
    FBitmap->SetPixelRatio(devicePixelRatioF());
    FBitmap->SetSize(Width(), Height());
    TCanvas& canvas = FBitmap->Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(ClientRect());
}

void TIkCustomImageControl::Paint()
{
    BitBlt(Canvas(), 0, 0, Width(), Height(), FBitmap->Canvas(), 0, 0);
}

// ---------------------------------------------------------------------------------------------
// TIkGraphicControl

TIkGraphicControl::TIkGraphicControl(QWidget* parent) : TGraphicControl(parent)
{
    IkInitialize();
}

void TIkGraphicControl::UpdateControlCanvas()
{
    if (!IsLoading())
        Repaint();
}

void TIkGraphicControl::MouseEnter()
{
    TGraphicControl::MouseEnter();
    Fire(OnMouseEnter, this);
}

void TIkGraphicControl::MouseLeave()
{
    TGraphicControl::MouseLeave();
    Fire(OnMouseLeave, this);
}

void TIkGraphicControl::FontChanged()
{
    TGraphicControl::FontChanged();
    Fire(OnFontChanged, this);
}

void TIkGraphicControl::TextChanged()
{
    TGraphicControl::TextChanged();
    Fire(OnTextChanged, this);
}

// ---------------------------------------------------------------------------------------------
// TIkGraphicImageControl

TIkGraphicImageControl::TIkGraphicImageControl(QWidget* parent)
    : TIkGraphicControl(parent), FBackground(std::make_unique<TBitmap>()),
      FBitmap(std::make_unique<TBitmap>())
{
}

TIkGraphicImageControl::~TIkGraphicImageControl() = default;

TCanvas& TIkGraphicImageControl::BitmapCanvas()
{
    return FBitmap->Canvas();
}

void TIkGraphicImageControl::SetTransparent(bool value)
{
    if (FTransparent == value)
        return;
    FTransparent = value;
    // A see-through control needs the parent drawn beneath it before its next paint.
    SetOpaque(!value);
    UpdateControlCanvas();
}

void TIkGraphicImageControl::UpdateControlCanvas()
{
    if (FTransparent && !FBackground->Empty()) {
        // The parent has not changed: reuse the grabbed background and skip its redraw.
        FGrabBackground = false;
        SetOpaque(true);
    }
    TIkGraphicControl::UpdateControlCanvas();
}

void TIkGraphicImageControl::paintEvent(QPaintEvent* event)
{
    FBitmap->SetPixelRatio(devicePixelRatioF());
    FBitmap->SetSize(Width(), Height());
    TIkGraphicControl::paintEvent(event);
}

void TIkGraphicImageControl::ClearBitmapCanvas()
{
    FBitmap->SetPixelRatio(devicePixelRatioF());
    FBitmap->SetSize(Width(), Height());
    TCanvas& canvas = FBitmap->Canvas();
    canvas.Brush().SetStyle(bsSolid);
    if (FTransparent) {
        if (FGrabBackground)
            GrabParentBackground(*this, *FBackground);
        canvas.Draw(0, 0, *FBackground);
    } else {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(ClientRect());
    }
}

void TIkGraphicImageControl::Paint()
{
    BitBlt(Canvas(), 0, 0, Width(), Height(), FBitmap->Canvas(), 0, 0);
    if (FTransparent) {
        FGrabBackground = true;
        SetOpaque(false);
    }
}

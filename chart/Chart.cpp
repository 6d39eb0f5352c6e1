#include "chart/Chart.h"

#include <algorithm>
#include <cstdlib>

// ---- Shapes -----------------------------------------------------------------------------------

TChartCustomShapeBrushPen::TChartCustomShapeBrushPen(TCustomChart* chart) : FChart(chart)
{
    FBrush.OnChange = [this](TBrush*) { Repaint(); };
    FPen.OnChange = [this](TPen*) { Repaint(); };
}

TChartCustomShapeBrushPen::~TChartCustomShapeBrushPen()
{
    FBrush.OnChange = nullptr;
    FPen.OnChange = nullptr;
}

void TChartCustomShapeBrushPen::SetVisible(bool value)
{
    Store(FVisible, value);
}

void TChartCustomShapeBrushPen::Repaint()
{
    if (FChart != nullptr)
        FChart->Invalidate();
}

TChartCustomShape::TChartCustomShape(TCustomChart* chart) : TChartCustomShapeBrushPen(chart)
{
    FFont.OnChange = [this](TFont*) { Repaint(); };
    FShadow.OnChange = [this] { Repaint(); };
}

TChartCustomShape::~TChartCustomShape()
{
    FFont.OnChange = nullptr;
    FShadow.OnChange = nullptr;
}

TChartGradient& TChartCustomShape::Gradient()
{
    if (!FGradient) {
        FGradient = std::make_unique<TChartGradient>();
        FGradient->OnChange = [this] { Repaint(); };
    }
    return *FGradient;
}

void TChartCustomShape::SetTransparency(int value)
{
    Store(FTransparency, std::clamp(value, 0, 100));
}

void TChartCustomShape::DrawShape(TChartCanvas3D& canvas)
{
    if (FTransparent || IsRectEmpty(FShapeBounds))
        return;
    TRect r = FShapeBounds;
    const bool round = FShapeStyle == fosRoundRectangle;
    const int corner = 8;
    // Shadow below and right of the shape.
    if (FShadow.HorizSize() != 0 || FShadow.VertSize() != 0) {
        TRect s = r;
        OffsetRect(s, FShadow.HorizSize(), FShadow.VertSize());
        canvas.Pen().SetStyle(psClear);
        canvas.Brush().SetBitmap(nullptr);
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(canvas.Monochrome() ? clBlack : FShadow.Color());
        if (round)
            canvas.RoundRect(s.Left, s.Top, s.Right + 1, s.Bottom + 1, corner, corner);
        else
            canvas.FillRect(s);
    }
    if (HasVisibleGradient()) {
        canvas.GradientFill(r, *FGradient);
        canvas.Brush().SetStyle(bsClear);
    } else {
        canvas.SelectBrush(Brush(), FColor);
    }
    canvas.SelectPen(Pen());
    if (round)
        canvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, corner, corner);
    else
        canvas.Rectangle(r);
    if (FBevel != bvNone) {
        TRect inner = r;
        InflateRect(inner, -1, -1);
        const bool raised = FBevel == bvRaised;
        canvas.BevelFrame(inner, raised ? clBtnHighlight : clBtnShadow, FBevelWidth,
                          raised ? clBtnShadow : clBtnHighlight);
    }
}

void TChartCustomShapePosition::SetLeft(int value)
{
    if (FShapeBounds.Left == value)
        return;
    const int width = FShapeBounds.Width();
    FShapeBounds.Left = value;
    FShapeBounds.Right = value + width;
    Repaint();
}

void TChartCustomShapePosition::SetTop(int value)
{
    if (FShapeBounds.Top == value)
        return;
    const int height = FShapeBounds.Height();
    FShapeBounds.Top = value;
    FShapeBounds.Bottom = value + height;
    Repaint();
}

// ---- Titles -----------------------------------------------------------------------------------

TChartTitle::TChartTitle(TCustomChart* chart, bool onTop)
    : TChartCustomShapePosition(chart), FOnTop(onTop)
{
    SetTransparent(true);
    Font().SetColor(clBlue);
}

void TChartTitle::SetText(const QStringList& value)
{
    if (FText == value)
        return;
    FText = value;
    Repaint();
}

void TChartTitle::AddLine(const QString& line)
{
    FText.append(line);
    Repaint();
}

void TChartTitle::DrawTitle()
{
    TCustomChart* chart = ParentChart();
    if (chart == nullptr)
        return;
    if (!Visible() || FText.isEmpty()) {
        if (!CustomPosition())
            FShapeBounds = {};
        return;
    }
    TChartCanvas3D& c = chart->ChartCanvas();
    int fw = Pen().Visible() && Pen().Color() != clDefault ? Pen().Width() : 0;
    if (Bevel() != bvNone)
        fw = BevelWidth();
    // A frame wider than any control counts as that wide, so the bounds stay computable.
    fw = std::clamp(fw, 0, CoordinateLimit);
    const bool custom = CustomPosition();
    TRect b = custom ? FShapeBounds : chart->PlotRect();
    if (!custom && FOnTop)
        b.Top += fw;
    c.SelectFont(Font());
    c.SetTextAlign(TA_LEFT | TA_TOP);
    const int lh = c.FontHeight();
    const int n = static_cast<int>(FText.size());
    if (FOnTop || custom)
        b.Bottom = b.Top + n * lh;
    else
        b.Top = b.Bottom - n * lh;
    if (!custom)
        InflateRect(b, fw, fw);
    const int wW = c.MeasureTextWidth("W");
    if (FAdjustFrame) {
        int widest = 0;
        for (const QString& line : FText)
            widest = std::max(widest, c.MeasureTextWidth(line));
        const int tw = wW + fw + widest;
        switch (FAlignment) {
        case taLeftJustify:
            b.Right = b.Left + tw;
            break;
        case taRightJustify:
            b.Left = b.Right - tw;
            break;
        case taCenter: {
            if (custom)
                b.Right = b.Left + tw;
            const int centre = (b.Left + b.Right) / 2;
            const int half = tw / 2;
            b.Left = centre - half;
            b.Right = centre + half;
            break;
        }
        }
    }
    FShapeBounds = b;
    if (!Transparent())
        DrawShape(c);
    c.SetBackgroundMode(TRANSPARENT);
    for (int i = 0; i < n; ++i) {
        const QString& line = FText[i];
        int y = i * lh + fw;
        y = FOnTop ? b.Top + y : b.Bottom - lh - y;
        int x;
        switch (FAlignment) {
        case taRightJustify:
            x = b.Right - c.MeasureTextWidth(line) - wW / 2;
            break;
        case taLeftJustify:
            x = b.Left + wW / 2;
            break;
        default:
            x = (b.Left + b.Right) / 2 - c.MeasureTextWidth(line) / 2;
            break;
        }
        c.TextOut(x, y, line);
    }
    if (!custom) {
        const int gap = TitleSpacing + fw + (Transparent() ? 0 : Shadow().VertSize());
        TRect plot = chart->PlotRect();
        if (FOnTop)
            plot.Top = b.Bottom + gap;
        else
            plot.Bottom = b.Bottom - gap - n * lh;
        chart->SetPlotRect(plot);
    }
}

bool TChartTitle::Clicked(int x, int y) const
{
    return Visible() && PtInRect(FShapeBounds, {x, y});
}

TChartFootTitle::TChartFootTitle(TCustomChart* chart) : TChartTitle(chart, false)
{
    Font().SetColor(clRed);
    Font().SetStyle(fsItalic);
}

// ---- Walls ------------------------------------------------------------------------------------

TChartWall::TChartWall(TCustomChart* chart, TColor color, bool transparent, bool visible)
    : FChart(chart), FColor(color), FTransparent(transparent), FVisible(visible)
{
    FPen.OnChange = [this](TPen*) { Repaint(); };
    FBrush.OnChange = [this](TBrush*) { Repaint(); };
    FGradient.OnChange = [this] { Repaint(); };
}

void TChartWall::Repaint()
{
    if (FChart != nullptr)
        FChart->Invalidate();
}

void TChartWall::SetTransparency(int value)
{
    Store(FTransparency, std::clamp(value, 0, 100));
}

void TChartWall::DrawBackWall(TChartCanvas3D& c, const TRect& plotRect, const TBitmap* insideImage)
{
    c.SelectPen(FPen);
    if (FTransparent) {
        c.Brush().SetStyle(bsClear);
    } else {
        TColor fill = FColor;
        // A hatch in the wall's own colour would vanish: draw it black (white on black).
        if (FBrush.Style() != bsSolid && FBrush.Color() == FColor)
            fill = FColor == clBlack ? clWhite : clBlack;
        c.SelectBrushColors(FBrush, fill, FBrush.Color());
    }
    const TRect r{plotRect.Left, plotRect.Top, plotRect.Right + 1, plotRect.Bottom + 1};
    // Blends are not drawn by this canvas; a wall with Transparency is laid down opaque.
    if (FGradient.Visible() && !FTransparent) {
        c.GradientFill(r, FGradient);
        c.Brush().SetStyle(bsClear);
    }
    c.Rectangle(r);
    if (insideImage != nullptr && !insideImage->Empty()) {
        TRect inside = plotRect;
        if (FPen.Visible())
            OffsetRect(inside, 1, 1);
        if (TCanvas* surface = c.Surface())
            surface->StretchDraw(inside, *insideImage);
    }
}

TChartWalls::TChartWalls(TCustomChart* chart)
    : FBack(chart, clSilver, true, true), FLeft(chart, 0x80FFFF, false, true),
      FBottom(chart, clWhite, false, true), FRight(chart, clSilver, false, false)
{
}

// ---- Legend -----------------------------------------------------------------------------------

TChartLegend::TChartLegend(TCustomChart* chart) : TChartCustomShapePosition(chart)
{
    SetShapeBounds({});
}

void TChartLegend::DrawLegend()
{
    TCustomChart* chart = ParentChart();
    if (chart == nullptr || !Visible())
        return;
    std::vector<TChartSeries*> listed;
    for (int32_t i = 0; i < chart->SeriesCount(); ++i) {
        TChartSeries& series = chart->SeriesAt(i);
        if (series.Active() && series.ShowInLegend())
            listed.push_back(&series);
    }
    if (listed.empty()) {
        FShapeBounds = {};
        return;
    }
    TChartCanvas3D& c = chart->ChartCanvas();
    c.SelectFont(Font());
    c.SetTextAlign(TA_LEFT | TA_TOP);
    const int lh = c.FontHeight();
    auto title = [&](size_t i) {
        const std::string& t = listed[i]->Title();
        return t.empty() ? QStringLiteral("Series%1").arg(chart->SeriesIndexOf(*listed[i]))
                         : TChartCanvas::FromUtf8(t);
    };
    int widest = 0;
    for (size_t i = 0; i < listed.size(); ++i)
        widest = std::max(widest, c.MeasureTextWidth(title(i)));
    const int box = std::max(lh - 4, 4);
    const int width = 4 + box + 4 + widest + 4;
    const int height = 2 + static_cast<int>(listed.size()) * lh + 2;
    TRect plot = chart->PlotRect();
    TRect b;
    if (CustomPosition()) {
        b = {FShapeBounds.Left, FShapeBounds.Top, FShapeBounds.Left + width,
             FShapeBounds.Top + height};
    } else {
        switch (FAlignment) {
        case laLeft:
            b = {plot.Left, plot.Top, plot.Left + width, plot.Top + height};
            plot.Left = b.Right + TitleSpacing;
            break;
        case laTop:
            b = {(plot.Left + plot.Right - width) / 2, plot.Top,
                 (plot.Left + plot.Right + width) / 2, plot.Top + height};
            plot.Top = b.Bottom + TitleSpacing;
            break;
        case laBottom:
            b = {(plot.Left + plot.Right - width) / 2, plot.Bottom - height,
                 (plot.Left + plot.Right + width) / 2, plot.Bottom};
            plot.Bottom = b.Top - TitleSpacing;
            break;
        default:
            b = {plot.Right - width, plot.Top, plot.Right, plot.Top + height};
            plot.Right = b.Left - TitleSpacing;
            break;
        }
    }
    FShapeBounds = b;
    DrawShape(c);
    c.SetBackgroundMode(TRANSPARENT);
    for (size_t i = 0; i < listed.size(); ++i) {
        const int y = b.Top + 2 + static_cast<int>(i) * lh;
        TPen& pen = c.Pen();
        pen.SetNormal();
        pen.SetStyle(psSolid);
        pen.SetWidth(1);
        pen.SetColor(clBlack);
        c.Brush().SetBitmap(nullptr);
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(c.Monochrome() ? clWhite : listed[i]->SeriesColor());
        c.Rectangle(b.Left + 4, y + 2, b.Left + 4 + box, y + 2 + box);
        c.SetBackgroundMode(TRANSPARENT);
        c.TextOut(b.Left + 4 + box + 4, y, title(i));
    }
    if (!CustomPosition())
        chart->SetPlotRect(plot);
}

bool TChartLegend::Clicked(int x, int y) const
{
    return Visible() && PtInRect(FShapeBounds, {x, y});
}

// ---- TCustomChart -----------------------------------------------------------------------------

TCustomChart::TCustomChart(QWidget* parent) : TCustomAxisPanel(parent)
{
    FRepaintEnabled = false;
    FTitle = std::make_unique<TChartTitle>(this, true);
    FSubTitle = std::make_unique<TChartTitle>(this, true);
    FFoot = std::make_unique<TChartFootTitle>(this);
    FSubFoot = std::make_unique<TChartFootTitle>(this);
    FWalls = std::make_unique<TChartWalls>(this);
    FLegend = std::make_unique<TChartLegend>(this);
    FRepaintEnabled = true;
}

TCustomChart::~TCustomChart()
{
    FRepaintEnabled = false;
}

TColor TCustomChart::BackColor() const
{
    return FWalls->Back().Transparent() ? Color() : FWalls->Back().Color();
}

void TCustomChart::DrawTitlesAndLegend(bool beforeSeries)
{
    TChartTitle* titles[] = {FTitle.get(), FSubTitle.get(), FFoot.get(), FSubFoot.get()};
    if (beforeSeries) {
        for (TChartTitle* title : titles)
            if (!title->CustomPosition())
                title->DrawTitle();
        if (FLegend->Visible() && !FLegend->CustomPosition())
            FLegend->DrawLegend();
        return;
    }
    if (FLegend->Visible() && FLegend->CustomPosition())
        FLegend->DrawLegend();
    for (TChartTitle* title : titles)
        if (title->CustomPosition())
            title->DrawTitle();
}

void TCustomChart::DrawWalls()
{
    TChartCanvas3D& c = ChartCanvas();
    // Depth walls (right, left, bottom) belong to depth views, which these charts do not draw.
    if (FWalls->Back().Visible())
        FWalls->Back().DrawBackWall(c, PlotRect(),
                                    BackImageInside() && HasBackImage() ? &BackImage() : nullptr);
}

void TCustomChart::ClickedAt(TMouseButton button, TShiftState shift, int x, int y)
{
    if (FLegend->Clicked(x, y)) {
        if (OnClickLegend)
            OnClickLegend(this);
        return;
    }
    for (int32_t i = SeriesCount() - 1; i >= 0; --i) {
        TChartSeries& series = SeriesAt(i);
        if (!series.Active())
            continue;
        const int32_t index = series.PointAtPixel(x, y);
        if (index < 0)
            continue;
        if (series.OnClick)
            series.OnClick(series, index, x, y);
        if (OnClickSeries)
            OnClickSeries(this, series, index, button, shift, x, y);
        return;
    }
    for (TChartAxis* axis : Axes()) {
        if (!IsAxisVisible(*axis))
            continue;
        // The axis line and its tick strip (in 64 bits: the strip may be as wide as an int).
        const int64_t strip = int64_t{axis->StripSize()} + 1;
        const int64_t pos = axis->AxisLinePos();
        const bool onAxis =
            axis->Horizontal()
                ? (x >= axis->StartPixel() && x <= axis->EndPixel() && std::llabs(y - pos) <= strip)
                : (y >= axis->StartPixel() && y <= axis->EndPixel() &&
                   std::llabs(x - pos) <= strip);
        if (onAxis) {
            if (OnClickAxis)
                OnClickAxis(this, *axis, button, shift, x, y);
            return;
        }
    }
    for (TChartTitle* title :
         {FTitle.get(), FSubTitle.get(), static_cast<TChartTitle*>(FFoot.get()),
          static_cast<TChartTitle*>(FSubFoot.get())}) {
        if (title->Clicked(x, y)) {
            if (OnClickTitle)
                OnClickTitle(this, *title, button, shift, x, y);
            return;
        }
    }
    if (PtInRect(PlotRect(), {x, y}) && OnClickBackground)
        OnClickBackground(this, button, shift, x, y);
}

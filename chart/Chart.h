#pragma once
// The chart control: titles above and below the plot, walls around it, legend, click detection,
// and TChart, the control placed on the windows. The panel chain beneath is in chart/ChartPanel.h.
#include "chart/ChartCanvas.h"
#include "chart/ChartPanel.h"
#include "chart/ChartTools.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TCustomChart;

// Horizontal placement of title lines.
enum TAlignment
{
    taLeftJustify,
    taRightJustify,
    taCenter
};

enum TChartObjectShapeStyle
{
    fosRectangle,
    fosRoundRectangle
};

// Gap between a title block and the plot.
constexpr int TitleSpacing = 5;

// ---- Shapes -----------------------------------------------------------------------------------

// A shape with a brush, a pen and visibility; every change repaints the owning chart.
class TChartCustomShapeBrushPen
{
public:
    explicit TChartCustomShapeBrushPen(TCustomChart* chart);
    virtual ~TChartCustomShapeBrushPen();
    TChartCustomShapeBrushPen(const TChartCustomShapeBrushPen&) = delete;
    TChartCustomShapeBrushPen& operator=(const TChartCustomShapeBrushPen&) = delete;

    TChartBrush& Brush() { return FBrush; }
    const TChartBrush& Brush() const { return FBrush; }
    void SetBrush(const TChartBrush& value) { FBrush.Assign(value); }
    TChartPen& Pen() { return FPen; }
    const TChartPen& Pen() const { return FPen; }
    void SetPen(const TChartPen& value) { FPen.Assign(value); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    TCustomChart* ParentChart() const { return FChart; }

    // Asks the chart to repaint.
    void Repaint();

protected:
    template <typename T> void Store(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            Repaint();
        }
    }

private:
    TCustomChart* FChart;
    TChartBrush FBrush;
    TChartPen FPen;
    bool FVisible = true;
};

// Adds colour, font, bevel, shadow, gradient and transparency; draws itself over its bounds.
class TChartCustomShape : public TChartCustomShapeBrushPen
{
public:
    explicit TChartCustomShape(TCustomChart* chart);
    ~TChartCustomShape() override;

    TPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TPanelBevel value) { Store(FBevel, value); }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value) { Store(FBevelWidth, value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { Store(FColor, value); }
    TChartFont& Font() { return FFont; }
    const TChartFont& Font() const { return FFont; }
    TChartObjectShapeStyle ShapeStyle() const { return FShapeStyle; }
    void SetShapeStyle(TChartObjectShapeStyle value) { Store(FShapeStyle, value); }
    // Black, size 3.
    TChartShadow& Shadow() { return FShadow; }
    const TChartShadow& Shadow() const { return FShadow; }
    // Created when first read.
    TChartGradient& Gradient();
    bool HasVisibleGradient() const { return FGradient && FGradient->Visible(); }
    // Percent 0..100 (clamped).
    int Transparency() const { return FTransparency; }
    void SetTransparency(int value);
    // A transparent shape draws neither fill, frame, shadow nor bevel.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { Store(FTransparent, value); }
    // The shape's bounds in the last paint.
    TRect ShapeBounds() const { return FShapeBounds; }
    void SetShapeBounds(const TRect& value) { FShapeBounds = value; }

    // Draws fill, frame, shadow and bevel over ShapeBounds (nothing when Transparent).
    void DrawShape(TChartCanvas3D& canvas);

protected:
    TRect FShapeBounds;

private:
    TPanelBevel FBevel = bvNone;
    int FBevelWidth = 2;
    TColor FColor = clWhite;
    TChartFont FFont;
    TChartObjectShapeStyle FShapeStyle = fosRectangle;
    TChartShadow FShadow{clBlack, 3};
    std::unique_ptr<TChartGradient> FGradient;
    int FTransparency = 0;
    bool FTransparent = false;
};

// A shape placed at its own Left/Top when CustomPosition is set.
class TChartCustomShapePosition : public TChartCustomShape
{
public:
    using TChartCustomShape::TChartCustomShape;

    bool CustomPosition() const { return FCustomPosition; }
    void SetCustomPosition(bool value) { Store(FCustomPosition, value); }
    int Left() const { return FShapeBounds.Left; }
    void SetLeft(int value);
    int Top() const { return FShapeBounds.Top; }
    void SetTop(int value);

private:
    bool FCustomPosition = false;
};

// ---- Titles -----------------------------------------------------------------------------------

// A block of text lines above (Title, SubTitle) or below (Foot, SubFoot) the plot. Drawn first in
// a paint, it pushes the plot rectangle away from its edge.
class TChartTitle : public TChartCustomShapePosition
{
public:
    TChartTitle(TCustomChart* chart, bool onTop);

    // One line per string; a change requests a repaint.
    const QStringList& Text() const { return FText; }
    void SetText(const QStringList& value);
    // Appends one line.
    void AddLine(const QString& line);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value) { Store(FAlignment, value); }
    // Narrow the bounds to the text width.
    bool AdjustFrame() const { return FAdjustFrame; }
    void SetAdjustFrame(bool value) { Store(FAdjustFrame, value); }
    // The frame pen (the shape's pen).
    TChartPen& Frame() { return Pen(); }
    const TChartPen& Frame() const { return Pen(); }
    // Edge of the plot the block stands at.
    bool OnTop() const { return FOnTop; }

    // Draws the title and, unless custom-positioned, moves the plot rectangle's edge away.
    // Nothing (and no room taken) when invisible or without text.
    void DrawTitle();
    // True when the title is visible and (x, y) lies in its bounds of the last paint.
    bool Clicked(int x, int y) const;

private:
    QStringList FText;
    TAlignment FAlignment = taCenter;
    bool FAdjustFrame = true;
    bool FOnTop;
};

// A title below the plot: red italic by default.
class TChartFootTitle : public TChartTitle
{
public:
    explicit TChartFootTitle(TCustomChart* chart);
};

// ---- Walls ------------------------------------------------------------------------------------

// A wall of the plot: flat charts draw only the back wall, as a frame around the plot rectangle.
class TChartWall
{
public:
    TChartWall(TCustomChart* chart, TColor color, bool transparent, bool visible);
    TChartWall(const TChartWall&) = delete;
    TChartWall& operator=(const TChartWall&) = delete;

    TChartPen& Pen() { return FPen; }
    const TChartPen& Pen() const { return FPen; }
    TChartBrush& Brush() { return FBrush; }
    const TChartBrush& Brush() const { return FBrush; }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { Store(FColor, value); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { Store(FTransparent, value); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { Store(FVisible, value); }
    // Thickness in depth views.
    int Size() const { return FSize; }
    void SetSize(int value) { Store(FSize, value); }
    bool Dark3D() const { return FDark3D; }
    void SetDark3D(bool value) { Store(FDark3D, value); }
    // Percent 0..100 (clamped).
    int Transparency() const { return FTransparency; }
    void SetTransparency(int value);
    TChartGradient& Gradient() { return FGradient; }
    const TChartGradient& Gradient() const { return FGradient; }

    // The back wall of a flat chart over the plot rectangle: frame on its edge columns and rows.
    void DrawBackWall(TChartCanvas3D& canvas, const TRect& plotRect, const TBitmap* insideImage);

    void Repaint();

private:
    template <typename T> void Store(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            Repaint();
        }
    }

    TCustomChart* FChart;
    TChartPen FPen;
    TChartBrush FBrush;
    TColor FColor;
    bool FTransparent;
    bool FVisible;
    int FSize = 0;
    bool FDark3D = true;
    int FTransparency = 0;
    TChartGradient FGradient;
};

class TChartWalls
{
public:
    explicit TChartWalls(TCustomChart* chart);

    TChartWall& Back() { return FBack; }
    TChartWall& Left() { return FLeft; }
    TChartWall& Bottom() { return FBottom; }
    TChartWall& Right() { return FRight; }

private:
    TChartWall FBack;
    TChartWall FLeft;
    TChartWall FBottom;
    TChartWall FRight;
};

// ---- Legend -----------------------------------------------------------------------------------

enum TLegendAlignment
{
    laLeft,
    laRight,
    laTop,
    laBottom
};

// The legend: one entry per active series shown in the legend, a colour box and the title.
class TChartLegend : public TChartCustomShapePosition
{
public:
    explicit TChartLegend(TCustomChart* chart);

    TLegendAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TLegendAlignment value) { Store(FAlignment, value); }
    // Draws the legend at its side and takes its room from the plot rectangle (when visible and
    // some series is listed).
    void DrawLegend();
    bool Clicked(int x, int y) const;

private:
    TLegendAlignment FAlignment = laRight;
};

// ---- The chart ----------------------------------------------------------------------------------

// Click on a title, axis or the plot background.
using TChartTitleClickEvent =
    std::function<void(TCustomChart* sender, TChartTitle& title, TMouseButton button,
                       TShiftState shift, int x, int y)>;
using TChartAxisClickEvent = std::function<void(
    TCustomChart* sender, TChartAxis& axis, TMouseButton button, TShiftState shift, int x, int y)>;
using TChartSeriesClickEvent =
    std::function<void(TCustomChart* sender, TChartSeries& series, int32_t valueIndex,
                       TMouseButton button, TShiftState shift, int x, int y)>;
using TChartBackgroundClickEvent =
    std::function<void(TCustomChart* sender, TMouseButton button, TShiftState shift, int x, int y)>;

class TCustomChart : public TCustomAxisPanel
{
public:
    explicit TCustomChart(QWidget* parent = nullptr);
    ~TCustomChart() override;

    TChartTitle& Title() { return *FTitle; }
    TChartTitle& SubTitle() { return *FSubTitle; }
    TChartFootTitle& Foot() { return *FFoot; }
    TChartFootTitle& SubFoot() { return *FSubFoot; }

    TChartWalls& Walls() { return *FWalls; }
    TChartWall& BackWall() { return FWalls->Back(); }
    TChartWall& LeftWall() { return FWalls->Left(); }
    TChartWall& BottomWall() { return FWalls->Bottom(); }
    TChartWall& RightWall() { return FWalls->Right(); }
    // The back wall's pen.
    TChartPen& Frame() { return FWalls->Back().Pen(); }

    TChartLegend& Legend() { return *FLegend; }

    // Colour of the chart behind the series: Color when the back wall is transparent, else the
    // back wall's colour.
    TColor BackColor() const override;

    // Click events (unassigned in this program).
    TChartTitleClickEvent OnClickTitle;
    TChartAxisClickEvent OnClickAxis;
    TChartSeriesClickEvent OnClickSeries;
    TChartBackgroundClickEvent OnClickBackground;
    TChartNotifyEvent OnClickLegend;

protected:
    void DrawTitlesAndLegend(bool beforeSeries) override;
    void DrawWalls() override;
    void ClickedAt(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    std::unique_ptr<TChartTitle> FTitle;
    std::unique_ptr<TChartTitle> FSubTitle;
    std::unique_ptr<TChartFootTitle> FFoot;
    std::unique_ptr<TChartFootTitle> FSubFoot;
    std::unique_ptr<TChartWalls> FWalls;
    std::unique_ptr<TChartLegend> FLegend;
};

// The chart control of the windows.
class TChart : public TCustomChart
{
public:
    explicit TChart(QWidget* parent = nullptr) : TCustomChart(parent) {}
};

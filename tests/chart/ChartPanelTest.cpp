// The chart control: plot rectangle layout, the paint cycle's picture and order, repaint requests
// during a paint, uncovering, mouse dispatch with the cursor rule, tools, titles and walls, and
// the kept picture. Pixels are read from the chart's off-screen buffer.
#include "chart/Chart.h"
#include "chart/ChartTools.h"
#include "chart/Series.h"
#include "tests/support/ProgramChart.h"
#include "tests/support/SaveIfAsked.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// Runs the event loop until done() holds, for at most 10 s; returns done() at the end.
template <typename Predicate> bool WaitUntil(Predicate done)
{
    return QTest::qWaitFor(done, 10000);
}

// Shows window and waits until it is on screen and chart has painted in it.
bool ShowPainted(QWidget& window, const TChart* chart)
{
    window.show();
    return QTest::qWaitForWindowExposed(&window) &&
           WaitUntil([&] { return chart->DrawCount() > 0; });
}

// Moves the mouse over widget to p, through its window, and waits until the widget has had the
// move.
bool MouseMoveTo(QWidget* widget, QPoint p)
{
    struct TSeen : QObject
    {
        QPoint At{-1, -1};
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::MouseMove)
                At = static_cast<QMouseEvent*>(event)->position().toPoint();
            return false;
        }
    } seen;
    widget->installEventFilter(&seen);
    QTest::mouseMove(widget, p);
    const bool moved = WaitUntil([&] { return seen.At == p; });
    widget->removeEventFilter(&seen);
    return moved;
}

TLineSeries& AddLine(TChart& chart, TColor color, int width)
{
    auto series = std::make_unique<TLineSeries>();
    series->SetSeriesColor(color);
    series->LinePen().SetWidth(width);
    return chart.AddSeries(std::move(series));
}

// Draws the chart as a paint of the control would, into its buffer, and returns the picture.
QImage Paint(TChart& chart)
{
    TBitmap screen(chart.Width(), chart.Height());
    chart.ChartCanvas().MarkDirty();
    chart.Draw(screen.Canvas(), chart.ClientRect());
    return chart.ChartCanvas().BufferBitmap()->Image().copy();
}

TColor PixelOf(const QImage& image, int x, int y)
{
    return QColorToColor(QColor(image.pixel(x, y)));
}

int CountInRow(const QImage& image, int y, int x0, int x1, TColor color)
{
    int n = 0;
    for (int x = x0; x < x1; ++x)
        n += PixelOf(image, x, y) == color;
    return n;
}

int CountInColumn(const QImage& image, int x, int y0, int y1, TColor color)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        n += PixelOf(image, x, y) == color;
    return n;
}

TRect BoundsOf(const QImage& image, TColor color, const TRect& area)
{
    TRect r{area.Right, area.Bottom, area.Left, area.Top};
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            if (PixelOf(image, x, y) == color) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r;
}

// A tool that logs its events and can mark a point in the after-draw stage.
class TProbeTool : public TChartCustomTool
{
public:
    std::vector<std::string>* Log = nullptr;
    std::string Name;
    bool HandleMouse = false;
    TPoint Mark{-1, -1};

    void PaintStageEvent(TChartToolPaintStage stage) override
    {
        if (Log)
            Log->push_back(Name + ":stage" + std::to_string(static_cast<int>(stage)));
        if (stage == tpsAfterDraw && Mark.X >= 0 && Chart() != nullptr) {
            TChartCanvas3D& c = Chart()->ChartCanvas();
            c.SelectPen(Pen());
            c.SelectBrush(Brush(), clBlack);
            c.Ellipse(Mark.X - 6, Mark.Y - 6, Mark.X + 6, Mark.Y + 6);
        }
    }
    void MouseActionEvent(TChartMouseAction action, TMouseButton, TShiftState, int x,
                          int y) override
    {
        if (Log)
            Log->push_back(Name + ":mouse" + std::to_string(static_cast<int>(action)) + "@" +
                           std::to_string(x) + "," + std::to_string(y));
        if (HandleMouse)
            Chart()->SetMouseHandled(true);
    }
};

// A 400 x 250 chart in a window of its own, with a probe tool named "tool" writing to Log.
struct TProbedChart
{
    std::vector<std::string> Log; // outlives the window and the tool that writes to it
    QWidget Window;
    TChart* Chart = new TChart(&Window);
    TProbeTool& Tool = AddProbe();

    TProbedChart()
    {
        Window.resize(420, 270);
        Chart->SetBounds(0, 0, 400, 250);
    }

    // Shows the window and lets its first paints pass; false if it never showed.
    bool Show() { return ShowPainted(Window, Chart); }

private:
    TProbeTool& AddProbe()
    {
        auto& tool = Chart->Tools().Add(std::make_unique<TProbeTool>());
        tool.Log = &Log;
        tool.Name = "tool";
        return tool;
    }
};

// An after-draw handler that draws a crosshair through the plot at cross, read at each paint.
TChartNotifyEvent CrosshairAt(const TPoint& cross)
{
    return [&cross](TCustomChartPanel* sender) {
        TChartCanvas3D& c = sender->ChartCanvas();
        const TRect p = sender->PlotRect();
        c.MoveTo(cross.X, p.Top + 1);
        c.LineTo(cross.X, p.Bottom);
        c.MoveTo(p.Left + 1, cross.Y);
        c.LineTo(p.Right, cross.Y);
    };
}

} // namespace

TEST(ChartPanel, PlotRectangleFromPercentMarginsAndRepair)
{
    TChart chart;
    EXPECT_EQ(chart.Width(), 400);
    EXPECT_EQ(chart.Height(), 250);
    chart.SetBevelOuter(bvNone);
    // 3 and 4 percent of 548 x 184: 16 and 7 pixels.
    EXPECT_EQ(chart.PlotRectFromPanel({0, 0, 548, 184}), (TRect{16, 7, 532, 177}));
    // Of 548 x 141: 16 and 5 pixels.
    EXPECT_EQ(chart.PlotRectFromPanel({0, 0, 548, 141}), (TRect{16, 5, 532, 136}));
    // The default raised bevel of width 1 and a visible border pen of width 2 add 3 pixels.
    chart.SetBevelOuter(bvRaised);
    chart.Border().SetVisible(true);
    chart.Border().SetWidth(2);
    EXPECT_EQ(chart.BorderSize(), 3);
    EXPECT_EQ(chart.PlotRectFromPanel({0, 0, 548, 184}), (TRect{19, 10, 529, 174}));
    chart.Border().SetVisible(false);
    chart.SetBevelOuter(bvNone);

    // Pixel margins larger than the panel give an inverted rectangle that CheckPlotRect repairs.
    chart.SetMarginUnits(muPixels);
    chart.SetMarginLeft(300);
    chart.SetMarginRight(300);
    chart.SetPlotRect(chart.PlotRectFromPanel({0, 0, 400, 250}));
    EXPECT_EQ(chart.PlotRect().Left, 300);
    EXPECT_EQ(chart.PlotRect().Right, 301);
    EXPECT_EQ(chart.PlotWidth(), 1);
    // An empty one gets the control's extent.
    chart.SetPlotRect({10, 20, 10, 20});
    EXPECT_EQ(chart.PlotRect(), (TRect{10, 20, 410, 270}));
    EXPECT_EQ(chart.PlotCenter(), (TPoint{210, 145}));

    // Depth percent outside 1..100 is refused with the fixed message.
    try {
        chart.SetChart3DPercent(0);
        FAIL() << "no error";
    } catch (const EChartException& e) {
        EXPECT_STREQ(e.what(), "3D effect percent must be between 1 and 100");
    }
    EXPECT_THROW(chart.SetChart3DPercent(101), EChartException);
    EXPECT_EQ(chart.Chart3DPercent(), 15);
    chart.SetChart3DPercent(100);
    EXPECT_EQ(chart.Chart3DPercent(), 100);
}

TEST(ChartPanel, EmptySeriesChartDrawsBackgroundTitleFrameAndTwoAxesWithoutSeriesFour)
{
    auto chart = ProgramChart(548, 184, QStringLiteral("with Orvex Real-Power-Control"));
    for (TColor color : {clRed, clBlue, TColor{8454143}, clAqua})
        AddLine(*chart, color, color == 8454143 ? 4 : 2);
    const QImage picture = Paint(*chart);
    SaveIfAsked(picture, "chart-empty-series.png");
    const TRect plot = chart->PlotRect();

    // Background.
    EXPECT_EQ(PixelOf(picture, 0, 0), clSilver);
    EXPECT_EQ(PixelOf(picture, 547, 183), clSilver);
    // Title: blue text centred over the plot, its top one pixel below the top margin.
    const TRect title = BoundsOf(picture, clBlue, {0, 0, 548, plot.Top});
    ASSERT_LT(title.Left, title.Right);
    EXPECT_GE(title.Top, 8);
    EXPECT_NEAR((title.Left + title.Right) / 2.0, 274, 3);
    // The title pushed the plot down by its line height plus 8, the axes took their room.
    const TRect panelPlot = chart->PlotRectFromPanel({0, 0, 548, 184});
    EXPECT_GT(plot.Top, panelPlot.Top + 8);
    EXPECT_GT(plot.Left, panelPlot.Left);
    EXPECT_LT(plot.Bottom, panelPlot.Bottom);
    EXPECT_EQ(plot.Right, panelPlot.Right);

    // Bottom and left axes: two-pixel black lines along the plot's bottom and left edges.
    const int midX = (plot.Left + plot.Right) / 2;
    const int midY = (plot.Top + plot.Bottom) / 2;
    EXPECT_EQ(CountInRow(picture, plot.Bottom, plot.Left + 2, plot.Right - 2, clBlack),
              plot.Right - plot.Left - 4);
    EXPECT_EQ(CountInRow(picture, plot.Bottom - 1, plot.Left + 2, plot.Right - 2, clBlack),
              plot.Right - plot.Left - 4);
    // (the grey outer ticks start on the column left of the line)
    EXPECT_EQ(CountInColumn(picture, plot.Left - 1, plot.Top + 2, plot.Bottom - 2, clBlack) +
                  CountInColumn(picture, plot.Left - 1, plot.Top + 2, plot.Bottom - 2, clGray),
              plot.Bottom - plot.Top - 4);
    EXPECT_EQ(CountInColumn(picture, plot.Left, plot.Top + 2, plot.Bottom - 2, clBlack),
              plot.Bottom - plot.Top - 4);
    // Back-wall frame: one black pixel on the top row and the right column; no top or right
    // axis, so the rows and columns next to them stay free of black.
    EXPECT_EQ(PixelOf(picture, midX, plot.Top), clBlack);
    EXPECT_EQ(PixelOf(picture, plot.Right, midY), clBlack);
    EXPECT_EQ(CountInRow(picture, plot.Top - 1, plot.Left + 2, plot.Right - 2, clBlack), 0);
    EXPECT_EQ(CountInColumn(picture, plot.Right + 1, plot.Top + 2, plot.Bottom - 2, clBlack), 0);
    EXPECT_EQ(CountInColumn(picture, plot.Right - 1, plot.Top + 2, plot.Bottom - 2, clBlack), 0);
    // The plot shows the silver panel through the transparent wall, with grey dotted grid lines.
    EXPECT_GT(CountInRow(picture, midY, plot.Left + 1, plot.Right, clSilver), 0);
    ASSERT_EQ(chart->LeftAxis().TickPositions().size(), 7u); // 110 % down to 50 %
    const int gridY = chart->LeftAxis().TickPositions()[1];
    EXPECT_GT(CountInRow(picture, gridY, plot.Left + 1, plot.Right, clGray), 50);
    // Left labels: black text left of the axis.
    EXPECT_GT(BoundsOf(picture, clBlack, {0, plot.Top, plot.Left - 8, plot.Bottom}).Right, 0);

    // Without series: all four axes.
    chart->FreeAllSeries();
    const QImage bare = Paint(*chart);
    SaveIfAsked(bare, "chart-no-series.png");
    const TRect p = chart->PlotRect();
    EXPECT_EQ(CountInRow(bare, p.Top - 1, p.Left + 2, p.Right - 2, clBlack), p.Right - p.Left - 4);
    EXPECT_EQ(CountInColumn(bare, p.Right - 1, p.Top + 2, p.Bottom - 2, clBlack),
              p.Bottom - p.Top - 4);
    EXPECT_EQ(CountInRow(bare, p.Bottom, p.Left + 2, p.Right - 2, clBlack), p.Right - p.Left - 4);
    EXPECT_EQ(CountInColumn(bare, p.Left, p.Top + 2, p.Bottom - 2, clBlack), p.Bottom - p.Top - 4);
}

TEST(ChartPanel, TinyAndEmptyChartsDrawWithoutFault)
{
    for (int size : {0, 1, 5, 30}) {
        auto chart = ProgramChart(size, size, QStringLiteral("a title taller than the chart"));
        TLineSeries& line = AddLine(*chart, clRed, 4);
        line.AppendPoint(0, 50);
        line.AppendPoint(1, 100);
        TBitmap screen(std::max(size, 1), std::max(size, 1));
        chart->Draw(screen.Canvas(), chart->ClientRect());
        // The plot rectangle is repaired, never inverted.
        EXPECT_GT(chart->PlotRect().Right, chart->PlotRect().Left) << size;
        EXPECT_GT(chart->PlotRect().Bottom, chart->PlotRect().Top) << size;
        EXPECT_FALSE(chart->ChartCanvas().Dirty());
    }
}

TEST(ChartPanel, SeriesDrawInListOrderClippedToThePlot)
{
    auto chart = ProgramChart(548, 184, QStringLiteral("order"));
    TLineSeries& red = AddLine(*chart, clRed, 2);
    TLineSeries& yellow = AddLine(*chart, 8454143, 4);
    TLineSeries& blue = AddLine(*chart, clBlue, 2);
    // All three on the same horizontal line at 80 %; the red one also dives below the axis.
    for (double t : {0.0, 10.0})
        for (TLineSeries* s : {&red, &yellow, &blue})
            s->AppendPoint(t, 80);
    red.AppendPoint(20, 0);
    const QImage picture = Paint(*chart);
    SaveIfAsked(picture, "chart-order.png");
    const int y = chart->LeftAxis().ValueToPixel(80);
    const int x = chart->BottomAxis().ValueToPixel(5);
    // The last series lies on top; the wide one shows above and below it.
    EXPECT_EQ(PixelOf(picture, x, y), clBlue);
    EXPECT_TRUE(PixelOf(picture, x, y - 2) == 8454143 || PixelOf(picture, x, y + 1) == 8454143);
    // Nothing of the red line shows below the plot: clipped at PlotRect.Bottom - 1.
    const TRect plot = chart->PlotRect();
    EXPECT_EQ(BoundsOf(picture, clRed, {0, plot.Bottom, 548, 184}).Right, 0);
    EXPECT_GT(BoundsOf(picture, clRed, {0, 0, 548, 184}).Bottom, y + 10);

    // A series added without a colour of its own takes a palette colour no series uses.
    TLineSeries& plain = chart->AddSeries(std::make_unique<TLineSeries>());
    EXPECT_EQ(plain.SeriesColor(), ChartPaletteColor(1)); // the first one, red, is taken
    EXPECT_EQ(plain.ParentChart(), chart.get());
    chart->RemoveSeries(plain);

    chart->ExchangeSeries(0, 2); // red last now
    const QImage swapped = Paint(*chart);
    EXPECT_EQ(PixelOf(swapped, x, y), clRed);
    EXPECT_THROW(chart->ExchangeSeries(0, 3), EChartException);
}

TEST(ChartPanel, RepaintRequestsDuringOwnPaintAreDroppedAndUncoveringCopiesTheLastPicture)
{
    QWidget window;
    window.resize(560, 400);
    auto* first = new TChart(&window);
    auto* second = new TChart(&window);
    first->SetBounds(0, 0, 548, 184);
    second->SetBounds(0, 200, 548, 184);
    int afterDraws = 0;
    int crossX = 100;
    first->OnAfterDraw = [&](TCustomChartPanel* sender) {
        ++afterDraws;
        // The crosshair of the program: plain MoveTo/LineTo after the reset drawing state.
        TChartCanvas3D& c = sender->ChartCanvas();
        c.MoveTo(crossX, sender->PlotRect().Top + 1);
        c.LineTo(crossX, sender->PlotRect().Bottom);
        first->Invalidate();
        second->Invalidate();
    };
    ASSERT_TRUE(ShowPainted(window, first));
    ASSERT_TRUE(WaitUntil([&] { return second->DrawCount() > 0; }));
    // Everything the first paints asked for is served before counting.
    QCoreApplication::sendPostedEvents();
    const int64_t firstDraws = first->DrawCount();
    const int64_t secondDraws = second->DrawCount();
    const int firstAfterDraws = afterDraws;

    first->Invalidate();
    ASSERT_TRUE(WaitUntil([&] { return second->DrawCount() > secondDraws; }));
    QCoreApplication::sendPostedEvents();
    // The first chart drew once and its own request was dropped; the second chart's request
    // from that after-draw handler was taken.
    EXPECT_EQ(first->DrawCount(), firstDraws + 1);
    EXPECT_EQ(afterDraws, firstAfterDraws + 1);
    EXPECT_EQ(second->DrawCount(), secondDraws + 1);
    EXPECT_FALSE(first->ChartCanvas().Dirty());

    // Uncovering: a paint without a request shows the last picture, crosshair included,
    // without running the after-draw handler.
    const QImage buffer = first->ChartCanvas().BufferBitmap()->Image().copy();
    crossX = 200; // a new after-draw would draw here
    const QImage shown = first->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(afterDraws, firstAfterDraws + 1);
    EXPECT_EQ(first->DrawCount(), firstDraws + 1);
    EXPECT_EQ(shown, buffer);
    EXPECT_EQ(PixelOf(shown, 100, first->PlotRect().Top + 20), clBlack);
    EXPECT_NE(PixelOf(shown, 200, first->PlotRect().Top + 20), clBlack);
}

TEST(ChartPanel, MouseMoveRunsHandlerListenersToolsThenTheCursorRule)
{
    TProbedChart probed;
    TChart* chart = probed.Chart;
    std::vector<std::string>& log = probed.Log;
    TProbeTool& tool = probed.Tool;
    bool keepCursor = false;
    chart->OnMouseMove = [&](TControl* sender, TShiftState, int x, int y) {
        log.push_back("handler@" + std::to_string(x) + "," + std::to_string(y));
        auto* c = static_cast<TChart*>(sender);
        c->SetCursor(crCross);
        if (keepCursor)
            c->SetRestoreCursor(crCross);
    };
    chart->AddListener([&](TCustomChartPanel&, const TChartMouseEvent& e) {
        log.push_back("listener" + std::to_string(static_cast<int>(e.Kind)));
    });
    ASSERT_TRUE(probed.Show());
    log.clear();

    ASSERT_TRUE(MouseMoveTo(chart, QPoint(120, 80)));
    EXPECT_EQ(log, (std::vector<std::string>{"handler@120,80", "listener1", "tool:mouse1@120,80"}));
    // The handler's cursor did not survive the move: it is back to RestoreCursor.
    EXPECT_EQ(chart->Cursor(), crDefault);
    EXPECT_EQ(chart->cursor().shape(), Qt::ArrowCursor);

    keepCursor = true;
    ASSERT_TRUE(MouseMoveTo(chart, QPoint(130, 90)));
    EXPECT_EQ(chart->Cursor(), crCross);
    EXPECT_EQ(chart->cursor().shape(), Qt::CrossCursor);

    // An inactive tool hears nothing; a tool that handles the move stops the cursor rule.
    log.clear();
    tool.SetActive(false);
    keepCursor = false;
    chart->SetRestoreCursor(crDefault);
    ASSERT_TRUE(MouseMoveTo(chart, QPoint(140, 90)));
    EXPECT_EQ(log, (std::vector<std::string>{"handler@140,90", "listener1"}));
    tool.SetActive(true);
    tool.HandleMouse = true;
    ASSERT_TRUE(MouseMoveTo(chart, QPoint(150, 90)));
    EXPECT_EQ(chart->Cursor(), crCross); // the handler's cursor stays: the move was handled
}

TEST(ChartPanel, SeriesWithACursorOfItsOwnShowsItOverItsPoints)
{
    QWidget window;
    window.resize(420, 270);
    auto chartOwner = ProgramChart(400, 250, QStringLiteral("cursor"));
    TChart* chart = chartOwner.release();
    chart->setParent(&window);
    TLineSeries& line = AddLine(*chart, clRed, 1);
    for (int i = 0; i < 10; ++i)
        line.AppendPoint(i, 80);
    line.SetCursor(crHandPoint);
    std::vector<std::string> log;
    line.OnMouseEnter = [&](TChartSeries&) { log.push_back("enter"); };
    line.OnMouseLeave = [&](TChartSeries&) { log.push_back("leave"); };
    ASSERT_TRUE(ShowPainted(window, chart));
    const QPoint on(line.PointPixelX(4), line.PointPixelY(4));
    ASSERT_TRUE(MouseMoveTo(chart, on));
    EXPECT_EQ(chart->Cursor(), crHandPoint);
    ASSERT_TRUE(MouseMoveTo(chart, on + QPoint(1, 0))); // still on the line
    ASSERT_TRUE(MouseMoveTo(chart, on + QPoint(0, 30)));
    EXPECT_EQ(chart->Cursor(), crDefault);
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "leave"}));
}

TEST(ChartPanel, MousePressStartsNoZoomNorPanningWhenBothAreOff)
{
    TProbedChart probed;
    TChart* chart = probed.Chart;
    std::vector<std::string>& log = probed.Log;
    ASSERT_TRUE(probed.Show());
    const TRect plot = chart->PlotRect();
    const QPoint inside((plot.Left + plot.Right) / 2, (plot.Top + plot.Bottom) / 2);

    // Defaults: the left button starts a zoom rectangle, the right one panning.
    QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, inside);
    EXPECT_TRUE(chart->Zoom().Active());
    QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, inside);
    EXPECT_FALSE(chart->Zoom().Active());
    QTest::mousePress(chart, Qt::RightButton, Qt::NoModifier, inside);
    EXPECT_TRUE(chart->Panning());
    QTest::mouseRelease(chart, Qt::RightButton, Qt::NoModifier, inside);
    EXPECT_FALSE(chart->Panning());

    chart->Zoom().SetAllow(false);
    chart->SetAllowPanning(pmNone);
    log.clear();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(chart, button, Qt::NoModifier, inside);
        EXPECT_FALSE(chart->Zoom().Active());
        EXPECT_FALSE(chart->Panning());
        QTest::mouseRelease(chart, button, Qt::NoModifier, inside);
    }
    // The tool heard every press and release.
    const std::string at = "@" + std::to_string(inside.x()) + "," + std::to_string(inside.y());
    EXPECT_EQ(std::count(log.begin(), log.end(), "tool:mouse0" + at), 3);
    EXPECT_EQ(std::count(log.begin(), log.end(), "tool:mouse2" + at), 3);
}

TEST(ChartPanel, ToolsGetPaintStagesInOrderAndMoveBetweenCharts)
{
    auto chart = ProgramChart(300, 200, QStringLiteral("tools"));
    std::vector<std::string> log;
    auto& a = chart->Tools().Add(std::make_unique<TProbeTool>());
    auto& b = chart->Tools().Add(std::make_unique<TProbeTool>());
    a.Log = b.Log = &log;
    a.Name = "a";
    b.Name = "b";
    chart->OnAfterDraw = [&](TCustomChartPanel*) { log.push_back("after"); };
    chart->OnBeforeDrawSeries = [&](TCustomChartPanel*) { log.push_back("series"); };
    chart->OnBeforeDrawAxes = [&](TCustomChartPanel*) { log.push_back("axes"); };
    chart->OnBeforeDrawChart = [&](TCustomChartPanel*) { log.push_back("chart"); };
    Paint(*chart);
    EXPECT_EQ(log,
              (std::vector<std::string>{"a:stage2", "b:stage2", "chart", "axes", "a:stage1",
                                        "b:stage1", "series", "a:stage0", "b:stage0", "after"}));
    log.clear();
    chart->SetAxisBehind(false);
    a.SetActive(false);
    Paint(*chart);
    EXPECT_EQ(log, (std::vector<std::string>{"b:stage2", "chart", "b:stage1", "series", "axes",
                                             "b:stage0", "after"}));

    // A series tool lets go of a series that leaves the chart.
    auto& seriesTool = chart->Tools().Add(std::make_unique<TChartCustomToolSeries>());
    TLineSeries& line = AddLine(*chart, clRed, 1);
    seriesTool.SetSeries(&line);
    EXPECT_EQ(seriesTool.GetHorizAxis(), &chart->BottomAxis());
    std::unique_ptr<TChartSeries> removed = chart->RemoveSeries(line);
    EXPECT_EQ(removed.get(), &line);
    EXPECT_EQ(seriesTool.Series(), nullptr);
    EXPECT_EQ(removed->ParentChart(), nullptr);

    // Moving a tool to another chart appends it there; the first chart forgets it.
    TChart other;
    EXPECT_EQ(chart->Tools().Count(), 3);
    b.SetParentChart(&other);
    EXPECT_EQ(chart->Tools().Count(), 2);
    EXPECT_EQ(other.Tools().Count(), 1);
    EXPECT_EQ(&other.Tools()[0], &b);
    EXPECT_EQ(b.Chart(), &other);
    // A tool its creator owns leaves the list when destroyed.
    {
        TProbeTool local;
        other.Tools().Add(local);
        EXPECT_EQ(other.Tools().Count(), 2);
    }
    EXPECT_EQ(other.Tools().Count(), 1);
    other.Tools().Clear();
    EXPECT_EQ(other.Tools().Count(), 0);
}

TEST(ChartPanel, TitlesTakeTheirRoomAndTheBackWallFramesThePlot)
{
    auto chart = ProgramChart(400, 300, QString());
    chart->SetAxisVisible(false); // only titles move the plot rectangle
    chart->Title().SetText({});
    const TRect panelPlot = chart->PlotRectFromPanel({0, 0, 400, 300});
    Paint(*chart);
    EXPECT_EQ(chart->PlotRect(), panelPlot); // empty text takes no room

    chart->Title().SetText({QStringLiteral("Title")});
    QImage picture = Paint(*chart);
    TChartCanvas3D& c = chart->ChartCanvas();
    c.SelectFont(chart->Title().Font());
    const int lh = c.FontHeight();
    EXPECT_EQ(chart->PlotRect().Top, panelPlot.Top + lh + 8);
    const TRect text = BoundsOf(picture, clBlue, {0, 0, 400, chart->PlotRect().Top});
    ASSERT_LT(text.Left, text.Right);
    EXPECT_GE(text.Top, panelPlot.Top + 1);

    // A second top title stacks below the first; a foot title takes room at the bottom.
    chart->SubTitle().SetText({QStringLiteral("Sub")});
    chart->Foot().SetText({QStringLiteral("Foot"), QStringLiteral("Two")});
    picture = Paint(*chart);
    SaveIfAsked(picture, "chart-titles.png");
    c.SelectFont(chart->SubTitle().Font());
    const int subLh = c.FontHeight();
    EXPECT_EQ(chart->PlotRect().Top, panelPlot.Top + lh + 8 + subLh + 8);
    c.SelectFont(chart->Foot().Font());
    const int footLh = c.FontHeight();
    EXPECT_EQ(chart->PlotRect().Bottom, panelPlot.Bottom + 1 - 6 - 2 * footLh);
    EXPECT_GT(BoundsOf(picture, clRed, {0, chart->PlotRect().Bottom, 400, 300}).Right, 0);
    EXPECT_TRUE(chart->Foot().Clicked(200, chart->Foot().ShapeBounds().Top + 1));
    EXPECT_FALSE(chart->Foot().Clicked(200, chart->PlotRect().Top));

    // A frame pen of width 3: the gap below a top title is 8 and the text moves 3 down.
    chart->SubTitle().SetText({});
    chart->Foot().SetText({});
    chart->Title().Frame().SetWidth(3);
    const QImage thick = Paint(*chart);
    EXPECT_EQ(chart->PlotRect().Top, panelPlot.Top + 3 + lh + 3 + 8);
    EXPECT_EQ(BoundsOf(thick, clBlue, {0, 0, 400, chart->PlotRect().Top}).Top, text.Top + 2);

    // The back wall's frame lies on PlotRect's edge columns and rows; an invisible pen draws
    // none.
    const TRect p = chart->PlotRect();
    EXPECT_EQ(CountInRow(thick, p.Top, p.Left, p.Right + 1, clBlack), p.Right + 1 - p.Left);
    EXPECT_EQ(CountInRow(thick, p.Bottom, p.Left, p.Right + 1, clBlack), p.Right + 1 - p.Left);
    EXPECT_EQ(CountInColumn(thick, p.Left, p.Top, p.Bottom + 1, clBlack), p.Bottom + 1 - p.Top);
    EXPECT_EQ(CountInColumn(thick, p.Right, p.Top, p.Bottom + 1, clBlack), p.Bottom + 1 - p.Top);
    EXPECT_EQ(CountInRow(thick, p.Top + 1, p.Left + 1, p.Right, clSilver), p.Right - p.Left - 1);
    chart->BackWall().Pen().SetVisible(false);
    const QImage noFrame = Paint(*chart);
    EXPECT_EQ(CountInRow(noFrame, p.Top, p.Left, p.Right + 1, clBlack), 0);
    // A filled wall.
    chart->BackWall().SetTransparent(false);
    chart->BackWall().Brush().SetStyle(bsSolid);
    chart->BackWall().SetColor(clWhite);
    const QImage filled = Paint(*chart);
    EXPECT_EQ(PixelOf(filled, (p.Left + p.Right) / 2, (p.Top + p.Bottom) / 2), clWhite);
    EXPECT_EQ(chart->BackColor(), clWhite);
}

TEST(ChartPanel, KeptPictureRecomposesExactlyWhatAFullPaintDraws)
{
    QWidget window;
    window.resize(560, 200);
    auto* chart = ProgramChart(548, 184, QStringLiteral("kept")).release();
    chart->setParent(&window);
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> noise(-2.0, 2.0);
    const TColor colors[] = {clRed, clBlue, 8454143, clAqua};
    for (int s = 0; s < 4; ++s) {
        TLineSeries& line = AddLine(*chart, colors[s], s == 2 ? 4 : 2);
        for (int i = 0; i < 600; ++i)
            line.AppendPoint(i * 0.2, 60 + 10 * s + noise(random));
    }
    auto& marker = chart->Tools().Add(std::make_unique<TProbeTool>());
    marker.Pen().SetColor(clWhite);
    marker.Pen().SetStyle(psDot);
    marker.Brush().SetStyle(bsClear);
    marker.Brush().SetColor(clWhite);
    TPoint cross{200, 60};
    chart->OnAfterDraw = CrosshairAt(cross);
    chart->SetKeepPicture(true);
    ASSERT_TRUE(ShowPainted(window, chart));

    const TRect plot = chart->PlotRect();
    std::uniform_int_distribution<int> px(plot.Left + 1, plot.Right - 1);
    std::uniform_int_distribution<int> py(plot.Top + 1, plot.Bottom - 3);
    for (int round = 0; round < 5; ++round) {
        cross = {px(random), py(random)};
        marker.Mark = {px(random), py(random)};
        const int64_t draws = chart->DrawCount();
        chart->RepaintOverlay();
        chart->repaint();
        ASSERT_TRUE(chart->LastPaintFromKeptPicture());
        EXPECT_EQ(chart->DrawCount(), draws); // no full paint
        const QImage recomposed = chart->ChartCanvas().BufferBitmap()->Image().copy();
        chart->Invalidate();
        chart->repaint();
        ASSERT_FALSE(chart->LastPaintFromKeptPicture());
        const QImage full = chart->ChartCanvas().BufferBitmap()->Image().copy();
        ASSERT_EQ(recomposed, full) << "round " << round;
        EXPECT_EQ(PixelOf(full, cross.X, (cross.Y + plot.Bottom) / 2), clBlack);
        if (round == 0)
            SaveIfAsked(full, "chart-kept.png");
    }
    // A data change in between asks for a full paint; an overlay request then does not
    // downgrade it.
    chart->SeriesAt(0).AppendPoint(200, 100);
    chart->RepaintOverlay();
    chart->repaint();
    EXPECT_FALSE(chart->LastPaintFromKeptPicture());
    // And the other way round, as a tick after a mouse move does it: an overlay request, then
    // an appended point. The paint is a full one and shows the new point's line at once.
    const int64_t draws = chart->DrawCount();
    chart->RepaintOverlay();
    chart->SeriesAt(0).AppendPoint(200.2, 50);
    chart->repaint();
    EXPECT_FALSE(chart->LastPaintFromKeptPicture());
    EXPECT_EQ(chart->DrawCount(), draws + 1);
    const QImage shown = chart->ChartCanvas().BufferBitmap()->Image().copy();
    chart->Invalidate();
    chart->repaint();
    EXPECT_EQ(shown, chart->ChartCanvas().BufferBitmap()->Image());
}

TEST(ChartPanel, ProgramChartOfAShortRunTitleFrameSeriesAndCrosshair)
{
    auto chart = ProgramChart(548, 184, QStringLiteral("with Orvex Real-Power-Control"));
    // The upper chart's title carries gradient colours that stay hidden.
    chart->Title().Font().Gradient().SetStartColor(12615680);
    chart->Title().Font().Gradient().SetEndColor(4194304);
    TLineSeries& current = AddLine(*chart, clRed, 2);
    TLineSeries& voltage = AddLine(*chart, clBlue, 2);
    TLineSeries& power = AddLine(*chart, 8454143, 4);
    TLineSeries& mains = AddLine(*chart, clAqua, 2);
    for (int i = 1; i <= 30; ++i) {
        const bool raised = i >= 15;
        current.AppendPoint(i * 0.2, raised ? 68.9 : 71.4);
        voltage.AppendPoint(i * 0.2, raised ? 63.8 : 62.3);
        power.AppendPoint(i * 0.2, 60.0);
        mains.AppendPoint(i * 0.2, raised ? 104.0 : 100.0);
    }
    TPoint cross{-1, -1};
    chart->OnAfterDraw = CrosshairAt(cross);
    Paint(*chart); // lays out the axes for the crosshair position
    cross = {chart->BottomAxis().ValueToPixel(2.0), chart->LeftAxis().ValueToPixel(60.0)};
    const QImage picture = Paint(*chart);
    SaveIfAsked(picture, "chart-program-short-run.png");

    // The title band is exactly the title text at the top margin plus one, centred on the
    // plot rectangle of the margins (16..532), over silver: the hidden gradient is not drawn.
    TBitmap expected(548, 184);
    TChartCanvas3D c;
    c.AttachSurface(expected.Canvas());
    c.Brush().SetColor(clSilver);
    c.FillRect({0, 0, 548, 184});
    c.SelectFont(chart->Title().Font());
    c.SetBackgroundMode(TRANSPARENT);
    const QString title = QStringLiteral("with Orvex Real-Power-Control");
    const int lh = c.FontHeight();
    c.TextOut(274 - c.MeasureTextWidth(title) / 2, 8, title);
    const int band = 7 + lh + 2;
    EXPECT_EQ(picture.copy(0, 0, 548, band), expected.Image().copy(0, 0, 548, band));

    // The plot starts below the title's line height plus 8; the frame lies on its edges.
    const TRect p = chart->PlotRect();
    EXPECT_EQ(p.Top, 7 + lh + 8);
    EXPECT_EQ(p.Right, 532);
    EXPECT_EQ(CountInRow(picture, p.Top, p.Left, p.Right + 1, clBlack), p.Right + 1 - p.Left);
    EXPECT_EQ(CountInColumn(picture, p.Right, p.Top, p.Bottom + 1, clBlack), p.Bottom + 1 - p.Top);
    EXPECT_EQ(CountInRow(picture, p.Top - 1, p.Left + 1, p.Right + 1, clBlack), 0);

    // Each series in its colour at its value, the later ones on top; all strictly inside.
    const int x = chart->BottomAxis().ValueToPixel(5.0);
    EXPECT_EQ(PixelOf(picture, x, chart->LeftAxis().ValueToPixel(104.0)), clAqua);
    EXPECT_EQ(PixelOf(picture, x, chart->LeftAxis().ValueToPixel(68.9)), clRed);
    EXPECT_EQ(PixelOf(picture, x, chart->LeftAxis().ValueToPixel(63.8)), clBlue);
    // (the crosshair runs along the power line's row; the wide line shows above it)
    EXPECT_EQ(PixelOf(picture, x, chart->LeftAxis().ValueToPixel(60.0) - 1), TColor{8454143});
    for (TColor color : {clRed, clBlue, TColor{8454143}, clAqua}) {
        const TRect drawn = BoundsOf(picture, color, {0, band, 548, 184});
        EXPECT_GT(drawn.Left, p.Left) << color;
        EXPECT_LT(drawn.Right - 1, p.Right) << color;
        EXPECT_GT(drawn.Top, p.Top) << color;
        EXPECT_LT(drawn.Bottom - 1, p.Bottom) << color;
    }
    // The after-draw crosshair is drawn last, in black one-pixel lines over the power line,
    // from just inside the top edge down to the bottom edge.
    EXPECT_EQ(PixelOf(picture, cross.X, cross.Y), clBlack);
    EXPECT_EQ(PixelOf(picture, cross.X - 10, cross.Y), clBlack);
    EXPECT_EQ(PixelOf(picture, cross.X - 10, cross.Y - 1), TColor{8454143});
    EXPECT_EQ(CountInColumn(picture, cross.X, p.Top + 1, p.Bottom, clBlack), p.Bottom - p.Top - 1);
}

TEST(ChartPanel, PublishedSettersRequestARepaintOnlyOnAChange)
{
    auto chart = ProgramChart(300, 200, QStringLiteral("setters"));
    AddLine(*chart, clRed, 2).AppendPoint(0, 80);
    struct TCase
    {
        const char* Name;
        std::function<void()> Change;
    };
    TChart& ch = *chart;
    const std::vector<TCase> cases = {
        {"MarginLeft", [&] { ch.SetMarginLeft(5); }},
        {"MarginTop", [&] { ch.SetMarginTop(6); }},
        {"MarginUnits", [&] { ch.SetMarginUnits(muPixels); }},
        {"BevelOuter", [&] { ch.SetBevelOuter(bvLowered); }},
        {"BevelWidth", [&] { ch.SetBevelWidth(2); }},
        {"BorderWidth", [&] { ch.SetBorderWidth(1); }},
        {"Color", [&] { ch.SetColor(clWhite); }},
        {"Chart3DPercent", [&] { ch.SetChart3DPercent(20); }},
        {"AxisVisible", [&] { ch.SetAxisVisible(false); }},
        {"AxisBehind", [&] { ch.SetAxisBehind(false); }},
        {"ClipPoints", [&] { ch.SetClipPoints(false); }},
        {"AllowPanning", [&] { ch.SetAllowPanning(pmHorizontal); }},
        {"Monochrome", [&] { ch.SetMonochrome(true); }},
        {"Title.Text", [&] { ch.Title().SetText({QStringLiteral("other")}); }},
        {"Title.Alignment", [&] { ch.Title().SetAlignment(taLeftJustify); }},
        {"Title.AdjustFrame", [&] { ch.Title().SetAdjustFrame(true); }},
        {"Title.Font", [&] { ch.Title().Font().SetColor(clRed); }},
        {"Foot.Visible", [&] { ch.Foot().SetVisible(false); }},
        {"BackWall.Color", [&] { ch.BackWall().SetColor(clWhite); }},
        {"BackWall.Transparent", [&] { ch.BackWall().SetTransparent(false); }},
        {"Frame.Color", [&] { ch.Frame().SetColor(clBlue); }},
        {"Legend.Visible", [&] { ch.Legend().SetVisible(true); }},
    };
    for (const TCase& c : cases) {
        Paint(ch);
        ASSERT_FALSE(ch.ChartCanvas().Dirty()) << c.Name;
        c.Change();
        EXPECT_TRUE(ch.ChartCanvas().Dirty()) << c.Name << ": a change repaints";
        Paint(ch);
        c.Change(); // the same value again
        EXPECT_FALSE(ch.ChartCanvas().Dirty()) << c.Name << ": the same value does not";
    }
}

TEST(ChartPanel, SeriesToolLetsGoOfItsSeriesWhereverTheSeriesIsDestroyed)
{
    // A tool of one chart bound to a series of another chart: the other chart frees it.
    auto chart = ProgramChart(300, 200, QStringLiteral("tool"));
    auto& tool = chart->Tools().Add(std::make_unique<TChartCustomToolSeries>());
    {
        TChart other;
        TLineSeries& foreign = AddLine(other, clRed, 1);
        tool.SetSeries(&foreign);
        other.FreeAllSeries();
        EXPECT_EQ(tool.Series(), nullptr);
        TLineSeries& again = AddLine(other, clBlue, 1);
        tool.SetSeries(&again);
    } // the other chart goes with its series
    EXPECT_EQ(tool.Series(), nullptr);
    EXPECT_EQ(tool.GetHorizAxis(), &chart->BottomAxis());

    // A series that belongs to no chart, taken out of its chart or never added.
    TLineSeries& line = AddLine(*chart, clRed, 1);
    std::unique_ptr<TChartSeries> removed = chart->RemoveSeries(line);
    tool.SetSeries(removed.get());
    removed.reset();
    EXPECT_EQ(tool.Series(), nullptr);
    auto loose = std::make_unique<TLineSeries>();
    tool.SetSeries(loose.get());
    loose.reset();
    EXPECT_EQ(tool.Series(), nullptr);

    // A tool destroyed before its series leaves nothing behind that the series would call.
    TLineSeries& kept = AddLine(*chart, clRed, 1);
    {
        TChartCustomToolSeries local;
        local.SetSeries(&kept);
    }
    chart->FreeAllSeries();
    // Rebinding moves the notice: the first series' end no longer touches the tool.
    TLineSeries& first = AddLine(*chart, clRed, 1);
    TLineSeries& second = AddLine(*chart, clBlue, 1);
    tool.SetSeries(&first);
    tool.SetSeries(&second);
    std::unique_ptr<TChartSeries> firstOut = chart->RemoveSeries(first);
    firstOut.reset();
    EXPECT_EQ(tool.Series(), &second);
}

TEST(ChartPanel, BorderAndBevelsWiderThanTheControlPaintPromptly)
{
    auto chart = ProgramChart(200, 120, QStringLiteral("wide border"));
    AddLine(*chart, clRed, 2).AppendPoint(0, 80);
    chart->SetBevelOuter(bvRaised);
    chart->SetBevelWidth(INT32_MAX);
    chart->SetBorderWidth(INT32_MAX);
    EXPECT_EQ(chart->BorderSize(), INT32_MAX);
    const QImage picture = Paint(*chart);
    // The outer bevel fills the control with its frames: highlight at the top left.
    EXPECT_EQ(PixelOf(picture, 0, 0), clWhite);
    EXPECT_GT(chart->PlotRect().Right, chart->PlotRect().Left);
    EXPECT_GT(chart->PlotRect().Bottom, chart->PlotRect().Top);

    // Pixel margins and a title frame as wide as an int holds.
    chart->SetBorderWidth(0);
    chart->SetBevelOuter(bvNone);
    chart->SetMarginUnits(muPixels);
    for (int margin : {INT32_MAX, INT32_MIN}) {
        chart->SetMarginLeft(margin);
        chart->SetMarginTop(margin);
        chart->SetMarginRight(margin);
        chart->SetMarginBottom(margin);
        chart->Title().Frame().SetWidth(INT32_MAX);
        Paint(*chart);
        EXPECT_GT(chart->PlotRect().Right, chart->PlotRect().Left) << margin;
        EXPECT_GT(chart->PlotRect().Bottom, chart->PlotRect().Top) << margin;
    }
}

TEST(ChartPanel, AxisTickAndPointerSizesAsLargeAsAnIntPaintWithoutOverflow)
{
    // Each setting on a chart of its own, at both ends of the int range; every paint must finish
    // (under the sanitizers: without an overflow) and leave a plot of at least one pixel.
    const std::vector<std::pair<const char*, std::function<void(TChart&, TLineSeries&, int)>>>
        settings = {
            {"axis width", [](TChart& c, TLineSeries&, int v) { c.LeftAxis().Axis().SetWidth(v); }},
            {"tick length",
             [](TChart& c, TLineSeries&, int v) {
                 c.LeftAxis().SetTickLength(v);
                 c.BottomAxis().SetTickLength(v);
             }},
            {"minor tick length",
             [](TChart& c, TLineSeries&, int v) {
                 c.LeftAxis().SetMinorTickLength(v);
                 c.BottomAxis().SetMinorTickLength(v);
             }},
            {"inner tick length",
             [](TChart& c, TLineSeries&, int v) {
                 c.LeftAxis().SetTickInnerLength(v);
                 c.BottomAxis().SetTickInnerLength(v);
             }},
            {"position in pixels",
             [](TChart& c, TLineSeries&, int v) {
                 for (TChartAxis* axis : {&c.LeftAxis(), &c.BottomAxis()}) {
                     axis->SetPositionUnits(muPixels);
                     axis->SetPositionPercent(v);
                 }
             }},
            {"opposite labels",
             [](TChart& c, TLineSeries&, int v) {
                 c.LeftAxis().SetLabelsAlign(alOpposite);
                 c.LeftAxis().SetLabelsSize(v);
             }},
            {"pointer size",
             [](TChart&, TLineSeries& s, int v) {
                 s.Pointer().SetVisible(true);
                 if (v > 0) {
                     s.Pointer().SetHorizSize(v);
                     s.Pointer().SetVertSize(v);
                 }
             }},
            {"outline width",
             [](TChart&, TLineSeries& s, int v) {
                 s.OutLine().SetVisible(true);
                 s.OutLine().SetWidth(v);
             }},
        };
    for (const auto& [name, apply] : settings) {
        for (int v : {INT32_MAX, INT32_MIN}) {
            auto chart = ProgramChart(300, 200, QStringLiteral("large"));
            TLineSeries& s = AddLine(*chart, clRed, 2);
            for (int i = 1; i <= 10; ++i)
                s.AppendPoint(i * 0.2, 50 + 3 * i);
            apply(*chart, s, v);
            Paint(*chart);
            EXPECT_GT(chart->PlotRect().Right, chart->PlotRect().Left) << name << " " << v;
            EXPECT_GT(chart->PlotRect().Bottom, chart->PlotRect().Top) << name << " " << v;
        }
    }

    // The strip of an axis and the margins of a pointer stop at the largest int.
    auto chart = ProgramChart(300, 200, QStringLiteral("large"));
    TLineSeries& s = AddLine(*chart, clRed, 2);
    chart->LeftAxis().Axis().SetWidth(INT32_MAX);
    EXPECT_EQ(chart->LeftAxis().StripSize(), INT32_MAX);
    chart->BottomAxis().SetTickLength(INT32_MAX);
    EXPECT_EQ(chart->BottomAxis().StripSize(), INT32_MAX);
    s.Pointer().SetVisible(true);
    s.Pointer().SetHorizSize(INT32_MAX);
    int32_t left = 0;
    int32_t right = 0;
    s.HorizontalPointMargins(left, right);
    EXPECT_EQ(left, INT32_MAX);
    EXPECT_EQ(right, INT32_MAX);
}

TEST(ChartPanel, AxisLabelsDrawNoBoxBehindTheirTexts)
{
    // A back wall that is not transparent leaves the canvas with a white back colour; the left
    // axis, drawn after the bottom one, still writes its labels over the silver panel alone.
    auto chart = ProgramChart(548, 184, QStringLiteral("labels"));
    chart->BackWall().SetTransparent(false);
    chart->BackWall().SetColor(clWhite);
    TLineSeries& s = AddLine(*chart, clRed, 2);
    for (int i = 1; i <= 30; ++i)
        s.AppendPoint(i * 0.2, 60 + i);
    const QImage picture = Paint(*chart);
    SaveIfAsked(picture, "chart-labels-no-box.png");
    const TRect p = chart->PlotRect();
    const TChartAxis& left = chart->LeftAxis();
    ASSERT_EQ(left.TickPositions().size(), 7u);
    // Left of the labels' edge only silver and black glyphs (grays between the two at their
    // edges), and some of each.
    auto glyphOrSilver = [](TColor c) {
        return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) &&
               GetGValue(c) <= GetGValue(clSilver);
    };
    int silver = 0;
    int black = 0;
    int other = 0;
    for (int y = p.Top - 8; y < p.Bottom + 8; ++y) {
        for (int x = 0; x < left.LabelsPos(); ++x) {
            const TColor c = PixelOf(picture, x, y);
            silver += c == clSilver;
            black += glyphOrSilver(c) && GetGValue(c) < 96;
            other += !glyphOrSilver(c);
        }
    }
    EXPECT_EQ(other, 0);
    EXPECT_GT(black, 7 * 10);
    EXPECT_GT(silver, black);
    // The same below the plot, where the bottom axis writes its seconds.
    other = 0;
    for (int y = p.Bottom + 8; y < 184; ++y)
        for (int x = p.Left; x < 548; ++x) {
            const TColor c = PixelOf(picture, x, y);
            other += !glyphOrSilver(c);
        }
    EXPECT_EQ(other, 0);
}

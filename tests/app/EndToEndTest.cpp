// The whole program as a user meets it, from start to exit: the five windows created as at
// program start, the introduction counted out on its own timer and dismissed, a run on the real
// 200 ms timer with the slider moved to both ends, the crosshair and its readout over both
// charts, the point markers, the about window, a restart by Ctrl+S, the stop and the exit. Every
// event is a real click, move or key sent to a window. A second test leaves the stopped program
// alone and checks that it then does nothing at all.
#include "app/About.h"
#include "app/AppForms.h"
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/f_splashscreen.h"
#include "app/u_welcome.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/ChartTools.h"
#include "chart/NumberFormat.h"
#include "chart/Series.h"
#include "simulation/LampSimulation.h"
#include "tests/app/MainWindowDriver.h"
#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace MainWindowDriver;

const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);
const QRgb Aqua = qRgb(0, 255, 255);
const QRgb PaleYellow = qRgb(255, 255, 128);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);

const char* const InfoLine = "Set Value for Orvex-Real-Power-Control is actually 6000 Watts.";

QImage Picture(TChart* chart)
{
    return chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The crosshair's vertical line at x: black from the plot's bottom up to just below its top.
bool VerticalLine(const QImage& image, const TRect& plot, int x)
{
    for (int y = plot.Top + 1; y <= plot.Bottom; ++y) {
        if (image.pixel(x, y) != Black) {
            return false;
        }
    }
    return true;
}

// The horizontal line at y: black from the plot's left edge to just before its right edge.
bool HorizontalLine(const QImage& image, const TRect& plot, int y)
{
    for (int x = plot.Left; x < plot.Right; ++x) {
        if (image.pixel(x, y) != Black) {
            return false;
        }
    }
    return true;
}

// White pixels at 8 to 12 pixels from (cx, cy): the nearest-point marker's dotted circle.
int WhiteRing(const QImage& image, int cx, int cy)
{
    int white = 0;
    for (int y = cy - 12; y <= cy + 12; ++y) {
        for (int x = cx - 12; x <= cx + 12; ++x) {
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 >= 64 && d2 <= 144 && image.valid(x, y) && image.pixel(x, y) == White) {
                ++white;
            }
        }
    }
    return white;
}

// Without a window manager nothing activates a window: on a desktop the main window becomes
// active again when the window above it hides, or when the user clicks its frame. The test stands
// in for the window manager there; the focus inside the window stays the window's own business.
bool WindowManagerActivates(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

std::string Text(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

class EndToEndTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        // A locale that writes a decimal point and groups with commas.
        SetNumberSeparators('.', ',');
        forms = std::make_unique<TAppForms>();
        forms->OnMainFormClosed = [this] { ++quits; };
        form = forms->MainForm();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(forms->Welcome()));
    }

    void TearDown() override { forms.reset(); }

    // The program's windows that are shown now.
    std::set<std::string> Shown() const
    {
        std::set<std::string> shown;
        const std::map<std::string, QWidget*> windows = {{"main", forms->MainForm()},
                                                         {"about box", forms->AboutBox()},
                                                         {"values", forms->Werte()},
                                                         {"about", forms->Splash()},
                                                         {"welcome", forms->Welcome()}};
        for (const auto& [name, window] : windows) {
            if (window->isVisible()) {
                shown.insert(name);
            }
        }
        return shown;
    }

    std::vector<TLineSeries*> AllSeries() const
    {
        return {form->SERIEStromRegel,        form->SERIESpannungRegel, form->SERIELeistungRegel,
                form->SERIENetzspannungRegel, form->SERIEStrom,         form->SERIESpannung,
                form->SERIELeistung,          form->SERIENetzspannung};
    }

    // The mains voltage each tick of the run used, read back from the mains series (the mains
    // percentage passes the one-tap filter unchanged).
    std::vector<int32_t> TickVoltages() const
    {
        std::vector<int32_t> volts;
        for (int32_t i = 0; i < form->SERIENetzspannung->Count(); ++i) {
            volts.push_back(
                static_cast<int32_t>(std::lround(form->SERIENetzspannung->YValue(i) * 4)));
        }
        return volts;
    }

    // Every point of all eight series is the sample that an engine started at startVolts and
    // fed with the run's voltages gives, tick by tick.
    void ExpectRunReplays(int32_t startVolts, const char* when) const
    {
        const std::vector<int32_t> volts = TickVoltages();
        TLampSimulation engine;
        engine.Reset(startVolts);
        for (TLineSeries* series : AllSeries()) {
            ASSERT_EQ(series->Count(), static_cast<int32_t>(volts.size())) << when;
        }
        for (size_t i = 0; i < volts.size(); ++i) {
            const TLampSample s = engine.Tick(volts[i], 200);
            const double expected[8] = {s.CtrlCurrent, s.CtrlVoltage, s.CtrlPower, s.Mains,
                                        s.Current,     s.Voltage,     s.Power,     s.Mains};
            const std::vector<TLineSeries*> all = AllSeries();
            for (size_t k = 0; k < all.size(); ++k) {
                const auto index = static_cast<int32_t>(i);
                ASSERT_EQ(all[k]->XValue(index), s.Time) << when << ": series " << k << ", " << i;
                ASSERT_EQ(all[k]->YValue(index), expected[k])
                    << when << ": series " << k << ", " << i << " at " << volts[i] << " V";
            }
        }
    }

    // The first index at which the run had held volts for five ticks in a row (the controlled
    // power's four-tap filter has forgotten any step by then); -1 for none.
    int32_t SteadyIndex(int32_t volts, int32_t after = 0) const
    {
        const std::vector<int32_t> v = TickVoltages();
        for (int32_t i = std::max(after, 4); i < static_cast<int32_t>(v.size()); ++i) {
            bool steady = true;
            for (int32_t k = i - 4; k <= i; ++k) {
                steady = steady && v[static_cast<size_t>(k)] == volts;
            }
            if (steady) {
                return i;
            }
        }
        return -1;
    }

    // Waits (the real timer ticking) until the run has held volts for `ticks` ticks in a row.
    bool RunAt(int32_t volts, int ticks)
    {
        return WaitUntil(
            [&] {
                const std::vector<int32_t> v = TickVoltages();
                int held = 0;
                for (auto it = v.rbegin(); it != v.rend() && *it == volts; ++it) {
                    ++held;
                }
                return held >= ticks;
            },
            30000);
    }

    // Moves the mouse to p over chart and waits until the chart has painted since: each paint
    // picks the active nearest tool from the latest move.
    void MoveAndPaint(TChart* chart, QPoint p)
    {
        const int64_t drawn = chart->DrawCount();
        Move(chart, p);
        EXPECT_TRUE(WaitUntil([&] { return chart->DrawCount() > drawn; }));
    }

    std::unique_ptr<TAppForms> forms;
    TWin2kAppForm* form = nullptr;
    int quits = 0;
};

TEST_F(EndToEndTest, ADemonstrationFromStartToExit)
{
    TfrmWelcome* welcome = forms->Welcome();
    TfrmWerte* werte = forms->Werte();

    // ---- Start: the main window stopped and empty, the introduction counting on top of it.
    EXPECT_EQ(Shown(), (std::set<std::string>{"main", "welcome"}));
    EXPECT_TRUE(welcome->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(welcome->btnOK->isEnabled());
    EXPECT_TRUE(welcome->ProgressBar1->isVisible());
    EXPECT_TRUE(welcome->lblwait->isVisible());
    EXPECT_FALSE(form->btnSimuStartenStoppen->Active());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->IkMeterNetz->Caption().toStdString(), "Mainsvoltage: 400V");
    EXPECT_TRUE(form->info->toPlainText().isEmpty());
    for (TLineSeries* series : AllSeries()) {
        EXPECT_EQ(series->Count(), 0);
    }

    // ---- The introduction counts for about ten seconds on its own timer; then OK.
    int lastProgress = welcome->ProgressBar1->value();
    bool progressNeverWentBack = true;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (welcome->ProgressBar1->value() < lastProgress) {
                progressNeverWentBack = false;
            }
            lastProgress = welcome->ProgressBar1->value();
            return welcome->btnOK->isEnabled();
        },
        60000));
    EXPECT_TRUE(progressNeverWentBack);
    EXPECT_EQ(welcome->ProgressBar1->value(), 100);
    EXPECT_FALSE(welcome->ProgressBar1->isVisible());
    EXPECT_FALSE(welcome->lblwait->isVisible());
    Click(welcome->btnOK, welcome->btnOK->rect().center());
    ASSERT_TRUE(WaitUntil([&] { return !welcome->isVisible(); }));
    EXPECT_TRUE(WaitUntil([&] { return form->isMaximized(); }));
    EXPECT_EQ(Shown(), (std::set<std::string>{"main"}));
    ASSERT_TRUE(WindowManagerActivates(form));
    // The slider still holds the main window's keyboard focus.
    EXPECT_TRUE(WaitUntil([&] { return form->IkSlider1->hasFocus(); }));
    // Maximised, the upper chart still takes half of the chart panel.
    EXPECT_TRUE(WaitUntil([&] { return form->Chart1->height() == form->Panel3->height() / 2; }));

    // ---- Power on: the real timer appends one sample per tick to all eight series.
    Click(form->btnSimuStartenStoppen, QPoint(80, 50));
    ASSERT_TRUE(form->btnSimuStartenStoppen->Active());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->info->toPlainText().toStdString(), InfoLine);
    ASSERT_TRUE(RunAt(400, 12));
    ExpectRunReplays(400, "at 400 V");
    EXPECT_EQ(form->SERIELeistung->XValue(0), 0.2);
    EXPECT_EQ(form->SERIELeistungRegel->YValue(3), 60.0);
    EXPECT_EQ(form->SERIELeistung->YValue(3), 60.02625);
    EXPECT_EQ(form->SERIENetzspannungRegel->YValue(3), 100.0);

    // Both charts show every point of the run in its series' colour.
    {
        const struct
        {
            TChart* Chart;
            std::vector<TLineSeries*> Series;
        } charts[] = {{form->Chart1,
                       {form->SERIEStromRegel, form->SERIESpannungRegel, form->SERIELeistungRegel,
                        form->SERIENetzspannungRegel}},
                      {form->Chart2,
                       {form->SERIEStrom, form->SERIESpannung, form->SERIELeistung,
                        form->SERIENetzspannung}}};
        const QRgb colours[] = {Red, Blue, PaleYellow, Aqua};
        for (const auto& chart : charts) {
            const QImage picture = Picture(chart.Chart);
            const TRect plot = chart.Chart->PlotRect();
            for (size_t s = 0; s < 4; ++s) {
                TLineSeries* series = chart.Series[s];
                int inside = 0;
                int onColour = 0;
                for (int32_t i = 0; i < series->Count(); ++i) {
                    const int x = series->PointPixelX(i);
                    const int y = series->PointPixelY(i);
                    if (plot.Left < x && x < plot.Right && plot.Top < y && y < plot.Bottom) {
                        ++inside;
                        onColour += picture.pixel(x, y) == colours[s] ? 1 : 0;
                    }
                }
                EXPECT_GE(inside, 8) << "series " << s;
                EXPECT_EQ(onColour, inside) << "series " << s;
            }
        }
    }

    // ---- The slider, by keys through the window's focus: down to 380 V, then up to 420 V.
    const int expectedDown[] = {395, 390, 385, 380};
    for (int volts : expectedDown) {
        Key(form, Qt::Key_Down);
        EXPECT_EQ(form->IkSlider1->Position(), volts);
        EXPECT_EQ(form->IkMeterNetz->Position(), volts);
        EXPECT_EQ(form->IkMeterNetz->Caption().toStdString(),
                  "Mainsvoltage: " + std::to_string(volts) + "V");
    }
    ASSERT_TRUE(RunAt(380, 8));
    Key(form, Qt::Key_End);
    EXPECT_EQ(form->IkSlider1->Position(), 420);
    EXPECT_EQ(form->IkMeterNetz->Caption().toStdString(), "Mainsvoltage: 420V");
    ASSERT_TRUE(RunAt(420, 8));
    ExpectRunReplays(400, "after the slider moves");
    {
        // The voltages the ticks used: 400 V, the four steps down, then the one step up.
        std::vector<int32_t> steps;
        for (int32_t volts : TickVoltages()) {
            if (steps.empty() || steps.back() != volts) {
                steps.push_back(volts);
            }
        }
        ASSERT_GE(steps.size(), 3u);
        EXPECT_EQ(steps.front(), 400);
        EXPECT_EQ(steps[steps.size() - 2], 380);
        EXPECT_EQ(steps.back(), 420);
        // The step of 40 V lifts the controlled power by 100 W for the four ticks that the
        // filter remembers it, then the controller holds 6000 W again.
        const int32_t jump = SteadyIndex(420) - 4;
        ASSERT_GT(jump, 0);
        for (int32_t i = jump; i < jump + 4; ++i) {
            EXPECT_EQ(form->SERIELeistungRegel->YValue(i), 61.0) << i;
        }
        EXPECT_EQ(form->SERIELeistungRegel->YValue(jump + 4), 60.0);
        EXPECT_EQ(form->SERIELeistungRegel->YValue(jump - 1), 60.0);
    }

    // ---- Haircross on by its tool button: the values window joins the main window.
    Click(form->ToolButtonGitter, QPoint(11, 11));
    EXPECT_TRUE(form->Datenzeiger1->isChecked());
    EXPECT_TRUE(form->ToolButtonGitter->isChecked());
    EXPECT_TRUE(WaitUntil([&] { return werte->isVisible(); }));
    EXPECT_EQ(Shown(), (std::set<std::string>{"main", "values"}));
    EXPECT_EQ(form->Chart1->Cursor(), crCross);
    // The first tick with the crosshair on puts both markers on point 0 of the run, whatever
    // the mouse did before it; the mouse takes over from the tick after.
    ASSERT_TRUE(WaitUntil([&] { return !form->Crosshair().FreshStart; }));

    // Over the upper chart, onto a sample of the steady stretch at 380 V: approach it, then
    // stop on it. Each paint picks the active marker, so the last moves reach the marker too.
    const int32_t at380 = SteadyIndex(380);
    ASSERT_GE(at380, 0);
    QPoint upperMouse;
    for (int dx : {12, 6, 2, 0}) {
        upperMouse = QPoint(form->SERIELeistungRegel->PointPixelX(at380) + dx,
                            form->SERIELeistungRegel->PointPixelY(at380));
        MoveAndPaint(form->Chart1, upperMouse);
    }
    // The readout of that sample in physical units, all eight values.
    EXPECT_EQ(Text(werte->edtNetzspannung), "380V");
    EXPECT_EQ(Text(werte->edtNetzspannungR), "380V");
    EXPECT_EQ(Text(werte->edtLeistungR), "6,000W");
    EXPECT_EQ(Text(werte->edtLeistung), "5,070.1W"); // 50.70125 %, value text 50.701
    EXPECT_EQ(Text(werte->edtStromr), "6.8A");
    EXPECT_EQ(Text(werte->edtSpannungR), "973.995V"); // 64.933 % of 1500 V
    EXPECT_EQ(Text(werte->edtStrom), "5.9763A");      // 59.763 % of 10 A
    EXPECT_EQ(Text(werte->edtSpannung), "942.435V");  // 62.829 % of 1500 V
    EXPECT_TRUE(form->Crosshair().UpperChartActive);
    EXPECT_TRUE(form->ChartToolNearestPoint1->Active());
    EXPECT_FALSE(form->ChartToolNearestPoint2->Active());
    {
        const QImage upper = Picture(form->Chart1);
        const QImage lower = Picture(form->Chart2);
        const TRect upperPlot = form->Chart1->PlotRect();
        const TRect lowerPlot = form->Chart2->PlotRect();
        EXPECT_TRUE(VerticalLine(upper, upperPlot, upperMouse.x()));
        EXPECT_TRUE(HorizontalLine(upper, upperPlot, upperMouse.y()));
        EXPECT_TRUE(VerticalLine(lower, lowerPlot, upperMouse.x()));
        EXPECT_FALSE(HorizontalLine(lower, lowerPlot, upperMouse.y()));
        // The upper marker rings the sample under the mouse; the lower chart shows none.
        const int32_t marked = form->ChartToolNearestPoint1->NearestIndex();
        EXPECT_EQ(marked, at380);
        ASSERT_GE(marked, 0);
        EXPECT_GE(WhiteRing(upper, form->SERIELeistungRegel->PointPixelX(marked),
                            form->SERIELeistungRegel->PointPixelY(marked)),
                  12);
        EXPECT_EQ(WhiteRing(lower, form->SERIELeistung->PointPixelX(marked),
                            form->SERIELeistung->PointPixelY(marked)),
                  0);
    }

    // Over the lower chart, onto a sample at 420 V: the horizontal line and the marker follow.
    const int32_t at420 = SteadyIndex(420);
    ASSERT_GE(at420, 0);
    QPoint lowerMouse;
    for (int dx : {-12, -6, -2, 0}) {
        lowerMouse = QPoint(form->SERIELeistung->PointPixelX(at420) + dx,
                            form->SERIELeistung->PointPixelY(at420));
        MoveAndPaint(form->Chart2, lowerMouse);
    }
    EXPECT_EQ(Text(werte->edtNetzspannung), "420V");
    EXPECT_EQ(Text(werte->edtNetzspannungR), "420V");
    EXPECT_EQ(Text(werte->edtLeistungR), "6,000W");
    EXPECT_EQ(Text(werte->edtLeistung), "6,935.1W"); // 69.35125 %, value text 69.351
    EXPECT_EQ(Text(werte->edtStromr), "7A");
    EXPECT_EQ(Text(werte->edtSpannungR), "966V");
    EXPECT_FALSE(form->Crosshair().UpperChartActive);
    EXPECT_FALSE(form->ChartToolNearestPoint1->Active());
    EXPECT_TRUE(form->ChartToolNearestPoint2->Active());
    {
        const QImage upper = Picture(form->Chart1);
        const QImage lower = Picture(form->Chart2);
        const TRect upperPlot = form->Chart1->PlotRect();
        const TRect lowerPlot = form->Chart2->PlotRect();
        EXPECT_TRUE(VerticalLine(lower, lowerPlot, lowerMouse.x()));
        EXPECT_TRUE(HorizontalLine(lower, lowerPlot, lowerMouse.y()));
        EXPECT_TRUE(VerticalLine(upper, upperPlot, lowerMouse.x()));
        EXPECT_FALSE(HorizontalLine(upper, upperPlot, upperMouse.y()));
        EXPECT_FALSE(VerticalLine(upper, upperPlot, upperMouse.x()));
        const int32_t marked = form->ChartToolNearestPoint2->NearestIndex();
        EXPECT_EQ(marked, at420);
        ASSERT_GE(marked, 0);
        EXPECT_GE(WhiteRing(lower, form->SERIELeistung->PointPixelX(marked),
                            form->SERIELeistung->PointPixelY(marked)),
                  12);
        EXPECT_EQ(WhiteRing(upper, form->SERIELeistungRegel->PointPixelX(at380),
                            form->SERIELeistungRegel->PointPixelY(at380)),
                  0);
    }

    // ---- Measurement points on: a rectangle at every sample of all eight series.
    Click(form->ToolMesspunkte, QPoint(11, 11));
    EXPECT_TRUE(form->Messpunkte1->isChecked());
    for (TLineSeries* series : AllSeries()) {
        EXPECT_TRUE(series->Pointer().Visible());
    }
    // The mains series run far from the others: three pixels above a sample inside a steady
    // stretch lies inside its marker, and off its line.
    auto markedSamples = [&](TChart* chart, TLineSeries* series) {
        const QImage picture = Picture(chart);
        const TRect plot = chart->PlotRect();
        int steady = 0;
        int marked = 0;
        for (int32_t i = 1; i + 1 < series->Count(); ++i) {
            const int x = series->PointPixelX(i);
            const int y = series->PointPixelY(i);
            const bool level = series->YValue(i - 1) == series->YValue(i) &&
                               series->YValue(i + 1) == series->YValue(i);
            const bool clear = std::abs(x - upperMouse.x()) > 6 &&
                               std::abs(x - lowerMouse.x()) > 6 && x - 6 > plot.Left &&
                               x + 6 < plot.Right && y - 6 > plot.Top && y + 6 < plot.Bottom;
            if (level && clear) {
                ++steady;
                marked += picture.pixel(x + 2, y - 3) == Aqua ? 1 : 0;
            }
        }
        return std::make_pair(steady, marked);
    };
    for (const auto& [chart, series] : {std::make_pair(form->Chart1, form->SERIENetzspannungRegel),
                                        std::make_pair(form->Chart2, form->SERIENetzspannung)}) {
        const auto [steady, marked] = markedSamples(chart, series);
        EXPECT_GE(steady, 10);
        EXPECT_EQ(marked, steady);
    }
    // ... and off again: no marker left.
    Click(form->ToolMesspunkte, QPoint(11, 11));
    EXPECT_FALSE(form->Messpunkte1->isChecked());
    for (TLineSeries* series : AllSeries()) {
        EXPECT_FALSE(series->Pointer().Visible());
    }
    for (const auto& [chart, series] : {std::make_pair(form->Chart1, form->SERIENetzspannungRegel),
                                        std::make_pair(form->Chart2, form->SERIENetzspannung)}) {
        const auto [steady, marked] = markedSamples(chart, series);
        EXPECT_GE(steady, 10);
        EXPECT_EQ(marked, 0);
    }

    // ---- The about window, modal over the running program, closed by a click on its logo.
    TSplashScreen* about = forms->Splash();
    std::set<std::string> shownWithAbout;
    bool aboutModal = false;
    std::string versionLine;
    WhenModal(about, [&] {
        shownWithAbout = Shown();
        aboutModal = QApplication::activeModalWidget() == about;
        versionLine = about->Version->text().toStdString();
        Click(about->Image1, QPoint(40, 40));
    });
    ASSERT_TRUE(ChooseMenuItem(form->menuBar(), form->Info1, form->HelpAboutItem));
    EXPECT_TRUE(WaitUntil([&] { return !about->isVisible(); }));
    EXPECT_EQ(shownWithAbout, (std::set<std::string>{"main", "values", "about"}));
    EXPECT_TRUE(aboutModal);
    EXPECT_EQ(versionLine.rfind("Version ", 0), 0u) << versionLine;
    EXPECT_EQ(Shown(), (std::set<std::string>{"main", "values"}));
    EXPECT_TRUE(form->Timer1->isActive()); // the run went on behind it

    // ---- Ctrl+S restarts the run at the meter's 420 V; the time starts again at 0.2 s.
    form->info->setPlainText(QStringLiteral("scribbled"));
    ASSERT_TRUE(WindowManagerActivates(form));
    const int32_t before = form->SERIELeistung->Count();
    Key(form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_LE(form->SERIELeistung->Count(), 1) << "before the restart: " << before;
    EXPECT_EQ(form->info->toPlainText().toStdString(), InfoLine);
    EXPECT_TRUE(form->btnSimuStartenStoppen->Active());
    EXPECT_TRUE(form->Timer1->isActive());
    ASSERT_TRUE(WaitUntil([&] { return form->SERIELeistung->Count() >= 1; }));
    // The first tick of the new run puts both markers on its first sample.
    EXPECT_EQ(form->ChartToolNearestPoint1->NearestIndex(), 0);
    EXPECT_EQ(form->ChartToolNearestPoint2->NearestIndex(), 0);
    ASSERT_TRUE(RunAt(420, 6));
    ExpectRunReplays(420, "after the restart");
    EXPECT_EQ(form->SERIELeistung->XValue(0), 0.2);
    EXPECT_EQ(form->SERIELeistungRegel->YValue(0), 60.0);

    // ---- Stop: the charts keep the run and nothing is appended any more.
    Click(form->btnSimuStartenStoppen, QPoint(80, 50));
    EXPECT_FALSE(form->btnSimuStartenStoppen->Active());
    EXPECT_FALSE(form->Timer1->isActive());
    const int32_t kept = form->SERIELeistung->Count();
    QTest::qWait(700);
    for (TLineSeries* series : AllSeries()) {
        EXPECT_EQ(series->Count(), kept);
    }
    EXPECT_EQ(form->info->toPlainText().toStdString(), InfoLine);

    // ---- Exit from the keyboard: Alt+F opens "&File", X chooses "E&xit".
    Key(form, Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->File1));
    Key(form->File1, Qt::Key_X);
    EXPECT_TRUE(WaitUntil([&] { return !form->isVisible(); }));
    EXPECT_TRUE(WaitUntil([&] { return quits == 1; }));
    EXPECT_EQ(quits, 1);
}

// Counts the paints of the charts and of every other widget of the main window, and every timer
// event that reaches an object of the main window.
class TActivityCounter : public QObject
{
public:
    explicit TActivityCounter(TWin2kAppForm* mainForm) : FMainForm(mainForm) {}

    int ChartPaints = 0;
    std::map<std::string, int> OtherPaints; // by class and object name
    int MainWindowTimers = 0;

    int Total() const
    {
        int total = ChartPaints + MainWindowTimers;
        for (const auto& entry : OtherPaints) {
            total += entry.second;
        }
        return total;
    }

    void Reset()
    {
        ChartPaints = 0;
        OtherPaints.clear();
        MainWindowTimers = 0;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer && InMainWindow(watched)) {
            ++MainWindowTimers;
        } else if (event->type() == QEvent::Paint && InMainWindow(watched)) {
            if (watched == FMainForm->Chart1 || watched == FMainForm->Chart2) {
                ++ChartPaints;
            } else {
                ++OtherPaints[watched->metaObject()->className() + std::string(" ") +
                              watched->objectName().toStdString()];
            }
        }
        return false;
    }

private:
    bool InMainWindow(const QObject* object) const
    {
        for (; object != nullptr; object = object->parent()) {
            if (object == FMainForm) {
                return true;
            }
        }
        return false;
    }

    TWin2kAppForm* FMainForm;
};

// Runs the event loop until it has turned at least 30 times and for at least 300 ms in a row
// without the counter seeing any activity; false if that does not happen within 20 s.
bool WaitUntilQuiet(const TActivityCounter& counter)
{
    QElapsedTimer total;
    total.start();
    while (total.elapsed() < 20000) {
        const int before = counter.Total();
        QElapsedTimer quiet;
        quiet.start();
        int turns = 0;
        while (counter.Total() == before && (turns < 30 || quiet.elapsed() < 300)) {
            QCoreApplication::sendPostedEvents();
            QTest::qWait(10);
            ++turns;
        }
        if (counter.Total() == before) {
            return true;
        }
    }
    return false;
}

TEST_F(EndToEndTest, AStoppedProgramWithTheMouseStillDoesNothing)
{
    // The introduction's count is run here rather than waited for.
    TfrmWelcome* welcome = forms->Welcome();
    while (!welcome->btnOK->isEnabled()) {
        welcome->Timer1Timer();
    }
    Click(welcome->btnOK, welcome->btnOK->rect().center());
    ASSERT_TRUE(WaitUntil([&] { return !welcome->isVisible(); }));

    // A short run with the crosshair on, stopped, the mouse resting over the lower chart.
    Click(form->ToolButtonGitter, QPoint(11, 11));
    Click(form->btnSimuStartenStoppen, QPoint(80, 50));
    ASSERT_TRUE(WaitUntil([&] { return form->SERIELeistung->Count() >= 3; }));
    Click(form->btnSimuStartenStoppen, QPoint(80, 50));
    const TRect plot = form->Chart2->PlotRect();
    Move(form->Chart2, QPoint((plot.Left + plot.Right) / 2, (plot.Top + plot.Bottom) / 2));
    Move(form->Chart2, QPoint((plot.Left + plot.Right) / 2 + 1, (plot.Top + plot.Bottom) / 2));

    // The work that the clicks and moves asked for is done first, however late a loaded machine
    // does it: the watch starts after 300 ms and 30 turns of the event loop in a row with no
    // paint and no timer in the main window.
    TActivityCounter counter(form);
    qApp->installEventFilter(&counter);
    ASSERT_TRUE(WaitUntilQuiet(counter));
    const int64_t upperDraws = form->Chart1->DrawCount();
    const int64_t lowerDraws = form->Chart2->DrawCount();
    counter.Reset();
    QTest::qWait(1500);
    qApp->removeEventFilter(&counter);

    EXPECT_EQ(form->Chart1->DrawCount(), upperDraws);
    EXPECT_EQ(form->Chart2->DrawCount(), lowerDraws);
    EXPECT_EQ(counter.ChartPaints, 0);
    EXPECT_EQ(counter.MainWindowTimers, 0);
    std::string painted;
    for (const auto& [name, count] : counter.OtherPaints) {
        painted += name + " x" + std::to_string(count) + "; ";
    }
    EXPECT_TRUE(counter.OtherPaints.empty()) << painted;

    // The counter does see the charts paint: one pixel of mouse movement repaints both.
    qApp->installEventFilter(&counter);
    Move(form->Chart2, QPoint((plot.Left + plot.Right) / 2 + 2, (plot.Top + plot.Bottom) / 2));
    // (A crosshair move may be composed from the kept pictures, so count paint events, not
    // full paints.)
    EXPECT_TRUE(WaitUntil([&] { return counter.ChartPaints >= 2; }));
    qApp->removeEventFilter(&counter);
}

} // namespace

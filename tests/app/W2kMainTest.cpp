// The main window's simulation cycle, driven as a user drives it: mouse clicks and key presses
// go to the window and reach its widgets through the window's own mouse and focus routing; the
// timer's tick handler is called directly where a test needs a fixed number of ticks.
#include "app/W2kMain.h"
#include "app/AnchoredPanel.h"
#include "app/Application.h"
#include "app/Startup.h"
#include "chart/ChartEngine.h"
#include "chart/Series.h"
#include "tests/app/MainWindowDriver.h"
#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using MainWindowDriver::ShowActive;
using MainWindowDriver::WaitUntil;

class W2kMainTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override { ASSERT_TRUE(ShowActive(&form)); }

    // A left click at point p of widget, delivered to the window at the matching position.
    void ClickOn(QWidget* widget, QPoint p)
    {
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          widget->mapTo(&form, p));
    }

    // A key press and release delivered to the window: it reaches whichever widget has the focus.
    void PressKey(Qt::Key key) { QTest::keyClick(form.windowHandle(), key); }

    std::vector<TChartSeries*> AllSeries() const
    {
        return {form.SERIEStromRegel,        form.SERIESpannungRegel, form.SERIELeistungRegel,
                form.SERIENetzspannungRegel, form.SERIEStrom,         form.SERIESpannung,
                form.SERIELeistung,          form.SERIENetzspannung};
    }

    void ClickPowerButton() { ClickOn(form.btnSimuStartenStoppen, QPoint(80, 50)); }

    // The test runs the ticks itself: the real timer keeps running but its ticks do not reach
    // the window, however slowly the machine runs the test.
    void TickByHand() { form.Timer1->blockSignals(true); }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            form.Timer1Timer();
        }
    }

    TWin2kAppForm form;
};

TEST_F(W2kMainTest, OpensStoppedWithTheDesignedInstrumentPanel)
{
    EXPECT_EQ(form.windowTitle().toStdString(), "Demonstration of the Orvex Real-Power-Control");
    EXPECT_FALSE(form.btnSimuStartenStoppen->Active());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 200);
    EXPECT_EQ(form.info->toPlainText(), QString());
    EXPECT_EQ(form.info->document()->blockCount(), 1);
    EXPECT_EQ(form.IkMeterNetz->Position(), 400);
    EXPECT_EQ(form.IkSlider1->Position(), 400);
    EXPECT_EQ(form.IkMeterNetz->Caption().toStdString(), "Mainsvoltage: 400V");
    EXPECT_EQ(form.Panel1->height(), 123);
    EXPECT_EQ(form.btnSimuStartenStoppen->geometry(), QRect(7, 8, 162, 105));
    EXPECT_EQ(form.IkMeterNetz->geometry(), QRect(232, 6, 209, 110));
    EXPECT_EQ(form.IkSlider1->geometry(), QRect(453, 7, 44, 108));
    EXPECT_EQ(form.Label10->text().toStdString(), "Info");
    EXPECT_TRUE(form.info->isReadOnly());
    for (TChartSeries* series : AllSeries()) {
        EXPECT_EQ(series->Count(), 0);
    }
    EXPECT_EQ(form.SERIELeistungRegel->SeriesColor(), 8454143);
    EXPECT_EQ(form.SERIEStrom->SeriesColor(), clRed);
    EXPECT_TRUE(WaitUntil([&] { return form.IkSlider1->hasFocus(); }));
}

TEST_F(W2kMainTest, InfoAndMemoStretchWithTheWindowWidth)
{
    const int rightMargin = form.Panel1->width() - form.info->geometry().right();
    form.resize(form.width() + 100, form.height());
    EXPECT_TRUE(WaitUntil(
        [&] { return form.Panel1->width() - form.info->geometry().right() == rightMargin; }));
    EXPECT_EQ(form.Label10->geometry().right(), form.info->geometry().right());
    EXPECT_EQ(form.info->x(), 552);
}

TEST_F(W2kMainTest, RunAt400VoltsAppendsOneSamplePerTickToEverySeries)
{
    TickByHand();
    ClickPowerButton();
    ASSERT_TRUE(form.btnSimuStartenStoppen->Active());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.info->toPlainText().toStdString(),
              "Set Value for Orvex-Real-Power-Control is actually 6000 Watts.");

    constexpr int n = 12;
    Ticks(n);
    double time = 0.0;
    for (int i = 0; i < n; ++i) {
        time += 0.2; // the engine accumulates its time by repeated addition
        for (TChartSeries* series : AllSeries()) {
            ASSERT_EQ(series->Count(), n);
            EXPECT_EQ(series->XValue(i), time);
        }
        EXPECT_EQ(form.SERIELeistungRegel->YValue(i), 60.0);
        EXPECT_DOUBLE_EQ(form.SERIELeistung->YValue(i), 60.02625);
        EXPECT_EQ(form.SERIENetzspannungRegel->YValue(i), 100.0);
        EXPECT_EQ(form.SERIENetzspannung->YValue(i), 100.0);
        EXPECT_DOUBLE_EQ(form.SERIEStromRegel->YValue(i), 69.0);
        EXPECT_DOUBLE_EQ(form.SERIEStrom->YValue(i), 68.0125);
        EXPECT_DOUBLE_EQ(form.SERIESpannung->YValue(i), 64.4125);
        EXPECT_DOUBLE_EQ(form.SERIESpannungRegel->YValue(i), 970.0 / 15.0);
    }
    EXPECT_NE(form.SERIENetzspannung->XValue(2), 0.6); // 0.2 + 0.2 + 0.2, not 0.6
}

TEST_F(W2kMainTest, TheRealTimerTicksWhileRunningAndStopsWithTheButton)
{
    ClickPowerButton();
    ASSERT_TRUE(WaitUntil([&] { return form.SERIELeistungRegel->Count() >= 2; }, 20000));
    ClickPowerButton();
    EXPECT_FALSE(form.btnSimuStartenStoppen->Active());
    EXPECT_FALSE(form.Timer1->isActive());
    const int32_t count = form.SERIELeistungRegel->Count();
    QTest::qWait(450);
    // Stopping keeps the run: the series, the memo and the engine stay as they were.
    EXPECT_EQ(form.SERIELeistungRegel->Count(), count);
    EXPECT_FALSE(form.info->toPlainText().isEmpty());
    for (TChartSeries* series : AllSeries()) {
        EXPECT_EQ(series->Count(), count);
    }
}

TEST_F(W2kMainTest, OffAndOnAgainClearsEverySeriesAndRestartsTheTime)
{
    TickByHand();
    ClickPowerButton();
    Ticks(5);
    ClickPowerButton();
    form.info->setPlainText(QStringLiteral("something else"));
    ClickPowerButton();
    ASSERT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.info->toPlainText().toStdString(),
              "Set Value for Orvex-Real-Power-Control is actually 6000 Watts.");
    for (TChartSeries* series : AllSeries()) {
        EXPECT_EQ(series->Count(), 0);
    }
    Ticks(1);
    for (TChartSeries* series : AllSeries()) {
        ASSERT_EQ(series->Count(), 1);
        EXPECT_EQ(series->XValue(0), 0.2);
    }
}

TEST_F(W2kMainTest, StartStopCommandRestartsWhileRunningAndChangesNothingWhileStopped)
{
    TickByHand();
    // Stopped: the command leaves the button, the timer, the memo and the series alone.
    form.btnSimuStartenStoppenClick(nullptr);
    EXPECT_FALSE(form.btnSimuStartenStoppen->Active());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.info->toPlainText(), QString());

    ClickPowerButton();
    Ticks(3);
    ClickPowerButton();
    form.btnSimuStartenStoppenClick(nullptr);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.SERIEStrom->Count(), 3);

    // Running: the command restarts the run from a fresh engine.
    ClickPowerButton();
    Ticks(4);
    form.btnSimuStartenStoppenClick(nullptr);
    EXPECT_TRUE(form.btnSimuStartenStoppen->Active());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.SERIEStrom->Count(), 0);
    Ticks(1);
    EXPECT_EQ(form.SERIEStrom->XValue(0), 0.2);
}

TEST_F(W2kMainTest, SliderWhileStoppedMovesOnlyTheMeterAndTheNextStartTakesIt)
{
    TickByHand();
    PressKey(Qt::Key_Up);
    EXPECT_EQ(form.IkSlider1->Position(), 405);
    EXPECT_EQ(form.IkMeterNetz->Position(), 405);
    EXPECT_EQ(form.IkMeterNetz->Caption().toStdString(), "Mainsvoltage: 405V");
    PressKey(Qt::Key_Home);
    EXPECT_EQ(form.IkMeterNetz->Position(), 380);
    EXPECT_EQ(form.IkMeterNetz->Caption().toStdString(), "Mainsvoltage: 380V");
    EXPECT_FALSE(form.Timer1->isActive());
    for (TChartSeries* series : AllSeries()) {
        EXPECT_EQ(series->Count(), 0);
    }
    EXPECT_EQ(form.Engine().Time(), 0.0);

    ClickPowerButton();
    Ticks(1);
    EXPECT_EQ(form.SERIENetzspannung->YValue(0), 95.0);
    // 380 V from the reset on: no transient at the first tick.
    EXPECT_EQ(form.SERIELeistungRegel->YValue(0), 60.0);
}

TEST_F(W2kMainTest, SliderMovedBetweenTwoTicksFeedsThePowerTransientOnce)
{
    TickByHand();
    ClickPowerButton();
    Ticks(2);
    PressKey(Qt::Key_Up); // 400 -> 405 between two ticks
    ASSERT_EQ(form.IkMeterNetz->Position(), 405);
    Ticks(6);
    const TChartSeries& power = *form.SERIELeistungRegel;
    ASSERT_EQ(power.Count(), 8);
    EXPECT_EQ(power.YValue(1), 60.0);
    // One tap of (6000 + 5 x 10) W among three of 6000 W, for four ticks, then 6000 W again.
    for (int i = 2; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(power.YValue(i), (60.0 + 60.0 + 60.0 + 60.5) / 4.0) << "tick " << i;
    }
    EXPECT_EQ(power.YValue(6), 60.0);
    EXPECT_EQ(power.YValue(7), 60.0);
    EXPECT_EQ(form.SERIENetzspannungRegel->YValue(2), 101.25);
}

TEST_F(W2kMainTest, ClickingThePowerButtonLeavesTheKeyboardWithTheSlider)
{
    EXPECT_TRUE(WaitUntil([&] { return form.IkSlider1->hasFocus(); }));
    ClickPowerButton();
    ASSERT_TRUE(form.btnSimuStartenStoppen->Active());
    ASSERT_TRUE(form.Timer1->isActive());

    // The arrow keys still move the mains voltage, and the space bar does not stop the run.
    PressKey(Qt::Key_Up);
    EXPECT_EQ(form.IkSlider1->Position(), 405);
    EXPECT_EQ(form.IkMeterNetz->Caption().toStdString(), "Mainsvoltage: 405V");
    PressKey(Qt::Key_Space);
    EXPECT_TRUE(form.btnSimuStartenStoppen->Active());
    EXPECT_TRUE(form.Timer1->isActive());
    PressKey(Qt::Key_End);
    EXPECT_EQ(form.IkMeterNetz->Position(), 420);

    // A second click stops the run and still leaves the focus alone.
    ClickPowerButton();
    EXPECT_FALSE(form.btnSimuStartenStoppen->Active());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(form.IkSlider1->hasFocus());
    PressKey(Qt::Key_Down);
    EXPECT_EQ(form.IkSlider1->Position(), 415);

    // Walking the tab order never lands on the power button.
    for (int i = 0; i < 12; ++i) {
        PressKey(Qt::Key_Tab);
        EXPECT_FALSE(form.btnSimuStartenStoppen->hasFocus()) << "after Tab " << i + 1;
    }
    EXPECT_FALSE(form.btnSimuStartenStoppen->Active());
}

// The slider is out of the Tab order, but a click gives its keys back after the focus has gone
// elsewhere, by a click into the Info memo or by Tab.
TEST_F(W2kMainTest, AClickOnTheSliderGivesItsKeysBack)
{
    ASSERT_TRUE(WaitUntil([&] { return form.IkSlider1->hasFocus(); }));
    const QPoint besideTheThumb(20, 90); // on the track, below the thumb: moves nothing
    for (bool byTab : {false, true}) {
        if (byTab) {
            PressKey(Qt::Key_Tab);
        } else {
            ClickOn(form.info, QPoint(20, 10));
        }
        ASSERT_TRUE(WaitUntil([&] { return !form.IkSlider1->hasFocus(); })) << "by Tab " << byTab;
        for (Qt::Key key : {Qt::Key_A, Qt::Key_B, Qt::Key_C}) {
            PressKey(key);
        }
        PressKey(Qt::Key_Up);
        EXPECT_EQ(form.IkMeterNetz->Position(), 400) << "by Tab " << byTab;

        ClickOn(form.IkSlider1, besideTheThumb);
        ASSERT_TRUE(WaitUntil([&] { return form.IkSlider1->hasFocus(); })) << "by Tab " << byTab;
        EXPECT_EQ(form.IkMeterNetz->Position(), 400);
        PressKey(Qt::Key_Up);
        EXPECT_EQ(form.IkMeterNetz->Position(), 405) << "by Tab " << byTab;
        EXPECT_EQ(form.IkMeterNetz->Caption().toStdString(), "Mainsvoltage: 405V");
        PressKey(Qt::Key_Home);
        PressKey(Qt::Key_End);
        EXPECT_EQ(form.IkSlider1->Position(), 420);
        form.IkSlider1->SetPosition(400);
    }
    EXPECT_EQ(form.info->toPlainText(), QString()); // the read-only memo took no text
}

TEST(ApplicationTest, AnExceptionInAHandlerIsShownAndTheProgramGoesOn)
{
    std::vector<std::string> shown;
    TApplication::SetExceptionHandler(
        [&](const std::string& message) { shown.push_back(message); });
    EXPECT_FALSE(TApplication::RunGuarded(
        []() -> bool { throw std::runtime_error("Value out of range."); }));
    EXPECT_TRUE(TApplication::RunGuarded([] { return true; }));
    TApplication::SetExceptionHandler({});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Value out of range.");
}

} // namespace

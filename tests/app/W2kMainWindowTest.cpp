// The main window's layout and commands, driven through real clicks, moves and keys: the tool
// bar and the menu run the same commands, the status bar shows the long part of the hints, and
// the upper chart takes half of the chart panel after every resize.
#include "app/AnchoredPanel.h"
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/f_splashscreen.h"
#include "app/u_welcome.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/ChartAxis.h"
#include "chart/ChartEngine.h"
#include "chart/Series.h"
#include "tests/app/MainWindowDriver.h"
#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace MainWindowDriver;

std::string Text(const QString& text)
{
    return text.toStdString();
}

class W2kMainWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override { ASSERT_TRUE(ShowActive(&form)); }

    void TearDown() override
    {
        // Leave no popup open for the next test.
        for (QMenu* menu : {form.File1, form.ools1, form.Info1}) {
            menu->hide();
        }
    }

    // The test runs the ticks itself: the real timer's ticks do not reach the window.
    void TickByHand() { form.Timer1->blockSignals(true); }

    // The chart slots as their panel lays them out.
    QRect Upper() const { return form.Chart1->geometry(); }
    QRect Lower() const { return form.Chart2->geometry(); }

    void ExpectChartsSplitHalf(const char* when)
    {
        const int panel = form.Panel3->height();
        EXPECT_EQ(Upper().height(), panel / 2) << when << ", panel " << panel;
        EXPECT_EQ(Upper().top(), 0) << when;
        EXPECT_EQ(Lower().top(), panel / 2 + 7) << when;
        EXPECT_EQ(Lower().top() + Lower().height(), panel) << when;
        EXPECT_EQ(Upper().width(), form.Panel3->width()) << when;
        EXPECT_EQ(Lower().width(), form.Panel3->width()) << when;
    }

    // Waits for the status bar to show hint.
    bool ShowsHint(const char* hint)
    {
        const bool shown =
            WaitUntil([&] { return Text(form.StatusBar->currentMessage()) == hint; });
        if (!shown) {
            ADD_FAILURE() << "status bar shows \"" << Text(form.StatusBar->currentMessage())
                          << "\", not \"" << hint << "\"";
        }
        return shown;
    }

    TWin2kAppForm form;
};

TEST_F(W2kMainWindowTest, TheWindowIsLaidOutAsDesigned)
{
    const QWidget* client = form.centralWidget();
    // Tool bar above, status bar below, the instrument panel at the foot of the client area,
    // the rated values on the left and the chart panel filling the rest.
    EXPECT_EQ(form.ToolBar1->height(), 29);
    EXPECT_LE(form.ToolBar1->geometry().bottom() + 1, client->y());
    EXPECT_EQ(form.ToolButtonGitter->geometry().topLeft().x(), 0);
    EXPECT_EQ(form.ToolMesspunkte->geometry().topLeft().x(), 23);
    EXPECT_EQ(form.ToolButtonGitter->size(), QSize(23, 22));
    EXPECT_EQ(form.ToolBar1->iconSize(), QSize(16, 16));
    EXPECT_EQ(form.ToolButtonGitter->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_TRUE(form.ToolButtonGitter->isCheckable());
    EXPECT_TRUE(form.ToolMesspunkte->isCheckable());

    EXPECT_EQ(form.StatusBar->height(), 19);
    EXPECT_EQ(form.StatusBar->geometry().top(), client->geometry().bottom() + 1);
    EXPECT_EQ(form.StatusBar->geometry().bottom(), form.height() - 1);

    EXPECT_EQ(form.Panel2->geometry(), QRect(0, 0, 121, client->height() - 123));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, client->height() - 123, client->width(), 123));
    EXPECT_EQ(form.Panel3->geometry(),
              QRect(121, 0, client->width() - 121, client->height() - 123));
    EXPECT_EQ(form.Panel2->palette().color(QPalette::Window), QColor(Qt::black));

    // The rated values: label, colour, edit text and bounds of each group.
    const struct
    {
        QLabel* Label;
        const char* Caption;
        QColor Color;
        int LabelTop;
        QLineEdit* Edit;
        const char* EditText;
        int EditTop;
    } groups[] = {
        {form.Label1, "I rated", QColor(255, 0, 0), 21, form.EditINenn, "10A = 100%", 41},
        {form.Label2, "U rated", QColor(0, 0, 255), 74, form.EditUNenn, "1500V = 100%", 94},
        {form.Label3, "P rated", QColor(255, 255, 128), 130, form.EditPNenn, "10000W = 100%", 150},
        {form.Label4, "mains voltage", QColor(0, 255, 255), 186, form.Edit1, "400V = 100 %", 206},
    };
    for (const auto& group : groups) {
        EXPECT_EQ(Text(group.Label->text()), group.Caption);
        EXPECT_EQ(group.Label->geometry(), QRect(8, group.LabelTop, 104, 18)) << group.Caption;
        EXPECT_EQ(group.Label->palette().color(QPalette::Window), group.Color) << group.Caption;
        EXPECT_TRUE(group.Label->font().bold()) << group.Caption;
        EXPECT_TRUE(group.Label->alignment() & Qt::AlignHCenter) << group.Caption;
        EXPECT_EQ(Text(group.Edit->text()), group.EditText);
        EXPECT_EQ(group.Edit->geometry(), QRect(8, group.EditTop, 104, 24)) << group.Caption;
        EXPECT_TRUE(group.Edit->isReadOnly()) << group.Caption;
    }
    // The "V" lies beneath the last edit, which covers it.
    EXPECT_EQ(form.Label5->geometry(), QRect(87, 210, 20, 16));
    EXPECT_EQ(form.Panel2->childAt(QPoint(95, 218)), form.Edit1);
    // The logo at the foot of the panel, proportionally scaled into 111 x 53.
    EXPECT_EQ(form.Image1->geometry(), QRect(5, 301, 111, 53));
    const QPixmap logo = form.Image1->pixmap();
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.width(), 111);
    EXPECT_EQ(logo.height(), 33); // 249 * 111 / 817, truncated
}

TEST_F(W2kMainWindowTest, TheMainMenuHoldsItsItemsWithImagesAndShortcut)
{
    const QList<QAction*> titles = form.menuBar()->actions();
    ASSERT_EQ(titles.size(), 3);
    EXPECT_EQ(Text(titles[0]->text()), "&File");
    EXPECT_EQ(Text(titles[1]->text()), "Tools");
    EXPECT_EQ(Text(titles[2]->text()), "Info");

    auto captions = [](QMenu* menu) {
        std::vector<std::string> result;
        for (QAction* action : menu->actions()) {
            result.push_back(action->isSeparator() ? "-" : Text(action->text()));
        }
        return result;
    };
    EXPECT_EQ(captions(form.File1),
              (std::vector<std::string>{"&Simulation start/stop", "&Export data...",
                                        "Save &picture...", "-", "E&xit"}));
    EXPECT_EQ(captions(form.ools1), (std::vector<std::string>{"Haircross", "Measurmentspoints"}));
    EXPECT_EQ(captions(form.Info1),
              (std::vector<std::string>{"Introduction screen...", "&About..."}));

    EXPECT_EQ(form.SimuStartStop->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_FALSE(form.SimuStartStop->icon().isNull());
    EXPECT_FALSE(form.Datenzeiger1->icon().isNull());
    EXPECT_FALSE(form.Messpunkte1->icon().isNull());
    EXPECT_TRUE(form.FileExitItem->icon().isNull());
    // The export commands added to the File menu show their hints in the status bar.
    EXPECT_EQ(Text(form.FileExportItem->statusTip()),
              "Writes the samples of the current run to a CSV file");
    EXPECT_EQ(Text(form.FileSavePictureItem->statusTip()),
              "Saves both charts as shown to a PNG picture");
    EXPECT_FALSE(form.Datenzeiger1->isChecked());
    EXPECT_FALSE(form.Messpunkte1->isChecked());
    EXPECT_FALSE(form.SimuStartStop->isCheckable());
}

TEST_F(W2kMainWindowTest, TheUpperChartTakesHalfThePanelAfterEveryResize)
{
    ExpectChartsSplitHalf("at start");
    // Even and odd panel heights, growing and shrinking.
    for (const QSize size :
         {QSize(700, 600), QSize(701, 601), QSize(900, 755), QSize(640, 520), QSize(679, 561)}) {
        form.resize(size);
        ASSERT_TRUE(WaitUntil(
            [&] { return form.Panel3->height() == form.centralWidget()->height() - 123; }));
        ExpectChartsSplitHalf(("after resize to " + std::to_string(size.height())).c_str());
    }
}

TEST_F(W2kMainWindowTest, TheSplitterMovesLiveUntilTheNextResize)
{
    QWidget* handle = form.Splitter1->handle(1);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->height(), 7);
    EXPECT_EQ(handle->cursor().shape(), Qt::SplitVCursor);
    const int upperBefore = Upper().height();
    // The handle moves with the drag: positions are fixed in window coordinates.
    const QPoint grip = InWindow(handle, QPoint(handle->width() / 2, 3));
    Press(&form, grip);
    Move(&form, grip + QPoint(0, 10));
    // The charts follow while the handle is still held.
    EXPECT_EQ(Upper().height(), upperBefore + 10);
    Move(&form, grip + QPoint(0, 30));
    EXPECT_EQ(Upper().height(), upperBefore + 30);
    Release(&form, grip + QPoint(0, 30));
    EXPECT_EQ(Upper().height(), upperBefore + 30);
    EXPECT_EQ(Lower().top() + Lower().height(), form.Panel3->height());

    form.resize(form.width(), form.height() + 41);
    ASSERT_TRUE(
        WaitUntil([&] { return form.Panel3->height() == form.centralWidget()->height() - 123; }));
    ExpectChartsSplitHalf("after the splitter moved and the window grew");
}

TEST_F(W2kMainWindowTest, ToolButtonsAndMenuItemsRunTheSameCheckCommands)
{
    const struct
    {
        QToolButton* Button;
        QAction* Item;
    } pairs[] = {{form.ToolButtonGitter, form.Datenzeiger1},
                 {form.ToolMesspunkte, form.Messpunkte1}};
    for (const auto& pair : pairs) {
        const std::string name = Text(pair.Item->text());
        ASSERT_EQ(pair.Button->defaultAction(), pair.Item) << name;
        // Button on: the item carries its mark and the button looks pressed.
        Click(pair.Button, QPoint(11, 11));
        EXPECT_TRUE(pair.Item->isChecked()) << name;
        EXPECT_TRUE(pair.Button->isChecked()) << name;
        // The menu item switches it off again, and the button's look follows.
        ASSERT_TRUE(ChooseMenuItem(form.menuBar(), form.ools1, pair.Item)) << name;
        EXPECT_FALSE(pair.Item->isChecked()) << name;
        EXPECT_FALSE(pair.Button->isChecked()) << name;
        // Menu on, button off.
        ASSERT_TRUE(ChooseMenuItem(form.menuBar(), form.ools1, pair.Item)) << name;
        EXPECT_TRUE(pair.Item->isChecked()) << name;
        EXPECT_TRUE(pair.Button->isChecked()) << name;
        Click(pair.Button, QPoint(11, 11));
        EXPECT_FALSE(pair.Item->isChecked()) << name;
        EXPECT_FALSE(pair.Button->isChecked()) << name;
    }
    // The two commands are independent.
    Click(form.ToolMesspunkte, QPoint(11, 11));
    EXPECT_TRUE(form.Messpunkte1->isChecked());
    EXPECT_FALSE(form.Datenzeiger1->isChecked());
}

TEST_F(W2kMainWindowTest, CtrlSRestartsARunAndTheMenuItemDoesTheSame)
{
    TickByHand();
    // Stopped: the command leaves everything alone.
    Key(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(form.info->toPlainText().isEmpty());

    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    ASSERT_TRUE(form.Timer1->isActive());
    form.Timer1Timer();
    form.Timer1Timer();
    ASSERT_EQ(form.SERIELeistung->Count(), 2);
    Key(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(form.SERIELeistung->Count(), 0);
    EXPECT_TRUE(form.btnSimuStartenStoppen->Active());
    EXPECT_TRUE(form.Timer1->isActive());

    form.Timer1Timer();
    ASSERT_TRUE(ChooseMenuItem(form.menuBar(), form.File1, form.SimuStartStop));
    EXPECT_EQ(form.SERIELeistung->Count(), 0);
    EXPECT_TRUE(form.Timer1->isActive());
    form.Timer1Timer();
    EXPECT_EQ(form.SERIELeistung->XValue(0), 0.2);
}

TEST_F(W2kMainWindowTest, TheValuesWindowLeavesTheKeysWithTheMainWindow)
{
    TickByHand();
    TfrmWerte werte;
    TSplashScreen splash;
    // Keys go to the active window, as the user's keyboard does.
    auto keyToActive = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* active = QApplication::activeWindow();
        ASSERT_NE(active, nullptr);
        Key(active, key, modifiers);
    };
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    form.Timer1Timer();
    form.Timer1Timer();

    // "Haircross" by its tool button shows the values window beside the charts; the main window
    // keeps the keyboard, so the slider's keys and Ctrl+S still work.
    Click(form.ToolButtonGitter, QPoint(11, 11));
    ASSERT_TRUE(WaitUntil([&] { return werte.isVisible(); }));
    // On screen, the window system has handled its showing, activation included.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&werte));
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &form);
    keyToActive(Qt::Key_Up);
    EXPECT_EQ(form.IkSlider1->Position(), 405);
    EXPECT_EQ(form.IkMeterNetz->Position(), 405);
    keyToActive(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(form.SERIELeistung->Count(), 0);
    EXPECT_TRUE(form.Timer1->isActive());

    // With the values window made active (the user clicked it), Ctrl+S still restarts the run.
    form.Timer1Timer();
    werte.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&werte));
    Click(werte.edtStrom, QPoint(10, 10));
    keyToActive(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(form.SERIELeistung->Count(), 0);

    // A modal window blocks it.
    form.Timer1Timer();
    WhenModal(&splash, [&] {
        keyToActive(Qt::Key_S, Qt::ControlModifier);
        Click(&splash, QPoint(20, 20));
    });
    ASSERT_TRUE(ChooseMenuItem(form.menuBar(), form.Info1, form.HelpAboutItem));
    EXPECT_EQ(form.SERIELeistung->Count(), 1);
    EXPECT_TRUE(form.btnSimuStartenStoppen->Active());
}

// Minimised by the window manager, the values window comes back when "Haircross" shows it
// again, and still leaves the keyboard with the main window.
TEST_F(W2kMainWindowTest, HaircrossBringsAMinimisedValuesWindowBack)
{
    TfrmWerte werte;
    EXPECT_EQ(werte.windowType(), Qt::Dialog);
    Click(form.ToolButtonGitter, QPoint(11, 11));
    ASSERT_TRUE(WaitUntil([&] { return werte.isVisible(); }));
    werte.showMinimized();
    ASSERT_TRUE(werte.isMinimized());
    Click(form.ToolButtonGitter, QPoint(11, 11));
    ASSERT_TRUE(WaitUntil([&] { return !werte.isVisible(); }));
    Click(form.ToolButtonGitter, QPoint(11, 11));
    EXPECT_TRUE(WaitUntil([&] { return werte.isVisible() && !werte.isMinimized(); }));
    EXPECT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &form; }));
    Key(&form, Qt::Key_Up);
    EXPECT_EQ(form.IkMeterNetz->Position(), 405);
}

// Where the window system activates every window it shows (a Wayland compositor), the values
// window passes the keys on to the main window until the user clicks into it, and no edit
// takes them.
TEST_F(W2kMainWindowTest, AValuesWindowActivatedOnShowingPassesTheKeysOnUntilClicked)
{
    TfrmWerte::ActivatedOnShow = true;
    struct Reset
    {
        ~Reset() { TfrmWerte::ActivatedOnShow.reset(); }
    } reset;
    TfrmWerte werte;
    Click(form.ToolButtonGitter, QPoint(11, 11));
    ASSERT_TRUE(WaitUntil([&] { return werte.isVisible(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&werte));
    // The compositor's activation on showing (the values window asks for the activation to go
    // back, which the platform here grants and a Wayland compositor may not); the keys then
    // reach the values window, as the compositor sends them.
    werte.activateWindow();
    QCoreApplication::processEvents();
    const QList<QLineEdit*> edits = werte.findChildren<QLineEdit*>();
    ASSERT_TRUE(WaitUntil([&] {
        return std::none_of(edits.begin(), edits.end(), [](QLineEdit* e) { return e->hasFocus(); });
    }));

    Key(&werte, Qt::Key_Up);
    EXPECT_EQ(form.IkSlider1->Position(), 405);
    EXPECT_EQ(form.IkMeterNetz->Position(), 405);
    Key(&werte, Qt::Key_End);
    EXPECT_EQ(form.IkMeterNetz->Position(), 420);
    Key(&werte, Qt::Key_7);
    for (const QLineEdit* edit : edits) {
        EXPECT_TRUE(edit->text().isEmpty()) << Text(edit->accessibleName());
    }

    // A click into an edit (which the window manager answers by activating the window) gives
    // the window the keyboard: typing lands there, the slider's keys no longer reach the main
    // window.
    Click(werte.edtStrom, QPoint(10, 10));
    werte.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&werte));
    ASSERT_TRUE(WaitUntil([&] { return werte.edtStrom->hasFocus(); }));
    Key(&werte, Qt::Key_7);
    Key(&werte, Qt::Key_Home);
    EXPECT_EQ(Text(werte.edtStrom->text()), "7");
    EXPECT_EQ(form.IkMeterNetz->Position(), 420);
}

TEST_F(W2kMainWindowTest, TheStatusBarShowsTheLongPartOfTheHints)
{
    // The control under the mouse; a control without a hint clears the bar.
    Move(form.Panel3, QPoint(50, 50));
    Move(form.ToolButtonGitter, QPoint(11, 11));
    EXPECT_TRUE(ShowsHint("shows/hides the Haircross"));
    Move(form.ToolMesspunkte, QPoint(11, 11));
    EXPECT_TRUE(ShowsHint("Show/Hide the measurementspoints"));
    Move(form.Panel3, QPoint(50, 50));
    EXPECT_TRUE(ShowsHint(""));
    EXPECT_EQ(Text(form.ToolButtonGitter->toolTip()), "shows/hides the Haircross");

    // A menu title, and a menu item under the mouse: the part after "|", or the whole hint.
    Move(form.menuBar(), form.menuBar()->actionGeometry(form.File1->menuAction()).center());
    EXPECT_TRUE(ShowsHint("File related commands"));
    ASSERT_TRUE(OpenMenu(form.menuBar(), form.File1));
    QTest::mouseMove(form.File1->windowHandle(),
                     form.File1->actionGeometry(form.FileExitItem).center());
    EXPECT_TRUE(ShowsHint("Exit application"));
    QTest::mouseMove(form.File1->windowHandle(),
                     form.File1->actionGeometry(form.SimuStartStop).center());
    EXPECT_TRUE(ShowsHint("Start or Stops the Simulation"));
    form.File1->hide();

    ASSERT_TRUE(OpenMenu(form.menuBar(), form.Info1));
    QTest::mouseMove(form.Info1->windowHandle(),
                     form.Info1->actionGeometry(form.HelpAboutItem).center());
    EXPECT_TRUE(ShowsHint("Displays program information, version number, and copyright"));
    EXPECT_EQ(Text(form.HelpAboutItem->toolTip()), "About");
    form.Info1->hide();
}

TEST_F(W2kMainWindowTest, ExitClosesTheWindow)
{
    ASSERT_TRUE(ChooseMenuItem(form.menuBar(), form.File1, form.FileExitItem));
    EXPECT_TRUE(WaitUntil([&] { return !form.isVisible(); }));
}

TEST_F(W2kMainWindowTest, InfoMenuShowsTheAboutAndIntroductionWindowsModally)
{
    TSplashScreen splash;
    TfrmWelcome welcome(&form);
    ASSERT_EQ(SplashScreen, &splash);
    ASSERT_EQ(frmWelcome, &welcome);

    // "&About...": the about window runs modally until a click on it closes it.
    bool aboutWasModal = false;
    WhenModal(&splash, [&] {
        aboutWasModal = true;
        Click(&splash, QPoint(20, 20));
    });
    ASSERT_TRUE(ChooseMenuItem(form.menuBar(), form.Info1, form.HelpAboutItem));
    EXPECT_TRUE(aboutWasModal);
    EXPECT_TRUE(WaitUntil([&] { return !splash.isVisible(); }));

    // "Introduction screen...": the introduction window, modal; its OK closes it once the
    // waiting time has run out (the ticks are run here instead of waiting ten seconds).
    bool welcomeWasModal = false;
    WhenModal(&welcome, [&] {
        welcomeWasModal = true;
        while (!welcome.btnOK->isEnabled()) {
            welcome.Timer1Timer();
        }
        Click(welcome.btnOK, welcome.btnOK->rect().center());
    });
    ASSERT_TRUE(ChooseMenuItem(form.menuBar(), form.Info1, form.ableofthe1));
    EXPECT_TRUE(welcomeWasModal);
    EXPECT_TRUE(WaitUntil([&] { return !welcome.isVisible(); }));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(W2kMainWindowTest, ARunDrawsAllEightSeriesInBothChartsInTheirColours)
{
    TickByHand();
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    for (int i = 0; i < 40; ++i) {
        form.Timer1Timer();
    }
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    const struct
    {
        TChart* Chart;
        std::vector<TLineSeries*> Series;
    } charts[] = {
        {form.Chart1,
         {form.SERIEStromRegel, form.SERIESpannungRegel, form.SERIELeistungRegel,
          form.SERIENetzspannungRegel}},
        {form.Chart2,
         {form.SERIEStrom, form.SERIESpannung, form.SERIELeistung, form.SERIENetzspannung}},
    };
    const QColor colours[] = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(255, 255, 128),
                              QColor(0, 255, 255)};
    const int widths[] = {2, 2, 4, 2};
    for (const auto& chart : charts) {
        const QImage picture = chart.Chart->grab().toImage();
        const TRect plot = chart.Chart->PlotRect();
        ASSERT_EQ(chart.Chart->SeriesCount(), 4);
        EXPECT_EQ(chart.Chart->LeftAxis().Minimum(), 45.0);
        EXPECT_EQ(chart.Chart->LeftAxis().Maximum(), 115.0);
        for (size_t s = 0; s < 4; ++s) {
            TLineSeries* series = chart.Series[s];
            EXPECT_EQ(&chart.Chart->SeriesAt(static_cast<int32_t>(s)), series);
            EXPECT_EQ(series->LinePen().Width(), widths[s]);
            // Every point between the first and the last (which lie on the plot's left and right
            // edges, where the series are clipped) lies on a pixel of its series' colour.
            ASSERT_EQ(series->Count(), 40);
            EXPECT_EQ(series->PointPixelX(0), plot.Left);
            EXPECT_EQ(series->PointPixelX(39), plot.Right);
            int onColour = 0;
            for (int32_t i = 1; i < 39; ++i) {
                const int x = series->PointPixelX(i);
                const int y = series->PointPixelY(i);
                ASSERT_TRUE(plot.Left < x && x < plot.Right && plot.Top < y && y < plot.Bottom);
                onColour += picture.pixelColor(x, y) == colours[s] ? 1 : 0;
            }
            EXPECT_EQ(onColour, 38) << "series " << s;
        }
    }
}

} // namespace

// The introduction window as the user meets it: its text, the ten-second count before OK may
// be pressed, OK hiding it and maximising the main window, and the later modal showing that is
// refused while the window is still up from the start.
#include "app/Application.h"
#include "app/Startup.h"
#include "app/u_welcome.h"
#include "platform/Errors.h"
#include "tests/app/MainWindowDriver.h"

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class IntroductionWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        // The tests count the bar by hand: the real timer's ticks do not reach the window (it
        // started with the window, and any wait below may let one through on a busy machine).
        welcome.Timer1->blockSignals(true);
        TApplication::SetExceptionHandler(
            [this](const std::string& message) { messages.push_back(message); });
        mainForm.resize(500, 400);
        mainForm.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainForm));
        welcome.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&welcome));
    }

    void TearDown() override { TApplication::SetExceptionHandler(nullptr); }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            welcome.Timer1Timer();
        }
    }

    void ClickOK() { QTest::mouseClick(welcome.btnOK, Qt::LeftButton); }

    QMainWindow mainForm;
    TfrmWelcome welcome{&mainForm};
    std::vector<std::string> messages;
};

TEST_F(IntroductionWindowTest, ShowsTheWelcomeTextAndWaitsWithOKDisabled)
{
    EXPECT_EQ(frmWelcome, &welcome);
    EXPECT_EQ(welcome.windowTitle().toStdString(), "Welcome");
    EXPECT_TRUE(welcome.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(welcome.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(welcome.isModal());
    EXPECT_EQ(welcome.size(), QSize(812, 552));
    EXPECT_EQ(welcome.Label1->text().toStdString(),
              "BEEING INDEPENDENT FROM VARIATIONS IN GRID SUPPLY");
    EXPECT_EQ(welcome.Label1->geometry(), QRect(0, 0, 812, 29));
    EXPECT_EQ(welcome.Panel1->geometry(), QRect(0, 552 - 67, 812, 67));
    EXPECT_EQ(welcome.Memo1->geometry(), QRect(0, 29, 812, 552 - 29 - 67));
    EXPECT_TRUE(welcome.Memo1->isReadOnly());

    // The memo holds exactly these 18 lines, tabs and trailing blanks included.
    const std::vector<std::string> expected = {
        "",
        "In principle, magnetic control gear can be extended in order to become continuously ",
        "adjustable with the use of KELVARO.",
        "The most important benefit of a precise effective-power-feedback control system is to "
        "be ",
        "independent from variations in grid supply.",
        "This demo shows the wide range of variation of  lamp-power according to small "
        "variations in ",
        "grid supply. You can study the principe of KELVARO by controlling the mainsvoltage with ",
        "the mouse-pointer.",
        "",
        "This demo simulate the behaviour of a true uv-lamp with following data-sheet:",
        "\trated voltage\t\t935 Volt",
        "\trated current\t\t7,14 Ampere",
        "\trated power\t\t6000 Watts",
        "The transformer is designed to supply 6000 Watts on 380 Volt mains voltage.",
        "",
        "Start simulation by pressing the simulation buttom and controll the mains voltage in the "
        "range ",
        "of  +/- 5% of 400 Volt with the sliding controller.",
        "The setvalue for KELVARO is fixed to 6000 Watts.",
    };
    std::vector<std::string> lines;
    for (const QString& line : welcome.Memo1->toPlainText().split(QLatin1Char('\n'))) {
        lines.push_back(line.toStdString());
    }
    EXPECT_EQ(lines, expected);
    // The whole text fits: nothing is left to scroll to.
    EXPECT_EQ(welcome.Memo1->verticalScrollBar()->maximum(), 0);

    EXPECT_EQ(welcome.btnOK->text().toStdString(), "OK");
    EXPECT_FALSE(welcome.btnOK->icon().isNull());
    EXPECT_EQ(welcome.btnOK->geometry(), QRect(8, 6, 129, 57));
    EXPECT_FALSE(welcome.btnOK->isEnabled());
    EXPECT_EQ(welcome.lblwait->text().toStdString(), "Please wait ...");
    EXPECT_TRUE(welcome.lblwait->isVisible());
    EXPECT_EQ(welcome.ProgressBar1->geometry(), QRect(152, 32, 150, 27));
    EXPECT_EQ(welcome.ProgressBar1->minimum(), 0);
    EXPECT_EQ(welcome.ProgressBar1->maximum(), 100);
    EXPECT_EQ(welcome.ProgressBar1->value(), 0);
    EXPECT_TRUE(welcome.Timer1->isActive());
    EXPECT_EQ(welcome.Timer1->interval(), 100);

    // A disabled OK does not react, and Escape does not dismiss the window.
    ClickOK();
    QTest::keyClick(welcome.windowHandle(), Qt::Key_Escape);
    QTest::keyClick(welcome.windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(welcome.isVisible());
    EXPECT_FALSE(mainForm.isMaximized());
}

TEST_F(IntroductionWindowTest, OKIsEnabledOnTheHundredAndFirstTickAndMaximisesTheMainWindow)
{
    Ticks(100);
    EXPECT_EQ(welcome.ProgressBar1->value(), 100);
    EXPECT_FALSE(welcome.btnOK->isEnabled());
    EXPECT_TRUE(welcome.ProgressBar1->isVisible());
    EXPECT_TRUE(welcome.lblwait->isVisible());
    EXPECT_TRUE(welcome.Timer1->isActive());

    Ticks(1);
    EXPECT_TRUE(welcome.btnOK->isEnabled());
    EXPECT_FALSE(welcome.Timer1->isActive());
    EXPECT_FALSE(welcome.ProgressBar1->isVisible());
    EXPECT_FALSE(welcome.lblwait->isVisible());
    EXPECT_EQ(welcome.ProgressBar1->value(), 100);

    // The user had resized the main window; OK maximises it all the same.
    mainForm.resize(420, 300);
    ClickOK();
    EXPECT_FALSE(welcome.isVisible());
    EXPECT_EQ(welcome.result(), QDialog::Accepted);
    EXPECT_TRUE(mainForm.isMaximized());
    EXPECT_TRUE(messages.empty());
}

TEST_F(IntroductionWindowTest, RealTimerCountsTheBarUp)
{
    // The window's own timer of 100 ms counts the bar up, a step a tick. (How long the steps
    // take is the machine's business: a late tick may be followed by an early one.)
    EXPECT_EQ(welcome.Timer1->interval(), 100);
    welcome.Timer1->blockSignals(false);
    const int start = welcome.ProgressBar1->value();
    ASSERT_TRUE(MainWindowDriver::WaitUntil(
        [&] { return welcome.ProgressBar1->value() >= start + 3; }, 20000));
}

TEST_F(IntroductionWindowTest, ModalShowIsRefusedWhileShownFromTheStartAndWorksAfterOK)
{
    Ticks(40);
    ShowIntroductionScreen();
    ASSERT_EQ(messages, std::vector<std::string>{"Cannot make a visible window modal"});
    // Unchanged: still shown, not modal, still counting.
    EXPECT_TRUE(welcome.isVisible());
    EXPECT_FALSE(welcome.isModal());
    EXPECT_EQ(welcome.ProgressBar1->value(), 40);
    EXPECT_TRUE(welcome.Timer1->isActive());
    EXPECT_THROW(welcome.ShowModal(), EInvalidOperation);

    Ticks(61);
    ClickOK();
    ASSERT_FALSE(welcome.isVisible());

    // Shown again from the menu command: modal, OK enabled, no progress bar; OK ends it and
    // maximises the main window again.
    mainForm.showNormal();
    mainForm.resize(420, 300);
    bool sawFinishedState = false;
    MainWindowDriver::WhenModal(&welcome, [&] {
        sawFinishedState = welcome.isVisible() && welcome.isModal() && welcome.btnOK->isEnabled() &&
                           !welcome.ProgressBar1->isVisible() && !welcome.lblwait->isVisible();
        ClickOK();
    });
    ShowIntroductionScreen();
    EXPECT_TRUE(sawFinishedState);
    EXPECT_EQ(welcome.result(), QDialog::Accepted);
    EXPECT_FALSE(welcome.isVisible());
    EXPECT_TRUE(mainForm.isMaximized());
    EXPECT_EQ(messages.size(), 1u);
}

// Minimised by the window manager, the window comes back to the front whenever it is asked for
// again: while it is still up from the start (the modal showing is refused) and after OK.
TEST_F(IntroductionWindowTest, AMinimisedWindowComesBackWhenAskedForAgain)
{
    EXPECT_EQ(welcome.windowType(), Qt::Dialog);
    welcome.showMinimized();
    ASSERT_TRUE(welcome.isMinimized());
    ShowIntroductionScreen();
    EXPECT_EQ(messages, std::vector<std::string>{"Cannot make a visible window modal"});
    EXPECT_TRUE(welcome.isVisible());
    EXPECT_FALSE(welcome.isMinimized());

    Ticks(101);
    ClickOK();
    ASSERT_FALSE(welcome.isVisible());
    welcome.setWindowState(Qt::WindowMinimized); // hidden while minimised
    bool shownInFront = false;
    QTimer::singleShot(0, &welcome, [&] {
        shownInFront = welcome.isVisible() && welcome.isModal() && !welcome.isMinimized();
        ClickOK();
    });
    ShowIntroductionScreen();
    EXPECT_TRUE(shownInFront);
    EXPECT_EQ(messages.size(), 1u);
}

TEST(IntroductionWindowRegistryTest, OnlyTheFirstWindowRegistersAndLeavesOnDestruction)
{
    EXPECT_EQ(frmWelcome, nullptr);
    {
        TfrmWelcome first(nullptr);
        TfrmWelcome second(nullptr);
        EXPECT_EQ(frmWelcome, &first);
        // Without a main window OK only hides the window.
        for (int i = 0; i < 101; ++i) {
            first.Timer1Timer();
        }
        first.show();
        QTest::mouseClick(first.btnOK, Qt::LeftButton);
        EXPECT_FALSE(first.isVisible());
    }
    EXPECT_EQ(frmWelcome, nullptr);
    ShowIntroductionScreen(); // no window: nothing happens
}

} // namespace

// Program start as the user meets it: the five windows created in their order, the main and
// the introduction window visible, the introduction on top without blocking the main window,
// and the end of the program when the main window closes, whatever else is still shown.
#include "app/About.h"
#include "app/AppForms.h"
#include "app/Application.h"
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/f_splashscreen.h"
#include "app/u_welcome.h"
#include "app/u_wertedisplay.h"
#include "tests/app/MainWindowDriver.h"
#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace MainWindowDriver;

class ProgramStartTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        TApplication::SetExceptionHandler(
            [this](const std::string& message) { messages.push_back(message); });
        forms.OnMainFormClosed = [this] { ++quits; };
        ASSERT_TRUE(QTest::qWaitForWindowExposed(forms.MainForm()));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(forms.Welcome()));
    }

    void TearDown() override { TApplication::SetExceptionHandler(nullptr); }

    TAppForms forms;
    int quits = 0;
    std::vector<std::string> messages;
};

TEST_F(ProgramStartTest, CreatesTheFiveWindowsAndShowsMainAndIntroductionOnTop)
{
    // Every window is reachable through its unit's pointer.
    ASSERT_NE(forms.MainForm(), nullptr);
    EXPECT_EQ(AboutBox, forms.AboutBox());
    EXPECT_EQ(frmWerte, forms.Werte());
    EXPECT_EQ(SplashScreen, forms.Splash());
    EXPECT_EQ(frmWelcome, forms.Welcome());

    // All five are top-level windows of the application, none inside another.
    std::vector<QWidget*> topLevel;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        for (QWidget* form :
             std::vector<QWidget*>{forms.MainForm(), forms.AboutBox(), forms.Werte(),
                                   forms.Splash(), forms.Welcome()}) {
            if (widget == form) {
                topLevel.push_back(widget);
            }
        }
    }
    EXPECT_EQ(topLevel.size(), 5u);

    EXPECT_TRUE(forms.MainForm()->isVisible());
    EXPECT_TRUE(forms.Welcome()->isVisible());
    // The dialogs are transient for the main window: a window manager keeps them with it.
    EXPECT_EQ(forms.Welcome()->windowHandle()->transientParent(), forms.MainForm()->windowHandle());
    EXPECT_EQ(forms.Werte()->parentWidget(), forms.MainForm());
    EXPECT_FALSE(forms.AboutBox()->isVisible());
    EXPECT_FALSE(forms.Werte()->isVisible());
    EXPECT_FALSE(forms.Splash()->isVisible());

    // The introduction stays on top and holds no modal lock on the main window.
    EXPECT_TRUE(forms.Welcome()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(forms.Welcome()->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(forms.Welcome()->btnOK->isEnabled());
    EXPECT_FALSE(forms.MainForm()->windowIcon().isNull());
    EXPECT_FALSE(forms.Werte()->windowIcon().isNull());

    // The user can work the main window behind it: a click on the power button starts a run.
    TWin2kAppForm* mainForm = forms.MainForm();
    QTest::mouseClick(mainForm->btnSimuStartenStoppen, Qt::LeftButton, Qt::NoModifier,
                      QPoint(80, 50));
    EXPECT_TRUE(mainForm->btnSimuStartenStoppen->Active());
    EXPECT_TRUE(forms.Welcome()->isVisible());
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProgramStartTest, AfterTheCountOKHidesTheIntroductionAndMaximisesTheMainWindow)
{
    for (int i = 0; i < 101; ++i) {
        forms.Welcome()->Timer1Timer();
    }
    QTest::mouseClick(forms.Welcome()->btnOK, Qt::LeftButton);
    EXPECT_FALSE(forms.Welcome()->isVisible());
    EXPECT_TRUE(forms.MainForm()->isMaximized());
    EXPECT_EQ(quits, 0);
}

// Once the introduction or a modal window opened from the main window is gone, the keyboard is
// back with the main window: the arrow keys move the mains voltage without a click first.
TEST_F(ProgramStartTest, TheKeyboardComesBackToTheSliderWheneverAnotherWindowGoes)
{
    TWin2kAppForm* mainForm = forms.MainForm();
    TfrmWelcome* welcome = forms.Welcome();
    // A key as the user types it: to whichever window is active; true when the main one is.
    auto keyToMainWindow = [&](Qt::Key key) {
        if (!WaitUntil([&] { return QApplication::activeWindow() == mainForm; })) {
            return false;
        }
        Key(mainForm, key);
        return true;
    };
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == welcome; }));
    // The user clicks the main window behind the introduction and asks for the introduction
    // while it is still up from the start: the standard error box says why, and Return closes
    // it.
    // (The window system activates a window the user clicks; the offscreen one is told so.)
    mainForm->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == mainForm; }));
    TApplication::SetExceptionHandler(nullptr);
    std::string boxText;
    int polls = 0;
    auto* poll = new QTimer(mainForm);
    QObject::connect(poll, &QTimer::timeout, mainForm, [&, poll] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && box->isActiveWindow()) {
            poll->stop();
            boxText = box->text().toStdString();
            Key(box, Qt::Key_Return);
        } else if (box != nullptr && ++polls > 250) {
            box->reject(); // never hang the suite
        }
    });
    poll->start(20);
    ASSERT_TRUE(ChooseMenuItem(mainForm->menuBar(), mainForm->Info1, mainForm->ableofthe1));
    poll->stop();
    EXPECT_EQ(boxText, "Cannot make a visible window modal");
    EXPECT_TRUE(welcome->isVisible());
    EXPECT_TRUE(keyToMainWindow(Qt::Key_Down)) << "after the error box";
    EXPECT_EQ(mainForm->IkSlider1->Position(), 395);
    TApplication::SetExceptionHandler(
        [this](const std::string& message) { messages.push_back(message); });

    welcome->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == welcome; }));
    for (int i = 0; i < 101; ++i) {
        welcome->Timer1Timer();
    }
    Click(welcome->btnOK, QPoint(20, 20));
    ASSERT_FALSE(welcome->isVisible());
    EXPECT_TRUE(keyToMainWindow(Qt::Key_Up)) << "after OK of the introduction";
    EXPECT_EQ(mainForm->IkSlider1->Position(), 400);
    EXPECT_EQ(mainForm->IkMeterNetz->Position(), 400);

    WhenModal(forms.Splash(), [&] { Click(forms.Splash()->Label2, QPoint(10, 10)); });
    ASSERT_TRUE(ChooseMenuItem(mainForm->menuBar(), mainForm->Info1, mainForm->HelpAboutItem));
    ASSERT_FALSE(forms.Splash()->isVisible());
    EXPECT_TRUE(keyToMainWindow(Qt::Key_Down)) << "after the about window";
    EXPECT_EQ(mainForm->IkSlider1->Position(), 395);

    WhenModal(welcome, [&] { Click(welcome->btnOK, QPoint(20, 20)); });
    ASSERT_TRUE(ChooseMenuItem(mainForm->menuBar(), mainForm->Info1, mainForm->ableofthe1));
    ASSERT_FALSE(welcome->isVisible());
    EXPECT_TRUE(mainForm->isMaximized());
    EXPECT_TRUE(keyToMainWindow(Qt::Key_End)) << "after the introduction shown again";
    EXPECT_EQ(mainForm->IkSlider1->Position(), 420);
    EXPECT_EQ(mainForm->IkMeterNetz->Caption().toStdString(), "Mainsvoltage: 420V");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProgramStartTest, ClosingTheMainWindowEndsTheProgramEvenWithOtherWindowsShown)
{
    forms.Werte()->show();
    QTest::qWait(20);
    EXPECT_EQ(quits, 0);
    forms.MainForm()->close();
    EXPECT_TRUE(WaitUntil([&] { return quits == 1; }));
    EXPECT_TRUE(forms.Welcome()->isVisible()); // still shown: only the main window decides
}

TEST_F(ProgramStartTest, HidingOtherWindowsDoesNotEndTheProgram)
{
    forms.Werte()->show();
    forms.Werte()->hide();
    forms.Splash()->close();
    QTest::qWait(20);
    EXPECT_EQ(quits, 0);
}

} // namespace

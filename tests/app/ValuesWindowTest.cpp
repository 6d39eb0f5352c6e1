// The values window's stored layout: a stay-on-top dialog without system buttons, the row
// labels on their colours, and eight empty, writable edits in two group boxes.
#include "app/Startup.h"
#include "app/u_wertedisplay.h"
#include "platform/Graphics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QTest>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

namespace {

class ValuesWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }
    TfrmWerte werte;
};

TEST_F(ValuesWindowTest, LaidOutAsStoredWithEightColouredEdits)
{
    EXPECT_EQ(frmWerte, &werte);
    EXPECT_EQ(werte.windowTitle().toStdString(), "Values");
    const Qt::WindowFlags flags = werte.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowSystemMenuHint));
    EXPECT_FALSE(werte.isVisible()); // hidden until the crosshair is switched on
    EXPECT_EQ(werte.size(), QSize(316, 188));
    EXPECT_EQ(werte.pos(), QPoint(350, 125));

    EXPECT_EQ(werte.Panel1->geometry(), QRect(0, 8, 97, 176));
    struct TRow
    {
        QLabel* Label;
        const char* Text;
        int LabelTop;
        QLineEdit* Uncontrolled;
        QLineEdit* Controlled;
        int EditTop;
        TColor Color;
    };
    const TRow rows[] = {
        {werte.Label1, "mains voltage:", 25, werte.edtNetzspannung, werte.edtNetzspannungR, 30,
         clAqua},
        {werte.Label2, "current:", 65, werte.edtStrom, werte.edtStromr, 70, clRed},
        {werte.Label3, "voltage:", 105, werte.edtSpannung, werte.edtSpannungR, 110, clBlue},
        {werte.Label4, "power :", 145, werte.edtLeistung, werte.edtLeistungR, 150, clYellow},
    };
    EXPECT_EQ(werte.GroupBox1->title().toStdString(), "uncontrolled");
    EXPECT_EQ(werte.GroupBox1->geometry(), QRect(96, 0, 110, 185));
    EXPECT_EQ(werte.GroupBox2->title().toStdString(), "controlled");
    EXPECT_EQ(werte.GroupBox2->geometry(), QRect(204, 0, 110, 185));
    for (const TRow& row : rows) {
        ASSERT_NE(row.Label, nullptr);
        EXPECT_EQ(row.Label->text().toStdString(), row.Text);
        EXPECT_EQ(row.Label->parentWidget(), werte.Panel1);
        EXPECT_EQ(row.Label->pos(), QPoint(4, row.LabelTop));
        EXPECT_EQ(row.Label->palette().color(QPalette::Window), ColorToQColor(row.Color));
        EXPECT_TRUE(row.Label->autoFillBackground());
        for (QLineEdit* edit : {row.Uncontrolled, row.Controlled}) {
            ASSERT_NE(edit, nullptr) << row.Text;
            EXPECT_EQ(edit->geometry(), QRect(14, row.EditTop, 80, 24)) << row.Text;
            EXPECT_EQ(edit->palette().color(QPalette::Base), ColorToQColor(row.Color));
            EXPECT_TRUE(edit->text().isEmpty());
            EXPECT_FALSE(edit->isReadOnly());
        }
        EXPECT_EQ(row.Uncontrolled->parentWidget(), werte.GroupBox1);
        EXPECT_EQ(row.Controlled->parentWidget(), werte.GroupBox2);
    }
}

TEST_F(ValuesWindowTest, EditsTakeTypingAndEscapeOrAWindowCloseDoNotHideIt)
{
    werte.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&werte));
    QTest::mouseClick(werte.edtStromr, Qt::LeftButton);
    for (char key : {'7', '.', '1', 'A'}) {
        QTest::keyClick(werte.windowHandle(), key);
    }
    EXPECT_EQ(werte.edtStromr->text().toStdString(), "7.1A");

    QTest::keyClick(werte.windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(werte.isVisible());
    // A close request from the window system is refused; the crosshair command hides it.
    QCloseEvent fromWindowSystem;
    QSpontaneKeyEvent::setSpontaneous(&fromWindowSystem);
    QCoreApplication::instance()->notify(&werte, &fromWindowSystem); // keeps it spontaneous
    EXPECT_FALSE(fromWindowSystem.isAccepted());
    EXPECT_TRUE(werte.isVisible());
    werte.hide();
    EXPECT_FALSE(werte.isVisible());
    EXPECT_EQ(werte.edtStromr->text().toStdString(), "7.1A"); // texts survive hiding
}

} // namespace

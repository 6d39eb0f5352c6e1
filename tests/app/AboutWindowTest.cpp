// The about window: the version line made from the program file's own version record (this
// test binary carries 1.2.3.4), the maker's details, and a click on any of its parts closing
// its modal showing. Also the generic about box that is created but never shown.
#include "app/About.h"
#include "app/PrjConst.h"
#include "app/Startup.h"
#include "app/f_splashscreen.h"
#include "platform/FileVersion.h"
#include "tests/app/MainWindowDriver.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

ORVEX_FILE_VERSION_RECORD(AboutWindowTestVersion, 1, 2, 3, 4);

namespace {

class AboutWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    // Shows the window modally, lets act run inside the modal loop and returns the result.
    int ShowModalAnd(const std::function<void()>& act)
    {
        MainWindowDriver::WhenModal(&splash, act);
        return splash.ShowModal();
    }

    TSplashScreen splash;
};

TEST_F(AboutWindowTest, ShowsLogoMakerAndTheVersionOfThisProgramFile)
{
    EXPECT_EQ(SplashScreen, &splash);
    EXPECT_EQ(splash.windowTitle().toStdString(), "Orvex About");
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    // A client area of 629 x 360, filled by the panel, inside the window's one-pixel border.
    EXPECT_EQ(splash.size(), QSize(631, 362));
    EXPECT_EQ(splash.Panel1->geometry(), QRect(1, 1, 629, 360));

    // The version line: prefix, the file version of this binary, the credit text.
    EXPECT_EQ(splash.Version->text().toStdString(),
              "Version 1.2.3.4" + SVersionCredit.toStdString());
    EXPECT_TRUE(SVersionCredit.startsWith(QLatin1Char(' ')));
    // The label grows with its text and keeps its designed place.
    EXPECT_GE(splash.Version->width(), splash.Version->sizeHint().width());
    EXPECT_EQ(splash.Version->geometry().topLeft(), QPoint(17, 334));
    // ... and ends before the notice line beside it starts.
    EXPECT_LT(splash.Version->x() + splash.Version->sizeHint().width(), splash.Label5->x());

    EXPECT_EQ(splash.Label2->text(), SMakerName);
    EXPECT_TRUE(splash.Label2->font().bold());
    EXPECT_EQ(splash.Label3->text(), SMakerStreet);
    EXPECT_EQ(splash.Label4->text(), SMakerTown);
    EXPECT_EQ(splash.Label5->text(), SMakerNotice);
    for (QLabel* label : {splash.Label2, splash.Label3, splash.Label4}) {
        EXPECT_EQ(label->font().pixelSize(), 20);
        EXPECT_EQ(label->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        EXPECT_EQ(label->width(), 593);
    }
    // The logo fills the width of its box, proportionally scaled from 817 x 249.
    ASSERT_FALSE(splash.Image1->pixmap().isNull());
    EXPECT_EQ(splash.Image1->pixmap().width(), 593);
    EXPECT_NEAR(splash.Image1->pixmap().height(), 593.0 * 249 / 817, 1.0);
}

TEST_F(AboutWindowTest, AFileWithoutARecordGivesTheDefaultVersion)
{
    TSplashScreen other(nullptr, QStringLiteral("/bin/sh"));
    EXPECT_EQ(other.Version->text(), SVersionPrefix + "1.0.0.1" + SVersionCredit);
    TSplashScreen missing(nullptr, QStringLiteral("/no/such/program"));
    EXPECT_EQ(missing.Version->text(), SVersionPrefix + "1.0.0.1" + SVersionCredit);
    EXPECT_EQ(SplashScreen, &splash); // later windows do not take the registered place
}

TEST_F(AboutWindowTest, AClickOnAnyLabelTheLogoOrThePanelClosesIt)
{
    struct TTarget
    {
        const char* Name;
        QWidget* Widget;
    };
    const TTarget targets[] = {
        {"Panel1", splash.Panel1},   {"Image1", splash.Image1}, {"Label2", splash.Label2},
        {"Label3", splash.Label3},   {"Label4", splash.Label4}, {"Label5", splash.Label5},
        {"Version", splash.Version},
    };
    for (const TTarget& target : targets) {
        bool shownModally = false;
        const int result = ShowModalAnd([&] {
            shownModally = splash.isVisible() && splash.isModal();
            QTest::mouseClick(target.Widget, Qt::LeftButton, Qt::NoModifier,
                              QPoint(target.Widget->width() / 2, target.Widget->height() / 2));
        });
        EXPECT_TRUE(shownModally) << target.Name;
        EXPECT_EQ(result, QDialog::Accepted) << target.Name;
        EXPECT_FALSE(splash.isVisible()) << target.Name;
    }
    // An empty corner of the panel, away from every label, closes it as well.
    EXPECT_EQ(ShowModalAnd([&] {
                  QTest::mouseClick(splash.Panel1, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
              }),
              QDialog::Accepted);
}

TEST_F(AboutWindowTest, APressThatLeavesBeforeReleaseOrARightClickKeepsItOpen)
{
    const int result = ShowModalAnd([&] {
        QTest::mouseClick(splash.Label2, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        // Pressed on the logo, released outside it.
        QTest::mousePress(splash.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTest::mouseRelease(splash.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(-30, -30));
        const bool stillOpen = splash.isVisible();
        splash.done(stillOpen ? 7 : -2);
    });
    EXPECT_EQ(result, 7);
}

#ifdef ORVEX_PROGRAM_PATH
TEST(ProgramVersionRecordTest, TheBuiltProgramCarriesTheProjectVersionInItsRecord)
{
    // The project version is also the default text, so look for the record itself.
    std::ifstream file(ORVEX_PROGRAM_PATH, std::ios::binary | std::ios::ate);
    ASSERT_TRUE(file.good());
    std::vector<unsigned char> bytes(static_cast<size_t>(file.tellg()));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(file.good());
    TFixedFileInfo info{};
    ASSERT_TRUE(FindFixedFileInfo(bytes.data(), bytes.size(), info));
    EXPECT_EQ(FormatFileVersion(info), ORVEX_EXPECTED_VERSION);
    EXPECT_EQ(FileVersionText(ORVEX_PROGRAM_PATH), ORVEX_EXPECTED_VERSION);
    TSplashScreen splash(nullptr, QStringLiteral(ORVEX_PROGRAM_PATH));
    EXPECT_EQ(splash.Version->text(),
              SVersionPrefix + QStringLiteral(ORVEX_EXPECTED_VERSION) + SVersionCredit);
}
#endif

TEST(AboutBoxTest, GenericBoxIsBuiltButHidden)
{
    TAboutBox box;
    EXPECT_EQ(AboutBox, &box);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.windowTitle().toStdString(), "About");
    EXPECT_EQ(box.size(), QSize(367, 257));
    EXPECT_EQ(box.OKButton->text().toStdString(), "OK");
    EXPECT_TRUE(box.OKButton->isDefault());
    for (QLabel* label : {box.ProductName, box.Version, box.Copyright, box.Comments}) {
        EXPECT_FALSE(label->text().isEmpty());
        EXPECT_EQ(label->parentWidget(), box.Panel1);
    }
    // Shown, it stands in the middle of the screen, and its OK button closes it.
    QPoint centre;
    MainWindowDriver::WhenModal(&box, [&] {
        centre = box.frameGeometry().center();
        QTest::mouseClick(box.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          box.OKButton->geometry().center());
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2)
        << centre.x() << ", " << centre.y() << " on a screen centred at " << screenCentre.x()
        << ", " << screenCentre.y();
}

} // namespace

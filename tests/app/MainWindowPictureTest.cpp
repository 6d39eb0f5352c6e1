// The main window as a whole picture after a short run with the crosshair on over the lower
// chart, and the details of its windows that only a careful look at them shows. The picture is
// written to $MAIN_WINDOW_PNG_DIR/main-window.png when that variable names a folder.
#include "app/AnchoredPanel.h"
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/ChartTools.h"
#include "chart/NumberFormat.h"
#include "chart/Series.h"
#include "tests/app/MainWindowDriver.h"
#include "widgets/IkButtons.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace MainWindowDriver;

const QRgb Black = qRgb(0, 0, 0);

class MainWindowPictureTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        SetNumberSeparators('.', ',');
        form.Timer1->blockSignals(true); // the test ticks by hand
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.resize(1000, 700);
        ASSERT_TRUE(WaitUntil([&] { return form.width() == 1000 && form.height() == 700; }));
        Move(form.Panel2, QPoint(60, 280));
    }

    void Settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        form.Chart1->repaint();
        form.Chart2->repaint();
    }

    static void SavePicture(const QImage& image, const char* name)
    {
        const char* dir = std::getenv("MAIN_WINDOW_PNG_DIR");
        if (dir != nullptr && *dir != '\0') {
            image.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
        }
    }

    TfrmWerte werte;
    TWin2kAppForm form;
};

TEST_F(MainWindowPictureTest, AShortRunWithTheCrosshairOverTheLowerChart)
{
    Click(form.btnSimuStartenStoppen, QPoint(80, 50));
    for (int i = 0; i < 40; ++i) {
        form.Timer1Timer();
    }
    Click(form.ToolButtonGitter, QPoint(11, 11));
    const int32_t i = 25;
    const QPoint at(form.SERIELeistung->PointPixelX(i), form.SERIELeistung->PointPixelY(i) + 15);
    Move(form.Chart2, at);
    Settle();
    const QImage window = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    SavePicture(window, "main-window.png");

    // The vertical line runs through both charts at the mouse's X, the horizontal line only
    // through the lower chart, at the mouse's Y.
    const TRect upper = form.Chart1->PlotRect();
    const TRect lower = form.Chart2->PlotRect();
    const QPoint upperOrigin = form.Chart1->mapTo(&form, QPoint(0, 0));
    const QPoint lowerOrigin = form.Chart2->mapTo(&form, QPoint(0, 0));
    int upperBlack = 0;
    for (int y = upper.Top + 1; y <= upper.Bottom; ++y) {
        upperBlack += window.pixel(upperOrigin.x() + at.x(), upperOrigin.y() + y) == Black;
    }
    EXPECT_GT(upperBlack, (upper.Bottom - upper.Top) * 9 / 10);
    int lowerRow = 0;
    for (int x = lower.Left; x < lower.Right; ++x) {
        lowerRow += window.pixel(lowerOrigin.x() + x, lowerOrigin.y() + at.y()) == Black;
    }
    EXPECT_GT(lowerRow, (lower.Right - lower.Left) * 9 / 10);
    EXPECT_TRUE(form.ChartToolNearestPoint2->Active());
    EXPECT_FALSE(form.ChartToolNearestPoint1->Active());
    EXPECT_EQ(werte.edtLeistung->text().toStdString(), "6,002.6W");
}

} // namespace

// The main window on screens of device pixel ratios 1, 1.5 and 2 (the offscreen platform with
// three screens side by side): a move to another screen re-creates the drawing buffers at the
// new ratio, the geometry of every surface of our own stays on the logical pixels of ratio 1,
// and text and slanted lines are drawn at device resolution.
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/NumberFormat.h"
#include "tests/app/MainWindowDriver.h"
#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace MainWindowDriver;

// Before the application starts: three offscreen screens, of ratios 1, 1.5 and 2.
const bool ScreensConfigured = [] {
    const QString path = QDir::temp().filePath(
        QStringLiteral("orvex-screens-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(R"({"screens": [
  {"name": "one", "x": 0, "y": 0, "width": 1280, "height": 1024, "dpr": 1},
  {"name": "oneandahalf", "x": 1280, "y": 0, "width": 1280, "height": 1024, "dpr": 1.5},
  {"name": "two", "x": 2560, "y": 0, "width": 1280, "height": 1024, "dpr": 2}]})");
    file.close();
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toLocal8Bit().constData(), 1);
    return true;
}();

class PixelRatioWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        ASSERT_TRUE(ScreensConfigured);
        ASSERT_EQ(QGuiApplication::screens().size(), 3);
        SetNumberSeparators('.', ',');
        form.Timer1->blockSignals(true); // the test ticks by hand
        ASSERT_TRUE(ShowActive(&form));
        form.resize(1000, 700);
        ASSERT_TRUE(WaitUntil([&] { return form.width() == 1000 && form.height() == 700; }));
        Click(form.btnSimuStartenStoppen, QPoint(80, 50));
        for (int i = 0; i < 30; ++i)
            form.Timer1Timer();
        Click(form.IkSlider1, QPoint(form.IkSlider1->width() / 2, 20));
        for (int i = 0; i < 30; ++i)
            form.Timer1Timer();
    }

    // Moves the window to the screen of the ratio and waits until its widgets have it.
    bool MoveToScreen(int index)
    {
        QScreen* screen = QGuiApplication::screens().at(index);
        form.windowHandle()->setScreen(screen);
        form.move(screen->geometry().topLeft() + QPoint(20, 20));
        const qreal ratio = screen->devicePixelRatio();
        return WaitUntil([&] { return form.devicePixelRatioF() == ratio; });
    }

    static QImage Picture(QWidget* widget)
    {
        widget->repaint();
        return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    TfrmWerte werte;
    TWin2kAppForm form;
};

// One of our drawing surfaces in the window, with where it draws text or slanted lines (the only
// places where ratio 2 may differ from ratio 1 doubled).
struct Surface
{
    const char* name;
    QWidget* widget;
    const TBitmap* buffer;
    std::vector<QRect> detailAreas;
};

bool InAny(const std::vector<QRect>& areas, int x, int y)
{
    for (const QRect& r : areas)
        if (r.contains(x, y))
            return true;
    return false;
}

struct Comparison
{
    QRect wrong;         // logical pixels outside the detail areas that are not ratio 1 doubled
    int finerBlocks = 0; // 2x2 device blocks in the detail areas that are not one colour
};

Comparison CompareDoubled(const QImage& one, const QImage& two, const std::vector<QRect>& areas)
{
    Comparison result;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            const QRgb a = two.pixel(2 * x, 2 * y);
            const bool uniform = two.pixel(2 * x + 1, 2 * y) == a &&
                                 two.pixel(2 * x, 2 * y + 1) == a &&
                                 two.pixel(2 * x + 1, 2 * y + 1) == a;
            if (InAny(areas, x, y))
                result.finerBlocks += uniform ? 0 : 1;
            else if (!uniform || a != one.pixel(x, y))
                result.wrong |= QRect(x, y, 1, 1);
        }
    return result;
}

// The lengths of the runs of a colour down one device column, between rows from and to.
std::vector<int> RunsDown(const QImage& image, int x, int from, int to, QRgb color)
{
    std::vector<int> runs;
    int run = 0;
    for (int y = from; y <= to; ++y) {
        if (image.pixel(x, y) == color) {
            ++run;
        } else if (run > 0) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run > 0)
        runs.push_back(run);
    return runs;
}

TEST_F(PixelRatioWindowTest, AMoveToADenserScreenRedrawsEverySurfaceAtDeviceResolution)
{
    const TRect plot = form.Chart1->PlotRect();
    const int chartWidth = form.Chart1->width();
    const int chartHeight = form.Chart1->height();
    const std::vector<Surface> surfaces = {
        // The title above the plot, the value labels left of it, the time labels below it.
        {"chart",
         form.Chart1,
         nullptr,
         {QRect(0, 0, chartWidth, plot.Top), QRect(0, 0, plot.Left, chartHeight),
          QRect(0, plot.Bottom + 4, chartWidth, chartHeight)}},
        // The face inside the bevel: scale ticks and needle are slanted, the labels text.
        {"meter",
         form.IkMeterNetz,
         &form.IkMeterNetz->OffscreenBitmap(),
         {QRect(4, 4, form.IkMeterNetz->width() - 8, form.IkMeterNetz->height() - 8)}},
        {"slider", form.IkSlider1, &form.IkSlider1->OffscreenBitmap(), {}},
        // The caption below the lamp.
        {"power button",
         form.btnSimuStartenStoppen,
         &form.btnSimuStartenStoppen->OffscreenBitmap(),
         {QRect(20, 50, form.btnSimuStartenStoppen->width() - 40, 26)}},
    };
    std::vector<QImage> atOne;
    for (const Surface& s : surfaces)
        atOne.push_back(Picture(s.widget));

    ASSERT_TRUE(MoveToScreen(2));
    for (size_t i = 0; i < surfaces.size(); ++i) {
        const Surface& s = surfaces[i];
        SCOPED_TRACE(s.name);
        const QImage atTwo = Picture(s.widget);
        ASSERT_EQ(atTwo.size(), 2 * atOne[i].size());
        // The buffer behind the surface has the device size.
        const TBitmap* buffer =
            s.buffer != nullptr ? s.buffer : form.Chart1->ChartCanvas().BufferBitmap();
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(buffer->Image().size(), 2 * QSize(buffer->Width(), buffer->Height()));
        const Comparison c = CompareDoubled(atOne[i], atTwo, s.detailAreas);
        EXPECT_TRUE(c.wrong.isEmpty())
            << "not ratio 1 doubled: " << c.wrong.x() << "," << c.wrong.y() << " "
            << c.wrong.width() << "x" << c.wrong.height();
        if (!s.detailAreas.empty()) {
            EXPECT_GT(c.finerBlocks, 100) << "text drawn as doubled ratio-1 glyphs";
        }
    }

    // At 1.5 every series line keeps one device width along the whole plot: the pens of 2 and
    // 4 logical pixels are 3 and 6 device pixels wide in every column.
    ASSERT_TRUE(MoveToScreen(1));
    const QImage atOneAndAHalf = Picture(form.Chart1);
    ASSERT_EQ(atOneAndAHalf.width(), qRound(1.5 * chartWidth));
    const std::pair<QRgb, int> series[] = {{qRgb(255, 0, 0), 3},
                                           {qRgb(0, 0, 255), 3},
                                           {qRgb(0, 255, 255), 3},
                                           {qRgb(255, 255, 128), 6}};
    for (const auto& [color, width] : series) {
        int columns = 0;
        for (int x = qRound(1.5 * (plot.Left + 4)); x < qRound(1.5 * (plot.Right - 4)); ++x) {
            const std::vector<int> runs = RunsDown(atOneAndAHalf, x, qRound(1.5 * plot.Top),
                                                   qRound(1.5 * plot.Bottom), color);
            columns += runs == std::vector<int>{width} ? 1 : 0;
        }
        EXPECT_EQ(columns, qRound(1.5 * (plot.Right - 4)) - qRound(1.5 * (plot.Left + 4)))
            << std::hex << color;
    }

    // Back on the first screen every picture is the one it was.
    ASSERT_TRUE(MoveToScreen(0));
    for (size_t i = 0; i < surfaces.size(); ++i)
        EXPECT_EQ(Picture(surfaces[i].widget), atOne[i]) << surfaces[i].name;
}

} // namespace

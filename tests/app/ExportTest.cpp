// Taking a run away from the main window: "Export data..." writes the run's samples as CSV (the
// same bytes as the engine's own samples and as the command-line run of the same mains sequence,
// whatever the locale), "Save picture..." writes both charts as shown; the file names come from
// an injected chooser, and every failure shows a message and leaves the target as it was.
#include "app/AnchoredPanel.h"
#include "app/Application.h"
#include "app/ProfileRun.h"
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "chart/Chart.h"
#include "chart/NumberFormat.h"
#include "simulation/RunCsv.h"
#include "tests/app/MainWindowDriver.h"
#include "widgets/IkButtons.h"
#include "widgets/IkSlider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <locale>
#include <string>
#include <vector>

namespace {

using namespace MainWindowDriver;

class ExportTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        form.ChooseSaveFileName = [this](const QString& caption, const QString& proposed,
                                         const QString& filter) {
            asked.push_back({caption, proposed, filter});
            return answer;
        };
        TApplication::SetExceptionHandler(
            [this](const std::string& message) { messages.push_back(message); });
        // The test ticks by hand: the real timer's ticks do not reach the window.
        form.Timer1->blockSignals(true);
        ASSERT_TRUE(ShowActive(&form));
        Move(form.Panel2, QPoint(60, 280)); // the mouse enters away from the charts
    }

    void TearDown() override { TApplication::SetExceptionHandler(nullptr); }

    // Starts a run with the power button and makes one tick at each voltage, the slider moved
    // there from the keyboard first: Home and End for the ends of its range, the arrows in its
    // steps of 5 V between them.
    void Run(const std::vector<int32_t>& volts)
    {
        Click(form.btnSimuStartenStoppen, QPoint(80, 50));
        for (int32_t v : volts) {
            for (int presses = 0; form.IkSlider1->Position() != v; ++presses) {
                ASSERT_LT(presses, 10) << "the slider does not reach " << v;
                const int32_t now = form.IkSlider1->Position();
                Key(&form, v == 380   ? Qt::Key_Home
                           : v == 420 ? Qt::Key_End
                           : now < v  ? Qt::Key_Up
                                      : Qt::Key_Down);
            }
            form.Timer1Timer();
        }
    }

    // Chooses a File menu item with the mouse; the chooser answers with the file of that name.
    void Choose(QAction* item, const QString& name)
    {
        answer = name.isEmpty() ? QString() : folder.filePath(name);
        ASSERT_TRUE(ChooseMenuItem(form.menuBar(), form.File1, item));
        ASSERT_TRUE(WaitUntil([&] { return !form.File1->isVisible(); }));
    }

    QByteArray Contents(const QString& name) const
    {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QStringList Files() const
    {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    struct TAsked
    {
        QString Caption, Proposed, Filter;
    };
    TWin2kAppForm form;
    QTemporaryDir folder;
    QString answer;
    std::vector<TAsked> asked;
    std::vector<std::string> messages;
};

// A run's mains sequence as a profile: 400 V at time 0, then each tick's voltage at its time.
QByteArray ProfileOf(const std::vector<int32_t>& volts)
{
    QByteArray text = "time,volts\n0,400\n";
    for (std::size_t k = 1; k <= volts.size(); ++k) {
        text += QByteArray::number(static_cast<qulonglong>(k) * 200 / 1000) + "." +
                QByteArray::number(static_cast<qulonglong>(k) * 200 % 1000).rightJustified(3, '0') +
                "," + QByteArray::number(volts[k - 1]) + "\n";
    }
    return text;
}

TEST_F(ExportTest, TheExportedRunIsTheEnginesAndTheCommandLinesToTheLastBit)
{
    const std::vector<int32_t> volts = {400, 405, 405, 395, 390, 390, 420, 420, 380, 385, 400};
    Run(volts);
    ASSERT_TRUE(form.btnSimuStartenStoppen->Active());

    // Exported while the run goes on: the points as they stand.
    Choose(form.FileExportItem, QStringLiteral("run.csv"));
    EXPECT_TRUE(messages.empty()) << messages.front();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Caption, QStringLiteral("Export data"));
    EXPECT_TRUE(asked[0].Filter.startsWith(QStringLiteral("CSV files (*.csv)")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^orvex-run-\\d{8}-\\d{6}\\.csv$"))
                    .match(QFileInfo(asked[0].Proposed).fileName())
                    .hasMatch())
        << asked[0].Proposed.toStdString();
    EXPECT_EQ(QFileInfo(asked[0].Proposed).absolutePath(), QDir::homePath());
    const QByteArray exported = Contents(QStringLiteral("run.csv"));

    // The engine's own samples of the same sequence.
    TLampSimulation engine;
    engine.Reset(400);
    std::string expected(RunCsvHeader());
    for (int32_t v : volts) {
        AppendRunCsvRow(expected, engine.Tick(v, 200));
    }
    EXPECT_EQ(exported.toStdString(), expected);

    // The command-line run of the same sequence as a profile.
    Write(QStringLiteral("profile.csv"), ProfileOf(volts));
    const TProfileRunOutcome outcome =
        RunProfileFile(folder.filePath(QStringLiteral("profile.csv")).toStdString(),
                       folder.filePath(QStringLiteral("cli.csv")).toStdString(), 200);
    ASSERT_EQ(outcome.ExitCode, 0) << outcome.Err;
    EXPECT_EQ(Contents(QStringLiteral("cli.csv")), exported);

    // The next proposal is in the folder of the last save.
    Choose(form.FileExportItem, QString());
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(QFileInfo(asked[1].Proposed).absolutePath(),
              QFileInfo(folder.path()).absoluteFilePath());
}

// A number punctuation with a decimal comma and a point for grouping.
struct TGermanPunct : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST_F(ExportTest, TheLocaleDoesNotChangeTheFile)
{
    Run({400, 405, 405, 395, 380});
    Choose(form.FileExportItem, QStringLiteral("plain.csv"));

    // A decimal comma everywhere the program or a library could look: the program's own
    // separators, Qt's default locale and the C++ global locale. All restored afterwards.
    const QLocale qtBefore;
    const std::locale cppBefore;
    SetNumberSeparators(',', '.');
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::locale::global(std::locale(std::locale::classic(), new TGermanPunct));
    Choose(form.FileExportItem, QStringLiteral("german.csv"));
    std::locale::global(cppBefore);
    QLocale::setDefault(qtBefore);
    ReadNumberSeparatorsFromSystem();

    const QByteArray plain = Contents(QStringLiteral("plain.csv"));
    EXPECT_EQ(Contents(QStringLiteral("german.csv")), plain);
    // Eight fields a row, so no number holds a comma.
    const QList<QByteArray> rows = plain.split('\n');
    ASSERT_EQ(rows.size(), 7); // header, five rows, and nothing after the last line end
    for (qsizetype i = 0; i + 1 < rows.size(); ++i) {
        EXPECT_EQ(rows[i].count(','), 7) << rows[i].toStdString();
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExportTest, AFailedSaveShowsWhyAndLeavesTheTargetAsItWas)
{
    Run({400, 405});
    Write(QStringLiteral("earlier.csv"), "earlier");
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder")));
    const QStringList before = Files();

    struct Case
    {
        QAction* Item;
        QString Target;
        std::string Cause;
    };
    const Case cases[] = {
        {form.FileExportItem, QStringLiteral("folder"), "it is a folder."},
        {form.FileSavePictureItem, QStringLiteral("folder"), "it is a folder."},
        {form.FileExportItem, QStringLiteral("missing/earlier.csv"), ""},
        {form.FileSavePictureItem, QStringLiteral("missing/earlier.png"), ""},
    };
    for (const Case& c : cases) {
        messages.clear();
        Choose(c.Item, c.Target);
        ASSERT_EQ(messages.size(), 1u) << c.Target.toStdString();
        const std::string start =
            "Could not write \"" +
            QDir::toNativeSeparators(folder.filePath(c.Target)).toStdString() + "\": " + c.Cause;
        EXPECT_EQ(messages[0].rfind(start, 0), 0u) << messages[0];
        EXPECT_EQ(Files(), before);
        EXPECT_TRUE(QDir(folder.filePath(QStringLiteral("folder"))).isEmpty());
        EXPECT_EQ(Contents(QStringLiteral("earlier.csv")), "earlier");
    }
    // Cancelled: nothing written, nothing shown.
    messages.clear();
    Choose(form.FileExportItem, QString());
    Choose(form.FileSavePictureItem, QString());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Files(), before);
}

TEST_F(ExportTest, ThePictureHoldsBothChartsAsShownCrosshairIncluded)
{
    Run({400, 405, 410, 405, 400, 395, 390, 395, 400});
    Click(form.ToolButtonGitter, QPoint(11, 11)); // the crosshair on
    ASSERT_TRUE(form.Datenzeiger1->isChecked());
    const TRect plot = form.Chart1->PlotRect();
    const QPoint at((plot.Left + plot.Right) / 2, (plot.Top + plot.Bottom) / 2);
    Move(form.Chart1, at);
    QTest::qWait(20);
    form.Chart1->repaint();
    form.Chart2->repaint();

    Choose(form.FileSavePictureItem, QStringLiteral("charts.png"));
    EXPECT_TRUE(messages.empty()) << messages.front();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^orvex-charts-\\d{8}-\\d{6}\\.png$"))
                    .match(QFileInfo(asked[0].Proposed).fileName())
                    .hasMatch());

    const QImage picture(folder.filePath(QStringLiteral("charts.png")), "png");
    ASSERT_FALSE(picture.isNull());
    const qreal ratio = form.Splitter1->devicePixelRatioF();
    EXPECT_EQ(picture.size(), form.Splitter1->size() * ratio);
    // Each chart's pixels where it lies in the picture.
    for (TChart* chart : {form.Chart1, form.Chart2}) {
        const QImage shown = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect where((QPointF(chart->pos()) * ratio).toPoint(), chart->size() * ratio);
        EXPECT_EQ(picture.copy(where).convertToFormat(QImage::Format_RGB32), shown);
    }
    // The crosshair's vertical line runs through both charts, the horizontal one on the upper.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    auto pixel = [&](QPoint p) { return rgb.pixel((QPointF(p) * ratio).toPoint()); };
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(pixel(QPoint(at.x(), plot.Top + 3)), black);
    EXPECT_EQ(pixel(QPoint(plot.Left + 3, at.y())), black);
    const TRect lowerPlot = form.Chart2->PlotRect();
    EXPECT_EQ(pixel(form.Chart2->pos() + QPoint(at.x(), lowerPlot.Top + 3)), black);
}

} // namespace

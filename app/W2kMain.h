#pragma once
// The main window: tool bar, main menu and status bar; the rated values on the left; the two
// charts ("with Orvex Real-Power-Control" above, "without Real-Power-Control" below) with a
// splitter between them; and the instrument panel at its foot. The power button starts and
// stops a 200 ms timer; every tick asks the engine for one sample at the meter's voltage and
// appends it to the eight series; the slider sets the meter.
//
// The crosshair ("Haircross") reads the sample nearest to the mouse into the values window,
// draws a vertical line at the mouse on both charts and a horizontal one on the chart under the
// mouse, and keeps only that chart's nearest-point marker active.
#include "platform/Colors.h"
#include "platform/Control.h"
#include "simulation/LampSimulation.h"

#include <QMainWindow>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class TAnchoredPanel;
class TChart;
class TChartSeries;
class TIkMeter;
class TIkPowerButton;
class TIkSlider;
class TLineSeries;
class TNearestTool;

class TWin2kAppForm : public QMainWindow
{
public:
    explicit TWin2kAppForm(QWidget* parent = nullptr);
    ~TWin2kAppForm() override;

    // ---- Commands and events ----
    // Start/stop: the power button (after it toggled) and the menu's Ctrl+S.
    void btnSimuStartenStoppenClick(TControl* sender);
    // One simulation tick.
    void Timer1Timer();
    // The slider moved: the meter and its caption follow.
    void IkSlider1Change(TControl* sender);
    // Window creation, run once at the end of the constructor.
    void FormCreate();
    // Every resize: the upper chart takes half of the chart panel's height (rounded down).
    void FormResize();
    // "E&xit": closes the window, which ends the program.
    void FileExit1Execute();
    // "&About...": the about window, modal.
    void HelpAbout1Execute();
    // "Introduction screen...": the introduction window, modal.
    void ableofthe1Click();
    // "Export data...": writes the current run, as its series hold it, to a CSV file.
    void FileExportDataExecute();
    // "Save picture...": writes both charts as shown, crosshair included, to one PNG file.
    void FileSavePictureExecute();
    // "Haircross": switches the crosshair and the values window on or off.
    void Datenzeiger1Click();
    // "Measurmentspoints": shows or hides the point markers of all eight series.
    void Messpunkte1Click();
    // Mouse moves over the charts: the readout of the nearest sample and the crosshair position.
    void Chart1MouseMove(TControl* sender, TShiftState shift, int X, int Y);
    void Chart2MouseMove(TControl* sender, TShiftState shift, int X, int Y);
    // The end of every paint of a chart: the crosshair lines and the choice of the active
    // nearest-point tool.
    void Chart1AfterDraw();
    void Chart2AfterDraw();
    // Fills the values window from point index of the eight series.
    void SetCallout(int32_t index);
    // The charts' accessible descriptions: the latest sample of each in physical units, as the
    // readout writes them; "No samples" before the first tick. Run at start and stop and every
    // fifth tick.
    void DescribeCharts();
    // The index of the point of series nearest to pixel (X, Y) of its chart, -1 when the series
    // is empty. Runs of points that cannot come as near as the best one are skipped
    // (FindNearestPoint); the result is the plain search's, ties to the lower index included.
    static int32_t NearestPointIndex(const TChartSeries& series, int32_t X, int32_t Y);

    // ---- Components ----
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButtonGitter = nullptr; // runs Datenzeiger1
    QToolButton* ToolMesspunkte = nullptr;   // runs Messpunkte1

    // The main menu. A command's check mark is its action's checked state; the tool buttons
    // share the actions, so their pressed look follows the marks.
    QMenu* File1 = nullptr;
    QAction* SimuStartStop = nullptr;
    QAction* FileExportItem = nullptr;
    QAction* FileSavePictureItem = nullptr;
    QAction* N2 = nullptr;
    QAction* FileExitItem = nullptr;
    QMenu* ools1 = nullptr;
    QAction* Datenzeiger1 = nullptr;
    QAction* Messpunkte1 = nullptr;
    QMenu* Info1 = nullptr;
    QAction* ableofthe1 = nullptr;
    QAction* HelpAboutItem = nullptr;

    // The rated values behind the percent scale, and the logo.
    TAnchoredPanel* Panel2 = nullptr;
    QLabel* Label1 = nullptr; // "I rated"
    QLineEdit* EditINenn = nullptr;
    QLabel* Label2 = nullptr; // "U rated"
    QLineEdit* EditUNenn = nullptr;
    QLabel* Label3 = nullptr; // "P rated"
    QLineEdit* EditPNenn = nullptr;
    QLabel* Label4 = nullptr; // "mains voltage"
    QLabel* Label5 = nullptr; // "V", under Edit1
    QLineEdit* Edit1 = nullptr;
    QLabel* Image1 = nullptr; // the logo

    // The chart panel: Chart1 above the splitter, Chart2 below it.
    QWidget* Panel3 = nullptr;
    QSplitter* Splitter1 = nullptr;
    TChart* Chart1 = nullptr;
    TChart* Chart2 = nullptr;
    TNearestTool* ChartToolNearestPoint1 = nullptr;
    TNearestTool* ChartToolNearestPoint2 = nullptr;

    QStatusBar* StatusBar = nullptr;

    TAnchoredPanel* Panel1 = nullptr;
    TIkPowerButton* btnSimuStartenStoppen = nullptr;
    TIkMeter* IkMeterNetz = nullptr;
    TIkSlider* IkSlider1 = nullptr;
    QLabel* Label10 = nullptr;
    QPlainTextEdit* info = nullptr;
    QTimer* Timer1 = nullptr;

    // The controlled run (upper chart) and the uncontrolled run (lower chart), each chart's
    // series in drawing order. The charts own them.
    TLineSeries* SERIEStromRegel = nullptr;
    TLineSeries* SERIESpannungRegel = nullptr;
    TLineSeries* SERIELeistungRegel = nullptr;
    TLineSeries* SERIENetzspannungRegel = nullptr;
    TLineSeries* SERIEStrom = nullptr;
    TLineSeries* SERIESpannung = nullptr;
    TLineSeries* SERIELeistung = nullptr;
    TLineSeries* SERIENetzspannung = nullptr;

    const TLampSimulation& Engine() const { return FEngine; }

    // The samples of the current run as the eight series hold them (also while it runs).
    std::vector<TLampSample> RunSamples() const;

    // Asks for the name of a file to write, proposing proposedPath; an empty result cancels.
    // The save-file dialog by default; tests put their own chooser here.
    using TFileNameChooser = std::function<QString(
        const QString& caption, const QString& proposedPath, const QString& filter)>;
    TFileNameChooser ChooseSaveFileName;

    // ---- Crosshair state (pixels in the client area of the chart concerned) ----
    struct TCrosshair
    {
        int32_t MouseX = 0;            // last mouse X over either chart
        int32_t MouseYUpper = 0;       // last mouse Y over Chart1
        int32_t MouseYLower = 0;       // last mouse Y over Chart2
        int32_t DrawnX = 0;            // mouse X at the last paint
        int32_t DrawnYUpper = 0;       // mouse Y over Chart1 at its last paint
        int32_t DrawnYLower = 0;       // mouse Y over Chart2 at its last paint
        bool UpperChartActive = false; // Chart1 had the latest mouse move
        bool FreshStart = false;       // the tools still point into cleared series
    };
    const TCrosshair& Crosshair() const { return FCrosshair; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void CreateToolBar();
    void CreatePanel2(QWidget* parent);
    void CreatePanel3(QWidget* parent);
    void CreatePanel1(QWidget* parent);
    void ConfigureChart(TChart& chart, const char* title);
    void CreateSeries();
    TLineSeries* MakeSeries(TChart& chart, TColor color, int penWidth);
    TNearestTool* MakeNearestTool(TChart& chart, TLineSeries& series);
    void AttachChart1MouseMove(bool attach);
    // Both charts are asked to repaint the crosshair: Chart1, then Chart2.
    void RepaintCrosshair();
    // The crosshair's share of start and tick.
    void CrosshairStart();
    void CrosshairTick();
    // The file name for a save: the chooser's answer to a proposal of stem-<date>-<time>.suffix
    // in the folder of the last save; empty when cancelled.
    QString AskSaveFileName(const QString& caption, const char* stem, const char* suffix,
                            const QString& filter);

    TLampSimulation FEngine;
    TCrosshair FCrosshair;
    bool FPlacedOnScreen = false;
    // Ticks until the charts' descriptions are renewed.
    int FTicksToChartDescription = 0;
    QString FLastSaveFolder;
};

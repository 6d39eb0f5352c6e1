#pragma once
// The main window: tool bar, main menu and status bar; the rated values on the left; the two
// charts ("with Orvex Real-Power-Control" above, "without Real-Power-Control" below) with a
// splitter between them; and the instrument panel at its foot. The power button starts and
// stops a 200 ms timer; every tick asks the engine for one sample at the meter's voltage and
// appends it to the eight series; the slider sets the meter.
#include "platform/Colors.h"
#include "simulation/LampSimulation.h"

#include <QMainWindow>

#include <memory>
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
class TChartSeries;
class TControl;
class TIkMeter;
class TIkPowerButton;
class TIkSlider;

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
    // "Haircross": switches the crosshair and the values window on or off.
    void Datenzeiger1Click();
    // "Measurmentspoints": shows or hides the point markers of all eight series.
    void Messpunkte1Click();

    // ---- Components ----
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButtonGitter = nullptr; // runs Datenzeiger1
    QToolButton* ToolMesspunkte = nullptr;   // runs Messpunkte1

    // The main menu. A command's check mark is its action's checked state; the tool buttons
    // share the actions, so their pressed look follows the marks.
    QMenu* File1 = nullptr;
    QAction* SimuStartStop = nullptr;
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
    QWidget* Chart1 = nullptr;
    QWidget* Chart2 = nullptr;

    QStatusBar* StatusBar = nullptr;

    TAnchoredPanel* Panel1 = nullptr;
    TIkPowerButton* btnSimuStartenStoppen = nullptr;
    TIkMeter* IkMeterNetz = nullptr;
    TIkSlider* IkSlider1 = nullptr;
    QLabel* Label10 = nullptr;
    QPlainTextEdit* info = nullptr;
    QTimer* Timer1 = nullptr;

    // The controlled run (upper chart) and the uncontrolled run (lower chart).
    TChartSeries* SERIEStromRegel = nullptr;
    TChartSeries* SERIESpannungRegel = nullptr;
    TChartSeries* SERIELeistungRegel = nullptr;
    TChartSeries* SERIENetzspannungRegel = nullptr;
    TChartSeries* SERIEStrom = nullptr;
    TChartSeries* SERIESpannung = nullptr;
    TChartSeries* SERIELeistung = nullptr;
    TChartSeries* SERIENetzspannung = nullptr;

    const TLampSimulation& Engine() const { return FEngine; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void CreateToolBar();
    void CreatePanel2(QWidget* parent);
    void CreatePanel3(QWidget* parent);
    void CreatePanel1(QWidget* parent);
    void CreateSeries();
    TChartSeries* MakeSeries(TColor color);

    TLampSimulation FEngine;
    std::vector<std::unique_ptr<TChartSeries>> FSeries;
    bool FPlacedOnScreen = false;
};

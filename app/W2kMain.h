#pragma once
// The main window: the instrument panel at its foot and the simulation cycle. The power button
// starts and stops a 200 ms timer; every tick asks the engine for one sample at the meter's
// voltage and appends it to the eight series; the slider sets the meter.
#include "platform/Colors.h"
#include "simulation/LampSimulation.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QTimer;
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

    // ---- Components ----
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

private:
    void CreatePanel1(QWidget* parent);
    void CreateSeries();
    TChartSeries* MakeSeries(TColor color);

    TLampSimulation FEngine;
    std::vector<std::unique_ptr<TChartSeries>> FSeries;
    bool FPlacedOnScreen = false;
};

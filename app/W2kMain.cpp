#include "app/W2kMain.h"

#include "app/AnchoredPanel.h"
#include "chart/ChartEngine.h"
#include "platform/Graphics.h"
#include "widgets/IkButtons.h"
#include "widgets/IkClasses.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Outer size of the window in the stored layout, and the client width its panels were laid
// out against (the outer width less the two window borders).
constexpr int DesignOuterWidth = 679;
constexpr int DesignOuterHeight = 561;
constexpr int DesignClientWidth = 671;
constexpr int Panel1Height = 123;
constexpr int TimerIntervalMs = 200;
// The pale yellow of the power series (red FF, green FF, blue 80).
constexpr TColor PowerSeriesColor = 8454143;

const char* const InfoText = "Set Value for Orvex-Real-Power-Control is actually 6000 Watts.";

// A font as the stored layout gives it: family, height in pixels, style and colour.
QFont LayoutFont(const char* name, int pixelHeight, TFontStyles style)
{
    TFont font;
    font.SetName(QString::fromLatin1(name));
    font.SetHeight(-pixelHeight);
    font.SetStyle(style);
    return font.ToQFont();
}

void SetWidgetColors(QWidget* widget, TColor background, TColor text)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) {
        palette.setColor(role, ColorToQColor(background));
    }
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
        palette.setColor(role, ColorToQColor(text));
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The frame that the meter and the slider share.
void ApplyInstrumentBevel(TIkBevel& bevel)
{
    bevel.BeginChanges();
    bevel.SetInnerStyle(bsLowered);
    bevel.SetInnerWidth(2);
    bevel.SetInnerSpace(1);
    bevel.SetInnerColor(clBlack);
    bevel.SetInnerShadow(clBtnShadow);
    bevel.SetInnerHighlight(clBtnHighlight);
    bevel.SetOuterStyle(bsRaised);
    bevel.SetOuterOutline(osOuter);
    bevel.SetOuterShadow(clBtnShadow);
    bevel.SetOuterHighlight(clBtnHighlight);
    bevel.EndChanges();
}
} // namespace

TWin2kAppForm::TWin2kAppForm(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Demonstration of the Orvex Real-Power-Control"));
    SetWidgetColors(this, clBtnFace, clWindowText);

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The chart area fills what the instrument panel leaves.
    layout->addStretch(1);
    CreatePanel1(client);
    layout->addWidget(Panel1);
    setCentralWidget(client);

    Timer1 = new QTimer(this);
    Timer1->setInterval(TimerIntervalMs);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    CreateSeries();
    resize(DesignOuterWidth, DesignOuterHeight);
}

TWin2kAppForm::~TWin2kAppForm() = default;

void TWin2kAppForm::CreatePanel1(QWidget* parent)
{
    Panel1 = new TAnchoredPanel(parent, DesignClientWidth, clBlack);
    Panel1->setFixedHeight(Panel1Height);

    btnSimuStartenStoppen = new TIkPowerButton(Panel1);
    btnSimuStartenStoppen->BeginLoading();
    Panel1->Place(btnSimuStartenStoppen, 7, 8, 162, 105);
    btnSimuStartenStoppen->SetCaption(QStringLiteral("Simulation"));
    TFont& buttonFont = btnSimuStartenStoppen->Font();
    buttonFont.SetName(QStringLiteral("MS Sans Serif"));
    buttonFont.SetHeight(-20);
    buttonFont.SetStyle(fsBold);
    buttonFont.SetColor(clWindowText);
    btnSimuStartenStoppen->SetLedWidth(30);
    btnSimuStartenStoppen->SetLedHeight(15);
    btnSimuStartenStoppen->SetLayout(ImageTop);
    btnSimuStartenStoppen->Palette()->SetLow(clRed);
    btnSimuStartenStoppen->Palette()->SetHigh(clLime);
    btnSimuStartenStoppen->OnClick = [this](TControl* sender) {
        btnSimuStartenStoppenClick(sender);
    };
    btnSimuStartenStoppen->EndLoading();

    IkMeterNetz = new TIkMeter(Panel1);
    IkMeterNetz->BeginLoading();
    Panel1->Place(IkMeterNetz, 232, 6, 209, 110);
    IkMeterNetz->SetMinValue(380);
    IkMeterNetz->SetMaxValue(420);
    IkMeterNetz->SetPosition(400);
    IkMeterNetz->Scale().SetColor2(clGreen);
    IkMeterNetz->Scale().SetColor3(clGreen);
    IkMeterNetz->Scale().SetPercent1(21);
    IkMeterNetz->Scale().SetTicks(50);
    IkMeterNetz->SetLabels(8);
    IkMeterNetz->SetLabelOffsetX(20);
    IkMeterNetz->SetNeedleColor(clBlack);
    IkMeterNetz->SetNeedleWidth(2);
    IkMeterNetz->SetCaption(QStringLiteral("Mainsvoltage: 400V"));
    IkMeterNetz->SetColor(clSilver);
    TFont& meterFont = IkMeterNetz->Font();
    meterFont.SetName(QStringLiteral("Arial"));
    meterFont.SetHeight(-13);
    meterFont.SetColor(clBlack);
    ApplyInstrumentBevel(IkMeterNetz->Bevel());
    IkMeterNetz->EndLoading();

    IkSlider1 = new TIkSlider(Panel1);
    IkSlider1->BeginLoading();
    Panel1->Place(IkSlider1, 453, 7, 44, 108);
    IkSlider1->SetMinValue(380);
    IkSlider1->SetMaxValue(420);
    IkSlider1->SetPosition(400);
    IkSlider1->Palette().SetLow(clGray);
    IkSlider1->Palette().SetHigh(clLime);
    ApplyInstrumentBevel(IkSlider1->Bevel());
    IkSlider1->OnChange = [this](TControl* sender) { IkSlider1Change(sender); };
    IkSlider1->EndLoading();

    Label10 = new QLabel(QStringLiteral("Info"), Panel1);
    Label10->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label10->setFont(LayoutFont("MS Sans Serif", 15, fsBold));
    SetWidgetColors(Label10, clSilver, clBlack);
    Panel1->Place(Label10, 552, 11, 108, 16, true);

    info = new QPlainTextEdit(Panel1);
    info->setReadOnly(true);
    info->setFrameShape(QFrame::NoFrame);
    info->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    info->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    info->setFont(LayoutFont("MS Sans Serif", 13, 0));
    SetWidgetColors(info, clSilver, clBlack);
    info->setPlainText(QString()); // one empty line
    Panel1->Place(info, 552, 32, 108, 81, true);

    // Tab order: the power button first, then the slider, then the memo. Neither instrument is
    // a tab stop, and a click on one does not take the focus, so the slider keeps the focus it
    // gets when the window opens: the arrow keys always move the mains voltage, and the space
    // bar never reaches the power button.
    QWidget::setTabOrder(btnSimuStartenStoppen, IkSlider1);
    QWidget::setTabOrder(IkSlider1, info);
}

TChartSeries* TWin2kAppForm::MakeSeries(TColor color)
{
    auto series = std::make_unique<TChartSeries>();
    series->XValues().SetName("X");
    series->XValues().SetOrder(loAscending);
    series->YValues().SetName("Y");
    series->SetSeriesColor(color);
    FSeries.push_back(std::move(series));
    return FSeries.back().get();
}

void TWin2kAppForm::CreateSeries()
{
    // Upper chart (controlled), then lower chart (uncontrolled), each in drawing order.
    SERIEStromRegel = MakeSeries(clRed);
    SERIESpannungRegel = MakeSeries(clBlue);
    SERIELeistungRegel = MakeSeries(PowerSeriesColor);
    SERIENetzspannungRegel = MakeSeries(clAqua);
    SERIEStrom = MakeSeries(clRed);
    SERIESpannung = MakeSeries(clBlue);
    SERIELeistung = MakeSeries(PowerSeriesColor);
    SERIENetzspannung = MakeSeries(clAqua);
}

void TWin2kAppForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FPlacedOnScreen) {
        return;
    }
    FPlacedOnScreen = true;
    // The stored size is the outer size, frame included; centre the window on its screen.
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(DesignOuterWidth - frame.width(), DesignOuterHeight - frame.height());
    if (const QScreen* screen = this->screen()) {
        QRect outer(QPoint(0, 0), QSize(DesignOuterWidth, DesignOuterHeight));
        outer.moveCenter(screen->availableGeometry().center());
        move(outer.topLeft());
    }
    IkSlider1->setFocus(Qt::OtherFocusReason);
}

void TWin2kAppForm::btnSimuStartenStoppenClick(TControl* /*sender*/)
{
    if (!btnSimuStartenStoppen->Active()) {
        Timer1->stop();
        return;
    }
    info->setPlainText(QString::fromLatin1(InfoText));
    FEngine.Reset(IkMeterNetz->Position());
    for (TChartSeries* series :
         {SERIENetzspannungRegel, SERIEStromRegel, SERIESpannungRegel, SERIELeistungRegel,
          SERIENetzspannung, SERIEStrom, SERIESpannung, SERIELeistung}) {
        series->Clear();
    }
    Timer1->start();
}

void TWin2kAppForm::Timer1Timer()
{
    const TLampSample sample =
        FEngine.Tick(IkMeterNetz->Position(), static_cast<uint32_t>(Timer1->interval()));
    const struct
    {
        TChartSeries* Series;
        double Value;
    } appends[] = {
        {SERIENetzspannungRegel, sample.Mains}, {SERIELeistungRegel, sample.CtrlPower},
        {SERIEStromRegel, sample.CtrlCurrent},  {SERIESpannungRegel, sample.CtrlVoltage},
        {SERIENetzspannung, sample.Mains},      {SERIELeistung, sample.Power},
        {SERIEStrom, sample.Current},           {SERIESpannung, sample.Voltage},
    };
    for (const auto& append : appends) {
        append.Series->AppendPoint(sample.Time, append.Value, {}, clDefault);
    }
}

void TWin2kAppForm::IkSlider1Change(TControl* /*sender*/)
{
    const int32_t position = IkSlider1->Position();
    IkMeterNetz->SetPosition(position);
    IkMeterNetz->SetCaption(QStringLiteral("Mainsvoltage: %1V").arg(position));
}

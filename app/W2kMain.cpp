#include "app/W2kMain.h"

#include "app/AnchoredPanel.h"
#include "app/Application.h"
#include "app/AtomicSave.h"
#include "app/ChartPicture.h"
#include "app/RunCsvFile.h"
#include "app/f_splashscreen.h"
#include "app/u_welcome.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/ChartAxis.h"
#include "chart/ChartEngine.h"
#include "chart/ChartTools.h"
#include "chart/NumberFormat.h"
#include "chart/PointSearch.h"
#include "chart/Series.h"
#include "platform/Graphics.h"
#include "widgets/IkButtons.h"
#include "widgets/IkClasses.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Outer size of the window in the stored layout, and the client width its panels were laid
// out against (the outer width less the two window borders).
constexpr int DesignOuterWidth = 679;
constexpr int DesignOuterHeight = 561;
constexpr int DesignClientWidth = 671;
constexpr int Panel1Height = 123;
constexpr int Panel2Width = 121;
constexpr int ToolBarHeight = 29;
constexpr int ToolButtonWidth = 23;
constexpr int ToolButtonHeight = 22;
constexpr int StatusBarHeight = 19;
constexpr int SplitterHeight = 7;
constexpr int Chart1DesignHeight = 184;
constexpr int ChartMinimumSize = 100;
constexpr int TimerIntervalMs = 200;
// The pale yellow of the power series (red FF, green FF, blue 80).
constexpr TColor PowerSeriesColor = 8454143;

const char* const InfoText = "Set Value for Orvex-Real-Power-Control is actually 6000 Watts.";

// A screen reader hears the charts' latest sample once a second of the run (every fifth tick),
// not at every tick.
constexpr int TicksPerChartDescription = 5;

// How a quantity's percentages read in physical units: the rated value that is 100 % and the
// unit written after it. The values window and the charts' descriptions share them.
struct TReadoutScale
{
    double Factor;
    const char* Unit;
};
constexpr TReadoutScale MainsReadout{400, "V"};
constexpr TReadoutScale CurrentReadout{10, "A"};
constexpr TReadoutScale LampVoltageReadout{1500, "V"};
constexpr TReadoutScale PowerReadout{10000, "W"};

// One value of the readout: the point's value text back to a number (the locale's separators),
// scaled to physical units and written with the readout's pattern and unit.
QString ReadoutText(const TLineSeries& series, int32_t index, TReadoutScale scale)
{
    const double value = TextToFloat(series.PointText(index)) * scale.Factor / 100;
    return QString::fromStdString(FormatNumber(".#####,#", value)) + QLatin1String(scale.Unit);
}

// Image index of the window's image list, as a resource of the program.
QIcon ImageListIcon(int index)
{
    return QIcon(QStringLiteral(":/images/toolbar/%1.png").arg(index, 2, 10, QLatin1Char('0')));
}

// A hint of the classic form "short|long": the status bar shows the long part, a tool tip the
// short one; a hint without "|" serves as both.
void SetHint(QAction* action, const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
}

// A splitter bar drawn bevelled: a raised frame inside the bar, open at its ends.
class TBevelledSplitterHandle : public QSplitterHandle
{
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), ColorToQColor(clBtnFace));
        // The frame's rectangle reaches past the bar's ends, so only its long sides show.
        QRect frame = orientation() == Qt::Vertical ? rect().adjusted(-2, 1, 2, -1)
                                                    : rect().adjusted(1, -2, -1, 2);
        auto outline = [&](const QRect& r, TColor color) {
            painter.setPen(ColorToQColor(color));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        };
        outline(frame.translated(1, 1), clBtnHighlight);
        outline(frame.translated(-1, -1), clBtnShadow);
    }
};

class TBevelledSplitter : public QSplitter
{
public:
    using QSplitter::QSplitter;

protected:
    QSplitterHandle* createHandle() override
    {
        return new TBevelledSplitterHandle(orientation(), this);
    }
};

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
    setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColorToQColor(clBtnFace));
    palette.setColor(QPalette::WindowText, ColorToQColor(clWindowText));
    palette.setColor(QPalette::Base, ColorToQColor(clWindow));
    palette.setColor(QPalette::Text, ColorToQColor(clWindowText));
    setPalette(palette);
    setFont(LayoutFont("MS Sans Serif", 13, 0));

    CreateMenu();
    CreateToolBar();

    // Panel1 spans the foot; above it Panel2 on the left and Panel3 filling the rest.
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    CreatePanel2(client);
    CreatePanel3(client);
    row->addWidget(Panel2);
    row->addWidget(Panel3, 1);
    column->addLayout(row, 1);
    CreatePanel1(client);
    column->addWidget(Panel1);
    setCentralWidget(client);

    StatusBar = new QStatusBar(this);
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setFixedHeight(StatusBarHeight);
    setStatusBar(StatusBar);

    Timer1 = new QTimer(this);
    Timer1->setInterval(TimerIntervalMs);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    CreateSeries();
    DescribeCharts();
    resize(DesignOuterWidth, DesignOuterHeight);
    FormCreate();
}

TWin2kAppForm::~TWin2kAppForm() = default;

void TWin2kAppForm::CreateMenu()
{
    QMenuBar* MainMenu1 = menuBar();

    // A menu item with its hint and image-list image (-1: none).
    auto item = [](QMenu* menu, const char* caption, const char* hint, int image) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        if (hint != nullptr) {
            SetHint(action, QString::fromLatin1(hint));
        }
        if (image >= 0) {
            action->setIcon(ImageListIcon(image));
        }
        return action;
    };
    auto command = [this, item](QMenu* menu, const char* caption, const char* hint, int image,
                                auto handler) {
        QAction* action = item(menu, caption, hint, image);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    // A command with a check mark. The handler sets the mark itself from the mark it finds, so
    // the toggle the action makes on its own is undone, unannounced, before the handler runs.
    auto checkCommand = [this, item](QMenu* menu, const char* caption, const char* hint, int image,
                                     void (TWin2kAppForm::*handler)()) {
        QAction* action = item(menu, caption, hint, image);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
            {
                const QSignalBlocker quiet(action);
                action->setChecked(!checked);
            }
            (this->*handler)();
        });
        return action;
    };

    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    SetHint(File1->menuAction(), QStringLiteral("File related commands"));
    SimuStartStop = command(File1, "&Simulation start/stop", "Start or Stops the Simulation", 6,
                            [this] { btnSimuStartenStoppenClick(nullptr); });
    SimuStartStop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // The program's own windows beside it (the values window, the introduction) do not take the
    // start/stop key away; a modal window still blocks it.
    SimuStartStop->setShortcutContext(Qt::ApplicationShortcut);
    FileExportItem = command(File1, "&Export data...",
                             "Export data|Writes the samples of the current run to a CSV file", -1,
                             [this] { FileExportDataExecute(); });
    FileSavePictureItem = command(File1, "Save &picture...",
                                  "Save picture|Saves both charts as shown to a PNG picture", -1,
                                  [this] { FileSavePictureExecute(); });
    N2 = File1->addSeparator();
    FileExitItem =
        command(File1, "E&xit", "Exit|Exit application", -1, [this] { FileExit1Execute(); });

    ools1 = MainMenu1->addMenu(QStringLiteral("Tools"));
    Datenzeiger1 = checkCommand(ools1, "Haircross", "shows/hides the Haircross", 16,
                                &TWin2kAppForm::Datenzeiger1Click);
    Messpunkte1 = checkCommand(ools1, "Measurmentspoints", "Show/Hide the measurementspoints", 17,
                               &TWin2kAppForm::Messpunkte1Click);

    Info1 = MainMenu1->addMenu(QStringLiteral("Info"));
    ableofthe1 =
        command(Info1, "Introduction screen...", nullptr, -1, [this] { ableofthe1Click(); });
    HelpAboutItem = command(Info1, "&About...",
                            "About|Displays program information, version number, and copyright", -1,
                            [this] { HelpAbout1Execute(); });
}

void TWin2kAppForm::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->toggleViewAction()->setVisible(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setSpacing(0);
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    ToolBar1->setFixedHeight(ToolBarHeight); // after docking, which resets the size limits

    // Check buttons bound to the menu's check commands: a press runs the command.
    auto button = [this](QAction* action) {
        auto* toolButton = new QToolButton(ToolBar1);
        toolButton->setDefaultAction(action);
        toolButton->setAutoRaise(true);
        toolButton->setFixedSize(ToolButtonWidth, ToolButtonHeight);
        toolButton->setFocusPolicy(Qt::NoFocus);
        ToolBar1->addWidget(toolButton);
        return toolButton;
    };
    ToolButtonGitter = button(Datenzeiger1);
    ToolMesspunkte = button(Messpunkte1);
}

void TWin2kAppForm::CreatePanel2(QWidget* parent)
{
    Panel2 = new TAnchoredPanel(parent, Panel2Width, clBlack);
    Panel2->setFixedWidth(Panel2Width);

    // One rated value: a bold centred label on its colour, the read-only edit below it.
    auto group = [this](const char* caption, TColor color, int labelTop, QLineEdit*& edit,
                        const char* text, int editTop) {
        auto* label = new QLabel(QString::fromLatin1(caption), Panel2);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFont(LayoutFont("MS Sans Serif", 13, fsBold));
        SetWidgetColors(label, color, clBlack);
        Panel2->Place(label, 8, labelTop, 104, 18);
        edit = new QLineEdit(QString::fromLatin1(text), Panel2);
        edit->setReadOnly(true);
        edit->setFont(LayoutFont("MS Sans Serif", 13, 0));
        Panel2->Place(edit, 8, editTop, 104, 24);
        label->setBuddy(edit); // the edit's accessible name
        return label;
    };
    Label1 = group("I rated", clRed, 21, EditINenn, "10A = 100%", 41);
    Label2 = group("U rated", clBlue, 74, EditUNenn, "1500V = 100%", 94);
    Label3 = group("P rated", PowerSeriesColor, 130, EditPNenn, "10000W = 100%", 150);
    Label4 = group("mains voltage", clAqua, 186, Edit1, "400V = 100 %", 206);

    // The "V" lies within the last edit's bounds, beneath it: the edit covers it.
    Label5 = new QLabel(QStringLiteral("V"), Panel2);
    Label5->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    SetWidgetColors(Label5, clBlack, clSilver);
    Panel2->Place(Label5, 87, 210, 20, 16);
    Label5->stackUnder(Edit1);

    // The logo, scaled proportionally into its bounds from their top-left corner.
    Image1 = new QLabel(Panel2);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Panel2->Place(Image1, 5, 301, 111, 53);
    const QPixmap logo(QStringLiteral(":/images/logo.png"));
    if (!logo.isNull()) {
        Image1->setPixmap(
            logo.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
}

void TWin2kAppForm::CreatePanel3(QWidget* parent)
{
    Panel3 = new QWidget(parent);
    auto* layout = new QVBoxLayout(Panel3);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Splitter1 = new TBevelledSplitter(Qt::Vertical, Panel3);
    Splitter1->setHandleWidth(SplitterHeight);
    Splitter1->setOpaqueResize(true);
    Splitter1->setChildrenCollapsible(false);
    layout->addWidget(Splitter1);

    Chart1 = new TChart(Splitter1);
    ConfigureChart(*Chart1, "with Orvex Real-Power-Control");
    // Gradient colours of the upper title; the gradient itself stays hidden.
    Chart1->Title().Font().Gradient().SetStartColor(12615680);
    Chart1->Title().Font().Gradient().SetEndColor(4194304);
    Chart1->setMinimumSize(ChartMinimumSize, ChartMinimumSize);
    Chart1->OnAfterDraw = [this](TCustomChartPanel*) { Chart1AfterDraw(); };
    AttachChart1MouseMove(true);
    Chart2 = new TChart(Splitter1);
    ConfigureChart(*Chart2, "without Real-Power-Control");
    Chart2->OnAfterDraw = [this](TCustomChartPanel*) { Chart2AfterDraw(); };
    Chart2->OnMouseMove = [this](TControl* sender, TShiftState shift, int x, int y) {
        Chart2MouseMove(sender, shift, x, y);
    };
    Splitter1->addWidget(Chart1);
    Splitter1->addWidget(Chart2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({Chart1DesignHeight, Chart1DesignHeight});

    // The chart heights follow every resize of the panel.
    Panel3->installEventFilter(this);
}

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
    btnSimuStartenStoppen->setAccessibleDescription(
        QStringLiteral("Starts and stops the simulation"));

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
    IkMeterNetz->setAccessibleName(QStringLiteral("Mains voltage meter"));

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
    IkSlider1->setAccessibleName(QStringLiteral("Mains voltage"));

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

void TWin2kAppForm::ConfigureChart(TChart& chart, const char* title)
{
    chart.BeginLoading();
    chart.Title().SetText({QString::fromLatin1(title)});
    chart.Title().Font().SetHeight(-18);
    chart.Title().Font().SetStyle(fsBold);
    chart.Title().SetAdjustFrame(false);
    // The percent scale is fixed; the time scale grows with the run.
    TChartAxis& left = chart.LeftAxis();
    left.SetAutomatic(false);
    left.SetAutomaticMinimum(false);
    left.SetAutomaticMaximum(false);
    left.SetMaximum(115.0);
    left.SetMinimum(45.0);
    left.SetAxisValuesFormat("##0.0%");
    chart.Legend().SetVisible(false);
    chart.SetView3D(false);
    chart.SetView3DWalls(false);
    chart.Zoom().SetAllow(false);
    chart.SetAllowPanning(pmNone);
    chart.BackWall().Brush().SetColor(clWhite);
    chart.BackWall().Brush().SetStyle(bsClear);
    chart.SetColor(clSilver);
    chart.SetBevelOuter(bvNone);
    // The crosshair and the marker follow the mouse: the charts redraw them over the picture
    // of their last full paint instead of drawing every series again.
    chart.SetKeepPicture(true);
    chart.EndLoading();
}

TLineSeries* TWin2kAppForm::MakeSeries(TChart& chart, TColor color, int penWidth)
{
    auto series = std::make_unique<TLineSeries>();
    series->Marks().SetVisible(false);
    series->Pointer().SetVisible(false);
    series->Pointer().SetStyle(psRectangle);
    series->Pointer().SetInflateMargins(true);
    series->XValues().SetName("X");
    series->XValues().SetOrder(loAscending);
    series->YValues().SetName("Y");
    series->SetSeriesColor(color);
    series->LinePen().SetWidth(penWidth);
    return &chart.AddSeries(std::move(series));
}

TNearestTool* TWin2kAppForm::MakeNearestTool(TChart& chart, TLineSeries& series)
{
    TNearestTool& tool = chart.Tools().Add(std::make_unique<TNearestTool>());
    tool.SetSeries(&series);
    tool.SetSize(10);
    tool.Pen().SetColor(clWhite);
    tool.Pen().SetStyle(psDot);
    tool.Brush().SetColor(clWhite);
    tool.Brush().SetStyle(bsClear);
    return &tool;
}

void TWin2kAppForm::CreateSeries()
{
    // Each chart's series in drawing order, then its nearest-point tool on the power series.
    SERIEStromRegel = MakeSeries(*Chart1, clRed, 2);
    SERIESpannungRegel = MakeSeries(*Chart1, clBlue, 2);
    SERIELeistungRegel = MakeSeries(*Chart1, PowerSeriesColor, 4);
    SERIENetzspannungRegel = MakeSeries(*Chart1, clAqua, 2);
    SERIEStrom = MakeSeries(*Chart2, clRed, 2);
    SERIESpannung = MakeSeries(*Chart2, clBlue, 2);
    SERIELeistung = MakeSeries(*Chart2, PowerSeriesColor, 4);
    SERIENetzspannung = MakeSeries(*Chart2, clAqua, 2);
    ChartToolNearestPoint1 = MakeNearestTool(*Chart1, *SERIELeistungRegel);
    ChartToolNearestPoint2 = MakeNearestTool(*Chart2, *SERIELeistung);
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

bool TWin2kAppForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel3 && event->type() == QEvent::Resize) {
        FormResize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TWin2kAppForm::FormCreate()
{
    // The crosshair has not been drawn yet, and no marker shows before the first mouse move.
    FCrosshair.DrawnX = -1;
    FCrosshair.DrawnYUpper = -1;
    FCrosshair.DrawnYLower = -1;
    ChartToolNearestPoint1->SetActive(false);
    ChartToolNearestPoint2->SetActive(false);
}

void TWin2kAppForm::FormResize()
{
    // Chart1 takes half the panel's height (at least its minimum); Chart2 the rest below the
    // splitter.
    const int panelHeight = Panel3->height();
    const int upper = std::max(panelHeight / 2, Chart1->minimumHeight());
    const int lower = std::max(0, panelHeight - SplitterHeight - upper);
    Splitter1->setSizes({upper, lower});
}

void TWin2kAppForm::FileExit1Execute()
{
    close();
}

void TWin2kAppForm::HelpAbout1Execute()
{
    if (SplashScreen != nullptr) {
        SplashScreen->ShowModal();
    }
}

void TWin2kAppForm::ableofthe1Click()
{
    ShowIntroductionScreen();
}

std::vector<TLampSample> TWin2kAppForm::RunSamples() const
{
    // The series are appended and cleared together; a shorter one would end the run early.
    int32_t count = SERIENetzspannung->Count();
    for (const TLineSeries* series :
         {SERIEStromRegel, SERIESpannungRegel, SERIELeistungRegel, SERIENetzspannungRegel,
          SERIEStrom, SERIESpannung, SERIELeistung}) {
        count = std::min(count, series->Count());
    }
    std::vector<TLampSample> samples(static_cast<std::size_t>(std::max(count, 0)));
    for (int32_t i = 0; i < count; ++i) {
        TLampSample& sample = samples[static_cast<std::size_t>(i)];
        sample.Time = SERIENetzspannung->XValue(i);
        sample.Mains = SERIENetzspannung->YValue(i);
        sample.Voltage = SERIESpannung->YValue(i);
        sample.Current = SERIEStrom->YValue(i);
        sample.Power = SERIELeistung->YValue(i);
        sample.CtrlVoltage = SERIESpannungRegel->YValue(i);
        sample.CtrlCurrent = SERIEStromRegel->YValue(i);
        sample.CtrlPower = SERIELeistungRegel->YValue(i);
    }
    return samples;
}

QString TWin2kAppForm::AskSaveFileName(const QString& caption, const char* stem, const char* suffix,
                                       const QString& filter)
{
    const QString folder = FLastSaveFolder.isEmpty() ? QDir::homePath() : FLastSaveFolder;
    const QString proposed = QDir(folder).filePath(
        QStringLiteral("%1-%2.%3")
            .arg(QLatin1String(stem),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")),
                 QLatin1String(suffix)));
    const QString path = ChooseSaveFileName
                             ? ChooseSaveFileName(caption, proposed, filter)
                             : QFileDialog::getSaveFileName(this, caption, proposed, filter);
    if (!path.isEmpty()) {
        FLastSaveFolder = QFileInfo(path).absolutePath();
    }
    return path;
}

void TWin2kAppForm::FileExportDataExecute()
{
    // The points as they stand, also while the run goes on.
    const std::vector<TLampSample> samples = RunSamples();
    const QString path = AskSaveFileName(QStringLiteral("Export data"), "orvex-run", "csv",
                                         QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    const QString error = SaveFileAtomically(path, [&](QIODevice& device) {
        TRunCsvFile csv(device);
        for (const TLampSample& sample : samples) {
            if (!csv.Add(sample)) {
                break;
            }
        }
        return csv.Finish();
    });
    if (!error.isEmpty()) {
        TApplication::ShowException(error.toStdString());
    }
}

void TWin2kAppForm::FileSavePictureExecute()
{
    // The charts as they are on screen now, the splitter bar between them.
    const QImage picture = WidgetPicture(*Splitter1);
    const QString path = AskSaveFileName(QStringLiteral("Save picture"), "orvex-charts", "png",
                                         QStringLiteral("PNG pictures (*.png);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    const QString error = SavePngAtomically(picture, path);
    if (!error.isEmpty()) {
        TApplication::ShowException(error.toStdString());
    }
}

void TWin2kAppForm::Datenzeiger1Click()
{
    if (Datenzeiger1->isChecked()) {
        ChartToolNearestPoint1->SetActive(false);
        ChartToolNearestPoint2->SetActive(false);
        Datenzeiger1->setChecked(false);
        AttachChart1MouseMove(false);
        Chart1->SetCursor(crDefault);
        if (frmWerte != nullptr) {
            frmWerte->hide();
        }
    } else {
        if (frmWerte != nullptr) {
            // The readout appears beside the charts, back in front also when the window manager
            // had minimised it, without taking the keyboard from the main window: the slider's
            // keys go on working.
            frmWerte->ShowBeside(this);
        }
        ChartToolNearestPoint1->SetActive(true);
        ChartToolNearestPoint2->SetActive(true);
        Datenzeiger1->setChecked(true);
        AttachChart1MouseMove(true);
        Chart1->SetCursor(crCross);
    }
    // The chart shows its restore cursor after it has shown another one over a point.
    Chart1->SetRestoreCursor(Chart1->Cursor());
    // The lines and the markers come or go; nothing below them changes.
    Chart1->RepaintOverlay();
}

void TWin2kAppForm::Messpunkte1Click()
{
    Messpunkte1->setChecked(!Messpunkte1->isChecked());
    const bool visible = Messpunkte1->isChecked();
    for (TLineSeries* series :
         {SERIEStromRegel, SERIESpannungRegel, SERIELeistungRegel, SERIENetzspannungRegel,
          SERIEStrom, SERIESpannung, SERIELeistung, SERIENetzspannung}) {
        series->Pointer().SetVisible(visible);
    }
}

void TWin2kAppForm::AttachChart1MouseMove(bool attach)
{
    if (attach) {
        Chart1->OnMouseMove = [this](TControl* sender, TShiftState shift, int x, int y) {
            Chart1MouseMove(sender, shift, x, y);
        };
    } else {
        Chart1->OnMouseMove = nullptr;
    }
}

int32_t TWin2kAppForm::NearestPointIndex(const TChartSeries& series, int32_t X, int32_t Y)
{
    // Every point, no distance limit and no plot rectangle; runs of points that cannot come
    // nearer than the best one found are skipped.
    return FindNearestPoint(series, X, Y, TPointSearchOptions{});
}

void TWin2kAppForm::Chart1MouseMove(TControl* /*sender*/, TShiftState /*shift*/, int X, int Y)
{
    FCrosshair.UpperChartActive = true;
    const int32_t index = NearestPointIndex(*SERIELeistungRegel, X, Y);
    if (index != -1) {
        SetCallout(index);
    }
    FCrosshair.MouseX = X;
    FCrosshair.MouseYUpper = Y;
    if (FCrosshair.MouseX != FCrosshair.DrawnX ||
        FCrosshair.MouseYUpper != FCrosshair.DrawnYUpper) {
        RepaintCrosshair();
    }
}

void TWin2kAppForm::Chart2MouseMove(TControl* /*sender*/, TShiftState /*shift*/, int X, int Y)
{
    FCrosshair.UpperChartActive = false;
    const int32_t index = NearestPointIndex(*SERIELeistung, X, Y);
    if (index != -1) {
        SetCallout(index);
    }
    FCrosshair.MouseX = X;
    FCrosshair.MouseYLower = Y;
    if (FCrosshair.MouseX != FCrosshair.DrawnX ||
        FCrosshair.MouseYLower != FCrosshair.DrawnYLower) {
        RepaintCrosshair();
    }
}

void TWin2kAppForm::RepaintCrosshair()
{
    // The vertical line runs through both charts. Only the crosshair and the markers moved.
    Chart1->RepaintOverlay();
    Chart2->RepaintOverlay();
}

void TWin2kAppForm::SetCallout(int32_t index)
{
    if (frmWerte == nullptr) {
        return;
    }
    const struct
    {
        TLineSeries* Series;
        TReadoutScale Scale;
        QLineEdit* Edit;
    } rows[] = {
        {SERIENetzspannung, MainsReadout, frmWerte->edtNetzspannung},
        {SERIENetzspannungRegel, MainsReadout, frmWerte->edtNetzspannungR},
        {SERIEStromRegel, CurrentReadout, frmWerte->edtStromr},
        {SERIEStrom, CurrentReadout, frmWerte->edtStrom},
        {SERIESpannungRegel, LampVoltageReadout, frmWerte->edtSpannungR},
        {SERIESpannung, LampVoltageReadout, frmWerte->edtSpannung},
        {SERIELeistungRegel, PowerReadout, frmWerte->edtLeistungR},
        {SERIELeistung, PowerReadout, frmWerte->edtLeistung},
    };
    for (const auto& row : rows) {
        // The series are appended and cleared together; one that is shorter keeps its text.
        if (index < 0 || index >= row.Series->Count()) {
            continue;
        }
        row.Edit->setText(ReadoutText(*row.Series, index, row.Scale));
    }
}

void TWin2kAppForm::Chart1AfterDraw()
{
    if (Datenzeiger1->isChecked()) {
        const TRect r = Chart1->PlotRect();
        TChartCanvas3D& canvas = Chart1->ChartCanvas();
        if (r.Left < FCrosshair.MouseX && FCrosshair.MouseX < r.Right) {
            canvas.MoveTo(FCrosshair.MouseX, r.Bottom);
            canvas.LineTo(FCrosshair.MouseX, r.Top);
        }
        if (FCrosshair.UpperChartActive) {
            ChartToolNearestPoint1->SetActive(true);
            ChartToolNearestPoint2->SetActive(false);
            if (r.Top < FCrosshair.MouseYUpper && FCrosshair.MouseYUpper < r.Bottom) {
                canvas.MoveTo(r.Left, FCrosshair.MouseYUpper);
                canvas.LineTo(r.Right, FCrosshair.MouseYUpper);
            }
        } else {
            ChartToolNearestPoint1->SetActive(false);
            ChartToolNearestPoint2->SetActive(true);
        }
    }
    FCrosshair.DrawnX = FCrosshair.MouseX;
    FCrosshair.DrawnYUpper = FCrosshair.MouseYUpper;
}

void TWin2kAppForm::Chart2AfterDraw()
{
    if (Datenzeiger1->isChecked()) {
        const TRect r = Chart2->PlotRect();
        TChartCanvas3D& canvas = Chart2->ChartCanvas();
        if (r.Left < FCrosshair.MouseX && FCrosshair.MouseX < r.Right) {
            canvas.MoveTo(FCrosshair.MouseX, r.Bottom);
            canvas.LineTo(FCrosshair.MouseX, r.Top);
        }
        if (!FCrosshair.UpperChartActive) {
            ChartToolNearestPoint1->SetActive(false);
            ChartToolNearestPoint2->SetActive(true);
            if (r.Top < FCrosshair.MouseYLower && FCrosshair.MouseYLower < r.Bottom) {
                canvas.MoveTo(r.Left, FCrosshair.MouseYLower);
                canvas.LineTo(r.Right, FCrosshair.MouseYLower);
            }
        } else {
            ChartToolNearestPoint1->SetActive(true);
            ChartToolNearestPoint2->SetActive(false);
        }
    }
    FCrosshair.DrawnX = FCrosshair.MouseX;
    FCrosshair.DrawnYLower = FCrosshair.MouseYLower;
}

void TWin2kAppForm::CrosshairStart()
{
    ChartToolNearestPoint1->SetActive(false);
    ChartToolNearestPoint2->SetActive(false);
    FCrosshair.FreshStart = true;
}

void TWin2kAppForm::CrosshairTick()
{
    if (!Datenzeiger1->isChecked()) {
        return;
    }
    // A new run: both markers start on its first point until the mouse moves.
    if (FCrosshair.FreshStart) {
        ChartToolNearestPoint1->SetNearestIndex(0);
        ChartToolNearestPoint2->SetNearestIndex(0);
        ChartToolNearestPoint1->SetActive(true);
        ChartToolNearestPoint2->SetActive(true);
    }
    FCrosshair.FreshStart = false;
}

void TWin2kAppForm::btnSimuStartenStoppenClick(TControl* /*sender*/)
{
    if (!btnSimuStartenStoppen->Active()) {
        Timer1->stop();
        DescribeCharts();
        return;
    }
    info->setPlainText(QString::fromLatin1(InfoText));
    FEngine.Reset(IkMeterNetz->Position());
    CrosshairStart();
    for (TLineSeries* series :
         {SERIENetzspannungRegel, SERIEStromRegel, SERIESpannungRegel, SERIELeistungRegel,
          SERIENetzspannung, SERIEStrom, SERIESpannung, SERIELeistung}) {
        series->Clear();
    }
    DescribeCharts();
    FTicksToChartDescription = 0;
    Timer1->start();
}

void TWin2kAppForm::Timer1Timer()
{
    CrosshairTick();
    const TLampSample sample =
        FEngine.Tick(IkMeterNetz->Position(), static_cast<uint32_t>(Timer1->interval()));
    const struct
    {
        TLineSeries* Series;
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
    if (FTicksToChartDescription <= 0) {
        DescribeCharts();
        FTicksToChartDescription = TicksPerChartDescription;
    }
    --FTicksToChartDescription;
}

void TWin2kAppForm::DescribeCharts()
{
    const auto describe = [](TChart& chart, const TLineSeries& mains, const TLineSeries& current,
                             const TLineSeries& voltage, const TLineSeries& power) {
        const int32_t last = power.Count() - 1;
        QString text = QStringLiteral("No samples");
        if (last >= 0 && last < mains.Count() && last < current.Count() && last < voltage.Count()) {
            text = QStringLiteral("At %1 s: mains voltage %2, current %3, voltage %4, power %5")
                       .arg(QString::fromStdString(FormatNumber("0.0", power.XValue(last))),
                            ReadoutText(mains, last, MainsReadout),
                            ReadoutText(current, last, CurrentReadout),
                            ReadoutText(voltage, last, LampVoltageReadout),
                            ReadoutText(power, last, PowerReadout));
        }
        // Every new text is announced; an unchanged one is not set again.
        if (chart.accessibleDescription() != text) {
            chart.setAccessibleDescription(text);
        }
    };
    describe(*Chart1, *SERIENetzspannungRegel, *SERIEStromRegel, *SERIESpannungRegel,
             *SERIELeistungRegel);
    describe(*Chart2, *SERIENetzspannung, *SERIEStrom, *SERIESpannung, *SERIELeistung);
}

void TWin2kAppForm::IkSlider1Change(TControl* /*sender*/)
{
    const int32_t position = IkSlider1->Position();
    IkMeterNetz->SetPosition(position);
    IkMeterNetz->SetCaption(QStringLiteral("Mainsvoltage: %1V").arg(position));
}

#include "app/u_welcome.h"

#include "app/Application.h"
#include "app/FormStyle.h"
#include "platform/Errors.h"
#include "platform/WindowFrame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

TfrmWelcome* frmWelcome = nullptr;

const char* const TfrmWelcome::MemoLines[18] = {
    "",
    "In principle, magnetic control gear can be extended in order to become continuously ",
    "adjustable with the use of KELVARO.",
    "The most important benefit of a precise effective-power-feedback control system is to be ",
    "independent from variations in grid supply.",
    "This demo shows the wide range of variation of  lamp-power according to small variations "
    "in ",
    "grid supply. You can study the principe of KELVARO by controlling the mainsvoltage with ",
    "the mouse-pointer.",
    "",
    "This demo simulate the behaviour of a true uv-lamp with following data-sheet:",
    "\trated voltage\t\t935 Volt",
    "\trated current\t\t7,14 Ampere",
    "\trated power\t\t6000 Watts",
    "The transformer is designed to supply 6000 Watts on 380 Volt mains voltage.",
    "",
    "Start simulation by pressing the simulation buttom and controll the mains voltage in the "
    "range ",
    "of  +/- 5% of 400 Volt with the sliding controller.",
    "The setvalue for KELVARO is fixed to 6000 Watts.",
};

namespace {
constexpr int ClientWidth = 812;
constexpr int ClientHeight = 552;
constexpr int Label1Height = 29;
constexpr int Panel1Height = 67;
constexpr int TimerIntervalMs = 100;
constexpr int ProgressMax = 100;
} // namespace

TfrmWelcome::TfrmWelcome(QWidget* mainForm, QWidget* parent)
    : TFramedDialog(parent, true), FMainForm(mainForm)
{
    setWindowTitle(QStringLiteral("Welcome"));
    setFont(FormFont("MS Sans Serif", 13));
    SetFormColors(Client(), clBtnFace);
    SetClientSize(ClientWidth, ClientHeight);

    auto* layout = new QVBoxLayout(Client());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Label1 =
        new QLabel(QStringLiteral("BEEING INDEPENDENT FROM VARIATIONS IN GRID SUPPLY"), Client());
    Label1->setFont(FormFont("MS Sans Serif", 25, fsBold));
    Label1->setFixedHeight(Label1Height);
    SetFormColors(Label1, clWhite);
    layout->addWidget(Label1);

    Memo1 = new QPlainTextEdit(Client());
    Memo1->setReadOnly(true);
    Memo1->setFrameStyle(QFrame::NoFrame);
    Memo1->setFont(FormFont("MS Sans Serif", 20));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A plain memo without scroll bars and with the narrow margins of an edit control, so
    // that the whole text fits the window.
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->document()->setDocumentMargin(1);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // A tab stop every eight average characters, as a plain edit control places them.
    Memo1->setTabStopDistance(8 * QFontMetricsF(Memo1->font()).averageCharWidth());
    QStringList lines;
    for (const char* line : MemoLines) {
        lines << QString::fromLatin1(line);
    }
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    SetFormColors(Memo1, clWindow, clWindowText);
    layout->addWidget(Memo1, 1);

    Panel1 = new QFrame(Client());
    static_cast<QFrame*>(Panel1)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(Panel1Height);
    SetFormColors(Panel1, clBtnFace);
    layout->addWidget(Panel1);

    btnOK = new QPushButton(QIcon(QStringLiteral(":/images/ok.png")), QStringLiteral("OK"), Panel1);
    btnOK->setIconSize(QSize(18, 18));
    btnOK->setGeometry(8, 6, 129, 57);
    btnOK->setDefault(true);
    btnOK->setEnabled(false);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });

    lblwait = new QLabel(QStringLiteral("Please wait ..."), Panel1);
    lblwait->move(152, 11);
    lblwait->adjustSize();

    ProgressBar1 = new QProgressBar(Panel1);
    ProgressBar1->setGeometry(152, 32, 150, 27);
    ProgressBar1->setRange(0, ProgressMax);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false); // a smooth bar without a percentage

    Timer1 = new QTimer(this);
    Timer1->setInterval(TimerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    Timer1->start();

    if (frmWelcome == nullptr) {
        frmWelcome = this;
    }
    FormCreate();
}

TfrmWelcome::~TfrmWelcome()
{
    if (frmWelcome == this) {
        frmWelcome = nullptr;
    }
}

void TfrmWelcome::FormCreate() {}

void TfrmWelcome::Timer1Timer()
{
    if (ProgressBar1->value() != ProgressMax) {
        ProgressBar1->setValue(ProgressBar1->value() + 1);
        return;
    }
    btnOK->setEnabled(true);
    Timer1->stop();
    ProgressBar1->hide();
    lblwait->hide();
}

void TfrmWelcome::btnOKClick()
{
    // An OK button sets the modal result first; hiding then ends a modal showing.
    setResult(QDialog::Accepted);
    const bool wasActive = isActiveWindow();
    hide();
    if (FMainForm != nullptr) {
        FMainForm->setWindowState((FMainForm->windowState() & ~Qt::WindowMinimized) |
                                  Qt::WindowMaximized);
        // The keyboard goes back to the main window (to its slider) instead of to no window.
        if (wasActive && FMainForm->isVisible()) {
            FMainForm->activateWindow();
        }
    }
}

int TfrmWelcome::ShowModal()
{
    if (isVisible()) {
        // Still shown from the start: it comes back to the front, minimised or not, and the
        // modal showing is refused.
        ShowRestored(this);
        throw EInvalidOperation("Cannot make a visible window modal");
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    // When the modal showing ends, the window that was active before it gets the keyboard back.
    const TActiveWindowKeeper keeper;
    setResult(0);
    return exec();
}

void TfrmWelcome::keyPressEvent(QKeyEvent* event)
{
    // No Cancel button: Escape does not dismiss the introduction.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmWelcome::closeEvent(QCloseEvent* event)
{
    // Without system buttons the window leaves only through OK.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmWelcome::showEvent(QShowEvent* event)
{
    if (!FCentred) {
        FCentred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
}

void ShowIntroductionScreen()
{
    if (frmWelcome == nullptr) {
        return;
    }
    TApplication::RunGuarded([] {
        frmWelcome->ShowModal();
        return true;
    });
}

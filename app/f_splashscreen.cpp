#include "app/f_splashscreen.h"

#include "app/Application.h"
#include "app/FormStyle.h"
#include "app/PrjConst.h"
#include "platform/FileVersion.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

TSplashScreen* SplashScreen = nullptr;

namespace {
constexpr int ClientWidth = 629;
constexpr int ClientHeight = 360;
constexpr int FormBorderWidth = 1;

QLabel* AddressLabel(QWidget* parent, const QString& text, int top, TFontStyles style)
{
    auto* label = new QLabel(text, parent);
    label->setFont(FormFont("MS Sans Serif", 20, style));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(16, top, 593, 25);
    return label;
}
} // namespace

TSplashScreen::TSplashScreen(QWidget* parent, const QString& programFile)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FProgramFile(programFile)
{
    setWindowTitle(QStringLiteral("Orvex About"));
    setFont(FormFont("MS Sans Serif", 13));
    SetFormColors(this, clWhite);
    // The window's one-pixel border lies around its client area, which the panel fills.
    setFixedSize(ClientWidth + 2 * FormBorderWidth, ClientHeight + 2 * FormBorderWidth);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(FormBorderWidth, FormBorderWidth, ClientWidth, ClientHeight);
    SetFormColors(Panel1, clWhite);

    // Children are placed in the panel's client area, inside its one-pixel border.
    constexpr int inset = 1;
    Image1 = new QLabel(Panel1);
    Image1->setGeometry(16 + inset, 24 + inset, 593, 225);
    const QPixmap logo(QStringLiteral(":/images/logo.png"));
    if (!logo.isNull()) {
        // Scaled proportionally into the picture's box, from its top-left corner.
        Image1->setPixmap(
            logo.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label2 = AddressLabel(Panel1, SMakerName, 250 + inset, fsBold);
    Label3 = AddressLabel(Panel1, SMakerStreet, 274 + inset, 0);
    Label4 = AddressLabel(Panel1, SMakerTown, 297 + inset, 0);

    Label5 = new QLabel(SMakerNotice, Panel1);
    Label5->setGeometry(308 + inset, 333 + inset, 301, 16);

    Version = new QLabel(Panel1);
    Version->move(16 + inset, 333 + inset);
    Version->setMinimumSize(162, 16);

    for (QObject* clickable : {static_cast<QObject*>(Panel1), static_cast<QObject*>(Image1),
                               static_cast<QObject*>(Label2), static_cast<QObject*>(Label3),
                               static_cast<QObject*>(Label4), static_cast<QObject*>(Label5),
                               static_cast<QObject*>(Version), static_cast<QObject*>(this)}) {
        clickable->installEventFilter(this);
    }

    if (SplashScreen == nullptr) {
        SplashScreen = this;
    }
    FormCreate();
}

TSplashScreen::~TSplashScreen()
{
    if (SplashScreen == this) {
        SplashScreen = nullptr;
    }
}

void TSplashScreen::FormCreate()
{
    const QString file =
        FProgramFile.isEmpty() ? QCoreApplication::applicationFilePath() : FProgramFile;
    const std::string version = FileVersionText(file.toLocal8Bit().toStdString());
    Version->setText(VersionLine(QString::fromStdString(version)));
    // The label grows with its text.
    Version->adjustSize();
}

void TSplashScreen::Click()
{
    done(QDialog::Accepted);
}

int TSplashScreen::ShowModal()
{
    // When the modal showing ends, the window that was active before it gets the keyboard back.
    const TActiveWindowKeeper keeper;
    setResult(0);
    return exec();
}

bool TSplashScreen::eventFilter(QObject* watched, QEvent* event)
{
    // A click: the left button pressed and released on the same component, inside it.
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            FPressedOn = watched;
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool click = mouse->button() == Qt::LeftButton && FPressedOn == watched &&
                           widget != nullptr &&
                           widget->rect().contains(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton) {
            FPressedOn = nullptr;
        }
        if (click) {
            Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TSplashScreen::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FPressedOn = nullptr;
    QDialog::showEvent(event);
}

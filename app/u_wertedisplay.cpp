#include "app/u_wertedisplay.h"

#include "app/FormStyle.h"
#include "platform/WindowFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

TfrmWerte* frmWerte = nullptr;

std::optional<bool> TfrmWerte::ActivatedOnShow;

namespace {
constexpr int ClientWidth = 316;
constexpr int ClientHeight = 188;
constexpr int DesignLeft = 350;
constexpr int DesignTop = 125;

QLabel* RowLabel(QWidget* parent, const char* text, int top, TColor color)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    SetFormColors(label, color);
    label->move(4, top);
    label->adjustSize(); // auto-sized to its text, as a plain label is
    return label;
}

QLineEdit* RowEdit(QGroupBox* box, int top, TColor color)
{
    auto* edit = new QLineEdit(box);
    edit->setGeometry(14, top, 80, 24);
    SetFormColors(edit, color);
    return edit;
}
} // namespace

TfrmWerte::TfrmWerte(QWidget* parent) : TFramedDialog(parent, true)
{
    setWindowTitle(QStringLiteral("Values"));
    setFont(FormFont("MS Sans Serif", 13));
    SetFormColors(Client(), clBtnFace);
    SetClientSize(ClientWidth, ClientHeight);
    move(DesignLeft, DesignTop);

    auto* panel = new QFrame(Client());
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setGeometry(0, 8, 97, 176);
    SetFormColors(panel, clBtnFace);
    Panel1 = panel;
    Label1 = RowLabel(Panel1, "mains voltage:", 25, clAqua);
    Label2 = RowLabel(Panel1, "current:", 65, clRed);
    Label3 = RowLabel(Panel1, "voltage:", 105, clBlue);
    Label4 = RowLabel(Panel1, "power :", 145, clYellow);

    GroupBox1 = new QGroupBox(QStringLiteral("uncontrolled"), Client());
    GroupBox1->setGeometry(96, 0, 110, 185);
    edtNetzspannung = RowEdit(GroupBox1, 30, clAqua);
    edtStrom = RowEdit(GroupBox1, 70, clRed);
    edtSpannung = RowEdit(GroupBox1, 110, clBlue);
    edtLeistung = RowEdit(GroupBox1, 150, clYellow);

    GroupBox2 = new QGroupBox(QStringLiteral("controlled"), Client());
    GroupBox2->setGeometry(204, 0, 110, 185);
    edtNetzspannungR = RowEdit(GroupBox2, 30, clAqua);
    edtStromr = RowEdit(GroupBox2, 70, clRed);
    edtSpannungR = RowEdit(GroupBox2, 110, clBlue);
    edtLeistungR = RowEdit(GroupBox2, 150, clYellow);

    // A screen reader names each edit by its row and its column ("current, uncontrolled"): the
    // row labels lie in another panel than the edits, and the column alone names four edits.
    const QLabel* rows[] = {Label1, Label2, Label3, Label4};
    const struct
    {
        QGroupBox* Column;
        QLineEdit* Edits[4];
    } columns[] = {
        {GroupBox1, {edtNetzspannung, edtStrom, edtSpannung, edtLeistung}},
        {GroupBox2, {edtNetzspannungR, edtStromr, edtSpannungR, edtLeistungR}},
    };
    for (const auto& column : columns) {
        for (int row = 0; row < 4; ++row) {
            QString caption = rows[row]->text();
            while (caption.endsWith(QLatin1Char(':')) || caption.endsWith(QLatin1Char(' '))) {
                caption.chop(1);
            }
            column.Edits[row]->setAccessibleName(caption + QStringLiteral(", ") +
                                                 column.Column->title());
        }
    }

    // A click anywhere into the window gives it the keyboard (see ShowBeside).
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }

    if (frmWerte == nullptr) {
        frmWerte = this;
    }
}

void TfrmWerte::ShowBeside(QWidget* keyboardOwner)
{
    const bool ownerActive = keyboardOwner != nullptr && keyboardOwner->isActiveWindow();
    setAttribute(Qt::WA_ShowWithoutActivating);
    const bool activatedAnyway =
        ActivatedOnShow.value_or(QGuiApplication::platformName().startsWith(u"wayland"));
    FKeyboardOwner = ownerActive && activatedAnyway ? keyboardOwner : nullptr;
    ShowRestored(this);
    if (ownerActive) {
        keyboardOwner->activateWindow();
    }
}

bool TfrmWerte::PassKey(QEvent* event)
{
    if (FKeyboardOwner == nullptr ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)) {
        return false;
    }
    // Activated by the window system on showing: the keys belong to the window beside.
    const auto* key = static_cast<QKeyEvent*>(event);
    QWidget* target = FKeyboardOwner->focusWidget() != nullptr ? FKeyboardOwner->focusWidget()
                                                               : FKeyboardOwner.data();
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                   key->nativeVirtualKey(), key->nativeModifiers(), key->text(),
                   key->isAutoRepeat(), static_cast<quint16>(key->count()));
    QCoreApplication::sendEvent(target, &copy);
    event->accept();
    return true;
}

bool TfrmWerte::event(QEvent* event)
{
    return PassKey(event) || QDialog::event(event);
}

bool TfrmWerte::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        FKeyboardOwner = nullptr;
    } else if (watched != this && PassKey(event)) {
        return true;
    } else if (FKeyboardOwner != nullptr && event->type() == QEvent::FocusIn &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
        // Activation put the focus into an edit: take it out again, so that no cursor blinks
        // where typing does not land.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (QWidget* focused = focusWidget(); FKeyboardOwner != nullptr && focused) {
                    focused->clearFocus();
                }
            },
            Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmWerte::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && FKeyboardOwner != nullptr &&
        isActiveWindow()) {
        // Where the platform allows it, the activation goes back as well.
        FKeyboardOwner->activateWindow();
    }
    TFramedDialog::changeEvent(event);
}

void TfrmWerte::hideEvent(QHideEvent* event)
{
    FKeyboardOwner = nullptr;
    QDialog::hideEvent(event);
}

TfrmWerte::~TfrmWerte()
{
    if (frmWerte == this) {
        frmWerte = nullptr;
    }
}

void TfrmWerte::keyPressEvent(QKeyEvent* event)
{
    // The window has no Cancel: Escape must not hide it behind the crosshair command's back.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmWerte::closeEvent(QCloseEvent* event)
{
    // Without system buttons only the crosshair command hides it; a close request from the
    // window system (a window manager's close shortcut) is refused.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

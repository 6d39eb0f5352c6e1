#include "app/u_wertedisplay.h"

#include "app/FormStyle.h"
#include "platform/WindowFrame.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

TfrmWerte* frmWerte = nullptr;

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

TfrmWerte::TfrmWerte(QWidget* parent) : QDialog(parent, DialogFrameFlags(true))
{
    setWindowTitle(QStringLiteral("Values"));
    setFont(FormFont("MS Sans Serif", 13));
    SetFormColors(this, clBtnFace);
    setFixedSize(ClientWidth, ClientHeight);
    move(DesignLeft, DesignTop);

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setGeometry(0, 8, 97, 176);
    SetFormColors(panel, clBtnFace);
    Panel1 = panel;
    Label1 = RowLabel(Panel1, "mains voltage:", 25, clAqua);
    Label2 = RowLabel(Panel1, "current:", 65, clRed);
    Label3 = RowLabel(Panel1, "voltage:", 105, clBlue);
    Label4 = RowLabel(Panel1, "power :", 145, clYellow);

    GroupBox1 = new QGroupBox(QStringLiteral("uncontrolled"), this);
    GroupBox1->setGeometry(96, 0, 110, 185);
    edtNetzspannung = RowEdit(GroupBox1, 30, clAqua);
    edtStrom = RowEdit(GroupBox1, 70, clRed);
    edtSpannung = RowEdit(GroupBox1, 110, clBlue);
    edtLeistung = RowEdit(GroupBox1, 150, clYellow);

    GroupBox2 = new QGroupBox(QStringLiteral("controlled"), this);
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

    if (frmWerte == nullptr) {
        frmWerte = this;
    }
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

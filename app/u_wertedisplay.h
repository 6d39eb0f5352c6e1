#pragma once
// The values window: a small stay-on-top dialog without system buttons that shows the eight
// values of the sample nearest to the mouse in physical units. The main window's crosshair
// fills the edits and shows or hides the window; this class only lays it out.
#include <QDialog>

class QCloseEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QWidget;

class TfrmWerte : public QDialog
{
public:
    explicit TfrmWerte(QWidget* parent = nullptr);
    ~TfrmWerte() override;

    // ---- Components ----
    // Row labels on their row colours, left of the two columns.
    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr; // "mains voltage:"
    QLabel* Label2 = nullptr; // "current:"
    QLabel* Label3 = nullptr; // "voltage:"
    QLabel* Label4 = nullptr; // "power :"

    QGroupBox* GroupBox1 = nullptr; // "uncontrolled"
    QLineEdit* edtNetzspannung = nullptr;
    QLineEdit* edtStrom = nullptr;
    QLineEdit* edtSpannung = nullptr;
    QLineEdit* edtLeistung = nullptr;

    QGroupBox* GroupBox2 = nullptr; // "controlled"
    QLineEdit* edtNetzspannungR = nullptr;
    QLineEdit* edtStromr = nullptr;
    QLineEdit* edtSpannungR = nullptr;
    QLineEdit* edtLeistungR = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

// The values window the program created at start (nullptr before and after). The first
// TfrmWerte made registers itself here and leaves it when it is destroyed.
extern TfrmWerte* frmWerte;

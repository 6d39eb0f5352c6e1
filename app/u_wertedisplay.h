#pragma once
// The values window: a small stay-on-top dialog without system buttons that shows the eight
// values of the sample nearest to the mouse in physical units. The main window's crosshair
// fills the edits and shows or hides the window; this class only lays it out.
#include "platform/WindowFrame.h"

#include <QPointer>

#include <optional>

class QCloseEvent;
class QEvent;
class QGroupBox;
class QHideEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QWidget;

class TfrmWerte : public TFramedDialog
{
public:
    explicit TfrmWerte(QWidget* parent = nullptr);
    ~TfrmWerte() override;

    // Shows the window, brought back from minimised and raised, without taking the keyboard
    // from keyboardOwner (the main window) when that is active: it is shown without activation,
    // and where the window system activates it all the same, the keys typed before the user
    // clicks into this window go on to keyboardOwner's focus widget and no edit takes the
    // focus. A click into the window makes it take the keyboard as usual.
    void ShowBeside(QWidget* keyboardOwner);

    // Whether the window system activates every window it shows, whatever the program asks
    // (Wayland compositors do; X11 window managers honour a showing without activation).
    // Unset, it follows the platform's name; tests set it.
    static std::optional<bool> ActivatedOnShow;

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
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Sends a key event on to the keyboard owner's focus widget while keys pass on.
    bool PassKey(QEvent* event);

    // The window that keeps the keyboard while this one is shown beside it; null once the
    // user has clicked into this window or it is hidden.
    QPointer<QWidget> FKeyboardOwner;
};

// The values window the program created at start (nullptr before and after). The first
// TfrmWerte made registers itself here and leaves it when it is destroyed.
extern TfrmWerte* frmWerte;

#pragma once
// The introduction window: shown at start on top of the main window without blocking it, it
// explains the demonstration and counts a progress bar up over about ten seconds before its
// OK button may be pressed. OK hides it and maximises the main window. Later it can be shown
// again modally ("Introduction screen..."), but not while it is still shown from the start.
#include "platform/WindowFrame.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

class TfrmWelcome : public TFramedDialog
{
public:
    // mainForm: the window that OK maximises (may be nullptr).
    explicit TfrmWelcome(QWidget* mainForm, QWidget* parent = nullptr);
    ~TfrmWelcome() override;

    // ---- Events ----
    void FormCreate();
    // One 100 ms tick: the bar steps by one until it is full; the tick after that enables OK
    // and hides the bar and the waiting label.
    void Timer1Timer();
    void btnOKClick();

    // Shows the window modally and returns its modal result. Raises EInvalidOperation
    // ("Cannot make a visible window modal") when the window is already shown.
    int ShowModal();

    // ---- Components ----
    QLabel* Label1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* btnOK = nullptr;
    QLabel* lblwait = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr;

    // The memo's lines as the window shows them.
    static const char* const MemoLines[18];

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* FMainForm;
    bool FCentred = false;
};

// The introduction window the program created at start (nullptr before and after). The first
// TfrmWelcome made registers itself here and leaves it when it is destroyed.
extern TfrmWelcome* frmWelcome;

// The "Introduction screen..." command: shows frmWelcome modally. A refusal (the window is
// still shown from the start) goes to the application's standard error box and the program
// goes on. Does nothing when no introduction window exists.
void ShowIntroductionScreen();

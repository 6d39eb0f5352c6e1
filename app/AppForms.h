#pragma once
// The program's windows, created at start in their fixed order: the main window, the generic
// about box, the values window, the about window and the introduction window. The main window
// and the introduction window are shown at once, the introduction on top and without blocking
// the main window. Closing the main window ends the program, whatever else is still shown.
// The values window and the introduction have the main window as parent (dialogs transient
// for it), so they are destroyed before it.
//
// Each window also registers itself in its unit's global pointer (frmWerte, SplashScreen,
// frmWelcome, AboutBox), so that the main window's commands reach the others.
#include <QObject>

#include <functional>
#include <memory>

class TAboutBox;
class TSplashScreen;
class TWin2kAppForm;
class TfrmWelcome;
class TfrmWerte;

class TAppForms : public QObject
{
public:
    TAppForms();
    ~TAppForms() override;

    TWin2kAppForm* MainForm() const { return FMainForm.get(); }
    TAboutBox* AboutBox() const { return FAboutBox.get(); }
    TfrmWerte* Werte() const { return FWerte.get(); }
    TSplashScreen* Splash() const { return FSplash.get(); }
    TfrmWelcome* Welcome() const { return FWelcome.get(); }

    // Run when the main window has closed: ends the message loop. Tests replace it.
    std::function<void()> OnMainFormClosed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<TWin2kAppForm> FMainForm;
    std::unique_ptr<TAboutBox> FAboutBox;
    std::unique_ptr<TfrmWerte> FWerte;
    std::unique_ptr<TSplashScreen> FSplash;
    std::unique_ptr<TfrmWelcome> FWelcome;
};

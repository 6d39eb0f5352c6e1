#pragma once
// The about window: a borderless stay-on-top window with the Orvex logo, the maker's name and
// address, a notice and the version line made from the program file's version. A click
// anywhere on it closes it.
#include <QDialog>

class QFrame;
class QLabel;

class TSplashScreen : public QDialog
{
public:
    // programFile: the file whose version the version line shows; the running program's own
    // file when empty.
    explicit TSplashScreen(QWidget* parent = nullptr, const QString& programFile = QString());
    ~TSplashScreen() override;

    // ---- Events ----
    // Makes the version line, once.
    void FormCreate();
    // Closes the window, which ends its modal showing.
    void Click();

    // Shows the window modally until a click closes it; returns the modal result.
    int ShowModal();

    // ---- Components ----
    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr; // maker's name
    QLabel* Label3 = nullptr; // street
    QLabel* Label4 = nullptr; // postcode and town
    QLabel* Label5 = nullptr; // notice
    QLabel* Version = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString FProgramFile;
    QObject* FPressedOn = nullptr;
};

// The about window the program created at start (nullptr before and after). The first
// TSplashScreen made registers itself here and leaves it when it is destroyed.
extern TSplashScreen* SplashScreen;

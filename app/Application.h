#pragma once
// The application object: the message loop of the program. An exception raised inside any
// handler is caught where the event was delivered and its message is shown in the standard
// error box; the program goes on.
#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

class TApplication : public QApplication
{
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs one delivery; an exception it raises is shown and the delivery counts as unhandled.
    static bool RunGuarded(const std::function<bool()>& deliver);

    // Shows the message of a caught exception. The standard error box by default; tests replace
    // it to see the message without a modal box.
    using TExceptionHandler = std::function<void(const std::string& message)>;
    static void SetExceptionHandler(TExceptionHandler handler);
    static void ShowException(const std::string& message);
};

// Remembers the active window and, when it goes out of scope, gives the keyboard back to it if it
// is still shown: a closed dialog or message box hands activation back to the window it was
// opened from, so that its keys work without a click first.
class TActiveWindowKeeper
{
public:
    TActiveWindowKeeper() : FPrevious(QApplication::activeWindow()) {}
    ~TActiveWindowKeeper()
    {
        if (FPrevious != nullptr && FPrevious->isVisible()) {
            FPrevious->activateWindow();
        }
    }
    TActiveWindowKeeper(const TActiveWindowKeeper&) = delete;
    TActiveWindowKeeper& operator=(const TActiveWindowKeeper&) = delete;

    QWidget* Previous() const { return FPrevious; }

private:
    QPointer<QWidget> FPrevious;
};

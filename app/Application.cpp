#include "app/Application.h"

#include <QMessageBox>
#include <QPointer>

#include <exception>

namespace {
TApplication::TExceptionHandler& ExceptionHandler()
{
    static TApplication::TExceptionHandler handler;
    return handler;
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    return RunGuarded([&] { return QApplication::notify(receiver, event); });
}

bool TApplication::RunGuarded(const std::function<bool()>& deliver)
{
    try {
        return deliver();
    } catch (const std::exception& error) {
        ShowException(error.what());
    } catch (...) {
        ShowException("Unknown error");
    }
    return false;
}

void TApplication::SetExceptionHandler(TExceptionHandler handler)
{
    ExceptionHandler() = std::move(handler);
}

void TApplication::ShowException(const std::string& message)
{
    if (ExceptionHandler()) {
        ExceptionHandler()(message);
        return;
    }
    // Once the box is closed, the window that was active gets the keyboard back.
    const QPointer<QWidget> active = QApplication::activeWindow();
    QMessageBox::critical(active, QApplication::applicationDisplayName(),
                          QString::fromStdString(message));
    if (active != nullptr && active->isVisible()) {
        active->activateWindow();
    }
}

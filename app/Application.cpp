#include "app/Application.h"

#include <QMessageBox>

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
    const TActiveWindowKeeper keeper;
    QMessageBox::critical(keeper.Previous(), QApplication::applicationDisplayName(),
                          QString::fromStdString(message));
}

// Program entry: initialises the units, creates the windows and runs the message loop until the
// main window closes.
#include "app/AppForms.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "app/Startup.h"
#include "app/TerminationSignals.h"
#include "platform/WindowFrame.h"

#include <optional>

int main(int argc, char** argv)
{
    TQtOptionValues qtOptions;
    if (const int code = HandleCommandLine(argc, argv, qtOptions); code >= 0)
        return code;
    // A platform or display that cannot be opened ends the program with a line of its own,
    // before the toolkit would abort on it.
    if (const int code = HandleDisplayCheck(qtOptions); code >= 0)
        return code;
    std::optional<TApplication> app;
    {
        const TDisplayStartGuard guard;
        app.emplace(argc, argv);
    }
    QuitOnTerminationSignals();
    InitializeUnits();
    // For checks of the running program: which frame each window got (see ReportWindowFramesTo).
    if (const QString report = qEnvironmentVariable("ORVEX_FRAME_REPORT"); !report.isEmpty())
        ReportWindowFramesTo(report);

    // The five windows in their order; the message loop runs until the main window closes.
    TAppForms forms;
    return app->exec();
}

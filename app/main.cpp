// Program entry: initialises the units, creates the windows and runs the message loop until the
// main window closes.
#include "app/AppForms.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "app/TerminationSignals.h"

#include <cstdio>
#include <cstdlib>

namespace {
// Without a display the toolkit would abort with a message of its own; say plainly how to run.
bool DisplayAvailable()
{
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}
} // namespace

int main(int argc, char** argv)
{
    if (const int code = HandleCommandLine(argc, argv); code >= 0)
        return code;
    if (!DisplayAvailable()) {
        std::fputs("OrvexDemo needs a display: start it from a desktop session, or set "
                   "QT_QPA_PLATFORM=offscreen for a headless check.\n",
                   stderr);
        return 1;
    }
    TApplication app(argc, argv);
    QuitOnTerminationSignals();
    InitializeUnits();

    // The five windows in their order; the message loop runs until the main window closes.
    TAppForms forms;
    return app.exec();
}

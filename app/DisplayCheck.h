#pragma once
// Before the application object exists: works out the window-system platform the toolkit will
// start on and whether its display can be opened, so that a missing platform or an unreachable
// display ends the program with one line of its own on standard error and exit code 1 instead
// of the toolkit's abort.
#include "app/CommandLine.h"

#include <string>

struct TDisplayCheck
{
    bool Ok = true;
    std::string Platform; // the platform that will be used (when Ok)
    std::string Message;  // the line for standard error (when not Ok)
};

// Looks at the -platform option, then QT_QPA_PLATFORM, then the default platform of this
// system (which follows XDG_SESSION_TYPE), tries each platform of a ';'-separated list in turn
// as the toolkit does: its plugin must be installed and, for X11 and Wayland, its display must
// accept a connection. Platforms without a display (offscreen, minimal, ...) always pass.
// The options (-platform, -platformpluginpath, -display) are those the command line gave.
TDisplayCheck CheckDisplay(const TQtOptionValues& options);

// Runs CheckDisplay and prints its message. Returns the exit code for main() to return, or -1
// when the program is to start.
int HandleDisplayCheck(const TQtOptionValues& options);

// While it lives, a fatal error of the toolkit (a display that fails after all, for example on
// authorisation) ends the program with the same kind of one-line message and exit code 1
// instead of an abort. Held around the construction of the application object.
class TDisplayStartGuard
{
public:
    TDisplayStartGuard();
    ~TDisplayStartGuard();
    TDisplayStartGuard(const TDisplayStartGuard&) = delete;
    TDisplayStartGuard& operator=(const TDisplayStartGuard&) = delete;
};

#include "app/CommandLine.h"

#include <array>
#include <cstdio>
#include <string_view>
#include <utility>

#ifndef ORVEX_VERSION
#error "ORVEX_VERSION must be defined to the project version by the build"
#endif

namespace {

constexpr std::string_view kProgram = "OrvexDemo";

constexpr std::string_view kUsage = "Usage: OrvexDemo [--help] [--version] [Qt options]\n";

constexpr std::string_view kHelp =
    "Demonstration of the Orvex Real-Power-Control for UV lamps on magnetic control gear: one\n"
    "6000 W lamp is simulated with and without control, side by side in two live charts, while\n"
    "the mains voltage is varied between 380 V and 420 V.\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help and exit\n"
    "  -v, --version    show the version and exit\n"
    "\n"
    "Qt's standard options (-platform NAME, -style NAME, -reverse, ...) are passed on to the\n"
    "toolkit. The program needs a desktop session; with QT_QPA_PLATFORM=offscreen it starts\n"
    "headless, for a check.\n";

// Options of Qt's application object that take a value as the next argument.
constexpr std::array<std::string_view, 13> kQtValueOptions = {
    "-platform",    "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle",       "-session",       "-style",  "-stylesheet",
    "-display",     "-geometry",           "-title"};

// Options of Qt's application object without a value, and those written "-name=value".
constexpr std::array<std::string_view, 5> kQtFlags = {"-reverse", "-widgetcount", "-nograb",
                                                      "-dograb", "-sync"};
constexpr std::array<std::string_view, 3> kQtJoinedOptions = {
    "-style=", "-stylesheet=", "-qmljsdebugger="};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& list, std::string_view item)
{
    for (std::string_view entry : list)
        if (entry == item)
            return true;
    return false;
}

template <std::size_t N>
bool StartsWithAny(const std::array<std::string_view, N>& list, std::string_view item)
{
    for (std::string_view prefix : list)
        if (item.substr(0, prefix.size()) == prefix && item.size() > prefix.size())
            return true;
    return false;
}

TCommandLineOutcome Failure(const std::string& message)
{
    TCommandLineOutcome outcome;
    outcome.Run = false;
    outcome.ExitCode = 2;
    outcome.Err = std::string(kProgram) + ": " + message + "\n" + std::string(kUsage) + "Try '" +
                  std::string(kProgram) + " --help' for more information.\n";
    return outcome;
}

TCommandLineOutcome Success(std::string text)
{
    TCommandLineOutcome outcome;
    outcome.Run = false;
    outcome.ExitCode = 0;
    outcome.Out = std::move(text);
    return outcome;
}

} // namespace

std::string ProgramVersionText()
{
    return std::string(kProgram) + " " + ORVEX_VERSION;
}

TCommandLineOutcome ParseCommandLine(const std::vector<std::string>& args)
{
    // The arguments are looked at in order; the first that ends the program decides.
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-h" || arg == "--help")
            return Success(std::string(kUsage) + std::string(kHelp));
        if (arg == "-v" || arg == "--version")
            return Success(ProgramVersionText() + "\n");
        if (arg.size() < 2 || arg[0] != '-')
            return Failure("unexpected argument '" + std::string(arg) + "'");

        // Qt accepts its options with one dash or two.
        const std::string qt =
            arg.substr(0, 2) == "--" ? std::string(arg.substr(1)) : std::string(arg);
        if (Contains(kQtFlags, qt) || StartsWithAny(kQtJoinedOptions, qt))
            continue;
        if (Contains(kQtValueOptions, qt)) {
            if (i + 1 >= args.size())
                return Failure("option '" + std::string(arg) + "' needs a value");
            ++i;
            continue;
        }
        return Failure("unrecognized option '" + std::string(arg) + "'");
    }
    return {};
}

int HandleCommandLine(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i] != nullptr ? argv[i] : "");
    const TCommandLineOutcome outcome = ParseCommandLine(args);
    if (outcome.Run)
        return -1;
    std::fputs(outcome.Out.c_str(), stdout);
    std::fputs(outcome.Err.c_str(), stderr);
    std::fflush(stdout);
    return outcome.ExitCode;
}

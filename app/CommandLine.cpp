#include "app/CommandLine.h"

#include "app/ProfileRun.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#ifndef ORVEX_VERSION
#error "ORVEX_VERSION must be defined to the project version by the build"
#endif

namespace {

constexpr std::string_view kProgram = "OrvexDemo";

constexpr std::string_view kUsage =
    "Usage: OrvexDemo [--help] [--version] [Qt options]\n"
    "  or:  OrvexDemo --simulate PROFILE.csv --out RESULT.csv [--interval MS]\n";

constexpr std::string_view kHelp =
    "Demonstration of the Orvex Real-Power-Control for UV lamps on magnetic control gear: one\n"
    "6000 W lamp is simulated with and without control, side by side in two live charts, while\n"
    "the mains voltage is varied between 380 V and 420 V.\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help and exit\n"
    "  -v, --version    show the version and exit\n"
    "  --simulate PROFILE.csv\n"
    "                   run the simulation over a mains profile without any window and\n"
    "                   write the result to the file of --out, then exit\n"
    "  --out RESULT     the result file of --simulate (needed with it); it is replaced\n"
    "                   only once it is complete\n"
    "  --interval MS    the time between two samples of --simulate in milliseconds,\n"
    "                   1 to 60000 (default 200, the timer of the windows)\n"
    "\n"
    "Mains profile (--simulate): a text file of rows \"seconds,volts\" giving the mains\n"
    "voltage over time; a row's voltage holds until the next row's time, and the first\n"
    "row's voltage also holds before its time. Times are plain decimal numbers of\n"
    "seconds (at most six decimals, at most 31622400, each later than the one before).\n"
    "Voltages are plain decimal numbers, rounded to whole volts with halves up\n"
    "(401.5 gives 402), and must lie between 380 and 420 V, the range of the slider.\n"
    "Fields may also be separated by a semicolon or a tab and quoted; blank lines,\n"
    "lines starting with '#' and one header line (a first field starting with a letter)\n"
    "are skipped. For example, the rows 0,400 then 60,410 then 120.5,385 hold 400 V\n"
    "for the first minute, 410 V up to 120.5 s and end there.\n"
    "The engine is started at the voltage at time 0 and ticks every interval until the\n"
    "last row's time, exactly as the windows' run with the slider moved along the profile.\n"
    "\n"
    "Result (--out, and File > Export data... in the windows): CSV as in RFC 4180,\n"
    "UTF-8, CRLF line ends, a point as decimal mark and no digit grouping whatever the\n"
    "locale. One header row, then one row per sample: time (s), mains voltage (V), and\n"
    "lamp current (A), lamp voltage (V) and lamp power (W) without control, then the same\n"
    "three with control. Every value is the shortest decimal that reads back to the\n"
    "engine's number exactly.\n"
    "\n"
    "Exit status of --simulate: 0 when the result was written; 1 when it could not be\n"
    "written (an earlier file of that name is left as it was); 2 for a bad command line or\n"
    "a bad or missing profile, with a message naming the file, line and field, and no\n"
    "result file.\n"
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

constexpr uint32_t kMaxIntervalMs = 60000;

// A whole number of milliseconds, 1 to kMaxIntervalMs, in plain digits.
std::optional<uint32_t> ParseInterval(std::string_view text)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value < 1 || value > kMaxIntervalMs)
        return std::nullopt;
    return value;
}

} // namespace

std::string ProgramVersionText()
{
    return std::string(kProgram) + " " + ORVEX_VERSION;
}

TCommandLineOutcome ParseCommandLine(const std::vector<std::string>& args)
{
    // The values of the profile run's options, written "--name VALUE" or "--name=VALUE".
    struct TValueOption
    {
        std::string_view Name;
        std::string* Value;
        bool Seen = false;
    };
    std::string profile, out, interval;
    std::array<TValueOption, 3> valueOptions = {
        {{"--simulate", &profile}, {"--out", &out}, {"--interval", &interval}}};
    TQtOptionValues qtOptions;

    // The arguments are looked at in order; the first that ends the program decides.
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-h" || arg == "--help")
            return Success(std::string(kUsage) + std::string(kHelp));
        if (arg == "-v" || arg == "--version")
            return Success(ProgramVersionText() + "\n");
        if (arg.size() < 2 || arg[0] != '-')
            return Failure("unexpected argument '" + std::string(arg) + "'");

        bool ours = false;
        for (TValueOption& option : valueOptions) {
            const bool joined =
                arg.substr(0, option.Name.size() + 1) == std::string(option.Name) + "=";
            if (arg != option.Name && !joined)
                continue;
            if (option.Seen)
                return Failure("option '" + std::string(option.Name) + "' given twice");
            if (joined) {
                *option.Value = std::string(arg.substr(option.Name.size() + 1));
            } else {
                if (i + 1 >= args.size())
                    return Failure("option '" + std::string(arg) + "' needs a value");
                *option.Value = args[++i];
            }
            if (option.Value->empty())
                return Failure("option '" + std::string(option.Name) + "' needs a value");
            option.Seen = true;
            ours = true;
        }
        if (ours)
            continue;

        // Qt accepts its options with one dash or two.
        const std::string qt =
            arg.substr(0, 2) == "--" ? std::string(arg.substr(1)) : std::string(arg);
        if (Contains(kQtFlags, qt) || StartsWithAny(kQtJoinedOptions, qt))
            continue;
        if (Contains(kQtValueOptions, qt)) {
            if (i + 1 >= args.size())
                return Failure("option '" + std::string(arg) + "' needs a value");
            qtOptions[qt.substr(1)] = args[++i];
            continue;
        }
        return Failure("unrecognized option '" + std::string(arg) + "'");
    }

    const bool simulate = valueOptions[0].Seen;
    if (!simulate) {
        for (const TValueOption& option : valueOptions)
            if (option.Seen)
                return Failure("option '" + std::string(option.Name) + "' needs --simulate");
        TCommandLineOutcome run;
        run.QtOptions = std::move(qtOptions);
        return run;
    }
    if (!valueOptions[1].Seen)
        return Failure("option '--simulate' needs '--out RESULT.csv'");
    TCommandLineOutcome outcome;
    outcome.Run = false;
    outcome.Simulate = true;
    outcome.ProfilePath = profile;
    outcome.OutPath = out;
    if (valueOptions[2].Seen) {
        const auto parsed = ParseInterval(interval);
        if (!parsed)
            return Failure("--interval takes a whole number of milliseconds from 1 to " +
                           std::to_string(kMaxIntervalMs) + ", not '" + interval + "'");
        outcome.IntervalMs = *parsed;
    }
    return outcome;
}

int HandleCommandLine(int argc, char** argv, TQtOptionValues& qtOptions)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i] != nullptr ? argv[i] : "");
    TCommandLineOutcome outcome = ParseCommandLine(args);
    if (outcome.Run) {
        qtOptions = std::move(outcome.QtOptions);
        return -1;
    }
    if (outcome.Simulate) {
        const TProfileRunOutcome run =
            RunProfileFile(outcome.ProfilePath, outcome.OutPath, outcome.IntervalMs);
        std::fputs(run.Err.c_str(), stderr);
        return run.ExitCode;
    }
    std::fputs(outcome.Out.c_str(), stdout);
    std::fputs(outcome.Err.c_str(), stderr);
    std::fflush(stdout);
    return outcome.ExitCode;
}

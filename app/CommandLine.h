#pragma once
// The program's command-line options, answered before the application object or any display is
// needed: --help and --version print their text and end the program, an unknown option ends it
// with a short error and the usage. --simulate PROFILE --out RESULT [--interval MS] asks for the
// run of a mains profile without any window. Qt's own options (-platform, -style, ...) pass
// through to the application object untouched.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The values of the toolkit's options that take one, by name without dashes ("platform",
// "display", ...); of an option given twice, the last, as the toolkit reads it.
using TQtOptionValues = std::map<std::string, std::string, std::less<>>;

struct TCommandLineOutcome
{
    bool Run = true;  // go on and start the program
    int ExitCode = 0; // the program's exit code when it is not to run
    std::string Out;  // text for standard output
    std::string Err;  // text for standard error

    // The run of a mains profile instead of the windows (Run is then false, ExitCode meaningless).
    bool Simulate = false;
    std::string ProfilePath;   // --simulate
    std::string OutPath;       // --out
    uint32_t IntervalMs = 200; // --interval

    // The toolkit's options that were given with a value (when Run).
    TQtOptionValues QtOptions;
};

// The program's name and version as --version prints them: "OrvexDemo 1.0.0.1".
std::string ProgramVersionText();

// Looks at the arguments that follow the program name.
TCommandLineOutcome ParseCommandLine(const std::vector<std::string>& args);

// Parses argv and prints what the outcome says; runs a mains profile when asked to. Returns the
// exit code for main() to return, or -1 when the program is to start; qtOptions then holds the
// toolkit's options with their values.
int HandleCommandLine(int argc, char** argv, TQtOptionValues& qtOptions);

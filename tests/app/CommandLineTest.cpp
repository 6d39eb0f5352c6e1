// The command line: --help and --version answer and end the program before any display is
// needed; unknown options and stray arguments end it with exit code 2 and the usage on standard
// error; Qt's own options pass through to the application object.
#include "app/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kVersionLine = std::string("OrvexDemo ") + ORVEX_EXPECTED_VERSION + "\n";

TEST(CommandLineTest, HelpAndVersionPrintTheirTextAndEndTheProgram)
{
    for (const char* option : {"--help", "-h"}) {
        const TCommandLineOutcome help = ParseCommandLine({option});
        EXPECT_FALSE(help.Run) << option;
        EXPECT_EQ(help.ExitCode, 0) << option;
        EXPECT_EQ(help.Out.rfind("Usage: OrvexDemo ", 0), 0u) << help.Out;
        EXPECT_NE(help.Out.find("--version"), std::string::npos);
        EXPECT_NE(help.Out.find("-platform"), std::string::npos);
        EXPECT_TRUE(help.Err.empty());
    }
    for (const char* option : {"--version", "-v"}) {
        const TCommandLineOutcome version = ParseCommandLine({option});
        EXPECT_FALSE(version.Run);
        EXPECT_EQ(version.ExitCode, 0);
        EXPECT_EQ(version.Out, kVersionLine);
        EXPECT_TRUE(version.Err.empty());
    }
    EXPECT_EQ(ProgramVersionText() + "\n", kVersionLine);
}

TEST(CommandLineTest, BadArgumentsFailWithTheUsageOnStandardError)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--bogus"}, "OrvexDemo: unrecognized option '--bogus'\n"},
        {{"-x"}, "OrvexDemo: unrecognized option '-x'\n"},
        {{"--help=yes"}, "OrvexDemo: unrecognized option '--help=yes'\n"},
        {{"-platform=offscreen"}, "OrvexDemo: unrecognized option '-platform=offscreen'\n"},
        {{"data.csv"}, "OrvexDemo: unexpected argument 'data.csv'\n"},
        {{"-"}, "OrvexDemo: unexpected argument '-'\n"},
        {{""}, "OrvexDemo: unexpected argument ''\n"},
        {{"-style"}, "OrvexDemo: option '-style' needs a value\n"},
        // A joined option with nothing after "=" names no style, sheet or debugger.
        {{"-style="}, "OrvexDemo: unrecognized option '-style='\n"},
        {{"--stylesheet="}, "OrvexDemo: unrecognized option '--stylesheet='\n"},
        {{"-reverse", "--platform"}, "OrvexDemo: option '--platform' needs a value\n"},
        // The first argument that ends the program decides.
        {{"--bogus", "--help"}, "OrvexDemo: unrecognized option '--bogus'\n"},
    };
    for (const Case& c : cases) {
        const TCommandLineOutcome outcome = ParseCommandLine(c.args);
        EXPECT_FALSE(outcome.Run) << c.message;
        EXPECT_EQ(outcome.ExitCode, 2) << c.message;
        EXPECT_TRUE(outcome.Out.empty()) << c.message;
        EXPECT_EQ(outcome.Err.rfind(c.message, 0), 0u) << outcome.Err;
        EXPECT_NE(outcome.Err.find("\nUsage: OrvexDemo "), std::string::npos) << outcome.Err;
    }
    EXPECT_EQ(ParseCommandLine({"--help", "--bogus"}).ExitCode, 0);
}

TEST(CommandLineTest, QtOptionsAndTheirValuesPassThrough)
{
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"-platform", "offscreen"},
        {"--platform", "offscreen", "-reverse"},
        {"-style=fusion", "-stylesheet", "look.qss", "-qwindowgeometry", "800x600+0+0"},
        // A value that looks like one of our options is still the value of the Qt option.
        {"-qwindowtitle", "--help"},
    };
    for (const auto& args : lines) {
        const TCommandLineOutcome outcome = ParseCommandLine(args);
        EXPECT_TRUE(outcome.Run) << outcome.Err;
        EXPECT_TRUE(outcome.Out.empty());
        EXPECT_TRUE(outcome.Err.empty());
    }
}

struct TRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Starts the built program with no display of any kind in its environment.
TRun RunProgram(const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ORVEX_PROGRAM_PATH), args);
    TRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

TEST(CommandLineTest, TheProgramAnswersWithoutADisplay)
{
    const TRun version = RunProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(version.out, kVersionLine);
    EXPECT_EQ(version.err, "");

    const TRun help =
        RunProgram({QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_EQ(help.out, ParseCommandLine({"--help"}).Out);

    const TRun bad = RunProgram({QStringLiteral("--frobnicate")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, ParseCommandLine({"--frobnicate"}).Err);
}

} // namespace

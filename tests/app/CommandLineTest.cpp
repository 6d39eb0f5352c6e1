// The command line: --help and --version answer and end the program before any display is
// needed; unknown options and stray arguments end it with exit code 2 and the usage on standard
// error; Qt's own options pass through to the application object.
#include "app/CommandLine.h"
#include "app/ProfileRun.h"

#include <QFile>
#include <QTemporaryDir>

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
        for (const char* profileOption : {"--simulate PROFILE.csv", "--out RESULT.csv",
                                          "--interval MS", "380 and 420 V", "Exit status"})
            EXPECT_NE(help.Out.find(profileOption), std::string::npos) << profileOption;
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

TEST(CommandLineTest, TheProfileRunTakesItsFilesAndInterval)
{
    const TCommandLineOutcome plain =
        ParseCommandLine({"--simulate", "in.csv", "-platform", "offscreen", "--out", "out.csv"});
    EXPECT_FALSE(plain.Run);
    EXPECT_TRUE(plain.Simulate);
    EXPECT_EQ(plain.ProfilePath, "in.csv");
    EXPECT_EQ(plain.OutPath, "out.csv");
    EXPECT_EQ(plain.IntervalMs, 200u);
    EXPECT_TRUE(plain.Out.empty() && plain.Err.empty());

    const TCommandLineOutcome joined =
        ParseCommandLine({"--interval=60000", "--out=-r.csv", "--simulate=in.csv"});
    EXPECT_TRUE(joined.Simulate) << joined.Err;
    EXPECT_EQ(joined.ProfilePath, "in.csv");
    EXPECT_EQ(joined.OutPath, "-r.csv");
    EXPECT_EQ(joined.IntervalMs, 60000u);
    EXPECT_EQ(ParseCommandLine({"--simulate", "a", "--out", "b", "--interval", "1"}).IntervalMs,
              1u);
    EXPECT_EQ(ParseCommandLine({"--simulate", "a", "--out", "b", "--help"}).Out,
              ParseCommandLine({"--help"}).Out);

    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--simulate", "in.csv"}, "option '--simulate' needs '--out RESULT.csv'"},
        {{"--out", "out.csv"}, "option '--out' needs --simulate"},
        {{"--interval", "100"}, "option '--interval' needs --simulate"},
        {{"--simulate"}, "option '--simulate' needs a value"},
        {{"--simulate="}, "option '--simulate' needs a value"},
        {{"--simulate", "a", "--out", "b", "--simulate", "c"}, "option '--simulate' given twice"},
        {{"--simulate", "a", "--out", "b", "--interval", "0"}, "--interval takes a whole number"},
        {{"--simulate", "a", "--out", "b", "--interval=60001"}, "--interval takes a whole number"},
        {{"--simulate", "a", "--out", "b", "--interval", "2e2"}, "--interval takes a whole number"},
        {{"--simulate", "a", "--out", "b", "--interval", "-5"}, "--interval takes a whole number"},
        {{"--simulate", "a", "--out", "b", "--interval", "99999999999"},
         "--interval takes a whole number"},
    };
    for (const Case& c : cases) {
        const TCommandLineOutcome outcome = ParseCommandLine(c.args);
        EXPECT_FALSE(outcome.Run) << c.message;
        EXPECT_FALSE(outcome.Simulate) << c.message;
        EXPECT_EQ(outcome.ExitCode, 2) << c.message;
        EXPECT_EQ(outcome.Err.rfind("OrvexDemo: " + c.message, 0), 0u) << outcome.Err;
    }
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

    // The values kept for the display check: by name, with one dash or two, the last of an
    // option given twice, whatever the value looks like.
    const TCommandLineOutcome outcome =
        ParseCommandLine({"-platform", "xcb", "--display", ":3", "--platform", "offscreen",
                          "-reverse", "-style=fusion", "-qwindowtitle", "--help"});
    EXPECT_EQ(outcome.QtOptions,
              (TQtOptionValues{
                  {"display", ":3"}, {"platform", "offscreen"}, {"qwindowtitle", "--help"}}));
}

struct TRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Starts the built program with no display of any kind in its environment.
TRun RunProgram(const QStringList& args, const QString& folder = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
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

TEST(CommandLineTest, TheProgramRunsAProfileWithoutADisplay)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    auto contents = [&](const char* name) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    };
    write("profile.csv", "0,400\n1.3,410\n3,395\n");
    write("bad.csv", "0,400\n1.3,410\n3,\n");

    const TRun good = RunProgram(
        {"--simulate", "profile.csv", "--out", "result.csv", "--interval", "300"}, folder.path());
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(good.out, "");
    EXPECT_EQ(good.err, "");
    const TProfileRunOutcome same = RunProfileFile(folder.filePath("profile.csv").toStdString(),
                                                   folder.filePath("same.csv").toStdString(), 300);
    ASSERT_EQ(same.ExitCode, 0) << same.Err;
    EXPECT_EQ(same.Samples, 10);
    EXPECT_EQ(contents("result.csv"), contents("same.csv"));

    const TRun bad = RunProgram({"--simulate", "bad.csv", "--out", "nothing.csv"}, folder.path());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.rfind("OrvexDemo: bad.csv:3: field 2 (mains voltage): ", 0), 0u) << bad.err;
    EXPECT_FALSE(QFile::exists(folder.filePath("nothing.csv")));
}

} // namespace

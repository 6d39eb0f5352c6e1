// The program started as a user starts it, with displays and platforms that cannot work: each
// ends with one line of the program's own on standard error and exit code 1, never an abort;
// platforms that need no display start however they are named.
#include "tests/app/MainWindowDriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using MainWindowDriver::WaitUntil;

using TEnv = std::vector<std::pair<QString, QString>>;

// The environment without any display or platform choice, then the given variables.
QProcessEnvironment Environment(const TEnv& set)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(QString::fromLatin1(name));
    for (const auto& [name, value] : set)
        env.insert(name, value);
    return env;
}

struct TRun
{
    bool normalExit = false;
    int exitCode = -1;
    std::string out;
    std::string err;
};

TRun RunProgram(const QStringList& args, const TEnv& set = {})
{
    QProcess process;
    process.setProcessEnvironment(Environment(set));
    process.start(QStringLiteral(ORVEX_PROGRAM_PATH), args);
    TRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.normalExit = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

// An X display number with no server behind it.
QString FreeDisplay()
{
    for (int n = 77; n < 1000; ++n) {
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
            !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            return QStringLiteral(":%1").arg(n);
    }
    return QStringLiteral(":999");
}

// The program ends at once with exit code 1 and one line on standard error that begins with
// the given words.
void ExpectRefusal(const TRun& run, const std::string& begins, const std::string& what)
{
    EXPECT_TRUE(run.normalExit) << what << ": " << run.err;
    EXPECT_EQ(run.exitCode, 1) << what << ": " << run.err;
    EXPECT_EQ(run.out, "") << what;
    EXPECT_EQ(run.err.rfind(begins, 0), 0u) << what << ": " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << what << ": " << run.err;
}

TEST(DisplayCheckTest, AnUnusableDisplayOrPlatformEndsWithOneLineAndExitCodeOne)
{
    ExpectRefusal(RunProgram({}), "OrvexDemo needs a display: ", "no display");

    const QString display = FreeDisplay();
    ExpectRefusal(
        RunProgram({}, {{QStringLiteral("DISPLAY"), display}}),
        "OrvexDemo cannot open the X display '" + display.toStdString() + "': ", "no server");
    ExpectRefusal(
        RunProgram({QStringLiteral("-display"), display}),
        "OrvexDemo cannot open the X display '" + display.toStdString() + "': ", "-display");

    const std::string bogus = "OrvexDemo cannot start: the display platform 'bogus' is not "
                              "available (available: ";
    ExpectRefusal(RunProgram({}, {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("bogus")}}),
                  bogus, "QT_QPA_PLATFORM");
    ExpectRefusal(RunProgram({QStringLiteral("-platform"), QStringLiteral("bogus")}), bogus,
                  "-platform");
    // The argument wins over the environment, and the last argument over earlier ones.
    ExpectRefusal(RunProgram({QStringLiteral("-platform"), QStringLiteral("offscreen"),
                              QStringLiteral("--platform"), QStringLiteral("bogus")},
                             {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}}),
                  bogus, "last -platform");

    // A Wayland session whose compositor is not there: neither Wayland nor X11 can start.
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const TRun wayland =
        RunProgram({}, {{QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-7")},
                        {QStringLiteral("XDG_RUNTIME_DIR"), runtime.path()}});
    ExpectRefusal(wayland, "OrvexDemo ", "Wayland");
    // With the Wayland plugin installed the line names the compositor's socket.
    EXPECT_TRUE(wayland.err.find("'wayland-7'") != std::string::npos ||
                wayland.err.rfind("OrvexDemo needs a display", 0) == 0)
        << wayland.err;

    // --help and --version need no display, whatever platform is named.
    const TRun version = RunProgram({QStringLiteral("--version")},
                                    {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("bogus")},
                                     {QStringLiteral("DISPLAY"), display}});
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(version.out.rfind("OrvexDemo ", 0), 0u);
    const TRun help = RunProgram(
        {QStringLiteral("-platform"), QStringLiteral("bogus"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: OrvexDemo ", 0), 0u);
}

// The program has started on a platform once the platform's plugin is loaded into it and it is
// still running; it is then stopped.
bool StartsOn(const QStringList& args, const TEnv& set, const QString& plugin, std::string& err)
{
    QProcess process;
    process.setProcessEnvironment(Environment(set));
    process.start(QStringLiteral(ORVEX_PROGRAM_PATH), args);
    if (!process.waitForStarted(60000))
        return false;
    const QString maps = QStringLiteral("/proc/%1/maps").arg(process.processId());
    const bool loaded = WaitUntil(
        [&] {
            QFile file(maps);
            return process.state() == QProcess::Running &&
                   file.open(QIODevice::ReadOnly | QIODevice::Text) &&
                   file.readAll().contains(plugin.toLatin1());
        },
        120000);
    const bool running = process.state() == QProcess::Running;
    process.kill();
    process.waitForFinished(60000);
    err = process.readAllStandardError().toStdString();
    return loaded && running;
}

TEST(DisplayCheckTest, PlatformsWithoutADisplayStartHoweverTheyAreNamed)
{
    std::string err;
    EXPECT_TRUE(StartsOn({QStringLiteral("-platform"), QStringLiteral("offscreen")}, {},
                         QStringLiteral("libqoffscreen.so"), err))
        << err;
    EXPECT_TRUE(StartsOn({}, {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("minimal")}},
                         QStringLiteral("libqminimal.so"), err))
        << err;
    // A list is tried in order, as the toolkit does: the missing platform is passed over.
    EXPECT_TRUE(StartsOn({QStringLiteral("--platform"), QStringLiteral("bogus;Offscreen")}, {},
                         QStringLiteral("libqoffscreen.so"), err))
        << err;
}

} // namespace

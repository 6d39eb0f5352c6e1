// The running program, asked to stop with SIGTERM, SIGINT or SIGHUP, leaves its message loop and
// exits normally with code 0, as at the close of its main window.
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <signal.h>
#include <string>

namespace {

// True once the process has its own handler for the signal: the "SigCgt" mask of
// /proc/<pid>/status has the signal's bit set.
bool CatchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && ((mask >> (signal - 1)) & 1u) != 0;
        }
    }
    return false;
}

TEST(TerminationSignalTest, EachStopSignalEndsTheProgramWithExitCodeZero)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ORVEX_PROGRAM_PATH), {});
        ASSERT_TRUE(program.waitForStarted(60000));
        const qint64 pid = program.processId();
        // Sent any earlier, the signal would still kill the program the default way.
        ASSERT_TRUE(QTest::qWaitFor([&] { return CatchesSignal(pid, signal); }, 60000))
            << program.readAllStandardError().toStdString();
        ASSERT_EQ(::kill(static_cast<pid_t>(pid), signal), 0);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    }
}

} // namespace

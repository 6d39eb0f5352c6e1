// The command-line run of a mains profile and the atomic file writing it shares with the main
// window's saves: a good profile gives its CSV; every failure (bad or missing profile, a folder or
// a missing folder as target, a write that fails half-way) ends with a message naming the file,
// leaves an earlier file of the target's name as it was and leaves no other file behind.
#include "app/ProfileRun.h"
#include "app/AtomicSave.h"
#include "simulation/MainsProfile.h"
#include "simulation/RunCsv.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace {

class ProfileRunTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    std::string Path(const char* name) const { return folder.filePath(name).toStdString(); }

    void Write(const char* name, const QByteArray& bytes) const
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray Contents(const char* name) const
    {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList Files() const
    {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    QTemporaryDir folder;
};

TEST_F(ProfileRunTest, AProfileGivesTheCsvOfTheEnginesRunOverIt)
{
    Write("profile.csv", "time,volts\n0,400\n0.6,410.5\n1.1,380\n");
    const TProfileRunOutcome outcome = RunProfileFile(Path("profile.csv"), Path("result.csv"), 200);
    EXPECT_EQ(outcome.ExitCode, 0) << outcome.Err;
    EXPECT_EQ(outcome.Err, "");
    EXPECT_EQ(outcome.Samples, 5);

    // The same run through the engine's own calls.
    TLampSimulation engine;
    engine.Reset(400);
    std::string expected(RunCsvHeader());
    for (int32_t volts : {400, 400, 411, 411, 411}) {
        AppendRunCsvRow(expected, engine.Tick(volts, 200));
    }
    EXPECT_EQ(Contents("result.csv").toStdString(), expected);

    // Another interval; the result replaces the earlier file.
    EXPECT_EQ(RunProfileFile(Path("profile.csv"), Path("result.csv"), 550).Samples, 2);
    EXPECT_EQ(Contents("result.csv").count("\r\n"), 3);
    EXPECT_EQ(Files(), QStringList({"profile.csv", "result.csv"}));
}

TEST_F(ProfileRunTest, EveryFailureNamesTheFileAndLeavesTheTargetAsItWas)
{
    Write("good.csv", "0,400\n1,400\n");
    Write("bad.csv", "0,400\n1,400\n2,4OO\n");
    Write("backwards.csv", "0,400\n2,400\n1,400\n");
    Write("empty.csv", "");
    Write("result.csv", "an earlier result");
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder"));

    struct Case
    {
        std::string profile;
        std::string out;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {Path("bad.csv"), Path("result.csv"), 2,
         Path("bad.csv") + ":3: field 2 (mains voltage): mains voltage '4OO' is not"},
        {Path("backwards.csv"), Path("result.csv"), 2,
         Path("backwards.csv") + ":3: field 1 (time): time goes backwards"},
        {Path("empty.csv"), Path("result.csv"), 2,
         Path("empty.csv") + ": no rows of time and mains voltage"},
        {Path("missing.csv"), Path("result.csv"), 2,
         Path("missing.csv") + ": cannot read the profile: "},
        {Path("folder"), Path("result.csv"), 2,
         Path("folder") + ": cannot read the profile: it is a folder"},
        {Path("good.csv"), Path("folder"), 1,
         "Could not write \"" + Path("folder") + "\": it is a folder."},
        {Path("good.csv"), Path("nowhere/result.csv"), 1,
         "Could not write \"" + Path("nowhere/result.csv") + "\": "},
    };
    for (const Case& c : cases) {
        const TProfileRunOutcome outcome = RunProfileFile(c.profile, c.out, 200);
        EXPECT_EQ(outcome.ExitCode, c.exitCode) << c.message;
        EXPECT_EQ(outcome.Err.rfind("OrvexDemo: " + c.message, 0), 0u) << outcome.Err;
        EXPECT_EQ(outcome.Err.back(), '\n');
        EXPECT_EQ(Contents("result.csv"), "an earlier result") << c.message;
        EXPECT_TRUE(QDir(folder.filePath("folder")).isEmpty()) << c.message;
        EXPECT_EQ(Files(), QStringList({"backwards.csv", "bad.csv", "empty.csv", "folder",
                                        "good.csv", "result.csv"}))
            << c.message;
    }
}

TEST_F(ProfileRunTest, AWriteThatFailsHalfWayLeavesTheEarlierFile)
{
    Write("result.csv", "an earlier result");
    const QString error = SaveFileAtomically(folder.filePath("result.csv"), [](QIODevice& device) {
        device.write(QByteArray(3 << 20, 'x')); // written to the temporary file, then given up
        return QStringLiteral("No space left on device");
    });
    EXPECT_EQ(error.toStdString(),
              "Could not write \"" + Path("result.csv") + "\": No space left on device");
    EXPECT_EQ(Contents("result.csv"), "an earlier result");
    EXPECT_EQ(Files(), QStringList({"result.csv"}));
}

} // namespace

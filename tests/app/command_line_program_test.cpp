// The skyvane program's command line as a shell uses it: the version, Qt's
// own options, standard output that cannot be written, and command-line
// text reaching the printed page as the same characters.
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace skyvane::app {
namespace {

struct ProgramRun {
    int status = -1;
    QByteArray out;
    QString err;
};

ProgramRun Skyvane(const QStringList& args, const QString& standardOutput = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("SKYVANE_HOST", "127.0.0.1:1");
    process.setProcessEnvironment(environment);
    if (!standardOutput.isEmpty())
        process.setStandardOutputFile(standardOutput);
    process.start(SKYVANE_BINARY, args);
    ProgramRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(CommandLineProgram, VersionAndUsageErrors)
{
    for (const char* option : {"--version", "-v"}) {
        const ProgramRun run = Skyvane({option});
        EXPECT_EQ(run.status, 0) << option;
        EXPECT_EQ(run.out, "skyvane 1.41\n") << option;
    }
    const ProgramRun unknown = Skyvane({"render", "horizontal", "--frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err,
              "skyvane render: --frobnicate: unknown option; try 'skyvane render --help'\n");
    const ProgramRun command = Skyvane({"sideways"});
    EXPECT_EQ(command.status, 2);
    EXPECT_TRUE(command.err.contains("try 'skyvane --help'")) << command.err.toStdString();
}

TEST(CommandLineProgram, QtsOwnOptionsReachQtAndNotTheCommand)
{
    QTemporaryDir folder;
    const QString picture = folder.filePath("h.png");
    const ProgramRun run = Skyvane({"render", "intro", "-platform", "offscreen", "--size=200x100",
                             "--data", SKYVANE_DATAS_BIN, "-o", picture});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(std::filesystem::exists(picture.toStdString()));
}

TEST(CommandLineProgram, StandardOutputOnAFullDiskFailsTheRun)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    // Texts longer than the output's buffer (the JSON) meet the full disk
    // while they are written, shorter ones when they are flushed: the
    // reason is given either way.
    for (const QStringList& command :
         {QStringList{"ephemeris", "--jd", "2451545", "--json"},
          QStringList{"ephemeris", "--jd", "2451545"},
          QStringList{"find", "Sirius", "--json", "--data", SKYVANE_DATAS_BIN}}) {
        const ProgramRun failed = Skyvane(command, "/dev/full");
        EXPECT_EQ(failed.status, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(failed.err.contains("No space left on device")) << failed.err.toStdString();
    }
    ProgramRun run;
    run = Skyvane({"print", "heliocentric", "--jd", "2451545", "--dpi", "72", "--data",
                   SKYVANE_DATAS_BIN, "-o", "/dev/full"});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.out.contains("page written")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("/dev/full: No space left on device")) << run.err.toStdString();
}

TEST(CommandLineProgram, ThePlaceNameReachesThePageAsTyped)
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir folder;
    const QString page = folder.filePath("page.pdf");
    const ProgramRun run = Skyvane({"print", "heliocentric", "--jd", "2451545", "--dpi", "150",
                             "--place", QString::fromUtf8("Z\u00fcrich \u20ac"), "--data",
                             SKYVANE_DATAS_BIN, "-o", "-"},
                            page);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QProcess text;
    text.start(pdftotext, {page, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(words.contains(QString::fromUtf8("Z\u00fcrich \u20ac"))) << words.toStdString();
    EXPECT_FALSE(words.contains(QString::fromUtf8("Z\u00c3"))) << words.toStdString();
}

}  // namespace
}  // namespace skyvane::app

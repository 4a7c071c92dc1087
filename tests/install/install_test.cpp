// The program as a user meets it after `cmake --install`: installed into a
// prefix of its own, started from an unrelated folder with a fresh home,
// and the files the desktop and the package tools read.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status = -1;
    QString out;
    QString err;
};

ProgramRun Execute(const QString& program, const QStringList& args, const QString& folder = {},
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
            int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, args);
    ProgramRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = program + ": did not finish";
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

std::string Bytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One install per test: a prefix, a home and a working folder of its own.
class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        prefix_ = root_.filePath("prefix");
        home_ = root_.filePath("home");
        work_ = root_.filePath("work");
        QDir().mkpath(home_);
        QDir().mkpath(work_);
        const ProgramRun install =
            Execute(SKYVANE_CMAKE, {"--install", SKYVANE_BUILD_DIR, "--prefix", prefix_});
        ASSERT_EQ(install.status, 0) << install.err.toStdString();
    }

    // The environment of a new user: a fresh home and nothing of ours.
    QProcessEnvironment UserEnvironment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                 "SKYVANE_DATA_DIR"})
            environment.remove(name);
        environment.insert("HOME", home_);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("SKYVANE_HOST", "127.0.0.1:1");  // nobody listens there
        return environment;
    }

    ProgramRun Skyvane(const QStringList& args) const
    {
        return Execute(prefix_ + "/bin/skyvane", args, work_, UserEnvironment());
    }

    QImage Render(const QString& file, const QStringList& extra) const
    {
        const ProgramRun run = Skyvane(QStringList{"render", "horizontal", "--date", "2026-12-07",
                                            "--time", "22:00", "--tz", "1", "--lon", "-8.5",
                                            "--lat", "47.32", "--size", "800x600", "-o", file} +
                                extra);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        return QImage(work_ + "/" + file);
    }

    QTemporaryDir root_;
    QString prefix_;
    QString home_;
    QString work_;
};

TEST_F(InstalledProgram, LaidOutUnderThePrefixAsTheDesktopExpects)
{
    for (const char* file :
         {"bin/skyvane", "share/skyvane/datas.bin", "share/skyvane/deepsky.bin",
          "share/doc/skyvane/LICENSE-OpenNGC.txt",
          "share/applications/invalid.skyvane.Skyvane.desktop",
          "share/metainfo/invalid.skyvane.Skyvane.metainfo.xml",
          "share/icons/hicolor/scalable/apps/invalid.skyvane.Skyvane.svg",
          "share/icons/hicolor/48x48/apps/invalid.skyvane.Skyvane.png",
          "share/icons/hicolor/128x128/apps/invalid.skyvane.Skyvane.png",
          "share/icons/hicolor/256x256/apps/invalid.skyvane.Skyvane.png",
          "share/man/man1/skyvane.1.gz", "share/doc/skyvane/copyright",
          "share/doc/skyvane/LICENSE"})
        EXPECT_TRUE(fs::exists(prefix_.toStdString() + "/" + file)) << file;
    // Each PNG is as large as the folder it lies in says.
    for (const int size : {48, 128, 256}) {
        const QImage icon(prefix_ + QString("/share/icons/hicolor/%1x%1/apps/"
                                            "invalid.skyvane.Skyvane.png")
                                        .arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size));
    }
    const ProgramRun version = Skyvane({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "skyvane 1.41\n");
}

// From a folder without a data file, with a home that has never seen the
// program: the chart has its stars, from the installed copy seeded into
// the user's data folder.
TEST_F(InstalledProgram, RendersTheCatalogueFromASeededDataFolder)
{
    const fs::path seeded = home_.toStdString() + "/.local/share/Skyvane/Skyvane/datas.bin";
    ASSERT_FALSE(fs::exists(seeded));
    const QImage sky = Render("sky.png", {"--no-constellations"});
    ASSERT_FALSE(sky.isNull());
    EXPECT_FALSE(fs::exists(work_.toStdString() + "/datas.bin"));
    ASSERT_TRUE(fs::exists(seeded));
    EXPECT_EQ(Bytes(seeded), Bytes(prefix_.toStdString() + "/share/skyvane/datas.bin"));

    // The same chart without stars: what differs are the stars.
    const QImage empty = Render("empty.png", {"--no-constellations", "--no-stars"});
    ASSERT_EQ(empty.size(), sky.size());
    int starPixels = 0;
    for (int y = 0; y < sky.height(); ++y)
        for (int x = 0; x < sky.width(); ++x)
            starPixels += sky.pixel(x, y) != empty.pixel(x, y);
    EXPECT_GT(starPixels, 1000) << "the night sky over Zurich has well over a thousand star pixels";
}

TEST_F(InstalledProgram, ADataFolderOfItsOwnAndAMissingDataFileAreHonoured)
{
    // --data-dir wins; SKYVANE_DATA_DIR is the same choice.
    const QString folder = root_.filePath("elsewhere");
    ProgramRun run = Skyvane({"render", "intro", "--date", "2026-12-07", "--data-dir", folder, "-o",
                       "intro.png"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(fs::exists(folder.toStdString() + "/datas.bin"));
    EXPECT_FALSE(fs::exists(home_.toStdString() + "/.local/share/Skyvane"));

    // A damaged installed copy seeds nothing, and the chart is refused
    // rather than drawn without stars.
    std::ofstream(prefix_.toStdString() + "/share/skyvane/datas.bin", std::ios::trunc) << "junk";
    run = Skyvane({"render", "horizontal", "--now", "-o", "none.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith("skyvane render: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Skyvane/Skyvane/datas.bin")) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_FALSE(fs::exists(work_.toStdString() + "/none.png"));
    EXPECT_FALSE(fs::exists(home_.toStdString() + "/.local/share/Skyvane/Skyvane/datas.bin"));
}

TEST_F(InstalledProgram, DesktopEntryAndMetainfoPassTheirValidators)
{
    const QString desktopValidate = QStandardPaths::findExecutable("desktop-file-validate");
    const QString appstreamcli = QStandardPaths::findExecutable("appstreamcli");
    ASSERT_FALSE(desktopValidate.isEmpty()) << "desktop-file-utils (scripts/install-deps.sh)";
    ASSERT_FALSE(appstreamcli.isEmpty()) << "appstream (scripts/install-deps.sh)";
    const ProgramRun desktop = Execute(
        desktopValidate, {prefix_ + "/share/applications/invalid.skyvane.Skyvane.desktop"});
    EXPECT_EQ(desktop.status, 0) << desktop.out.toStdString() << desktop.err.toStdString();
    EXPECT_TRUE(desktop.out.trimmed().isEmpty()) << desktop.out.toStdString();
    const ProgramRun metainfo =
        Execute(appstreamcli, {"validate", "--no-net", "--pedantic",
                               prefix_ + "/share/metainfo/invalid.skyvane.Skyvane.metainfo.xml"});
    EXPECT_EQ(metainfo.status, 0) << metainfo.out.toStdString() << metainfo.err.toStdString();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

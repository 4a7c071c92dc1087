// The program itself, started as a user starts it: with no arguments it
// opens its window, runs its start-up and keeps running until closed.
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

namespace skyvane::app {
namespace {

TEST(DesktopProgramTest, StartsItsWindowAndWritesTheFirstRunSettings)
{
    std::string home = (std::filesystem::temp_directory_path() / "skyvane-home-XXXXXX").string();
    ASSERT_NE(::mkdtemp(home.data()), nullptr);
    std::filesystem::copy_file(SKYVANE_DATAS_BIN, std::filesystem::path(home) / "datas.bin");

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home));
    environment.remove("XDG_DATA_HOME");
    environment.remove("SKYVANE_DATA_DIR");
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(home + "/config"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("SKYVANE_HOST", "127.0.0.1:1");  // nobody listens there
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QString::fromStdString(home));
    program.start(SKYVANE_BINARY, {});
    ASSERT_TRUE(program.waitForStarted(5000));

    const QString settingsFile = QString::fromStdString(home + "/config/Skyvane/Skyvane.conf");
    auto started = [&] {
        QSettings settings(settingsFile, QSettings::IniFormat);
        return settings.value("Location/datasaved").toInt() == 1 &&
               settings.value("Preferences/CHECK").toInt() == 1;
    };
    EXPECT_TRUE(QTest::qWaitFor(started, 15000));
    // Still running: the window waits for its user.
    EXPECT_EQ(program.state(), QProcess::Running);
    QSettings settings(settingsFile, QSettings::IniFormat);
    EXPECT_EQ(settings.value("Location/location1").toString(), "Zurich, Switzerland");
    EXPECT_EQ(settings.value("Installed/Data").toString().size(), 22);
    // The program works in the user's data folder, seeded with the build's
    // data file, not in the folder it was started from.
    const std::filesystem::path seeded =
        std::filesystem::path(home) / ".local/share/Skyvane/Skyvane/datas.bin";
    EXPECT_TRUE(std::filesystem::exists(seeded));
    EXPECT_EQ(std::filesystem::file_size(seeded), std::filesystem::file_size(SKYVANE_DATAS_BIN));

    program.kill();
    program.waitForFinished(5000);
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
}

}  // namespace
}  // namespace skyvane::app

namespace skyvane::app {
namespace {

// Qt's own options go to Qt and --data-dir to the program, in any order;
// the folder named is made, seeded and used.
TEST(DesktopProgramTest, WorksInTheDataFolderItIsGiven)
{
    std::string root = (std::filesystem::temp_directory_path() / "skyvane-dir-XXXXXX").string();
    ASSERT_NE(::mkdtemp(root.data()), nullptr);
    const std::string folder = root + "/chosen/data";

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(root));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(root + "/config"));
    environment.insert("SKYVANE_DATA_DIR", QString::fromStdString(root + "/not-this-one"));
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("SKYVANE_HOST", "127.0.0.1:1");
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QString::fromStdString(root));
    program.start(SKYVANE_BINARY, {"-platform", "offscreen", "--data-dir=" + QString::fromStdString(folder)});
    ASSERT_TRUE(program.waitForStarted(5000));
    const QString settingsFile = QString::fromStdString(root + "/config/Skyvane/Skyvane.conf");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return QSettings(settingsFile, QSettings::IniFormat).value("Location/datasaved").toInt() == 1;
        },
        15000));
    EXPECT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    EXPECT_EQ(std::filesystem::file_size(folder + "/datas.bin"),
              std::filesystem::file_size(SKYVANE_DATAS_BIN));
    EXPECT_FALSE(std::filesystem::exists(root + "/not-this-one"));
    EXPECT_FALSE(std::filesystem::exists(root + "/datas.bin"));

    program.kill();
    program.waitForFinished(5000);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

}  // namespace
}  // namespace skyvane::app

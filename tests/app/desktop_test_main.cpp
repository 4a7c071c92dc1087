// The desktop program's tests run in a folder of their own that holds our
// data file, as the program runs in its run folder, with one QApplication
// off-screen.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "online/data_file_update.h"

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never the real vendor host: a loopback port nobody listens on until a
    // test points the program at its own server.
    setenv("SKYVANE_HOST", "127.0.0.1:1", 1);
    std::string folder =
        (std::filesystem::temp_directory_path() / "skyvane-desktop-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) return 1;
    std::filesystem::copy_file(SKYVANE_DATAS_BIN, std::filesystem::path(folder) / "datas.bin");
    std::filesystem::current_path(folder);
    skyvane::online::SetDataFilePath(std::filesystem::path(folder) / "datas.bin");

    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
    std::filesystem::remove_all(folder, ignored);
    return status;
}

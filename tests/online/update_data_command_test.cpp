#include "app/update_data_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "online_test_support.h"
#include "platform/profile_store.h"
#include "skydata/layout_script.h"

namespace skyvane::app {
namespace {

using namespace online::testing;

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

class UpdateDataCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* value = std::getenv("SKYVANE_HOST")) savedHost_ = value;
        // The command's own --settings must win over this.
        platform::UseProfileFile((folder_ / "other.ini").string());
        skydata::SetClickReportSender({});
    }
    void TearDown() override
    {
        if (savedHost_)
            setenv("SKYVANE_HOST", savedHost_->c_str(), 1);
        else
            unsetenv("SKYVANE_HOST");
    }

    CommandRun Run(const std::vector<std::string>& args)
    {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunUpdateDataCommand(args, out, err);
        return {status, out.str(), err.str()};
    }
    std::vector<std::string> FileArguments() const
    {
        return {"--data", (folder_ / "datas.bin").string(), "--settings", (folder_ / "settings.ini").string()};
    }

    TemporaryFolder folder_;
    std::optional<std::string> savedHost_;
};

TEST_F(UpdateDataCommandTest, ADownloadThatLoadsReplacesTheFileAndSaysSo)
{
    const std::string fresh = BuildDataFile("cli.bmp", 5000);
    ScriptedServer server(Script().Send(HttpResponse(fresh)));
    setenv("SKYVANE_HOST", server.HostVariable().c_str(), 1);
    WriteWholeFile(folder_ / "datas.bin", "old");

    const CommandRun run = Run(FileArguments());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, (folder_ / "datas.bin").string() + " updated: " + std::to_string(fresh.size()) +
                           " bytes from " + server.HostVariable() + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadWholeFile(folder_ / "datas.bin"), fresh);
    // The settings went to the file named on the command line.
    platform::UseProfileFile((folder_ / "settings.ini").string());
    EXPECT_EQ(platform::GetProfileInt("Installed", "NOFD"), 1);
    EXPECT_EQ(platform::GetProfileString("Installed", "NBFD").size(), 19u);
}

TEST_F(UpdateDataCommandTest, AFailedDownloadSaysWhyAndKeepsTheFile)
{
    const std::string host = "127.0.0.1:" + std::to_string(ClosedPort());
    setenv("SKYVANE_HOST", host.c_str(), 1);
    WriteWholeFile(folder_ / "datas.bin", "old");
    const CommandRun run = Run(FileArguments());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    // In words, with the prefix of every command; the socket layer's own
    // text ("Connect Fehler #111") stays inside the program.
    EXPECT_EQ(run.err, "skyvane update-data: cannot connect to " + host + ": connection refused\n");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(ReadWholeFile(folder_ / "datas.bin"), "old");
}

TEST_F(UpdateDataCommandTest, AnAnswerCutShortIsExplainedInWords)
{
    // The header promises 5000 bytes; 100 arrive and the host hangs up.
    const std::string whole = HttpResponse(std::string(5000, 'x'));
    ScriptedServer server(Script().Send(whole.substr(0, whole.size() - 4900)));
    setenv("SKYVANE_HOST", server.HostVariable().c_str(), 1);
    WriteWholeFile(folder_ / "datas.bin", "old");
    const CommandRun run = Run(FileArguments());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "skyvane update-data: the answer from " + server.HostVariable() +
                           " stopped after 100 of 5000 bytes\n");
    EXPECT_EQ(ReadWholeFile(folder_ / "datas.bin"), "old");
}

TEST_F(UpdateDataCommandTest, AnAnswerThatIsNotADataFileIsRefusedAndTheFileKept)
{
    ScriptedServer server(Script().Send(HttpResponse(std::string(4000, 'n'))));
    setenv("SKYVANE_HOST", server.HostVariable().c_str(), 1);
    WriteWholeFile(folder_ / "datas.bin", "old");
    const CommandRun run = Run(FileArguments());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("is not a data file"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("does not inflate"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWholeFile(folder_ / "datas.bin"), "old");
    platform::UseProfileFile((folder_ / "settings.ini").string());
    EXPECT_EQ(platform::GetProfileInt("Installed", "NOFD", -1), -1);
}

TEST_F(UpdateDataCommandTest, AFileThatCannotBeWrittenIsNamedWithTheReason)
{
    ScriptedServer server(Script().Send(HttpResponse(BuildDataFile("cli.bmp", 5000))));
    setenv("SKYVANE_HOST", server.HostVariable().c_str(), 1);
    const std::string target = (folder_ / "missing" / "datas.bin").string();
    const CommandRun run =
        Run({"--data", target, "--settings", (folder_ / "settings.ini").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("cannot write " + target + ": No such file or directory"), std::string::npos) << run.err;
    platform::UseProfileFile((folder_ / "settings.ini").string());
    EXPECT_EQ(platform::GetProfileInt("Installed", "NOFD", -1), -1);
}

TEST_F(UpdateDataCommandTest, BadArgumentsAreRefusedBeforeAnyTraffic)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--data"},
                                                std::vector<std::string>{"--settings", ""},
                                                std::vector<std::string>{"--host", "x"}}) {
        const CommandRun run = Run(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.rfind("skyvane update-data: ", 0), 0u) << run.err;
    }
    const CommandRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: skyvane update-data", 0), 0u);
}

}  // namespace
}  // namespace skyvane::app

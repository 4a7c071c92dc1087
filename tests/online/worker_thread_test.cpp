#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace skyvane::platform {
namespace {

using namespace std::chrono_literals;

TEST(WorkerThreadTest, WorkerKeepsItsOwnCopiesAfterTheCallerMovesOn)
{
    auto started = std::make_shared<WaitableFlag>();
    auto done = std::make_shared<WaitableFlag>();
    auto seen = std::make_shared<std::string>();
    {
        std::string host = "127.0.0.1";
        std::vector<int> numbers{1, 2, 3};
        ASSERT_TRUE(StartWorkerThread(
            [started, done, seen](std::string h, std::vector<int> n) {
                started->WaitFor(5s);  // until the caller's variables are gone
                *seen = h + ":" + std::to_string(n.size());
                done->Set();
            },
            host, numbers));
        host.assign("overwritten");
        numbers.clear();
    }
    started->Set();
    ASSERT_TRUE(done->WaitFor(5s));
    EXPECT_EQ(*seen, "127.0.0.1:3");
}

TEST(WorkerThreadTest, AnExceptionEndsOnlyTheWorker)
{
    auto done = std::make_shared<WaitableFlag>();
    ASSERT_TRUE(StartWorkerThread([] { throw std::runtime_error("lost connection"); }));
    ASSERT_TRUE(StartWorkerThread([done] { done->Set(); }));
    EXPECT_TRUE(done->WaitFor(5s));
}

TEST(WaitableFlagTest, WaitEndsWhenRaisedOrWhenTheLimitPasses)
{
    WaitableFlag flag;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(flag.WaitFor(50ms));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 50ms);
    EXPECT_FALSE(flag.IsSet());

    auto raised = std::make_shared<WaitableFlag>();
    StartWorkerThread([raised] { raised->Set(); });
    EXPECT_TRUE(raised->WaitFor(5s));
    EXPECT_TRUE(raised->IsSet());
    EXPECT_TRUE(raised->WaitFor(0ms));  // stays raised
}

}  // namespace
}  // namespace skyvane::platform

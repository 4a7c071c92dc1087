#include "app/start_trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace skyvane::app {

void NoteChartPainted()
{
    // Read once: the environment does not change under a running program.
    static bool pending = [] {
        const char* trace = std::getenv("SKYVANE_TRACE_START");
        return trace != nullptr && *trace != '\0';
    }();
    if (!pending) return;
    pending = false;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const long long micro = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    constexpr long long kMicroPerSecond = 1000000;
    std::fprintf(stderr, "skyvane: first chart painted at %lld.%06lld\n", micro / kMicroPerSecond,
                 micro % kMicroPerSecond);
    std::fflush(stderr);
}

}  // namespace skyvane::app

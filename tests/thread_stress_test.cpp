// Many threads through the boundary at once: the entry points that touch no
// shared state, and getSpecs, whose GLFW section the library serialises.
// Built in every test build and, in its own build, under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../interface/script_interface.h"
#include "../platform/glfw/glfw_renderer.h"
#include "../platform/glfw/glfw_section.h"

namespace {

std::string takeReport() {
    ScriptValue result{};
    if (getSpecs(nullptr, 0, &result) != ES_OK) return "failed";
    const std::string report(static_cast<const char*>(result.data));
    ESFreeMem(result.data);
    return report;
}

}  // namespace

TEST(ThreadStress, EightThreadsThroughTheStatelessEntryPoints) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &wrong] {
            const std::string text = "thread " + std::to_string(t) + std::string(t * 40, 'x');
            const std::string expected = text + ", edited by Tovarin";
            const char* functionList = ESInitialize(nullptr);
            for (int i = 0; i < 2000; ++i) {
                ScriptValue arg{};
                arg.data = const_cast<char*>(text.c_str());
                arg.type = ES_TYPE_STRING;
                ScriptValue result{};
                if (sample(&arg, 1, &result) != ES_OK || expected != static_cast<char*>(result.data)) ++wrong;
                ESFreeMem(result.data);
                ESFreeMem(nullptr);
                if (ESGetVersion() != 1 || ESInitialize(nullptr) != functionList) ++wrong;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, 0);
}

TEST(ThreadStress, FourOverlappingGetSpecsAllGetTheFullReport) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs a display";
    const std::string alone = takeReport();
    ASSERT_EQ(alone.find(",,"), std::string::npos) << alone;
    for (int round = 0; round < 3; ++round) {
        std::vector<std::string> reports(4);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) threads.emplace_back([t, &reports] { reports[t] = takeReport(); });
        for (std::thread& thread : threads) thread.join();
        for (const std::string& report : reports) EXPECT_EQ(report, alone);
    }
}

// Host code that the system runs inside the sequence, on the probing thread,
// may call in again: it gets an empty name at once, printing nothing, instead
// of waiting for its own thread; other threads still wait their turn.
TEST(ThreadStress, ACallFromInsideTheSectionOnItsOwnThreadAnswersAtOnce) {
    std::atomic<bool> otherEntered{false};
    std::thread other;
    {
        const GlfwSection section;
        testing::internal::CaptureStdout();
        EXPECT_EQ(readRendererName(WindowFailureNotice::PrintLine), "");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        other = std::thread([&otherEntered] { otherEntered = !GlfwSection().nested(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(otherEntered);
    }
    other.join();
    EXPECT_TRUE(otherEntered);
}

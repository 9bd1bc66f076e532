// With no display, GLFW cannot make a window: getSpecs must still answer, with
// an empty graphics field, and leave GLFW terminated.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdlib>
#include <string>

#include "../interface/script_interface.h"

TEST(NoDisplay, ReportWithEmptyGraphicsFieldTwiceAndGlfwTerminated) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    for (int call = 0; call < 2; ++call) {
        ScriptValue result{};
        ASSERT_EQ(getSpecs(nullptr, 0, &result), ES_OK);
        const std::string report(static_cast<const char*>(result.data));
        ESFreeMem(result.data);
        const std::size_t second = report.find(',', report.find(',') + 1);
        EXPECT_EQ(report.find(",,", second), second) << report;  // empty third field
        EXPECT_EQ(report.rfind(','), second + 1) << report;
        EXPECT_NE(report.back(), ',') << report;
    }
    glfwGetError(nullptr);  // clear what our calls left
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);
    EXPECT_EQ(glfwGetError(nullptr), GLFW_NOT_INITIALIZED);
}

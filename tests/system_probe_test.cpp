// The Linux build on this machine, checked against sources we did not write:
// /proc/cpuinfo, getconf, /proc/meminfo and glxinfo on the same display.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <sys/sysinfo.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../interface/script_interface.h"

// Kernel call the tests can make fail (the binary links with --wrap=sysinfo).
static bool failSysinfo = false;
extern "C" int __real_sysinfo(struct sysinfo* info);
extern "C" int __wrap_sysinfo(struct sysinfo* info) {
    if (failSysinfo) return -1;
    return __real_sysinfo(info);
}

// Every call that sets a locale (the binary links with --wrap=setlocale).
static int localeChanges = 0;
extern "C" char* __real_setlocale(int category, const char* locale);
extern "C" char* __wrap_setlocale(int category, const char* locale) {
    if (locale != nullptr) ++localeChanges;
    return __real_setlocale(category, locale);
}

namespace {

std::vector<std::string> reportFields() {
    ScriptValue result{};
    EXPECT_EQ(getSpecs(nullptr, 0, &result), ES_OK);
    const std::string report(static_cast<const char*>(result.data));
    ESFreeMem(result.data);
    // The brand has no comma and the memory is a number, so the graphics
    // name, which may hold commas, is everything between them.
    const std::size_t first = report.find(',');
    const std::size_t second = report.find(',', first + 1);
    const std::size_t last = report.rfind(',');
    return {report.substr(0, first), report.substr(first + 1, second - first - 1),
            report.substr(second + 1, last - second - 1), report.substr(last + 1)};
}

std::string commandOutput(const char* command) {
    std::string out;
    if (FILE* pipe = popen(command, "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

std::string trimmed(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

std::string lineValue(const char* path, const std::string& key) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) == 0) return trimmed(line.substr(line.find(':') + 1));
    }
    return "";
}

}  // namespace

TEST(SystemProbes, BrandCountAndMemoryMatchTheKernel) {
    const std::vector<std::string> fields = reportFields();
    // The kernel fills "model name" from the same CPUID leaves, minus blanks at the ends.
    EXPECT_EQ(trimmed(fields[0]), lineValue("/proc/cpuinfo", "model name"));
    EXPECT_EQ(fields[1], commandOutput("getconf _NPROCESSORS_ONLN"));
    const std::string memTotalKiB = lineValue("/proc/meminfo", "MemTotal");
    EXPECT_EQ(fields[3], std::to_string(std::stoull(memTotalKiB) / 1024));
}

TEST(SystemProbes, FailedMemoryQueryShowsZero) {
    failSysinfo = true;
    const std::vector<std::string> fields = reportFields();
    failSysinfo = false;
    EXPECT_EQ(fields[3], "0");
}

TEST(SystemProbes, GraphicsNameMatchesGlxinfoOnTheSameDisplay) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs a display";
    const std::string glxinfo = commandOutput("glxinfo -B 2>/dev/null");
    const std::string key = "OpenGL renderer string: ";
    const std::size_t at = glxinfo.find(key);
    ASSERT_NE(at, std::string::npos) << glxinfo;
    const std::string renderer = glxinfo.substr(at + key.size(), glxinfo.find('\n', at) - at - key.size());
    EXPECT_FALSE(renderer.empty());
    EXPECT_EQ(reportFields()[2], renderer);
    EXPECT_EQ(reportFields()[2], renderer);  // GLFW initialises afresh for a second call
    // Nothing of GLFW outlives a call: no window, no context, not initialised.
    glfwGetError(nullptr);
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);
    EXPECT_EQ(glfwGetError(nullptr), GLFW_NOT_INITIALIZED);
}

TEST(SystemProbes, OverlappingCallsFromTwoThreadsBothGetFullReports) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs a display";
    const std::vector<std::string> alone = reportFields();
    ASSERT_FALSE(alone[2].empty());
    std::vector<std::string> reports[2];
    std::thread first([&] { reports[0] = reportFields(); });
    std::thread second([&] { reports[1] = reportFields(); });
    first.join();
    second.join();
    EXPECT_EQ(reports[0], alone);
    EXPECT_EQ(reports[1], alone);
}

// GLFW's X11 start takes LC_CTYPE from the environment when the process is
// still in "C"; a host in "C" must stay there, untouched even for a moment.
TEST(SystemProbes, GraphicsNameLeavesTheLocaleAlone) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs a display";
    ASSERT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    for (const char* name : {"LC_ALL", "LC_CTYPE"}) unsetenv(name);
    setenv("LANG", "C.UTF-8", 1);
    // The environment does name another locale.
    ASSERT_STREQ(std::setlocale(LC_CTYPE, ""), "C.UTF-8");
    std::setlocale(LC_CTYPE, "C");
    localeChanges = 0;
    EXPECT_FALSE(reportFields()[2].empty());
    EXPECT_EQ(localeChanges, 0);
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

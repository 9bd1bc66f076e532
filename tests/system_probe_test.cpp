// The Linux build on this machine, checked against sources we did not write,
// asked at the same moment: Debian's cpuid tool for the brand, getconf for the
// online processors and the memory (glibc's sysconf, which asks sysinfo), and
// glxinfo on the same display.
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

// What the cpuid tool decodes from the brand leaves, as it prints it:
// `brand = "..."`, blanks kept; no such line where the processor has no
// brand leaves.
std::string cpuidToolBrand() {
    const std::string out = commandOutput("cpuid -1 2>/dev/null");
    const std::string key = "brand = \"";
    for (std::size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + 1)) {
        // Only the line that is the brand itself, not "extended brand id = ...".
        const std::size_t lineStart = out.rfind('\n', at) + 1;
        if (out.find_first_not_of(' ', lineStart) != at) continue;
        const std::size_t begin = at + key.size();
        return out.substr(begin, out.find("\"\n", begin) - begin);
    }
    return "";
}

}  // namespace

TEST(SystemProbes, BrandCountAndMemoryMatchTheMachine) {
    const std::vector<std::string> fields = reportFields();
    ASSERT_NE(commandOutput("command -v cpuid"), "") << "needs Debian's cpuid tool";
    EXPECT_EQ(fields[0], cpuidToolBrand());
    // The kernel's name is what it read at boot; a VM moved to another host
    // since then names another processor there.
    const std::string kernelName = lineValue("/proc/cpuinfo", "model name");
    if (kernelName != trimmed(fields[0])) std::printf("the kernel names it \"%s\"\n", kernelName.c_str());
    // The machine's online processors, not the share this process may use.
    EXPECT_EQ(fields[1], commandOutput("getconf _NPROCESSORS_ONLN"));
    // The machine's memory as sysinfo gives it, which a container's own
    // /proc/meminfo does not change.
    const unsigned long long pages = std::stoull(commandOutput("getconf _PHYS_PAGES"));
    const unsigned long long pageSize = std::stoull(commandOutput("getconf PAGESIZE"));
    EXPECT_EQ(fields[3], std::to_string(pages * pageSize >> 20));
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

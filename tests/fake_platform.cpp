// The platform seam, answered from fake_platform::answers.
#include "fake_platform.h"

#include "../functions/platform_probes.h"

namespace fake_platform {
Answers answers;
std::vector<const char*> calls;
std::string announcedBrand;
ScriptValue* watchedResult = nullptr;
bool resultStoredWhenScopeClosed = false;
void reset() {
    resultStoredWhenScopeClosed = false;
    answers = Answers{};
    calls.clear();
    calls.reserve(16);
    announcedBrand.clear();
    announcedBrand.reserve(64);
}
}  // namespace fake_platform

namespace platform {

void announceBrand(const std::string& cpuBrand) {
    fake_platform::calls.push_back("brand");
    fake_platform::announcedBrand.assign(cpuBrand);
}

std::uint32_t logicalProcessorCount() {
    fake_platform::calls.push_back("count");
    return fake_platform::answers.processors;
}

std::string totalMemoryMiB() {
    fake_platform::calls.push_back("memory");
    return fake_platform::answers.memoryMiB;
}

std::string graphicsDeviceName(CallScope& scope) {
    fake_platform::calls.push_back("gpu");
    static int token;
    scope = CallScope(&token, [](void*) {
        fake_platform::calls.push_back("scope closed");
        const ScriptValue* result = fake_platform::watchedResult;
        fake_platform::resultStoredWhenScopeClosed =
            result != nullptr && result->type == ES_TYPE_STRING && result->data != nullptr;
    });
    return fake_platform::answers.gpuName;
}

}  // namespace platform

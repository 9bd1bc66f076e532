// The stand-in sysctlbyname: machdep.cpu.brand_string, answered as the macOS
// kernel answers a text (no buffer gives its length with the NUL; a buffer
// too short gets what fits, no NUL, and ENOMEM), and sysctl.proc_translated,
// answered as an int.
#include <cerrno>
#include <cstring>

#include "standin_sysctl.h"
#include "standin_sysctlbyname.h"

namespace standin {
BrandString brandString;
int procTranslated = 0;
SysctlbynameRecord sysctlbynameRecord;
void resetBrandString() {
    brandString = BrandString{};
    procTranslated = 0;
    sysctlbynameRecord = SysctlbynameRecord{};
}
}  // namespace standin

namespace {

int answerTranslation(void* oldValue, std::size_t* oldLength, bool newValueGiven) {
    ++standin::sysctlbynameRecord.translationQueries;
    const int translated = standin::procTranslated;
    if (newValueGiven || oldLength == nullptr) {
        ++standin::sysctlbynameRecord.faults;
        errno = EINVAL;
        return -1;
    }
    if (translated < 0) {
        errno = ENOENT;
        return -1;
    }
    if (oldValue != nullptr && *oldLength < sizeof translated) {
        errno = ENOMEM;
        return -1;
    }
    if (oldValue != nullptr) std::memcpy(oldValue, &translated, sizeof translated);
    *oldLength = sizeof translated;
    return 0;
}

}  // namespace

extern "C" int sysctlbyname(const char* name, void* oldValue, std::size_t* oldLength, void* newValue,
                            std::size_t newLength) {
    if (name != nullptr && std::strcmp(name, "sysctl.proc_translated") == 0) {
        return answerTranslation(oldValue, oldLength, newValue != nullptr || newLength != 0);
    }
    standin::SysctlbynameRecord& record = standin::sysctlbynameRecord;
    const standin::BrandString& brand = standin::brandString;
    ++record.calls;
    record.askedBrandString = name != nullptr && std::strcmp(name, "machdep.cpu.brand_string") == 0;
    record.oldValueGiven = oldValue != nullptr;
    record.oldLengthGiven = oldLength != nullptr ? *oldLength : 0;
    record.newValueGiven = newValue != nullptr || newLength != 0;

    if (!record.askedBrandString || record.newValueGiven || oldLength == nullptr) {
        ++record.faults;
        errno = EINVAL;
        return -1;
    }
    if (record.calls == brand.failingCall) {
        if (oldValue != nullptr) std::memset(oldValue, '#', *oldLength);
        errno = EIO;
        return -1;
    }
    const char* text = record.calls > 1 && brand.textFromSecondCall != nullptr ? brand.textFromSecondCall
                                                                                : brand.text;
    if (text == nullptr) {
        errno = ENOENT;
        return -1;
    }
    const std::size_t size = std::strlen(text) + 1;
    if (oldValue == nullptr) {
        *oldLength = size;
        return 0;
    }
    if (*oldLength < size) {
        std::memcpy(oldValue, text, *oldLength);
        errno = ENOMEM;
        return -1;
    }
    std::memcpy(oldValue, text, size);
    *oldLength = size;
    return 0;
}

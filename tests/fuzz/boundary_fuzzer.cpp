// libFuzzer target over the whole boundary: any entry point, any argument
// count against any array length, any type codes, null data and texts of any
// bytes. Each call is checked against what the host may rely on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../../interface/result_block.h"
#include "../../interface/script_interface.h"
#include "../fake_platform.h"

namespace {

// Reads the fuzzer's bytes as a stream of choices; zeros once it runs dry.
class Choices {
public:
    Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return used_ < size_ ? data_[used_++] : 0; }

    std::uint64_t word() {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i) value = (value << 8) | byte();
        return value;
    }

    // Mostly small values, now and then any 64-bit one.
    long smallOrAny() {
        const std::uint8_t pick = byte();
        if (pick < 240) return static_cast<long>(pick % 6) - 1;
        return static_cast<long>(word());
    }

    std::string text() {
        std::size_t length = byte();
        if (length == 255) length = 4096 + (static_cast<std::size_t>(byte()) << 8);
        std::string out;
        for (std::size_t i = 0; i < length && used_ < size_; ++i) out += static_cast<char>(byte());
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

struct HostRecord {
    ScriptValue value;
    unsigned char hostFields[16];
};

void require(bool condition) {
    if (!condition) std::abort();
}

void callScriptFunction(Choices& in, bool isSample) {
    const std::size_t records = in.byte() % 4;
    const long count = in.smallOrAny();
    std::vector<std::string> texts(records);
    std::vector<ScriptValue> args(records);
    for (std::size_t i = 0; i < records; ++i) {
        texts[i] = in.text();
        const std::uint8_t pick = in.byte();
        args[i].type = pick < 200 ? ES_TYPE_STRING : in.smallOrAny();
        args[i].data = pick % 8 == 0 ? nullptr : &texts[i][0];
    }
    if (!isSample) {
        fake_platform::reset();
        fake_platform::answers.processors = static_cast<std::uint32_t>(in.word());
        fake_platform::answers.memoryMiB = in.text();
        fake_platform::answers.gpuName = in.text();
    }

    HostRecord record;
    std::memset(&record, 0x5A, sizeof record);
    const HostRecord before = record;
    ScriptValue* argArray = records == 0 ? nullptr : args.data();
    const long code = isSample ? sample(argArray, count, &record.value)
                               : getSpecs(argArray, count, &record.value);

    for (std::size_t i = 0; i < records; ++i) require(std::strlen(texts[i].c_str()) == std::strlen(&texts[i][0]));
    for (unsigned char byte : record.hostFields) require(byte == 0x5A);
    if (code != ES_OK) {
        require(code == ES_BAD_ARGUMENTS || code == ES_OUT_OF_MEMORY);
        require(std::memcmp(&record, &before, sizeof record) == 0);
    }

    std::string expected;
    bool accepted;
    if (isSample) {
        accepted = count == 1 && records >= 1 && args[0].type == ES_TYPE_STRING && args[0].data != nullptr;
        if (accepted) expected = std::string(texts[0].c_str()) + ", edited by Tovarin";
    } else {
        accepted = count == 0;
        if (accepted) {
            expected = fake_platform::announcedBrand + "," +
                       std::to_string(fake_platform::answers.processors) + "," +
                       fake_platform::answers.gpuName + "," + fake_platform::answers.memoryMiB;
        }
    }
    require(code == (accepted ? ES_OK : ES_BAD_ARGUMENTS));
    if (code == ES_OK) {
        require(record.value.type == ES_TYPE_STRING && record.value.data != nullptr);
        const char* block = static_cast<const char*>(record.value.data);
        require(std::memcmp(block, expected.data(), expected.size() + 1) == 0);
        ESFreeMem(record.value.data);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices in(data, size);
    switch (in.byte() % 6) {
        case 0: callScriptFunction(in, true); break;
        case 1: callScriptFunction(in, false); break;
        case 2: {
            std::string hostData = in.text();
            char* first = ESInitialize(&hostData[0]);
            require(first == ESInitialize(nullptr));
            require(std::strcmp(first, "makeArray,getAverage,appendString_s,myScript_a,acceptBoolean_b") == 0);
            break;
        }
        case 3: ESTerminate(); break;
        case 4: require(ESGetVersion() == 1); break;
        case 5: {
            const std::string text = in.text();
            ESFreeMem(in.byte() % 2 == 0 ? nullptr : getNewBuffer(text));
            break;
        }
    }
    return 0;
}

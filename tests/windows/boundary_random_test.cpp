// A seeded random run of value records through Kestrine.dll's entry points,
// under Wine: counts that do not match the array, any type, texts of any
// bytes, null data, null arrays and results. Every argument array and text
// ends right before a page that cannot be read, so a read past either faults.
// Each call must return what the record asks for, and leave a refused
// record's bytes as they were.
// usage: windows_boundary_random_test DLL_PATH [RECORDS [SEED]]
#include <random>

#include "dll_harness.h"

namespace {

using namespace harness;

constexpr std::size_t kPage = 4096;

// Two pages: the first readable and writable, the second no access at all.
// Whatever is placed at the end of the first has nothing readable after it.
class GuardedPage {
public:
    GuardedPage() {
        base_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_ != nullptr) VirtualProtect(base_ + kPage, kPage, PAGE_NOACCESS, &old);
    }
    ~GuardedPage() {
        if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedPage(const GuardedPage&) = delete;
    GuardedPage& operator=(const GuardedPage&) = delete;

    bool ready() const { return base_ != nullptr; }
    // `size` bytes ending at the guard.
    unsigned char* endBlock(std::size_t size) const { return base_ + kPage - size; }

private:
    unsigned char* base_ = nullptr;
};

// Sixteen bytes a record: data, a 32-bit type and the host's 4 bytes after.
void writeRecord(unsigned char* at, const void* data, std::uint32_t type, std::uint32_t hostBytes) {
    std::memcpy(at, &data, sizeof data);
    std::memcpy(at + 8, &type, sizeof type);
    std::memcpy(at + 12, &hostBytes, sizeof hostBytes);
}

struct Tally {
    long calls = 0, succeeded = 0, refused = 0, wrong = 0;
};

class RandomRun {
public:
    RandomRun(const Library& dll, std::uint64_t seed) : dll_(dll), random_(seed) {}

    bool ready() const { return texts_.ready() && records_.ready(); }

    void call(Tally& tally) {
        ++tally.calls;
        // A text of any bytes but NUL, NUL-terminated right before the guard.
        const std::size_t length = pick(4) == 0 ? pick(kPage / 2) : pick(40);
        char* text = reinterpret_cast<char*>(texts_.endBlock(length + 1));
        for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>(1 + pick(255));
        text[length] = '\0';

        // 0 to 3 records, ending right before the guard; the count passed is
        // often not theirs.
        const std::size_t records = pick(4);
        unsigned char* array = records_.endBlock(records * sizeof(ScriptValue));
        const std::uint32_t type = pickType();
        const void* data = pick(8) == 0 ? nullptr : text;
        for (std::size_t i = 0; i < records; ++i) {
            writeRecord(array + i * sizeof(ScriptValue), i == 0 ? data : text,
                        i == 0 ? type : pickType(), static_cast<std::uint32_t>(random_()));
        }
        const long count = pickCount(records);
        // An empty array is a pointer to the guard, or null, and never comes
        // with a count of 1: the DLL may read element 0 whenever that is the
        // count, so a host must have one there.
        ScriptValue* args = reinterpret_cast<ScriptValue*>(array);
        if (records == 0 && (count == 1 || pick(2) == 0)) args = nullptr;

        RawRecord result;
        const RawRecord pristine;
        ScriptValue* resultRecord = pick(64) == 0 ? nullptr : result.value();
        const bool valid = count == 1 && args != nullptr && records >= 1 && type == 4 && data != nullptr &&
                           resultRecord != nullptr;
        const long code = dll_.sample(args, count, resultRecord);

        if (valid && code == 0 && result.type() == 4 && result.hostBytesKept() &&
            takeText(dll_, result) == std::string(text) + ", edited by Tovarin") {
            ++tally.succeeded;
        } else if (!valid && code == 20 &&
                   std::memcmp(result.bytes, pristine.bytes, sizeof pristine.bytes) == 0) {
            ++tally.refused;
        } else if (++tally.wrong <= 5) {
            std::printf("FAIL sample(count %ld, %zu records, type %u, data %s, result %s) returned %ld\n", count,
                        records, type, data == nullptr ? "null" : "text", resultRecord == nullptr ? "null" : "set",
                        code);
        }
    }

    // getSpecs with arguments: refused, the record as it was.
    void callGetSpecsWithArguments(Tally& tally) {
        ++tally.calls;
        const std::size_t records = 1 + pick(3);
        unsigned char* array = records_.endBlock(records * sizeof(ScriptValue));
        for (std::size_t i = 0; i < records; ++i) writeRecord(array + i * 16, nullptr, pickType(), 0);
        long count = pickCount(records);
        if (count == 0) count = 1;
        RawRecord result;
        const RawRecord pristine;
        const long code = dll_.getSpecs(reinterpret_cast<ScriptValue*>(array), count, result.value());
        if (code == 20 && std::memcmp(result.bytes, pristine.bytes, sizeof pristine.bytes) == 0) {
            ++tally.refused;
        } else if (++tally.wrong <= 5) {
            std::printf("FAIL getSpecs(count %ld) returned %ld\n", count, code);
        }
    }

private:
    std::size_t pick(std::size_t below) { return static_cast<std::size_t>(random_() % below); }

    // The string type half the time; otherwise its neighbours, extremes, or anything.
    std::uint32_t pickType() {
        static const std::uint32_t kNear[] = {0, 3, 5, 0x80000004u, 0xFFFFFFFFu, 0x104u, 4u << 16};
        const std::size_t choice = pick(4);
        if (choice < 2) return 4;
        if (choice == 2) return kNear[pick(sizeof kNear / sizeof kNear[0])];
        return static_cast<std::uint32_t>(random_());
    }

    // The array's own length, 1, or any other: negative, zero, huge.
    long pickCount(std::size_t records) {
        static const long kEdges[] = {-1, 0, 1, 2, 0x7FFFFFFF, -0x7FFFFFFF - 1};
        switch (pick(4)) {
            case 0: return static_cast<long>(records);
            case 1: return 1;
            case 2: return kEdges[pick(sizeof kEdges / sizeof kEdges[0])];
            default: return static_cast<long>(static_cast<std::int32_t>(random_()));
        }
    }

    const Library& dll_;
    std::mt19937_64 random_;
    GuardedPage texts_;
    GuardedPage records_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: windows_boundary_random_test DLL_PATH [RECORDS [SEED]]\n", stderr);
        return 2;
    }
    const long records = argc > 2 ? std::atol(argv[2]) : 1000000;
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 0) : 20261208;
    Library dll(argv[1]);
    if (!dll.freeMem || !dll.getSpecs || !dll.sample) {
        std::printf("cannot load %s and its entry points (error %lu)\n0 passed, 1 failed\n", argv[1],
                    GetLastError());
        return 1;
    }
    RandomRun run(dll, seed);
    check(run.ready(), "guarded pages");
    if (!run.ready()) return finish();

    group = "random records";
    Tally tally;
    const DWORD start = GetTickCount();
    for (long i = 0; i < records; ++i) {
        if (i % 64 == 0) {
            run.callGetSpecsWithArguments(tally);
        } else {
            run.call(tally);
        }
    }
    std::printf("  seed %llu: %ld calls, %ld succeeded, %ld refused with 20, %ld wrong, %lu ms\n",
                static_cast<unsigned long long>(seed), tally.calls, tally.succeeded, tally.refused, tally.wrong,
                GetTickCount() - start);
    checkEqual("calls answered as the record asks", "0", std::to_string(tally.wrong));
    check(tally.succeeded > tally.calls / 20 && tally.refused > tally.calls / 2, "both outcomes well covered");
    return finish();
}

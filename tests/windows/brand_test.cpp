// The processor's brand in the report and on the console, against the
// registry's ProcessorNameString (under HKLM, the key
// HARDWARE\DESCRIPTION\System\CentralProcessor\0), which this test sets in
// Wine's prefix and restores.
// ARM64 takes its brand from there: the value's UTF-8 bytes exactly, and
// empty without one. x64 takes CPUID's, and the value changes nothing, except
// where IsWow64Process2 says the machine is ARM64 (an x64 host under Windows
// on Arm's emulation): there it takes the registry's, as the ARM64 DLL does.
// The test answers for IsWow64Process2 through the DLL's GetProcAddress import.
// usage: windows_brand_test DLL_PATH x64|arm64
#include "dll_harness.h"

namespace {

using namespace harness;

const wchar_t* const kProcessorKey = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
const wchar_t* const kName = L"ProcessorNameString";

// The value as the test found it, put back when the object goes.
class ProcessorName {
public:
    ProcessorName() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProcessorKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key_, nullptr);
        wchar_t text[256];
        DWORD bytes = sizeof text;
        had_ = key_ != nullptr && RegGetValueW(key_, nullptr, kName, RRF_RT_REG_SZ, nullptr, text, &bytes) == 0;
        if (had_) saved_ = text;
    }
    ~ProcessorName() {
        if (had_) set(saved_);
        if (!had_) RegDeleteValueW(key_, kName);
        if (key_ != nullptr) RegCloseKey(key_);
    }
    ProcessorName(const ProcessorName&) = delete;
    ProcessorName& operator=(const ProcessorName&) = delete;

    bool open() const { return key_ != nullptr; }
    bool set(const std::wstring& text) {
        const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key_, kName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) == 0;
    }
    void remove() { RegDeleteValueW(key_, kName); }

private:
    HKEY key_ = nullptr;
    std::wstring saved_;
    bool had_ = false;
};

struct Brand {
    std::string field;  // the report's first field
    std::string line;   // the first console line
};

Brand brandOf(const Library& dll) {
    RawRecord result;
    CapturedOutput console;
    const long code = dll.getSpecs(nullptr, 0, result.value());
    const std::vector<std::string> lines = console.lines();
    Brand brand;
    if (!lines.empty()) brand.line = lines.front();
    if (code != 0) return {"code " + std::to_string(code), brand.line};
    const std::string report = takeText(dll, result);
    brand.field = report.substr(0, report.find(','));
    return brand;
}

// The machine as IsWow64Process2 describes it to the DLL.
enum class Machine { Amd64, Arm64, CallFails, NoFunction };
Machine machine = Machine::Amd64;

BOOL WINAPI machinesAsSet(HANDLE, USHORT* process, USHORT* native) {
    // An x64 process is no WOW64 one, on either machine. A failing call may
    // leave anything in its outputs: it leaves ARM64, which must not count.
    *process = 0;  // IMAGE_FILE_MACHINE_UNKNOWN
    *native = machine == Machine::Amd64 ? 0x8664 : 0xAA64;
    if (machine != Machine::CallFails) return TRUE;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

FARPROC WINAPI lookUpOnMachine(HMODULE module, LPCSTR name) {
    const bool byName = HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0;
    if (!byName || std::strcmp(name, "IsWow64Process2") != 0) return GetProcAddress(module, name);
    if (machine == Machine::NoFunction) return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&machinesAsSet));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: windows_brand_test DLL_PATH x64|arm64\n", stderr);
        return 2;
    }
    const bool fromRegistry = std::string(argv[2]) == "arm64";
    Library dll(argv[1]);
    ProcessorName registry;
    if (dll.getSpecs == nullptr || !registry.open()) {
        std::printf("cannot load %s or open the processor's key\n0 passed, 1 failed\n", argv[1]);
        return 1;
    }
    const Brand asFound = brandOf(dll);
    checkEqual("the console line names the report's brand", "CPU Type: " + asFound.field, asFound.line);

    // The registry's own text from a Snapdragon X Elite laptop, and one with a
    // character of every UTF-8 length: (R) as U+00AE, an en dash, and U+1F680
    // as a surrogate pair.
    const struct {
        const char* what;
        std::wstring value;
        std::string utf8;
    } names[] = {
        {"Snapdragon X Elite", L"Snapdragon(R) X Elite - X1E78100 - Qualcomm(R) Oryon(TM) CPU",
         "Snapdragon(R) X Elite - X1E78100 - Qualcomm(R) Oryon(TM) CPU"},
        {"UTF-8 of every length", L"Snapdragon\u00AE 8cx \u2013 Gen 3 \U0001F680", "Snapdragon\xC2\xAE 8cx \xE2\x80\x93 Gen 3 \xF0\x9F\x9A\x80"},
    };
    for (const auto& name : names) {
        group = name.what;
        check(registry.set(name.value), "ProcessorNameString set");
        const Brand brand = brandOf(dll);
        checkEqual("brand", fromRegistry ? name.utf8 : asFound.field, brand.field);
        checkEqual("console line", "CPU Type: " + brand.field, brand.line);
    }
    group = "no ProcessorNameString";
    registry.remove();
    const Brand none = brandOf(dll);
    checkEqual("brand", fromRegistry ? "" : asFound.field, none.field);
    checkEqual("console line", "CPU Type: " + none.field, none.line);

    // Each machine with a name beyond ASCII, as a Snapdragon X Plus laptop
    // could hold it: the registry's wherever the machine is ARM64, CPUID's
    // (the brand as first found) elsewhere on x64.
    const std::wstring plus = L"Snapdragon\u00AE X Plus \u2013 X1P42100 (Oryon\u2122)";
    const std::string plusUtf8 = "Snapdragon\xC2\xAE X Plus \xE2\x80\x93 X1P42100 (Oryon\xE2\x84\xA2)";
    const struct {
        const char* what;
        Machine machine;
        std::wstring value;
        std::string utf8;
    } machines[] = {
        {"native machine ARM64", Machine::Arm64, plus, plusUtf8},
        {"native machine ARM64, an empty name", Machine::Arm64, L"", ""},
        {"native machine AMD64", Machine::Amd64, plus, plusUtf8},
        {"IsWow64Process2 fails", Machine::CallFails, plus, plusUtf8},
        {"no IsWow64Process2, as before Windows 10 1709", Machine::NoFunction, plus, plusUtf8},
    };
    for (const auto& m : machines) {
        group = m.what;
        machine = m.machine;
        check(registry.set(m.value), "ProcessorNameString set");
        PatchedImport lookUp(dll.module, nullptr, "GetProcAddress", reinterpret_cast<void*>(&lookUpOnMachine));
        check(lookUp.applied(), "the DLL imports GetProcAddress");
        const Brand brand = brandOf(dll);
        checkEqual("brand", fromRegistry || m.machine == Machine::Arm64 ? m.utf8 : asFound.field, brand.field);
        checkEqual("console line", "CPU Type: " + brand.field, brand.line);
    }
    return finish();
}

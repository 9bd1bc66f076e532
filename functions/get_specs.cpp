// getSpecs: probes brand, processor count, memory and graphics, in that order,
// and hands back the joined report.
#include <string>

#include "../interface/result_block.h"
#include "platform_probes.h"
#include "report.h"
#include "script_functions.h"

long runGetSpecs(const ScriptValue*, long count, ScriptValue* result) {
    if (count != 0 || result == nullptr) return ES_BAD_ARGUMENTS;

    ProbeResults fields;
    fields.cpuBrand = platform::processorBrand();
    platform::announceBrand(fields.cpuBrand);
    const std::uint32_t processors = platform::logicalProcessorCount();
    fields.memoryMB = platform::totalMemoryMiB();

    // Declared before the report so that it closes only after the block is
    // stored, and on every way out of this function.
    platform::CallScope scope = platform::emptyCallScope();
    fields.gpuName = platform::graphicsDeviceName(scope);
    fields.coreCount = std::to_string(processors);

    char* block = getNewBuffer(joinReport(fields));
    // The record is written only once nothing can fail any more, so a failed
    // call leaves it exactly as the host passed it.
    result->type = ES_TYPE_STRING;
    result->data = block;
    return ES_OK;
}

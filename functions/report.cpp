// Joins the four report fields.
#include "report.h"

std::string joinReport(const ProbeResults& fields) {
    std::string report;
    report.reserve(fields.cpuBrand.size() + fields.coreCount.size() + fields.gpuName.size() +
                   fields.memoryMB.size() + 3);
    report += fields.cpuBrand;
    report += ',';
    report += fields.coreCount;
    report += ',';
    report += fields.gpuName;
    report += ',';
    report += fields.memoryMB;
    return report;
}

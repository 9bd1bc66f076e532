// Sets what std::thread::hardware_concurrency() reports in this test binary.
#pragma once

namespace processor_count_lever {

// The count to report; negative: the machine's own.
extern int answer;

}  // namespace processor_count_lever

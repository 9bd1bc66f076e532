/* Stand-in SDK for the Mach-O structure check: a task's threads. */
#ifndef STANDIN_MACH_TASK_H
#define STANDIN_MACH_TASK_H

#include <mach/mach_init.h>

#ifdef __cplusplus
extern "C" {
#endif
kern_return_t task_threads(task_t task, thread_act_array_t *threads, mach_msg_type_number_t *count);
#ifdef __cplusplus
}
#endif

#endif

/* Stand-in SDK for the Mach-O structure check: the Mach types and the task
 * port that GoogleTest counts a process's threads with. */
#ifndef STANDIN_MACH_MACH_INIT_H
#define STANDIN_MACH_MACH_INIT_H

#include <stdint.h>

typedef unsigned int mach_port_t;
typedef mach_port_t task_t;
typedef mach_port_t thread_t;
typedef mach_port_t thread_act_t;
typedef thread_act_t *thread_act_array_t;
typedef unsigned int mach_msg_type_number_t;
typedef int kern_return_t;
typedef uintptr_t vm_address_t;
typedef uintptr_t vm_size_t;
#define KERN_SUCCESS 0

#ifdef __cplusplus
extern "C" {
#endif
extern mach_port_t mach_task_self_;
#ifdef __cplusplus
}
#endif
#define mach_task_self() mach_task_self_

#endif

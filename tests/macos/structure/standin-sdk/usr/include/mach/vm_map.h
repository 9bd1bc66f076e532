/* Stand-in SDK for the Mach-O structure check: giving memory back to a task. */
#ifndef STANDIN_MACH_VM_MAP_H
#define STANDIN_MACH_VM_MAP_H

#include <mach/mach_init.h>

#ifdef __cplusplus
extern "C" {
#endif
kern_return_t vm_deallocate(task_t task, vm_address_t address, vm_size_t size);
#ifdef __cplusplus
}
#endif

#endif

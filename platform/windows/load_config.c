/* The image's load configuration, for C runtimes that have none: what tells
   Windows' loader that the image is compiled for Control Flow Guard, where its
   table of valid call targets lies, and where the two guard pointers are that
   the loader points at its own check. Laid out as IMAGE_LOAD_CONFIG_DIRECTORY64
   in Microsoft's PE format documentation ("The Load Configuration Structure
   (Image Only)"), up to GuardLongJumpTargetCount; x64 and ARM64 share it. The
   tables, their counts and the flags are lld's symbols, written by the
   -guard:cf link. */
#include <windows.h>

#include <stddef.h>
#include <stdint.h>

typedef struct {
    uint32_t size;
    uint32_t timeDateStamp;
    uint16_t majorVersion;
    uint16_t minorVersion;
    uint32_t globalFlagsClear;
    uint32_t globalFlagsSet;
    uint32_t criticalSectionDefaultTimeout;
    uint64_t deCommitFreeBlockThreshold;
    uint64_t deCommitTotalFreeThreshold;
    uint64_t lockPrefixTable;
    uint64_t maximumAllocationSize;
    uint64_t virtualMemoryThreshold;
    uint64_t processAffinityMask;
    uint32_t processHeapFlags;
    uint16_t csdVersion;
    uint16_t dependentLoadFlags;
    uint64_t editList;
    const void* securityCookie;
    uint64_t seHandlerTable;
    uint64_t seHandlerCount;
    const void* guardCFCheckFunctionPointer;
    const void* guardCFDispatchFunctionPointer;
    const void* guardCFFunctionTable;
    const void* guardCFFunctionCount;
    /* GuardFlags (32 bits), then CodeIntegrity's Flags and Catalog (16 bits
       each), all zero but the flags: a symbol's value can be written in 64
       bits only, so the flags' word spans the code integrity's first two
       fields. */
    const void* guardFlags;
    uint32_t codeIntegrityCatalogOffset;
    uint32_t codeIntegrityReserved;
    const void* guardAddressTakenIatEntryTable;
    const void* guardAddressTakenIatEntryCount;
    const void* guardLongJumpTargetTable;
    const void* guardLongJumpTargetCount;
} LoadConfiguration;

/* The fields mingw-w64's headers know lie where theirs do. */
_Static_assert(offsetof(LoadConfiguration, seHandlerCount) ==
                   offsetof(IMAGE_LOAD_CONFIG_DIRECTORY64, SEHandlerCount),
               "load configuration layout");
_Static_assert(offsetof(LoadConfiguration, guardFlags) == 144, "GuardFlags at 144");
_Static_assert(sizeof(LoadConfiguration) == 192, "up to GuardLongJumpTargetCount");

extern const char __guard_fids_table[], __guard_fids_count[], __guard_flags[];
extern const char __guard_iat_table[], __guard_iat_count[];
extern const char __guard_longjmp_table[], __guard_longjmp_count[];
extern void (*const __guard_check_icall_fptr)(void);
/* x64 code calls its targets through the dispatch pointer; ARM64 code checks
   and calls them itself, and has none. */
extern void (*const __guard_dispatch_icall_fptr)(void) __attribute__((weak));

const LoadConfiguration _load_config_used = {
    .size = sizeof(LoadConfiguration),
    .guardCFCheckFunctionPointer = &__guard_check_icall_fptr,
    .guardCFDispatchFunctionPointer = &__guard_dispatch_icall_fptr,
    .guardCFFunctionTable = __guard_fids_table,
    .guardCFFunctionCount = __guard_fids_count,
    .guardFlags = __guard_flags,
    .guardAddressTakenIatEntryTable = __guard_iat_table,
    .guardAddressTakenIatEntryCount = __guard_iat_count,
    .guardLongJumpTargetTable = __guard_longjmp_table,
    .guardLongJumpTargetCount = __guard_longjmp_count,
};

/* The library's whole boundary with the script host: six plain C entry points,
 * the value record they exchange, and the return codes. Plain C so that any
 * host (and tests/c_header_check.c) can include it. */
#ifndef SCRIPT_INTERFACE_H
#define SCRIPT_INTERFACE_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  if defined(SCRIPT_INTERFACE_BUILDING)
#    define ES_EXPORT __declspec(dllexport)
#  else
#    define ES_EXPORT __declspec(dllimport)
#  endif
#else
#  define ES_EXPORT __attribute__((visibility("default")))
#endif

/* The host's tagged value record. The library reads and writes only these two
 * fields: `data` at offset 0 and `type` at offset 8. `type` is the platform
 * `long`: 32 bits on Windows x64 (bytes 12 to 15 are never touched), 64 bits
 * on macOS and Linux. The host may place further fields after `type`; the
 * library never touches them and never copies a record as a whole. */
typedef struct ScriptValue {
    void *data;
    long type;
} ScriptValue;

/* Type code of a text: `data` points to a NUL-terminated 8-bit text. */
#define ES_TYPE_STRING 4L

/* Return codes of the script functions. */
#define ES_OK 0L
/* Wrong argument count or type; the result record is left untouched. */
#define ES_BAD_ARGUMENTS 20L
/* The heap could not supply a working string or the result block. The result
 * record is left untouched, nothing the call allocated is kept, and no
 * exception leaves the library. */
#define ES_OUT_OF_MEMORY 8L

/* Returns the same static function-list text on every call; the argument is
 * never read. The text lives as long as the library and is never freed. */
ES_EXPORT char *ESInitialize(void *hostData);

/* Does nothing: the library keeps no state between calls. */
ES_EXPORT void ESTerminate(void);

/* Always 1, at any time. */
ES_EXPORT long ESGetVersion(void);

/* Releases a result text block handed out by getSpecs or sample.
 * A null pointer is ignored. */
ES_EXPORT void ESFreeMem(void *block);

/* With no arguments: stores in `result` (type 4) a new text block
 * "cpu brand,logical processors,gpu name,memory MiB" and returns 0.
 * Any argument: returns 20. The caller gives the block back through ESFreeMem.
 *
 * Fields the platform cannot supply:
 *  - no graphics name (no display, no OpenGL, no Metal device, no name): the
 *    third field is empty and the call still returns 0;
 *  - the memory query fails: the last field is 0 (never an uninitialised
 *    value).
 * Overlapping calls from several threads are serialised inside the library
 * around the graphics probe, so every caller gets a full report. */
ES_EXPORT long getSpecs(ScriptValue *args, long count, ScriptValue *result);

/* With exactly one type-4 argument: stores in `result` (type 4) a new text
 * block holding the argument's text followed by ", edited by Tovarin" and
 * returns 0. The argument's text is only read. Any other count, another type,
 * or a type-4 argument whose `data` is null: returns 20 without reading
 * through the pointer. */
ES_EXPORT long sample(ScriptValue *args, long count, ScriptValue *result);

#ifdef __cplusplus
}
#endif

#endif /* SCRIPT_INTERFACE_H */

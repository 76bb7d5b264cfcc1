/* C interface of the xBase engine library (XBENGINE.DLL / libxbengine.so).
 *
 * The engine owns .DBF tables (with .DBT or .FPT memos), numbered work areas (from 1),
 * one process-wide current area chosen with xb_Select, aliases, records and
 * locks. Texts are zero-terminated 8-bit strings in the ANSI code page; flags
 * are -1 (true) and 0 (false); a nonzero flag result means true. Texts that a
 * function returns belong to the engine and stay valid until the next call of
 * that function, except xb_GetMemo's, which the caller frees with
 * xb_MemDealloc. Per-table calls act on the current area. The engine never
 * shows anything to anyone. One thread at a time. */
#ifndef CRATEMARK_ENGINE_XBENGINE_H_
#define CRATEMARK_ENGINE_XBENGINE_H_

#include <stdint.h>

#if defined(_WIN32)
#if defined(XBENGINE_BUILD)
#define XB_API __declspec(dllexport)
#else
#define XB_API __declspec(dllimport)
#endif
#else
#define XB_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One function a line, its note in one column. */
/* clang-format off */

/* Open modes of xb_UseEx. Table types (xb_UseEx, xb_CreateNew): 2 (FoxPro)
 * and 3 keep memos in an .FPT file, 1 and 4 in a .DBT file; an existing
 * table's version byte overrides this when it names a format. */
#define XB_OPEN_SHARED 0
#define XB_OPEN_READONLY 1
#define XB_OPEN_EXCLUSIVE 2

/* Work areas and tables. */
XB_API int16_t xb_WorkArea(const char* alias);           /* area of alias, 0 if none */
XB_API int16_t xb_UseEx(const char* path, const char* alias, int16_t open_mode,
                        int16_t table_type, int16_t commit_level); /* new area, < 1 failed */
XB_API int16_t xb_Select(int16_t area);                  /* previous current area */
XB_API const char* xb_Alias(int16_t area);               /* "" when not in use */
XB_API int16_t xb_Close(void);                           /* closes current area, drops its locks */
XB_API const char* xb_LastError(void);                   /* why the last xb_UseEx or call by field name failed; "" if not */

/* Structure of the current table. A call by field name answers nothing (0 or
 * "") for a name that no field or more than one field has; xb_LastError says
 * which. */
XB_API int16_t xb_FieldCount(void);
XB_API int32_t xb_RecSize(void);                         /* raw record bytes, marker included */
XB_API const char* xb_FieldName(int16_t number);         /* from 1 */
XB_API const char* xb_FieldType(const char* name);       /* "C", "N", "L", "D", "M", ... */
XB_API int16_t xb_FieldOffset(const char* name);         /* position from 1, marker at 1 */
XB_API int16_t xb_FieldWidth(const char* name);
XB_API int16_t xb_FieldDecimals(const char* name);
XB_API int16_t xb_IsEncrypted(int16_t reserved);
XB_API const char* xb_IndexCondition(void);              /* "" (no index orders) */

/* Creating a table: CreateNew, one CreateField per field, CreateExec. */
XB_API int16_t xb_CreateNew(const char* path, const char* alias, int16_t table_type,
                            int16_t field_count);          /* area, negative on failure */
XB_API int16_t xb_CreateField(const char* name, const char* type, int16_t width,
                              int16_t decimals);
XB_API int16_t xb_CreateExec(void);                      /* writes the file, opens it */

/* Records. */
XB_API int32_t xb_RecCount(void);
XB_API int32_t xb_RecNo(void);
XB_API int32_t xb_GoTop(void);
XB_API int32_t xb_GoBottom(void);
XB_API int32_t xb_Skip(int32_t count);
XB_API int32_t xb_Go(int32_t record);
XB_API int16_t xb_Eof(void);
XB_API int16_t xb_Bof(void);
XB_API int16_t xb_Deleted(void);
XB_API int16_t xb_Delete(void);
XB_API int16_t xb_GetRecord(char* buffer);               /* xb_RecSize bytes */
XB_API int16_t xb_PutRecord(const char* buffer);
XB_API int32_t xb_AppendBlank(void);
XB_API int16_t xb_Commit(void);
XB_API int32_t xb_Count(void);
XB_API int32_t xb_QueryRecCount(void);
XB_API double xb_OrderPosGet(void);

/* Memos. */
XB_API int16_t xb_Replace(const char* field, int16_t kind, const char* text); /* kind 3072: memo text */
XB_API char* xb_GetMemo(const char* field, int16_t reserved);
XB_API void xb_MemDealloc(char* text);
XB_API int32_t xb_GetBlobLength(const char* field);
XB_API int32_t xb_GetBlob(const char* field, void* buffer, int32_t length);
XB_API int32_t xb_PutBlob(const char* field, const void* data, int32_t size);

/* Locks: one attempt each, never waiting. */
XB_API int16_t xb_Flock(void);
XB_API int16_t xb_Rlock(int32_t record);
XB_API int16_t xb_Unlock(int32_t record);                /* 0: every lock of the area */

/* Settings. */
XB_API int16_t xb_ErrorLevel(int16_t level);             /* previous level */
XB_API int32_t xb_SetErrorFunc(void* function, int32_t data);
XB_API int32_t xb_SysProp(int16_t item, int32_t data);
XB_API void xb_SetStringType(int16_t type);
XB_API void xb_SetTurboRead(int16_t flag);
XB_API void xb_SetTranslate(int16_t flag);
XB_API void xb_SetPassword(const char* password);
XB_API void xb_SetEpoch(int16_t year);
XB_API void xb_SetDeleted(int16_t flag);
XB_API void xb_SetCentury(int16_t flag);
XB_API void xb_SetMemoBlockSize(uint16_t size);
XB_API void xb_SetDateFormat(int16_t format);
XB_API void xb_SetSoftSeek(int16_t flag);
XB_API void xb_SetExact(int16_t flag);
XB_API void xb_SetLockTimeout(int16_t seconds);

/* clang-format on */

#ifdef __cplusplus
}
#endif

#endif /* CRATEMARK_ENGINE_XBENGINE_H_ */

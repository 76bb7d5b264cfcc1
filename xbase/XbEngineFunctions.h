// The engine's functions as one table, so that the interface, the loaded
// library, the recorder and test doubles cannot drift apart from each other
// or from engine/xbengine.h.
//
// XB_ENGINE_FUNCTIONS(X) calls X(result, name, parameters, arguments) once
// per function, in the order of engine/xbengine.h.
#pragma once

#include <cstdint>

#define XB_ENGINE_FUNCTIONS(X)                                                                     \
  X(int16_t, xb_WorkArea, (const char* alias), (alias))                                            \
  X(int16_t, xb_UseEx,                                                                             \
    (const char* path, const char* alias, int16_t open_mode, int16_t table_type,                   \
     int16_t commit_level),                                                                        \
    (path, alias, open_mode, table_type, commit_level))                                            \
  X(int16_t, xb_Select, (int16_t area), (area))                                                    \
  X(const char*, xb_Alias, (int16_t area), (area))                                                 \
  X(int16_t, xb_Close, (), ())                                                                     \
  X(const char*, xb_LastError, (), ())                                                             \
  X(int16_t, xb_FieldCount, (), ())                                                                \
  X(int32_t, xb_RecSize, (), ())                                                                   \
  X(const char*, xb_FieldName, (int16_t number), (number))                                         \
  X(const char*, xb_FieldType, (const char* name), (name))                                         \
  X(int16_t, xb_FieldOffset, (const char* name), (name))                                           \
  X(int16_t, xb_FieldWidth, (const char* name), (name))                                            \
  X(int16_t, xb_FieldDecimals, (const char* name), (name))                                         \
  X(int16_t, xb_IsEncrypted, (int16_t reserved), (reserved))                                       \
  X(const char*, xb_IndexCondition, (), ())                                                        \
  X(int16_t, xb_CreateNew,                                                                         \
    (const char* path, const char* alias, int16_t table_type, int16_t field_count),                \
    (path, alias, table_type, field_count))                                                        \
  X(int16_t, xb_CreateField,                                                                       \
    (const char* name, const char* type, int16_t width, int16_t decimals),                         \
    (name, type, width, decimals))                                                                 \
  X(int16_t, xb_CreateExec, (), ())                                                                \
  X(int32_t, xb_RecCount, (), ())                                                                  \
  X(int32_t, xb_RecNo, (), ())                                                                     \
  X(int32_t, xb_GoTop, (), ())                                                                     \
  X(int32_t, xb_GoBottom, (), ())                                                                  \
  X(int32_t, xb_Skip, (int32_t count), (count))                                                    \
  X(int32_t, xb_Go, (int32_t record), (record))                                                    \
  X(int16_t, xb_Eof, (), ())                                                                       \
  X(int16_t, xb_Bof, (), ())                                                                       \
  X(int16_t, xb_Deleted, (), ())                                                                   \
  X(int16_t, xb_Delete, (), ())                                                                    \
  X(int16_t, xb_GetRecord, (char* buffer), (buffer))                                               \
  X(int16_t, xb_PutRecord, (const char* buffer), (buffer))                                         \
  X(int32_t, xb_AppendBlank, (), ())                                                               \
  X(int16_t, xb_Commit, (), ())                                                                    \
  X(int32_t, xb_Count, (), ())                                                                     \
  X(int32_t, xb_QueryRecCount, (), ())                                                             \
  X(double, xb_OrderPosGet, (), ())                                                                \
  X(int16_t, xb_Replace, (const char* field, int16_t kind, const char* text), (field, kind, text)) \
  X(char*, xb_GetMemo, (const char* field, int16_t reserved), (field, reserved))                   \
  X(void, xb_MemDealloc, (char* text), (text))                                                     \
  X(int32_t, xb_GetBlobLength, (const char* field), (field))                                       \
  X(int32_t, xb_GetBlob, (const char* field, void* buffer, int32_t length),                        \
    (field, buffer, length))                                                                       \
  X(int32_t, xb_PutBlob, (const char* field, const void* data, int32_t size), (field, data, size)) \
  X(int16_t, xb_Flock, (), ())                                                                     \
  X(int16_t, xb_Rlock, (int32_t record), (record))                                                 \
  X(int16_t, xb_Unlock, (int32_t record), (record))                                                \
  X(int16_t, xb_ErrorLevel, (int16_t level), (level))                                              \
  X(int32_t, xb_SetErrorFunc, (void* function, int32_t data), (function, data))                    \
  X(int32_t, xb_SysProp, (int16_t item, int32_t data), (item, data))                               \
  X(void, xb_SetStringType, (int16_t type), (type))                                                \
  X(void, xb_SetTurboRead, (int16_t flag), (flag))                                                 \
  X(void, xb_SetTranslate, (int16_t flag), (flag))                                                 \
  X(void, xb_SetPassword, (const char* password), (password))                                      \
  X(void, xb_SetEpoch, (int16_t year), (year))                                                     \
  X(void, xb_SetDeleted, (int16_t flag), (flag))                                                   \
  X(void, xb_SetCentury, (int16_t flag), (flag))                                                   \
  X(void, xb_SetMemoBlockSize, (uint16_t size), (size))                                            \
  X(void, xb_SetDateFormat, (int16_t format), (format))                                            \
  X(void, xb_SetSoftSeek, (int16_t flag), (flag))                                                  \
  X(void, xb_SetExact, (int16_t flag), (flag))                                                     \
  X(void, xb_SetLockTimeout, (int16_t seconds), (seconds))

#include <type_traits>

namespace cratemark {

// What an engine function answers when it has nothing to say: zero, or ""
// for texts.
template <typename Result>
Result XbZero() {
  if constexpr (std::is_same_v<Result, const char*>) {
    return "";
  } else {
    return Result();
  }
}

}  // namespace cratemark

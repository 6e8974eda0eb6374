#pragma once
/* The store's entry points for libraries the utility loads: plain C, exported by the program
 * itself, so that such a library works on the very store and transaction the program holds open
 * instead of a copy of its own. Strings are UTF-16, ended by a zero; status codes, value types and
 * the handle's meaning are the store's (Win32 registry numbers). A library receives handles from
 * the program and closes only the handles it opened itself. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TalvenKeyObject* TALVEN_HKEY;

/* Opens (or creates) the subkey below parent for reading and writing. */
int32_t TalvenRegCreateKey(TALVEN_HKEY parent, const char16_t* subKey, TALVEN_HKEY* result);
/* Opens an existing subkey for reading. */
int32_t TalvenRegOpenKey(TALVEN_HKEY parent, const char16_t* subKey, TALVEN_HKEY* result);
int32_t TalvenRegCloseKey(TALVEN_HKEY key);
/* Stores size bytes of data as the named value (an empty name is the key's default value). */
int32_t TalvenRegSetValue(TALVEN_HKEY key, const char16_t* name, uint32_t type, const uint8_t* data, uint32_t size);
/* With data null, *size receives the value's size; with a buffer too small, 234 (more data). */
int32_t TalvenRegQueryValue(TALVEN_HKEY key, const char16_t* name, uint32_t* type, uint8_t* data, uint32_t* size);
/* The name of the index-th subkey into a buffer of *units UTF-16 units; *units receives its length
 * without the zero. 259 when there is no such subkey, 234 when the buffer is too small. */
int32_t TalvenRegEnumKey(TALVEN_HKEY key, uint32_t index, char16_t* name, uint32_t* units);
/* Deletes the subkey with everything below it. */
int32_t TalvenRegDeleteTree(TALVEN_HKEY parent, const char16_t* subKey);

#ifdef __cplusplus
}
#endif

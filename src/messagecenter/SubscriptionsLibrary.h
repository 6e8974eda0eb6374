#pragma once
/* What a subscriptions library exports for the Import dialog's first choice (docs/feed-import.md):
 * given the open working-copy key, it writes one subkey per feed, named by the feed's name, with
 * "xmlUrl" (REG_SZ, not empty), "htmlUrl" (REG_SZ) and "Enable" (REG_DWORD), through the store
 * functions the program exports, and returns not 0 when it wrote its feeds. The value that
 * reserved points to is 0 and means nothing to the program. */

#include "registry/StoreExports.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t (*RssImportFeedsFromIEProc)(TALVEN_HKEY workingCopy, uint32_t* reserved);

#ifdef __cplusplus
}
#endif

// A stand-in subscriptions library: writes three feeds through the program's store functions.
// QSRSSHLP_TEST=refuse writes one feed and then reports failure; built without its export
// (QSRSSHLP_NO_EXPORT) it exports nothing the program looks for.

#include "messagecenter/SubscriptionsLibrary.h"

#include <cstdlib>
#include <cstring>
#include <string>

#ifndef QSRSSHLP_NO_EXPORT
namespace {

void SetString(TALVEN_HKEY key, const char16_t* name, const char16_t* text)
{
    const uint32_t size = uint32_t((std::char_traits<char16_t>::length(text) + 1) * sizeof(char16_t));
    TalvenRegSetValue(key, name, 1, reinterpret_cast<const uint8_t*>(text), size);
}

bool WriteFeed(TALVEN_HKEY copy, const char16_t* name, const char16_t* url, const uint32_t* enable)
{
    TALVEN_HKEY key = nullptr;
    if (TalvenRegCreateKey(copy, name, &key) != 0)
        return false;
    SetString(key, u"xmlUrl", url);
    SetString(key, u"htmlUrl", u"");
    if (enable)
        TalvenRegSetValue(key, u"Enable", 4, reinterpret_cast<const uint8_t*>(enable), sizeof *enable);
    TalvenRegCloseKey(key);
    return true;
}

} // namespace

extern "C" __attribute__((visibility("default"))) uint32_t RssImportFeedsFromIE(TALVEN_HKEY workingCopy, uint32_t* reserved)
{
    if (!reserved || *reserved != 0)
        return 0;
    const uint32_t on = 1;
    const uint32_t off = 0;
    const char* mode = std::getenv("QSRSSHLP_TEST");
    if (mode && std::strcmp(mode, "refuse") == 0) {
        WriteFeed(workingCopy, u"Refused", u"https://refused.example/rss", &on);
        return 0;
    }
    return WriteFeed(workingCopy, u"Browser on", u"https://browser.example/on.xml", &on) &&
           WriteFeed(workingCopy, u"Browser off", u"https://browser.example/off.xml", &off) &&
           WriteFeed(workingCopy, u"Browser unset", u"https://browser.example/unset.xml", nullptr);
}
#endif

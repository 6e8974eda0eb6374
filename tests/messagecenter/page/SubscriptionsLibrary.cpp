// A stand-in subscriptions library: writes three feeds through the program's store functions
// (the last without "Enable"), or with QSRSSHLP_TEST=refuse one feed and then reports failure; it
// also tries to close the key it was given, which the program refuses.
// Built with QSRSSHLP_NO_EXPORT it exports nothing the program looks for.

#include "messagecenter/SubscriptionsLibrary.h"

#include <cstdlib>
#include <string>

#ifndef QSRSSHLP_NO_EXPORT
extern "C" __attribute__((visibility("default"))) uint32_t RssImportFeedsFromIE(TALVEN_HKEY copy, uint32_t* reserved)
{
    const bool refuse = std::getenv("QSRSSHLP_TEST") && std::string(std::getenv("QSRSSHLP_TEST")) == "refuse";
    const std::u16string names[] = {u"Browser on", u"Browser off", u"Browser unset"};
    for (uint32_t n = 0; n < (refuse ? 1 : 3) && reserved && *reserved == 0; ++n) {
        TALVEN_HKEY key = nullptr;
        const std::u16string url = u"https://browser.example/" + names[n];
        if (TalvenRegCreateKey(copy, names[n].c_str(), &key) != 0)
            return 0;
        TalvenRegSetValue(key, u"xmlUrl", 1, reinterpret_cast<const uint8_t*>(url.c_str()), uint32_t(url.size() + 1) * 2);
        TalvenRegSetValue(key, u"htmlUrl", 1, reinterpret_cast<const uint8_t*>(u""), 2);
        const uint32_t enable = n == 0;
        if (n < 2)
            TalvenRegSetValue(key, u"Enable", 4, reinterpret_cast<const uint8_t*>(&enable), 4);
        TalvenRegCloseKey(key);
    }
    // The key it was given is the program's to close.
    return !refuse && TalvenRegCloseKey(copy) == 6;
}
#endif

// Saves the two lists in turn, for ever, into the store that TALVEN_HKCU names; the killed-save
// test kills it at random moments.

#include "SaveLists.h"

int main()
{
    const QList<ql::ListEntry> lists[2] = {SaveList(0), SaveList(1)};
    for (unsigned n = 0;; ++n)
        (void)ql::SaveItemList(lists[n % 2]);
}

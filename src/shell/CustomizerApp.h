#pragma once
// The application object: the whole life of the utility is InitInstance, which guards against a
// second copy, honours the policy that forbids the utility (and stays closed, saying why, when
// the machine's settings cannot be read), loads the language library, runs the sheet modally and
// tells the running client when settings changed.

#include "shell/CustomizerWnd.h"

class CCustomizerApp {
public:
    CCustomizerApp();

    // Always false: the process ends right after it returns.
    bool InitInstance();

    // The sheet's result of the last run: 1 (OK), 2 (Cancel), or 0 when no sheet ran.
    int LastSheetResult() const { return m_lastResult; }

private:
    // The control window, the sheet and the client's notification.
    void RunSheet();

    CCustomizerWnd m_wnd;
    int m_lastResult = 0;
};

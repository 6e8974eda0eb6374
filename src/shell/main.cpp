#include "shell/CustomizerApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The utility reads no command-line options, not even the toolkit's own.
    int toolkitArgc = argc > 0 ? 1 : 0;
    QApplication application(toolkitArgc, argv);
    CCustomizerApp customizer;
    customizer.InitInstance();
    return 0;
}

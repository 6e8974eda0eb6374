#pragma once
// One function that may drive the button light: a subkey of the light root, which this program
// reads and rewrites but never creates.

#include "registry/RegTypes.h"

#include <QString>
#include <QStringList>

struct IndicationItem {
    QString KeyName;
    QString ProgramName;
    QString SettingProgramPath;
    QString SettingProgramParameters;
    reg::DWORD EnableFunction = 0;
    reg::DWORD BlinkLevel = 0;
    // The values that were stored but could not be read (an error of the store, a text longer
    // than its buffer): the save leaves them as they are.
    QStringList KeptValues;
};

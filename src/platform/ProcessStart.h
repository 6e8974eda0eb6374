#pragma once
// Starting another program (the "open" verb on a program file): detached, with an argument list
// and never through a shell. The result is only whether the start was attempted successfully.

#include <QString>
#include <QStringList>

namespace platform {

bool StartProgram(const QString& program, const QStringList& arguments, const QString& workingFolder);

} // namespace platform

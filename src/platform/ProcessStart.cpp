#include "ProcessStart.h"

#include "trace/Trace.h"

#include <QProcess>

namespace platform {

bool StartProgram(const QString& program, const QStringList& arguments,
                  const QString& workingFolder)
{
    // The argument list goes to the program as it is: no shell ever sees it.
    const bool started = QProcess::startDetached(program, arguments, workingFolder);
    if (!started)
        TRACE("StartProgram: %s did not start", qPrintable(program));
    return started;
}

} // namespace platform

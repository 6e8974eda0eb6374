#include "trace/Trace.h"

#include <cstdarg>

Q_LOGGING_CATEGORY(lcTrace, "qscust.trace", QtInfoMsg)

void Trace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const QString line = QString::vasprintf(format, args);
    va_end(args);
    qCDebug(lcTrace).noquote() << line;
}

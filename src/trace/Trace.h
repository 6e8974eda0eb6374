#pragma once
// Diagnostic trace lines. They go to the logging category "qscust.trace", which is off unless
// enabled (QT_LOGGING_RULES="qscust.trace.debug=true"); the utility writes no log of its own.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcTrace)

void Trace(const char* format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

// Formats nothing unless the category is on.
#define TRACE(...)                                  \
    do {                                            \
        if (lcTrace().isDebugEnabled())             \
            Trace(__VA_ARGS__);                     \
    } while (false)

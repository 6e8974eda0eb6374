#pragma once
// Applies a .reg file to the store: the whole file is read first, then each root's changes are
// written in one transaction, so a root gets all of the file's good lines or none of them.

#include "RegFileReader.h"

namespace reg {

struct ImportResult {
    bool refused = false;           // bad header: nothing was written
    int applied = 0;                // operations written
    QVector<RegFileError> errors;   // lines skipped, and roots that could not be written (line 0)
    bool ok() const { return !refused && errors.isEmpty(); }
};

ImportResult ImportRegFile(const QByteArray& bytes);

} // namespace reg

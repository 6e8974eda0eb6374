#pragma once
// Applies a .reg file to the store: the whole file is read first, then each root's changes are
// written in one transaction, so a root gets all of the file's good lines or none of them.

#include "RegFileReader.h"

namespace reg {

struct ImportResult {
    RegFileContents::Header header = RegFileContents::Header::Refused; // not Read: nothing was written
    int applied = 0;                // operations written
    bool rootFailed = false;        // a root could not be written
    QVector<RegFileError> errors;   // the header's, lines skipped, roots not written (line 0)
    bool ok() const { return header == RegFileContents::Header::Read && errors.isEmpty(); }
    // As with the registry editor, skipped lines and a header of another form are no failure; a
    // file that is not a registry file and a root left unchanged are.
    bool failed() const { return header == RegFileContents::Header::Refused || rootFailed; }
};

ImportResult ImportRegFile(const QByteArray& bytes);

} // namespace reg

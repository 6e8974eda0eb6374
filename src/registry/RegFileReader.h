#pragma once
// Reads the text of a .reg file (the Windows registry editor's format) into a list of operations.
// Nothing touches the store here: applying the operations is RegFileImport's job, so a file is
// parsed whole before anything is written.

#include "RegTypes.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace reg {

struct RegFileOp {
    enum Kind { CreateKey, DeleteTree, SetValue, DeleteValue };
    Kind kind = CreateKey;
    Root root = Root::CurrentUser;
    QString path;       // below the root, components separated by '\'
    QString name;       // value name; empty for the unnamed value
    DWORD type = REG_NONE;
    QByteArray data;    // exact bytes to store (SetValue only)
    int line = 0;       // 1-based line of the key line or value line
};

struct RegFileError {
    int line = 0;       // 1-based; 0 for the header
    QString message;
};

struct RegFileContents {
    bool headerOk = false;   // false: the file is refused whole and ops is empty
    QVector<RegFileOp> ops;
    QVector<RegFileError> errors;
};

RegFileContents ParseRegFile(const QByteArray& bytes);

} // namespace reg

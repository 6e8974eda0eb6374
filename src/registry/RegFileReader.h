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
    // Refused: not a registry file. Ignored: a first line of another REGEDIT form, whose content
    // is not read. Either way ops is empty and errors holds one line-0 entry saying why.
    enum class Header { Refused, Ignored, Read };
    Header header = Header::Refused;
    QVector<RegFileOp> ops;
    QVector<RegFileError> errors;
};

RegFileContents ParseRegFile(const QByteArray& bytes);

} // namespace reg

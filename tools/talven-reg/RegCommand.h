#pragma once
// The talven-reg command: query, add, delete, import and export the store from the command line,
// in the manner of the Windows "reg" command. Kept apart from main() so tests can run it in-process.

#include <QStringList>
#include <QTextStream>

// args are the words after the program name. Returns the exit status: 0 success, 1 failure.
// Questions (overwrite, delete) are asked on `in`; an answer other than yes cancels.
int RunRegCommand(const QStringList& args, QTextStream& out, QTextStream& err, QTextStream& in);

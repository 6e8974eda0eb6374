#pragma once
// Path handling of the Quick Link editor: what a command line names on disk, so that the file
// dialog can start on it.

#include <QString>

namespace ql {

// A scheme of two characters or more (a letter, then letters, digits, '+', '-' or '.') and a
// colon; a drive letter ("C:\x") is too short to be one.
bool PathIsURL(const QString& text);

// %NAME% becomes the value of that environment variable; unknown names and a lone '%' stay as
// written. "" when the result would be longer than a path may be.
QString ExpandEnvironmentStrings(const QString& text);

// The text before the first blank outside double quotes, without trailing blanks.
QString PathRemoveArgs(const QString& text);

// The file or folder a command line starts, "" for a URL or a path that names nothing.
QString CheckFilePath(const QString& fileUrlText);

// Where the file dialog opens when the command names nothing.
QString ProgramFilesFolder();

} // namespace ql

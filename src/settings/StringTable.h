#pragma once
// The program's texts, addressed by number as resources: the string table and the texts of the
// dialog templates. A loaded language library answers first; the built-in English table is the
// program's own resources.

#include "settings/ResourceIds.h"

#include <QString>

#include <vector>

class QTranslator;

namespace res {

// The string, "" when the id is not in the table.
QString LoadResString(unsigned id);
// A control's text in a dialog template, "" when the template has none.
QString LoadDialogText(unsigned dialogId, int controlId);

// Texts are taken from this translator first while it is set; nullptr returns to the program's
// own texts. The caller keeps the translator alive.
void SetLanguageLibrary(const QTranslator* library);

// Translator contexts and source keys under which language libraries hold the texts.
inline constexpr const char* kStringContext = "strings";
QByteArray DialogContext(unsigned dialogId);

struct BuiltInText {
    QByteArray context;
    QByteArray key;
    QString text;
};
// Every built-in text, for checking translation files.
std::vector<BuiltInText> BuiltInTexts();

} // namespace res

#pragma once
// The language resource library: a translation file named "QSCustR.dll" in a folder beside the
// program named after the user's UI language ("GR", "TC", ...), with "US" as the second choice.

#include "platform/UiLanguage.h"

#include <QString>

#include <memory>

class QTranslator;

namespace app {

inline const QString kLanguageLibraryName = QStringLiteral("QSCustR.dll");

// The library from "<directory>/<folder code>/<file name>", else from "<directory>/US/<file
// name>"; nullptr when neither loads.
std::unique_ptr<QTranslator> LoadLanguageDll(platform::LANGID language, const QString& directory,
                                             const QString& fileName);

} // namespace app

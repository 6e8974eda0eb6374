#include "settings/LanguageLibrary.h"

#include "trace/Trace.h"

#include <QFile>
#include <QTranslator>

namespace app {
namespace {

// Loads exactly the named file: QTranslator::load(path) would also try other names derived from
// it. The translator reads from the bytes, so they live as long as it does.
class LanguageLibrary : public QTranslator {
public:
    bool open(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        m_data = file.readAll();
        return load(reinterpret_cast<const uchar*>(m_data.constData()), int(m_data.size()));
    }

private:
    QByteArray m_data;
};

std::unique_ptr<QTranslator> LoadFrom(const QString& path)
{
    auto library = std::make_unique<LanguageLibrary>();
    if (!library->open(path))
        return nullptr;
    TRACE("LoadLanguageDll: %s", qPrintable(path));
    return library;
}

} // namespace

std::unique_ptr<QTranslator> LoadLanguageDll(platform::LANGID language, const QString& directory,
                                             const QString& fileName)
{
    const QString pattern = QStringLiteral("%1/%2/%3");
    if (auto library = LoadFrom(pattern.arg(directory, platform::LanguageFolderCode(language), fileName)))
        return library;
    return LoadFrom(pattern.arg(directory, QStringLiteral("US"), fileName));
}

} // namespace app

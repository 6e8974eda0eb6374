#include "appearance/ImageFile.h"

#include <QFileInfo>

namespace scheme {

bool PassesImageTest(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    const QString element = path.section(u'/', -1);
    const qsizetype dot = element.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QString extension = element.mid(dot);
    for (const char* kind : {"jpg", "png", "gif", "bmp"}) {
        if (extension.contains(QLatin1String(kind), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool IsExistingFile(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

} // namespace scheme

#include "messagecenter/RssFeed.h"

#include "registry/RegKeyName.h"

#include <QUrl>

#include <algorithm>

namespace mc {

namespace {

bool HasControlOrSpace(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; });
}

} // namespace

bool IsFeedUrl(const QString& text)
{
    if (text.isEmpty() || text.size() > kMaxStoredUrl || HasControlOrSpace(text))
        return false;
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid())
        return false;
    if (scheme == u"file")
        return !url.path().isEmpty();
    if (scheme == u"feed")
        return !url.toString(QUrl::RemoveScheme).isEmpty();
    return (scheme == u"http" || scheme == u"https" || scheme == u"ftp") && !url.host().isEmpty();
}

QString LoadAddress(const QString& xmlUrl)
{
    if (!xmlUrl.startsWith(QLatin1String("feed:"), Qt::CaseInsensitive))
        return xmlUrl;
    const QString rest = xmlUrl.mid(5);
    if (rest.startsWith(QLatin1String("//")))
        return QStringLiteral("http:") + rest;
    return rest;
}

bool FeedNameFits(const QString& name)
{
    // The store refuses a key name with a control character: it would become lines of an export.
    return !name.isEmpty() && name.size() <= reg::kMaxKeyNameUnits && !name.contains(QLatin1Char('\\')) &&
           !reg::HasControlCharacter(name);
}

} // namespace mc

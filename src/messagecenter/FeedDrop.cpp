#include "messagecenter/FeedDrop.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QStringDecoder>
#include <QUrl>

namespace mc {

namespace {

struct Link {
    QString url;
    QString title;
};

// "URL\ntitle": the first line is the link, the second its title.
Link LinkAndTitle(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    return {lines.value(0).trimmed(), lines.value(1).trimmed()};
}

// Firefox writes UTF-16 in the machine's byte order; a byte-order mark wins and is dropped.
QString FromUtf16(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf16);
    QString text = decoder.decode(bytes);
    return text.section(QChar(0), 0, 0);
}

// The value of key= in the section of an ini-style link file.
QString IniValue(const QString& text, QLatin1String section, QLatin1String key)
{
    bool inSection = false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inSection = line.compare(QLatin1Char('[') + section + QLatin1Char(']'), Qt::CaseInsensitive) == 0;
        else if (inSection && line.startsWith(key + QLatin1Char('='), Qt::CaseInsensitive))
            return line.mid(key.size() + 1).trimmed();
    }
    return {};
}

// The link of a .url or .desktop file, titled by the file's name without its extension.
std::optional<Link> LinkFile(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    const QFileInfo info(url.toLocalFile());
    const QString suffix = info.suffix().toLower();
    if ((suffix != u"url" && suffix != u"desktop") || !info.isFile() || info.size() > kMaxLinkFileBytes)
        return std::nullopt;
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = QString::fromUtf8(file.read(kMaxLinkFileBytes));
    const QString link = suffix == u"url" ? IniValue(text, QLatin1String("InternetShortcut"), QLatin1String("URL"))
                                          : IniValue(text, QLatin1String("Desktop Entry"), QLatin1String("URL"));
    return Link{link, info.completeBaseName()};
}

// The first URL of a text/uri-list; a link file stands for the link it holds.
Link FromUriList(const QByteArray& bytes)
{
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        const QString entry = line.trimmed();
        if (entry.isEmpty() || entry.startsWith(QLatin1Char('#')))
            continue;
        if (std::optional<Link> file = LinkFile(QUrl(entry)))
            return *file;
        return {entry, {}};
    }
    return {};
}

Link DroppedLink(const QMimeData& data)
{
    if (data.hasFormat(QStringLiteral("text/x-moz-url")))
        return LinkAndTitle(FromUtf16(data.data(QStringLiteral("text/x-moz-url"))));
    if (data.hasFormat(QStringLiteral("_NETSCAPE_URL")))
        return LinkAndTitle(QString::fromUtf8(data.data(QStringLiteral("_NETSCAPE_URL"))));
    if (data.hasFormat(QStringLiteral("text/uri-list")))
        return FromUriList(data.data(QStringLiteral("text/uri-list")));
    if (data.hasText())
        return {data.text().section(QLatin1Char('\n'), 0, 0).trimmed(), {}};
    return {};
}

} // namespace

std::optional<RssFeed> FeedFromDrop(const QMimeData& data)
{
    const Link link = DroppedLink(data);
    if (!IsFeedUrl(link.url))
        return std::nullopt;
    RssFeed feed;
    feed.xmlUrl = link.url;
    const QString title = link.title.left(kMaxFeedText);
    feed.name = FeedNameFits(title) ? title : link.url.left(reg::kMaxKeyNameUnits);
    feed.Enable = 1;
    return feed;
}

} // namespace mc

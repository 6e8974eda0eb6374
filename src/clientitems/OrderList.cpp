#include "clientitems/OrderList.h"

#include <limits>

namespace ql {

QStringList ParseOrderList(const QString& list)
{
    QStringList entries;
    for (qsizetype pos = 0; pos < list.size(); pos += 5)
        entries.append(list.mid(pos, 4));
    return entries;
}

QString FormatOrderList(const QStringList& shown, const QStringList& hidden)
{
    QString list;
    for (const QString& id : shown)
        list += id + QLatin1Char(' ');
    list += kNotShownMarker + QLatin1Char(' ');
    for (const QString& id : hidden)
        list += id + QLatin1Char(' ');
    list.chop(1);
    return list;
}

int LeadingNumber(const QString& text)
{
    qsizetype pos = 0;
    while (pos < text.size() && text.at(pos).isSpace())
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text.at(pos) == u'-' || text.at(pos) == u'+'))
        negative = text.at(pos++) == u'-';
    qint64 value = 0;
    for (; pos < text.size() && text.at(pos) >= u'0' && text.at(pos) <= u'9'; ++pos) {
        value = value * 10 + (text.at(pos).unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(negative ? -value : value);
}

} // namespace ql

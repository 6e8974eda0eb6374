#include "clientitems/ClientItem.h"

namespace ql {

QString CutItemText(const QString& text) { return text.left(kMaxItemText); }

bool IsUserDefined(const ClientItem& item)
{
    return item.KeyPath.contains(QLatin1String("UserDefined"), Qt::CaseInsensitive);
}

QString FourDigits(int number)
{
    return number < 0 ? QStringLiteral("-%1").arg(-qint64(number), 4, 10, QLatin1Char('0'))
                      : QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
}

} // namespace ql

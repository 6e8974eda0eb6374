#include "quicklinks/FilePath.h"

#include "clientitems/ClientItem.h"

#include <QFileInfo>

namespace ql {
namespace {

constexpr qsizetype kMaxPath = 260;

bool IsAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsSchemeChar(QChar c)
{
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

} // namespace

bool PathIsURL(const QString& text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 2 || !IsAsciiLetter(text[0]))
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        if (!IsSchemeChar(text[i]))
            return false;
    }
    return true;
}

QString ExpandEnvironmentStrings(const QString& text)
{
    QString result;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(u'%', pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'%', open + 1);
        if (close < 0) {
            result += QStringView(text).mid(pos);
            break;
        }
        result += QStringView(text).mid(pos, open - pos);
        const QString name = text.mid(open + 1, close - open - 1);
        // An empty name is "%%", which no variable answers.
        if (!name.isEmpty() && qEnvironmentVariableIsSet(name.toLocal8Bit().constData()))
            result += qEnvironmentVariable(name.toLocal8Bit().constData());
        else
            result += QStringView(text).mid(open, close - open + 1);
        pos = close + 1;
    }
    return result.size() > kMaxPath ? QString() : result;
}

QString PathRemoveArgs(const QString& text)
{
    bool quoted = false;
    qsizetype end = 0;
    for (; end < text.size(); ++end) {
        if (text[end] == u'"')
            quoted = !quoted;
        else if (text[end] == u' ' && !quoted)
            break;
    }
    while (end > 0 && text[end - 1] == u' ')
        --end;
    return text.left(end);
}

QString CheckFilePath(const QString& fileUrlText)
{
    const QString text = CutItemText(fileUrlText);
    if (PathIsURL(text))
        return QString();
    QString path = PathRemoveArgs(ExpandEnvironmentStrings(text));
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.mid(1, path.size() - 2);
    return QFileInfo::exists(path) ? path : QString();
}

QString ProgramFilesFolder() { return QStringLiteral("/usr/bin"); }

} // namespace ql

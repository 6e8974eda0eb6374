#include "RegKeyName.h"

#include <algorithm>

namespace reg {

namespace {

char16_t Upper(char16_t c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    return QChar::toUpper(c);
}

} // namespace

void FoldName(QStringView name, FoldedName* out)
{
    out->resize(name.size() * 2);
    char* p = out->data();
    for (QChar ch : name) {
        const char16_t u = Upper(ch.unicode());
        *p++ = char(u >> 8);
        *p++ = char(u & 0xFF);
    }
}

LSTATUS SplitKeyPath(const QString& path, QStringList* components)
{
    components->clear();
    QStringView rest(path);
    if (rest.endsWith(u'\\'))
        rest.chop(1);
    if (rest.isEmpty())
        return path.isEmpty() ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    for (QStringView part : rest.tokenize(u'\\')) {
        if (part.isEmpty() || part.size() > kMaxKeyNameUnits)
            return ERROR_INVALID_PARAMETER;
        components->append(part.toString());
    }
    if (components->size() > kMaxKeyDepth)
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

bool HasControlCharacter(QStringView name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

QString ShownName(QStringView name)
{
    constexpr qsizetype kHead = 60, kTail = 40;
    QString shown = name.size() > kHead + kTail + 1
                        ? name.first(kHead).toString() + QChar(0x2026) + name.last(kTail).toString()
                        : name.toString();
    for (QChar& c : shown) {
        if (HasControlCharacter(QStringView(&c, 1)))
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

QString RootName(Root root)
{
    return root == Root::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER") : QStringLiteral("HKEY_LOCAL_MACHINE");
}

bool ParseRootName(const QString& text, Root* root)
{
    if (text.compare(u"HKEY_CURRENT_USER", Qt::CaseInsensitive) == 0 || text.compare(u"HKCU", Qt::CaseInsensitive) == 0) {
        *root = Root::CurrentUser;
        return true;
    }
    if (text.compare(u"HKEY_LOCAL_MACHINE", Qt::CaseInsensitive) == 0 || text.compare(u"HKLM", Qt::CaseInsensitive) == 0) {
        *root = Root::LocalMachine;
        return true;
    }
    return false;
}

} // namespace reg

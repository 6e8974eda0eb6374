#include "RegKeyName.h"

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

#include "XmlBytes.h"

#include <QRegularExpression>
#include <QString>

#include <array>
#include <string>
#include <string_view>

namespace mc {
namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Bytes from 0x80 on belong to non-ASCII characters, which may all start or continue a name here:
// whether a reference names a declared entity is for the parser to say.
bool IsNameStart(char c)
{
    return IsAsciiLetter(c) || c == '_' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || IsDigit(c) || c == '-' || c == '.';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Whether "&" followed by the text at from is a reference: "name;", "#digits;" or "#xhex;".
bool StartsReference(QByteArrayView text, qsizetype from)
{
    qsizetype i = from;
    const qsizetype end = text.size();
    if (i < end && text[i] == '#') {
        ++i;
        const bool hex = i < end && text[i] == 'x';
        i += hex ? 1 : 0;
        const qsizetype digits = i;
        while (i < end && (hex ? IsHexDigit(text[i]) : IsDigit(text[i])))
            ++i;
        return i > digits && i < end && text[i] == ';';
    }
    if (i >= end || !IsNameStart(text[i]))
        return false;
    while (i < end && IsNameChar(text[i]))
        ++i;
    return i < end && text[i] == ';';
}

char32_t CodeUnit(const char* p, Utf32Form form)
{
    const auto b = [p](int i) { return char32_t(static_cast<unsigned char>(p[i])); };
    return form == Utf32Form::LittleEndian ? b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24
                                           : b(3) | b(2) << 8 | b(1) << 16 | b(0) << 24;
}

} // namespace

Utf32Form DetectUtf32(QByteArrayView bytes)
{
    if (bytes.size() < 4)
        return Utf32Form::None;
    const auto b = [bytes](int i) { return static_cast<unsigned char>(bytes[i]); };
    if ((b(0) == 0xFF && b(1) == 0xFE && b(2) == 0 && b(3) == 0) || (b(0) != 0 && b(1) == 0 && b(2) == 0 && b(3) == 0))
        return Utf32Form::LittleEndian;
    if ((b(0) == 0 && b(1) == 0 && b(2) == 0xFE && b(3) == 0xFF) || (b(0) == 0 && b(1) == 0 && b(2) == 0 && b(3) != 0))
        return Utf32Form::BigEndian;
    return Utf32Form::None;
}

std::optional<QByteArray> Utf32ToUtf8(QByteArrayView bytes, Utf32Form form)
{
    if (form == Utf32Form::None || bytes.size() % 4 != 0)
        return std::nullopt;
    std::u32string text;
    text.reserve(size_t(bytes.size() / 4));
    for (qsizetype at = 0; at < bytes.size(); at += 4) {
        const char32_t unit = CodeUnit(bytes.data() + at, form);
        if (unit == 0 || unit > 0x10FFFF || (unit >= 0xD800 && unit <= 0xDFFF))
            return std::nullopt;
        text.push_back(unit);
    }
    // fromUcs4 drops the byte-order mark.
    return QString::fromUcs4(text.data(), qsizetype(text.size())).toUtf8();
}

QByteArray DeclaredEncoding(QByteArrayView text)
{
    static const QRegularExpression kEncoding(QStringLiteral(R"(^<\?xml\s[^>]*\bencoding\s*=\s*(["'])(.*?)\1)"));
    const qsizetype end = text.indexOf("?>");
    return end < 0 ? QByteArray() : kEncoding.match(QString::fromLatin1(text.first(end))).captured(2).toLatin1();
}

bool NamesUtf32(QByteArrayView name, Utf32Form form)
{
    static const QRegularExpression kUtf32(
        QStringLiteral(R"(^(?:UTF-32|UCS-4|ISO-10646-UCS-4)(LE|BE)?$)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = kUtf32.match(QString::fromLatin1(name));
    const QString order = match.captured(1).toUpper();
    return match.hasMatch() && (order.isEmpty() || order == (form == Utf32Form::LittleEndian ? u"LE" : u"BE"));
}

std::optional<QByteArray> EscapeBareAmpersands(QByteArrayView bytes)
{
    // Sections whose '&' is plain text, with what ends them.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kVerbatim
        = {{{"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}}};
    const char first = bytes.isEmpty() ? '\0' : bytes[0];
    if ((first != '<' && first != '\xEF' && !IsSpace(first)) || !bytes.contains('&'))
        return std::nullopt;
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 16);
    qsizetype at = 0;
    while (at < bytes.size()) {
        const char c = bytes[at];
        if (c == '&' && !StartsReference(bytes, at + 1)) {
            out.append("&amp;");
            ++at;
            continue;
        }
        qsizetype copyTo = at + 1;
        while (c != '<' && copyTo < bytes.size() && bytes[copyTo] != '&' && bytes[copyTo] != '<')
            ++copyTo;
        if (c == '<') {
            for (const auto& [open, close] : kVerbatim) {
                if (!bytes.sliced(at).startsWith(QByteArrayView(open)))
                    continue;
                const qsizetype end = bytes.indexOf(QByteArrayView(close), at + qsizetype(open.size()));
                copyTo = end < 0 ? bytes.size() : end + qsizetype(close.size());
                break;
            }
        }
        out.append(bytes.constData() + at, copyTo - at);
        at = copyTo;
    }
    return out;
}

} // namespace mc

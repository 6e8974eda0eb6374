#include "RegFileReader.h"

#include "RegKeyName.h"
#include "Utf16Le.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringView>
#include <QtEndian>

#include <algorithm>
#include <optional>

namespace reg {
namespace {

constexpr QStringView kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr QStringView kHeader4 = u"REGEDIT4";

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView SkipBlanks(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return s.sliced(i);
}

QStringView TrimBlanks(QStringView s)
{
    s = SkipBlanks(s);
    while (!s.isEmpty() && IsBlank(s.back()))
        s.chop(1);
    return s;
}

// True when nothing but blanks or a ';' comment is left of the line.
bool AtLineEnd(QStringView s)
{
    s = SkipBlanks(s);
    return s.isEmpty() || s.front() == u';';
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Takes a number of 1 to 8 hex digits off the front of s; stops looking at the ninth digit so that
// a long run of digits costs nothing.
std::optional<DWORD> TakeHex32(QStringView& s)
{
    DWORD value = 0;
    qsizetype n = 0;
    for (; n < s.size() && HexDigit(s[n]) >= 0; ++n) {
        if (n == 8)
            return std::nullopt;
        value = value << 4 | DWORD(HexDigit(s[n]));
    }
    if (n == 0)
        return std::nullopt;
    s = s.sliced(n);
    return value;
}

enum class Quoted { Ok, Unterminated, HasNul };

// s starts after the opening quote; on success it is left just after the closing quote. "\\0" is
// a backslash and a zero, but "\0" would be a NUL, which a .reg string cannot hold: the line is bad.
Quoted TakeQuoted(QStringView& s, QString* out)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        QChar c = s[i];
        if (c == u'"') {
            s = s.sliced(i + 1);
            return Quoted::Ok;
        }
        if (c == u'\\' && i + 1 < s.size()) {
            c = s[++i];
            if (c == u'0')
                return Quoted::HasNul;
            if (c == u'n')
                c = u'\n';
            else if (c == u'r')
                c = u'\r';
        }
        out->append(c);
    }
    return Quoted::Unterminated;
}

// Physical lines, ended by CRLF, LF or a lone CR, of text or of bytes.
template <typename View>
QVector<View> SplitLines(View text)
{
    QVector<View> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start));
    return lines;
}

struct DecodedLines {
    QStringList text;
    QVector<const char*> invalid; // per line: why its bytes are not text, or null
};

// FF FE marks UTF-16LE, taken unit by unit so that a lone surrogate written on Windows survives;
// anything else is UTF-8, where a BOM means nothing. Bytes that are not text in the file's encoding
// mark their line, which is then reported and skipped rather than read with replacement characters.
DecodedLines DecodeFile(const QByteArray& bytes)
{
    DecodedLines lines;
    if (bytes.startsWith("\xFF\xFE")) {
        const QString text = FromUtf16Le(bytes.constData() + 2, bytes.size() - 2);
        for (QStringView line : SplitLines(QStringView(text))) {
            lines.text.append(line.toString());
            lines.invalid.append(nullptr);
        }
        if (bytes.size() % 2 != 0) {
            if (lines.text.isEmpty() || text.endsWith(u'\r') || text.endsWith(u'\n')) {
                lines.text.append(QString());
                lines.invalid.append(nullptr);
            }
            lines.invalid.last() = "the UTF-16 file ends in an odd byte: the line is cut short";
        }
        return lines;
    }
    QByteArrayView utf8(bytes);
    if (utf8.startsWith("\xEF\xBB\xBF"))
        utf8 = utf8.sliced(3);
    for (QByteArrayView line : SplitLines(utf8)) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        lines.text.append(decoder.decode(line));
        lines.invalid.append(decoder.hasError() ? "invalid UTF-8: the line is skipped" : nullptr);
    }
    return lines;
}

struct ValueData {
    RegFileOp::Kind kind = RegFileOp::SetValue;
    DWORD type = REG_NONE;
    QByteArray bytes;
    const char* error = nullptr;
};

ValueData Failure(const char* message)
{
    ValueData data;
    data.error = message;
    return data;
}

ValueData StringData(QStringView s)
{
    QString text;
    switch (TakeQuoted(s, &text)) {
    case Quoted::Unterminated:
        return Failure("unterminated string");
    case Quoted::HasNul:
        return Failure("'\\0' in a string: a .reg string cannot hold a NUL");
    case Quoted::Ok:
        break;
    }
    if (!AtLineEnd(s))
        return Failure("unexpected text after the string");
    return {RegFileOp::SetValue, REG_SZ, Utf16LeBytesTerminated(text)};
}

ValueData DwordData(QStringView s)
{
    s = SkipBlanks(s);
    const std::optional<DWORD> value = TakeHex32(s);
    if (!value || !AtLineEnd(s))
        return Failure("bad dword value");
    QByteArray bytes(4, '\0');
    qToLittleEndian(*value, bytes.data());
    return {RegFileOp::SetValue, REG_DWORD, bytes};
}

class Parser {
public:
    explicit Parser(DecodedLines decoded) : text_(std::move(decoded))
    {
        for (const QString& line : text_.text)
            lines_.append(line);
    }
    RegFileContents Run();

private:
    enum class Target { None, Key, Skip };

    RegFileContents::Header ReadHeader();
    void KeyLine(QStringView name, int number);
    void ValueLine(QStringView line, int number);
    ValueData ReadValue(QStringView line, QString* name);
    ValueData ReadData(QStringView s);
    ValueData HexData(DWORD type, QStringView list);
    const char* ReadByteList(QStringView s, QByteArray* out);
    const char* NextContinuation(QStringView* s, bool* end);
    RegFileOp Op(RegFileOp::Kind kind, int number) const;
    void Error(int number, const QString& message) { result_.errors.append({number, message}); }

    DecodedLines text_;
    QVector<QStringView> lines_;
    qsizetype next_ = 0;    // index of the next line to read
    bool regedit4_ = false;
    Target target_ = Target::None;
    Root root_ = Root::CurrentUser;
    QString path_;
    RegFileContents result_;
};

RegFileContents Parser::Run()
{
    result_.header = ReadHeader();
    if (result_.header == RegFileContents::Header::Refused) {
        Error(0, QStringLiteral("not a registry file: the first line must be "
                                "'Windows Registry Editor Version 5.00' or 'REGEDIT4'"));
        return result_;
    }
    if (result_.header == RegFileContents::Header::Ignored) {
        Error(0, QStringLiteral("the first line names another REGEDIT form, whose content is not read: "
                                "nothing was imported"));
        return result_;
    }
    while (next_ < lines_.size()) {
        const int number = int(next_ + 1);
        const char* invalid = text_.invalid[next_];
        const QStringView line = SkipBlanks(lines_[next_++]);
        if (invalid) {
            Error(number, QString::fromLatin1(invalid));
            // The values after a key line that could not be read must not land in the previous key.
            if (line.startsWith(u'['))
                target_ = Target::Skip;
        } else if (line.startsWith(u'['))
            KeyLine(line.sliced(1), number);
        else if (line.startsWith(u'@') || line.startsWith(u'"'))
            ValueLine(line, number);
    }
    // A continued value is reported after the bad line it ran into: list errors in line order.
    std::stable_sort(result_.errors.begin(), result_.errors.end(),
                     [](const RegFileError& a, const RegFileError& b) { return a.line < b.line; });
    return result_;
}

// The header is the first line, blanks around it aside; a blank line before it is no header. Other
// first lines that start with "REGEDIT" (the Windows 3.1 form, "REGEDIT5", "REGEDIT4 x") are
// accepted and their content ignored, as the registry editor does.
RegFileContents::Header Parser::ReadHeader()
{
    if (lines_.isEmpty() || text_.invalid[0])
        return RegFileContents::Header::Refused;
    const QStringView line = TrimBlanks(lines_[next_++]);
    regedit4_ = line == kHeader4;
    if (regedit4_ || line == kHeader5)
        return RegFileContents::Header::Read;
    return line.startsWith(u"REGEDIT") ? RegFileContents::Header::Ignored : RegFileContents::Header::Refused;
}

RegFileOp Parser::Op(RegFileOp::Kind kind, int number) const
{
    RegFileOp op;
    op.kind = kind;
    op.root = root_;
    op.path = path_;
    op.line = number;
    return op;
}

// name starts after '['. Until the line proves good, the values that follow it are dropped: they
// must not land in the previous key.
void Parser::KeyLine(QStringView name, int number)
{
    target_ = Target::Skip;
    const qsizetype close = name.lastIndexOf(u']');
    if (close < 0)
        return Error(number, QStringLiteral("missing ']' at the end of the key line"));
    name = name.first(close);
    const bool remove = name.startsWith(u'-');
    if (remove)
        name = name.sliced(1);

    const qsizetype slash = name.indexOf(u'\\');
    const QStringView rootName = slash < 0 ? name : name.first(slash);
    Root root = Root::CurrentUser;
    if (!ParseRootName(rootName.toString(), &root))
        return Error(number, QStringLiteral("unknown root key '%1'").arg(ShownName(rootName)));

    // Trailing '\'s are dropped: "HKCU\a\\" is "HKCU\a" and "HKCU\" the bare root.
    QStringView path = slash < 0 ? QStringView() : name.sliced(slash + 1);
    while (path.endsWith(u'\\'))
        path.chop(1);
    if (path.isEmpty() && remove)
        return Error(number, QStringLiteral("a root key cannot be deleted"));
    if (!path.isEmpty()) {
        const QList<QStringView> parts = path.split(u'\\');
        if (parts.size() > kMaxKeyDepth)
            return Error(number, QStringLiteral("key path deeper than %1 keys").arg(kMaxKeyDepth));
        for (QStringView part : parts) {
            if (part.isEmpty())
                return Error(number, QStringLiteral("empty key name in the path"));
            if (part.size() > kMaxKeyNameUnits)
                return Error(number, QStringLiteral("key name longer than 255 characters"));
            if (HasControlCharacter(part))
                return Error(number, QStringLiteral("control character in a key name"));
        }
    }

    root_ = root;
    path_ = path.toString();
    if (remove) {
        result_.ops.append(Op(RegFileOp::DeleteTree, number));
        return;
    }
    target_ = Target::Key;
    // The bare root always exists: its values are welcome but there is nothing to create.
    if (!path.isEmpty())
        result_.ops.append(Op(RegFileOp::CreateKey, number));
}

// The line is read even under a key line that was refused, so that a list it continues takes its
// continuation lines there too; only then is it dropped.
void Parser::ValueLine(QStringView line, int number)
{
    QString name;
    ValueData data = ReadValue(line, &name);
    if (target_ == Target::Skip)
        return;
    if (target_ == Target::None)
        return Error(number, QStringLiteral("value line before any key line"));
    if (data.error)
        return Error(number, QString::fromLatin1(data.error));
    RegFileOp op = Op(data.kind, number);
    op.name = std::move(name);
    op.type = data.type;
    op.data = std::move(data.bytes);
    result_.ops.append(std::move(op));
}

ValueData Parser::ReadValue(QStringView line, QString* name)
{
    QStringView s = line.sliced(1);
    if (line.front() == u'"') {
        const Quoted quoted = TakeQuoted(s, name);
        if (quoted == Quoted::Unterminated)
            return Failure("unterminated value name");
        if (quoted == Quoted::HasNul)
            return Failure("'\\0' in a value name: a name cannot hold a NUL");
        if (name->size() > kMaxValueNameUnits)
            return Failure("value name longer than 16383 characters");
    }
    s = SkipBlanks(s);
    if (!s.startsWith(u'='))
        return Failure("missing '=' after the value name");
    ValueData data = ReadData(SkipBlanks(s.sliced(1)));
    if (!data.error && quint64(data.bytes.size()) > kMaxValueBytes)
        return Failure("value data larger than 16 MiB");
    return data;
}

ValueData Parser::ReadData(QStringView s)
{
    if (s.startsWith(u'-')) {
        if (!AtLineEnd(s.sliced(1)))
            return Failure("unexpected text after '-'");
        ValueData data;
        data.kind = RegFileOp::DeleteValue;
        return data;
    }
    if (s.startsWith(u'"'))
        return StringData(s.sliced(1));
    if (s.startsWith(u"dword:", Qt::CaseInsensitive))
        return DwordData(s.sliced(6));
    if (s.startsWith(u"hex:", Qt::CaseInsensitive))
        return HexData(REG_BINARY, s.sliced(4));
    if (s.startsWith(u"hex(", Qt::CaseInsensitive)) {
        s = s.sliced(4);
        const std::optional<DWORD> type = TakeHex32(s);
        if (!type || !s.startsWith(u"):"))
            return Failure("bad hex value type");
        return HexData(*type, s.sliced(2));
    }
    return Failure("unknown value data format");
}

ValueData Parser::HexData(DWORD type, QStringView list)
{
    ValueData data;
    data.type = type;
    if (const char* error = ReadByteList(list, &data.bytes))
        return Failure(error);
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)
        return data;
    // REGEDIT4 writes these strings as 8-bit text; the store keeps UTF-16LE.
    if (regedit4_)
        data.bytes = Utf16LeBytes(QString::fromUtf8(data.bytes));
    const QByteArray& b = data.bytes;
    const qsizetype n = b.size();
    if (n > 0 && (n % 2 != 0 || b[n - 2] != 0 || b[n - 1] != 0))
        data.bytes.append(2, '\0');
    return data;
}

// Bytes of one or two hex digits separated by commas; a trailing comma is allowed. A '\' right
// after a comma (or the type's colon), with only blanks or a ';' comment after it, continues the
// list on the next line; a '\' anywhere else spoils the value, and the line after it is read as a
// line of its own. The end of the file ends a continued list with the bytes read so far.
const char* Parser::ReadByteList(QStringView s, QByteArray* out)
{
    enum { Start, LineStart, AfterByte, AfterComma } state = Start;
    for (;;) {
        s = SkipBlanks(s);
        if (s.isEmpty() || s.front() == u';')
            return nullptr;
        if (s.front() == u'\\') {
            if (state != Start && state != AfterComma)
                return "'\\' continues a hex list only after a comma";
            if (!AtLineEnd(s.sliced(1)))
                return "bad hex byte list";
            bool end = false;
            if (const char* error = NextContinuation(&s, &end))
                return error;
            if (end)
                return nullptr;
            state = LineStart;
        } else if (s.front() == u',') {
            if (state != AfterByte)
                return "bad hex byte list";
            s = s.sliced(1);
            state = AfterComma;
        } else {
            const int high = HexDigit(s.front());
            if (high < 0 || state == AfterByte)
                return "bad hex byte list";
            const int low = s.size() > 1 ? HexDigit(s[1]) : -1;
            out->append(char(low < 0 ? high : high << 4 | low));
            s = s.sliced(low < 0 ? 1 : 2);
            state = AfterByte;
        }
    }
}

// The next line that is not blank or a ';' comment is continuation data whatever it looks like
// (a key or value line there spoils the value and is consumed with it); a '#' line spoils it too.
const char* Parser::NextContinuation(QStringView* s, bool* end)
{
    for (; next_ < lines_.size(); ++next_) {
        const QStringView line = SkipBlanks(lines_[next_]);
        if (const char* invalid = text_.invalid[next_]) {
            Error(int(++next_), QString::fromLatin1(invalid));
            return "the continued hex list runs into a line that is not text";
        }
        if (line.isEmpty() || line.front() == u';')
            continue;
        ++next_;
        if (line.front() == u'#')
            return "a '#' line inside a continued hex list";
        *s = line;
        return nullptr;
    }
    *end = true;
    return nullptr;
}

} // namespace

RegFileContents ParseRegFile(const QByteArray& bytes)
{
    return Parser(DecodeFile(bytes)).Run();
}

} // namespace reg

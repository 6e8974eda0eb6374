#include "RegFileReader.h"

#include "RegKeyName.h"
#include "Utf16Le.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringView>
#include <QtEndian>

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

// s starts after the opening quote; on success it is left just after the closing quote.
std::optional<QString> TakeQuoted(QStringView& s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        QChar c = s[i];
        if (c == u'"') {
            s = s.sliced(i + 1);
            return out;
        }
        if (c == u'\\' && i + 1 < s.size()) {
            c = s[++i];
            if (c == u'n')
                c = u'\n';
            else if (c == u'r')
                c = u'\r';
        }
        out.append(c);
    }
    return std::nullopt;
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
    const std::optional<QString> text = TakeQuoted(s);
    if (!text)
        return Failure("unterminated string");
    if (!AtLineEnd(s))
        return Failure("unexpected text after the string");
    return {RegFileOp::SetValue, REG_SZ, Utf16LeBytesTerminated(*text)};
}

ValueData DwordData(QStringView s)
{
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

    bool ReadHeader();
    void KeyLine(QStringView name, int number);
    void ValueLine(QStringView line, int number);
    ValueData ReadData(QStringView s);
    ValueData HexData(DWORD type, QStringView list);
    const char* ReadByteList(QStringView s, QByteArray* out);
    bool NextContinuation(QStringView* s);
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
    if (!ReadHeader()) {
        Error(0, QStringLiteral("not a registry file: the first line must be "
                                "'Windows Registry Editor Version 5.00' or 'REGEDIT4'"));
        return result_;
    }
    result_.headerOk = true;
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
    return result_;
}

bool Parser::ReadHeader()
{
    while (next_ < lines_.size()) {
        const QStringView line = TrimBlanks(lines_[next_++]);
        if (line.isEmpty())
            continue;
        regedit4_ = line == kHeader4;
        return regedit4_ || line == kHeader5;
    }
    return false;
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

    // One trailing '\' is tolerated: "HKCU\a\" is "HKCU\a" and "HKCU\" the bare root.
    QStringView path = slash < 0 ? QStringView() : name.sliced(slash + 1);
    if (path.size() > 1 && path.endsWith(u'\\'))
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

void Parser::ValueLine(QStringView line, int number)
{
    if (target_ == Target::Skip)
        return;
    if (target_ == Target::None)
        return Error(number, QStringLiteral("value line before any key line"));

    QString name;
    QStringView s = line.sliced(1);
    if (line.front() == u'"') {
        std::optional<QString> quoted = TakeQuoted(s);
        if (!quoted)
            return Error(number, QStringLiteral("unterminated value name"));
        if (quoted->size() > kMaxValueNameUnits)
            return Error(number, QStringLiteral("value name longer than 16383 characters"));
        name = *std::move(quoted);
    }
    s = SkipBlanks(s);
    if (!s.startsWith(u'='))
        return Error(number, QStringLiteral("missing '=' after the value name"));

    ValueData data = ReadData(SkipBlanks(s.sliced(1)));
    if (data.error)
        return Error(number, QString::fromLatin1(data.error));
    if (quint64(data.bytes.size()) > kMaxValueBytes)
        return Error(number, QStringLiteral("value data larger than 16 MiB"));

    RegFileOp op = Op(data.kind, number);
    op.name = std::move(name);
    op.type = data.type;
    op.data = std::move(data.bytes);
    result_.ops.append(std::move(op));
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

// Bytes of one or two hex digits separated by commas. A '\' at the end of a line continues the
// list on the next line that is neither blank nor a comment, as if the lines were one.
const char* Parser::ReadByteList(QStringView s, QByteArray* out)
{
    bool wantByte = true;   // at the start or after a comma
    for (;;) {
        s = SkipBlanks(s);
        if (s.isEmpty() || s.front() == u';')
            return nullptr;
        if (s.front() == u'\\') {
            if (!SkipBlanks(s.sliced(1)).isEmpty())
                return "bad hex byte list";
            if (!NextContinuation(&s))
                return "unterminated hex byte list";
        } else if (!wantByte) {
            if (s.front() != u',')
                return "bad hex byte list";
            s = s.sliced(1);
            wantByte = true;
        } else {
            const int high = HexDigit(s.front());
            if (high < 0)
                return "bad hex byte list";
            const int low = s.size() > 1 ? HexDigit(s[1]) : -1;
            out->append(char(low < 0 ? high : high << 4 | low));
            s = s.sliced(low < 0 ? 1 : 2);
            wantByte = false;
        }
    }
}

// A key or value line is never taken as a continuation: a list cut short must not swallow the
// next key and send its values to this one.
bool Parser::NextContinuation(QStringView* s)
{
    for (; next_ < lines_.size(); ++next_) {
        const QStringView line = SkipBlanks(lines_[next_]);
        if (text_.invalid[next_])
            return false;
        if (line.isEmpty() || line.front() == u';' || line.front() == u'#')
            continue;
        if (line.front() == u'[' || line.front() == u'@' || line.front() == u'"')
            return false;
        *s = line;
        ++next_;
        return true;
    }
    return false;
}

} // namespace

RegFileContents ParseRegFile(const QByteArray& bytes)
{
    return Parser(DecodeFile(bytes)).Run();
}

} // namespace reg

#include "RegCommand.h"

#include "registry/RegFileImport.h"
#include "registry/RegFileWriter.h"
#include "registry/RegKeyName.h"
#include "registry/RegValues.h"
#include "registry/StoreConfig.h"
#include "registry/Utf16Le.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>

#include <map>
#include <optional>

#include <sys/stat.h>

using namespace reg;

namespace {

const QString kDone = QStringLiteral("The operation completed successfully.");

// One line per operation, then what its switches mean; "talven-reg OPERATION /?" shows its part.
const std::map<QString, const char*> kUsages = {
    {QStringLiteral("query"), R"(  talven-reg query  KEY [/v NAME | /ve] [/s]
    Lists the key's values, then its subkeys; a key without values gets no header line.
    /v, /ve  only the named or the unnamed value; with /s, every key below that holds it
    /s       the key and every key below it, each with its values and a blank line
)"},
    {QStringLiteral("add"), R"(  talven-reg add    KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
    Creates the key and sets the value; without /v the unnamed value (an empty REG_SZ without /d).
    /t  REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD (also _LITTLE_ENDIAN and
        _BIG_ENDIAN: stored as REG_DWORD's bytes), REG_QWORD, REG_BINARY, REG_NONE
    /d  REG_DWORD (required) and REG_QWORD (default 0): decimal, or hex after 0x; REG_QWORD
        also takes -N. REG_BINARY: hex digits, an odd count read with a leading 0.
    /s  the one-character REG_MULTI_SZ separator (default \0); no empty strings inside the list
    /f  overwrite an existing value without asking
)"},
    {QStringLiteral("delete"), R"(  talven-reg delete KEY [/v NAME | /ve | /va] [/f]
    Deletes the key with everything below it, or the named, unnamed or every value of it.
    /f  do not ask first
)"},
    {QStringLiteral("import"), R"(  talven-reg import FILE
    Reads a .reg file (UTF-16LE with BOM, or 8-bit/UTF-8 text) whose first line is
    'Windows Registry Editor Version 5.00' or 'REGEDIT4'. Bad lines are reported on standard
    error as FILE:LINE and skipped, the rest is imported, and the exit status is 0. Another first
    line starting with REGEDIT imports nothing (exit 0); any other fails (exit 1), as does a root
    that cannot be written. Each root is written all or nothing.
)"},
    {QStringLiteral("export"), R"(  talven-reg export KEY FILE [/y]
    Writes the key and everything below it as a UTF-16LE .reg file. A REG_SZ that would not
    read back the same (no terminator, inner NULs) is written as hex(1) so that it round-trips.
    /y  after FILE only: replace an existing file without asking
)"},
};

const char* const kUsageHead = "Usage: talven-reg OPERATION ...\n";
const char* const kUsageTail = R"(KEY is ROOT\path, ROOT being HKEY_CURRENT_USER (HKCU) or HKEY_LOCAL_MACHINE (HKLM).
Switches may also be written with '-'; OPERATION /? (or /h, -h) shows one operation.
The exit status is 0 on success, 1 on failure. The store's files come from TALVEN_HKCU and TALVEN_HKLM.
)";

const std::map<DWORD, QString> kTypeNames = {
    {REG_NONE, QStringLiteral("REG_NONE")},
    {REG_SZ, QStringLiteral("REG_SZ")},
    {REG_EXPAND_SZ, QStringLiteral("REG_EXPAND_SZ")},
    {REG_BINARY, QStringLiteral("REG_BINARY")},
    {REG_DWORD, QStringLiteral("REG_DWORD")},
    {REG_DWORD_BIG_ENDIAN, QStringLiteral("REG_DWORD_BIG_ENDIAN")},
    {REG_LINK, QStringLiteral("REG_LINK")},
    {REG_MULTI_SZ, QStringLiteral("REG_MULTI_SZ")},
    {8, QStringLiteral("REG_RESOURCE_LIST")},
    {9, QStringLiteral("REG_FULL_RESOURCE_DESCRIPTOR")},
    {10, QStringLiteral("REG_RESOURCE_REQUIREMENTS_LIST")},
    {REG_QWORD, QStringLiteral("REG_QWORD")},
};

bool IsHelp(const QString& arg)
{
    static const QStringList kHelp = {QStringLiteral("/?"), QStringLiteral("-?"), QStringLiteral("/h"), QStringLiteral("-h")};
    return kHelp.contains(arg.toLower());
}

struct Options {
    QStringList positional;
    QString valueName;
    bool hasValueName = false; // /v or /ve
    bool allValues = false;    // /va
    bool recursive = false;    // /s in query
    QString type = QStringLiteral("REG_SZ");
    QString separator = QStringLiteral("\\0");
    bool separatorGiven = false;
    QString data;
    bool dataGiven = false;
    bool force = false;     // /f or /y
};

class Command {
public:
    Command(QTextStream& out, QTextStream& err, QTextStream& in) : m_out(out), m_err(err), m_in(in) {}
    int run(const QStringList& args);

private:
    bool parse(const QString& operation, const QStringList& args, Options* o);
    bool parseKey(const QString& text, Root* root, QString* path);
    int fail(const QString& subject, const QString& message);
    int failStatus(Root root, const QString& path, LSTATUS status);
    bool confirm(const QString& question);

    int query(const Options& o);
    int add(const Options& o);
    int remove(const Options& o);
    int import(const Options& o);
    int exportKey(const Options& o);

    void printValue(const QString& name, DWORD type, const QByteArray& data);
    LSTATUS printKey(HKEY key, const QString& fullName, bool recursive, bool top);
    LSTATUS searchValue(HKEY key, const QString& fullName, const QString& valueName, int* found);
    QString formatData(DWORD type, const QByteArray& data) const;
    bool encodeData(const Options& o, DWORD* type, QByteArray* data);

    QTextStream& m_out;
    QTextStream& m_err;
    QTextStream& m_in;
};

QString KeyName(Root root, const QString& path)
{
    return path.isEmpty() ? RootName(root) : RootName(root) + u'\\' + path;
}

QString TypeName(DWORD type)
{
    const auto it = kTypeNames.find(type);
    return it != kTypeNames.end() ? it->second : QStringLiteral("0x%1").arg(type, 0, 16);
}

// Why an export may not write to this path, or nothing. Only a regular file is written or replaced:
// a device or FIFO would receive the data (or, replaced, be lost), and a symbolic link, dangling or
// not, is never followed, since the file it names may not be the one the user meant to replace.
QString TargetRefusal(const QString& fileName, bool* exists)
{
    struct stat st;
    *exists = ::lstat(QFile::encodeName(fileName).constData(), &st) == 0;
    if (!*exists)
        return {}; // missing, or not reachable: writing it gives the system's reason
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("is a symbolic link, which export does not follow; give the path of the file itself");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("exists and is not a regular file (a device, FIFO, socket or folder); it was left untouched");
    return {};
}

QString StringData(const QByteArray& data)
{
    QString text = FromUtf16Le(data);
    while (text.endsWith(QChar(u'\0')))
        text.chop(1);
    return text;
}

void PrintUsage(QTextStream& stream, const QString& operation = {})
{
    stream << kUsageHead;
    for (const auto& [name, usage] : kUsages) {
        if (operation.isEmpty() || name == operation)
            stream << usage;
    }
    stream << kUsageTail;
}

int Command::run(const QStringList& args)
{
    if (args.isEmpty() || IsHelp(args.first()) || args.first() == u"--help" ||
        args.first().compare(u"help", Qt::CaseInsensitive) == 0) {
        PrintUsage(args.isEmpty() ? m_err : m_out);
        return args.isEmpty() ? 1 : 0;
    }
    const QString operation = args.first().toLower();
    if (kUsages.count(operation) != 0 && args.size() == 2 && IsHelp(args[1])) {
        PrintUsage(m_out, operation);
        return 0;
    }
    Options o;
    if (!parse(operation, args.mid(1), &o))
        return 1;
    if (operation == u"query")
        return query(o);
    if (operation == u"add")
        return add(o);
    if (operation == u"delete")
        return remove(o);
    if (operation == u"import")
        return import(o);
    return exportKey(o);
}

bool Command::parse(const QString& operation, const QStringList& args, Options* o)
{
    static const std::map<QString, int> kPositional = {
        {QStringLiteral("query"), 1}, {QStringLiteral("add"), 1}, {QStringLiteral("delete"), 1},
        {QStringLiteral("import"), 1}, {QStringLiteral("export"), 2}};
    static const std::map<QString, QString> kAllowed = {
        {QStringLiteral("query"), QStringLiteral("v ve s")},
        {QStringLiteral("add"), QStringLiteral("v ve t s d f")},
        {QStringLiteral("delete"), QStringLiteral("v ve va f")},
        {QStringLiteral("import"), QString()},
        {QStringLiteral("export"), QStringLiteral("y")}};
    const auto expected = kPositional.find(operation);
    if (expected == kPositional.end()) {
        fail(operation, QStringLiteral("unknown operation; try talven-reg /?"));
        return false;
    }
    const QStringList allowed = kAllowed.at(operation).split(u' ', Qt::SkipEmptyParts);
    QStringList seen;
    // "/name" or "-name" is a switch; "/tmp/file.reg" is a path.
    static const QRegularExpression kSwitch(QStringLiteral("^(-[^-].*|/[A-Za-z?]+)$"));
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const QString name = arg.mid(1).toLower();
        if (!kSwitch.match(arg).hasMatch()) {
            o->positional.append(arg);
            continue;
        }
        if (!allowed.contains(name)) {
            fail(arg, QStringLiteral("invalid switch for %1; try talven-reg %1 /?").arg(operation));
            return false;
        }
        if (seen.contains(name)) {
            fail(arg, QStringLiteral("this switch is given more than once"));
            return false;
        }
        seen.append(name);
        const bool takesArgument = name == u"v" || name == u"t" || name == u"d" || (name == u"s" && operation == u"add");
        if (takesArgument && i + 1 >= args.size()) {
            fail(arg, QStringLiteral("this switch needs an argument"));
            return false;
        }
        if ((name.startsWith(u'v') && (o->hasValueName || o->allValues))) {
            fail(arg, QStringLiteral("only one of /v, /ve and /va may be given"));
            return false;
        }
        if (name == u"v") {
            o->valueName = args[++i];
            o->hasValueName = true;
        } else if (name == u"ve") {
            o->hasValueName = true;
        } else if (name == u"va") {
            o->allValues = true;
        } else if (name == u"s" && operation == u"add") {
            o->separator = args[++i];
            o->separatorGiven = true;
        } else if (name == u"s") {
            o->recursive = true;
        } else if (name == u"t") {
            o->type = args[++i].toUpper();
        } else if (name == u"d") {
            o->data = args[++i];
            o->dataGiven = true;
        } else if (name == u"y" && o->positional.size() < 2) {
            fail(arg, QStringLiteral("/y goes after the key and the file"));
            return false;
        } else {
            o->force = true;
        }
    }
    if (o->positional.size() != expected->second) {
        fail(operation, QStringLiteral("expected %1 argument(s); try talven-reg %2 /?").arg(expected->second).arg(operation));
        return false;
    }
    return true;
}

bool Command::parseKey(const QString& text, Root* root, QString* path)
{
    const qsizetype slash = text.indexOf(u'\\');
    if (!ParseRootName(slash < 0 ? text : text.left(slash), root)) {
        fail(text, QStringLiteral("the key must start with HKEY_CURRENT_USER, HKCU, HKEY_LOCAL_MACHINE or HKLM"));
        return false;
    }
    if (text.endsWith(QStringLiteral("\\\\"))) {
        fail(text, QStringLiteral("the key name ends in more than one '\\'"));
        return false;
    }
    *path = slash < 0 ? QString() : text.mid(slash + 1);
    if (path->endsWith(u'\\'))
        path->chop(1);
    return true;
}

int Command::fail(const QString& subject, const QString& message)
{
    m_err << "talven-reg: " << ShownName(subject) << ": " << message << Qt::endl;
    return 1;
}

int Command::failStatus(Root root, const QString& path, LSTATUS status)
{
    return fail(KeyName(root, path), StoreErrorText(root, status));
}

bool Command::confirm(const QString& question)
{
    m_out << question << " (Yes/No)? " << Qt::flush;
    const QString answer = m_in.readLine().trimmed().toLower();
    if (answer == u"y" || answer == u"yes")
        return true;
    m_out << "The operation was cancelled." << Qt::endl;
    return false;
}

QString Command::formatData(DWORD type, const QByteArray& data) const
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return StringData(data);
    case REG_MULTI_SZ:
        return StringData(data).replace(QChar(u'\0'), QStringLiteral("\\0"));
    case REG_DWORD:
        if (data.size() == 4)
            return QStringLiteral("0x%1").arg(qFromLittleEndian<quint32>(data.constData()), 0, 16);
        break;
    case REG_QWORD:
        if (data.size() == 8)
            return QStringLiteral("0x%1").arg(qFromLittleEndian<quint64>(data.constData()), 0, 16);
        break;
    default:
        break;
    }
    return QString::fromLatin1(data.toHex().toUpper());
}

void Command::printValue(const QString& name, DWORD type, const QByteArray& data)
{
    m_out << "    " << (name.isEmpty() ? QStringLiteral("(Default)") : name) << "    " << TypeName(type) << "    "
          << formatData(type, data) << '\n';
}

// A key's block is its name, its values and a blank line. Listed alone, a key without values has no
// block and its subkeys follow as names; with recursive, each subkey gets a block of its own.
LSTATUS Command::printKey(HKEY key, const QString& fullName, bool recursive, bool top)
{
    QString name;
    DWORD type = 0;
    QByteArray data;
    LSTATUS status;
    DWORD i = 0;
    for (; (status = RegEnumValue(key, i, &name, &type, &data)) == ERROR_SUCCESS; ++i) {
        if (i == 0)
            m_out << fullName << '\n';
        printValue(name, type, data);
    }
    if (status != ERROR_NO_MORE_ITEMS)
        return status;
    if (i > 0)
        m_out << '\n';
    else if (!top)
        m_out << fullName << "\n\n";
    if (recursive)
        return ForEachSubkey(key, fullName, [&](HKEY sub, const QString& name) { return printKey(sub, name, true, false); });
    for (i = 0; (status = RegEnumKeyEx(key, i, &name)) == ERROR_SUCCESS; ++i)
        m_out << fullName << '\\' << name << '\n';
    return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
}

// The block of every key from this one down that holds the value, with that value alone.
LSTATUS Command::searchValue(HKEY key, const QString& fullName, const QString& valueName, int* found)
{
    DWORD type = 0, size = 0;
    LSTATUS status = RegQueryValueEx(key, valueName, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        QByteArray data(int(size), Qt::Uninitialized);
        if ((status = RegQueryValueEx(key, valueName, &type, reinterpret_cast<BYTE*>(data.data()), &size)) != ERROR_SUCCESS)
            return status;
        m_out << fullName << '\n';
        printValue(valueName, type, data.left(int(size)));
        m_out << '\n';
        ++*found;
    } else if (status != ERROR_FILE_NOT_FOUND) {
        return status;
    }
    return ForEachSubkey(key, fullName,
                         [&](HKEY sub, const QString& name) { return searchValue(sub, name, valueName, found); });
}

int Command::query(const Options& o)
{
    Root root;
    QString path;
    if (!parseKey(o.positional[0], &root, &path))
        return 1;
    Key key;
    LSTATUS status = RegOpenKeyEx(RootKey(root), path, KEY_READ, key.put());
    if (status != ERROR_SUCCESS)
        return failStatus(root, path, status);
    const QString fullName = KeyName(root, path);
    if (o.hasValueName && o.recursive) {
        int found = 0;
        m_out << '\n';
        status = searchValue(key, fullName, o.valueName, &found);
        m_out << Qt::flush;
        if (status == ERROR_SUCCESS && found == 0)
            status = ERROR_FILE_NOT_FOUND;
        return status == ERROR_SUCCESS ? 0 : failStatus(root, path + u'\\' + o.valueName, status);
    }
    if (o.hasValueName) {
        DWORD type = 0, size = 0;
        status = RegQueryValueEx(key, o.valueName, &type, nullptr, &size);
        QByteArray data(int(size), Qt::Uninitialized);
        if (status == ERROR_SUCCESS)
            status = RegQueryValueEx(key, o.valueName, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        // The unnamed value always answers, as on Windows, even when it was never set.
        if (status == ERROR_FILE_NOT_FOUND && o.valueName.isEmpty()) {
            m_out << '\n' << fullName << "\n    (Default)    REG_SZ    (value not set)\n\n";
            return 0;
        }
        if (status != ERROR_SUCCESS)
            return failStatus(root, path + u'\\' + o.valueName, status);
        m_out << '\n' << fullName << '\n';
        printValue(o.valueName, type, data.left(int(size)));
        m_out << '\n';
        return 0;
    }
    m_out << '\n';
    status = printKey(key, fullName, o.recursive, true);
    m_out << Qt::flush;
    return status == ERROR_SUCCESS ? 0 : failStatus(root, path, status);
}

// Decimal, or hex after "0x"; nothing else, not even blanks. A leading '-' (decimal only) counts
// down from 2^64, as REG_QWORD data does on Windows.
std::optional<quint64> ParseNumber(QString text, quint64 max, bool negativeAllowed)
{
    const bool negative = negativeAllowed && text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    const bool hex = !negative && text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
    const QStringView digits = QStringView(text).sliced(hex ? 2 : 0);
    const int base = hex ? 16 : 10;
    quint64 value = 0;
    for (QChar c : digits) {
        const int digit = c.isDigit() ? c.unicode() - u'0' : hex && c.isLetter() ? c.toLower().unicode() - u'a' + 10 : -1;
        if (digit < 0 || digit >= base || value > (max - quint64(digit)) / quint64(base))
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
    }
    if (digits.isEmpty())
        return std::nullopt;
    return negative ? quint64(0) - value : value;
}

bool Command::encodeData(const Options& o, DWORD* type, QByteArray* data)
{
    // REG_DWORD_BIG_ENDIAN keeps its type but, as on Windows, its bytes are REG_DWORD's.
    static const std::map<QString, DWORD> kTypes = {
        {QStringLiteral("REG_SZ"), REG_SZ}, {QStringLiteral("REG_EXPAND_SZ"), REG_EXPAND_SZ},
        {QStringLiteral("REG_MULTI_SZ"), REG_MULTI_SZ}, {QStringLiteral("REG_DWORD"), REG_DWORD},
        {QStringLiteral("REG_DWORD_LITTLE_ENDIAN"), REG_DWORD}, {QStringLiteral("REG_DWORD_BIG_ENDIAN"), REG_DWORD_BIG_ENDIAN},
        {QStringLiteral("REG_QWORD"), REG_QWORD}, {QStringLiteral("REG_BINARY"), REG_BINARY},
        {QStringLiteral("REG_NONE"), REG_NONE}};
    const auto it = kTypes.find(o.type);
    if (it == kTypes.end()) {
        fail(o.type, QStringLiteral("unsupported type"));
        return false;
    }
    *type = it->second;
    switch (*type) {
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
        const bool qword = *type == REG_QWORD;
        if (!o.dataGiven && !qword) {
            fail(o.type, QStringLiteral("needs its number given with /d"));
            return false;
        }
        const std::optional<quint64> value =
            o.dataGiven ? ParseNumber(o.data, qword ? ~quint64(0) : 0xFFFFFFFFu, qword) : quint64(0);
        if (!value) {
            fail(o.data, QStringLiteral("not a valid %1 number").arg(o.type));
            return false;
        }
        data->resize(qword ? 8 : 4);
        if (qword)
            qToLittleEndian(*value, data->data());
        else
            qToLittleEndian(quint32(*value), data->data());
        return true;
    }
    case REG_BINARY: {
        static const QRegularExpression kHexDigits(QStringLiteral("^[0-9A-Fa-f]*$"));
        if (!kHexDigits.match(o.data).hasMatch()) {
            fail(o.data, QStringLiteral("REG_BINARY data must be hex digits"));
            return false;
        }
        // fromHex reads pairs from the end: an odd count is read as if a 0 stood in front.
        *data = QByteArray::fromHex(o.data.toLatin1());
        return true;
    }
    case REG_MULTI_SZ: {
        if (o.separator.size() != 1 && o.separatorGiven) {
            fail(o.separator, QStringLiteral("the separator must be one character"));
            return false;
        }
        QStringList items = o.data.split(o.separator);
        if (items.size() > 1 && items.last().isEmpty())
            items.removeLast();
        data->clear();
        for (const QString& item : items) {
            // An empty string inside the list would end it for every reader.
            if (item.isEmpty() && items.size() > 1) {
                fail(o.data, QStringLiteral("REG_MULTI_SZ data cannot hold an empty string"));
                return false;
            }
            *data += Utf16LeBytesTerminated(item);
        }
        if (!o.data.isEmpty())
            data->append(2, '\0');
        return true;
    }
    default:
        *data = Utf16LeBytesTerminated(o.data);
        return true;
    }
}

int Command::add(const Options& o)
{
    Root root;
    QString path;
    if (!parseKey(o.positional[0], &root, &path))
        return 1;
    if (path.isEmpty() && o.positional[0].endsWith(u'\\'))
        return fail(o.positional[0], QStringLiteral("names no key below the root"));
    DWORD type = REG_SZ;
    QByteArray data;
    if (!encodeData(o, &type, &data))
        return 1;
    Key key;
    LSTATUS status = RegCreateKeyEx(RootKey(root), path, KEY_ALL_ACCESS, key.put());
    if (status != ERROR_SUCCESS)
        return failStatus(root, path, status);
    // Without /v or /ve the unnamed value is the one set.
    const QString shown = o.valueName.isEmpty() ? QStringLiteral("(Default)") : o.valueName;
    if (!o.force && RegQueryValueEx(key, o.valueName, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        !confirm(QStringLiteral("Value %1 exists, overwrite").arg(shown)))
        return 1;
    status = RegSetValueEx(key, o.valueName, type, reinterpret_cast<const BYTE*>(data.constData()), DWORD(data.size()));
    if (status != ERROR_SUCCESS)
        return failStatus(root, path + u'\\' + shown, status);
    m_out << kDone << Qt::endl;
    return 0;
}

int Command::remove(const Options& o)
{
    Root root;
    QString path;
    if (!parseKey(o.positional[0], &root, &path))
        return 1;
    const QString full = KeyName(root, path);
    if (path.isEmpty() && !o.hasValueName && !o.allValues)
        return fail(full, QStringLiteral("a root key cannot be deleted"));
    Key key;
    LSTATUS status = RegOpenKeyEx(RootKey(root), path, KEY_ALL_ACCESS, key.put());
    if (status != ERROR_SUCCESS)
        return failStatus(root, path, status);
    if (o.hasValueName) {
        const QString shown = o.valueName.isEmpty() ? QStringLiteral("(Default)") : o.valueName;
        if (!o.force && !confirm(QStringLiteral("Delete the registry value %1").arg(shown)))
            return 1;
        status = RegDeleteValue(key, o.valueName);
    } else if (o.allValues) {
        if (!o.force && !confirm(QStringLiteral("Delete all values under the registry key %1").arg(full)))
            return 1;
        QStringList names;
        QString name;
        for (DWORD i = 0; RegEnumValue(key, i, &name, nullptr, nullptr) == ERROR_SUCCESS; ++i)
            names.append(name);
        status = RegDeleteValues(key, names);
    } else {
        if (!o.force && !confirm(QStringLiteral("Permanently delete the registry key %1").arg(full)))
            return 1;
        key.reset();
        status = RegDeleteTree(RootKey(root), path);
    }
    if (status != ERROR_SUCCESS)
        return failStatus(root, o.hasValueName ? path + u'\\' + o.valueName : path, status);
    m_out << kDone << Qt::endl;
    return 0;
}

int Command::import(const Options& o)
{
    const QString fileName = o.positional[0];
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(fileName, file.errorString());
    const ImportResult result = ImportRegFile(file.readAll());
    for (const RegFileError& error : result.errors) {
        fail(error.line > 0 ? QStringLiteral("%1:%2").arg(fileName).arg(error.line) : fileName, error.message);
    }
    if (result.header == RegFileContents::Header::Read && !result.errors.isEmpty()) {
        m_err << "talven-reg: " << fileName << ": " << result.applied << " change(s) imported, "
              << result.errors.size() << " problem(s)" << Qt::endl;
    }
    if (result.failed())
        return 1;
    m_out << kDone << Qt::endl;
    return 0;
}

int Command::exportKey(const Options& o)
{
    Root root;
    QString path;
    if (!parseKey(o.positional[0], &root, &path))
        return 1;
    const QString fileName = o.positional[1];
    QByteArray bytes;
    QString failedKey;
    if (const LSTATUS status = ExportRegFile(root, path, &bytes, &failedKey); status != ERROR_SUCCESS) {
        if (status == ERROR_INVALID_PARAMETER && HasControlCharacter(failedKey))
            return fail(failedKey, QStringLiteral("the key's name holds a control character (such as a line break) "
                                                  "that a .reg file cannot hold; nothing was exported"));
        return fail(failedKey, StoreErrorText(root, status));
    }
    bool exists = false;
    if (const QString refusal = TargetRefusal(fileName, &exists); !refusal.isEmpty())
        return fail(fileName, refusal);
    if (!o.force && exists && !confirm(QStringLiteral("File %1 already exists. Overwrite").arg(ShownName(fileName))))
        return 1;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail(fileName, file.errorString());
    m_out << kDone << Qt::endl;
    return 0;
}

} // namespace

int RunRegCommand(const QStringList& args, QTextStream& out, QTextStream& err, QTextStream& in)
{
    return Command(out, err, in).run(args);
}

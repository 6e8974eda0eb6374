#include "talven-reg/RegCommand.h"

#include "registry/RegFileWriter.h"
#include "registry/Registry.h"
#include "TempStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <optional>
#include <string>

using namespace reg;

namespace {

const QString kDone = QStringLiteral("The operation completed successfully.\n");
const QString kCancelled = QStringLiteral("The operation was cancelled.\n");
const QString kNotFound = RegErrorText(ERROR_FILE_NOT_FOUND);

struct Output {
    int status = -1;
    QString out;
    QString err;
};

// Runs the command in this process; `input` answers its questions.
Output Reg(const QStringList& args, QString input = {})
{
    Output result;
    QTextStream out(&result.out), err(&result.err), in(&input, QIODevice::ReadOnly);
    result.status = RunRegCommand(args, out, err, in);
    out.flush();
    err.flush();
    return result;
}

// Runs the built binary, which finds the store through the same environment as this process.
Output RegProcess(const QStringList& args, const QByteArray& input = {})
{
    QProcess process;
    process.start(QStringLiteral(TALVEN_REG), args);
    EXPECT_TRUE(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    const bool exited = process.exitStatus() == QProcess::NormalExit;
    return {exited ? process.exitCode() : -1, QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// REG_SZ bytes with the terminator (the host is little-endian, as the store is).
QByteArray Utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2) + QByteArray(2, '\0');
}

void Put(HKEY root, const QString& path, const QString& name, DWORD type, const QByteArray& bytes)
{
    Key key;
    ASSERT_EQ(RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(bytes.constData()), DWORD(bytes.size())),
              ERROR_SUCCESS);
}

// The key and everything below it, one line a key: "[path] name=type:hex ..." ("@" for the unnamed
// value); without data only the value names. Empty when the key does not exist.
std::string Dump(HKEY root, const QString& path, bool data = true)
{
    Key key;
    if (RegOpenKeyEx(root, path, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    QString line = u'[' + path + u']';
    QString name;
    DWORD type = 0;
    QByteArray bytes;
    for (DWORD i = 0; RegEnumValue(key, i, &name, &type, &bytes) == ERROR_SUCCESS; ++i) {
        line += u' ' + (name.isEmpty() ? QStringLiteral("@") : name);
        if (data)
            line += QStringLiteral("=%1:%2").arg(type).arg(QString::fromLatin1(bytes.toHex()));
    }
    std::string text = line.toStdString() + '\n';
    for (DWORD i = 0; RegEnumKeyEx(key, i, &name) == ERROR_SUCCESS; ++i)
        text += Dump(root, path + u'\\' + name, data);
    return text;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

std::string Joined(const QStringList& args)
{
    return args.join(u' ').toStdString();
}

TEST(RegCommandTest, PrintsQueriesAndRejectsBadCommandLines)
{
    TempStore store;
    const QString q = QStringLiteral("Q");
    Put(HKEY_CURRENT_USER, q, QString(), REG_SZ, Utf16(QStringLiteral("def")));
    Put(HKEY_CURRENT_USER, q, QStringLiteral("s"), REG_SZ, Utf16(QStringLiteral("text")));
    Put(HKEY_CURRENT_USER, q, QStringLiteral("d"), REG_DWORD, QByteArray("\x2a\0\0\0", 4));
    Put(HKEY_CURRENT_USER, q, QStringLiteral("m"), REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10));
    Put(HKEY_CURRENT_USER, q, QStringLiteral("b"), REG_BINARY, QByteArray("\x01\xAB", 2));
    Put(HKEY_CURRENT_USER, q, QStringLiteral("q"), REG_QWORD, QByteArray("\0\0\0\0\1\0\0\0", 8));
    Put(HKEY_CURRENT_USER, QStringLiteral("Q\\Sub"), QStringLiteral("x"), REG_EXPAND_SZ, Utf16(QStringLiteral("%HOME%")));
    Key made;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Q\\Sub\\Deep"), KEY_ALL_ACCESS, made.put()), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Q\\alpha"), KEY_ALL_ACCESS, made.put()), ERROR_SUCCESS);
    made.reset();
    const std::string before = Dump(HKEY_CURRENT_USER, q);

    const QString qValues = QStringLiteral(
        "    (Default)    REG_SZ    def\n"
        "    s    REG_SZ    text\n"
        "    d    REG_DWORD    0x2a\n"
        "    m    REG_MULTI_SZ    a\\0b\n"
        "    b    REG_BINARY    01AB\n"
        "    q    REG_QWORD    0x100000000\n");
    const struct {
        QStringList args;
        int status;
        QString out;
        QString err;
        bool usage = false; // out and err hold only the first line of the usage text
    } cases[] = {
        {{"query", "HKCU\\Q"}, 0,
         "\nHKEY_CURRENT_USER\\Q\n" + qValues + "\nHKEY_CURRENT_USER\\Q\\alpha\nHKEY_CURRENT_USER\\Q\\Sub\n", {}},
        {{"query", "hkcu\\Q\\Sub\\", "/s"}, 0,
         "\nHKEY_CURRENT_USER\\Q\\Sub\n    x    REG_EXPAND_SZ    %HOME%\n\nHKEY_CURRENT_USER\\Q\\Sub\\Deep\n", {}},
        {{"query", "HKEY_CURRENT_USER\\Q", "/v", "s"}, 0, "\nHKEY_CURRENT_USER\\Q\n    s    REG_SZ    text\n\n", {}},
        {{"query", "HKCU\\Q", "/ve"}, 0, "\nHKEY_CURRENT_USER\\Q\n    (Default)    REG_SZ    def\n\n", {}},
        {{"QUERY", "HKCU\\Q", "-V", "m"}, 0, "\nHKEY_CURRENT_USER\\Q\n    m    REG_MULTI_SZ    a\\0b\n\n", {}},
        {{"query", "HKCU\\Q", "/v", "q", "-S"}, 0, "\nHKEY_CURRENT_USER\\Q\n    q    REG_QWORD    0x100000000\n\n", {}},
        {{"query", "HKCU\\Q", "/v", "nope"}, 1, {}, "talven-reg: HKEY_CURRENT_USER\\Q\\nope: " + kNotFound + "\n"},
        {{"query", "HKCU\\Missing"}, 1, {}, "talven-reg: HKEY_CURRENT_USER\\Missing: " + kNotFound + "\n"},
        {{"query", "HKCR\\Q"}, 1, {},
         "talven-reg: HKCR\\Q: the key must start with HKEY_CURRENT_USER, HKCU, HKEY_LOCAL_MACHINE or HKLM\n"},
        {{"query", "HKCU\\Q", "/x"}, 1, {}, "talven-reg: /x: invalid switch for query; try talven-reg /?\n"},
        {{"query", "HKCU\\Q", "/f"}, 1, {}, "talven-reg: /f: invalid switch for query; try talven-reg /?\n"},
        {{"query", "HKCU\\Q", "/v"}, 1, {}, "talven-reg: /v: this switch needs an argument\n"},
        {{"add", "HKCU\\Q", "/v", "s", "/s"}, 1, {}, "talven-reg: /s: this switch needs an argument\n"},
        {{"query", "HKCU\\Q", "/v", "s", "/VE"}, 1, {}, "talven-reg: /VE: only one of /v, /ve and /va may be given\n"},
        {{"query"}, 1, {}, "talven-reg: query: expected 1 argument(s); try talven-reg /?\n"},
        {{"export", "HKCU\\Q"}, 1, {}, "talven-reg: export: expected 2 argument(s); try talven-reg /?\n"},
        {{"frob", "HKCU\\Q"}, 1, {}, "talven-reg: frob: unknown operation; try talven-reg /?\n"},
        {{"/?"}, 0, "Usage: talven-reg OPERATION ...", {}, true},
        {{}, 1, {}, "Usage: talven-reg OPERATION ...", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.args));
        const Output r = Reg(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(c.usage ? r.out.section(u'\n', 0, 0) : r.out, c.out);
        EXPECT_EQ(c.usage ? r.err.section(u'\n', 0, 0) : r.err, c.err);
    }
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, q), before);
}

TEST(RegCommandTest, AddStoresEachTypeAsExactBytes)
{
    TempStore store;
    const std::optional<QByteArray> bad;
    const QByteArray multi("a\0\0\0b\0\0\0\0\0", 10);
    const struct {
        QStringList switches;
        DWORD type;
        std::optional<QByteArray> bytes; // nothing: refused, and the key is not created
    } cases[] = {
        {{"/v", "v", "/d", "hi"}, REG_SZ, QByteArray("h\0i\0\0\0", 6)},
        {{"/ve", "/d", "def"}, REG_SZ, QByteArray("d\0e\0f\0\0\0", 8)},
        {{"/d", "def"}, REG_SZ, QByteArray("d\0e\0f\0\0\0", 8)},
        {{"/v", "v", "/t", "REG_EXPAND_SZ", "/d", "%P%"}, REG_EXPAND_SZ, QByteArray("%\0P\0%\0\0\0", 8)},
        {{"/v", "v", "/t", "reg_multi_sz", "/d", "a\\0b"}, REG_MULTI_SZ, multi},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "a#b#"}, REG_MULTI_SZ, multi},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"}, REG_MULTI_SZ, bad},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "42"}, REG_DWORD, QByteArray("\x2a\0\0\0", 4)},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "0x0000001F"}, REG_DWORD, QByteArray("\x1f\0\0\0", 4)},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "0XFFFFFFFF"}, REG_DWORD, QByteArray(4, '\xFF')},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "4294967295"}, REG_DWORD, QByteArray(4, '\xFF')},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "4294967296"}, REG_DWORD, bad},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "0x100000000"}, REG_DWORD, bad},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "-1"}, REG_DWORD, bad},
        {{"/v", "v", "/t", "REG_QWORD", "/d", "0x0102030405060708"}, REG_QWORD, QByteArray("\x08\x07\x06\x05\x04\x03\x02\x01", 8)},
        {{"/v", "v", "/t", "REG_QWORD", "/d", "18446744073709551615"}, REG_QWORD, QByteArray(8, '\xFF')},
        {{"/v", "v", "/t", "REG_BINARY", "/d", "01aBff"}, REG_BINARY, QByteArray("\x01\xAB\xFF", 3)},
        {{"/v", "v", "/t", "REG_BINARY", "/d", "abc"}, REG_BINARY, bad},
        {{"/v", "v", "/t", "REG_BINARY", "/d", "0g"}, REG_BINARY, bad},
        {{"/v", "v", "/t", "REG_BINARY", "/d", "01 02"}, REG_BINARY, bad},
        {{"/v", "v", "/t", "REG_NONE", "/d", "x"}, REG_NONE, QByteArray("x\0\0\0", 4)},
        {{"/v", "v", "/t", "REG_LINK", "/d", "x"}, REG_LINK, bad},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.switches));
        const QString path = QStringLiteral("Add\\%1").arg(++index);
        const Output r = Reg(QStringList{"add", "HKCU\\" + path} + c.switches + QStringList{"/f"});
        EXPECT_EQ(r.status, c.bytes ? 0 : 1);
        EXPECT_EQ(r.out, c.bytes ? kDone : QString());
        EXPECT_EQ(r.err.isEmpty(), c.bytes.has_value()) << r.err.toStdString();
        const QString name = c.switches.contains(QStringLiteral("/v")) ? QStringLiteral("v") : QString();
        const std::string expected = c.bytes ? QStringLiteral("[%1] %2=%3:%4\n").arg(path, name.isEmpty() ? "@" : name)
                                                   .arg(c.type).arg(QString::fromLatin1(c.bytes->toHex())).toStdString()
                                             : std::string();
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, path), expected);
    }

    const Output r = Reg({"add", "HKLM\\Add\\KeyOnly"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, QStringLiteral("Add")), "[Add]\n[Add\\KeyOnly]\n");
}

TEST(RegCommandTest, AddAsksBeforeOverwritingUnlessForced)
{
    const QString question = QStringLiteral("Value v exists, overwrite (Yes/No)? ");
    const struct {
        bool existing;
        bool force;
        QString input;
        int status;
        QString out;
        QString stored;
    } cases[] = {
        {true, true, {}, 0, kDone, QStringLiteral("new")},
        {true, false, QStringLiteral("yes\n"), 0, question + kDone, QStringLiteral("new")},
        {true, false, QStringLiteral(" Y \n"), 0, question + kDone, QStringLiteral("new")},
        {true, false, QStringLiteral("no\n"), 1, question + kCancelled, QStringLiteral("old")},
        {true, false, {}, 1, question + kCancelled, QStringLiteral("old")},
        {false, false, {}, 0, kDone, QStringLiteral("new")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.toStdString() + (c.force ? " /f" : "") + (c.existing ? " existing" : ""));
        TempStore store;
        if (c.existing)
            Put(HKEY_CURRENT_USER, QStringLiteral("O"), QStringLiteral("v"), REG_SZ, Utf16(QStringLiteral("old")));
        QStringList args{"add", "HKCU\\O", "/v", "v", "/d", "new"};
        if (c.force)
            args << "/F";
        const Output r = Reg(args, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, QStringLiteral("O")),
                  QStringLiteral("[O] v=1:%1\n").arg(QString::fromLatin1(Utf16(c.stored).toHex())).toStdString());
    }
}

TEST(RegCommandTest, DeleteRemovesValuesOrKeysAfterConfirmation)
{
    const std::string all = "[D] @ a b\n[D\\Sub] c\n";
    const struct {
        QStringList args;
        QString input;
        int status;
        std::string remaining;
    } cases[] = {
        {{"HKCU\\D", "/v", "A", "/f"}, {}, 0, "[D] @ b\n[D\\Sub] c\n"},
        {{"HKCU\\D", "/ve", "/f"}, {}, 0, "[D] a b\n[D\\Sub] c\n"},
        {{"HKCU\\D", "/va", "/f"}, {}, 0, "[D]\n[D\\Sub] c\n"},
        {{"HKCU\\D", "/f"}, {}, 0, ""},
        {{"HKCU\\D", "-F"}, {}, 0, ""},
        {{"HKCU\\D", "/v", "a"}, QStringLiteral("y\n"), 0, "[D] @ b\n[D\\Sub] c\n"},
        {{"HKCU\\D", "/v", "a"}, QStringLiteral("n\n"), 1, all},
        {{"HKCU\\D", "/va"}, QStringLiteral("no\n"), 1, all},
        {{"HKCU\\D"}, {}, 1, all},
        {{"HKCU\\D", "/v", "zz", "/f"}, {}, 1, all},
        {{"HKCU\\Nope", "/f"}, {}, 1, all},
        {{"HKCU", "/f"}, {}, 1, all},
        {{"HKEY_CURRENT_USER\\", "/f"}, {}, 1, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.args) + " <" + c.input.toStdString());
        TempStore store;
        for (const char* name : {"", "a", "b"})
            Put(HKEY_CURRENT_USER, QStringLiteral("D"), QString::fromLatin1(name), REG_DWORD, QByteArray(4, '\1'));
        Put(HKEY_CURRENT_USER, QStringLiteral("D\\Sub"), QStringLiteral("c"), REG_DWORD, QByteArray(4, '\1'));
        const Output r = Reg(QStringList{"delete"} + c.args, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out.endsWith(kDone), c.status == 0);
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, QStringLiteral("D"), false), c.remaining);
    }
}

TEST(RegCommandTest, ImportReportsBadLinesAndRefusesBadHeaders)
{
    const QByteArray goodLines = "\"a\"=\"x\"\n";
    const struct {
        const char* name;
        std::optional<QByteArray> file;
        int status;
        QStringList errLines; // each line of stderr, "FILE" standing for the file's name
        std::string user;
        std::string machine;
    } cases[] = {
        {"good file",
         QByteArray("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Imp]\r\n\"a\"=\"x\"\r\n"
                    "\"c\"=dword:0000002a\r\n"),
         0, {}, "[Imp] a=1:78000000 c=4:2a000000\n", ""},
        {"bad line 5",
         QByteArray("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Imp]\n\"a\"=\"x\"\n"
                    "\"b\"=dword:123456789\n\"c\"=dword:2a\n[HKLM\\Imp]\n@=\"m\"\n"),
         1, {"talven-reg: FILE:5: bad dword value", "talven-reg: FILE: 5 change(s) imported, 1 problem(s)"},
         "[Imp] a=1:78000000 c=4:2a000000\n", "[Imp] @=1:6d000000\n"},
        {"bad header",
         QByteArray("Windows Registry Editor Version 4.00\n[HKEY_CURRENT_USER\\Imp]\n\"a\"=\"x\"\n"), 1,
         {"talven-reg: FILE: not a registry file: the first line must be 'Windows Registry Editor Version 5.00' or "
          "'REGEDIT4'"},
         "", ""},
        {"missing file", std::nullopt, 1, {"talven-reg: FILE: No such file or directory"}, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStore store;
        const QString file = QDir(store.dir()).filePath(QStringLiteral("in.reg"));
        if (c.file)
            WriteFile(file, *c.file);
        const Output r = Reg({"import", file});
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.status == 0 ? kDone : QString());
        QStringList errLines = c.errLines;
        errLines.replaceInStrings(QStringLiteral("FILE"), file);
        EXPECT_EQ(r.err, errLines.isEmpty() ? QString() : errLines.join(u'\n') + u'\n');
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, QStringLiteral("Imp")), c.user);
        EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, QStringLiteral("Imp")), c.machine);
    }
}

TEST(RegCommandTest, ExportedTreeImportsBackUnchanged)
{
    TempStore store;
    const QByteArray bin = QByteArray::fromHex(QByteArray("00112233445566778899aabbccddeeff").repeated(6));
    const struct { const char* path; const char16_t* name; DWORD type; QByteArray bytes; } values[] = {
        {"R", u"", REG_SZ, Utf16(QStringLiteral("root"))},
        {"R", u"sz", REG_SZ, Utf16(QStringLiteral("a \"quoted\" \\ path"))},
        {"R", u"empty", REG_SZ, {}},
        {"R", u"inner nul", REG_SZ, QByteArray("a\0\0\0b\0\0\0", 8)},
        {"R", u"dw", REG_DWORD, QByteArray("\x78\x56\x34\x12", 4)},
        {"R", u"short", REG_DWORD, QByteArray("\x01\x02", 2)},
        {"R", u"qw", REG_QWORD, QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"R", u"bin", REG_BINARY, bin},
        {"R", u"multi", REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10)},
        {"R", u"exp", REG_EXPAND_SZ, Utf16(QStringLiteral("%HOME%\\x"))},
        {"R", u"none", REG_NONE, {}},
        {"R", u"odd type", 0x1234, QByteArray("\x7f", 1)},
        {"R\\Sub\\Deep", u"Ünï ✓", REG_SZ, Utf16(QStringLiteral("日本"))},
        {"R\\Sub", u"n", REG_DWORD, QByteArray(4, '\0')},
    };
    for (const auto& v : values)
        Put(HKEY_CURRENT_USER, QString::fromLatin1(v.path), QString::fromUtf16(v.name), v.type, v.bytes);
    Key empty;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("R\\Empty"), KEY_ALL_ACCESS, empty.put()), ERROR_SUCCESS);
    empty.reset();
    const std::string before = Dump(HKEY_CURRENT_USER, QStringLiteral("R"));
    const QString file = QDir(store.dir()).filePath(QStringLiteral("out.reg"));

    ASSERT_EQ(Reg({"export", "HKCU\\R", file}).status, 0);
    const QByteArray exported = ReadFile(file);
    EXPECT_TRUE(exported.startsWith("\xFF\xFE")) << "UTF-16LE with BOM";
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, QStringLiteral("R")), ERROR_SUCCESS);
    const Output imported = Reg({"import", file});
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, QStringLiteral("R")), before);

    ASSERT_EQ(Reg({"export", "HKCU\\R", file, "/y"}).status, 0);
    EXPECT_EQ(ReadFile(file), exported);
}

TEST(RegCommandTest, ExportAsksBeforeReplacingAFile)
{
    const struct {
        const char* name;
        QString key;
        bool existing;
        QStringList switches;
        QString input;
        int status;
        bool written;
    } cases[] = {
        {"answered no", QStringLiteral("HKCU\\E"), true, {}, QStringLiteral("no\n"), 1, false},
        {"answered yes", QStringLiteral("HKCU\\E"), true, {}, QStringLiteral("yes\n"), 0, true},
        {"/y", QStringLiteral("HKCU\\E"), true, {"/y"}, {}, 0, true},
        {"new file", QStringLiteral("HKCU\\E"), false, {}, {}, 0, true},
        {"missing key", QStringLiteral("HKCU\\None"), true, {"/y"}, {}, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStore store;
        Put(HKEY_CURRENT_USER, QStringLiteral("E"), QStringLiteral("v"), REG_DWORD, QByteArray(4, '\7'));
        const QString file = QDir(store.dir()).filePath(QStringLiteral("e.reg"));
        if (c.existing)
            WriteFile(file, "keep");
        QByteArray expected;
        ASSERT_EQ(ExportRegFile(Root::CurrentUser, QStringLiteral("E"), &expected), ERROR_SUCCESS);

        const Output r = Reg(QStringList{"export", c.key, file} + c.switches, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(ReadFile(file), c.written ? expected : QByteArray("keep"));
        const bool asked = c.existing && c.switches.isEmpty();
        EXPECT_EQ(r.out.startsWith(QStringLiteral("File %1 already exists. Overwrite (Yes/No)? ").arg(file)), asked);
        if (c.key.endsWith(u"None")) {
            EXPECT_EQ(r.err, "talven-reg: HKEY_CURRENT_USER\\None: " + kNotFound + "\n");
        }
    }
}

TEST(RegCommandTest, BinaryReportsFailuresOnOneLineAndLeavesCorruptFilesAlone)
{
    const QByteArray garbage = QByteArray("this is not a store file\n").repeated(200);
    const struct {
        const char* name;
        QStringList args;
        QByteArray input;
        bool corruptUser;
        int status;
        QString out;
        QString errStart; // stderr is this one line, or empty
        bool namesStoreFile;
        std::string machine = "[Ok] n=4:07000000\n";
    } cases[] = {
        {"query of a corrupt store", {"query", "HKCU\\Software"}, {}, true, 1, {},
         "talven-reg: HKEY_CURRENT_USER\\Software: ", true},
        {"add to a corrupt store", {"add", "HKCU\\Software", "/v", "x", "/d", "y", "/f"}, {}, true, 1, {},
         "talven-reg: HKEY_CURRENT_USER\\Software: ", true},
        {"other root still works", {"add", "HKLM\\Ok", "/v", "m", "/t", "REG_DWORD", "/d", "8", "/f"}, {}, true, 0,
         kDone, {}, false, "[Ok] n=4:07000000 m=4:08000000\n"},
        {"question answered on stdin", {"delete", "HKLM\\Ok", "/v", "n"}, "n\n", false, 1,
         "Delete the registry value n (Yes/No)? " + kCancelled, {}, false},
        {"bad switch", {"query", "HKLM\\Ok", "/z"}, {}, false, 1, {},
         "talven-reg: /z: invalid switch for query; try talven-reg /?", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStore store;
        const QString userFile = store.path(Root::CurrentUser);
        Put(HKEY_LOCAL_MACHINE, QStringLiteral("Ok"), QStringLiteral("n"), REG_DWORD, QByteArray("\7\0\0\0", 4));
        if (c.corruptUser)
            WriteFile(userFile, garbage);

        const Output r = RegProcess(c.args, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        if (c.errStart.isEmpty()) {
            EXPECT_EQ(r.err, QString());
        } else {
            EXPECT_TRUE(r.err.startsWith(c.errStart)) << r.err.toStdString();
            EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.endsWith(u'\n'));
        }
        if (c.namesStoreFile) {
            EXPECT_TRUE(r.err.contains(QStringLiteral("(store file %1)").arg(userFile))) << r.err.toStdString();
        }
        if (c.corruptUser) {
            EXPECT_EQ(ReadFile(userFile), garbage);
        }
        EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, QStringLiteral("Ok")), c.machine);
    }
}

} // namespace

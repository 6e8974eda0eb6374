#include "talven-reg/RegCommand.h"

#include "../registry/StoreProbe.h"
#include "StoreValues.h"
#include "TempStore.h"
#include "registry/RegKeyName.h"
#include "registry/Registry.h"
#include "registry/Utf16Le.h"


#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace reg;

namespace {

const QString kDone = QStringLiteral("The operation completed successfully.\n");
const QString kCancelled = QStringLiteral("The operation was cancelled.\n");
const QString kBad = QStringLiteral("talven-reg: ");

struct Output { int status = -1; QString out, err; };

// Runs the command in this process; `input` answers its questions.
Output Reg(const QStringList& args, QString input = {})
{
    Output r;
    QTextStream out(&r.out), err(&r.err), in(&input, QIODevice::ReadOnly);
    r.status = RunRegCommand(args, out, err, in);
    out.flush();
    err.flush();
    return r;
}

// Arguments split at blanks, '' standing for an empty one.
QStringList Args(const char* text)
{
    QStringList args = QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
    for (QString& arg : args)
        arg = arg == "''" ? QString() : arg;
    return args;
}

// A line for the key and each below it, "[path] name=type:hex ..." ("@": unnamed value); "" if missing.
std::string Dump(HKEY root, const QString& path)
{
    Key key;
    if (RegOpenKeyEx(root, path, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    QString line = u'[' + path + u']', name;
    DWORD type = 0;
    QByteArray bytes;
    for (DWORD i = 0; RegEnumValue(key, i, &name, &type, &bytes) == ERROR_SUCCESS; ++i)
        line += QStringLiteral(" %1=%2:%3").arg(name.isEmpty() ? QStringLiteral("@") : name).arg(type).arg(QString::fromLatin1(bytes.toHex()));
    std::string text = line.toStdString() + '\n';
    for (DWORD i = 0; RegEnumKeyEx(key, i, &name) == ERROR_SUCCESS; ++i)
        text += Dump(root, path + u'\\' + name);
    return text;
}

TEST(RegCommandTest, QueriesAddsOfEachTypeHelpAndBadCommandLines)
{
    TempStore store;
    PutString(HKEY_CURRENT_USER, "Q", QString(), "def");
    PutDword(HKEY_CURRENT_USER, "Q", "d", 0x2a);
    PutValue(HKEY_CURRENT_USER, "Q", "m", REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10));
    PutValue(HKEY_CURRENT_USER, "Q\\Sub\\Deep", "x", REG_EXPAND_SZ, QByteArray("%\0H\0%\0\0\0", 8));
    const QString head = QStringLiteral("\nHKEY_CURRENT_USER\\Q\n"), deep = "\nHKEY_CURRENT_USER\\Q\\Sub\\Deep\n";
    const struct { const char* args; int status; QString out, err; } cases[] = {
        {"query HKCU\\Q", 0, head + "    (Default)    REG_SZ    def\n    d    REG_DWORD    0x2a\n"
         "    m    REG_MULTI_SZ    a\\0b\n\nHKEY_CURRENT_USER\\Q\\Sub\n", {}},
        // A key without values has no block of its own unless a recursive listing reaches it.
        {"QUERY hkcu\\Q\\Sub\\ -S", 0, deep + "    x    REG_EXPAND_SZ    %H%\n\n", {}},
        {"query HKCU\\Q\\Sub /ve", 0, "\nHKEY_CURRENT_USER\\Q\\Sub\n    (Default)    REG_SZ    (value not set)\n\n", {}},
        {"query HKCU\\Q /s /s", 1, {}, kBad + "/s: this switch is given more than once\n"},
        {"export HKCU\\Q /y f", 1, {}, kBad + "/y: /y goes after the key and the file\n"},
    };
    for (const auto& c : cases) {
        const Output r = Reg(Args(c.args));
        EXPECT_EQ(std::tuple(r.status, r.out.toStdString(), r.err.toStdString()),
                  std::tuple(c.status, c.out.toStdString(), c.err.toStdString())) << c.args;
    }
    for (const char* operation : {"query", "add", "delete", "import", "export"}) {
        for (const char* help : {"/?", "/h", "-H"})
            EXPECT_TRUE(Reg({operation, help}).out.section(u'\n', 1, 1).startsWith(QStringLiteral("  talven-reg %1 ").arg(operation))) << help;
        EXPECT_EQ(Reg({operation}).status, 1) << operation;
    }

    // Adds, each under a key of its own: the stored value as "name=type:hex"; null: refused, and the key is not created.
    const struct { const char* switches; const char* stored; } adds[] = {
        {"/v v /d hi", "v=1:680069000000"}, {"", "@=1:0000"}, {"/v v /t REG_SZ /d a\\0b", "v=1:61005c00300062000000"},
        {"/v v /t reg_multi_sz /d a\\0b", "v=7:61000000620000000000"}, {"/v v /t REG_MULTI_SZ /s # /d a#b#", "v=7:61000000620000000000"},
        {"/v v /t REG_MULTI_SZ /d a\\0\\0b", nullptr}, {"/v v /t REG_MULTI_SZ /s # /d #a", nullptr},
        {"/v v /t REG_MULTI_SZ /s ## /d a", nullptr}, {"/v v /t REG_DWORD /d 0x0000001F", "v=4:1f000000"},
        {"/v v /t reg_dword_little_endian /D 0123", "v=4:7b000000"}, {"/v v /t REG_DWORD_BIG_ENDIAN /d 0X123", "v=5:23010000"},
        {"/v v /t REG_DWORD /d 0xffffffff", "v=4:ffffffff"}, {"/v v /t REG_DWORD /d 4294967296", nullptr},
        {"/v v /t REG_DWORD /d -1", nullptr}, {"/v v /t REG_DWORD /d deadbeef", nullptr}, {"/v v /t REG_DWORD", nullptr},
        {"/v v /t REG_QWORD /d 0x0102030405060708", "v=11:0807060504030201"}, {"/v v /t REG_QWORD /d -1", "v=11:ffffffffffffffff"},
        {"/v v /t REG_QWORD", "v=11:0000000000000000"}, {"/v v /t REG_QWORD /d 18446744073709551616", nullptr},
        {"/v v /t REG_BINARY /d DeAdBeEf0DD", "v=3:0deadbeef0dd"}, {"/v v /t REG_BINARY /d 0x01", nullptr},
        {"/v v /t REG_LINK /d x", nullptr}, {"/v v /t REG_SZ /d 1 /t REG_SZ", nullptr},
    };
    int index = 0;
    for (const auto& c : adds) {
        const QString path = QStringLiteral("Add\\%1").arg(++index);
        const Output r = Reg(QStringList{"add", "HKCU\\" + path} + Args(c.switches) + QStringList{"/f"});
        EXPECT_EQ(std::pair(r.status, r.err.isEmpty()), std::pair(c.stored ? 0 : 1, c.stored != nullptr)) << c.switches;
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, path), c.stored ? '[' + path.toStdString() + "] " + c.stored + '\n' : "") << c.switches;
    }
}

TEST(RegCommandTest, AddAndDeleteChangeOnlyWhatTheyNameAfterAsking)
{
    // Every value starts as an empty REG_NONE; adds write a REG_DWORD 1.
    const std::string all = "[D] @=0: a=0: b=0:\n[D\\Sub] c=0:\n";
    // outEnd empty: nothing printed.
    const struct { const char* args; QString input; int status; QString outEnd; std::string remaining; } cases[] = {
        {"add HKCU\\D /v a /t REG_DWORD /d 1", " Yes \n", 0, kDone, "[D] @=0: a=4:01000000 b=0:\n[D\\Sub] c=0:\n"},
        {"add HKCU\\D /v a /t REG_DWORD /d 1", "no\n", 1, kCancelled, all},
        {"delete HKCU\\D /v A /f", {}, 0, kDone, "[D] @=0: b=0:\n[D\\Sub] c=0:\n"},
        {"delete HKCU\\D -F", {}, 0, kDone, ""},
        {"delete HKCU\\D", "n\n", 1, kCancelled, all},
        {"delete HKEY_CURRENT_USER\\ /f", {}, 1, {}, all},
        // Without /v the unnamed value is set, asking only when it exists.
        {"add HKCU\\D", "n\n", 1, kCancelled, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args + (" <" + c.input.toStdString()));
        TempStore store;
        for (const char* name : {"", "a", "b"})
            PutValue(HKEY_CURRENT_USER, "D", name, REG_NONE, {});
        PutValue(HKEY_CURRENT_USER, "D\\Sub", "c", REG_NONE, {});
        const Output r = Reg(Args(c.args), c.input);
        EXPECT_TRUE(c.outEnd.isEmpty() ? r.out.isEmpty() : r.out.endsWith(c.outEnd)) << r.out.toStdString();
        EXPECT_EQ(std::pair(r.status, r.err.isEmpty()), std::pair(c.status, !c.outEnd.isEmpty())) << r.err.toStdString();
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, "D"), c.remaining);
    }
}

// A bad line is skipped and reported; a root that cannot be written is left whole and fails the
// import, as does a file that is no registry file.
TEST(RegCommandTest, ImportSkipsBadLinesAppliesEachRootAtomicallyAndFailsOnlyForTheFileOrARoot)
{
    for (const bool machineReadOnly : {false, true}) {
        SCOPED_TRACE(machineReadOnly);
        TempStore store;
        PutKey(HKEY_CURRENT_USER, "Gone");
        store.setReadOnly(Root::LocalMachine, machineReadOnly);
        const QString file = store.dir() + QStringLiteral("/in.reg"), said = "talven-reg: " + file;
        ASSERT_TRUE(WriteAll(file, "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Imp]\n\"a\"=\"x\"\n"
                                   "\"b\"=dword:123456789\n\"c\"=dword:2a\n[HKLM\\Imp]\n@=\"m\"\n[-HKCU\\Gone]\n[-HKCU\\Never]\n"));
        const Output r = Reg({"import", file});
        EXPECT_EQ(std::pair(r.status, r.out), std::pair(int(machineReadOnly), machineReadOnly ? QString() : kDone));
        EXPECT_EQ(r.err.toStdString(), (said + ":5: bad dword value\n" + (machineReadOnly ? said + ": HKEY_LOCAL_MACHINE was not changed: Access "
                  "is denied. (store file " + store.path(Root::LocalMachine) + ")\n" + said + ": 5 change(s) imported, 2 problem(s)\n"
                  : said + ": 7 change(s) imported, 1 problem(s)\n")).toStdString());
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, "Imp") + Dump(HKEY_LOCAL_MACHINE, "Imp") + Dump(HKEY_CURRENT_USER, "Gone"),
                  "[Imp] a=1:78000000 c=4:2a000000\n" + std::string(machineReadOnly ? "" : "[Imp] @=1:6d000000\n"));
        ASSERT_TRUE(WriteAll(file, "Windows Registry Editor Version 4.00\n[HKCU\\Gone]\n"));
        EXPECT_EQ(Reg({"import", file}).status, 1) << "a file that is no registry file fails";
    }
}

// The file type and content of a path, not following a link.
std::string Describe(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return "link to " + info.symLinkTarget().toStdString();
    return info.isFile() ? "file " + ReadAll(path).left(3).toStdString() : info.isDir() ? "folder" : info.exists() ? "special" : "missing";
}

// Export writes regular files only, never through a link, replaces one only when the user says
// so, and writes no key whose name a .reg file cannot hold: such a key in a file written before
// names were checked is refused. A corrupt store file is reported on one line and left as it is.
TEST(RegCommandTest, ExportWritesOnlyRegularFilesOfKeysItCanWrite)
{
    TempStore store;
    PutDword(HKEY_CURRENT_USER, "E", "v", 1);
    const QString dir = store.dir();
    // A device of its own, the same as /dev/full: a faulty export must not replace the system's.
    ASSERT_EQ(::mknod(qPrintable(dir + "/full"), S_IFCHR | 0666, makedev(1, 7)), 0);
    ::mkfifo(qPrintable(dir + "/fifo"), 0600);
    WriteAll(dir + "/old.reg", "keep");
    QFile::link(dir + "/nowhere.reg", dir + "/dangling");
    const QString notRegular = "exists and is not a regular file (a device, FIFO, socket or folder); it was left untouched";
    const QString link = "is a symbolic link, which export does not follow; give the path of the file itself";
    const struct { QString target; QString refusal; std::string after; } cases[] = {
        {dir + "/full", notRegular, "special"}, {dir + "/fifo", notRegular, "special"},
        {dir + "/dangling", link, "link to " + (dir + "/nowhere.reg").toStdString()}, {dir + "/old.reg", {}, "file \xFF\xFEW"},
    };
    const Output cancelled = Reg({"export", "HKCU\\E", dir + "/old.reg"}, "no\n");
    EXPECT_EQ(std::pair(cancelled.status, cancelled.out.endsWith(kCancelled)), std::pair(1, true)) << cancelled.out.toStdString();
    for (const auto& c : cases) {
        const Output r = Reg({"export", "HKCU\\E", c.target, "/y"});
        EXPECT_EQ(std::pair(r.status, r.err), std::pair(c.refusal.isEmpty() ? 0 : 1, c.refusal.isEmpty() ? QString() : "talven-reg: " + c.target + ": " + c.refusal + "\n"));
        EXPECT_EQ(Describe(c.target), c.after);
    }
    EXPECT_EQ(Describe(dir + "/nowhere.reg"), "missing") << "a dangling link's target is never made";

    const QString oldKey = "Evil\r\n[HKEY_LOCAL_MACHINE"; // one component: the store splits names at '\\'
    FoldedName fold;
    FoldName(oldKey, &fold);
    Sql(store.path(Root::CurrentUser), ("INSERT INTO keys(parent, name, fold) SELECT id, x'" + Utf16LeBytes(oldKey).toHex() + "', x'" +
                                        QByteArray(fold.data(), fold.size()).toHex() + "' FROM keys WHERE parent = 1 AND name = x'4500'").constData());
    const Output exported = Reg({"export", "HKCU\\E", dir + "/out.reg"});
    EXPECT_TRUE(exported.status == 1 && exported.err.count(u'\n') == 1 &&
                exported.err.startsWith("talven-reg: HKEY_CURRENT_USER\\E\\Evil\uFFFD\uFFFD[HKEY_LOCAL_MACHINE") &&
                exported.err.endsWith("that a .reg file cannot hold; nothing was exported\n")) << exported.err.toStdString();
    EXPECT_EQ(Describe(dir + "/out.reg"), "missing");
    const Output longName = Reg({"query", "HKCU\\" + QString(16384, u'n')});
    EXPECT_TRUE(longName.status == 1 && longName.err.size() < 200 && longName.err.contains(QChar(0x2026))) << longName.err.toStdString();

    ResetStore();
    const QString userFile = store.path(Root::CurrentUser);
    const QByteArray garbage = QByteArray("this is not a store file\n").repeated(200);
    ASSERT_TRUE(WriteAll(userFile, garbage));
    const Output corrupt = Reg({"add", "HKCU\\Software", "/v", "x", "/d", "y", "/f"});
    EXPECT_TRUE(corrupt.status == 1 && corrupt.err.count(u'\n') == 1 && corrupt.err.startsWith("talven-reg: HKEY_CURRENT_USER\\Software: ") &&
                corrupt.err.endsWith(QStringLiteral("The file %1 is not a settings store of this version; it is left untouched.\n").arg(userFile)))
        << corrupt.err.toStdString();
    EXPECT_EQ(ReadAll(userFile), garbage);
}

} // namespace

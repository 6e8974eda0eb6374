#include "talven-reg/RegCommand.h"

#include "../registry/StoreProbe.h"
#include "StoreValues.h"
#include "TempStore.h"
#include "registry/Registry.h"

#include <gtest/gtest.h>

#include "registry/Utf16Le.h"

#include <QDir>
#include <QProcess>

#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace reg;

namespace {

const QString kDone = QStringLiteral("The operation completed successfully.\n");
const QString kCancelled = QStringLiteral("The operation was cancelled.\n");
const QString kNotFound = RegErrorText(ERROR_FILE_NOT_FOUND);

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

// Runs the built binary, which finds the store through the same environment as this process.
Output RegProcess(const QStringList& args, const QByteArray& input)
{
    QProcess process;
    process.start(QStringLiteral(TALVEN_REG), args);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
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
        line += QStringLiteral(" %1=%2:%3").arg(name.isEmpty() ? QStringLiteral("@") : name).arg(type)
                    .arg(QString::fromLatin1(bytes.toHex()));
    std::string text = line.toStdString() + '\n';
    for (DWORD i = 0; RegEnumKeyEx(key, i, &name) == ERROR_SUCCESS; ++i)
        text += Dump(root, path + u'\\' + name);
    return text;
}

TEST(RegCommandTest, PrintsQueriesAndRejectsBadCommandLines)
{
    TempStore store;
    PutString(HKEY_CURRENT_USER, "Q", QString(), "def");
    PutDword(HKEY_CURRENT_USER, "Q", "d", 0x2a);
    PutValue(HKEY_CURRENT_USER, "Q", "m", REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10));
    PutValue(HKEY_CURRENT_USER, "Q\\Sub\\Deep", "x", REG_EXPAND_SZ, QByteArray("%\0H\0%\0\0\0", 8));
    const QString head = QStringLiteral("\nHKEY_CURRENT_USER\\Q\n");
    const QString bad = QStringLiteral("talven-reg: ");
    const struct { QStringList args; int status; QString out, err; } cases[] = {
        {{"query", "HKCU\\Q"}, 0, head + "    (Default)    REG_SZ    def\n    d    REG_DWORD    0x2a\n"
         "    m    REG_MULTI_SZ    a\\0b\n\nHKEY_CURRENT_USER\\Q\\Sub\n", {}},
        // A key without values has no block of its own unless a recursive listing reaches it.
        {{"QUERY", "hkcu\\Q\\Sub\\", "-S"}, 0, "\nHKEY_CURRENT_USER\\Q\\Sub\\Deep\n    x    REG_EXPAND_SZ    %H%\n\n", {}},
        {{"query", "HKCU\\Q\\Sub"}, 0, "\nHKEY_CURRENT_USER\\Q\\Sub\\Deep\n", {}},
        {{"query", "HKCU\\Q", "/s"}, 0, head + "    (Default)    REG_SZ    def\n    d    REG_DWORD    0x2a\n"
         "    m    REG_MULTI_SZ    a\\0b\n\nHKEY_CURRENT_USER\\Q\\Sub\n\nHKEY_CURRENT_USER\\Q\\Sub\\Deep\n"
         "    x    REG_EXPAND_SZ    %H%\n\n", {}},
        {{"query", "HKCU\\Q", "/v", "x", "/s"}, 0, "\nHKEY_CURRENT_USER\\Q\\Sub\\Deep\n    x    REG_EXPAND_SZ    %H%\n\n", {}},
        {{"query", "HKCU\\Q\\Sub", "/ve"}, 0, "\nHKEY_CURRENT_USER\\Q\\Sub\n    (Default)    REG_SZ    (value not set)\n\n", {}},
        {{"query", "HKCU\\Q", "/v", "nope", "/s"}, 1, "\n", bad + "HKEY_CURRENT_USER\\Q\\nope: " + kNotFound + "\n"},
        {{"query", "HKCU\\Q", "/s", "/s"}, 1, {}, bad + "/s: this switch is given more than once\n"},
        {{"query", "HKCU\\Q", "/ve", "/v", "d"}, 1, {}, bad + "/v: only one of /v, /ve and /va may be given\n"},
        {{"query", "HKCU\\Q\\\\"}, 1, {}, bad + "HKCU\\Q\\\\: the key name ends in more than one '\\'\n"},
        {{"query", "HKEY_CURRENT_USER\\Q", "-V", "m"}, 0, head + "    m    REG_MULTI_SZ    a\\0b\n\n", {}},
        {{"query", "HKCU\\Q", "/v", "nope"}, 1, {}, bad + "HKEY_CURRENT_USER\\Q\\nope: " + kNotFound + "\n"},
        {{"query", "HKCR\\Q"}, 1, {},
         bad + "HKCR\\Q: the key must start with HKEY_CURRENT_USER, HKCU, HKEY_LOCAL_MACHINE or HKLM\n"},
        {{"query", "HKCU\\Q", "/f"}, 1, {}, bad + "/f: invalid switch for query; try talven-reg query /?\n"},
        {{"add", "HKCU\\Q", "/v", "s", "/s"}, 1, {}, bad + "/s: this switch needs an argument\n"},
        {{"export", "HKCU\\Q"}, 1, {}, bad + "export: expected 2 argument(s); try talven-reg export /?\n"},
        {{"export", "/y", "HKCU\\Q", "f"}, 1, {}, bad + "/y: /y goes after the key and the file\n"},
        {{"export", "HKCU\\Q", "/y", "f"}, 1, {}, bad + "/y: /y goes after the key and the file\n"},
        {{"frob", "HKCU\\Q"}, 1, {}, bad + "frob: unknown operation; try talven-reg /?\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Output r = Reg(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out.toStdString(), c.out.toStdString());
        EXPECT_EQ(r.err.toStdString(), c.err.toStdString());
    }
}

TEST(RegCommandTest, EveryOperationAnswersHelpAndNeedsItsArguments)
{
    for (const char* operation : {"query", "add", "delete", "import", "export"}) {
        for (const char* help : {"/?", "/h", "-H"}) {
            const Output r = Reg({operation, help});
            EXPECT_EQ(r.status, 0) << operation << help;
            EXPECT_TRUE(r.out.contains(QStringLiteral("talven-reg %1 ").arg(operation)) && r.out.count(u'\n') < 20) << operation;
        }
        EXPECT_EQ(Reg({operation}).status, 1) << operation;
    }
}

TEST(RegCommandTest, AddStoresEachTypeAsExactBytes)
{
    TempStore store;
    // The stored value as "name=type:hex"; null: refused, and the key is not created.
    const struct { QStringList switches; const char* stored; } cases[] = {
        {{"/v", "v", "/d", "hi"}, "v=1:680069000000"},
        {{}, "@=1:0000"},
        {{"/d", "def"}, "@=1:6400650066000000"},
        {{"/t", "REG_DWORD", "/d", "0x5"}, "@=4:05000000"},
        {{"/t", "REG_NONE", "/d", "Te"}, "@=0:540065000000"},
        {{"/v", "v", "/t", "REG_SZ", "/d", "a\\0b"}, "v=1:61005c00300062000000"},
        {{"/v", "v", "/t", "reg_multi_sz", "/d", "a\\0b"}, "v=7:61000000620000000000"},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "a#b#"}, "v=7:61000000620000000000"},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "#"}, "v=7:00000000"},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/d", ""}, "v=7:0000"},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "a\\0#b"}, "v=7:61005c0030000000620000000000"},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"}, nullptr},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "#a"}, nullptr},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/s", "##", "/d", "a"}, nullptr},
        {{"/v", "v", "/t", "REG_MULTI_SZ", "/s", "", "/d", "a"}, nullptr},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "0x0000001F"}, "v=4:1f000000"},
        {{"/v", "v", "/t", "reg_dword_little_endian", "/D", "0123"}, "v=4:7b000000"},
        {{"/v", "v", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "0X123"}, "v=5:23010000"},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "0xffffffff"}, "v=4:ffffffff"},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "4294967296"}, nullptr},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "-1"}, nullptr},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "00x1"}, nullptr},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "deadbeef"}, nullptr},
        {{"/v", "v", "/t", "REG_DWORD", "/d", "0xabcdefg"}, nullptr},
        {{"/v", "v", "/t", "REG_DWORD", "/d", ""}, nullptr},
        {{"/v", "v", "/t", "REG_DWORD"}, nullptr},
        {{"/v", "v", "/t", "REG_QWORD", "/d", "0x0102030405060708"}, "v=11:0807060504030201"},
        {{"/v", "v", "/t", "REG_QWORD", "/d", "-1"}, "v=11:ffffffffffffffff"},
        {{"/v", "v", "/t", "REG_QWORD"}, "v=11:0000000000000000"},
        {{"/v", "v", "/t", "REG_QWORD", "/d", "-0x1"}, nullptr},
        {{"/v", "v", "/t", "REG_QWORD", "/d", "18446744073709551616"}, nullptr},
        {{"/v", "v", "/t", "REG_BINARY", "/d", "01aBff"}, "v=3:01abff"},
        {{"/v", "v", "/t", "REG_BINARY", "/d", "DeAdBeEf0DD"}, "v=3:0deadbeef0dd"},
        {{"/v", "v", "/t", "REG_BINARY"}, "v=3:"},
        {{"/v", "v", "/t", "REG_BINARY", "/d", "0x01"}, nullptr},
        {{"/v", "v", "/t", "REG_LINK", "/d", "x"}, nullptr},
        {{"/v", "v", "/t", ""}, nullptr},
        {{"/v", "v", "/t", "REG_SZ", "/d", "1", "/t", "REG_SZ"}, nullptr},
        {{"/v", "v", "/d", "1", "/d", "2"}, nullptr},
        {{"/f"}, nullptr},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.switches.join(u' ').toStdString());
        const QString path = QStringLiteral("Add\\%1").arg(++index);
        const Output r = Reg(QStringList{"add", "HKCU\\" + path} + c.switches + QStringList{"/f"});
        EXPECT_EQ(r.status, c.stored ? 0 : 1);
        EXPECT_EQ(r.err.isEmpty(), c.stored != nullptr) << r.err.toStdString();
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, path), c.stored ? '[' + path.toStdString() + "] " + c.stored + '\n' : "");
    }
    // One trailing backslash is no part of the name; two, or none below the root, are refused.
    EXPECT_EQ(Reg({"add", "HKLM\\Add\\KeyOnly\\"}).out, kDone);
    EXPECT_EQ(Reg({"add", "HKLM\\Add\\Bad\\\\", "/f"}).status, 1);
    EXPECT_EQ(Reg({"add", "HKEY_LOCAL_MACHINE\\", "/v", "v", "/f"}).status, 1);
    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, "Add") + Dump(HKEY_LOCAL_MACHINE, QString()), "[Add]\n[Add\\KeyOnly] @=1:0000\n[]\n");
}

TEST(RegCommandTest, AddAndDeleteChangeOnlyWhatTheyNameAfterAsking)
{
    // Every value starts as an empty REG_NONE; adds write a REG_DWORD 1.
    const std::string all = "[D] @=0: a=0: b=0:\n[D\\Sub] c=0:\n";
    const QStringList addA{"add", "HKCU\\D", "/v", "a", "/t", "REG_DWORD", "/d", "1"};
    // outEnd empty: nothing printed.
    const struct { QStringList args; QString input; int status; QString outEnd; std::string remaining; } cases[] = {
        {addA, QStringLiteral(" Yes \n"), 0, kDone, "[D] @=0: a=4:01000000 b=0:\n[D\\Sub] c=0:\n"},
        {addA, QStringLiteral("no\n"), 1, kCancelled, all},
        {{"add", "HKCU\\D", "/v", "new", "/t", "REG_DWORD", "/d", "1"}, {}, 0, kDone,
         "[D] @=0: a=0: b=0: new=4:01000000\n[D\\Sub] c=0:\n"},
        {{"delete", "HKCU\\D", "/v", "A", "/f"}, {}, 0, kDone, "[D] @=0: b=0:\n[D\\Sub] c=0:\n"},
        {{"delete", "HKCU\\D", "/va", "/f"}, {}, 0, kDone, "[D]\n[D\\Sub] c=0:\n"},
        {{"delete", "HKCU\\D", "-F"}, {}, 0, kDone, ""},
        {{"delete", "HKCU\\D"}, QStringLiteral("n\n"), 1, kCancelled, all},
        {{"delete", "HKEY_CURRENT_USER\\", "/f"}, {}, 1, {}, all},
        {{"delete", "HKCU\\D\\None", "/f"}, {}, 1, {}, all},
        {{"delete", "HKCU\\D", "/va", "/va", "/f"}, {}, 1, {}, all},
        {{"delete", "HKCU\\D", "/v", "a", "/ve", "/f"}, {}, 1, {}, all},
        // Without /v the unnamed value is set, asking only when it exists.
        {{"add", "HKCU\\D"}, QStringLiteral("n\n"), 1, kCancelled, all},
        {{"add", "HKCU\\D\\Sub"}, {}, 0, kDone, "[D] @=0: a=0: b=0:\n[D\\Sub] c=0: @=1:0000\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString() + " <" + c.input.toStdString());
        TempStore store;
        for (const char* name : {"", "a", "b"})
            PutValue(HKEY_CURRENT_USER, "D", name, REG_NONE, {});
        PutValue(HKEY_CURRENT_USER, "D\\Sub", "c", REG_NONE, {});
        const Output r = Reg(c.args, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(c.outEnd.isEmpty() ? r.out.isEmpty() : r.out.endsWith(c.outEnd)) << r.out.toStdString();
        EXPECT_EQ(r.err.isEmpty(), !c.outEnd.isEmpty()) << r.err.toStdString();
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, "D"), c.remaining);
    }
}

TEST(RegCommandTest, ImportSkipsBadLinesAppliesEachRootAtomicallyAndFailsOnlyForTheFileOrARoot)
{
    const QByteArray good = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Imp]\n\"a\"=\"x\"\n"
                            "\"b\"=dword:123456789\n\"c\"=dword:2a\n[HKLM\\Imp]\n@=\"m\"\n[-HKCU\\Gone]\n[-HKCU\\Never]\n";
    const QString badDword = QStringLiteral("talven-reg: FILE:5: bad dword value\n");
    const QString body = QStringLiteral("[HKEY_CURRENT_USER\\Imp]\n\"a\"=\"x\"\n");
    // "FILE" in err stands for the file's name; stored: HKCU\Imp, HKLM\Imp, then HKCU\Gone (made beforehand).
    const struct { QByteArray file; bool machineReadOnly; int status; QString err; std::string stored; } cases[] = {
        {good, false, 0, badDword + "talven-reg: FILE: 7 change(s) imported, 1 problem(s)\n",
         "[Imp] a=1:78000000 c=4:2a000000\n[Imp] @=1:6d000000\n"},
        {good, true, 1, badDword + "talven-reg: FILE: HKEY_LOCAL_MACHINE was not changed: Access is denied. (store file MACHINEDB)\n"
         "talven-reg: FILE: 5 change(s) imported, 2 problem(s)\n", "[Imp] a=1:78000000 c=4:2a000000\n"},
        {"Windows Registry Editor Version 4.00\n" + body.toUtf8(), false, 1,
         "talven-reg: FILE: not a registry file: the first line must be 'Windows Registry Editor Version 5.00' or "
         "'REGEDIT4'\n", "[Gone]\n"},
        {"\xFF\xFE" + Utf16LeBytes("REGEDIT5\n" + body), false, 0,
         "talven-reg: FILE: the first line names another REGEDIT form, whose content is not read: nothing was imported\n",
         "[Gone]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err.toStdString());
        TempStore store;
        PutKey(HKEY_CURRENT_USER, "Gone");
        store.setReadOnly(Root::LocalMachine, c.machineReadOnly);
        const QString file = store.dir() + QStringLiteral("/in.reg");
        ASSERT_TRUE(WriteAll(file, c.file));
        const Output r = Reg({"import", file});
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.status == 0 ? kDone : QString());
        EXPECT_EQ(r.err.toStdString(), QString(c.err).replace(QStringLiteral("FILE"), file)
                                           .replace(QStringLiteral("MACHINEDB"), store.path(Root::LocalMachine)).toStdString());
        EXPECT_EQ(Dump(HKEY_CURRENT_USER, "Imp") + Dump(HKEY_LOCAL_MACHINE, "Imp") + Dump(HKEY_CURRENT_USER, "Gone"),
                  c.stored);
    }
    EXPECT_EQ(Reg({"import", "a.reg", "b.reg"}).status, 1);
}

TEST(RegCommandTest, ExportedTreeImportsBackUnchangedAndReplacesFilesOnlyWhenAllowed)
{
    TempStore store;
    PutString(HKEY_CURRENT_USER, "R", QString(), "a \"quoted\" \\ path");
    PutValue(HKEY_CURRENT_USER, "R", "short", REG_DWORD, QByteArray("\x01\x02", 2));
    PutString(HKEY_CURRENT_USER, "R\\Sub\\Deep", "Ünï ✓", "日本");
    ASSERT_EQ(Reg({"add", "HKCU\\R\\Empty"}).status, 0);
    const std::string before = Dump(HKEY_CURRENT_USER, "R");
    const QString file = store.dir() + QStringLiteral("/out.reg");

    ASSERT_EQ(Reg({"export", "HKCU\\R", file}).status, 0);
    const QByteArray exported = ReadAll(file);
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, QStringLiteral("R")), ERROR_SUCCESS);
    EXPECT_EQ(Reg({"import", file}).err, QString());
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, "R"), before);

    ASSERT_TRUE(WriteAll(file, "keep"));
    EXPECT_EQ(Reg({"export", "HKCU\\R", file}, QStringLiteral("no\n")).status, 1);
    EXPECT_EQ(Reg({"export", "HKCU\\No", file, "/y"}).err, "talven-reg: HKEY_CURRENT_USER\\No: " + kNotFound + "\n");
    EXPECT_EQ(ReadAll(file), "keep");
    EXPECT_EQ(Reg({"export", "HKCU\\R", file, "/y"}).status, 0);
    EXPECT_EQ(ReadAll(file), exported);
}

TEST(RegCommandTest, BinaryReportsFailuresOnOneLineAndLeavesCorruptFilesAlone)
{
    TempStore store;
    const QString userFile = store.path(Root::CurrentUser);
    const QByteArray garbage = QByteArray("this is not a store file\n").repeated(200);
    ASSERT_TRUE(WriteAll(userFile, garbage));

    const Output corrupt = RegProcess({"add", "HKCU\\Software", "/v", "x", "/d", "y", "/f"}, {});
    EXPECT_EQ(corrupt.status, 1);
    EXPECT_TRUE(corrupt.err.startsWith("talven-reg: HKEY_CURRENT_USER\\Software: ") && corrupt.err.count(u'\n') == 1 &&
                corrupt.err.endsWith(QStringLiteral("The file %1 is not a settings store of this version; it is left "
                                                    "untouched.\n").arg(userFile)))
        << corrupt.err.toStdString();
    EXPECT_EQ(ReadAll(userFile), garbage);

    EXPECT_EQ(RegProcess({"add", "HKLM\\Ok", "/v", "m", "/t", "REG_DWORD", "/d", "8", "/f"}, {}).err, QString());
    const Output cancelled = RegProcess({"delete", "HKLM\\Ok", "/v", "m"}, "n\n");
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.out, "Delete the registry value m (Yes/No)? " + kCancelled);
    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, "Ok"), "[Ok] m=4:08000000\n");
}

// The file type and content of a path, not following a link.
std::string Describe(const QString& path)
{
    struct stat st;
    if (::lstat(qPrintable(path), &st) != 0)
        return "missing";
    if (S_ISLNK(st.st_mode))
        return "link to " + QFileInfo(path).symLinkTarget().toStdString();
    if (S_ISREG(st.st_mode))
        return "file " + ReadAll(path).left(3).toStdString();
    return S_ISCHR(st.st_mode) ? "device" : S_ISFIFO(st.st_mode) ? "fifo" : S_ISDIR(st.st_mode) ? "folder" : "other";
}

TEST(RegCommandTest, ExportWritesOnlyRegularFilesAndNeverFollowsLinks)
{
    TempStore store;
    PutDword(HKEY_CURRENT_USER, "E", "v", 1);
    const QString dir = store.dir();
    // A device of its own, the same as /dev/full: a faulty export must not replace the system's.
    ASSERT_EQ(::mknod(qPrintable(dir + "/full"), S_IFCHR | 0666, makedev(1, 7)), 0);
    ::mkfifo(qPrintable(dir + "/fifo"), 0600);
    QDir(dir).mkdir("folder");
    WriteAll(dir + "/old.reg", "keep");
    QFile::link(dir + "/nowhere.reg", dir + "/dangling");
    QFile::link(dir + "/old.reg", dir + "/link");
    const QString notRegular = "exists and is not a regular file (a device, FIFO, socket or folder); it was left untouched";
    const QString link = "is a symbolic link, which export does not follow; give the path of the file itself";
    const struct { QString target; QString refusal; std::string after; } cases[] = {
        {dir + "/full", notRegular, "device"},
        {dir + "/fifo", notRegular, "fifo"},
        {dir + "/folder", notRegular, "folder"},
        {dir + "/dangling", link, "link to " + (dir + "/nowhere.reg").toStdString()},
        {dir + "/link", link, "link to " + (dir + "/old.reg").toStdString()},
        {dir + "/old.reg", {}, "file \xFF\xFEW"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        const Output r = Reg({"export", "HKCU\\E", c.target, "/y"});
        EXPECT_EQ(r.status, c.refusal.isEmpty() ? 0 : 1);
        EXPECT_EQ(r.err, c.refusal.isEmpty() ? QString() : "talven-reg: " + c.target + ": " + c.refusal + "\n");
        EXPECT_EQ(Describe(c.target), c.after);
    }
    EXPECT_EQ(Describe(dir + "/nowhere.reg"), "missing") << "a dangling link's target is never made";
    EXPECT_EQ(Describe(dir + "/old.reg"), "file \xFF\xFEW") << "replaced only when named itself";
}

// SQL literals of a key name as the store keeps it, and of its folded form (ASCII names only).
QByteArray StoredName(const QString& name)
{
    return "x'" + Utf16LeBytes(name).toHex() + "'";
}

QByteArray Folded(const QString& name)
{
    QByteArray fold;
    for (QChar c : name.toUpper()) {
        fold += char(c.unicode() >> 8);
        fold += char(c.unicode() & 0xFF);
    }
    return "x'" + fold.toHex() + "'";
}

TEST(RegCommandTest, NamesThatWouldBecomeLinesAreRefusedAndLongNamesCutInErrors)
{
    TempStore store;
    const QString planted = "Evil\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Orvane\\TALVEN_AD]\r\n\"DisableCustomize\"=dword:1";
    const QString file = store.dir() + "/out.reg";
    const Output add = Reg({"add", "HKCU\\Software\\" + planted, "/f"});
    EXPECT_EQ(add.status, 1);
    EXPECT_EQ(add.err.count(u'\n'), 1) << add.err.toStdString();
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, "Software"), "");

    // Such a key in a file written before names were checked is not exported either.
    PutDword(HKEY_CURRENT_USER, "Software\\Good", "v", 1);
    const QString oldKey = "Evil\r\n[HKEY_LOCAL_MACHINE"; // one component: the store splits names at '\\'
    Sql(store.path(Root::CurrentUser), ("INSERT INTO keys(parent, name, fold) SELECT id, " + StoredName(oldKey) + ", " +
                                           Folded(oldKey) + " FROM keys WHERE parent = 1 AND fold = " + Folded("Software")).constData());
    const Output exported = Reg({"export", "HKCU\\Software", file});
    EXPECT_EQ(exported.status, 1);
    EXPECT_TRUE(exported.err.startsWith("talven-reg: HKEY_CURRENT_USER\\Software\\Evil\uFFFD\uFFFD[HKEY_LOCAL_MACHINE") &&
                exported.err.endsWith("that a .reg file cannot hold; nothing was exported\n") &&
                exported.err.count(u'\n') == 1) << exported.err.toStdString();
    EXPECT_EQ(Describe(file), "missing");

    const Output longName = Reg({"query", "HKCU\\" + QString(16384, u'n')});
    EXPECT_EQ(longName.status, 1);
    EXPECT_LT(longName.err.size(), 200) << longName.err.toStdString();
    EXPECT_TRUE(longName.err.contains(QChar(0x2026)));
}

} // namespace

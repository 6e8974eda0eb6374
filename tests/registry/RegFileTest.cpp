// .reg files: what the reader makes of each kind of line, and files through the store: import then
// export gives the same bytes, imports are atomic per root, long value lines wrap as they should.

#include "StoreProbe.h"
#include "TempStore.h"
#include "registry/RegFileImport.h"
#include "registry/RegFileReader.h"
#include "registry/RegFileWriter.h"
#include "registry/RegValues.h"
#include "registry/Utf16Le.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace reg;

namespace {

QByteArray Reg5(const std::string& body)
{
    return "Windows Registry Editor Version 5.00\n" + QByteArray::fromStdString(body);
}

// "set HKCU\k [name] type:bytes @line": compact enough to write whole results in a table.
std::string Describe(const RegFileOp& op)
{
    static const char* const kKinds[] = {"create", "deltree", "set", "delete"};
    QString text = QStringLiteral("%1 %2\\%3").arg(kKinds[op.kind], op.root == Root::CurrentUser ? "HKCU" : "HKLM", op.path);
    if (op.kind == RegFileOp::SetValue || op.kind == RegFileOp::DeleteValue)
        text += QStringLiteral(" [%1]").arg(op.name);
    if (op.kind == RegFileOp::SetValue)
        text += QStringLiteral(" %1:%2").arg(op.type).arg(op.data.size() > 1024 ? QStringLiteral("<%1 bytes>").arg(op.data.size())
                                                                                   : QString::fromLatin1(op.data.toHex(' ')));
    return text.toStdString() + " @" + std::to_string(op.line);
}

struct Case {
    std::string name;
    QByteArray input;
    std::vector<std::string> ops;
    std::vector<std::string> errors;   // "line: message"
};

// Keeps test listings (and so the names ctest discovers) to the case's name.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
std::string CaseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

class ParseRegFileTest : public testing::TestWithParam<Case> {};

TEST_P(ParseRegFileTest, GivesOpsAndErrors)
{
    const Case& c = GetParam();
    const RegFileContents result = ParseRegFile(c.input);
    std::vector<std::string> ops, errors;
    for (const RegFileOp& op : result.ops)
        ops.push_back(Describe(op));
    for (const RegFileError& error : result.errors)
        errors.push_back(std::to_string(error.line) + ": " + error.message.toStdString());
    EXPECT_EQ(ops, c.ops);
    EXPECT_EQ(errors, c.errors);
    EXPECT_EQ(result.header == RegFileContents::Header::Read, c.errors.empty() || c.errors.front().rfind("0: ", 0) != 0);
}

INSTANTIATE_TEST_SUITE_P(Lines, ParseRegFileTest, testing::ValuesIn(std::vector<Case>{
    {"Utf8BomSkipped", "\xEF\xBB\xBF" + Reg5("[HKCU\\k]"), {"create HKCU\\k @2"}, {}},
    // Text that is not text, or a name that would become lines: the line is reported, never read
    // with replacement characters, and the values of a refused key line go nowhere.
    {"BadTextAndControlCharacters",
     Reg5("[HKCU\\a]\n\"v\"=\"\xC3\"\n\"w\"=\"\xED\xA0\x80\"\n[HKCU\\b\xFF]\n\"x\"=dword:1\n[HKCU\\nul") +
         QByteArray("\0]", 2) + "\n@=dword:1\n[HKCU\\c\x01\\d]\n[HKCU\\t\tab]\n[HKCU\\del\x7f]\n[HKCU\\e]\n\"h\"=hex:01,\\\n\xC0\x80\n",
     {"create HKCU\\a @2", "create HKCU\\e @12"},
     {"3: invalid UTF-8: the line is skipped", "4: invalid UTF-8: the line is skipped",
      "5: invalid UTF-8: the line is skipped", "7: control character in a key name",
      "9: control character in a key name", "10: control character in a key name",
      "11: control character in a key name", "13: the continued hex list runs into a line that is not text",
      "14: invalid UTF-8: the line is skipped"}},
    {"Utf16OddTrailingByte",
     "\xFF\xFE" + Utf16LeBytes(u"Windows Registry Editor Version 5.00\r\n[HKCU\\k]\r\n@=dword:1") + "\x0a",
     {"create HKCU\\k @2"}, {"3: the UTF-16 file ends in an odd byte: the line is cut short"}},
    // Roots in any case; the values after a key line that is refused or deletes go nowhere; the
    // name runs to the last ']', trailing backslashes dropped, blanks inside the brackets kept.
    {"KeyLines", Reg5("[HKEY_CURRENT_USER\\a\\b]\n  [HKEY_LOCAL_MACHINE\\c]\n[hkcu\\a]\n[HkLm\\b]\n[HKEY_USERS\\a]\n"
         "\"v\"=dword:1\n[HKCU]\n\"v\"=dword:1\n[HKLM\\]\n@=-\n[-HKCU]\n\"w\"=-\n[-HKCU\\a]\n\"v\"=dword:1\n"
         "[HKCU\\b\n\"v\"=dword:1\n[HKCU\\a]b[c] ; x]y\n[HKCU\\a\\b\\]\n[HKCU\\a\\\\b]\n[HKCU\\c\\\\\\\\]\n"
         "@=dword:1\n[HKCU\\\\]\n[ HKCU\\d]\n[HKCU\\e ]\n[- HKCU\\c]"),
     {"create HKCU\\a\\b @2", "create HKLM\\c @3", "create HKCU\\a @4", "create HKLM\\b @5",
      "set HKCU\\ [v] 4:01 00 00 00 @9", "delete HKLM\\ [] @11", "deltree HKCU\\a @14", "create HKCU\\a]b[c] ; x @18",
      "create HKCU\\a\\b @19", "create HKCU\\c @21", "set HKCU\\c [] 4:01 00 00 00 @22", "create HKCU\\e  @25"},
     {"6: unknown root key 'HKEY_USERS'", "12: a root key cannot be deleted", "16: missing ']' at the end of the key line",
      "20: empty key name in the path", "24: unknown root key ' HKCU'", "26: unknown root key ' HKCU'"}},
    // A REG_SZ of n characters takes 2n + 2 bytes.
    {"Limits", Reg5("[HKCU\\" + std::string(256, 'k') + "]\n[HKCU" + QByteArray("\\k").repeated(513).toStdString() + "]\n[HKCU\\k]\n\"a\"=\"" +
                    std::string(kMaxValueBytes / 2 - 1, 'x') + "\"\n\"b\"=\"" + std::string(kMaxValueBytes / 2, 'x') + "\""),
     {"create HKCU\\k @4", "set HKCU\\k [a] 1:<16777216 bytes> @5"},
     {"2: key name longer than 255 characters", "3: key path deeper than 512 keys", "6: value data larger than 16 MiB"}},
    {"Strings", Reg5("[HKCU\\k]\n\"a\\\"b\\\\\"=\"x\\\\y\\\"\\n\\r\\q\" ; c\n@ = \"\"\n\"t\"=\"x\" y\n\"u\"=\"x\n\"v\n"
                     "\"w\" dword:1\n\"y\"=\"x\\0y\"\n\"z\"=\"x\\\\0\"\n\"e\"=\"v\"#c\n\"\\0\"=\"v\"\n\"" +
                     std::string(16384, 'v') + "\"=-"),
     {"create HKCU\\k @2", "set HKCU\\k [a\"b\\] 1:78 00 5c 00 79 00 22 00 0a 00 0d 00 71 00 00 00 @3",
      "set HKCU\\k [] 1:00 00 @4", "set HKCU\\k [z] 1:78 00 5c 00 30 00 00 00 @10"},
     {"5: unexpected text after the string", "6: unterminated string", "7: unterminated value name",
      "8: missing '=' after the value name", "9: '\\0' in a string: a .reg string cannot hold a NUL",
      "11: unexpected text after the string", "12: '\\0' in a value name: a name cannot hold a NUL",
      "13: value name longer than 16383 characters"}},
    // Blanks after "dword:" and around '=' are allowed, '#' after data is not a comment.
    {"DataForms", Reg5("[HKCU\\k]\n\"a\"=dword:0\n\"b\"=dword:12345678 ;c\n\"c\"=dword:FfFfFfFf\n\"d\"=dword:123456789\n"
                       "\"e\"=dword:\n\"f\"=dword:1x\n\"g\"=dword:  8\n\"h\"=dword:\t1 ;c\n\"i\"=dword:1 #c\n"
                       "\t@\t=\tdword:\t00000008\t\n\"j\"=hex:01,2,aB\n\"k\"=hex: 01 , 02 , ;c\n\"l\"=hex:\n"
                       "\"m\"=hex:01,,02\n\"n\"=hex:123\n\"o\"=hex:0g\n\"p\"=hex:01 #c\n\"q\"=hex(b):01,00\n"
                       "\"r\"=hex(FFFFFFFF):\n\"s\"=hex(123456789):\n\"t\"=hex():\n\"u\"=hex(2)01\n\"v\"=qword:1\n"
                       "\"w\"=#\"v\"\n\"x\"=-\"x\""),
     {"create HKCU\\k @2", "set HKCU\\k [a] 4:00 00 00 00 @3", "set HKCU\\k [b] 4:78 56 34 12 @4",
      "set HKCU\\k [c] 4:ff ff ff ff @5", "set HKCU\\k [g] 4:08 00 00 00 @9", "set HKCU\\k [h] 4:01 00 00 00 @10",
      "set HKCU\\k [] 4:08 00 00 00 @12", "set HKCU\\k [j] 3:01 02 ab @13", "set HKCU\\k [k] 3:01 02 @14",
      "set HKCU\\k [l] 3: @15", "set HKCU\\k [q] 11:01 00 @20", "set HKCU\\k [r] 4294967295: @21"},
     {"6: bad dword value", "7: bad dword value", "8: bad dword value", "11: bad dword value", "16: bad hex byte list",
      "17: bad hex byte list", "18: bad hex byte list", "19: bad hex byte list", "22: bad hex value type",
      "23: bad hex value type", "24: bad hex value type", "25: unknown value data format",
      "26: unknown value data format", "27: unexpected text after '-'"}},
    // The line after ",\" is continuation data whatever it looks like; "\" is a continuation only
    // right after a comma or the colon; a '#' line or a lone "\" spoils the value; the end of the
    // file keeps what was read.
    {"Continuation", Reg5("[HKCU\\k]\n\"a\"=hex:01,\\ ;c\n  02,\t  \\\n\t;comment\n\n  03\n\"b\"=hex:01,\\#c\n"
         "\"c\"=hex:01,02\\\n\"d\"=hex(2):\\\n  41,00\n\"e\"=hex:01,\\\n# x\n\"f\"=hex:01,\\\n\n\"g\"=\"y\"\n"
         "\"h\"=hex:01,\\\n[HKCU\\sub]\n\"i\"=hex:01,\\\n  \\\n\"j\"=hex:,\\\n\"k\"=hex:01,\\\n  ,02\n"
         "\"l\"=hex:01,\\\\\n\"m\"=dword:1\\\n\"n\"=\"x\\\n@=hex:01,\\"),
     {"create HKCU\\k @2", "set HKCU\\k [a] 3:01 02 03 @3", "set HKCU\\k [d] 2:41 00 00 00 @10",
      "set HKCU\\k [] 3:01 @27"},
     {"8: bad hex byte list", "9: '\\' continues a hex list only after a comma", "12: a '#' line inside a continued hex list",
      "14: bad hex byte list", "17: bad hex byte list", "19: '\\' continues a hex list only after a comma",
      "21: bad hex byte list", "22: bad hex byte list", "24: bad hex byte list", "25: bad dword value",
      "26: unterminated string"}},
    {"StringTypesGetTerminator", Reg5("[HKCU\\k]\n\"a\"=hex(2):41,00\n\"b\"=hex(2):41,00,00,00\n\"c\"=hex(1):00,41\n\"d\"=hex(7):\n"
         "\"e\"=hex:41,00\n\"f\"=hex(7):41,00,00"),
     {"create HKCU\\k @2", "set HKCU\\k [a] 2:41 00 00 00 @3", "set HKCU\\k [b] 2:41 00 00 00 @4",
      "set HKCU\\k [c] 1:00 41 00 00 @5", "set HKCU\\k [d] 7: @6", "set HKCU\\k [e] 3:41 00 @7",
      "set HKCU\\k [f] 7:41 00 00 00 00 @8"}, {}},
    {"ValueBeforeKeyAndJunk", Reg5("\"v\"=dword:1\njunk\n;[HKCU\\x]\n#\"v\"=x\n[HKCU\\k]\n= 1"),
     {"create HKCU\\k @6"}, {"2: value line before any key line"}},
    {"Regedit4StringTypesAre8BitText", "REGEDIT4\n[HKCU\\k]\n\"a\"=hex(2):25,41,c3,a9,00\n\"b\"=hex(7):61,00,62,00,00\n"
                               "\"c\"=hex(1):61\n\"d\"=hex:c3,a9",
     {"create HKCU\\k @2", "set HKCU\\k [a] 2:25 00 41 00 e9 00 00 00 @3",
      "set HKCU\\k [b] 7:61 00 00 00 62 00 00 00 00 00 @4", "set HKCU\\k [c] 1:61 00 00 00 @5",
      "set HKCU\\k [d] 3:c3 a9 @6"}, {}},
}), CaseName);

// The same content with every kind of line end: line numbers count physical lines and a continued
// value reports the line it starts on. The header is the first line exactly, blanks around it
// aside. Other first lines starting with "REGEDIT" are other forms, accepted with nothing read;
// anything else is no registry file. Both encodings; UTF-16 only with its BOM.
std::vector<Case> LineEndAndHeaderCases()
{
    std::vector<Case> cases;
    for (const auto& [name, end] : {std::pair{"LF", "\n"}, std::pair{"CRLF", "\r\n"}, std::pair{"CR", "\r"}})
        cases.push_back({name, Reg5("[HKCU\\k]\n\n\"v\"=hex:01,\\\n 02\n\"w\"=dword:x\n@=\"z\"").replace("\n", end),
                         {"create HKCU\\k @2", "set HKCU\\k [v] 3:01 02 @4", "set HKCU\\k [] 1:7a 00 00 00 @7"}, {"6: bad dword value"}});
    const std::string ignored = "0: the first line names another REGEDIT form, whose content is not read: nothing was imported";
    const std::string refused = "0: not a registry file: the first line must be 'Windows Registry Editor Version 5.00' or 'REGEDIT4'";
    const std::vector<std::pair<std::u16string, const std::string*>> firstLines = {
        {u" REGEDIT4", nullptr}, {u"\tWindows Registry Editor Version 5.00 ", nullptr}, {u"REGEDIT", &ignored},
        {u"REGEDIT5", &ignored}, {u"REGEDIT 4", &ignored}, {u"regedit4", &refused}, {u"AREGEDIT4", &refused}, {u"", &refused},
        {u"Windows Registry Editor Version 5", &refused}, {u"WINDOWS REGISTRY EDITOR VERSION 5.00", &refused},
    };
    int index = 0;
    for (const auto& [first, error] : firstLines) {
        const QString text = QString::fromStdU16String(first) + QStringLiteral("\n[HKCU\\k]\nREGEDIT4\n");
        const std::vector<std::string> ops = error ? std::vector<std::string>{} : std::vector<std::string>{"create HKCU\\k @2"};
        const std::vector<std::string> errors = error ? std::vector<std::string>{*error} : std::vector<std::string>{};
        cases.push_back({"Utf8_" + std::to_string(++index), text.toUtf8(), ops, errors});
        cases.push_back({"Utf16_" + std::to_string(index), "\xFF\xFE" + Utf16LeBytes(text), ops, errors});
    }
    cases.push_back({"Utf16WithoutBom", Utf16LeBytes(u"REGEDIT4\n[HKCU\\k]\n"), {}, {refused}});
    cases.push_back({"Empty", "", {}, {refused}});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Forms, ParseRegFileTest, testing::ValuesIn(LineEndAndHeaderCases()), CaseName);

// The export form, long value lines wrapped where the registry editor wraps them, imports and
// exports byte for byte.
TEST(RegFileRoundTripTest, ExportFormImportsAndExportsByteForByte)
{
    TempStore store;
    const QByteArray original = ReadAll(QSCUST_TEST_DATA "/roundtrip.reg");
    const ImportResult result = ImportRegFile(original);
    ASSERT_TRUE(result.ok()) << (result.errors.isEmpty() ? "" : result.errors.first().message.toStdString());
    QByteArray exported;
    EXPECT_EQ(ExportRegFile(Root::CurrentUser, "software\\orvane\\talven", &exported), ERROR_SUCCESS);
    EXPECT_EQ(exported, original);
}

} // namespace

#include "registry/RegFileReader.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <string>
#include <vector>

using namespace reg;

namespace {

const std::string kRefused =
    "0: not a registry file: the first line must be 'Windows Registry Editor Version 5.00' or 'REGEDIT4'";

QByteArray Reg5(const std::string& body)
{
    return "Windows Registry Editor Version 5.00\n" + QByteArray::fromStdString(body);
}

QByteArray Utf16le(std::u16string_view text)
{
    QByteArray out("\xFF\xFE");
    for (char16_t unit : text) {
        char bytes[2];
        qToLittleEndian<quint16>(unit, bytes);
        out.append(bytes, 2);
    }
    return out;
}

std::string Repeat(const std::string& part, int count, const std::string& separator = "")
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += (i ? separator : "") + part;
    return out;
}

// "set HKCU\k [name] type:bytes @line": compact enough to write whole results in a table.
std::string Describe(const RegFileOp& op)
{
    static const char* const kKinds[] = {"create", "deltree", "set", "delete"};
    QString text = QStringLiteral("%1 %2\\%3").arg(QLatin1String(kKinds[op.kind]),
        op.root == Root::CurrentUser ? QStringLiteral("HKCU") : QStringLiteral("HKLM"), op.path);
    if (op.kind == RegFileOp::SetValue || op.kind == RegFileOp::DeleteValue)
        text += QStringLiteral(" [%1]").arg(op.name);
    if (op.kind == RegFileOp::SetValue)
        text += QStringLiteral(" %1:%2").arg(op.type).arg(QString::fromLatin1(op.data.toHex(' ')));
    return text.toStdString() + " @" + std::to_string(op.line);
}

struct Case {
    std::string name;
    QByteArray input;
    std::vector<std::string> ops;
    std::vector<std::string> errors;   // "line: message"
};

// Keeps test listings (and so the names ctest discovers) to the case's name.
void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

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
    EXPECT_EQ(result.headerOk, c.errors.empty() || c.errors.front() != kRefused);
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Headers, ParseRegFileTest, testing::ValuesIn(std::vector<Case>{
    {"Version5", Reg5("[HKCU\\k]\n"), {"create HKCU\\k @2"}, {}},
    {"Regedit4", "REGEDIT4\n[HKCU\\k]", {"create HKCU\\k @2"}, {}},
    {"AfterBlankLinesWithBlanksAround", "\n \t\n  REGEDIT4 \t\n[HKCU\\k]", {"create HKCU\\k @4"}, {}},
    {"Utf8BomSkipped", "\xEF\xBB\xBF" + Reg5("[HKCU\\k]"), {"create HKCU\\k @2"}, {}},
    {"Utf16leKeepsLoneSurrogate",
     Utf16le(u"Windows Registry Editor Version 5.00\r\n[HKCU\\k]\r\n\"\u00e9\"=\"\xD800\"\r\n"),
     {"create HKCU\\k @2", "set HKCU\\k [\u00e9] 1:00 d8 00 00 @3"}, {}},
    {"Utf16BigEndianBomRefused", "\xFE\xFF" + Reg5("[HKCU\\k]"), {}, {kRefused}},
    {"OtherVersionRefused", "Windows Registry Editor Version 4.00\n[HKCU\\k]", {}, {kRefused}},
    {"LowerCaseRefused", "regedit4\n[HKCU\\k]", {}, {kRefused}},
    {"TextAfterHeaderRefused", "REGEDIT4 x\n[HKCU\\k]", {}, {kRefused}},
    {"KeyBeforeHeaderRefused", "[HKCU\\k]\nREGEDIT4\n", {}, {kRefused}},
    {"EmptyRefused", "", {}, {kRefused}},
}), CaseName);

INSTANTIATE_TEST_SUITE_P(KeyLines, ParseRegFileTest, testing::ValuesIn(std::vector<Case>{
    {"LongRoots", Reg5("[HKEY_CURRENT_USER\\a\\b]\n  [HKEY_LOCAL_MACHINE\\c]"),
     {"create HKCU\\a\\b @2", "create HKLM\\c @3"}, {}},
    {"ShortRootsAnyCase", Reg5("[hkcu\\a]\n[HkLm\\b]"), {"create HKCU\\a @2", "create HKLM\\b @3"}, {}},
    {"UnknownRootSkipsItsValues", Reg5("[HKEY_USERS\\a]\n\"v\"=dword:1\n\"w\"=qword:1"), {},
     {"2: unknown root key 'HKEY_USERS'"}},
    {"BareRootTakesValues", Reg5("[HKCU]\n\"v\"=dword:1\n[HKLM\\]\n@=-"),
     {"set HKCU\\ [v] 4:01 00 00 00 @3", "delete HKLM\\ [] @5"}, {}},
    {"BareRootDeleteRefused", Reg5("[-HKCU]\n\"v\"=dword:1\n[-HKLM\\]"), {},
     {"2: a root key cannot be deleted", "4: a root key cannot be deleted"}},
    {"DeleteTreeSkipsItsValues", Reg5("[-HKCU\\a]\n\"v\"=dword:1\n[HKCU\\b]\n\"w\"=-"),
     {"deltree HKCU\\a @2", "create HKCU\\b @4", "delete HKCU\\b [w] @5"}, {}},
    {"MissingBracketSkipsItsValues", Reg5("[HKCU\\a]\n[HKCU\\b\n\"v\"=dword:1"), {"create HKCU\\a @2"},
     {"3: missing ']' at the end of the key line"}},
    {"NameRunsToLastBracket", Reg5("[HKCU\\a]b[c] ; x]y\n"), {"create HKCU\\a]b[c] ; x @2"}, {}},
    {"OneTrailingBackslashDropped", Reg5("[HKCU\\a\\b\\]"), {"create HKCU\\a\\b @2"}, {}},
    {"EmptyComponent", Reg5("[HKCU\\a\\\\b]\n\"v\"=dword:1\n[HKCU\\a\\\\]\n[HKCU\\\\]"), {},
     {"2: empty key name in the path", "4: empty key name in the path", "5: empty key name in the path"}},
    {"Component255", Reg5("[HKCU\\" + std::string(255, 'k') + "]"),
     {"create HKCU\\" + std::string(255, 'k') + " @2"}, {}},
    {"Component256", Reg5("[HKCU\\" + std::string(256, 'k') + "]"), {},
     {"2: key name longer than 255 characters"}},
    {"Depth512", Reg5("[HKCU\\" + Repeat("k", 512, "\\") + "]"),
     {"create HKCU\\" + Repeat("k", 512, "\\") + " @2"}, {}},
    {"Depth513", Reg5("[HKCU\\" + Repeat("k", 513, "\\") + "]"), {}, {"2: key path deeper than 512 keys"}},
}), CaseName);

INSTANTIATE_TEST_SUITE_P(ValueData, ParseRegFileTest, testing::ValuesIn(std::vector<Case>{
    {"StringEscapes", Reg5(R"([HKCU\k]
"a\"b\\"="x\\y\"\n\r\q" ; c)"),
     {"create HKCU\\k @2", "set HKCU\\k [a\"b\\] 1:78 00 5c 00 79 00 22 00 0a 00 0d 00 71 00 00 00 @3"}, {}},
    {"StringForms", Reg5(R"([HKCU\k]
@ = ""
"t"="x" y
"u"="x
"v
"w" dword:1)"),
     {"create HKCU\\k @2", "set HKCU\\k [] 1:00 00 @3"},
     {"4: unexpected text after the string", "5: unterminated string", "6: unterminated value name",
      "7: missing '=' after the value name"}},
    {"Dword", Reg5(R"([HKCU\k]
"a"=dword:0
"b"=dword:12345678 ;c
"c"=dword:FfFfFfFf
"d"=dword:123456789
"e"=dword:
"f"=dword:1x
"g"=dword: 1)"),
     {"create HKCU\\k @2", "set HKCU\\k [a] 4:00 00 00 00 @3", "set HKCU\\k [b] 4:78 56 34 12 @4",
      "set HKCU\\k [c] 4:ff ff ff ff @5"},
     {"6: bad dword value", "7: bad dword value", "8: bad dword value", "9: bad dword value"}},
    {"HexLists", Reg5(R"([HKCU\k]
"a"=hex:01,2,aB
"b"=hex: 01 , 02 , ;c
"c"=hex:
"d"=hex:01,,02
"e"=hex:123
"f"=hex:01 02
"g"=hex:,01
"h"=hex:0g)"),
     {"create HKCU\\k @2", "set HKCU\\k [a] 3:01 02 ab @3", "set HKCU\\k [b] 3:01 02 @4", "set HKCU\\k [c] 3: @5"},
     {"6: bad hex byte list", "7: bad hex byte list", "8: bad hex byte list", "9: bad hex byte list",
      "10: bad hex byte list"}},
    {"HexTypes", Reg5(R"([HKCU\k]
"a"=hex(0):
"b"=hex(b):01,00
"c"=hex(100):ff
"d"=hex(FFFFFFFF):
"e"=hex(123456789):
"f"=hex():
"g"=hex(2)01
"h"=qword:1
"i"=foo)"),
     {"create HKCU\\k @2", "set HKCU\\k [a] 0: @3", "set HKCU\\k [b] 11:01 00 @4", "set HKCU\\k [c] 256:ff @5",
      "set HKCU\\k [d] 4294967295: @6"},
     {"7: bad hex value type", "8: bad hex value type", "9: bad hex value type",
      "10: unknown value data format", "11: unknown value data format"}},
    {"Continuation", Reg5("[HKCU\\k]\n\"a\"=hex:01,\\\n  ; comment\n\n  # other\n  02,\\  \n  03\n\"b\"=hex:04\\\n,05"),
     {"create HKCU\\k @2", "set HKCU\\k [a] 3:01 02 03 @3", "set HKCU\\k [b] 3:04 05 @9"}, {}},
    {"ContinuationStopsAtKeyLine", Reg5("[HKCU\\a]\n\"v\"=hex:01,\\\n\n[HKCU\\b]\n\"w\"=hex:02,\\"),
     {"create HKCU\\a @2", "create HKCU\\b @5"},
     {"3: unterminated hex byte list", "6: unterminated hex byte list"}},
    {"TextAfterContinuation", Reg5("[HKCU\\k]\n\"v\"=hex:01,\\ x\n  02"), {"create HKCU\\k @2"},
     {"3: bad hex byte list"}},
    {"StringTypesGetTerminator", Reg5(R"([HKCU\k]
"a"=hex(2):41,00
"b"=hex(2):41,00,00,00
"c"=hex(7):41
"d"=hex(1):00,41
"e"=hex(7):
"f"=hex:41,00
"g"=hex(7):41,00,00)"),
     {"create HKCU\\k @2", "set HKCU\\k [a] 2:41 00 00 00 @3", "set HKCU\\k [b] 2:41 00 00 00 @4",
      "set HKCU\\k [c] 7:41 00 00 @5", "set HKCU\\k [d] 1:00 41 00 00 @6", "set HKCU\\k [e] 7: @7",
      "set HKCU\\k [f] 3:41 00 @8", "set HKCU\\k [g] 7:41 00 00 00 00 @9"}, {}},
    {"Deletion", Reg5("[HKCU\\k]\n\"v\"=- ;c\n@=-\n\"w\"=-x"),
     {"create HKCU\\k @2", "delete HKCU\\k [v] @3", "delete HKCU\\k [] @4"},
     {"5: unexpected text after '-'"}},
    {"ValueBeforeKey", Reg5("\"v\"=dword:1\n[HKCU\\k]"), {"create HKCU\\k @3"}, {"2: value line before any key line"}},
    {"JunkLinesIgnored", Reg5("junk\n;[HKCU\\x]\n#\"v\"=x\n[HKCU\\k]\n= 1"), {"create HKCU\\k @5"}, {}},
    {"ValueName16383", Reg5("[HKCU\\k]\n\"" + std::string(16383, 'v') + "\"=-"),
     {"create HKCU\\k @2", "delete HKCU\\k [" + std::string(16383, 'v') + "] @3"}, {}},
    {"ValueName16384", Reg5("[HKCU\\k]\n\"" + std::string(16384, 'v') + "\"=-"), {"create HKCU\\k @2"},
     {"3: value name longer than 16383 characters"}},
}), CaseName);

// The same content with every kind of line end: line numbers count physical lines and a continued
// value reports the line it starts on.
std::vector<Case> LineEndCases()
{
    const std::string body = "[HKCU\\k]\n\n\"v\"=hex:01,\\\n 02\n\"w\"=dword:x\n@=\"z\"";
    std::vector<Case> cases;
    for (const auto& [name, end] : {std::pair{"LF", "\n"}, std::pair{"CRLF", "\r\n"}, std::pair{"CR", "\r"}}) {
        for (const std::string last : {"", "\n"}) {
            QByteArray input = Reg5(body + last);
            input.replace("\n", end);
            cases.push_back({std::string(name) + (last.empty() ? "NoFinalEnd" : ""), input,
                             {"create HKCU\\k @2", "set HKCU\\k [v] 3:01 02 @4", "set HKCU\\k [] 1:7a 00 00 00 @7"},
                             {"6: bad dword value"}});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(LineEnds, ParseRegFileTest, testing::ValuesIn(LineEndCases()), CaseName);

INSTANTIATE_TEST_SUITE_P(Regedit4, ParseRegFileTest, testing::ValuesIn(std::vector<Case>{
    {"StringTypesAre8BitText", R"(REGEDIT4
[HKCU\k]
"a"=hex(2):25,41,c3,a9,00
"b"=hex(7):61,00,62,00,00
"c"=hex(1):61
"d"=hex:c3,a9
"e"="é")",
     {"create HKCU\\k @2", "set HKCU\\k [a] 2:25 00 41 00 e9 00 00 00 @3",
      "set HKCU\\k [b] 7:61 00 00 00 62 00 00 00 00 00 @4", "set HKCU\\k [c] 1:61 00 00 00 @5",
      "set HKCU\\k [d] 3:c3 a9 @6", "set HKCU\\k [e] 1:e9 00 00 00 @7"}, {}},
}), CaseName);

TEST(ParseRegFileSizeTest, RefusesDataOverTheLimit)
{
    const struct {
        qsizetype chars;   // a REG_SZ of n characters takes 2n + 2 bytes
        bool accepted;
    } cases[] = {{kMaxValueBytes / 2 - 1, true}, {kMaxValueBytes / 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chars);
        const RegFileContents result = ParseRegFile(Reg5("[HKCU\\k]\n\"v\"=\"" + std::string(c.chars, 'x') + "\""));
        ASSERT_EQ(result.ops.size(), c.accepted ? 2 : 1);
        if (c.accepted)
            EXPECT_EQ(result.ops[1].data.size(), qsizetype(kMaxValueBytes));
        else
            ASSERT_EQ(result.errors.size(), 1);
    }
}

} // namespace

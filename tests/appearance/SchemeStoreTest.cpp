#include "GuiTest.h"
#include "SchemeFixture.h"
#include "appearance/SchemeStore.h"
#include "settings/PageSave.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;

namespace {

const QString kInstall = QStringLiteral("/opt/talven");

struct ImageCase {
    const char* stored;
    const char* installPath;
    const char* resolved;
};

TEST(SchemeImages, BareNamesLieInTheImageFolder)
{
    const ImageCase cases[] = {
        {"sky.jpg", "/opt/talven", "/opt/talven/Image/sky.jpg"},
        {"", "/opt/talven", "/opt/talven/Image/"},
        {"sky.jpg", "", ""},
        {"", "", ""},
        {"/home/u/sky.jpg", "/opt/talven", "/home/u/sky.jpg"},
        {"/home/u/sky.jpg", "", "/home/u/sky.jpg"},
        {"C:\\P\\sky.jpg", "/opt/talven", "C:\\P\\sky.jpg"},
        {"sub\\sky.jpg", "/opt/talven", "sub\\sky.jpg"},
        {"a:b.png", "", "a:b.png"},
    };
    for (const ImageCase& c : cases)
        EXPECT_EQ(scheme::ResolveImage(c.stored, c.installPath), c.resolved) << c.stored << " in " << c.installPath;
}

// "key display fg bg mast image osd [unreadable]" per scheme in the store's order, then "| current".
QString Describe(const scheme::SchemeList& list)
{
    QStringList parts;
    for (const SchemeItem& s : list.items) {
        parts << QStringLiteral("%1 '%2' %3 %4 %5 '%6' '%7'%8")
                     .arg(s.KeyName, s.DisplayName)
                     .arg(s.FgColor, 0, 16)
                     .arg(s.BgColor, 0, 16)
                     .arg(s.UseMastHead)
                     .arg(s.BgImage, s.BgImageOSD, s.Unreadable ? QStringLiteral(" unreadable") : QString());
    }
    return parts.join(QStringLiteral("; ")) + QStringLiteral(" | ") + list.current + (list.unreadable ? QStringLiteral(" | unreadable") : QString());
}

struct LoadCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    const char* described;
    // The user's scheme root after the load; nullptr when it must be as before.
    const char* userRootAfter;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const char* const kRepaired = "Windows Registry Editor Version 5.00\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Orvane\\TALVEN\\Data\\Appearance]\n"
                              "@=\"VelkorDefaultScheme01\"\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Orvane\\TALVEN\\Data\\Appearance\\VelkorDefaultScheme01]\n\n";

const LoadCase kLoadCases[] = {
    {"empty_store_gets_the_default_scheme", [](GuiEnvironment&) {},
     "VelkorDefaultScheme01 'Default - Black' 0 0 0 '/opt/talven/Image/' '/opt/talven/Image/' | VelkorDefaultScheme01", kRepaired},
    {"values_read_built_ins_named_masthead_normalised", [](GuiEnvironment&) {
         PutCurrent("Mine");
         PutScheme(HKEY_CURRENT_USER, kRoot, "VelkorDefaultScheme02", 0x202020, 0xFFFFFF, 7, "white.png", "/abs/w.png");
         PutUserScheme("Mine", "", "C:\\x.png");
         PutKey(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01");
     },
     "Mine 'Mine' ffffff 102030 1 '/opt/talven/Image/' 'C:\\x.png'; "
     "VelkorDefaultScheme01 'Default - Black' 0 0 0 '/opt/talven/Image/' '/opt/talven/Image/'; "
     "VelkorDefaultScheme02 'Default - White' 202020 ffffff 1 '/opt/talven/Image/white.png' '/abs/w.png' | Mine", nullptr},
    {"current_names_a_missing_scheme", [](GuiEnvironment&) {
         PutCurrent("Gone");
         PutKey(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01");
     },
     "VelkorDefaultScheme01 'Default - Black' 0 0 0 '/opt/talven/Image/' '/opt/talven/Image/' | Gone", nullptr},
    {"current_too_long_is_neither_shown_nor_repaired", [](GuiEnvironment&) {
         PutCurrent(QString(300, 'c'));
         PutKey(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01");
     },
     "VelkorDefaultScheme01 'Default - Black' 0 0 0 '/opt/talven/Image/' '/opt/talven/Image/' | ", nullptr},
    {"values_too_long_mark_the_scheme_unreadable", [](GuiEnvironment&) {
         PutCurrent("VelkorDefaultScheme01");
         PutUserScheme("Long", QString(300, 'i'));
         PutValue(HKEY_CURRENT_USER, kRoot + "\\Wide", "FgColor", REG_BINARY, QByteArray(8, '\1'));
         PutKey(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01");
     },
     "Long 'Long' ffffff 102030 1 '/opt/talven/Image/' '/opt/talven/Image/' unreadable; "
     "VelkorDefaultScheme01 'Default - Black' 0 0 0 '/opt/talven/Image/' '/opt/talven/Image/'; "
     "Wide 'Wide' 0 0 0 '/opt/talven/Image/' '/opt/talven/Image/' unreadable | VelkorDefaultScheme01", nullptr},
    {"no_install_path_leaves_bare_names_empty", [](GuiEnvironment&) {
         PutCurrent("VelkorDefaultScheme01");
         PutUserScheme("VelkorDefaultScheme01", "sky.png", "/abs/o.png");
         PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), QString());
     },
     "VelkorDefaultScheme01 'Default - Black' ffffff 102030 1 '' '/abs/o.png' | VelkorDefaultScheme01", nullptr},
    {"managed_reads_the_policy_root_and_writes_nothing", [](GuiEnvironment&) {
         settings::SetManagedMode(true);
         PutScheme(HKEY_LOCAL_MACHINE, kPolicyRoot, "Corporate", 0xFF, 0, 0, "c.png", "");
     },
     "Corporate 'Corporate' ff 0 0 '/opt/talven/Image/c.png' '/opt/talven/Image/' | VelkorDefaultScheme01", nullptr},
    {"managed_without_policy_root_shows_nothing", [](GuiEnvironment&) { settings::SetManagedMode(true); },
     " | VelkorDefaultScheme01", nullptr},
    {"elevated_repairs_nothing", [](GuiEnvironment& env) { env.setRights(true, true); },
     " | VelkorDefaultScheme01", nullptr},
    {"read_only_user_store_is_shown_unrepaired", [](GuiEnvironment& env) {
         PutUserScheme("Mine");
         env.store.setReadOnly(Root::CurrentUser, true);
     },
     "Mine 'Mine' ffffff 102030 1 '/opt/talven/Image/sky.png' '/opt/talven/Image/' | VelkorDefaultScheme01", nullptr},
};

class SchemeLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(SchemeLoad, ReadsRepairsAndKeeps)
{
    const LoadCase& c = GetParam();
    GuiEnvironment env;
    PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), kInstall);
    c.setUp(env);
    const QString userBefore = Export(Root::CurrentUser);
    const QString machineBefore = Export(Root::LocalMachine, "Software");
    EXPECT_EQ(Describe(scheme::LoadSchemes(settings::GetInstallPath())), c.described);
    EXPECT_EQ(Export(Root::CurrentUser), c.userRootAfter ? QString(c.userRootAfter) : userBefore);
    EXPECT_EQ(Export(Root::LocalMachine, "Software"), machineBefore);
}

INSTANTIATE_TEST_SUITE_P(Cases, SchemeLoad, testing::ValuesIn(kLoadCases),
                         [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(SchemeLoadHazards, StoreThatIsNotADatabaseIsUnreadable)
{
    GuiEnvironment env;
    QFile garbage(env.store.dir() + "/garbage.db");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    ConfigureRoot(Root::CurrentUser, {garbage.fileName(), RootAccess::Auto});
    const scheme::SchemeList list = scheme::LoadSchemes(QString());
    EXPECT_TRUE(list.unreadable);
    EXPECT_TRUE(list.items.isEmpty());
    garbage.open(QIODevice::ReadOnly);
    EXPECT_EQ(garbage.readAll(), QByteArray(4096, 'x'));
}

struct WriteCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    std::function<LSTATUS()> write;
    LSTATUS status;
    // The scheme root's values after the write, as "key: values" lines; the unnamed value as "@".
    const char* after;
    int signalsSent;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

SchemeItem Item(const QString& keyName)
{
    SchemeItem item;
    item.KeyName = keyName;
    item.FgColor = 0x0000FF;
    item.BgColor = 0x00FF00;
    item.UseMastHead = 1;
    item.BgImage = "/p/sky.png";
    return item;
}

// The store below the scheme root, one line per key: "name: value=data, ...".
QString Values()
{
    QStringList lines;
    QString key;
    for (const QString& line : Export(Root::CurrentUser).split(u'\n')) {
        if (line.startsWith(u'[')) {
            key = line.mid(kRoot.size() + 19).chopped(1).remove(0, 1);
            lines << key + u':';
        } else if (!line.isEmpty() && !line.startsWith(u'W')) {
            lines.last() += u' ' + line;
        }
    }
    return lines.join(u'\n');
}

const WriteCase kWriteCases[] = {
    {"save_new_in_order", [](GuiEnvironment&) {}, [] { return scheme::SaveScheme(Item("Fresh")); }, ERROR_SUCCESS,
     ":\nFresh: \"FgColor\"=dword:000000ff \"BgColor\"=dword:0000ff00 \"UseMastHead\"=dword:00000001 "
     "\"BgImage\"=\"/p/sky.png\" \"BgImageOSD\"=\"\"", 0},
    {"save_overwrites_value_by_value", [](GuiEnvironment&) {
         PutString(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01", "BgImage", "old");
         PutString(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01", "Extra", "kept");
     },
     [] { return scheme::SaveScheme(Item("VelkorDefaultScheme01")); }, ERROR_SUCCESS,
     ":\nVelkorDefaultScheme01: \"BgImage\"=\"/p/sky.png\" \"Extra\"=\"kept\" \"FgColor\"=dword:000000ff "
     "\"BgColor\"=dword:0000ff00 \"UseMastHead\"=dword:00000001 \"BgImageOSD\"=\"\"", 0},
    {"save_refuses_a_backslash", [](GuiEnvironment&) {}, [] { return scheme::SaveScheme(Item("a\\b")); },
     ERROR_INVALID_PARAMETER, ":", 0},
    {"save_refuses_a_slash", [](GuiEnvironment&) {}, [] { return scheme::SaveScheme(Item("a/b")); },
     ERROR_INVALID_PARAMETER, ":", 0},
    {"save_managed_writes_nothing", [](GuiEnvironment&) { settings::SetManagedMode(true); },
     [] { return scheme::SaveScheme(Item("Fresh")); }, ERROR_SUCCESS, ":", 0},
    {"save_elevated_writes_nothing", [](GuiEnvironment& env) { env.setRights(true, true); },
     [] { return scheme::SaveScheme(Item("Fresh")); }, ERROR_SUCCESS, ":", 0},
    {"save_failing_midway_writes_none", [](GuiEnvironment&) { app::PageSave::FailWriteForTest(5); },
     [] { return scheme::SaveScheme(Item("Fresh")); }, ERROR_CANTWRITE, ":", 0},
    {"delete", [](GuiEnvironment&) { PutUserScheme("Old"); }, [] { return scheme::DeleteScheme("Old"); }, ERROR_SUCCESS, ":", 0},
    {"delete_keeps_a_key_with_subkeys", [](GuiEnvironment&) { PutKey(HKEY_CURRENT_USER, kRoot + "\\Old\\Sub"); },
     [] { return scheme::DeleteScheme("Old"); }, ERROR_ACCESS_DENIED, ":\nOld:\nOld\\Sub:", 0},
    {"apply_writes_and_tells_once", [](GuiEnvironment&) { PutUserScheme("Old"); }, [] { return scheme::ApplyScheme("Old"); },
     ERROR_SUCCESS, ": @=\"Old\"\nOld: \"FgColor\"=dword:00ffffff \"BgColor\"=dword:00102030 \"UseMastHead\"=dword:00000001 "
     "\"BgImage\"=\"sky.png\" \"BgImageOSD\"=\"\"", 1},
    {"apply_in_use_again_tells_again", [](GuiEnvironment&) { PutCurrent("Old"); },
     [] {
         const LSTATUS first = scheme::ApplyScheme("Old");
         return first != ERROR_SUCCESS ? first : scheme::ApplyScheme("Old");
     }, ERROR_SUCCESS, ": @=\"Old\"", 2},
    {"apply_that_fails_tells_nobody", [](GuiEnvironment& env) { env.store.setReadOnly(Root::CurrentUser, true); },
     [] { return scheme::ApplyScheme("Old"); }, ERROR_ACCESS_DENIED, ":", 0},
};

class SchemeWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(SchemeWrite, WritesWholeOrNotAtAll)
{
    const WriteCase& c = GetParam();
    const int before = SchemeSignals::Received();
    GuiEnvironment env;
    PutKey(HKEY_CURRENT_USER, kRoot);
    c.setUp(env);
    EXPECT_EQ(c.write(), c.status);
    app::PageSave::FailWriteForTest(0);
    env.store.setReadOnly(Root::CurrentUser, false);
    EXPECT_EQ(Values(), c.after);
    EXPECT_EQ(SchemeSignals::Received() - before, c.signalsSent);
}

INSTANTIATE_TEST_SUITE_P(Cases, SchemeWrite, testing::ValuesIn(kWriteCases),
                         [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST(SchemeWriteBytes, StringsCarryTheirTerminator)
{
    GuiEnvironment env;
    ASSERT_EQ(scheme::SaveScheme(Item("Fresh")), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kRoot + "\\Fresh", "BgImage")->size(), (QString("/p/sky.png").size() + 1) * 2);
    EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kRoot + "\\Fresh", "BgImageOSD")->size(), 2);
}

// Without a session bus nobody hears of the change, and that is no failure. Runs in a child
// process of its own, which has never met a bus.
TEST(SchemeBroadcast, NoBusIsNobodyToTell)
{
    if (qEnvironmentVariableIsSet("SCHEME_TEST_NO_BUS")) {
        GuiEnvironment env;
        PutKey(HKEY_CURRENT_USER, kRoot);
        ASSERT_EQ(scheme::ApplyScheme("Mine"), ERROR_SUCCESS);
        EXPECT_EQ(Values(), ": @=\"Mine\"");
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("SCHEME_TEST_NO_BUS", "1");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    environment.remove("DISPLAY");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=SchemeBroadcast.NoBusIsNobodyToTell"});
    ASSERT_TRUE(child.waitForFinished(20000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
}

} // namespace

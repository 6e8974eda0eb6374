#include "GuiTest.h"
#include "SchemeFixture.h"
#include "appearance/SchemeStore.h"
#include "settings/PageSave.h"
#include "settings/Settings.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;

namespace {

// One line per scheme in the store's order: "key 'display' fg bg mast 'image' 'osd' [unreadable]",
// then "in use: current [unreadable]".
QString Load()
{
    const scheme::SchemeList list = scheme::LoadSchemes(settings::GetInstallPath());
    QString text;
    for (const SchemeItem& s : list.items)
        text += QStringLiteral("%1 '%2' %3 %4 %5 '%6' '%7'%8\n").arg(s.KeyName, s.DisplayName).arg(s.FgColor, 0, 16).arg(s.BgColor, 0, 16)
                    .arg(s.UseMastHead).arg(s.BgImage, s.BgImageOSD, s.Unreadable ? " unreadable" : "");
    return text + "in use: " + list.current + (list.unreadable ? " unreadable" : "");
}

SchemeItem Item(const QString& keyName) { return {0x0000FF, 0x00FF00, "/p/sky.png", {}, 1, keyName, {}, 0, false}; }

QString Status(LSTATUS status) { return QString::number(status); }

struct StoreCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    // What the store answered: the load as Load() gives it, or a write's status.
    std::function<QString()> act;
    int signalsSent;
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

void PutDefault() { PutKey(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01"); }
void Nothing(GuiEnvironment&) {}
void Managed(GuiEnvironment&) { settings::SetManagedMode(true); }
void Elevated(GuiEnvironment& env) { env.setRights(true, true); }

const StoreCase kCases[] = {
    {"load_empty_store", Nothing, Load, 0},
    {"load_values_built_ins_masthead_images", [](GuiEnvironment&) {
         PutCurrent("Mine");
         PutScheme(HKEY_CURRENT_USER, kRoot, "VelkorDefaultScheme02", 0x202020, 0xFFFFFF, 7, "white.png", "/abs/w.png");
         PutUserScheme("Mine", "", "C:\\x.png");
         PutUserScheme("Other", "sub\\o.png", "a:b.png");
     }, Load, 0},
    {"load_current_missing", [](GuiEnvironment&) { PutCurrent("Gone"); PutDefault(); }, Load, 0},
    {"load_current_too_long", [](GuiEnvironment&) { PutCurrent(QString(300, 'c')); PutDefault(); }, Load, 0},
    {"load_values_too_long", [](GuiEnvironment&) {
         PutCurrent("VelkorDefaultScheme01");
         PutUserScheme("Long", QString(300, 'i'));
         PutValue(HKEY_CURRENT_USER, kRoot + "\\Wide", "FgColor", REG_BINARY, QByteArray(8, '\1'));
     }, Load, 0},
    {"load_without_install_path", [](GuiEnvironment&) {
         PutUserScheme("VelkorDefaultScheme01", "sky.png", "/abs/o.png");
         PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), QString());
     }, Load, 0},
    {"load_managed", [](GuiEnvironment& env) {
         Managed(env);
         PutScheme(HKEY_LOCAL_MACHINE, kPolicyRoot, "Corporate", 0xFF, 0, 0, "c.png", "");
     }, Load, 0},
    {"load_managed_without_policy", Managed, Load, 0},
    {"load_elevated", Elevated, Load, 0},
    {"load_store_not_a_database", [](GuiEnvironment& env) {
         QFile garbage(env.store.dir() + "/garbage.db");
         EXPECT_TRUE(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
         ConfigureRoot(Root::CurrentUser, {garbage.fileName(), RootAccess::Auto});
     }, Load, 0},
    {"load_read_only", [](GuiEnvironment& env) { PutUserScheme("Mine"); env.store.setReadOnly(Root::CurrentUser, true); }, Load, 0},
    {"save_new", Nothing, [] { return Status(scheme::SaveScheme(Item("Fresh"))); }, 0},
    {"save_over_existing", [](GuiEnvironment&) {
         PutString(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01", "BgImage", "old");
         PutString(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01", "Extra", "kept");
     }, [] { return Status(scheme::SaveScheme(Item("VelkorDefaultScheme01"))); }, 0},
    {"save_backslash", Nothing, [] { return Status(scheme::SaveScheme(Item("a\\b"))); }, 0},
    {"save_slash", Nothing, [] { return Status(scheme::SaveScheme(Item("a/b"))); }, 0},
    {"save_managed", Managed, [] { return Status(scheme::SaveScheme(Item("Fresh"))); }, 0},
    {"save_elevated", Elevated, [] { return Status(scheme::SaveScheme(Item("Fresh"))); }, 0},
    {"save_failing_midway", [](GuiEnvironment&) { app::PageSave::FailWriteForTest(5); },
     [] { return Status(scheme::SaveScheme(Item("Fresh"))); }, 0},
    {"delete", [](GuiEnvironment&) { PutUserScheme("Old"); }, [] { return Status(scheme::DeleteScheme("Old")); }, 0},
    {"delete_with_subkeys", [](GuiEnvironment&) { PutKey(HKEY_CURRENT_USER, kRoot + "\\Old\\Sub"); },
     [] { return Status(scheme::DeleteScheme("Old")); }, 0},
    {"apply", [](GuiEnvironment&) { PutUserScheme("Old"); }, [] { return Status(scheme::ApplyScheme("Old")); }, 1},
    {"apply_in_use_again", [](GuiEnvironment&) { PutCurrent("Old"); },
     [] { return Status(scheme::ApplyScheme("Old")) + Status(scheme::ApplyScheme("Old")); }, 2},
    {"apply_failing", [](GuiEnvironment& env) { env.store.setReadOnly(Root::CurrentUser, true); },
     [] { return Status(scheme::ApplyScheme("Old")); }, 0},
};

class SchemeStore : public testing::TestWithParam<StoreCase> {};

// What the store gives and what it holds afterwards: data/store/<case>.txt.
TEST_P(SchemeStore, AnswersAndHolds)
{
    const StoreCase& c = GetParam();
    const int before = SchemeSignals();
    GuiEnvironment env;
    PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), "/opt/talven");
    if (QString(c.name).startsWith("save") || QString(c.name).startsWith("apply"))
        PutKey(HKEY_CURRENT_USER, kRoot);
    c.setUp(env);
    const QString answer = c.act();
    app::PageSave::FailWriteForTest(0);
    const QString actual = answer + "\n" + Stored();
    EXPECT_EQ(actual, Expected(QStringLiteral("store/%1.txt").arg(c.name), actual));
    EXPECT_EQ(SchemeSignals() - before, c.signalsSent);
}

INSTANTIATE_TEST_SUITE_P(Cases, SchemeStore, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<StoreCase>& info) { return std::string(info.param.name); });

} // namespace

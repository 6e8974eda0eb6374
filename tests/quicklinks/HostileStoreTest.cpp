#include "ClientFixture.h"
#include "GuiTest.h"
#include "quicklinks/QuickLinkModel.h"
#include "quicklinks/QuickLinksPage.h"
#include "settings/SettingsWritten.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QCheckBox>
#include <QFile>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;

namespace {

const char* const kList = "0020 0001 0021 9999 0002";

void Reconfigure(Root root, const QString& path) { ConfigureRoot(root, {path, RootAccess::Auto}); }

QString NotADatabase(const TempStore& store)
{
    QFile file(store.dir() + "/garbage.db");
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    return file.fileName();
}

QByteArray Utf16(const QString& text) { return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2); }

struct LoadHazard {
    const char* name;
    // Damages the store before the load; the store is healthy again before the save.
    std::function<void(TempStore&)> damage;
    bool listKept;
    const char* entries;
    // A key the save must leave exactly as stored.
    QString untouched;
};

void PrintTo(const LoadHazard& c, std::ostream* os) { *os << c.name; }

const LoadHazard kLoadHazards[] = {
    {"user_store_not_a_database", [](TempStore& s) { Reconfigure(Root::CurrentUser, NotADatabase(s)); }, true, "", {}},
    {"user_store_a_directory", [](TempStore& s) { Reconfigure(Root::CurrentUser, s.dir()); }, true, "", {}},
    {"order_list_without_bytes", [](TempStore&) { PutValue(HKEY_CURRENT_USER, kOrder, QString(), REG_SZ, QByteArray()); }, true, "", {}},
    {"order_list_of_terminators", [](TempStore&) { PutValue(HKEY_CURRENT_USER, kOrder, QString(), REG_SZ, QByteArray(4, '\0')); }, true, "", {}},
    {"order_id_naming_a_key_too_long_to_read", [](TempStore&) {
         PutString(HKEY_CURRENT_USER, kOrder, "0021", "UserDefined\\0002\\" + QString(260, 'x'));
     }, true, "", {}},
    {"order_list_stored_as_binary", [](TempStore&) {
         PutValue(HKEY_CURRENT_USER, kOrder, QString(), REG_BINARY, Utf16("0020 9999 0001"));
     }, false, "0020:U1:2 0001:I1:1", {}},
    {"menu_string_of_100_kb", [](TempStore&) {
         PutString(HKEY_CURRENT_USER, kUserDefined + "\\0002", "MenuString", QString(100000, 'm'));
     }, false, "0020:U1:2 0001:I1:2 0021::2 0002:I2:1", kUserDefined + "\\0002"},
    {"command_type_longer_than_a_dword", [](TempStore&) {
         PutValue(HKEY_CURRENT_USER, kUserDefined + "\\0001", "ExecInterfaceType", REG_DWORD, QByteArray(8, '\1'));
     }, false, "0020:U1:2 0001:I1:2 0021:U2:2 0002:I2:1", kUserDefined + "\\0001"},
    {"key_path_cut", [](TempStore&) {
         const QString deep = "UserDefined\\0002\\" + QString(220, 'y');
         PutItem(kClient, deep, "Deep", 9);
         PutString(HKEY_CURRENT_USER, kOrder, "0021", deep);
     }, false, "0020:U1:2 0001:I1:2 0021:Deep:2 0002:I2:1", kUserDefined + "\\0002"},
};

class LoadHazardTest : public testing::TestWithParam<LoadHazard> {};

// What the page could not read is kept exactly as stored: a list it could not read is shown
// read-only and not saved; an item it could not read whole is listed but never rewritten.
TEST_P(LoadHazardTest, SaveKeepsWhatTheLoadCouldNotRead)
{
    const LoadHazard& c = GetParam();
    GuiEnvironment env;
    PutClient(kList);
    // The first save brings the store into the form every save leaves.
    ASSERT_FALSE(ql::SaveItemList(ql::LoadItemList(7).entries).Failed());
    c.damage(env.store);
    const QString untouched = c.untouched.isEmpty() ? QString() : Export(c.untouched);
    QuickLinkModel model(7, ql::GetMaxUserDefinedNumber(ql::kFirstLayout));
    model.PopulateItemList();
    EXPECT_EQ(model.KeepsStoredList(), c.listKept);
    EXPECT_EQ(Describe(model.Entries()), c.entries);
    Reconfigure(Root::CurrentUser, env.store.path(Root::CurrentUser));
    const QString before = Stored();
    app::PageSave save;
    model.WriteItemList(save);
    EXPECT_FALSE(save.Commit().Failed());
    if (c.listKept) {
        EXPECT_EQ(Stored().toStdString(), before.toStdString());
    }
    if (!c.untouched.isEmpty()) {
        EXPECT_EQ(Export(c.untouched).toStdString(), untouched.toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(Hazards, LoadHazardTest, testing::ValuesIn(kLoadHazards), [](const auto& info) { return std::string(info.param.name); });

// A row kept as stored is not edited, and no row whose deletion would renumber it is deleted.
TEST(LoadHazards, KeptRowsAreNotRenumbered)
{
    GuiEnvironment env;
    PutClient("0020 0021 0001 9999 0002");
    PutString(HKEY_CURRENT_USER, kUserDefined + "\\0002", "MenuString", QString(300, 'm'));
    QuickLinkModel model(7, 2);
    model.PopulateItemList();
    EXPECT_EQ(model.ItemChangedButtons(1), (QuickLinkModel::Buttons{false, false})) << "the kept row";
    EXPECT_EQ(model.ItemChangedButtons(0), (QuickLinkModel::Buttons{true, false})) << "below the kept row";
    EXPECT_FALSE(model.DeleteItem(0));
    EXPECT_FALSE(model.DeleteItem(1));
    EXPECT_EQ(model.rowCount(), 4);
}

// Every write of a save failing in turn, and a store that refuses writes after the load: each
// leaves the store as it was and the settings-written flag clear.
TEST(SaveFaults, AnyFailedWriteRollsTheWholeSaveBack)
{
    GuiEnvironment env;
    PutClient(kList);
    ASSERT_FALSE(ql::SaveItemList(ql::LoadItemList(7).entries).Failed());
    QList<ql::ListEntry> entries = ql::LoadItemList(7).entries;
    std::swap(entries[0], entries[3]);
    entries[2].item.MenuString = "Renamed";
    entries.removeAt(1);
    const QString before = Stored();
    env.store.setReadOnly(Root::CurrentUser, true);
    app::SetSettingsWritten(0);
    EXPECT_EQ(ql::SaveItemList(entries).status, ERROR_ACCESS_DENIED);
    env.store.setReadOnly(Root::CurrentUser, false);
    int failures = 0;
    for (int nth = 1; nth < 200; ++nth) {
        app::PageSave::FailWriteForTest(nth);
        const app::SaveResult result = ql::SaveItemList(entries);
        app::PageSave::FailWriteForTest(0);
        if (!result.Failed())
            break;
        ++failures;
        ASSERT_EQ(result.status, ERROR_CANTWRITE) << nth;
        ASSERT_EQ(Stored().toStdString(), before.toStdString()) << nth;
        ASSERT_EQ(app::SettingsWritten(), 0) << nth;
    }
    EXPECT_GT(failures, 20) << "every write of the save was made to fail";
}

struct SheetFault {
    const char* name;
    // Pages shown besides Quick Links.
    QList<int> pages;
    QList<Root> readOnly;
    bool clientTold;
};

void PrintTo(const SheetFault& c, std::ostream* os) { *os << c.name; }

class SheetFaultTest : public testing::TestWithParam<SheetFault> {};

// A failed save is told once and the sheet still closes with OK; the client hears of it unless
// nothing was saved.
TEST_P(SheetFaultTest, FailedSaveIsToldOnce)
{
    const SheetFault& c = GetParam();
    GuiEnvironment env;
    PutClient(kList);
    const QString before = Stored();
    QStringList messages;
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            messages << box->text();
            return QMessageBox::Ok;
        }
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.show();
        auto* page = static_cast<CQuickLinks*>(sheet.GetPage(0));
        EXPECT_TRUE(WaitFor([page] { return page->IsLoaded(); }));
        for (int index : c.pages)
            sheet.SetActivePage(index);
        page->HideBox()->click();
        for (Root root : c.readOnly)
            env.store.setReadOnly(root, true);
        sheet.accept();
        return sheet.result();
    });
    app::SetSettingsWritten(0);
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 1);
    ASSERT_EQ(messages.size(), 1);
    // The message names the first failure, the Quick Links page's.
    EXPECT_TRUE(messages[0].contains(StoreErrorText(Root::CurrentUser, ERROR_ACCESS_DENIED))) << qPrintable(messages[0]);
    EXPECT_EQ(env.services.calls.contains("SignalClientUpdate"), c.clientTold);
    EXPECT_EQ(app::SettingsWritten(), 0);
    env.store.setReadOnly(Root::CurrentUser, false);
    EXPECT_EQ(Stored().toStdString(), before.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Faults, SheetFaultTest, testing::Values(
    SheetFault{"quick_links_fail_alone", {}, {Root::CurrentUser}, false},
    SheetFault{"appearance_still_saves", {3}, {Root::CurrentUser}, true},
    SheetFault{"every_page_fails", {3}, {Root::CurrentUser, Root::LocalMachine}, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

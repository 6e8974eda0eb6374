#include "ClientFixture.h"
#include "clientitems/OrderList.h"
#include "quicklinks/QuickLinkModel.h"

#include <QFile>

using namespace reg;
using namespace fixture;

namespace {

// Every save here starts from the fixture with a stale order value and a stale user item: only the
// user's own save removes them, not an elevated one, since that store is not the user's own.
TEST(ClientItemStore, EntriesFollowTheOrderListAndSaveBack)
{
    const char* const nine = "0001 0002 0003 0004 0006 0007 0008 0009 0010";
    // order: nullptr when the Order key holds no list value; written: the list after saving the
    // loaded entries unchanged.
    const struct { const char* name; DWORD layoutMode; bool managed, elevated; const char *order, *expected; int maxOrderId;
                   const char* written; } cases[] = {
        {"marker_in_the_middle", ql::kFirstLayout, false, false, "0001 0005 9999 0003", "0001:I1:2 0005::2 0003:I3:1", 5,
         "0001 0005 9999 0003"},
        {"no_marker_caps_at_the_maximum", ql::kFirstLayout, false, false, nine,
         "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1 0010:I10:1", 10,
         "0001 0002 0003 0004 0006 0007 0008 9999 0009 0010"},
        {"no_list_value", ql::kFirstLayout, false, false, nullptr, "", 0, "9999"},
        {"elevated_save_keeps_stale_values", ql::kFirstLayout, false, true, "0020 0001 9999 0002", "0020:U1:2 0001:I1:2 0002:I2:1", 20,
         "0020 0001 9999 0002"},
        {"second_layout_fixes_built_in_items", ql::kSecondLayout, false, false, "0001 0020 9999 0002 0021",
         "0001:I1-2:3 0020:U1-2:2 0002:I2-2:1 0021:U2-2:1", 21, "0001 0020 9999 0002 0021"},
        {"layout_three_is_the_second_layout", 3, false, false, "0001 0020", "0001:I1-2:3 0020:U1-2:2", 20, "0001 0020 9999"},
        {"managed_mode_reads_the_policy_order_and_first_layout", ql::kSecondLayout, true, false, "0021 9999 0003",
         "0021:U2:2 0003:I3:1", 21, "0021 9999 0003"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        env.setRights(true, c.elevated);
        SetLayoutMode(c.layoutMode);
        settings::SetManagedMode(c.managed);
        const HKEY root = c.managed ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        const QString orderKey = c.managed ? kPolicyOrder : c.layoutMode ? kOrder2 : kOrder;
        const QString stale = (c.layoutMode && !c.managed ? kClient2 : kClient) + "\\UserDefined\\0007";
        PutClient(c.order ? std::optional<QString>(c.order) : std::nullopt, orderKey, root);
        PutString(root, orderKey, "0500", "Stale");
        PutKey(HKEY_CURRENT_USER, stale);

        const ql::ItemListLoad load = ql::LoadItemList(ql::MaxQuickLinks());
        EXPECT_EQ(Describe(load.entries), c.expected);
        EXPECT_EQ(load.checked, QString(c.expected).count(":2") + QString(c.expected).count(":3"));
        EXPECT_EQ(std::pair(load.maxOrderId, load.stored), std::pair(c.maxOrderId, ql::StoredList::Editable));
        EXPECT_FALSE(ql::SaveItemList(load.entries).Failed());
        EXPECT_EQ(ReadText(root, orderKey, QString()), c.written);
        const bool keepsStale = c.elevated || c.managed;
        EXPECT_EQ(std::pair(ReadBytes(root, orderKey, "0500").has_value(), Export(stale) != "<missing>"), std::pair(keepsStale, keepsStale));
    }
}

const char* const kList = "0020 0001 0021 9999 0002";

// What the page could not read is kept exactly as stored: a list it could not read is shown
// read-only and not saved; an item it could not read whole is listed but never rewritten, and no
// row whose deletion would renumber it may be deleted.
TEST(ClientItemStore, SaveKeepsWhatTheLoadCouldNotRead)
{
    const QString u1 = kUserDefined + "\\0001", u2 = kUserDefined + "\\0002", deep = "UserDefined\\0002\\" + QString(220, 'y');
    // The store is damaged after a first save, which brings it into the form every save leaves:
    // the user's store file is replaced (key "file"), or a value is put. The store
    // file is healthy again before the page saves; the key "Deep" is there in every case.
    // buttons: Edit and Delete right after the load and after a change, per row, upper case where
    // enabled; untouched: a key the save must leave exactly as stored.
    const struct { const char* name; QString key, value; DWORD type; QByteArray bytes; bool listKept; const char *entries, *buttons;
                   QString untouched; } cases[] = {
        {"user_store_not_a_database", "file", {}, 0, {}, true, "", "", {}},
        {"order_list_without_bytes", kOrder, {}, REG_SZ, {}, true, "", "", {}},
        {"order_id_naming_a_key_too_long_to_read", kOrder, "0021", REG_SZ,
         Utf16LeBytesTerminated(QString("UserDefined\\0002\\" + QString(260, 'x'))), true, "", "", {}},
        {"order_list_stored_as_binary", kOrder, {}, REG_BINARY, Utf16LeBytes(u"0020 9999 0001"), false, "0020:U1:2 0001:I1:1",
         "ed/Ed ed/ed", {}},
        {"healthy_list_with_one_check", kOrder, {}, REG_SZ, Utf16LeBytesTerminated(u"0020 9999 0001 0021"), false,
         "0020:U1:2 0001:I1:1 0021:U2:1", "ed/Ed ed/ed ed/ED", {}},
        {"menu_string_of_100_kb", u2, "MenuString", REG_SZ, Utf16LeBytesTerminated(QString(100000, 'm')), false,
         "0020:U1:2 0001:I1:2 0021::2 0002:I2:1", "Ed/Ed ed/ed ed/ed ed/ed", u2},
        {"command_type_longer_than_a_dword", u1, "ExecInterfaceType", REG_DWORD, QByteArray(8, '\1'), false,
         "0020:U1:2 0001:I1:2 0021:U2:2 0002:I2:1", "ed/ed ed/ed ED/ED ed/ed", u1},
        {"key_path_cut", kOrder, "0021", REG_SZ, Utf16LeBytesTerminated(deep), false,
         "0020:U1:2 0001:I1:2 0021:Deep:2 0002:I2:1", "Ed/Ed ed/ed ed/ed ed/ed", u2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        PutClient(kList);
        ASSERT_FALSE(ql::SaveItemList(ql::LoadItemList(7).entries).Failed());
        PutItem(kClient, deep, "Deep", 9);
        QFile garbage(env.store.dir() + "/garbage.db");
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
        garbage.close();
        if (c.key == "file")
            ConfigureRoot(Root::CurrentUser, {garbage.fileName(), RootAccess::Auto});
        else
            PutValue(HKEY_CURRENT_USER, c.key, c.value, c.type, c.bytes);
        const QString untouched = c.untouched.isEmpty() ? QString() : Export(c.untouched);
        QuickLinkModel model(7, ql::GetMaxUserDefinedNumber(ql::kFirstLayout));
        model.PopulateItemList();
        EXPECT_EQ(model.KeepsStoredList(), c.listKept);
        EXPECT_EQ(Describe(model.Entries()), c.entries);
        QStringList buttons;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QuickLinkModel::Buttons load = model.LoadButtons(row), changed = model.ItemChangedButtons(row);
            buttons << QString(load.edit ? "E" : "e") + (load.remove ? "D/" : "d/") + (changed.edit ? "E" : "e") + (changed.remove ? "D" : "d");
        }
        EXPECT_EQ(buttons.join(' '), c.buttons);
        ConfigureRoot(Root::CurrentUser, {env.store.path(Root::CurrentUser), RootAccess::Auto});
        const QString before = Stored();
        app::PageSave save;
        model.WriteItemList(save);
        EXPECT_FALSE(save.Commit().Failed());
        EXPECT_EQ((c.listKept ? Stored() : before).toStdString(), before.toStdString());
        EXPECT_EQ((c.untouched.isEmpty() ? QString() : Export(c.untouched)).toStdString(), untouched.toStdString());
    }
}

// Every write of a save failing in turn leaves the store as it was and the settings-written flag
// clear.
TEST(ClientItemStore, AnyFailedWriteRollsTheWholeSaveBack)
{
    GuiEnvironment env;
    PutClient(kList);
    ASSERT_FALSE(ql::SaveItemList(ql::LoadItemList(7).entries).Failed());
    QList<ql::ListEntry> entries = ql::LoadItemList(7).entries;
    std::swap(entries[0], entries[3]);
    entries[2].item.MenuString = "Renamed";
    entries.removeAt(1);
    const QString before = Stored();
    app::SetSettingsWritten(0);
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

} // namespace

#include "ClientFixture.h"
#include "GuiTest.h"
#include "quicklinks/OrderList.h"
#include "settings/SettingsWritten.h"

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;

namespace {

struct LoadCase {
    const char* name;
    DWORD layoutMode;
    bool managed;
    // nullptr: the Order key holds no list value.
    const char* order;
    bool resourceCenterHidden;
    const char* expected;
    int maxOrderId;
    // The list after saving the loaded entries unchanged.
    const char* written;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const char* const kNine = "0001 0002 0003 0004 0006 0007 0008 0009 0010";
const LoadCase kLoadCases[] = {
    {"marker_in_the_middle", ql::kFirstLayout, false, "0001 0005 9999 0003", false, "0001:I1:2 0005::2 0003:I3:1", 5, "0001 0005 9999 0003"},
    {"no_marker_caps_at_the_maximum", ql::kFirstLayout, false, kNine, false,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1 0010:I10:1", 10,
     "0001 0002 0003 0004 0006 0007 0008 9999 0009 0010"},
    {"fifteen_with_the_resource_center_hidden", ql::kFirstLayout, false, kNine, true,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:2 0010:I10:2", 10,
     "0001 0002 0003 0004 0006 0007 0008 0009 0010 9999"},
    {"skipped_ids_take_no_place", ql::kFirstLayout, false, "0030 0031 0001 0002 0003 0004 0006 0007 0008 0009 9999 0030", false,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1", 9, "0001 0002 0003 0004 0006 0007 0008 9999 0009"},
    {"duplicates_and_a_short_last_id", ql::kFirstLayout, false, "0012 0002 0002 00", false, "0012:I12:2 0002:I2:2 0002:I2:2", 12, "0012 0002 0002 9999"},
    {"all_hidden", ql::kFirstLayout, false, "9999 0001 0002", false, "0001:I1:1 0002:I2:1", 2, "9999 0001 0002"},
    {"no_list_value", ql::kFirstLayout, false, nullptr, false, "", 0, "9999"},
    {"second_layout_fixes_built_in_items", ql::kSecondLayout, false, "0001 0020 9999 0002 0021", false,
     "0001:I1-2:3 0020:U1-2:2 0002:I2-2:1 0021:U2-2:1", 21, "0001 0020 9999 0002 0021"},
    {"layout_three_is_the_second_layout", 3, false, "0001 0020", false, "0001:I1-2:3 0020:U1-2:2", 20, "0001 0020 9999"},
    {"managed_mode_reads_the_policy_order_and_first_layout", ql::kSecondLayout, true, "0021 9999 0003", false,
     "0021:U2:2 0003:I3:1", 21, "0021 9999 0003"},
};

class LoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadTest, EntriesFollowTheOrderListAndSaveBack)
{
    const LoadCase& c = GetParam();
    GuiEnvironment env;
    SetLayoutMode(c.layoutMode);
    settings::SetManagedMode(c.managed);
    const HKEY root = c.managed ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const QString orderKey = c.managed ? kPolicyOrder : c.layoutMode ? kOrder2 : kOrder;
    PutClient(c.order ? std::optional<QString>(c.order) : std::nullopt, orderKey, root);
    if (c.resourceCenterHidden)
        PutDword(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::ResourceCenter), "HideGroup", 1);

    const ql::ItemListLoad load = ql::LoadItemList(ql::MaxQuickLinks());
    EXPECT_EQ(Describe(load.entries), c.expected);
    EXPECT_EQ(load.checked, QString(c.expected).count(":2") + QString(c.expected).count(":3"));
    EXPECT_EQ(load.maxOrderId, c.maxOrderId);
    EXPECT_EQ(load.stored, ql::StoredList::Editable);
    EXPECT_FALSE(ql::SaveItemList(load.entries).Failed());
    EXPECT_EQ(ReadText(root, orderKey, QString()), c.written);
}

INSTANTIATE_TEST_SUITE_P(Lists, LoadTest, testing::ValuesIn(kLoadCases), [](const auto& info) { return std::string(info.param.name); });

// 15 Quick Links while the layout's Resource Center is hidden; the user's highest item number
// comes from the layout's own key, in managed mode too, read without making it.
TEST(Limits, MaximumAndHighestUserNumber)
{
    struct Case { std::optional<DWORD> xml; DWORD hidden, hidden2; int expected; };
    for (const Case& c : {Case{{}, 0, 1, 7}, {{}, 1, 0, 15}, {0, 2, 0, 15}, {1, 0, 0, 15}, {2, 1, 0, 7}, {2, 0, 1, 15}, {3, 0, 5, 15}}) {
        GuiEnvironment env;
        if (c.xml)
            PutDword(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter", *c.xml);
        PutDword(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\ResourceCenter", "HideGroup", c.hidden);
        PutDword(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\ResourceCenter.2", "HideGroup", c.hidden2);
        EXPECT_EQ(ql::MaxQuickLinks(), c.expected) << c.xml.value_or(99) << c.hidden << c.hidden2;
    }
    GuiEnvironment env;
    PutKey(HKEY_CURRENT_USER, kClient2 + "\\UserDefined\\0040");
    settings::SetManagedMode(true);
    EXPECT_EQ(ql::GetMaxUserDefinedNumber(ql::kFirstLayout), 0);
    EXPECT_EQ(ql::GetMaxUserDefinedNumber(ql::kSecondLayout), 40);
    EXPECT_EQ(Export(kUserDefined), "<missing>") << "a load makes no key";
    for (const char* name : {"0003", "0012x", "abc", "7"})
        PutKey(HKEY_CURRENT_USER, kUserDefined + "\\" + name);
    EXPECT_EQ(ql::GetMaxUserDefinedNumber(ql::kFirstLayout), 12);
}

// Managed: the policy order is read-only and only the user's items are written. Elevated: the
// order data is written but nothing stale is removed, since that store is not the user's own.
TEST(SaveTest, WhatEachProcessWrites)
{
    struct Case { const char* name; bool managed, elevated, orderWritten, staleRemoved; };
    for (const Case& c : {Case{"user", false, false, true, true}, {"elevated", false, true, true, false}, {"managed", true, false, false, false}}) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        env.setRights(true, c.elevated);
        settings::SetManagedMode(c.managed);
        app::SetSettingsWritten(0);
        PutClient("0020 0001 9999 0002", kPolicyOrder, HKEY_LOCAL_MACHINE);
        PutClient("0020 0001 9999 0002");
        for (const char* name : {"0500", "C0500", "Note"})
            PutString(HKEY_CURRENT_USER, kOrder, name, "Stale");
        PutKey(HKEY_CURRENT_USER, kUserDefined + "\\0007");
        PutDword(HKEY_CURRENT_USER, kUserDefined + "\\0001", "MenuType", 5);
        PutKey(HKEY_LOCAL_MACHINE, kPolicyData);

        ql::ItemListLoad load = ql::LoadItemList(7);
        ASSERT_EQ(load.entries.size(), 3);
        std::swap(load.entries[0], load.entries[1]);
        EXPECT_FALSE(ql::SaveItemList(load.entries).Failed());
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kPolicyOrder, QString()), "0020 0001 9999 0002");
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, QString()), c.orderWritten ? "0001 0020 9999 0002" : "0020 0001 9999 0002");
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, "C0020"), c.orderWritten ? "FFFF" : "<none>");
        for (const char* stale : {"0500", "C0500"})
            EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kOrder, stale).has_value(), !c.staleRemoved) << stale;
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, "Note"), "Stale") << "not an id";
        EXPECT_EQ(Export(kUserDefined + "\\0007") == "<missing>", c.staleRemoved);
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kUserDefined + "\\0001", "MenuType"), 0u) << "the listed user item is written in every case";
        EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kPolicyData, "Customized"));
        EXPECT_EQ(app::SettingsWritten(), 1);
    }
}

void Delete(const QString& path, const std::optional<QString>& value = std::nullopt)
{
    Key key;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    ASSERT_EQ(value ? RegDeleteValue(key, *value) : RegDeleteTree(key, QString()), ERROR_SUCCESS);
}

// Whatever the store holds before a save, the save leaves the user's items and the Order key as
// a save after deleting the user-defined tree and every order-id value would: the same values in
// the same order, the same spelling of every key.
const std::pair<const char*, void (*)()> kRewriteCases[] = {
    {"as_the_last_save_left_it", [] {}},
    {"item_with_another_value", [] { PutDword(HKEY_CURRENT_USER, kUserDefined + "\\0001", "Extra", 1); }},
    {"item_with_a_subkey", [] { PutKey(HKEY_CURRENT_USER, kUserDefined + "\\0001\\Sub"); }},
    {"user_defined_key_with_a_value_and_a_stale_item", [] {
         PutDword(HKEY_CURRENT_USER, kUserDefined, "Note", 1);
         PutItem(kClient, "UserDefined\\0009", "Stale", 9);
     }},
    {"user_defined_key_spelt_otherwise", [] {
         ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, kUserDefined), ERROR_SUCCESS);
         PutItem(kClient, "userdefined\\0001", "U1", 9);
     }},
    {"lower_case_c_in_its_place", [] {
         // The values as the last save wrote them, one "C" in lower case.
         const char* const values[][2] = {{"0020", "UserDefined\\0001"}, {"c0020", "FFFF"}, {"0001", "I1"}, {"C0001", "0001"},
                                          {"0021", "UserDefined\\0002"}, {"C0021", "FFFF"}, {"0002", "I2"}, {"C0002", "0002"}};
         for (const auto& value : values)
             Delete(kOrder, QString(value[0]));
         for (const auto& value : values)
             PutString(HKEY_CURRENT_USER, kOrder, value[0], value[1]);
     }},
    {"order_ids_before_the_list", [] { Delete(kOrder, QString()); PutString(HKEY_CURRENT_USER, kOrder, QString(), "0020 0001 0021 9999 0002"); }},
};

TEST(SaveTest, SameAsAfterClearingFirst)
{
    for (const auto& [name, change] : kRewriteCases) {
        SCOPED_TRACE(name);
        QString exports[2];
        for (const bool clearFirst : {false, true}) {
            GuiEnvironment env;
            env.setRights(false, false);
            PutClient("0020 0001 0021 9999 0002");
            ASSERT_FALSE(ql::SaveItemList(ql::LoadItemList(7).entries).Failed());
            change();
            const QList<ql::ListEntry> entries = ql::LoadItemList(7).entries;
            if (clearFirst) {
                ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, kUserDefined), ERROR_SUCCESS);
                Key order;
                ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kOrder, KEY_ALL_ACCESS, order.put()), ERROR_SUCCESS);
                QStringList ids;
                for (int n = 0; n < 10000; ++n)
                    ids << ql::FourDigits(n) << "C" + ql::FourDigits(n);
                ASSERT_EQ(RegDeleteValues(order, ids), ERROR_SUCCESS);
            }
            ASSERT_FALSE(ql::SaveItemList(entries).Failed());
            exports[clearFirst] = Stored();
        }
        EXPECT_EQ(exports[0].toStdString(), exports[1].toStdString());
    }
}

} // namespace

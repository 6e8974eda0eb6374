#include "app/ProcessState.h"
#include "quicklinks/OrderList.h"
#include "registry/RegValues.h"
#include "ClientFixture.h"
#include "GuiTest.h"

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;

namespace {

struct LoadCase {
    const char* name;
    DWORD layoutMode;
    bool managed;
    const char* order;
    bool resourceCenterHidden;
    const char* expected;
    int checked;
    int maxOrderId;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const LoadCase kLoadCases[] = {
    {"marker_in_the_middle", 0, false, "0001 0002 9999 0003", false, "0001:I1:2 0002:I2:2 0003:I3:1", 2, 3},
    {"no_marker_caps_at_the_maximum", 0, false, "0001 0002 0003 0004 0006 0007 0008 0009 0010", false,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1 0010:I10:1", 7, 10},
    {"nine_before_the_marker", 0, false, "0001 0002 0003 0004 0006 0007 0008 0009 0010 9999 0011", false,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1 0010:I10:1 0011:I11:1", 7, 11},
    {"fifteen_with_the_resource_center_hidden", 0, false, "0001 0002 0003 0004 0006 0007 0008 0009 0010", true,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:2 0010:I10:2", 9, 10},
    {"missing_value_and_item_key_are_skipped", 0, false, "0030 0031 0002 9999 0030", false, "0002:I2:2", 1, 2},
    {"skipped_ids_do_not_count_for_the_maximum", 0, false, "0030 0031 0001 0002 0003 0004 0006 0007 0008 0009", false,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1", 7, 9},
    {"item_without_a_name", 0, false, "0005", false, "0005::2", 1, 5},
    {"duplicate_ids_give_two_entries", 0, false, "0002 0002", false, "0002:I2:2 0002:I2:2", 2, 2},
    {"short_last_entry", 0, false, "0012 0001 002", false, "0012:I12:2 0001:I1:2", 2, 12},
    {"marker_only", 0, false, "9999", false, "", 0, 0},
    {"empty_list", 0, false, "", false, "", 0, 0},
    {"second_layout_fixes_built_in_items", 2, false, "0001 0020 9999 0002 0021", false,
     "0001:I1-2:3 0020:U1-2:2 0002:I2-2:1 0021:U2-2:1", 2, 21},
    {"layout_three_is_the_second_layout", 3, false, "0001 0020", false, "0001:I1-2:3 0020:U1-2:2", 2, 20},
    {"managed_mode_reads_the_policy_order_and_first_layout", 2, true, "0021 9999 0003", false,
     "0021:U2:2 0003:I3:1", 1, 21},
};

class LoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadTest, EntriesFollowTheOrderList)
{
    const LoadCase& c = GetParam();
    GuiEnvironment env;
    SetLayoutMode(c.layoutMode);
    settings::SetManagedMode(c.managed);
    if (c.managed)
        PutClient(c.order, HKEY_LOCAL_MACHINE, kPolicyOrder);
    else
        PutClient(c.order);
    if (c.resourceCenterHidden)
        PutDword(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::ResourceCenter), "HideGroup", 1);

    const ql::ItemListLoad load = ql::LoadItemList(ql::MaxQuickLinks());
    EXPECT_EQ(Describe(load.entries), c.expected);
    EXPECT_EQ(load.checked, c.checked);
    EXPECT_EQ(load.maxOrderId, c.maxOrderId);
    EXPECT_FALSE(load.orderListUnreadable);
}

INSTANTIATE_TEST_SUITE_P(Lists, LoadTest, testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoadRecord, FieldsOfAUserItem)
{
    GuiEnvironment env;
    PutClient("0021");
    const ql::ItemListLoad load = ql::LoadItemList(7);
    ASSERT_EQ(load.entries.size(), 1);
    const ClientItem& item = load.entries[0].item;
    EXPECT_EQ(item.KeyPath, kClient + "\\UserDefined\\0002");
    EXPECT_EQ(item.KeyName, "UserDefined\\0002");
    EXPECT_EQ(item.ExecInterface, "/usr/bin/UserDefined\\0002");
    EXPECT_EQ(item.Category, 9u);
    EXPECT_EQ(item.ExecInterfaceType, 1u);
    EXPECT_TRUE(ql::IsUserDefined(item));
}

// A list that cannot be read gives no entries and says so, so that nothing is saved over it.
TEST(LoadRecord, UnreadableOrderLists)
{
    GuiEnvironment env;
    PutClient("0001");
    for (const auto& [type, bytes] : {std::pair{REG_SZ, QByteArray(600, 'a')},
                                      std::pair{REG_DWORD, QByteArray("\x01\0\0\0", 4)},
                                      std::pair{REG_BINARY, QByteArray("0\0" "0\0" "0\0" "1\0", 8)}}) {
        PutValue(HKEY_CURRENT_USER, kOrder, QString(), type, bytes);
        const ql::ItemListLoad load = ql::LoadItemList(7);
        EXPECT_TRUE(load.entries.isEmpty());
        EXPECT_TRUE(load.orderListUnreadable) << type;
    }
}

TEST(Limits, MaximumOfQuickLinks)
{
    struct Case { std::optional<DWORD> xml; DWORD hidden, hidden2; int expected; };
    const Case cases[] = {{{}, 0, 1, 7}, {{}, 1, 0, 15}, {0, 2, 0, 15}, {1, 0, 0, 15},
                          {2, 1, 0, 7}, {2, 0, 1, 15}, {3, 0, 5, 15}};
    for (const Case& c : cases) {
        GuiEnvironment env;
        if (c.xml)
            PutDword(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter", *c.xml);
        PutDword(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\ResourceCenter", "HideGroup", c.hidden);
        PutDword(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\ResourceCenter.2", "HideGroup", c.hidden2);
        EXPECT_EQ(ql::MaxQuickLinks(), c.expected) << c.xml.value_or(99) << c.hidden << c.hidden2;
    }
}

TEST(Limits, HighestUserDefinedNumber)
{
    GuiEnvironment env;
    EXPECT_EQ(ql::GetMaxUserDefinedNumber(0), 0);
    EXPECT_TRUE(ReadBytes(HKEY_CURRENT_USER, kClient + "\\UserDefined", QString()) == std::nullopt);
    Key created;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kClient + "\\UserDefined", KEY_READ, created.put()), ERROR_SUCCESS)
        << "the key is made when missing";
    for (const char* name : {"0003", "0012x", "abc", "7"})
        PutKey(HKEY_CURRENT_USER, kClient + "\\UserDefined\\" + name);
    PutKey(HKEY_CURRENT_USER, kClient2 + "\\UserDefined\\0040");
    EXPECT_EQ(ql::GetMaxUserDefinedNumber(0), 12);
    EXPECT_EQ(ql::GetMaxUserDefinedNumber(2), 40);
}

TEST(OrderListFormat, WrittenForms)
{
    EXPECT_EQ(ql::FormatOrderList({}, {}), "9999");
    EXPECT_EQ(ql::FormatOrderList({"0001", "0002"}, {}), "0001 0002 9999");
    EXPECT_EQ(ql::FormatOrderList({}, {"0001", "0002"}), "9999 0001 0002");
    EXPECT_EQ(ql::ParseOrderList("0001 0002 9999 00"), QStringList({"0001", "0002", "9999", "00"}));
    EXPECT_EQ(ql::ParseOrderList("0001x0002"), QStringList({"0001", "0002"})) << "separators are not looked at";
    QStringList ids;
    for (int n = 1; n <= ql::kMaxOrderedItems; ++n)
        ids << ql::FourDigits(n);
    EXPECT_LE(ql::FormatOrderList(ids, {}).size(), ql::kMaxOrderListUnits) << "a full list still reads back";
}

// --- Save ---

class SaveTest : public testing::Test {
protected:
    // Loads the fixture list, saves it unchanged, and gives the stored order list.
    QString roundTrip(const char* order)
    {
        PutClient(order);
        ql::SaveItemList(ql::LoadItemList(ql::MaxQuickLinks()).entries);
        return orderList(HKEY_CURRENT_USER, kOrder);
    }
    static QString orderList(HKEY root, const QString& key)
    {
        Key order;
        QString list;
        if (RegOpenKeyEx(root, key, KEY_READ, order.put()) != ERROR_SUCCESS
            || QueryString(order, QString(), 260, &list) != ERROR_SUCCESS)
            return QStringLiteral("<none>");
        return list;
    }
    static QStringList valueNames(HKEY root, const QString& path)
    {
        Key key;
        QStringList names;
        if (RegOpenKeyEx(root, path, KEY_READ, key.put()) != ERROR_SUCCESS)
            return {QStringLiteral("<no key>")};
        QString name;
        for (DWORD i = 0; RegEnumValue(key, i, &name, nullptr, nullptr) == ERROR_SUCCESS; ++i)
            names << name;
        return names;
    }
    GuiEnvironment env;
};

TEST_F(SaveTest, OrderListsAsWritten)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0001 0002 9999 0003", "0001 0002 9999 0003"},
        {"9999 0001 0002", "9999 0001 0002"},
        {"0001 0002", "0001 0002 9999"},
        {"0001 0002 0003 0004 0006 0007 0008 0009 0010 9999", "0001 0002 0003 0004 0006 0007 0008 9999 0009 0010"},
        {"0030 0001 0031 9999 0002", "0001 9999 0002"},
        {"", "9999"},
    };
    for (const auto& [stored, written] : cases) {
        RegDeleteTree(HKEY_CURRENT_USER, "Software");
        EXPECT_EQ(roundTrip(stored), written) << stored;
    }
}

TEST_F(SaveTest, ValuesOfTheOrderKeyAndTheUserItems)
{
    PutString(HKEY_CURRENT_USER, kOrder, "0500", "Stale");
    PutString(HKEY_CURRENT_USER, kOrder, "C0500", "0001");
    PutString(HKEY_CURRENT_USER, kOrder, "Note", "kept");
    PutKey(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0007");
    app::SetSettingsWritten(0);
    roundTrip("0003 0020 9999 0009");

    EXPECT_EQ(valueNames(HKEY_CURRENT_USER, kOrder),
              QStringList({"Note", "", "0003", "C0003", "0020", "C0020", "0009", "C0009"}))
        << "every other id value is gone";
    EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kOrder, "C0003"), QByteArray("0\0" "0\0" "0\0" "3\0" "\0\0", 10));
    EXPECT_EQ(orderList(HKEY_CURRENT_USER, kOrder + ""), "0003 0020 9999 0009");
    Key order;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kOrder, KEY_READ, order.put()), ERROR_SUCCESS);
    QString text;
    QueryString(order, "C0020", 260, &text);
    EXPECT_EQ(text, "FFFF");
    QueryString(order, "0020", 260, &text);
    EXPECT_EQ(text, "UserDefined\\0001");

    const QString user = kClient + "\\UserDefined\\0001";
    EXPECT_EQ(valueNames(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0002"), QStringList({"<no key>"}))
        << "the user key holds only the listed items";
    EXPECT_EQ(valueNames(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0007"), QStringList({"<no key>"}));
    EXPECT_EQ(valueNames(HKEY_CURRENT_USER, user),
              QStringList({"ExecInterface", "MenuString", "EventForStatusChange", "ExecInterfaceType", "MenuType",
                           "Capability", "Category", "Dependency"}));
    Key item;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, user, KEY_READ, item.put()), ERROR_SUCCESS);
    DWORD type = 0, size = 99;
    EXPECT_EQ(RegQueryValueEx(item, "EventForStatusChange", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, user, "MenuString")->size(), (2 + 1) * 2);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, user, "Category"), 9u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, user, "ExecInterfaceType"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\QuickLink", "Customized"), 1u);
    EXPECT_EQ(app::SettingsWritten(), 1);
}

TEST_F(SaveTest, CategoryCodes)
{
    ql::ListEntry entry;
    entry.item.KeyName = "X";
    entry.item.KeyPath = kClient + "\\X";
    for (const auto& [category, code] : {std::pair{9u, "FFFF"}, {3u, "0003"}, {0u, "0000"}, {1234u, "1234"}}) {
        entry.item.OrderId = QString::number(category).rightJustified(4, '0');
        entry.item.Category = category;
        PutKey(HKEY_CURRENT_USER, kOrder);
        ql::SaveItemList({entry});
        Key order;
        RegOpenKeyEx(HKEY_CURRENT_USER, kOrder, KEY_READ, order.put());
        QString text;
        QueryString(order, "C" + entry.item.OrderId, 260, &text);
        EXPECT_EQ(text, code);
    }
}

struct RightsCase {
    const char* name;
    bool managed, elevated;
    bool orderWritten, staleRemoved;
};

void PrintTo(const RightsCase& c, std::ostream* os) { *os << c.name; }

class SaveRightsTest : public SaveTest, public testing::WithParamInterface<RightsCase> {};

// Managed: the policy order is read-only and only the user's items are written. Elevated: the
// order data is written but nothing stale is removed, since that store is not the user's own.
TEST_P(SaveRightsTest, WhatEachProcessWrites)
{
    const RightsCase& c = GetParam();
    env.setRights(true, c.elevated);
    settings::SetManagedMode(c.managed);
    PutClient("0020 0001 9999 0002", HKEY_LOCAL_MACHINE, kPolicyOrder);
    PutClient("0020 0001 9999 0002");
    PutString(HKEY_CURRENT_USER, kOrder, "0500", "Stale");
    PutKey(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0007");
    PutValue(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0001", "MenuType", REG_DWORD, QByteArray(4, '\x05'));
    PutKey(HKEY_LOCAL_MACHINE, "Software\\Policies\\Orvane\\TALVEN\\Data\\QuickLink");

    ql::ItemListLoad load = ql::LoadItemList(7);
    ASSERT_EQ(load.entries.size(), 3);
    std::swap(load.entries[0], load.entries[1]);
    ql::SaveItemList(load.entries);

    EXPECT_EQ(orderList(HKEY_LOCAL_MACHINE, kPolicyOrder), "0020 0001 9999 0002") << "policy order is never written";
    EXPECT_EQ(orderList(HKEY_CURRENT_USER, kOrder), c.orderWritten ? "0001 0020 9999 0002" : "0020 0001 9999 0002");
    EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kOrder, "0500").has_value(), !c.staleRemoved);
    EXPECT_EQ(valueNames(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0007") == QStringList({"<no key>"}), c.staleRemoved);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0001", "MenuType"), 0u)
        << "the listed user item is written in every case";
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, "Software\\Policies\\Orvane\\TALVEN\\Data\\QuickLink", "Customized")
                  .has_value(),
              false);
}

INSTANTIATE_TEST_SUITE_P(Rights, SaveRightsTest,
    testing::Values(RightsCase{"user", false, false, true, true},
                    RightsCase{"elevated", false, true, true, false},
                    RightsCase{"managed", true, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveTest, MissingOrderKeyIsNotCreated)
{
    PutItem(kClient, "UserDefined\\0001", "U1", 9);
    ClientItem item;
    item.KeyPath = kClient + "\\UserDefined\\0001";
    item.KeyName = "UserDefined\\0001";
    item.OrderId = "0001";
    item.MenuString = "U1";
    ql::SaveItemList({{item, ui::kChecked}});
    EXPECT_EQ(valueNames(HKEY_CURRENT_USER, kOrder), QStringList({"<no key>"}));
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0001", "Category"), 9u);
}

} // namespace

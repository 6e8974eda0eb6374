#include "app/ProcessState.h"
#include "quicklinks/OrderList.h"
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
    // nullptr: the Order key holds no list value.
    const char* order;
    bool resourceCenterHidden;
    const char* expected;
    int maxOrderId;
    // The list after saving the loaded entries unchanged.
    const char* written;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const LoadCase kLoadCases[] = {
    {"marker_in_the_middle", 0, false, "0001 0005 9999 0003", false, "0001:I1:2 0005::2 0003:I3:1", 5,
     "0001 0005 9999 0003"},
    {"no_marker_caps_at_the_maximum", 0, false, "0001 0002 0003 0004 0006 0007 0008 0009 0010", false,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1 0010:I10:1", 10,
     "0001 0002 0003 0004 0006 0007 0008 9999 0009 0010"},
    {"fifteen_with_the_resource_center_hidden", 0, false, "0001 0002 0003 0004 0006 0007 0008 0009 0010", true,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:2 0010:I10:2", 10,
     "0001 0002 0003 0004 0006 0007 0008 0009 0010 9999"},
    {"skipped_ids_take_no_place", 0, false, "0030 0031 0001 0002 0003 0004 0006 0007 0008 0009 9999 0030", false,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1", 9,
     "0001 0002 0003 0004 0006 0007 0008 9999 0009"},
    {"duplicates_give_two_entries", 0, false, "0012 0002 0002", false, "0012:I12:2 0002:I2:2 0002:I2:2", 12,
     "0012 0002 0002 9999"},
    {"all_hidden", 0, false, "9999 0001 0002", false, "0001:I1:1 0002:I2:1", 2, "9999 0001 0002"},
    {"no_list_value", 0, false, nullptr, false, "", 0, "9999"},
    {"second_layout_fixes_built_in_items", 2, false, "0001 0020 9999 0002 0021", false,
     "0001:I1-2:3 0020:U1-2:2 0002:I2-2:1 0021:U2-2:1", 21, "0001 0020 9999 0002 0021"},
    {"layout_three_is_the_second_layout", 3, false, "0001 0020", false, "0001:I1-2:3 0020:U1-2:2", 20,
     "0001 0020 9999"},
    {"managed_mode_reads_the_policy_order_and_first_layout", 2, true, "0021 9999 0003", false,
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
    EXPECT_FALSE(load.keepStoredList);
    ql::SaveItemList(load.entries);
    EXPECT_EQ(ReadText(root, orderKey, QString()), c.written);
}

INSTANTIATE_TEST_SUITE_P(Lists, LoadTest, testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A list cut at its length limit may end inside an id; that piece is still an entry.
TEST(OrderListFormat, ShortLastEntry)
{
    EXPECT_EQ(ql::ParseOrderList("0001 9999 00"), QStringList({"0001", "9999", "00"}));
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
    EXPECT_NE(Export(kClient + "\\UserDefined"), "<missing>") << "the key is made when missing";
    for (const char* name : {"0003", "0012x", "abc", "7"})
        PutKey(HKEY_CURRENT_USER, kClient + "\\UserDefined\\" + name);
    PutKey(HKEY_CURRENT_USER, kClient2 + "\\UserDefined\\0040");
    EXPECT_EQ(ql::GetMaxUserDefinedNumber(0), 12);
    EXPECT_EQ(ql::GetMaxUserDefinedNumber(2), 40);
}

// Managed: the policy order is read-only and only the user's items are written. Elevated: the
// order data is written but nothing stale is removed, since that store is not the user's own.
TEST(SaveTest, WhatEachProcessWrites)
{
    struct Case { const char* name; bool managed, elevated, orderWritten, staleRemoved; };
    for (const Case& c : {Case{"user", false, false, true, true}, {"elevated", false, true, true, false},
                          {"managed", true, false, false, false}}) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        env.setRights(true, c.elevated);
        settings::SetManagedMode(c.managed);
        app::SetSettingsWritten(0);
        PutClient("0020 0001 9999 0002", kPolicyOrder, HKEY_LOCAL_MACHINE);
        PutClient("0020 0001 9999 0002");
        for (const char* name : {"0500", "C0500", "Note"})
            PutString(HKEY_CURRENT_USER, kOrder, name, "Stale");
        PutKey(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0007");
        PutDword(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0001", "MenuType", 5);
        PutKey(HKEY_LOCAL_MACHINE, kPolicyData);

        ql::ItemListLoad load = ql::LoadItemList(7);
        ASSERT_EQ(load.entries.size(), 3);
        std::swap(load.entries[0], load.entries[1]);
        ql::SaveItemList(load.entries);

        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kPolicyOrder, QString()), "0020 0001 9999 0002");
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, QString()),
                  c.orderWritten ? "0001 0020 9999 0002" : "0020 0001 9999 0002");
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, "0020"), "UserDefined\\0001");
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, "C0020"), c.orderWritten ? "FFFF" : "<none>");
        for (const char* stale : {"0500", "C0500"})
            EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kOrder, stale).has_value(), !c.staleRemoved) << stale;
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, "Note"), "Stale") << "not an id";
        EXPECT_EQ(Export(kClient + "\\UserDefined\\0007") == "<missing>", c.staleRemoved);
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0001", "MenuType"), 0u)
            << "the listed user item is written in every case";
        EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kPolicyData, "Customized"));
        EXPECT_EQ(app::SettingsWritten(), 1);
    }
}

} // namespace

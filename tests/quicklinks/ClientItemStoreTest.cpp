#include "ClientFixture.h"
#include "GuiTest.h"
#include "quicklinks/OrderList.h"

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
    const char* expected;
    int maxOrderId;
    // The list after saving the loaded entries unchanged.
    const char* written;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const char* const kNine = "0001 0002 0003 0004 0006 0007 0008 0009 0010";
const LoadCase kLoadCases[] = {
    {"marker_in_the_middle", ql::kFirstLayout, false, "0001 0005 9999 0003", "0001:I1:2 0005::2 0003:I3:1", 5, "0001 0005 9999 0003"},
    {"no_marker_caps_at_the_maximum", ql::kFirstLayout, false, kNine,
     "0001:I1:2 0002:I2:2 0003:I3:2 0004:I4:2 0006:I6:2 0007:I7:2 0008:I8:2 0009:I9:1 0010:I10:1", 10,
     "0001 0002 0003 0004 0006 0007 0008 9999 0009 0010"},
    {"no_list_value", ql::kFirstLayout, false, nullptr, "", 0, "9999"},
    {"second_layout_fixes_built_in_items", ql::kSecondLayout, false, "0001 0020 9999 0002 0021",
     "0001:I1-2:3 0020:U1-2:2 0002:I2-2:1 0021:U2-2:1", 21, "0001 0020 9999 0002 0021"},
    {"layout_three_is_the_second_layout", 3, false, "0001 0020", "0001:I1-2:3 0020:U1-2:2", 20, "0001 0020 9999"},
    {"managed_mode_reads_the_policy_order_and_first_layout", ql::kSecondLayout, true, "0021 9999 0003",
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

    const ql::ItemListLoad load = ql::LoadItemList(ql::MaxQuickLinks());
    EXPECT_EQ(Describe(load.entries), c.expected);
    EXPECT_EQ(load.checked, QString(c.expected).count(":2") + QString(c.expected).count(":3"));
    EXPECT_EQ(load.maxOrderId, c.maxOrderId);
    EXPECT_EQ(load.stored, ql::StoredList::Editable);
    EXPECT_FALSE(ql::SaveItemList(load.entries).Failed());
    EXPECT_EQ(ReadText(root, orderKey, QString()), c.written);
}

INSTANTIATE_TEST_SUITE_P(Lists, LoadTest, testing::ValuesIn(kLoadCases), [](const auto& info) { return std::string(info.param.name); });

// An elevated save writes the order data but removes nothing stale, since that store is not
// the user's own; the user's own save does.
TEST(SaveTest, OnlyTheUsersOwnSaveRemovesStaleValues)
{
    for (const bool elevated : {false, true}) {
        SCOPED_TRACE(elevated);
        GuiEnvironment env;
        env.setRights(true, elevated);
        PutClient("0020 0001 9999 0002");
        PutString(HKEY_CURRENT_USER, kOrder, "0500", "Stale");
        PutKey(HKEY_CURRENT_USER, kUserDefined + "\\0007");
        ql::ItemListLoad load = ql::LoadItemList(7);
        ASSERT_EQ(load.entries.size(), 3);
        std::swap(load.entries[0], load.entries[1]);
        EXPECT_FALSE(ql::SaveItemList(load.entries).Failed());
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, QString()), "0001 0020 9999 0002");
        EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kOrder, "0500").has_value(), elevated);
        EXPECT_EQ(Export(kUserDefined + "\\0007") == "<missing>", !elevated);
    }
}

} // namespace

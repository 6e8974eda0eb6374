#include "quicklinks/OrderList.h"
#include "quicklinks/QuickLinkModel.h"
#include "ClientFixture.h"
#include "GuiTest.h"

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;

namespace {

ClientItem Named(const QString& name)
{
    ClientItem item;
    item.MenuString = name;
    item.ExecInterface = QStringLiteral("/bin/true");
    return item;
}

class ModelTest : public testing::Test {
protected:
    // The fixture client with the order list, loaded and ready as after the page's first tick.
    void load(const char* order, DWORD layoutMode = 0, int maxQuickLinks = 7, int maxUserDefined = 2)
    {
        SetLayoutMode(layoutMode);
        PutClient(order);
        make(maxQuickLinks, maxUserDefined);
    }
    void make(int maxQuickLinks = 7, int maxUserDefined = 2)
    {
        model = std::make_unique<QuickLinkModel>(maxQuickLinks, maxUserDefined);
        model->onMaximumReached = [this](int max) { messages << max; };
        model->PopulateItemList();
        model->m_bReady = true;
    }
    bool request(int row, ui::StateImage state)
    {
        return model->setData(model->index(row, 0), int(state), ui::StateImageRole);
    }
    QString rows() const { return Describe(model->Entries()); }

    GuiEnvironment env;
    std::unique_ptr<QuickLinkModel> model;
    QList<int> messages;
};

struct CheckCase {
    const char* name;
    DWORD layoutMode;
    const char* order;
    int row;
    ui::StateImage requested;
    bool allowed;
    const char* after; // states of all rows afterwards
    int messages;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

QString States(const QuickLinkModel& model)
{
    QString states;
    for (int row = 0; row < model.rowCount(); ++row)
        states += QString::number(int(model.State(row)));
    return states;
}

const char* const kSevenChecked = "0001 0002 0003 0004 0006 0007 0008 9999 0009";

const CheckCase kCheckCases[] = {
    {"eighth_check_is_refused_with_the_message", 0, kSevenChecked, 7, ui::kChecked, false, "22222221", 1},
    {"check_below_the_maximum", 0, "0001 9999 0002", 1, ui::kChecked, true, "22", 0},
    {"uncheck", 0, "0001 0002", 1, ui::kUnchecked, true, "21", 0},
    {"last_check_stays_silently", 0, "0001 9999 0002", 0, ui::kUnchecked, false, "21", 0},
    {"fixed_step_means_uncheck", 0, "0001 0002", 0, ui::kFixedChecked, false, "12", 0},
    {"fixed_step_on_the_last_check", 0, "0001 9999 0002", 0, ui::kFixedChecked, false, "21", 0},
    {"second_layout_built_in_stays_fixed", 2, "0001 0020", 0, ui::kUnchecked, false, "32", 0},
    {"second_layout_hidden_built_in_stays_hidden", 2, "0001 9999 0002", 1, ui::kChecked, false, "31", 0},
    {"second_layout_user_item_unchecks", 2, "0001 0020", 1, ui::kUnchecked, true, "31", 0},
    {"second_layout_user_item_checks", 2, "0001 9999 0020", 1, ui::kChecked, true, "32", 0},
};

class CheckRuleTest : public ModelTest, public testing::WithParamInterface<CheckCase> {};

TEST_P(CheckRuleTest, RequestedState)
{
    const CheckCase& c = GetParam();
    load(c.order, c.layoutMode);
    const int checkedBefore = model->m_nChecked;
    EXPECT_EQ(request(c.row, c.requested), c.allowed);
    EXPECT_EQ(States(*model), c.after);
    EXPECT_EQ(messages.size(), c.messages);
    if (c.messages) {
        EXPECT_EQ(messages.first(), 7);
    }
    int checked = 0;
    for (QChar state : States(*model))
        checked += state != u'1';
    EXPECT_EQ(model->m_nChecked, checked) << "counter follows the rows (was " << checkedBefore << ")";
}

INSTANTIATE_TEST_SUITE_P(Rules, CheckRuleTest, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModelTest, ListChangesOfThePageItselfPassEveryRule)
{
    load(kSevenChecked);
    model->m_bReady = false;
    EXPECT_TRUE(request(7, ui::kChecked));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ModelTest, FifteenWhenTheResourceCenterIsHidden)
{
    load(kSevenChecked, 0, 15);
    EXPECT_TRUE(request(7, ui::kChecked));
}

TEST_F(ModelTest, EditAndDeleteButtons)
{
    // Row 0 is the user's and the only checked entry.
    load("0020 9999 0001 0021");
    using B = QuickLinkModel::Buttons;
    EXPECT_EQ(model->LoadButtons(0), B({false, false})) << "right after the load both need two checks";
    EXPECT_EQ(model->ItemChangedButtons(0), B({true, false}));
    EXPECT_EQ(model->ItemChangedButtons(1), B({false, false})) << "built-in";
    EXPECT_EQ(model->ItemChangedButtons(2), B({true, true})) << "unchecked user item";
    EXPECT_EQ(model->LoadButtons(-1), B({false, false}));

    ASSERT_TRUE(request(1, ui::kChecked));
    EXPECT_EQ(model->LoadButtons(0), B({true, true}));
    EXPECT_EQ(model->ItemChangedButtons(0), B({true, true}));

    for (auto [elevated, managed, layout] : {std::tuple{true, false, 0u}, {false, true, 0u}, {false, false, 1u}}) {
        env.setRights(true, elevated);
        settings::SetManagedMode(managed);
        SetLayoutMode(layout);
        EXPECT_EQ(model->ItemChangedButtons(2), B({false, false}));
        EXPECT_EQ(model->LoadButtons(0), B({false, false}));
    }
}

TEST_F(ModelTest, MovesKeepStateAndOrderId)
{
    load("0001 0002 9999 0003");
    EXPECT_FALSE(model->MoveRow(0, -1));
    EXPECT_FALSE(model->MoveRow(2, 3));
    EXPECT_TRUE(model->MoveRow(2, 1));
    EXPECT_TRUE(model->MoveRow(0, 1));
    EXPECT_EQ(rows(), "0003:I3:1 0001:I1:2 0002:I2:2");
}

// Three user items 0001-0003 with ids 0004-0006: deleting the middle one renumbers the last, and
// the next New takes the freed numbers at the end.
TEST_F(ModelTest, DeleteRenumbersAndNewContinues)
{
    PutClient("0001 0004 0005 0006");
    for (int n = 1; n <= 3; ++n) {
        PutItem(kClient, QStringLiteral("UserDefined\\000%1").arg(n), QStringLiteral("U%1").arg(n), 9);
        PutString(HKEY_CURRENT_USER, kOrder, ql::FourDigits(n + 3), QStringLiteral("UserDefined\\000%1").arg(n));
    }
    make(7, 3);
    EXPECT_EQ(model->m_nMaxOrderId, 6);
    ASSERT_TRUE(model->DeleteItem(2));
    EXPECT_EQ(rows(), "0001:I1:2 0004:U1:2 0005:U3:2");
    EXPECT_EQ(model->Item(2).KeyName, "UserDefined\\0002");
    EXPECT_EQ(model->Item(2).KeyPath, kClient + "\\UserDefined\\0002");
    EXPECT_EQ(model->m_nChecked, 3);

    ClientItem edited;
    edited.MenuString = "New";
    edited.ExecInterface = "https://example.org";
    const int row = model->AddItem(edited);
    EXPECT_EQ(model->Item(row).KeyName, "UserDefined\\0003");
    EXPECT_EQ(model->Item(row).OrderId, "0006");
    EXPECT_EQ(model->Item(row).ExecInterfaceType, 4u);
    EXPECT_EQ(model->Item(row).Category, 0u);
    EXPECT_EQ(model->State(row), ui::kChecked);

    // Saved, the new item's key gets Category 9 and its "C" value 0000; loaded again, FFFF.
    model->SaveItemList();
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0003", "Category"), 9u);
    const auto code = [] { return ReadBytes(HKEY_CURRENT_USER, kOrder, "C0006")->left(8); };
    EXPECT_EQ(code(), QByteArray("0\0" "0\0" "0\0" "0\0", 8));
    model->PopulateItemList();
    model->SaveItemList();
    EXPECT_EQ(code(), QByteArray("F\0" "F\0" "F\0" "F\0", 8));
}

TEST_F(ModelTest, DeleteRefusesTheLastCheckedEntry)
{
    load("0020 9999 0021");
    EXPECT_FALSE(model->DeleteItem(0));
    EXPECT_TRUE(model->DeleteItem(1));
    EXPECT_EQ(rows(), "0020:U1:2");
}

TEST_F(ModelTest, NewAtTheMaximumIsUnchecked)
{
    load(kSevenChecked);
    const int row = model->AddItem(Named("Mine"));
    EXPECT_EQ(model->State(row), ui::kUnchecked);
    EXPECT_EQ(model->m_nChecked, 7);
    EXPECT_EQ(model->Item(row).OrderId, "0010");
    EXPECT_EQ(model->Item(row).KeyName, "UserDefined\\0003");
}

TEST_F(ModelTest, SecondLayoutNewItemsLiveUnderClient2)
{
    load("0001", 2);
    const int row = model->AddItem(Named("Mine"));
    EXPECT_EQ(model->Item(row).KeyPath, kClient2 + "\\UserDefined\\0003");
}

TEST_F(ModelTest, NewStopsWhenTheOrderListIsFull)
{
    load("");
    for (int n = 0; n < ql::kMaxOrderedItems; ++n) {
        ASSERT_TRUE(model->CanAddItem());
        model->AddItem(Named("x"));
    }
    EXPECT_FALSE(model->CanAddItem());
    model->SaveItemList();
    model->PopulateItemList();
    EXPECT_EQ(model->rowCount(), ql::kMaxOrderedItems) << "a full list reads back whole";
    ASSERT_TRUE(model->DeleteItem(model->rowCount() - 1));
    EXPECT_TRUE(model->CanAddItem());

    PutString(HKEY_CURRENT_USER, kOrder, "9998", "I1");
    load("9998");
    EXPECT_FALSE(model->CanAddItem()) << "the next id would be the marker";
}

TEST_F(ModelTest, UnreadableListIsNeverSaved)
{
    load("0001 0020");
    PutValue(HKEY_CURRENT_USER, kOrder, QString(), REG_SZ, QByteArray(700, 'x'));
    model->PopulateItemList();
    EXPECT_TRUE(model->OrderListUnreadable());
    model->SaveItemList();
    EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kOrder, QString())->size(), 700);
    EXPECT_TRUE(ReadBytes(HKEY_CURRENT_USER, kOrder, "0020").has_value());
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kClient + "\\UserDefined\\0001", "Category").has_value());
}

} // namespace

#include "ClientFixture.h"
#include "clientitems/OrderList.h"
#include "quicklinks/QuickLinkModel.h"

#include <QAbstractItemModelTester>

#include <optional>

using namespace reg;
using namespace fixture;

namespace {

const char* const kSevenChecked = "0001 0002 0003 0004 0006 0007 0008 9999 0009";

class ModelTest : public testing::Test {
protected:
    // The fixture client with the order list, loaded as after the page's first tick.
    void load(const char* order, DWORD layoutMode = ql::kFirstLayout)
    {
        SetLayoutMode(layoutMode);
        PutClient(order, layoutMode ? kOrder2 : kOrder);
        make(2);
    }
    void make(int maxUserDefined)
    {
        model = std::make_unique<QuickLinkModel>(7, maxUserDefined);
        tester = std::make_unique<QAbstractItemModelTester>(model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        QObject::connect(model.get(), &QuickLinkModel::maximumReached, [this](int max) { messages << max; });
        model->PopulateItemList();
    }
    QString states() const
    {
        QString states;
        for (int row = 0; row < model->rowCount(); ++row)
            states += QString::number(int(model->State(row)));
        return states;
    }
    ClientItem added() { return model->Item(model->AddItem({"Mine", "/bin/true", "", "", "", 0, 0})); }

    std::optional<GuiEnvironment> env{std::in_place};
    std::unique_ptr<QuickLinkModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QList<int> messages;
};

// after: the states of all rows afterwards; ready: false while the page changes the list itself.
TEST_F(ModelTest, CheckRules)
{
    const struct { const char* name; DWORD layoutMode; const char* order; int row; ui::StateImage requested; bool allowed;
                   const char* after; bool message, ready; } cases[] = {
        {"eighth_check_is_refused_with_the_message", ql::kFirstLayout, kSevenChecked, 7, ui::kChecked, false, "22222221", true, true},
        {"last_check_stays_silently", ql::kFirstLayout, "0001 9999 0002", 0, ui::kUnchecked, false, "21", false, true},
        {"fixed_check_is_never_asked_for", ql::kFirstLayout, "0001 0002", 0, ui::kFixedChecked, false, "22", false, true},
        {"paused_rules_pass_every_change", ql::kFirstLayout, kSevenChecked, 7, ui::kChecked, true, "22222222", false, false},
        {"third_layout_built_in_stays_fixed", 3, "0001 0020", 0, ui::kUnchecked, false, "32", false, true},
        {"second_layout_user_item_checks", ql::kSecondLayout, "0001 9999 0020", 1, ui::kChecked, true, "32", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.reset();
        messages.clear();
        env.emplace();
        load(c.order, c.layoutMode);
        std::optional<QuickLinkModel::RulesPause> pause;
        if (!c.ready)
            pause.emplace(*model);
        EXPECT_EQ(model->setData(model->index(c.row, 0), int(c.requested), ui::StateImageRole), c.allowed);
        EXPECT_EQ(states(), c.after);
        EXPECT_EQ(messages, c.message ? QList<int>{7} : QList<int>{});
        if (c.ready) {
            EXPECT_EQ(model->CheckedCount(), states().size() - states().count(u'1')) << "counter follows the rows";
        }
    }
}

// User items 0001-0003 under ids 0004-0006, U1 and U2 checked: deleting U2 renumbers U3 and
// leaves U1 the last checked entry; New takes the freed numbers.
TEST_F(ModelTest, DeleteAndNew)
{
    PutClient("0004 0005 9999 0001 0006");
    for (int n = 1; n <= 3; ++n) {
        PutItem(kClient, QStringLiteral("UserDefined\\000%1").arg(n), QStringLiteral("U%1").arg(n), 9);
        PutString(HKEY_CURRENT_USER, kOrder, ql::FourDigits(n + 3), QStringLiteral("UserDefined\\000%1").arg(n));
    }
    make(3);
    ASSERT_TRUE(model->DeleteItem(1));
    EXPECT_EQ(Describe(model->Entries()), "0004:U1:2 0001:I1:1 0005:U3:1");
    EXPECT_EQ(model->Item(2).KeyPath, kUserDefined + "\\0002");
    ASSERT_FALSE(model->DeleteItem(0)) << "the last checked entry";
    const ClientItem item = added();
    EXPECT_EQ(item.KeyName + item.OrderId, "UserDefined\\00030006");
    EXPECT_EQ(item.ExecInterfaceType, 4u);
    EXPECT_EQ(model->State(3), ui::kChecked);
}

// In the second layout the built-in items are fixed-checked and count as checked. New stops
// where another entry would not fit the order list.
TEST_F(ModelTest, NewUntilTheOrderListIsFull)
{
    load(kSevenChecked, ql::kSecondLayout);
    const ClientItem first = added();
    EXPECT_EQ(model->State(8), ui::kUnchecked);
    EXPECT_EQ(first.KeyPath + first.OrderId, kClient2 + "\\UserDefined\\00030010");
    for (int n = 0; n < 100 && model->CanAddItem(); ++n)
        added();
    ASSERT_FALSE(ql::SaveItemList(model->Entries()).Failed());
    model->PopulateItemList();
    ASSERT_EQ(model->rowCount(), ql::kMaxOrderedItems) << "a full list reads back whole";
    ASSERT_TRUE(model->DeleteItem(ql::kMaxOrderedItems - 1));
    EXPECT_TRUE(model->CanAddItem());
}

} // namespace

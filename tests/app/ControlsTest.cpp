#include "GuiTest.h"
#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "pagekit/IconButton.h"
#include "pagekit/Modal.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStandardItemModel>

#include <gtest/gtest.h>

namespace {

// A model whose check changes are refused while `refuse` is set, like a page at its maximum.
class CheckModel : public QStandardItemModel {
public:
    bool refuse = false;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role == ui::StateImageRole && refuse)
            return false;
        return QStandardItemModel::setData(index, value, role);
    }
};

class CheckListTest : public testing::Test {
protected:
    void fill(std::initializer_list<int> states)
    {
        for (int state : states) {
            auto* check = new QStandardItem;
            check->setData(state, ui::StateImageRole);
            model.appendRow({check, new QStandardItem(QStringLiteral("row %1").arg(model.rowCount()))});
        }
        list.setModel(&model);
        list.EnableCheckBoxes();
    }
    int state(int row) const { return model.index(row, 0).data(ui::StateImageRole).toInt(); }
    void press(Qt::Key key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&list, &event);
    }

    CheckModel model;
    CCheckListCtrl list;
};

TEST_F(CheckListTest, FocusSelectsTheFirstRowOnlyWhenNoneIsSelected)
{
    fill({1, 2, 1});
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&list, &focus);
    EXPECT_EQ(list.GetSelectionMark(), 0);
    list.SetSelectionMark(2);
    QApplication::sendEvent(&list, &focus);
    EXPECT_EQ(list.GetSelectionMark(), 2);

    CCheckListCtrl empty;
    QStandardItemModel none;
    empty.setModel(&none);
    QApplication::sendEvent(&empty, &focus);
    EXPECT_EQ(empty.GetSelectionMark(), -1);
}

TEST_F(CheckListTest, SpaceTogglesThroughTheModel)
{
    fill({1, 2, 3});
    struct Step { int row; bool refuse; int expected; };
    for (const Step& step : {Step{0, false, 2}, Step{0, false, 1}, Step{1, false, 1}, Step{1, true, 1},
                             Step{2, false, 3}}) {
        model.refuse = step.refuse;
        list.SetSelectionMark(step.row);
        press(Qt::Key_Space);
        EXPECT_EQ(state(step.row), step.expected) << "row " << step.row;
    }
}

TEST(IconButtonTest, IconFollowsEnableButton)
{
    CIconButton button;
    button.EnableButton(false);
    EXPECT_EQ(button.ShownIconId(), 0u) << "no icons before SetIcons";
    EXPECT_FALSE(button.isEnabled());
    button.SetIcons(IDI_ARROW_UP, IDI_ARROW_UP_DISABLED);
    EXPECT_EQ(button.ShownIconId(), unsigned(IDI_ARROW_UP_DISABLED));
    EXPECT_FALSE(button.icon().isNull());
    button.EnableButton(true);
    EXPECT_EQ(button.ShownIconId(), unsigned(IDI_ARROW_UP));
    button.setEnabled(false);
    EXPECT_EQ(button.ShownIconId(), unsigned(IDI_ARROW_UP)) << "only EnableButton swaps the icon";
    for (unsigned id : {135u, 136u, 137u, 138u})
        EXPECT_EQ(LoadProgramIcon(id).pixmap(16, 16).size(), QSize(16, 16)) << id;
}

TEST(MessageBoxTest, FixedMessagesShowExclamationAndOk)
{
    GuiEnvironment env;
    QStringList texts;
    env.setModalHandler([&](QDialog& dialog) {
        auto& box = static_cast<QMessageBox&>(dialog);
        texts << box.text();
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_TRUE(box.windowTitle().isEmpty());
        return int(QMessageBox::Ok);
    });
    EXPECT_EQ(ui::ShowInvalidFeedMessage(nullptr), QMessageBox::Ok);
    ui::ShowDuplicateNameMessage(nullptr);
    EXPECT_EQ(texts, QStringList({"This link does not contain the valid RSS Feed.",
                                  "This name has already been registered."}));
}

TEST(ControlsTest, MnemonicsAndIds)
{
    for (const auto& [caption, name] : {std::pair{"&Hide Quick Links", "Hide Quick Links"},
                                        std::pair{"C&ontinue...", "Continue..."},
                                        std::pair{"R&&D", "R&D"}, std::pair{"end&", "end&"}})
        EXPECT_EQ(ui::StripMnemonic(caption), name);
    QWidget parent;
    auto* child = new QWidget(&parent);
    ui::BindControl(child, 1022, "&Box");
    EXPECT_EQ(ui::FindControl(&parent, 1022), child);
    EXPECT_EQ(child->accessibleName(), "Box");
    EXPECT_EQ(ui::FindControl(&parent, 7), nullptr);
}

} // namespace

#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "pagekit/IconButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStandardItemModel>

#include <gtest/gtest.h>

namespace {

// A model whose check changes are refused while `refuse` is set, like a page at its maximum.
class CheckModel : public QStandardItemModel {
public:
    bool refuse = false;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        return !(role == ui::StateImageRole && refuse) && QStandardItemModel::setData(index, value, role);
    }
};

// Focus selects the first row only when none is selected. Space, a click and a double click on
// the box ask the model; a click beside the box only selects; a fixed check never changes.
TEST(CheckListTest, FocusKeysAndClicks)
{
    CheckModel model;
    for (int state : {1, 2, 3}) {
        auto* check = new QStandardItem;
        check->setData(state, ui::StateImageRole);
        model.appendRow({check, new QStandardItem(QStringLiteral("row"))});
    }
    CCheckListCtrl list;
    list.setModel(&model);
    list.EnableCheckBoxes();
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    for (int selected : {-1, 2}) {
        list.SetSelectionMark(selected);
        QApplication::sendEvent(&list, &focus);
        EXPECT_EQ(list.GetSelectionMark(), selected == -1 ? 0 : selected);
    }
    list.resize(300, 200);
    list.show();
    const auto send = [&list](QEvent::Type type, QPoint pos) {
        QMouseEvent event(type, pos, list.viewport()->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &event);
    };
    struct Step { const char* input; int row; bool refuse; int expected; };
    for (const Step& step : {Step{"space", 0, false, 2}, {"space", 0, false, 1}, {"space", 1, true, 2},
                             {"space", 2, false, 3}, {"click", 1, false, 1}, {"click", 1, true, 1},
                             {"text", 0, false, 1}, {"double", 0, false, 1}, {"click", 2, false, 3}}) {
        model.refuse = step.refuse;
        const QByteArray input = step.input;
        if (input == "space") {
            list.SetSelectionMark(step.row);
            QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
            QApplication::sendEvent(&list, &space);
        } else {
            // On the box: a little right of its centre, half a row from the cell's left edge.
            const QRect cell = list.visualRect(model.index(step.row, input == "text" ? 1 : 0));
            const QPoint pos =
                input == "text" ? cell.center() : QPoint(cell.left() + cell.height() / 2 + 2, cell.center().y());
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                send(type, pos);
            if (input == "double")
                send(QEvent::MouseButtonDblClick, pos);
            EXPECT_EQ(list.GetSelectionMark(), step.row);
        }
        EXPECT_EQ(model.index(step.row, 0).data(ui::StateImageRole).toInt(), step.expected)
            << step.input << " " << step.row;
    }
}

// The arrows show their disabled icon while EnableButton turned them off, whatever setEnabled says;
// a caption's mnemonic marks are not part of its accessible name.
TEST(ControlsTest, IconFollowsEnableButtonOnlyAndMnemonics)
{
    CIconButton button;
    button.SetIcons(IDI_ARROW_UP, IDI_ARROW_UP_DISABLED);
    button.EnableButton(false);
    EXPECT_EQ(button.ShownIconId(), unsigned(IDI_ARROW_UP_DISABLED));
    button.EnableButton(true);
    button.setEnabled(false);
    EXPECT_EQ(button.ShownIconId(), unsigned(IDI_ARROW_UP));
    for (const auto& [caption, name] : {std::pair{"&Hide Quick Links", "Hide Quick Links"},
                                        {"C&ontinue...", "Continue..."}, {"R&&D", "R&D"}, {"end&", "end&"}})
        EXPECT_EQ(ui::StripMnemonic(caption), name);
}

} // namespace

#include "pagekit/CheckListCtrl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

QRect CheckBoxRect(const QStyleOptionViewItem& option, const QWidget* widget)
{
    QStyleOptionButton box;
    box.rect = option.rect;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    QRect rect = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &box, widget);
    rect.moveCenter(QPoint(option.rect.left() + option.rect.height() / 2 + 2, option.rect.center().y()));
    return rect;
}

// Column 0 shows only the check box of the row's state image; a fixed check is drawn greyed.
class StateImageDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const auto* list = static_cast<const CCheckListCtrl*>(parent());
        const int image = index.data(ui::StateImageRole).toInt();
        if (index.column() != 0 || !list->CheckBoxesEnabled() || image == ui::kNoStateImage) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

        QStyleOptionViewItem box = option;
        box.rect = CheckBoxRect(option, widget);
        box.state = (option.state & QStyle::State_Enabled) | QStyle::State_On;
        if (image == ui::kUnchecked)
            box.state = (box.state & ~QStyle::State_On) | QStyle::State_Off;
        painter->save();
        if (image == ui::kFixedChecked) {
            // Greyed: not every style draws a disabled indicator visibly differently.
            box.state &= ~QStyle::State_Enabled;
            box.palette.setCurrentColorGroup(QPalette::Disabled);
            painter->setOpacity(0.45);
        }
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
        painter->restore();
    }
};

} // namespace

CCheckListCtrl::CCheckListCtrl(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    setItemDelegate(new StateImageDelegate(this));
    setFocusPolicy(Qt::StrongFocus);
}

void CCheckListCtrl::EnableCheckBoxes()
{
    m_checkBoxes = true;
    viewport()->update();
}

bool CCheckListCtrl::ToggleCheck(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount())
        return false;
    const QModelIndex index = model()->index(row, 0);
    const int image = index.data(ui::StateImageRole).toInt();
    if (image != ui::kUnchecked && image != ui::kChecked)
        return false;
    return model()->setData(index, image == ui::kChecked ? ui::kUnchecked : ui::kChecked,
                            ui::StateImageRole);
}

int CCheckListCtrl::GetSelectionMark() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CCheckListCtrl::SetSelectionMark(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void CCheckListCtrl::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    // Entering a list with rows and no selection selects its first row, as a Down key would.
    if (GetSelectionMark() == -1 && model() && model()->rowCount() > 0)
        SetSelectionMark(0);
}

void CCheckListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && m_checkBoxes) {
        ToggleCheck(GetSelectionMark());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

bool CCheckListCtrl::IsOnCheckBox(const QPoint& pos, QModelIndex* index) const
{
    *index = indexAt(pos);
    if (!m_checkBoxes || !index->isValid())
        return false;
    QStyleOptionViewItem option;
    option.rect = visualRect(index->sibling(index->row(), 0));
    return CheckBoxRect(option, this).contains(pos);
}

void CCheckListCtrl::mousePressEvent(QMouseEvent* event)
{
    QModelIndex index;
    const bool onBox = event->button() == Qt::LeftButton && IsOnCheckBox(event->position().toPoint(), &index);
    QTreeView::mousePressEvent(event);
    if (onBox)
        ToggleCheck(index.row());
}

void CCheckListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click on a check box is two toggles, as two clicks would be; elsewhere it does
    // nothing beyond selecting.
    QModelIndex index;
    if (event->button() == Qt::LeftButton && IsOnCheckBox(event->position().toPoint(), &index)) {
        ToggleCheck(index.row());
        return;
    }
    QTreeView::mousePressEvent(event);
}

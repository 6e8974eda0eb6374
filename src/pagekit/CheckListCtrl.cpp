#include "pagekit/CheckListCtrl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
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
            // Greyed, on the list's own ground so that a selected row's highlight does not swallow
            // it: not every style draws a disabled indicator visibly differently.
            painter->fillRect(box.rect, option.palette.color(QPalette::Active, QPalette::Base));
            box.state &= ~QStyle::State_Enabled;
            box.palette.setCurrentColorGroup(QPalette::Disabled);
            painter->setOpacity(0.45);
        }
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
        painter->restore();
    }
};

// A row as a screen reader sees it: a check box while the list shows check boxes (the desktop's
// accessibility bridge passes on "checked" but not "checkable", so only the role makes a reader
// say "not checked"), else a list item. Named by its texts, checked as its state image is drawn,
// read-only when the check is fixed. Its toggle action asks the model, as Space does. Qt's own
// item view interface would tell a check only from Qt::CheckStateRole, and its cells' toggle
// action changes the selection.
class CheckRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    CheckRowAccessible(CCheckListCtrl* list, int row) : m_list(list), m_row(row) {}

    bool isValid() const override { return m_list && m_list->model() && m_row < m_list->model()->rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_list); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override
    {
        return m_list && m_list->CheckBoxesEnabled() ? QAccessible::CheckBox : QAccessible::ListItem;
    }
    int row() const { return m_row; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const QAbstractItemModel* model = m_list->model();
        if (t == QAccessible::Description)
            return model->index(m_row, 0).data(Qt::AccessibleDescriptionRole).toString();
        if (t != QAccessible::Name)
            return {};
        QStringList texts;
        for (int column = 0; column < model->columnCount(); ++column) {
            const QString text = model->index(m_row, column).data().toString();
            if (!text.isEmpty())
                texts << text;
        }
        return texts.join(QLatin1Char(' '));
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QAbstractItemModel* model = m_list->model();
        const QRect row = m_list->visualRect(model->index(m_row, 0))
                              .united(m_list->visualRect(model->index(m_row, model->columnCount() - 1)));
        return QRect(m_list->viewport()->mapToGlobal(row.topLeft()), row.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        const QModelIndex index = m_list->model()->index(m_row, 0);
        state.disabled = !m_list->isEnabled();
        state.selectable = state.focusable = true;
        state.selected = m_list->GetSelectionMark() == m_row;
        state.focused = state.selected && m_list->hasFocus();
        const int image = index.data(ui::StateImageRole).toInt();
        if (m_list->CheckBoxesEnabled() && image != ui::kNoStateImage) {
            state.checkable = true;
            state.checked = image != ui::kUnchecked;
            state.readOnly = image == ui::kFixedChecked;
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        const QAccessible::State now = state();
        if (!isValid() || now.disabled)
            return {};
        if (now.checkable && !now.readOnly)
            return {toggleAction(), setFocusAction()};
        return {setFocusAction()};
    }

    void doAction(const QString& name) override
    {
        if (!actionNames().contains(name))
            return;
        if (name == toggleAction()) {
            m_list->ToggleCheck(m_row);
        } else {
            m_list->SetSelectionMark(m_row);
            m_list->setFocus();
        }
    }

    QStringList keyBindingsForAction(const QString& name) const override
    {
        return name == toggleAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }

private:
    QPointer<CCheckListCtrl> m_list;
    int m_row;
};

// The list with one child per row, in row order.
class CheckListAccessible : public QAccessibleWidget {
public:
    explicit CheckListAccessible(CCheckListCtrl* list) : QAccessibleWidget(list, QAccessible::List) {}
    ~CheckListAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_rows))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return list()->model() ? list()->model()->rowCount() : 0; }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // Rows are told by their place: a row's interface stays while the list has that many rows.
        while (m_rows.size() <= index)
            m_rows.append(QAccessible::registerAccessibleInterface(new CheckRowAccessible(list(), int(m_rows.size()))));
        return QAccessible::accessibleInterface(m_rows.at(index));
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* row = dynamic_cast<const CheckRowAccessible*>(child);
        return row && row->parent() == this ? row->row() : -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QModelIndex index = list()->indexAt(list()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }

    QAccessibleInterface* focusChild() const override
    {
        return list()->hasFocus() ? child(list()->GetSelectionMark()) : nullptr;
    }

private:
    CCheckListCtrl* list() const { return static_cast<CCheckListCtrl*>(widget()); }

    mutable QList<QAccessible::Id> m_rows;
};

QAccessibleInterface* CheckListFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(CCheckListCtrl::staticMetaObject.className()) && object->isWidgetType())
        return new CheckListAccessible(static_cast<CCheckListCtrl*>(object));
    return nullptr;
}

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
    static const bool factoryInstalled = (QAccessible::installFactory(CheckListFactory), true);
    Q_UNUSED(factoryInstalled);
}

void CCheckListCtrl::EnableCheckBoxes()
{
    m_checkBoxes = true;
    viewport()->update();
}

void CCheckListCtrl::SetUpItemColumns(const QString& itemTitle)
{
    header()->setMinimumSectionSize(0);
    header()->setStretchLastSection(true);
    const double scale = logicalDpiX() / 96.0;
    setColumnWidth(0, fontMetrics().horizontalAdvance(QString()) + int(20 * scale));
    setColumnWidth(1, fontMetrics().horizontalAdvance(itemTitle) + 12);
    EnableCheckBoxes();
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

// Qt's item view numbers the children of its events by cell; the list's children are its rows.
void CCheckListCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
}

void CCheckListCtrl::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    QTreeView::dataChanged(topLeft, bottomRight, roles);
    if (!QAccessible::isActive() || !topLeft.isValid() || (!roles.isEmpty() && !roles.contains(ui::StateImageRole)))
        return;
    QAccessible::State changed;
    changed.checked = true;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        QAccessibleStateChangeEvent event(this, changed);
        event.setChild(row);
        QAccessible::updateAccessibility(&event);
    }
}

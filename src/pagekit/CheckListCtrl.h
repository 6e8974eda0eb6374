#pragma once
// The check-box list of the list pages: report rows, single selection always shown, and a check
// box per row drawn from the row's state image. The model owns rows, states and records: a
// change of check is asked of the model with setData(StateImageRole), which may refuse it. A screen
// reader finds one list item per row, with the row's check state and a toggle action.

#include "pagekit/StateImage.h"

#include <QTreeView>

class CCheckListCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit CCheckListCtrl(QWidget* parent = nullptr);

    // Shows the state images as check boxes in column 0.
    void EnableCheckBoxes();
    // The list pages' two columns: the check box, then the item, at least as wide as its title;
    // then the check boxes.
    void SetUpItemColumns(const QString& itemTitle);
    bool CheckBoxesEnabled() const { return m_checkBoxes; }

    // Asks the model to turn the row's check over (unchecked <-> checked); a fixed check never
    // changes. False when there is nothing to change or the model refused.
    bool ToggleCheck(int row);
    // The selected row, or -1.
    int GetSelectionMark() const;
    void SetSelectionMark(int row);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) override;

private:
    bool IsOnCheckBox(const QPoint& pos, QModelIndex* index) const;

    bool m_checkBoxes = false;
};

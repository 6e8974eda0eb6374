#pragma once
// The part every settings page shares: its data key, the Hide box (three pages), the
// administrator-only box with its lock and elevation request, and the order of OnOK.

#include "pagekit/PropertyPage.h"
#include "settings/Settings.h"

#include <QBasicTimer>
#include <QList>

class CCheckListCtrl;
class QAbstractItemModel;
class QCheckBox;
class QLabel;
class QVBoxLayout;

class CAreaPage : public CPropertyPage {
    Q_OBJECT
public:
    QCheckBox* HideBox() const { return m_btnHide; }
    QCheckBox* AdminOnlyBox() const { return m_btnAdminOnly; }
    const QString& DataKey() const { return m_strDataKey; }
    bool IsLocked() const { return m_bLocked; }
    // False from a deferred first load's start until the load ran.
    bool IsLoaded() const { return m_nTimerId == 0; }

    bool OnInitDialog() override;
    [[nodiscard]] app::SaveResult OnOK() override;
    void OnCancel() override;

    // Handlers of the shared boxes.
    virtual void OnBnClickedHide();
    void OnBnClickedAdminOnly();

protected:
    // hidePolicyValue names the page's Hide box policy value; empty for a page without a Hide box.
    CAreaPage(unsigned templateId, settings::Area area, const QString& hidePolicyValue);

    // Adds the page's own controls above the shared boxes.
    virtual void BuildContent(QVBoxLayout* layout) = 0;
    // The key the page reads and writes; the list pages choose by layout.
    virtual QString ChooseDataKey() const;
    // Page-specific reasons to lock the content, and to disable the administrator-only box too.
    virtual bool PageLocks() const { return false; }
    virtual bool PageLocksAdminBox() const { return false; }
    // The controls a lock disables, the Hide box apart.
    virtual QList<QWidget*> ContentControls() const { return {}; }
    // The area's policy values; the base applies the Hide box's.
    virtual void ApplyPolicy();
    virtual void LoadContent() {}
    // Writes the content into the save; called only when managed mode is off and the process is
    // not elevated.
    virtual void SaveContent(app::PageSave&) {}
    virtual void FreeRecords() {}

    // The list pages fill their list once the page is shown: a zero-delay timer with the page's
    // own id, after which PopulateItemList runs.
    void DeferFirstLoad(unsigned timerId);
    virtual void PopulateItemList() {}
    void timerEvent(QTimerEvent* event) override;

    // Writes the Hide box's and, for administrators, the administrator-only box's state.
    void SaveSharedBoxes(const QString& dataKey, app::PageSave& save);
    // Disables a control as a lock does; an icon button shows its disabled icon.
    static void DisableControl(QWidget* control);
    // A static text of the template, wrapped.
    QLabel* AddText(QVBoxLayout* layout, int controlId);
    // The caption of a list (added to the layout) and the check list it names, showing the model:
    // the caption is the list's accessible name and its mnemonic moves to the list. The caller
    // places the list.
    CCheckListCtrl* MakeCheckList(QVBoxLayout* layout, int labelId, int listId, QAbstractItemModel* model, QLabel** label);

    settings::Area m_area;
    QString m_strHidePolicy;
    QString m_strDataKey;
    bool m_bLocked = false;
    QCheckBox* m_btnHide = nullptr;
    QCheckBox* m_btnAdminOnly = nullptr;

private:
    void BuildControls() final;
    void ApplyLock();

    unsigned m_nTimerId = 0;
    QBasicTimer m_loadTimer;
};

#pragma once
// The Quick Links page: which of the client's items appear as Quick Links, in which order, and
// the user's own links. The rules live in QuickLinkModel; the page binds the controls to it.

#include "pagekit/AreaPage.h"
#include "quicklinks/QuickLinkModel.h"


class CCheckListCtrl;
class CIconButton;
class QLabel;
class QPushButton;

class CQuickLinks : public CAreaPage {
    Q_OBJECT
public:
    CQuickLinks();
    ~CQuickLinks() override;

    bool OnInitDialog() override;
    [[nodiscard]] app::SaveResult OnOK() override;
    void OnCancel() override;
    bool OnSetActive() override;

    void OnBnClickedArrowUp();
    void OnBnClickedArrowDown();
    void OnBnClickedNew();
    void OnBnClickedEdit();
    void OnBnClickedDelete();
    void OnLvnItemchangedOutputlist();

    QuickLinkModel& Model() { return m_model; }
    CCheckListCtrl* List() const { return m_list; }

protected:
    void BuildContent(QVBoxLayout* layout) override;
    QString ChooseDataKey() const override;
    bool PageLocks() const override;
    QList<QWidget*> ContentControls() const override;
    void ApplyPolicy() override;
    void LoadContent() override;

private:
    void PopulateItemList() override;
    void FreeItemList();
    void MoveSelection(int offset);
    void SetEditDelete(QuickLinkModel::Buttons buttons);
    void UpdateNewButton();
    bool ListEditable() const;
    // The one line under the list that says why the list or New cannot be used; empty when they can.
    QString StatusText() const;
    void ShowMaximumMessage(int maxQuickLinks);

    QuickLinkModel m_model;
    CIconButton* m_btnArrowUp = nullptr;
    CIconButton* m_btnArrowDown = nullptr;
    CCheckListCtrl* m_list = nullptr;
    int m_nColumns = 0;
    QPushButton* m_btnEdit = nullptr;
    QPushButton* m_btnDelete = nullptr;
    QPushButton* m_btnNew = nullptr;
    QLabel* m_intro = nullptr;
    QLabel* m_listLabel = nullptr;
    QLabel* m_status = nullptr;
};

#pragma once
// The Resource Center page: which task categories the client's Resource Center shows. The rules
// live in CategoryModel; the page binds the controls to it and decides the mode once per visit.

#include "pagekit/AreaPage.h"
#include "resourcecenter/CategoryModel.h"


class CCheckListCtrl;
class QLabel;

class CToolKit : public CAreaPage {
    Q_OBJECT
public:
    CToolKit();

    bool OnInitDialog() override;
    [[nodiscard]] app::SaveResult OnOK() override;
    // The Hide box of this page just toggles.
    void OnBnClickedHide() override {}

    CategoryModel& Model() { return m_model; }
    CCheckListCtrl* List() const { return m_list; }
    rc::Mode ListMode() const { return rc::ModeOf(m_nXmlControl, m_bNlsMode); }

protected:
    void BuildContent(QVBoxLayout* layout) override;
    QString ChooseDataKey() const override;
    bool PageLocks() const override;
    bool PageLocksAdminBox() const override;
    QList<QWidget*> ContentControls() const override;
    void ApplyPolicy() override;
    void LoadContent() override;
    void SaveContent(app::PageSave& save) override;
    void FreeRecords() override;

private:
    void PopulateItemList() override;
    // Why the list is only shown, empty when it can be changed and saved.
    QString StatusText() const;

    CategoryModel m_model;
    CCheckListCtrl* m_list = nullptr;
    QLabel* m_listLabel = nullptr;
    QLabel* m_status = nullptr;
    int m_nColumns = 0;
    bool m_bNlsMode = false;
    // XmlControl "ResourceCenter" as the page found it: the mode and what OK writes follow it.
    reg::DWORD m_nXmlControl = rc::kOrderLayout;
};

#pragma once
// The Appearance page: the client's colour schemes, the one in use marked. Unlike the other pages
// it writes at once: New, Edit, Delete and Apply change the store, and Apply tells a running
// client. The sheet's OK adds only the administrator-only flag. The rules live in SchemeListModel.

#include "appearance/SchemeListModel.h"
#include "pagekit/AreaPage.h"

class QLabel;
class QListView;
class QPushButton;
class SchemePreview;

class CAppearance : public CAreaPage {
    Q_OBJECT
public:
    CAppearance();

    void OnCancel() override;

    void OnLbnSelchangeSchemeList();
    void OnLbnDblclkSchemeList();
    void OnBnClickedApply();
    void OnBnClickedNew();
    void OnBnClickedEdit();
    void OnBnClickedDelete();

    SchemeListModel& Model() { return m_model; }
    QListView* List() const { return m_list; }
    // The selected row, -1 when none.
    int Selection() const;
    void Select(int row);

protected:
    void BuildContent(QVBoxLayout* layout) override;
    QList<QWidget*> ContentControls() const override;
    void LoadContent() override;
    void FreeRecords() override;

private:
    void LoadSchemeList();
    void UpdateButtons();
    void ApplySelectedScheme();
    // Whether New, Edit, Delete and Apply may write at all.
    bool MayWrite() const;
    // Whether the administrator-only box lets this user change the user's own schemes.
    bool MayChange() const;
    void ShowStatus();
    void ReportFailure(reg::LSTATUS status);

    SchemeListModel m_model;
    QString m_szInstallPath;
    QListView* m_list = nullptr;
    SchemePreview* m_preview = nullptr;
    QPushButton* m_btnNew = nullptr;
    QPushButton* m_btnEdit = nullptr;
    QPushButton* m_btnDelete = nullptr;
    QPushButton* m_btnApply = nullptr;
    QLabel* m_status = nullptr;
};

#pragma once
// The Resource Center page: which task categories the client's Resource Center shows.

#include "pagekit/AreaPage.h"

class CToolKit : public CAreaPage {
    Q_OBJECT
public:
    CToolKit();

    // The Hide box of this page just toggles.
    void OnBnClickedHide() override {}

protected:
    void BuildContent(QVBoxLayout* layout) override;
    bool PageLocksAdminBox() const override;
};

#pragma once
// The Quick Links page: which of the client's items appear as Quick Links, in which order.

#include "app/AreaPage.h"

class QLabel;

class CQuickLinks : public CAreaPage {
    Q_OBJECT
public:
    CQuickLinks();

    bool OnInitDialog() override;

protected:
    void BuildContent(QVBoxLayout* layout) override;

private:
    int m_nMaxQuickLinks = 7;
    QLabel* m_intro = nullptr;
};

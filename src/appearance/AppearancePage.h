#pragma once
// The Appearance page: the colour schemes of the client.

#include "pagekit/AreaPage.h"

class CAppearance : public CAreaPage {
    Q_OBJECT
public:
    CAppearance();

protected:
    void BuildContent(QVBoxLayout* layout) override;
};

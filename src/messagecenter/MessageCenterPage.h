#pragma once
// The Message Center page: Message Center messages or RSS headlines, and the list of feeds.

#include "pagekit/AreaPage.h"

class CMessageCenter : public CAreaPage {
    Q_OBJECT
public:
    CMessageCenter();

protected:
    void BuildContent(QVBoxLayout* layout) override;
};

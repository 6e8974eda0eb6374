#pragma once
// The Button light page: the light's default state and the function it indicates.

#include "pagekit/AreaPage.h"

class CBlink : public CAreaPage {
    Q_OBJECT
public:
    CBlink();

protected:
    void BuildContent(QVBoxLayout* layout) override;
    bool PageLocksAdminBox() const override;
};

#include "messagecenter/MessageCenterPage.h"

#include "settings/StringTable.h"

CMessageCenter::CMessageCenter()
    : CAreaPage(res::IDD_MESSAGECENTER, settings::Area::MessageCenter, QStringLiteral("HideMCenter"))
{
}

void CMessageCenter::BuildContent(QVBoxLayout* layout)
{
    AddText(layout, res::IDC_INTRO);
    AddText(layout, res::IDC_INTRO2);
}

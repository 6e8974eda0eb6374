#include "pagekit/IconButton.h"

QIcon LoadProgramIcon(unsigned iconId)
{
    return QIcon(QStringLiteral(":/icons/%1.png").arg(iconId));
}

CIconButton::CIconButton(QWidget* parent) : QPushButton(parent)
{
    setIconSize(QSize(16, 16));
}

void CIconButton::ShowIcon(unsigned iconId)
{
    setIcon(LoadProgramIcon(iconId));
    m_shownIcon = iconId;
}

void CIconButton::SetIcons(unsigned enabledIconId, unsigned disabledIconId)
{
    m_nEnabledIcon = enabledIconId;
    m_nDisabledIcon = disabledIconId;
    if (m_nEnabledIcon && m_nDisabledIcon)
        ShowIcon(isEnabled() ? m_nEnabledIcon : m_nDisabledIcon);
}

bool CIconButton::EnableButton(bool enable)
{
    if (m_nEnabledIcon && m_nDisabledIcon)
        ShowIcon(enable ? m_nEnabledIcon : m_nDisabledIcon);
    // The result of the window's enable operation: whether it was disabled before.
    const bool wasDisabled = !isEnabled();
    setEnabled(enable);
    return wasDisabled;
}

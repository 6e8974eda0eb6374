#pragma once
// A push button that shows one 16x16 icon while enabled and another while disabled. The icons are
// the program's own (never the language library's). Only EnableButton swaps the icon.

#include <QPushButton>

class CIconButton : public QPushButton {
    Q_OBJECT
public:
    explicit CIconButton(QWidget* parent = nullptr);

    void SetIcons(unsigned enabledIconId, unsigned disabledIconId);
    bool EnableButton(bool enable);

    // The icon id shown now, 0 for none.
    unsigned ShownIconId() const { return m_shownIcon; }

private:
    void ShowIcon(unsigned iconId);

    unsigned m_nEnabledIcon = 0;
    unsigned m_nDisabledIcon = 0;
    unsigned m_shownIcon = 0;
};

// The program's icon resource with the id, at 16x16.
QIcon LoadProgramIcon(unsigned iconId);

enum IconId : unsigned {
    IDI_ARROW_UP_DISABLED = 135,
    IDI_ARROW_DOWN_DISABLED = 136,
    IDI_ARROW_DOWN = 137,
    IDI_ARROW_UP = 138,
};

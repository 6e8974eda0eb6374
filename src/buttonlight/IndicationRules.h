#pragma once
// The rules of the Button light page without its widgets: the function list with entry 0 "none",
// the default state, the type list that depends on it, what a choice changes, and which controls
// may be used.

#include "buttonlight/LightSettings.h"

#include <QList>

class IndicationRules {
public:
    // Entry 0 and the stored functions; the last enabled function is selected. With the light
    // switched off by policy the default state shows as off.
    void Load(const blink::StoredSettings& stored, bool disableBlink);
    void Clear();

    // Entry 0 ("none") first.
    const QList<IndicationItem>& Entries() const { return m_entries; }
    // The functions from entry 1 on, as the save writes them.
    QList<IndicationItem> Functions() const { return m_entries.mid(1); }
    int Selected() const { return m_selected; }
    const IndicationItem& SelectedItem() const { return m_entries.at(m_selected); }
    bool FunctionSelected() const { return m_selected > 0; }

    bool LightOnByDefault() const { return m_lightOn; }
    reg::DWORD DefaultState() const { return m_lightOn ? 1 : 0; }
    bool DefaultStateKept() const { return m_defaultStateKept; }
    bool Unreadable() const { return m_unreadable; }

    // The levels of the type list: 1 to 4 with the light off by default, 2 to 4 with it on.
    QList<reg::DWORD> TypeLevels() const;
    // The type entry of the selected function's level; -1 when it has none.
    int TypeIndex() const;

    // Choosing entry 0 enables no function; any other makes it the only enabled one.
    void SelectFunction(int entry);
    // The selected function takes the type's level.
    void SelectType(int index);
    // Light on by default turns every level 1 into 2, as the type list then has no steady light.
    void SetLightOnByDefault(bool on);

    // What Settings... starts for the selected function: its program, which must be an absolute
    // path that exists, then its parameters split as a command line; empty when there is none.
    QStringList SettingsCommand() const;

    struct Controls {
        bool defaultButtons = false;
        bool functionList = false;
        bool settings = false;
        bool typeList = false;
        bool preview = false;
        bool operator==(const Controls&) const = default;
    };
    // locked: the administrator lock, managed mode or elevation; capable: the light can be driven.
    Controls EnabledControls(bool locked, bool capable, bool disableBlink) const;

private:
    QList<IndicationItem> m_entries{IndicationItem()};
    int m_selected = 0;
    bool m_lightOn = false;
    bool m_defaultStateKept = false;
    bool m_unreadable = false;
};

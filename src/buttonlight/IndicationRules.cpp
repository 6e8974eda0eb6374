#include "buttonlight/IndicationRules.h"

#include <QFileInfo>
#include <QProcess>

using reg::DWORD;

namespace {

const QString kBlinkLevel = QStringLiteral("BlinkLevel");

} // namespace

void IndicationRules::Clear() { *this = IndicationRules(); }

void IndicationRules::Load(const blink::StoredSettings& stored, bool disableBlink)
{
    Clear();
    m_lightOn = !disableBlink && stored.DefaultState != 0;
    m_defaultStateKept = stored.defaultStateKept;
    m_unreadable = stored.unreadable;
    m_entries.append(stored.items);
    for (int entry = 1; entry < m_entries.size(); ++entry) {
        if (m_entries[entry].EnableFunction != 0)
            m_selected = entry;
    }
}

QList<DWORD> IndicationRules::TypeLevels() const
{
    if (m_lightOn)
        return {blink::kLowBlink, blink::kMediumBlink, blink::kHighBlink};
    return {blink::kOn, blink::kLowBlink, blink::kMediumBlink, blink::kHighBlink};
}

int IndicationRules::TypeIndex() const
{
    if (!FunctionSelected())
        return -1;
    return int(TypeLevels().indexOf(SelectedItem().BlinkLevel));
}

void IndicationRules::SelectFunction(int entry)
{
    if (entry < 0 || entry >= m_entries.size())
        return;
    m_selected = entry;
    for (int other = 1; other < m_entries.size(); ++other)
        m_entries[other].EnableFunction = other == entry ? 1 : 0;
}

void IndicationRules::SelectType(int index)
{
    const QList<DWORD> levels = TypeLevels();
    if (FunctionSelected() && index >= 0 && index < levels.size())
        m_entries[m_selected].BlinkLevel = levels.at(index);
}

void IndicationRules::SetLightOnByDefault(bool on)
{
    m_lightOn = on;
    if (!on)
        return;
    for (int entry = 1; entry < m_entries.size(); ++entry) {
        if (m_entries[entry].BlinkLevel == blink::kOn)
            m_entries[entry].BlinkLevel = blink::kLowBlink;
    }
}

QStringList IndicationRules::SettingsCommand() const
{
    const QFileInfo program(SelectedItem().SettingProgramPath);
    if (!FunctionSelected() || !program.isAbsolute() || !program.exists())
        return {};
    return QStringList(program.filePath()) + QProcess::splitCommand(SelectedItem().SettingProgramParameters);
}

IndicationRules::Controls IndicationRules::EnabledControls(bool locked, bool capable, bool disableBlink) const
{
    const bool editable = !locked && !m_unreadable;
    const bool drivesLight = editable && capable && !disableBlink;
    const bool levelKnown = FunctionSelected() && !SelectedItem().KeptValues.contains(kBlinkLevel);
    return {drivesLight && !m_defaultStateKept, editable, editable && FunctionSelected(), drivesLight && levelKnown,
            drivesLight && levelKnown};
}

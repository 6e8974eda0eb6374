#pragma once
// A page of the sheet. Its controls are built and its settings loaded the first time its tab is
// shown; only a created page saves (OnOK) or discards (OnCancel).

#include "settings/PageSave.h"

#include <QWidget>

class CPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CPropertyPage(unsigned templateId, QWidget* parent = nullptr);

    unsigned TemplateId() const { return m_templateId; }
    // The tab title: the caption of the page's template.
    QString Title() const;
    bool IsCreated() const { return m_created; }
    // Builds the controls and runs OnInitDialog, once.
    void CreatePage();

    virtual bool OnInitDialog() { return true; }
    // Writes the page's settings; the result tells whether it wrote and what failed.
    [[nodiscard]] virtual app::SaveResult OnOK() { return {}; }
    virtual void OnCancel() {}
    virtual bool OnSetActive() { return true; }

    // Without an Apply button the mark has no visible effect; saving does not depend on it.
    void SetModified(bool changed = true) { m_modified = changed; }
    bool IsModified() const { return m_modified; }

protected:
    // Creates the page's controls and binds them to their members.
    virtual void BuildControls() = 0;
    QString DialogText(int controlId) const;

private:
    unsigned m_templateId;
    bool m_created = false;
    bool m_modified = false;
};

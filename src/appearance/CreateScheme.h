#pragma once
// The scheme editor: a new scheme, or one of the user's own. It checks its input by enabling OK
// and by staying open on bad input, and on OK writes the scheme to the store.

#include "appearance/SchemeItem.h"

#include <QDialog>

class ColorSwatch;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SchemePreview;

class CCreateScheme : public QDialog {
    Q_OBJECT
public:
    // An empty key name makes a new scheme; the editor works on its own copy.
    explicit CCreateScheme(const SchemeItem& scheme, QWidget* parent = nullptr);

    // Fills the controls from the scheme and runs the editor modally.
    int DoModal();

    void OnInitDialog();
    void OnBnClickedFontColor();
    void OnBnClickedBackColor();
    void OnBnClickedBrowsePrimary();
    void OnBnClickedBrowseSecondary();
    void OnEnChangeName();
    void OnEnChangePrimaryImage();
    void OnBnClickedOk();

    const SchemeItem& Scheme() const { return m_scheme; }
    bool IsNew() const { return m_bNew; }

private:
    void ChooseColor(reg::DWORD& color, ColorSwatch* swatch, int table);
    void Browse(QLineEdit* target);
    void UpdatePreview();

    SchemeItem m_scheme;
    bool m_bNew = false;
    QLabel* m_heading = nullptr;
    QLineEdit* m_editName = nullptr;
    QCheckBox* m_btnMastHead = nullptr;
    ColorSwatch* m_btnFontColor = nullptr;
    ColorSwatch* m_btnBackColor = nullptr;
    QLabel* m_backColorLabel = nullptr;
    QLineEdit* m_editPrimary = nullptr;
    QLineEdit* m_editSecondary = nullptr;
    QPushButton* m_btnOk = nullptr;
    SchemePreview* m_preview = nullptr;
};

#pragma once
// The Quick Link editor: the name and the command of a user-defined item, new or existing.

#include <QDialog>

struct ClientItem;
class QLabel;
class QLineEdit;
class QPushButton;

class CAddItem : public QDialog {
    Q_OBJECT
public:
    // OK writes the record's name and command, nothing else; it must outlive the editor.
    explicit CAddItem(ClientItem& item, QWidget* parent = nullptr);

    // Fills the boxes from the record and runs the editor modally.
    int DoModal();

    void OnInitDialog();
    void OnEnChangeEdit();
    // Closes with OK only when both boxes hold text.
    void OnOK();
    // Lets the user pick a file; the box then holds its path in double quotes.
    void OnBnClickedBrowse();

private:
    ClientItem& m_item;
    QLineEdit* m_editFileUrl = nullptr;
    QLineEdit* m_editName = nullptr;
    QPushButton* m_btnOk = nullptr;
    QLabel* m_prompt = nullptr;
};

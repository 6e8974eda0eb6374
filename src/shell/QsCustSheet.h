#pragma once
// The utility's window: a modal dialog with one tab per settings area and the buttons OK and
// Cancel. A page is created when its tab is first shown; OK applies every created page in tab
// order, Cancel discards every created page.

#include <QDialog>
#include <QPointer>

#include <array>

class CPropertyPage;
class QTabWidget;
class CQuickLinks;
class CToolKit;
class CMessageCenter;
class CAppearance;
class CBlink;

class CQsCustSheet : public QDialog {
    Q_OBJECT
public:
    explicit CQsCustSheet(const QString& caption, QWidget* parent = nullptr, int startPage = 0);
    ~CQsCustSheet() override;

    static constexpr int kPageCount = 5;
    CPropertyPage* GetPage(int index) const { return m_pages.at(index); }
    void SetActivePage(int index);
    QTabWidget* TabControl() const { return m_tabs; }

    // The OK and Cancel buttons. A failed save is told once; the sheet still closes with OK.
    void accept() override;
    void reject() override;
    // After OK: pages wrote, and every one of those saves failed, so nothing changed.
    bool NothingSaved() const { return m_bNothingSaved; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    void OnTabChanged(int index);

    QTabWidget* m_tabs = nullptr;
    std::array<CPropertyPage*, kPageCount> m_pages{};
    int m_startPage;
    bool m_initialised = false;
    bool m_bNothingSaved = false;
};

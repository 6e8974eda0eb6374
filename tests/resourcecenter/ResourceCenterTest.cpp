#include "GuiTest.h"
#include "StoreValues.h"
#include "pagekit/CheckListCtrl.h"
#include "platform/UserRights.h"
#include "resourcecenter/ToolKitPage.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

using namespace reg;

namespace {

const QString kUserData = QStringLiteral("Software\\Orvane\\TALVEN\\Data");
const QString kData = kUserData + QStringLiteral("\\ResourceCenter");
const QString kOrder = kData + QStringLiteral("\\Order");

QString Export(const QString& path) { return ExportText(Root::CurrentUser, path); }

// "Label:state" per row, the label's first word.
QString Describe(const CategoryModel& model)
{
    QStringList rows;
    for (const rc::CategoryRow& row : model.Rows())
        rows << QStringLiteral("%1:%2").arg(row.label.section(' ', 0, 0)).arg(int(row.state));
    return rows.join(' ');
}

// "L" the list, "H" the Hide box, "A" the administrator-only box: upper case when enabled, then
// + or - for a box's check.
QString Controls(CToolKit& page)
{
    const auto on = [](QWidget* control, char name) { return QString(QChar(control->isEnabled() ? name : name + 32)); };
    const auto box = [&on](QCheckBox* box, char name) { return on(box, name) + (box->isChecked() ? "+" : "-"); };
    return on(page.List(), 'L') + " " + box(page.HideBox(), 'H') + " " + box(page.AdminOnlyBox(), 'A');
}

void SetXmlControl(DWORD x) { PutDword(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter", x); }
void SetLabels(const QString& text) { PutValue(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter.Labels", REG_MULTI_SZ, QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)); }
void SetNls(const QString& text) { PutString(HKEY_CURRENT_USER, kUserData + "\\NLS", {}, text); }

struct PageCase {
    const char* name = nullptr;
    // The stored order list (none: the Order key without it).
    std::optional<QString> stored = "0007 0008 9999 0003";
    std::function<void()> setUp = [] {};
    // Rows whose check the list is asked to turn over, in turn, before the rows are compared.
    std::vector<int> toggles {};
    bool loaded = true;
    QString rows {};
    const char* controls = "L H- A-";
    // The user's store after OK: "" as before, else a line it holds; nullptr: not asked.
    const char* after = nullptr;
};

const PageCase kCases[] = {
    {.stored = "0007 9999 0008", .rows = "Multimedia:1 Help:2"},
    {.stored = "0007 0008 9999", .rows = "Multimedia:2 Help:2", .after = "@=\"0008 0007 9999\""},
    {.stored = "0008 9999 0007", .rows = "Multimedia:2 Help:1", .after = "@=\"0008 9999 0007\""},
    {.stored = "9999 0007 0008", .rows = "Multimedia:1 Help:1", .after = "@=\"9999 0008 0007\""},
    {.stored = "9999 0001 0011", .rows = "Maintenance:1 Others:1", .after = "@=\"9999 0001 0011\""},
    {.stored = "0001 0001 9999 0001", .rows = "Maintenance:2 Maintenance:2 Maintenance:1", .after = "@=\"0001 0001 9999 0001\""},
    {.stored = "0007 0007 0008 9999", .rows = "Help:2 Multimedia:2 Help:2"},
    {.stored = "-001 0012 0011 0099", .rows = "Others:2"},
    {.stored = "0004 5", .rows = "System:2 Security,:2", .after = "@=\"0004 0005 9999\""},
    {.stored = std::nullopt, .after = "@=\"9999\""},
    {.stored = QString("0001 ").repeated(26), .controls = "l H- A-", .after = ""},
    {.stored = QString("0001 ").repeated(26).chopped(1), .rows = QString("Maintenance:2 ").repeated(26).trimmed(), .controls = "l H- A-", .after = ""},
    {.name = "XmlControl 1", .setUp = [] { SetXmlControl(1); PutDword(HKEY_LOCAL_MACHINE, kData + ".2", "AllowOnlyAdmin", 1); }, .rows = "A:2 B:2", .controls = "l h+ a-", .after = ""},
    {.name = "XmlControl 2", .setUp = [] { SetXmlControl(2); }, .rows = "A:2 B:2", .controls = "l h+ a-", .after = "\"HideGroup\"=dword:00000001"},
    {.name = "XmlControl 3", .setUp = [] { SetXmlControl(3); }, .rows = "A:2 B:2", .controls = "l h- a-"},
    {.name = "labels cut", .setUp = [] { SetXmlControl(1); SetLabels(QString(300, 'x')); }, .rows = QString(259, 'x') + ":2", .controls = "l h+ a-"},
    {.name = "NLS has no check rule", .setUp = [] { SetNls("1"); }, .toggles = {0, 0}, .rows = "Maintenance:1 Wireless:1 Device:1 System:1 Security,:1 Mostrel:1 Help:1 Multimedia:1 Communication:1 Small:1 Others:1", .after = ""},
    {.name = "NLS not exactly 1", .setUp = [] { SetNls("1 "); }, .rows = "Multimedia:2 Help:2 Device:1"},
    {.name = "managed", .setUp = [] { settings::SetManagedMode(true); PutString(HKEY_LOCAL_MACHINE, "Software\\Policies\\Orvane\\TALVEN\\Data\\ResourceCenter\\Order", {}, "0001 9999 0002"); }, .rows = "Maintenance:2 Wireless:1", .controls = "l h- a-"},
    {.name = "elevated", .setUp = [] { platform::OverrideUserRights({true, true}); }, .rows = "Multimedia:2 Help:2 Device:1", .controls = "l h- A-", .after = ""},
    {.name = "OK before the load", .loaded = false, .after = ""},
    {.name = "no Order key", .stored = std::nullopt, .setUp = [] { ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, kOrder), ERROR_SUCCESS); }, .after = ""},
};

// Every case also stores Hide boxes of 0 and an unconverted 1 in the ".2" key, labels, and no
// administrator-only values.
TEST(ResourceCenterPage, ModesListsLocksAndWhatOkWrites)
{
    for (const PageCase& c : kCases) {
        SCOPED_TRACE(c.name ? c.name : qPrintable(c.stored.value_or("<missing>")));
        GuiEnvironment env;
        PutDword(HKEY_CURRENT_USER, kData, "HideGroup", 0);
        PutValue(HKEY_CURRENT_USER, kData + ".2", "HideGroup", REG_BINARY, QByteArray("\1\0\0\0", 4));
        SetLabels(QString::fromUtf16(u"A\0\0B B", 6));
        c.stored ? PutString(HKEY_CURRENT_USER, kOrder, {}, *c.stored) : PutKey(HKEY_CURRENT_USER, kOrder);
        c.setUp();
        CToolKit page;
        QAbstractItemModelTester tester(&page.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        page.CreatePage();
        ASSERT_TRUE(!c.loaded || WaitFor([&page] { return page.IsLoaded(); }));
        for (int row : c.toggles)
            page.List()->ToggleCheck(row);
        EXPECT_FALSE(page.Model().setData(page.Model().index(0, 0), ui::kFixedChecked, ui::StateImageRole));
        EXPECT_EQ(Describe(page.Model()), c.rows);
        EXPECT_EQ(Controls(page), c.controls);
        const QString before = Export(kUserData);
        EXPECT_FALSE(page.OnOK().Failed());
        EXPECT_TRUE(!c.after || (*c.after ? Export(kUserData).contains(c.after) : Export(kUserData) == before)) << c.after;
    }
}

// The sheet opened on the tab: a click and Space uncheck two categories, Space not the last one; OK.
TEST(ResourceCenterSheet, UncheckAndSave)
{
    GuiEnvironment env;
    PutString(HKEY_CURRENT_USER, kOrder, {}, "0011 0008 0007 9999 0001");
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.SetActivePage(1);
        auto& page = *static_cast<CToolKit*>(sheet.GetPage(1));
        ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
        CCheckListCtrl* list = page.List();
        const QRect box = list->visualRect(list->model()->index(0, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(box.left() + box.height() / 2 + 2, box.center().y()));
        for (int row : {2, 1}) {
            list->SetSelectionMark(row);
            QTest::keyClick(list, Qt::Key_Space);
        }
        EXPECT_EQ(Describe(page.Model()), "Others:1 Multimedia:2 Help:1 Maintenance:1");
        sheet.accept();
    }));
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(Export(kData).toStdString(), FileText(QSCUST_TEST_DATA "/resourcecenter/after_ok.reg").toStdString());
}

} // namespace

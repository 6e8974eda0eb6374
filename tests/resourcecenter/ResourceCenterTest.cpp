#include "GuiTest.h"
#include "StoreValues.h"
#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "registry/RegFileWriter.h"
#include "resourcecenter/ToolKitPage.h"
#include "settings/StringTable.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

using namespace reg;

namespace {

const QString kData = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\ResourceCenter");
const QString kOrder = kData + QStringLiteral("\\Order");
const QString kPolicyData = QStringLiteral("Software\\Policies\\Orvane\\TALVEN\\Data\\ResourceCenter");

QByteArray Utf16(const QString& text) { return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2); }

void PutText(HKEY root, const QString& path, const QString& text, DWORD type = REG_SZ) { PutValue(root, path, {}, type, Utf16(text + QChar(0))); }

QString Export(Root root, const QString& path)
{
    QByteArray file;
    if (ExportRegFile(root, path, &file) != ERROR_SUCCESS)
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), (file.size() - 2) / 2).replace("\r\n", "\n");
}

// The names of the keys a page's OK changed.
QString Changed(const std::function<void()>& ok)
{
    const std::tuple<const char*, Root, QString> keys[] = {{"Data", Root::CurrentUser, kData}, {"Data.2", Root::CurrentUser, kData + ".2"},
        {"LM", Root::LocalMachine, kData}, {"LM.2", Root::LocalMachine, kData + ".2"}, {"Policy", Root::LocalMachine, kPolicyData}};
    QStringList before, changed;
    for (const auto& [name, root, path] : keys)
        before << Export(root, path);
    ok();
    for (const auto& [name, root, path] : keys)
        if (Export(root, path) != before.takeFirst())
            changed << name;
    return changed.join(' ');
}

// "Label:state" per row, the label's first word.
QString Describe(const CategoryModel& model)
{
    QStringList rows;
    for (const rc::CategoryRow& row : model.Rows())
        rows << QStringLiteral("%1:%2").arg(row.label.section(' ', 0, 0)).arg(int(row.state));
    return rows.join(' ');
}

// "L" list and label, "H" Hide box, "A" administrator-only box: upper case when enabled, then
// + or - for a box's check.
QString Controls(CToolKit& page)
{
    const auto on = [](QWidget* control, char name) { return QString(QChar(control->isEnabled() ? name : name + 32)); };
    const auto box = [&on](QCheckBox* box, char name) { return on(box, name) + (box->isChecked() ? "+" : "-"); };
    return on(ui::FindControl(&page, res::resourcecenter::IDC_OUTPUTLIST), 'L') + on(ui::FindControl(&page, res::resourcecenter::IDC_LIST_LABEL), 'L')
        + " " + box(page.HideBox(), 'H') + " " + box(page.AdminOnlyBox(), 'A');
}

void SetXmlControl(DWORD x) { PutDword(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter", x); }
void SetLabels(const QByteArray& labels) { PutValue(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter.Labels", REG_MULTI_SZ, labels); }

struct PageCase {
    const char* name = nullptr;
    // The stored order list (none: the Order key without it), which OK rewrites by default.
    std::optional<QString> stored = "0007 0008 9999 0003";
    std::function<void(GuiEnvironment&)> setUp = [](GuiEnvironment&) {};
    // Rows whose check the list is asked to turn over, in turn, before the rows are compared.
    std::vector<int> toggles;
    bool loaded = true;
    QString rows;
    const char* controls = "LL H- A-";
    unsigned status = 0;
    // The keys OK changed, and the order list after it; nullptr: not asked.
    const char* keys = nullptr;
    const char* list = nullptr;
};

const char* const kOrderRows = "Multimedia:2 Help:2 Device:1";
const PageCase kCases[] = {
    {.stored = "0001 0002 9999 0003", .rows = "Maintenance:2 Wireless:2 Device:1", .list = "0001 0002 9999 0003"},
    {.stored = "0007 0008 9999", .rows = "Multimedia:2 Help:2", .list = "0008 0007 9999"},
    {.stored = "0007 9999 0008", .rows = "Multimedia:1 Help:2", .list = "0007 9999 0008"},
    {.stored = "0008 9999 0007", .rows = "Multimedia:2 Help:1", .list = "0008 9999 0007"},
    {.stored = "9999 0007 0008", .rows = "Multimedia:1 Help:1", .list = "9999 0008 0007"},
    {.stored = "0007 0007 0008 9999", .rows = "Help:2 Multimedia:2 Help:2", .list = "0007 0008 0007 9999"},
    {.stored = "9999 0001 0011", .rows = "Maintenance:1 Others:1", .list = "9999 0001 0011"},
    {.stored = "0001 0001 9999 0001", .rows = "Maintenance:2 Maintenance:2 Maintenance:1", .list = "0001 0001 9999 0001"},
    {.stored = "-001 0012 0011 0099", .rows = "Others:2", .list = "0011 9999"},
    {.stored = "0000 0006", .rows = ":2 Mostrel:2", .list = "0000 0006 9999"},
    {.stored = "0004 5", .rows = "System:2 Security,:2", .list = "0004 0005 9999"},
    {.name = "stored type", .setUp = [](GuiEnvironment&) { PutText(HKEY_CURRENT_USER, kOrder, "0002 9999", REG_BINARY); }, .rows = "Wireless:2", .list = "0002 9999"},
    {.stored = "", .list = "9999"},
    {.stored = std::nullopt, .list = "9999"},
    {.stored = QString("0001 ").repeated(26), .controls = "ll H- A-", .status = res::IDS_RESOURCECENTER_UNREADABLE, .keys = "LM"},
    {.stored = QString("0001 ").repeated(26).chopped(1), .rows = QString("Maintenance:2 ").repeated(26).trimmed(), .controls = "ll H- A-", .status = res::IDS_RESOURCECENTER_TOO_LONG, .keys = "LM"},
    {.name = "order mode keeps the last check", .toggles = {0, 1}, .rows = "Multimedia:1 Help:2 Device:1", .keys = "Data LM", .list = "0007 9999 0008 0003"},
    {.name = "XmlControl 1", .setUp = [](GuiEnvironment&) { SetXmlControl(1); PutDword(HKEY_LOCAL_MACHINE, kData + ".2", "AllowOnlyAdmin", 1); }, .rows = "A:2 B:2", .controls = "ll h+ a-", .status = res::IDS_RESOURCECENTER_LAYOUT, .keys = ""},
    {.name = "XmlControl 2", .setUp = [](GuiEnvironment&) { SetXmlControl(2); }, .rows = "A:2 B:2", .controls = "ll h+ a-", .status = res::IDS_RESOURCECENTER_LAYOUT, .keys = "Data.2 LM.2"},
    {.name = "XmlControl 3", .setUp = [](GuiEnvironment&) { SetXmlControl(3); }, .rows = "A:2 B:2", .controls = "ll h- a-", .status = res::IDS_RESOURCECENTER_LAYOUT, .keys = ""},
    {.name = "labels cut", .setUp = [](GuiEnvironment&) { SetXmlControl(1); SetLabels(Utf16(QString(300, 'x'))); }, .rows = QString(259, 'x') + ":2", .controls = "ll h+ a-", .status = res::IDS_RESOURCECENTER_LAYOUT},
    {.name = "labels too long", .setUp = [](GuiEnvironment&) { SetXmlControl(1); SetLabels(QByteArray(5202, 'a')); }, .controls = "ll h+ a-", .status = res::IDS_RESOURCECENTER_LAYOUT},
    {.name = "NLS has no check rule", .setUp = [](GuiEnvironment&) { PutText(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\NLS", "1", REG_EXPAND_SZ); }, .toggles = {0, 0}, .rows = "Maintenance:1 Wireless:1 Device:1 System:1 Security,:1 Mostrel:1 Help:1 Multimedia:1 Communication:1 Small:1 Others:1", .status = res::IDS_RESOURCECENTER_NLS, .keys = ""},
    {.name = "NLS not exactly 1", .setUp = [](GuiEnvironment&) { PutText(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\NLS", "1 "); }, .rows = kOrderRows, .keys = "Data LM"},
    {.name = "NLS, XmlControl 2", .setUp = [](GuiEnvironment&) { SetXmlControl(2); PutText(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\NLS", "1"); }, .rows = "A:2 B:2", .controls = "ll h+ a-", .status = res::IDS_RESOURCECENTER_LAYOUT, .keys = ""},
    {.name = "HideRCenter 1", .setUp = [](GuiEnvironment&) { PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "HideRCenter", 1); }, .rows = kOrderRows, .controls = "LL h+ A-", .keys = "Data LM"},
    {.name = "managed", .setUp = [](GuiEnvironment&) { settings::SetManagedMode(true); PutText(HKEY_LOCAL_MACHINE, kPolicyData + "\\Order", "0001 9999 0002"); }, .rows = "Maintenance:2 Wireless:1", .controls = "ll h- a-", .keys = "Policy"},
    {.name = "elevated", .setUp = [](GuiEnvironment& env) { env.setRights(true, true); }, .rows = kOrderRows, .controls = "ll h- A-", .keys = "LM"},
    {.name = "user, admin box", .setUp = [](GuiEnvironment& env) { env.setRights(false, false); PutDword(HKEY_LOCAL_MACHINE, kData, "AllowOnlyAdmin", 1); }, .rows = kOrderRows, .controls = "ll h- A+", .keys = "Data"},
    {.name = "OK before the load", .loaded = false, .keys = "LM", .list = "0007 0008 9999 0003"},
    {.name = "no Order key", .stored = std::nullopt, .setUp = [](GuiEnvironment&) { ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, kOrder), ERROR_SUCCESS); }, .keys = "LM"},
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
        SetLabels(Utf16(QString::fromUtf16(u"A\0\0B B", 6)));
        c.stored ? PutText(HKEY_CURRENT_USER, kOrder, *c.stored) : PutKey(HKEY_CURRENT_USER, kOrder);
        c.setUp(env);
        CToolKit page;
        QAbstractItemModelTester tester(&page.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        page.CreatePage();
        ASSERT_TRUE(!c.loaded || WaitFor([&page] { return page.IsLoaded(); }));
        for (int row : c.toggles)
            page.List()->ToggleCheck(row);
        EXPECT_FALSE(page.Model().setData(page.Model().index(0, 0), ui::kFixedChecked, ui::StateImageRole));
        EXPECT_EQ(Describe(page.Model()), c.rows);
        EXPECT_EQ(Controls(page), c.controls);
        const QWidget* status = ui::FindControl(&page, res::resourcecenter::IDC_LIST_STATUS);
        EXPECT_EQ(status->isVisibleTo(&page) ? status->property("text").toString() : QString(), res::LoadResString(c.status));
        if (const QString keys = Changed([&page] { EXPECT_FALSE(page.OnOK().Failed()); }); c.keys)
            EXPECT_EQ(keys, c.keys);
        if (c.list)
            EXPECT_TRUE(Export(Root::CurrentUser, kOrder).contains(QStringLiteral("@=\"%1\"\n").arg(c.list))) << c.list;
    }
}

// The sheet opened on the tab: a click and Space uncheck two categories, Space not the last one; OK.
TEST(ResourceCenterSheet, UncheckAndSave)
{
    GuiEnvironment env;
    PutText(HKEY_CURRENT_USER, kOrder, "0011 0008 0007 9999 0001");
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
    QFile expected(QStringLiteral(QSCUST_TEST_DATA "/resourcecenter/after_ok.reg"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(Export(Root::CurrentUser, kData).toStdString(), expected.readAll().toStdString());
}

} // namespace

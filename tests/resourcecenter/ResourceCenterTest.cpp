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
#include <QLabel>
#include <QTest>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace reg;

namespace {

const QString kData = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\ResourceCenter");
const QString kOrder = kData + QStringLiteral("\\Order");
const QString kPolicyData = QStringLiteral("Software\\Policies\\Orvane\\TALVEN\\Data\\ResourceCenter");

QByteArray Utf16(const QString& text) { return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2); }

void PutText(HKEY root, const QString& path, const QString& name, const QString& text, DWORD type = REG_SZ)
{
    PutValue(root, path, name, type, Utf16(text + QChar(0)));
}

QString StoredList()
{
    const QByteArray bytes = ReadBytes(HKEY_CURRENT_USER, kOrder, QString()).value_or(Utf16("-"));
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2).section(QChar(0), 0, 0);
}

QString Export(Root root, const QString& path)
{
    QByteArray file;
    if (ExportRegFile(root, path, &file) != ERROR_SUCCESS)
        return QStringLiteral("-");
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), (file.size() - 2) / 2).replace("\r\n", "\n");
}

// The names of the keys a page's OK changed, blank-separated.
QString Changed(const std::function<void()>& ok)
{
    const std::pair<Root, QString> keys[] = {{Root::CurrentUser, kData}, {Root::CurrentUser, kData + ".2"},
        {Root::LocalMachine, kData}, {Root::LocalMachine, kData + ".2"}, {Root::LocalMachine, kPolicyData}};
    const char* const names[] = {"Data", "Data.2", "LM", "LM.2", "Policy"};
    QStringList before, changed;
    for (const auto& [root, path] : keys)
        before << Export(root, path);
    ok();
    for (int i = 0; i < 5; ++i) {
        if (Export(keys[i].first, keys[i].second) != before[i])
            changed << names[i];
    }
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

struct ListCase {
    const char* name;
    std::optional<QString> stored;
    const char* rows;
    const char* written;   // nullptr: the stored list stays
    DWORD type = REG_SZ;
};
void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

const QString kTooMany = QString("0001 ").repeated(26).chopped(1);
const ListCase kListCases[] = {
    {"shown_then_hidden", "0001 0002 9999 0003", "Maintenance:2 Wireless:2 Device:1", "0001 0002 9999 0003"},
    {"multimedia_goes_first", "0007 0008 9999", "Multimedia:2 Help:2", "0008 0007 9999"},
    {"swap_keeps_check_states", "0007 9999 0008", "Multimedia:1 Help:2", "0007 9999 0008"},
    {"already_in_order", "0008 9999 0007", "Multimedia:2 Help:1", "0008 9999 0007"},
    {"swap_behind_marker", "9999 0007 0008", "Multimedia:1 Help:1", "9999 0008 0007"},
    {"last_0007_counts", "0007 0007 0008 9999", "Help:2 Multimedia:2 Help:2", "0007 0008 0007 9999"},
    {"marker_first", "9999 0001 0011", "Maintenance:1 Others:1", "9999 0001 0011"},
    {"no_marker", "0010 0009", "Small:2 Communication:2", "0010 0009 9999"},
    {"duplicates_stay", "0001 0001 9999 0001", "Maintenance:2 Maintenance:2 Maintenance:1", "0001 0001 9999 0001"},
    {"codes_outside_the_table_go", "-001 0012 0011 9999 0099", "Others:2", "0011 9999"},
    {"code_0_has_no_built_in_label", "0000 0006", ":2 Mostrel:2", "0000 0006 9999"},
    {"short_entry_written_as_four_digits", "0004 5", "System:2 Security,:2", "0004 0005 9999"},
    {"type_does_not_matter", "0002 9999", "Wireless:2", "0002 9999", REG_BINARY},
    {"empty_text", "", "", "9999"},
    {"missing_value", std::nullopt, "", "9999"},
    {"longer_than_the_buffer_is_kept", QString("0001 ").repeated(26), "", nullptr},
    {"more_codes_than_a_save_holds_is_kept", kTooMany, nullptr, nullptr},
};

class OrderListTest : public testing::TestWithParam<ListCase> {};

TEST_P(OrderListTest, LoadsAndWrites)
{
    const ListCase& c = GetParam();
    GuiEnvironment env;
    PutKey(HKEY_CURRENT_USER, kOrder);
    if (c.stored)
        PutText(HKEY_CURRENT_USER, kOrder, QString(), *c.stored, c.type);
    CategoryModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.PopulateItemList(rc::Mode::Order);
    if (c.rows)
        EXPECT_EQ(Describe(model), c.rows);
    EXPECT_EQ(model.KeepsStoredList(), !c.written);
    app::PageSave save;
    model.WriteItemList(save);
    EXPECT_FALSE(save.Commit().Failed());
    EXPECT_EQ(StoredList(), c.written ? QString(c.written) : c.stored.value_or("-"));
}

INSTANTIATE_TEST_SUITE_P(Lists, OrderListTest, testing::ValuesIn(kListCases), [](const auto& info) { return std::string(info.param.name); });

// The last checked category stays checked, asked by the model or the list's mouse and Space;
// the NLS list has no such rule.
TEST(CheckRule, LastCheckedCategoryStays)
{
    GuiEnvironment env;
    PutText(HKEY_CURRENT_USER, kOrder, QString(), "0001 9999 0002");
    CToolKit page;
    page.CreatePage();
    ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
    page.show();
    CCheckListCtrl* list = page.List();
    const auto click = [list](int row) {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + rect.height() / 2 + 2, rect.center().y()));
    };
    click(0);
    list->SetSelectionMark(0);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Describe(page.Model()), "Maintenance:2 Wireless:1");
    EXPECT_FALSE(page.Model().setData(page.Model().index(1, 0), ui::kFixedChecked, ui::StateImageRole));
    click(1);
    click(0);
    EXPECT_FALSE(list->ToggleCheck(1));
    EXPECT_EQ(Describe(page.Model()), "Maintenance:1 Wireless:2");

    CategoryModel nls;
    nls.PopulateItemList(rc::Mode::Nls);
    const QModelIndex first = nls.index(0, 0);
    EXPECT_TRUE(nls.setData(first, ui::kChecked, ui::StateImageRole) && nls.setData(first, ui::kUnchecked, ui::StateImageRole));
}


// The client's labels cut into rows, the NLS switch, and code 0's label from a language library.
TEST(StoredTexts, LabelsSwitchAndLibrary)
{
    GuiEnvironment env;
    const struct { QByteArray labels; QString rows; } labels[] = {
        {Utf16(QString::fromUtf16(u"A\0\0B B", 6)), "A:2 B:2"},
        {Utf16("AB") + "C", "AB:2"},
        {Utf16(QString(300, 'x')), QString(259, 'x') + ":2"},
        {QByteArray(5202, 'a'), ""},
    };
    for (const auto& c : labels) {
        PutValue(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter.Labels", REG_MULTI_SZ, c.labels);
        CategoryModel model;
        model.PopulateItemList(rc::Mode::XmlControl);
        EXPECT_EQ(Describe(model), c.rows);
    }
    const struct { QString text; DWORD type; bool nls; } switches[] = {
        {"1", REG_SZ, true}, {"1", REG_EXPAND_SZ, true}, {"01", REG_SZ, false}, {"1 ", REG_SZ, false}, {QString(300, '1'), REG_SZ, false}};
    for (const auto& c : switches) {
        PutText(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\NLS", QString(), c.text, c.type);
        EXPECT_EQ(rc::IsNlsMode(), c.nls) << qPrintable(c.text);
    }
    struct : QTranslator {
        QString translate(const char*, const char* key, const char*, int) const override { return key == QByteArray("18990") ? "Home Office" : QString(); }
    } library;
    res::SetLanguageLibrary(&library);
    PutText(HKEY_CURRENT_USER, kOrder, QString(), "0000");
    CategoryModel model;
    model.PopulateItemList(rc::Mode::Order);
    res::SetLanguageLibrary(nullptr);
    EXPECT_EQ(Describe(model), "Home:2");
}

struct PageCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    const char* rows;
    bool listEnabled, hideEnabled, hideChecked, adminEnabled, adminChecked;
    res::StringId status;
    const char* written;
};
void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

void SetXmlControl(DWORD x) { PutDword(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter", x); }

const res::StringId kNoStatus = res::StringId(0);
const char* const kAllCategories = "Maintenance:1 Wireless:1 Device:1 System:1 Security,:1 Mostrel:1 Help:1 Multimedia:1 Communication:1 Small:1 Others:1";
const PageCase kPageCases[] = {
    {"order_mode", [](GuiEnvironment&) {}, "Multimedia:2 Help:2 Device:1", true, true, false, true, false, kNoStatus, "Data LM"},
    {"xml_1_writes_nothing", [](GuiEnvironment&) { SetXmlControl(1); PutDword(HKEY_LOCAL_MACHINE, kData + ".2", "AllowOnlyAdmin", 1); }, "A:2 B:2", false, false, true, false, false, res::IDS_RESOURCECENTER_LAYOUT, ""},
    {"xml_2_writes_the_boxes", [](GuiEnvironment&) { SetXmlControl(2); }, "A:2 B:2", false, false, true, false, false, res::IDS_RESOURCECENTER_LAYOUT, "Data.2 LM.2"},
    {"xml_3_has_no_data_key", [](GuiEnvironment&) { SetXmlControl(3); }, "A:2 B:2", false, false, false, false, false, res::IDS_RESOURCECENTER_LAYOUT, ""},
    {"nls_writes_nothing", [](GuiEnvironment&) { PutText(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\NLS", QString(), "1"); },
     kAllCategories, true, true, false, true, false, res::IDS_RESOURCECENTER_NLS, ""},
    {"nls_with_xml_2_writes_nothing", [](GuiEnvironment&) { SetXmlControl(2); PutText(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Data\\NLS", QString(), "1"); },
     "A:2 B:2", false, false, true, false, false, res::IDS_RESOURCECENTER_LAYOUT, ""},
    {"hide_policy_1", [](GuiEnvironment&) { PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "HideRCenter", 1); },
     "Multimedia:2 Help:2 Device:1", true, false, true, true, false, kNoStatus, "Data LM"},
    {"managed", [](GuiEnvironment&) { settings::SetManagedMode(true); PutText(HKEY_LOCAL_MACHINE, kPolicyData + "\\Order", QString(), "0001 9999 0002"); },
     "Maintenance:2 Wireless:1", false, false, false, false, false, kNoStatus, "Policy"},
    {"elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, "Multimedia:2 Help:2 Device:1", false, false, false, true, false, kNoStatus, "LM"},
    {"user_with_the_admin_box", [](GuiEnvironment& env) { env.setRights(false, false); PutDword(HKEY_LOCAL_MACHINE, kData, "AllowOnlyAdmin", 1); },
     "Multimedia:2 Help:2 Device:1", false, false, false, true, true, kNoStatus, "Data"},
    {"unreadable_list_is_kept", [](GuiEnvironment&) { PutText(HKEY_CURRENT_USER, kOrder, QString(), QString(130, '1')); },
     "", false, true, false, true, false, res::IDS_RESOURCECENTER_UNREADABLE, "LM"},
    {"no_order_key_is_never_made", [](GuiEnvironment&) { ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, kOrder), ERROR_SUCCESS); },
     "", true, true, false, true, false, kNoStatus, "LM"},
};

class PageTest : public testing::TestWithParam<PageCase> {};

// Every case stores a list that OK rewrites ("0007" and "0008" change places), Hide boxes of 0 and
// an unconverted 1 in the ".2" key, and no administrator-only values.
TEST_P(PageTest, ModesLocksAndWhatOkWrites)
{
    const PageCase& c = GetParam();
    GuiEnvironment env;
    PutText(HKEY_CURRENT_USER, kOrder, QString(), "0007 0008 9999 0003");
    PutDword(HKEY_CURRENT_USER, kData, "HideGroup", 0);
    PutValue(HKEY_CURRENT_USER, kData + ".2", "HideGroup", REG_BINARY, QByteArray("\1\0\0\0", 4));
    PutValue(HKEY_CURRENT_USER, settings::kXmlControlKey, "ResourceCenter.Labels", REG_MULTI_SZ, Utf16(QString::fromUtf16(u"A\0B\0\0", 5)));
    c.setUp(env);
    CToolKit page;
    page.CreatePage();
    ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
    EXPECT_EQ(Describe(page.Model()), c.rows);
    for (int id : {res::resourcecenter::IDC_OUTPUTLIST, res::resourcecenter::IDC_LIST_LABEL})
        EXPECT_EQ(ui::FindControl(&page, id)->isEnabled(), c.listEnabled) << id;
    EXPECT_EQ(page.HideBox()->isEnabled(), c.hideEnabled);
    EXPECT_EQ(page.HideBox()->isChecked(), c.hideChecked);
    EXPECT_EQ(page.AdminOnlyBox()->isEnabled(), c.adminEnabled);
    EXPECT_EQ(page.AdminOnlyBox()->isChecked(), c.adminChecked);
    auto* status = static_cast<QLabel*>(ui::FindControl(&page, res::resourcecenter::IDC_LIST_STATUS));
    EXPECT_EQ(status->isVisibleTo(&page) ? status->text() : QString(), c.status ? res::LoadResString(c.status) : QString());
    EXPECT_EQ(Changed([&page] { EXPECT_FALSE(page.OnOK().Failed()); }), c.written);
}

INSTANTIATE_TEST_SUITE_P(Situations, PageTest, testing::ValuesIn(kPageCases), [](const auto& info) { return std::string(info.param.name); });

// OK before the first tick keeps the stored list; a save that fails at its last write leaves
// both stores as they were.
TEST(ResourceCenterPage, SavesNothingItCouldLose)
{
    GuiEnvironment env;
    PutText(HKEY_CURRENT_USER, kOrder, QString(), "0007 0008");
    {
        CToolKit unloaded;
        unloaded.CreatePage();
        EXPECT_FALSE(unloaded.OnOK().Failed());
        EXPECT_EQ(StoredList(), "0007 0008");
    }
    CToolKit page;
    page.CreatePage();
    ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
    app::PageSave::FailWriteForTest(6);
    EXPECT_EQ(Changed([&page] { EXPECT_TRUE(page.OnOK().Failed()); }), "");
    app::PageSave::FailWriteForTest(0);
}

// The sheet opened on the tab: uncheck one category, fail to uncheck the last, OK.
TEST(ResourceCenterSheet, UncheckAndSave)
{
    GuiEnvironment env;
    PutText(HKEY_CURRENT_USER, kOrder, QString(), "0011 0008 0007 9999 0001");
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.SetActivePage(1);
        auto& page = *static_cast<CToolKit*>(sheet.GetPage(1));
        ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
        EXPECT_TRUE(page.List()->ToggleCheck(0));
        EXPECT_TRUE(page.List()->ToggleCheck(2));
        EXPECT_FALSE(page.List()->ToggleCheck(1));
        sheet.accept();
    }));
    CCustomizerApp app;
    app.InitInstance();
    QFile expected(QStringLiteral(QSCUST_TEST_DATA "/resourcecenter/after_ok.reg"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(Export(Root::CurrentUser, kData).toStdString(), expected.readAll().toStdString());
}

} // namespace

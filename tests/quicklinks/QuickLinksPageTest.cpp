#include "ClientFixture.h"
#include "GuiTest.h"
#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "pagekit/IconButton.h"
#include "quicklinks/AddItem.h"
#include "quicklinks/OrderList.h"
#include "quicklinks/QuickLinksPage.h"
#include "settings/ResourceIds.h"
#include "settings/StringTable.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;

namespace {

using namespace res::quicklinks;
using res::additem::IDC_FILEURL;
using res::additem::IDC_NAME;

QWidget* Control(QWidget* page, int id)
{
    QWidget* control = ui::FindControl(page, id);
    EXPECT_TRUE(control) << id;
    return control;
}

void Click(QWidget* page, int id) { static_cast<QPushButton*>(Control(page, id))->click(); }

void Key(QWidget* widget, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

// "ed" for Edit and Delete, upper case where enabled.
QString EditDelete(QWidget* page)
{
    return QString(Control(page, IDC_EDIT)->isEnabled() ? "E" : "e") + (Control(page, IDC_DELETE)->isEnabled() ? "D" : "d");
}

// An editor answer that types a name and a command and closes with OK.
int TypeAndOk(QDialog& dialog, const QString& name, const QString& command)
{
    auto& editor = static_cast<CAddItem&>(dialog);
    static_cast<QLineEdit*>(ui::FindControl(&editor, IDC_NAME))->setText(name);
    static_cast<QLineEdit*>(ui::FindControl(&editor, IDC_FILEURL))->setText(command);
    editor.OnOK();
    return editor.result();
}

// The page as after its first tick.
struct LoadedPage : CQuickLinks {
    LoadedPage()
    {
        CreatePage();
        EXPECT_TRUE(WaitFor([this] { return IsLoaded(); }));
    }
};

// Check beyond the maximum, uncheck, move, New through the editor, keyboard moves and Space,
// then OK: the store holds exactly the expected order data and user items.
TEST(QuickLinksSheet, EditAndSaveThroughTheSheet)
{
    GuiEnvironment env;
    PutClient("0001 0002 0003 0004 0006 0007 0008 9999 0009 0020");
    PutString(HKEY_CURRENT_USER, kOrder, "0777", "Stale");
    QStringList messages;
    env.setModalHandler([&messages](QDialog& dialog) -> int {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            messages << box->text();
            return QMessageBox::Ok;
        }
        if (qobject_cast<CAddItem*>(&dialog))
            return TypeAndOk(dialog, "Terminal", "\"/usr/bin/xterm\" -e top");
        dialog.show();
        auto& page = *static_cast<CQuickLinks*>(static_cast<CQsCustSheet&>(dialog).GetPage(0));
        EXPECT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
        CCheckListCtrl* list = page.List();
        EXPECT_EQ(QApplication::focusWidget(), list) << "the list takes the focus when the sheet opens";
        EXPECT_EQ(list->model()->rowCount(), 9);
        EXPECT_FALSE(list->ToggleCheck(7)) << "an eighth check";
        EXPECT_TRUE(list->ToggleCheck(0));
        list->SetSelectionMark(8);
        Click(&page, IDC_ARROWUP);
        EXPECT_EQ(list->GetSelectionMark(), 7);
        ui::FindControl(&page, IDC_NEW)->setFocus();
        Key(QApplication::focusWidget(), Qt::Key_Return);
        list->setFocus();
        list->SetSelectionMark(1);
        Key(list, Qt::Key_Down);
        EXPECT_EQ(list->GetSelectionMark(), 2);
        Key(list, Qt::Key_Space);
        Key(list, Qt::Key_Return);
        WaitFor([&dialog] { return !dialog.isVisible(); });
        return dialog.result();
    });
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(messages, QStringList({"A maximum of 7 Quick Links can be selected. Uncheck one of the "
                                     "current selections and then retry your choice."}));
    QFile expected(QStringLiteral(QSCUST_TEST_DATA "/quicklinks/after_ok.reg"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ((Export(kData) + Export(kUserDefined)).toStdString(), expected.readAll().toStdString());
}

// The parts of the user's store that OK may write.
QStringList Exports() { return {Export(kClient), Export(kClient2), Export(kData), Export(kData + ".2")}; }

// The names of the parts that differ from before, blank-separated.
QString Changed(const QStringList& before)
{
    const char* const names[] = {"Client", "Client.2", "Data", "Data.2"};
    const QStringList after = Exports();
    QStringList changed;
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (after[i] != before[i])
            changed << names[i];
    }
    return changed.join(' ');
}

// Only U1 is checked, so Edit and Delete stay off right after the load.
const char* const kList = "0020 9999 0001 0002";

struct StateCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    bool listEnabled, newEnabled, hideEnabled, hideChecked, adminEnabled, adminChecked;
    const char* written;
    // The line under the list; empty when it is hidden.
    res::StringId status;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

void SecondLayout(DWORD mode)
{
    SetLayoutMode(mode);
    PutClient(kList, kOrder2);
}

void AdminBoxChecked(const QString& dataKey) { PutDword(HKEY_LOCAL_MACHINE, dataKey, "AllowOnlyAdmin", 1); }

const res::StringId kNoStatus = res::StringId(0);
const StateCase kStateCases[] = {
    {"administrator", [](GuiEnvironment&) {}, true, true, true, false, true, false, "Client Data", kNoStatus},
    {"resource_center_hidden_allows_15", [](GuiEnvironment&) {
         PutDword(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::ResourceCenter), "HideGroup", 1);
     }, true, true, true, false, true, false, "Client Data", kNoStatus},
    {"layout_1_is_read_only", [](GuiEnvironment&) { SecondLayout(ql::kSecondLayoutReadOnly); AdminBoxChecked(kData + ".2"); },
     false, false, false, false, false, false, "", res::IDS_QUICKLINKS_LAYOUT_READ_ONLY},
    {"layout_2_writes", [](GuiEnvironment&) { SecondLayout(ql::kSecondLayout); }, true, true, false, false, true, false, "Client.2 Data.2", kNoStatus},
    {"layout_3_is_editable_and_writes_nothing", [](GuiEnvironment&) { SecondLayout(3); }, true, true, false, false, true, false, "", kNoStatus},
    {"elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, false, false, false, false, true, false, "Client Data",
     res::IDS_QUICKLINKS_ELEVATED},
    {"managed", [](GuiEnvironment&) {
         settings::SetManagedMode(true);
         PutClient(kList, kPolicyOrder, HKEY_LOCAL_MACHINE);
     }, false, false, false, false, false, false, "Client", res::IDS_QUICKLINKS_ADMIN_LOCK},
    {"user_with_the_admin_box", [](GuiEnvironment& env) { env.setRights(false, false); AdminBoxChecked(kData); },
     false, false, false, false, true, true, "Client Data", res::IDS_QUICKLINKS_ADMIN_LOCK},
    {"hide_policy_1", [](GuiEnvironment&) { PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "HideQLinks", 1); },
     true, true, false, true, true, false, "Client Data", kNoStatus},
    {"order_list_without_text_is_kept", [](GuiEnvironment&) { PutValue(HKEY_CURRENT_USER, kOrder, QString(), REG_SZ, QByteArray()); },
     false, false, true, false, true, false, "Data", res::IDS_QUICKLINKS_UNREADABLE},
    {"order_list_with_more_ids_than_a_save_holds_is_kept", [](GuiEnvironment&) {
         PutString(HKEY_CURRENT_USER, kOrder, QString(), QString("0001 ").repeated(ql::kMaxOrderedItems + 1).chopped(1));
     }, false, false, true, false, true, false, "Data", res::IDS_QUICKLINKS_TOO_LONG},
    {"no_order_key_is_never_made", [](GuiEnvironment&) {
         ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, kOrder), ERROR_SUCCESS);
     }, true, false, true, false, true, false, "Data", res::IDS_QUICKLINKS_NO_ORDER_KEY},
    {"new_at_the_limit", [](GuiEnvironment&) { PutString(HKEY_CURRENT_USER, kOrder, "9998", "I1"); PutString(HKEY_CURRENT_USER, kOrder, QString(), "0020 9999 9998"); },
     true, false, true, false, true, false, "Client Data", res::IDS_QUICKLINKS_FULL},
};

class PageStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(PageStateTest, ControlsAndWhatOkWrites)
{
    const StateCase& c = GetParam();
    GuiEnvironment env;
    PutClient(kList);
    c.setUp(env);
    const QStringList before = Exports();
    LoadedPage page;
    for (int id : {IDC_OUTPUTLIST, IDC_ARROWUP, IDC_ARROWDOWN, IDC_LIST_LABEL})
        EXPECT_EQ(Control(&page, id)->isEnabled(), c.listEnabled) << id;
    EXPECT_EQ(Control(&page, IDC_NEW)->isEnabled(), c.newEnabled);
    for (auto [id, enabledIcon, disabledIcon] : {std::tuple{IDC_ARROWUP, 138u, 135u}, {IDC_ARROWDOWN, 137u, 136u}})
        EXPECT_EQ(static_cast<CIconButton*>(Control(&page, id))->ShownIconId(), c.listEnabled ? enabledIcon : disabledIcon) << id;
    EXPECT_EQ(EditDelete(&page), "ed");
    EXPECT_TRUE(static_cast<QLabel*>(Control(&page, IDC_INTRO))->text().startsWith(QString("Select up to %1 ").arg(ql::MaxQuickLinks())));
    auto* status = static_cast<QLabel*>(Control(&page, IDC_LIST_STATUS));
    EXPECT_EQ(status->isVisibleTo(&page) ? status->text() : QString(), c.status ? res::LoadResString(c.status) : QString());
    EXPECT_EQ(page.HideBox()->isEnabled(), c.hideEnabled);
    EXPECT_EQ(page.HideBox()->isChecked(), c.hideChecked);
    EXPECT_EQ(page.AdminOnlyBox()->isEnabled(), c.adminEnabled);
    EXPECT_EQ(page.AdminOnlyBox()->isChecked(), c.adminChecked);
    EXPECT_FALSE(page.OnOK().Failed());
    EXPECT_EQ(Changed(before), c.written);
}

INSTANTIATE_TEST_SUITE_P(Situations, PageStateTest, testing::ValuesIn(kStateCases), [](const auto& info) { return std::string(info.param.name); });

// Before the first tick the list is empty: Edit and Delete find no row, and saving the empty
// list would wipe the stored one.
TEST(QuickLinksPage, EmptyListsKeepTheirButtons)
{
    GuiEnvironment env;
    PutClient(kList);
    {
        CQuickLinks page;
        page.CreatePage();
        ASSERT_FALSE(page.IsLoaded());
        env.setModalHandler([](QDialog&) -> int { ADD_FAILURE() << "no editor without a row"; return 0; });
        Click(&page, IDC_EDIT);
        Click(&page, IDC_DELETE);
        EXPECT_FALSE(page.OnOK().Failed());
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, QString()), kList);
    }
}

// As a screen reader finds the list: one item per row with its check as a state, a fixed check
// told apart, a toggle action under the page's rules.
TEST(QuickLinksPage, ScreenReaderReadsAndTogglesTheChecks)
{
    GuiEnvironment env;
    SetLayoutMode(ql::kSecondLayout);
    PutClient("0001 0002 0003 0004 0006 0007 0020 9999 0021", kOrder2);
    QStringList messages;
    env.setModalHandler([&messages](QDialog& dialog) { messages << static_cast<QMessageBox&>(dialog).text(); return int(QMessageBox::Ok); });
    LoadedPage page;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(page.List());
    ASSERT_EQ(list->childCount(), 8);
    const auto read = [list](int row) {
        QAccessibleInterface* item = list->child(row);
        const QAccessible::State s = item->state();
        return QString("%1 %2%3%4 %5").arg(item->text(QAccessible::Name)).arg(s.checkable).arg(s.checked).arg(s.readOnly)
            .arg(item->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    };
    EXPECT_EQ(read(0), "I1-2 111 0");
    EXPECT_EQ(list->child(0)->text(QAccessible::Description), res::LoadResString(res::IDS_QUICKLINK_FIXED));
    EXPECT_EQ(read(6), "U1-2 110 1");
    EXPECT_EQ(read(7), "U2-2 100 1");
    list->child(7)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(read(7), "U2-2 100 1") << "an eighth check";
    EXPECT_EQ(messages.size(), 1);
    list->child(6)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    list->child(7)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(read(6) + ", " + read(7), "U1-2 100 1, U2-2 110 1");

}

} // namespace

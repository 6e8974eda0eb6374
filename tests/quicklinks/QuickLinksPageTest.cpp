#include "ClientFixture.h"
#include "GuiTest.h"
#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "pagekit/IconButton.h"
#include "quicklinks/AddItem.h"
#include "quicklinks/QuickLinksPage.h"
#include "settings/ResourceIds.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

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
    return QString(Control(page, IDC_EDIT)->isEnabled() ? "E" : "e")
        + (Control(page, IDC_DELETE)->isEnabled() ? "D" : "d");
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
        if (auto* editor = qobject_cast<CAddItem*>(&dialog)) {
            static_cast<QLineEdit*>(ui::FindControl(editor, 1009))->setText("Terminal");
            static_cast<QLineEdit*>(ui::FindControl(editor, 1015))->setText("\"/usr/bin/xterm\" -e top");
            editor->OnOK();
            return editor->result();
        }
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
    const QString actual = Export(kData) + Export(kClient + "\\UserDefined");
    EXPECT_EQ(actual.toStdString(), expected.readAll().toStdString());
}

// The parts of the user's store that OK may write.
QStringList Exports()
{
    return {Export(kClient), Export(kClient2), Export(kData), Export(kData + ".2")};
}

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
    bool listEnabled, hideEnabled, hideChecked, adminEnabled, adminChecked;
    const char* written;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

void SecondLayout(DWORD mode)
{
    SetLayoutMode(mode);
    PutClient(kList, kOrder2);
}

void AdminBoxChecked(const QString& dataKey) { PutDword(HKEY_LOCAL_MACHINE, dataKey, "AllowOnlyAdmin", 1); }

const StateCase kStateCases[] = {
    {"administrator", [](GuiEnvironment&) {}, true, true, false, true, false, "Client Data"},
    {"resource_center_hidden_allows_15", [](GuiEnvironment&) {
         PutDword(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::ResourceCenter), "HideGroup", 1);
     }, true, true, false, true, false, "Client Data"},
    {"layout_1_is_read_only", [](GuiEnvironment&) { SecondLayout(1); AdminBoxChecked(kData + ".2"); },
     false, false, false, false, false, ""},
    {"layout_2_writes", [](GuiEnvironment&) { SecondLayout(2); }, true, false, false, true, false,
     "Client.2 Data.2"},
    {"layout_3_is_editable_and_writes_nothing", [](GuiEnvironment&) { SecondLayout(3); },
     true, false, false, true, false, ""},
    {"elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, false, false, false, true, false,
     "Client Data"},
    {"managed", [](GuiEnvironment&) {
         settings::SetManagedMode(true);
         PutClient(kList, kPolicyOrder, HKEY_LOCAL_MACHINE);
     }, false, false, false, false, false, "Client"},
    {"user_with_the_admin_box", [](GuiEnvironment& env) { env.setRights(false, false); AdminBoxChecked(kData); },
     false, false, false, true, true, "Client Data"},
    {"hide_policy_1", [](GuiEnvironment&) { PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "HideQLinks", 1); },
     true, false, true, true, false, "Client Data"},
    {"order_list_without_text_is_kept", [](GuiEnvironment&) {
         PutValue(HKEY_CURRENT_USER, kOrder, QString(), REG_SZ, QByteArray());
     }, false, true, false, true, false, "Data"},
    {"order_list_with_more_ids_than_a_save_holds_is_kept", [](GuiEnvironment&) {
         PutString(HKEY_CURRENT_USER, kOrder, QString(), QString("0001 ").repeated(52).chopped(1));
     }, false, true, false, true, false, "Data"},
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

    for (int id : {IDC_OUTPUTLIST, IDC_ARROWUP, IDC_ARROWDOWN, IDC_NEW, IDC_LIST_LABEL})
        EXPECT_EQ(Control(&page, id)->isEnabled(), c.listEnabled) << id;
    for (auto [id, enabledIcon, disabledIcon] : {std::tuple{IDC_ARROWUP, 138u, 135u}, {IDC_ARROWDOWN, 137u, 136u}})
        EXPECT_EQ(static_cast<CIconButton*>(Control(&page, id))->ShownIconId(),
                  c.listEnabled ? enabledIcon : disabledIcon) << id;
    EXPECT_EQ(EditDelete(&page), "ed");
    EXPECT_TRUE(static_cast<QLabel*>(Control(&page, IDC_INTRO))->text().startsWith(
        QString("Select up to %1 ").arg(ql::MaxQuickLinks())));
    EXPECT_EQ(page.HideBox()->isEnabled(), c.hideEnabled);
    EXPECT_EQ(page.HideBox()->isChecked(), c.hideChecked);
    EXPECT_EQ(page.AdminOnlyBox()->isEnabled(), c.adminEnabled);
    EXPECT_EQ(page.AdminOnlyBox()->isChecked(), c.adminChecked);

    EXPECT_FALSE(page.OnOK().Failed());
    EXPECT_EQ(Changed(before), c.written);
}

INSTANTIATE_TEST_SUITE_P(Situations, PageStateTest, testing::ValuesIn(kStateCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Before the first tick the list is empty: Edit and Delete find no row, and saving the empty
// list would wipe the stored one.
TEST(QuickLinksPage, BeforeTheLoadNothingIsTouched)
{
    GuiEnvironment env;
    PutClient(kList);
    CQuickLinks page;
    page.CreatePage();
    ASSERT_FALSE(page.IsLoaded());
    env.setModalHandler([](QDialog&) -> int { ADD_FAILURE() << "no editor without a row"; return 0; });
    Click(&page, IDC_EDIT);
    Click(&page, IDC_DELETE);
    EXPECT_FALSE(page.OnOK().Failed());
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, QString()), kList);
}

// Selecting a user item of two checked ones offers Edit and Delete. Edit replaces the row's name
// and marks the command as the editor's; Cancel changes nothing.
TEST(QuickLinksPage, EditThroughTheEditor)
{
    GuiEnvironment env;
    PutClient("0001 0020");
    LoadedPage page;
    page.List()->SetSelectionMark(1);
    EXPECT_EQ(EditDelete(&page), "ED");
    for (int answer : {QDialog::Rejected, QDialog::Accepted}) {
        env.setModalHandler([answer](QDialog& dialog) -> int {
            auto& editor = static_cast<CAddItem&>(dialog);
            EXPECT_EQ(static_cast<QLineEdit*>(ui::FindControl(&editor, 1009))->text(), "U1");
            static_cast<QLineEdit*>(ui::FindControl(&editor, 1009))->setText("Renamed");
            if (answer == QDialog::Accepted)
                editor.OnOK();
            return answer;
        });
        Click(&page, IDC_EDIT);
    }
    EXPECT_EQ(page.List()->model()->index(1, 1).data().toString(), "Renamed");
    EXPECT_EQ(page.Model().Item(1).ExecInterfaceType, 4u);
    EXPECT_EQ(page.Model().Item(1).KeyName, "UserDefined\\0001");
}

} // namespace

#include "app/CheckListCtrl.h"
#include "app/Controls.h"
#include "app/CustomizerApp.h"
#include "app/IconButton.h"
#include "app/QsCustSheet.h"
#include "quicklinks/AddItem.h"
#include "quicklinks/QuickLinksPage.h"
#include "registry/RegFileWriter.h"
#include "ClientFixture.h"
#include "GuiTest.h"

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

// The user's part of the store below a key, as the registry editor would export it.
QString Export(const QString& path)
{
    QByteArray file;
    if (ExportRegFile(Root::CurrentUser, path, &file) != ERROR_SUCCESS)
        return QStringLiteral("<missing>");
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), (file.size() - 2) / 2);
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Answers the page's questions: the maximum message is counted, the editor is filled and
// confirmed; the sheet itself runs body.
class SheetRun {
public:
    explicit SheetRun(GuiEnvironment& env) : m_env(env) {}

    void run(std::function<void(CQuickLinks&)> body)
    {
        m_env.setModalHandler([this, body](QDialog& dialog) -> int {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                messages << box->text();
                return QMessageBox::Ok;
            }
            if (auto* editor = qobject_cast<CAddItem*>(&dialog)) {
                static_cast<QLineEdit*>(ui::FindControl(editor, 1009))->setText(editorName);
                static_cast<QLineEdit*>(ui::FindControl(editor, 1015))->setText(editorCommand);
                editor->OnOK();
                return editor->result();
            }
            dialog.show();
            auto& page = *static_cast<CQuickLinks*>(static_cast<CQsCustSheet&>(dialog).GetPage(0));
            EXPECT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
            body(page);
            Key(&dialog, Qt::Key_Return);
            WaitFor([&dialog] { return !dialog.isVisible(); });
            return dialog.result();
        });
        CCustomizerApp app;
        app.InitInstance();
    }

    QStringList messages;
    QString editorName = QStringLiteral("Terminal");
    QString editorCommand = QStringLiteral("\"/usr/bin/xterm\" -e top");

private:
    GuiEnvironment& m_env;
};

// Check beyond the maximum, uncheck, move, New through the editor, keyboard moves and Space,
// then OK: the store holds exactly the expected order data and user items.
TEST(QuickLinksSheet, EditAndSaveThroughTheSheet)
{
    GuiEnvironment env;
    PutClient("0001 0002 0003 0004 0006 0007 0008 9999 0009 0020");
    PutString(HKEY_CURRENT_USER, kOrder, "0777", "Stale");
    SheetRun sheet(env);
    sheet.run([&](CQuickLinks& page) {
        CCheckListCtrl* list = page.List();
        ASSERT_EQ(list->model()->rowCount(), 9);
        EXPECT_FALSE(list->ToggleCheck(7)) << "an eighth check";
        EXPECT_TRUE(list->ToggleCheck(0));
        list->SetSelectionMark(8);
        Click(&page, 1004);
        EXPECT_EQ(list->GetSelectionMark(), 7);
        Click(&page, 1008);
        list->setFocus();
        list->SetSelectionMark(1);
        Key(list, Qt::Key_Down);
        EXPECT_EQ(list->GetSelectionMark(), 2);
        Key(list, Qt::Key_Space);
    });
    EXPECT_EQ(sheet.messages, QStringList({"A maximum of 7 Quick Links can be selected. Uncheck one of the "
                                           "current selections and then retry your choice."}));

    QFile expected(QStringLiteral(QSCUST_TEST_DATA "/quicklinks/after_ok.reg"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    const QString actual = Export("Software\\Orvane\\TALVEN\\Data\\QuickLink") + Export(kClient + "\\UserDefined");
    EXPECT_EQ(actual.toStdString(), expected.readAll().toStdString());
}

struct StateCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    bool listEnabled, hideEnabled, hideChecked, adminEnabled, adminChecked;
    // Whether OK changes anything under the user's TALVEN key.
    bool okWrites;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

void AdminBoxChecked(const QString& dataKey)
{
    PutDword(HKEY_LOCAL_MACHINE, dataKey, "AllowOnlyAdmin", 1);
}

const QString kData = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\QuickLink");

const StateCase kStateCases[] = {
    {"administrator", [](GuiEnvironment&) {}, true, true, false, true, false, true},
    {"layout_1_is_read_only", [](GuiEnvironment&) { SetLayoutMode(1); AdminBoxChecked(kData + ".2"); },
     false, false, false, false, false, false},
    {"layout_2_writes", [](GuiEnvironment&) { SetLayoutMode(2); }, true, false, false, true, false, true},
    {"layout_3_is_editable_and_writes_nothing", [](GuiEnvironment&) { SetLayoutMode(3); },
     true, false, false, true, false, false},
    {"elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, false, false, false, true, false, true},
    {"managed", [](GuiEnvironment&) {
         settings::SetManagedMode(true);
         PutClient("0001 0020", HKEY_LOCAL_MACHINE, kPolicyOrder);
     }, false, false, false, false, false, true},
    {"user_with_the_admin_box", [](GuiEnvironment& env) { env.setRights(false, false); AdminBoxChecked(kData); },
     false, false, false, true, true, true},
    {"hide_policy_1", [](GuiEnvironment&) {
         PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "HideQLinks", 1);
     }, true, false, true, true, false, true},
    {"unreadable_order_list", [](GuiEnvironment&) {
         PutValue(HKEY_CURRENT_USER, kOrder, QString(), REG_SZ, QByteArray(600, 'x'));
     }, false, true, false, true, false, true},
};

class PageStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(PageStateTest, ControlsAndWhatOkWrites)
{
    const StateCase& c = GetParam();
    GuiEnvironment env;
    PutClient("0001 0020 0002");
    c.setUp(env);
    const QString before = Export("Software\\Orvane\\TALVEN");
    CQuickLinks page;
    page.CreatePage();
    ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));

    for (int id : {1002, 1004, 1005, 1008, 1056})
        EXPECT_EQ(Control(&page, id)->isEnabled(), c.listEnabled) << id;
    EXPECT_TRUE(Control(&page, 1055)->isEnabled());
    EXPECT_TRUE(static_cast<QLabel*>(Control(&page, 1055))->text().startsWith("Select up to 7 "));
    EXPECT_EQ(page.HideBox()->isEnabled(), c.hideEnabled);
    EXPECT_EQ(page.HideBox()->isChecked(), c.hideChecked);
    EXPECT_EQ(page.AdminOnlyBox()->isEnabled(), c.adminEnabled);
    EXPECT_EQ(page.AdminOnlyBox()->isChecked(), c.adminChecked);
    if (!c.listEnabled) {
        EXPECT_FALSE(Control(&page, 1009)->isEnabled());
        EXPECT_FALSE(Control(&page, 1010)->isEnabled());
    }

    page.OnOK();
    const QString after = Export("Software\\Orvane\\TALVEN");
    EXPECT_EQ(after != before, c.okWrites);
    if (c.hideChecked && c.okWrites) {
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kData, "HideGroup"), 1u);
    }
    if (QString(c.name) == "unreadable_order_list") {
        EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kOrder, QString())->size(), 600);
        EXPECT_TRUE(ReadBytes(HKEY_CURRENT_USER, kOrder, "0020").has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Situations, PageStateTest, testing::ValuesIn(kStateCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QuickLinksPage, ButtonsAfterTheLoadAndAfterSelection)
{
    GuiEnvironment env;
    PutClient("0020 9999 0001 0021");
    CQuickLinks page;
    page.CreatePage();
    ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
    QWidget* edit = Control(&page, 1009);
    QWidget* remove = Control(&page, 1010);
    EXPECT_EQ(page.List()->GetSelectionMark(), 0);
    EXPECT_FALSE(edit->isEnabled()) << "one checked entry: the load rule disables both";
    EXPECT_FALSE(remove->isEnabled());
    page.List()->SetSelectionMark(2);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(remove->isEnabled());
    page.List()->SetSelectionMark(0);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_FALSE(remove->isEnabled()) << "the only checked entry";
    page.List()->SetSelectionMark(1);
    EXPECT_FALSE(edit->isEnabled()) << "built-in";

    auto* up = static_cast<CIconButton*>(Control(&page, 1004));
    auto* down = static_cast<CIconButton*>(Control(&page, 1005));
    EXPECT_EQ(up->ShownIconId(), 138u);
    EXPECT_EQ(down->ShownIconId(), 137u);
}

TEST(QuickLinksPage, EmptyListLeavesEditAndDeleteAlone)
{
    GuiEnvironment env;
    PutClient("");
    CQuickLinks page;
    page.CreatePage();
    ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
    env.setModalHandler([](QDialog&) -> int { ADD_FAILURE() << "no editor without a row"; return 0; });
    EXPECT_TRUE(Control(&page, 1009)->isEnabled());
    Click(&page, 1009);
    Click(&page, 1010);
    EXPECT_EQ(page.List()->model()->rowCount(), 0);
}

// Edit replaces the row's name and marks the command as the editor's; Cancel changes nothing.
TEST(QuickLinksPage, EditThroughTheEditor)
{
    GuiEnvironment env;
    PutClient("0001 0020");
    CQuickLinks page;
    page.CreatePage();
    ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
    page.List()->SetSelectionMark(1);
    int answer = QDialog::Rejected;
    env.setModalHandler([&answer](QDialog& dialog) -> int {
        auto& editor = static_cast<CAddItem&>(dialog);
        EXPECT_EQ(editor.windowTitle(), "Edit");
        EXPECT_EQ(static_cast<QLineEdit*>(ui::FindControl(&editor, 1009))->text(), "U1");
        static_cast<QLineEdit*>(ui::FindControl(&editor, 1009))->setText("Renamed");
        if (answer == QDialog::Accepted)
            editor.OnOK();
        return answer;
    });
    Click(&page, 1009);
    EXPECT_EQ(page.Model().Item(1).MenuString, "U1");
    EXPECT_EQ(page.Model().Item(1).ExecInterfaceType, 1u);
    answer = QDialog::Accepted;
    Click(&page, 1009);
    EXPECT_EQ(page.List()->model()->index(1, 1).data().toString(), "Renamed");
    EXPECT_EQ(page.Model().Item(1).ExecInterfaceType, 4u);
    EXPECT_EQ(page.Model().Item(1).KeyName, "UserDefined\\0001");
}

} // namespace

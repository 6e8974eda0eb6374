#include "ClientFixture.h"
#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "quicklinks/AddItem.h"
#include "quicklinks/FilePath.h"
#include "clientitems/OrderList.h"
#include "quicklinks/QuickLinksPage.h"
#include "settings/StringTable.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace reg;
using namespace fixture;

namespace {

using namespace res::quicklinks;
using res::additem::IDC_FILEURL;
using res::additem::IDC_NAME;

template <class T = QWidget>
T& Ctl(QWidget& parent, int id) { return *qobject_cast<T*>(Control(&parent, id)); }

// Check beyond the maximum, uncheck, move, New through the editor, keyboard moves and Space,
// then OK: the store holds exactly the expected order data and user items.
TEST(QuickLinksSheet, EditAndSaveThroughTheSheet)
{
    GuiEnvironment env;
    PutClient("0001 0002 0003 0004 0006 0007 0008 9999 0009 0020");
    PutString(HKEY_CURRENT_USER, kOrder, "0777", "Stale");
    // Message boxes are answered OK, the editor types a name and a command and closes with OK.
    QStringList messages;
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            messages << box->text();
            return QMessageBox::Ok;
        }
        if (auto* editor = qobject_cast<CAddItem*>(&dialog)) {
            Ctl<QLineEdit>(*editor, IDC_NAME).setText("Terminal");
            Ctl<QLineEdit>(*editor, IDC_FILEURL).setText("\"/usr/bin/xterm\" -e top");
            editor->OnOK();
            return editor->result();
        }
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.show();
        auto& page = *static_cast<CQuickLinks*>(sheet.GetPage(0));
        EXPECT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
        CCheckListCtrl* list = page.List();
        EXPECT_EQ(QApplication::focusWidget(), list) << "the list takes the focus when the sheet opens";
        EXPECT_FALSE(list->ToggleCheck(7)) << "an eighth check";
        EXPECT_TRUE(list->ToggleCheck(0));
        list->SetSelectionMark(8);
        Ctl<QPushButton>(page, IDC_ARROWUP).click();
        Ctl(page, IDC_NEW).setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        list->setFocus();
        list->SetSelectionMark(1);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Space);
        QTest::keyClick(list, Qt::Key_Return);
        WaitFor([&sheet] { return !sheet.isVisible(); });
        return sheet.result();
    });
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 1);
    EXPECT_EQ(messages, QStringList({"A maximum of 7 Quick Links can be selected. Uncheck one of the "
                                     "current selections and then retry your choice."}));
    EXPECT_EQ((Export(kData) + Export(kUserDefined)).toStdString(), FileText(QSCUST_TEST_DATA "/quicklinks/after_ok.reg").toStdString());
}

const char* const kList = "0020 9999 0001 0002";

void SecondLayout(DWORD mode)
{
    SetLayoutMode(mode);
    PutClient(kList, kOrder2);
}

// The list's controls, the boxes, the line under the list, and which parts of the user's store
// OK writes. Only U1 is checked, so Edit and Delete stay off right after the load.
TEST(QuickLinksPage, ControlsAndWhatOkWrites)
{
    const res::StringId none = res::StringId(0);
    // controls: the list with its arrows and label (one letter each), New, the Hide box and the
    // administrator box, upper case where enabled; status: the line under the
    // list, none when it is hidden.
    const struct { const char* name; std::function<void(GuiEnvironment&)> setUp; const char *controls, *written; res::StringId status; } cases[] = {
        {"administrator", [](GuiEnvironment&) {}, "LLLL N H A", "Client Data", none},
        {"layout_1_is_read_only", [](GuiEnvironment&) { SecondLayout(ql::kSecondLayoutReadOnly); },
         "llll n h a", "", res::IDS_QUICKLINKS_LAYOUT_READ_ONLY},
        {"layout_2_writes", [](GuiEnvironment&) { SecondLayout(ql::kSecondLayout); }, "LLLL N h A", "Client.2 Data.2", none},
        {"layout_3_is_editable_and_writes_nothing", [](GuiEnvironment&) { SecondLayout(3); }, "LLLL N h A", "", none},
        {"elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, "llll n h A", "Client Data", res::IDS_QUICKLINKS_ELEVATED},
        {"managed", [](GuiEnvironment&) { settings::SetManagedMode(true); PutClient(kList, kPolicyOrder, HKEY_LOCAL_MACHINE); },
         "llll n h a", "Client", res::IDS_QUICKLINKS_ADMIN_LOCK},
        {"order_list_without_text_is_kept", [](GuiEnvironment&) { PutValue(HKEY_CURRENT_USER, kOrder, QString(), REG_SZ, {}); },
         "llll n H A", "Data", res::IDS_QUICKLINKS_UNREADABLE},
        {"order_list_with_more_ids_than_a_save_holds_is_kept", [](GuiEnvironment&) {
             PutString(HKEY_CURRENT_USER, kOrder, QString(), QString("0001 ").repeated(ql::kMaxOrderedItems + 1).chopped(1));
         }, "llll n H A", "Data", res::IDS_QUICKLINKS_TOO_LONG},
        {"no_order_key_is_never_made", [](GuiEnvironment&) { ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, kOrder), ERROR_SUCCESS); },
         "LLLL n H A", "Data", res::IDS_QUICKLINKS_NO_ORDER_KEY},
        {"new_at_the_limit", [](GuiEnvironment&) {
             PutString(HKEY_CURRENT_USER, kOrder, "9998", "I1");
             PutString(HKEY_CURRENT_USER, kOrder, QString(), "0020 9999 9998");
         }, "LLLL n H A", "Client Data", res::IDS_QUICKLINKS_FULL},
    };
    const QString parts[] = {kClient, kClient2, kData, kData + ".2"};
    const auto letter = [](const QWidget& control, char c) { return QChar::fromLatin1(control.isEnabled() ? QChar::toUpper(c) : c); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        PutClient(kList);
        c.setUp(env);
        QStringList before;
        for (const QString& part : parts)
            before << Export(part);
        CQuickLinks page;
        page.CreatePage();
        ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
        QString controls;
        for (int id : {IDC_OUTPUTLIST, IDC_ARROWUP, IDC_ARROWDOWN, IDC_LIST_LABEL})
            controls += letter(Ctl(page, id), 'l');
        controls += QString(" %1 %2 %3").arg(letter(Ctl(page, IDC_NEW), 'n'), letter(*page.HideBox(), 'h'), letter(*page.AdminOnlyBox(), 'a'));
        EXPECT_EQ(controls, c.controls);
        EXPECT_FALSE(Ctl(page, IDC_EDIT).isEnabled() || Ctl(page, IDC_DELETE).isEnabled());
        auto& status = Ctl<QLabel>(page, IDC_LIST_STATUS);
        EXPECT_EQ(status.isVisibleTo(&page) ? status.text() : QString(), c.status ? res::LoadResString(c.status) : QString());
        EXPECT_FALSE(page.OnOK().Failed());
        QStringList changed;
        for (qsizetype i = 0; i < before.size(); ++i)
            changed << (Export(parts[i]) == before[i] ? QString() : QString(parts[i]).section('\\', -1).replace("QuickLink", "Data"));
        changed.removeAll(QString());
        EXPECT_EQ(changed.join(' '), c.written);
    }
}

// Before the first tick the list is empty: saving it would wipe the stored one.
TEST(QuickLinksPage, OkBeforeTheLoadKeepsTheList)
{
    GuiEnvironment env;
    PutClient(kList);
    CQuickLinks page;
    page.CreatePage();
    ASSERT_FALSE(page.IsLoaded());
    EXPECT_FALSE(page.OnOK().Failed());
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOrder, QString()), kList);
}

// As a screen reader finds the list: one item per row with its check as a state, a fixed check
// told apart, a toggle action under the page's rules (the sheet's test meets their refusal).
TEST(QuickLinksPage, ScreenReaderReadsAndTogglesTheChecks)
{
    GuiEnvironment env;
    SetLayoutMode(ql::kSecondLayout);
    PutClient("0001 0002 0003 0004 0006 0007 0020 9999 0021", kOrder2);
    CQuickLinks page;
    page.CreatePage();
    ASSERT_TRUE(WaitFor([&page] { return page.IsLoaded(); }));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(page.List());
    ASSERT_EQ(list->childCount(), 8);
    const auto read = [list](int row) {
        QAccessibleInterface* item = list->child(row);
        const QAccessible::State s = item->state();
        return QString("%1 %2%3%4 %5").arg(item->text(QAccessible::Name)).arg(s.checkable).arg(s.checked).arg(s.readOnly)
            .arg(item->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    };
    const auto toggle = [list](int row) { list->child(row)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction()); };
    EXPECT_EQ(read(0) + ", " + read(6) + ", " + read(7), "I1-2 111 0, U1-2 110 1, U2-2 100 1");
    EXPECT_EQ(list->child(0)->text(QAccessible::Description), res::LoadResString(res::IDS_QUICKLINK_FIXED));
    toggle(6);
    toggle(7);
    EXPECT_EQ(read(6) + ", " + read(7), "U1-2 100 1, U2-2 110 1");
}

// Return closes the editor with OK only while both boxes hold text, and OK writes only the name
// and the command. typed: an empty text clears the box.
TEST(AddItem, BoxesAndReturn)
{
    const ClientItem record{"Notes", "\"/usr/bin/gedit\" -s", "HKCU\\UserDefined\\0001", "UserDefined\\0001", "0020", 7, 1};
    const struct { QString typedName, typedCommand, nameBox, commandBox; bool ok; } cases[] = {
        {QString(40, u'n'), QString(300, u'c'), QString(32, u'n'), QString(260, u'c'), true},
        {"Notes", "", "Notes", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ok);
        GuiEnvironment env;
        env.setModalHandler(ShowAndRun([&c](QDialog& editor) {
            auto& name = Ctl<QLineEdit>(editor, IDC_NAME);
            auto& command = Ctl<QLineEdit>(editor, IDC_FILEURL);
            for (auto [box, text] : {std::pair{&name, c.typedName}, {&command, c.typedCommand}}) {
                box->selectAll();
                text.isEmpty() ? QTest::keyClick(box, Qt::Key_Delete) : QTest::keyClicks(box, text);
            }
            EXPECT_EQ(std::pair(name.text(), command.text()), std::pair(c.nameBox, c.commandBox));
            EXPECT_EQ(Ctl<QPushButton>(editor, res::IDOK).isEnabled(), c.ok);
            EXPECT_GE(command.width(), name.width()) << "a command line is the longer text";
            QTest::keyClick(&name, Qt::Key_Return);
            if (editor.isVisible())
                editor.reject();
        }));
        ClientItem item = record;
        EXPECT_EQ(CAddItem(item).DoModal(), c.ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(std::tie(item.MenuString, item.ExecInterface, item.KeyPath, item.Category),
                  std::tuple(c.ok ? c.nameBox : record.MenuString, c.ok ? c.commandBox.left(259) : record.ExecInterface,
                           record.KeyPath, record.Category));
    }
}

TEST(FilePath, WhatACommandNames)
{
    // "{dir}" holds the file "my app"; QSCUST_DIR names it, QSCUST_LONG has 300 characters.
    const QTemporaryDir dir;
    ASSERT_TRUE(QFile(dir.filePath("my app")).open(QIODevice::WriteOnly));
    qputenv("QSCUST_DIR", dir.path().toLocal8Bit());
    qputenv("QSCUST_LONG", QByteArray(300, 'x'));
    const auto resolve = [&](const char* text) { return QString::fromUtf8(text).replace("{dir}", dir.path()); };
    const struct { const char *text, *expected; } cases[] = {
        {"C:\\Tools\\x.exe", "path"},
        {"svn+ssh.2-x:host", "url"},
        {"\"%QSCUST_DIR%/my app\" -option", "{dir}/my app"},
        {"\"{dir}/my app\" %QSCUST_LONG%", ""},
    };
    for (const auto& c : cases) {
        const QString text = resolve(c.text);
        EXPECT_EQ(text.contains('/') ? ql::CheckFilePath(text) : ql::PathIsURL(text) ? "url" : "path", resolve(c.expected)) << c.text;
    }
    qunsetenv("QSCUST_DIR");
    qunsetenv("QSCUST_LONG");
}

} // namespace

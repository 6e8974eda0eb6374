#include "GuiTest.h"
#include "SchemeFixture.h"
#include "appearance/AppearancePage.h"
#include "appearance/CreateScheme.h"
#include "pagekit/Controls.h"
#include "settings/Settings.h"
#include "settings/StringTable.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;
using namespace res::appearance;

namespace {

QWidget* Control(QWidget* parent, int id) { return ui::FindControl(parent, id); }
void Click(QWidget* parent, int id) { static_cast<QAbstractButton*>(Control(parent, id))->click(); }

QString Texts(const SchemeListModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.Text(row);
    return texts.join(u'|');
}

int Row(const SchemeListModel& model, const QString& keyName)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.Item(row).KeyName == keyName)
            return row;
    }
    return -1;
}

TEST(SchemeListModelTest, SortsWithTheMarkerAndMovesItOnApply)
{
    GuiEnvironment env;
    const int before = SchemeSignals();
    PutCurrent("beta");
    for (const char* name : {"zeta", "Alpha", "beta", "beta  (Apple)", "VelkorDefaultScheme02"})
        PutUserScheme(name);
    PutString(HKEY_CURRENT_USER, kRoot + "\\Broken", "BgImage", QString(300, 'x'));
    SchemeListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.LoadSchemeList({});
    EXPECT_EQ(Texts(model), "Alpha|beta  (Apple)|beta  (Using)|Broken|Default - Black|Default - White|zeta");
    EXPECT_EQ(model.InitialRow(), 2);
    // "ed" per row, upper case where allowed: built-ins, the scheme in use and one that could
    // not be read are never deleted; nothing is edited for someone the box keeps out.
    QString buttons;
    for (int row = 0; row < model.rowCount(); ++row) {
        const SchemeListModel::Buttons b = model.ButtonsFor(row, true);
        buttons += QString(b.edit ? "E" : "e") + (b.remove ? "D" : "d") + (model.ButtonsFor(row, false).edit ? "!" : " ");
    }
    EXPECT_EQ(buttons, "ED ED Ed ed ed ed ED ");
    ASSERT_EQ(model.ApplyScheme(6), ERROR_SUCCESS);
    EXPECT_EQ(Texts(model), "Alpha|beta  (Apple)|beta|Broken|Default - Black|Default - White|zeta  (Using)");
    EXPECT_EQ(QString("%1%2").arg(model.ButtonsFor(6, true).remove).arg(model.ButtonsFor(2, true).remove), "01");
    EXPECT_EQ(SchemeSignals() - before, 1);
}

struct PageCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    // List, New, Edit, Delete, Apply and the administrator-only box with "Mine" selected; upper
    // case where enabled; then the line under the list.
    const char* controls;
    unsigned status;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

const PageCase kPageCases[] = {
    {"user", [](GuiEnvironment& env) { env.setRights(false, false); }, "LNEDAB", 0},
    {"user_kept_out_by_the_box", [](GuiEnvironment& env) {
         env.setRights(false, false);
         PutDword(HKEY_LOCAL_MACHINE, kRoot, "AllowOnlyAdmin", 1);
     }, "lnedaB", IDS_SCHEMES_ADMIN_LOCK},
    {"elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, "lnedaB", IDS_SCHEMES_ELEVATED},
    {"managed", [](GuiEnvironment&) {
         settings::SetManagedMode(true);
         PutScheme(HKEY_LOCAL_MACHINE, kPolicyRoot, "Mine", 0, 0, 0, "", "");
     }, "lnedab", IDS_SCHEMES_MANAGED},
};

class AppearancePageState : public testing::TestWithParam<PageCase> {};

TEST_P(AppearancePageState, LocksAndButtons)
{
    const PageCase& c = GetParam();
    GuiEnvironment env;
    PutCurrent("VelkorDefaultScheme01");
    PutUserScheme("Mine");
    c.setUp(env);
    CAppearance page;
    page.CreatePage();
    page.Select(Row(page.Model(), "Mine"));
    QString controls;
    for (auto [id, letter] : {std::pair{int(IDC_SCHEMELIST), 'L'}, {IDC_NEW, 'N'}, {IDC_EDIT, 'E'}, {IDC_DELETE, 'D'}, {IDC_APPLY, 'A'}, {res::IDC_ADMINONLY, 'B'}})
        controls += Control(&page, id)->isEnabled() ? QChar(letter) : QChar(letter).toLower();
    EXPECT_EQ(controls, c.controls);
    EXPECT_EQ(static_cast<QLabel*>(Control(&page, IDC_LIST_STATUS))->text(), c.status ? res::LoadResString(c.status) : QString());
}

INSTANTIATE_TEST_SUITE_P(Cases, AppearancePageState, testing::ValuesIn(kPageCases),
                         [](const testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

// A press, then the double click the window system makes of a second one.
void DoubleClick(QListView* list, const QModelIndex& index)
{
    const QPoint at = list->visualRect(index).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
        QMouseEvent event(type, at, list->mapToGlobal(at), Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &event);
    }
}

// The editor's answers: New gets a name, a colour and a picture through the choosers; Edit
// switches the masthead off.
int AnswerEditor(QDialog& dialog, const QString& picture, QStringList& seen)
{
    if (auto* chooser = qobject_cast<QColorDialog*>(&dialog)) {
        chooser->setCurrentColor(QColor(0x11, 0x22, 0x33));
        return QDialog::Accepted;
    }
    if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
        files->selectFile(picture);
        return QDialog::Accepted;
    }
    auto& editor = static_cast<CCreateScheme&>(dialog);
    seen << editor.windowTitle() + ':' + static_cast<QLineEdit*>(Control(&editor, createscheme::IDC_SECONDARY))->text();
    if (editor.IsNew()) {
        static_cast<QLineEdit*>(Control(&editor, createscheme::IDC_NAME))->setText("Dusk");
        Click(&editor, createscheme::IDC_FONTCOLOR);
        Click(&editor, createscheme::IDC_BROWSE_PRIMARY);
    } else {
        Click(&editor, createscheme::IDC_MASTHEAD);
    }
    Click(&editor, res::IDOK);
    return editor.result();
}

// Apply and double click write at once and tell the client once each; New, Edit (of a scheme
// whose secondary picture is gone) and Delete write at once and tell nobody; OK adds the
// administrator-only flag. The store after each step is in data/sheet_<step>.reg.
TEST(AppearanceSheet, EveryButtonWritesAtOnce)
{
    GuiEnvironment env;
    const int before = SchemeSignals();
    QTemporaryDir pictures;
    PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), pictures.path());
    for (const char* name : {"ocean.png", "gone.png", "sunset.png", "dusk.png"})
        Touch(pictures.filePath(name));
    PutCurrent("Ocean");
    PutScheme(HKEY_CURRENT_USER, kRoot, "VelkorDefaultScheme01", 0xFFFFFF, 0, 1, "black.png", "");
    PutUserScheme("Ocean", pictures.filePath("ocean.png"), pictures.filePath("gone.png"));
    PutUserScheme("Sunset", pictures.filePath("sunset.png"));
    QFile::remove(pictures.filePath("gone.png"));
    const auto step = [&](const char* name) { EXPECT_EQ(Stored(pictures.path()), Expected(QStringLiteral("sheet_%1.reg").arg(name), Stored(pictures.path()))); };
    QStringList seen;
    env.setModalHandler([&](QDialog& dialog) {
        auto* sheet = qobject_cast<CQsCustSheet*>(&dialog);
        if (!sheet)
            return AnswerEditor(dialog, pictures.filePath("dusk.png"), seen);
        dialog.show();
        sheet->SetActivePage(3);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
        auto& page = *static_cast<CAppearance*>(sheet->GetPage(3));
        page.Select(Row(page.Model(), "Sunset"));
        Click(&page, IDC_APPLY);
        EXPECT_EQ(QString("%1 %2").arg(Control(&page, IDC_DELETE)->isEnabled()).arg(SchemeSignals() - before), "0 1");
        DoubleClick(page.List(), page.Model().index(Row(page.Model(), "VelkorDefaultScheme01")));
        EXPECT_EQ(Texts(page.Model()), "Default - Black  (Using)|Ocean|Sunset");
        EXPECT_EQ(QString("%1 %2").arg(Control(&page, IDC_DELETE)->isEnabled()).arg(SchemeSignals() - before), "0 2");
        step("apply");
        Click(&page, IDC_NEW);
        page.Select(Row(page.Model(), "Ocean"));
        Click(&page, IDC_EDIT);
        page.Select(Row(page.Model(), "Sunset"));
        Click(&page, IDC_DELETE);
        EXPECT_EQ(Texts(page.Model()), "Default - Black  (Using)|Dusk|Ocean");
        step("new_edit_delete");
        sheet->accept();
        return sheet->result();
    });
    CCustomizerApp app;
    app.InitInstance();
    step("ok");
    EXPECT_EQ(seen, QStringList({"New:", "Edit:"}));
    EXPECT_EQ(SchemeSignals() - before, 2);
}

} // namespace

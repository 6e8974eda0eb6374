#include "GuiTest.h"
#include "SchemeFixture.h"
#include "appearance/AppearancePage.h"
#include "appearance/CreateScheme.h"
#include "pagekit/Controls.h"
#include "settings/Settings.h"
#include "settings/StringTable.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QMouseEvent>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace reg;
using namespace fixture;
using namespace res::appearance;

namespace {

QWidget* Control(QWidget* parent, int id) { return ui::FindControl(parent, id); }
void Click(QWidget* parent, int id) { static_cast<QAbstractButton*>(Control(parent, id))->click(); }
QLineEdit* Edit(QWidget* parent, int id) { return static_cast<QLineEdit*>(Control(parent, id)); }

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
    const int before = SchemeSignals::Received();
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
    EXPECT_EQ(model.ButtonsFor(6, true).remove, false);
    EXPECT_EQ(model.ButtonsFor(2, true).remove, true);
    EXPECT_EQ(SchemeSignals::Received() - before, 1);
}

struct PageCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    // List, New, Edit, Delete, Apply and the administrator-only box with "Mine" selected; upper
    // case where enabled.
    const char* controls;
    unsigned status;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

void CheckAdminBox(GuiEnvironment&) { PutDword(HKEY_LOCAL_MACHINE, kRoot, "AllowOnlyAdmin", 1); }

const PageCase kPageCases[] = {
    {"administrator", [](GuiEnvironment&) {}, "LNEDAB", 0},
    {"user", [](GuiEnvironment& env) { env.setRights(false, false); }, "LNEDAB", 0},
    {"user_kept_out_by_the_box", [](GuiEnvironment& env) { env.setRights(false, false); CheckAdminBox(env); }, "lnedaB", IDS_SCHEMES_ADMIN_LOCK},
    {"administrator_with_the_box", CheckAdminBox, "LNEDAB", 0},
    {"elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, "lnedaB", IDS_SCHEMES_ELEVATED},
    {"managed", [](GuiEnvironment&) {
         settings::SetManagedMode(true);
         PutUserScheme("Mine");
         PutScheme(HKEY_LOCAL_MACHINE, kPolicyRoot, "Mine", 0, 0, 0, "", "");
     }, "lnedab", IDS_SCHEMES_MANAGED},
    {"user_store_read_only", [](GuiEnvironment& env) { env.store.setReadOnly(Root::CurrentUser, true); }, "LNEDAB", 0},
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
    const std::pair<int, char> ids[] = {{IDC_SCHEMELIST, 'L'}, {IDC_NEW, 'N'}, {IDC_EDIT, 'E'}, {IDC_DELETE, 'D'}, {IDC_APPLY, 'A'}, {res::IDC_ADMINONLY, 'B'}};
    for (auto [id, letter] : ids)
        controls += Control(&page, id)->isEnabled() ? QChar(letter) : QChar(letter).toLower();
    EXPECT_EQ(controls, c.controls);
    EXPECT_EQ(static_cast<QLabel*>(Control(&page, IDC_LIST_STATUS))->text(), c.status ? res::LoadResString(c.status) : QString());
}

INSTANTIATE_TEST_SUITE_P(Cases, AppearancePageState, testing::ValuesIn(kPageCases),
                         [](const testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

// The store after a scenario, with the pictures' folder named "<pictures>".
QString Stored(const QString& pictures)
{
    QString stored = Export(Root::CurrentUser) + Export(Root::LocalMachine);
    return stored.replace(pictures, "<pictures>");
}

QString Expected(const char* name)
{
    QFile file(QStringLiteral(APPEARANCE_TEST_DATA "/%1.reg").arg(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

// Ocean (in use) and Sunset with pictures, the two built-ins with bare names.
struct Schemes {
    Schemes()
    {
        PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), pictures.path());
        QDir(pictures.path()).mkpath("Image");
        for (const char* name : {"Image/black.png", "ocean.png", "gone.png", "sunset.png", "dusk.png"})
            MakePicture(pictures.path(), name);
        PutCurrent("Ocean");
        PutScheme(HKEY_CURRENT_USER, kRoot, "VelkorDefaultScheme01", 0xFFFFFF, 0, 1, "black.png", "");
        PutScheme(HKEY_CURRENT_USER, kRoot, "VelkorDefaultScheme02", 0, 0xFFFFFF, 1, "white.png", "");
        PutUserScheme("Ocean", Path("ocean.png"), Path("gone.png"));
        PutUserScheme("Sunset", Path("sunset.png"));
        QFile::remove(Path("gone.png"));
    }
    QString Path(const char* name) const { return pictures.filePath(name); }
    QTemporaryDir pictures;
};

// A press, then the double click the window system makes of a second one.
void DoubleClick(QWidget* widget, QPoint at)
{
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(widget, &event);
    }
}

int UsingCount(const SchemeListModel& model) { return int(Texts(model).count("(Using)")); }

// Apply and double click write at once and tell the client once each; OK adds the box's flag.
TEST(AppearanceSheet, ApplyAndDoubleClick)
{
    GuiEnvironment env;
    const int before = SchemeSignals::Received();
    Schemes schemes;
    env.setModalHandler([&](QDialog& dialog) {
        dialog.show();
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.SetActivePage(3);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&sheet));
        auto& page = *static_cast<CAppearance*>(sheet.GetPage(3));
        page.Select(Row(page.Model(), "Sunset"));
        Click(&page, IDC_APPLY);
        EXPECT_EQ(UsingCount(page.Model()), 1);
        EXPECT_FALSE(Control(&page, IDC_DELETE)->isEnabled());
        EXPECT_EQ(SchemeSignals::Received() - before, 1);
        const QModelIndex black = page.Model().index(Row(page.Model(), "VelkorDefaultScheme01"));
        DoubleClick(page.List()->viewport(), page.List()->visualRect(black).center());
        EXPECT_EQ(Texts(page.Model()), "Default - Black  (Using)|Default - White|Ocean|Sunset");
        EXPECT_FALSE(Control(&page, IDC_DELETE)->isEnabled());
        EXPECT_EQ(SchemeSignals::Received() - before, 2);
        sheet.accept();
        return sheet.result();
    });
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(Stored(schemes.pictures.path()), Expected("apply"));
}

// New with a colour and a picture through the choosers, Edit of a scheme whose secondary picture
// is gone, Delete: each writes at once, none tells the client.
TEST(AppearancePage, NewEditDelete)
{
    GuiEnvironment env;
    const int before = SchemeSignals::Received();
    Schemes schemes;
    CAppearance page;
    page.CreatePage();
    QStringList seen;
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* chooser = qobject_cast<QColorDialog*>(&dialog)) {
            chooser->setCurrentColor(QColor(0x11, 0x22, 0x33));
            return QDialog::Accepted;
        }
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->selectFile(schemes.Path("dusk.png"));
            return QDialog::Accepted;
        }
        auto& editor = static_cast<CCreateScheme&>(dialog);
        seen << editor.windowTitle() + ':' + Edit(&editor, createscheme::IDC_SECONDARY)->text();
        if (editor.IsNew()) {
            Edit(&editor, createscheme::IDC_NAME)->setText("Dusk");
            Click(&editor, createscheme::IDC_FONTCOLOR);
            Click(&editor, createscheme::IDC_BROWSE_PRIMARY);
        } else {
            Click(&editor, createscheme::IDC_MASTHEAD);
        }
        Click(&editor, res::IDOK);
        return editor.result();
    });
    Click(&page, IDC_NEW);
    page.Select(Row(page.Model(), "Ocean"));
    Click(&page, IDC_EDIT);
    page.Select(Row(page.Model(), "Sunset"));
    Click(&page, IDC_DELETE);
    EXPECT_EQ(seen, QStringList({"New:", "Edit:"}));
    EXPECT_EQ(Texts(page.Model()), "Default - Black|Default - White|Dusk|Ocean  (Using)");
    EXPECT_EQ(Stored(schemes.pictures.path()), Expected("new_edit_delete"));
    EXPECT_EQ(SchemeSignals::Received() - before, 0);
}

} // namespace

// The scheme store over a real store, the list's rules, the page, the editor and the sheet, with
// a private session bus that counts the scheme-change signals. Expected outputs are in data/.
#include "GuiTest.h"
#include "StoreValues.h"
#include "appearance/AppearancePage.h"
#include "appearance/CreateScheme.h"
#include "appearance/SchemeStore.h"
#include "platform/Broadcast.h"
#include "settings/PageSave.h"
#include "settings/Settings.h"
#include "settings/StringTable.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAbstractItemModelTester>
#include <QColorDialog>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

namespace {

using namespace reg;
using namespace res::appearance;

const QString kRoot = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\Appearance");

void PutScheme(const QString& keyName, const QString& image = "sky.png", const QString& osd = {}, HKEY root = HKEY_CURRENT_USER,
               const QString& rootPath = kRoot)
{
    for (auto [name, value] : {std::pair{"FgColor", 0xFFFFFFu}, {"BgColor", 0x102030u}, {"UseMastHead", 1u}})
        PutDword(root, rootPath + u'\\' + keyName, name, value);
    PutString(root, rootPath + u'\\' + keyName, "BgImage", image);
    PutString(root, rootPath + u'\\' + keyName, "BgImageOSD", osd);
}
void PutCurrent(const QString& keyName) { PutString(HKEY_CURRENT_USER, kRoot, QString(), keyName); }
void Touch(const QString& path) { EXPECT_TRUE(QFile(path).open(QIODevice::WriteOnly)) << path.toStdString(); }
QLineEdit* Edit(QWidget* parent, int id) { return static_cast<QLineEdit*>(Control(parent, id)); }

// Both roots, the user's below the scheme root, as the registry editor exports them.
QString Stored(const QString& pictures = "<none>")
{
    QString text;
    for (const auto& [root, path] : {std::pair{Root::CurrentUser, kRoot}, {Root::LocalMachine, QStringLiteral("Software")}}) {
        const QString exported = ExportText(root, path);
        text += exported == "<missing>" ? exported + "\n" : exported;
    }
    return text.replace(pictures, "<pictures>");
}

void ExpectData(const QString& name, const QString& actual) { EXPECT_EQ(actual, FileText(APPEARANCE_TEST_DATA "/" + name)) << qPrintable(name); }

class Counter : public QObject {
    Q_OBJECT
public:
    int schemes = 0, pings = 0;
public Q_SLOTS:
    void received(const QDBusMessage& message) { ++(message.member() == platform::kSchemeChangeMessage ? schemes : pings); }
};

// Scheme-change signals received on the process's own session bus (started on first use, ended
// with the process), once every signal sent before the call arrived. Call it before anything is sent.
int SchemeSignals()
{
    static Counter* counter = [] {
        auto* daemon = new QProcess;
        daemon->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon->start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        EXPECT_TRUE(daemon->waitForReadyRead(5000));
        const QByteArray address = daemon->readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection listener = QDBusConnection::connectToBus(QString::fromUtf8(address), "listener");
        auto* counter = new Counter;
        for (const QString& member : {platform::kSchemeChangeMessage, QStringLiteral("Ping")})
            listener.connect({}, platform::kBroadcastPath, platform::kBroadcastInterface, member, counter, SLOT(received(QDBusMessage)));
        return counter;
    }();
    static int sent = 0;
    // Signals from one connection arrive in order: once the ping is in, so is all before it.
    QDBusConnection::sessionBus().send(QDBusMessage::createSignal(platform::kBroadcastPath, platform::kBroadcastInterface, "Ping"));
    EXPECT_TRUE(WaitFor([target = ++sent] { return counter->pings >= target; }));
    return counter->schemes;
}

// One line per scheme in the store's order: "key 'display' fg bg mast 'image' 'osd' [unreadable]",
// then "in use: current [unreadable]".
QString Load()
{
    const scheme::SchemeList list = scheme::LoadSchemes(settings::GetInstallPath());
    QString text;
    for (const SchemeItem& s : list.items)
        text += QStringLiteral("%1 '%2' %3 %4 %5 '%6' '%7'%8\n").arg(s.KeyName, s.DisplayName).arg(s.FgColor, 0, 16).arg(s.BgColor, 0, 16)
                    .arg(s.UseMastHead).arg(s.BgImage, s.BgImageOSD, s.Unreadable ? " unreadable" : "");
    return text + "in use: " + list.current + (list.unreadable ? " unreadable" : "");
}

QString LoadAndSave() { return Load() + "\nsave: " + QString::number(scheme::SaveScheme({1, 2, "/p/sky.png", {}, 1, "Fresh", {}, 0, false})); }

// The user's store becomes a file that is not a database.
void PutGarbageStore(GuiEnvironment& env)
{
    QFile garbage(env.store.dir() + "/garbage.db");
    EXPECT_TRUE(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
    ConfigureRoot(Root::CurrentUser, {garbage.fileName(), RootAccess::Auto});
}

// What the store gives and what it holds afterwards, in data/store/<case>.txt; none of these
// tells the client.
TEST(SchemeStore, AnswersAndHolds)
{
    const std::tuple<const char*, void (*)(GuiEnvironment&), QString (*)()> cases[] = {
        {"load_values_too_long_and_masthead", [](GuiEnvironment&) {
             PutCurrent(QString(300, 'c'));
             PutScheme("VelkorDefaultScheme02", "white.png", "a:b.png");
             PutDword(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme02", "UseMastHead", 7);
             PutScheme("Long", QString(300, 'i'));
             PutValue(HKEY_CURRENT_USER, kRoot + "\\Wide", "FgColor", REG_BINARY, QByteArray(8, '\1'));
         }, Load},
        {"load_repairs_without_install_path", [](GuiEnvironment&) {
             PutScheme("Mine", "sky.png", "/abs/o.png");
             PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), QString());
         }, Load},
        {"load_managed", [](GuiEnvironment&) {
             settings::SetManagedMode(true);
             PutScheme("Corporate", "c.png", {}, HKEY_LOCAL_MACHINE, "Software\\Policies\\Orvane\\TALVEN\\Data\\Appearance");
         }, LoadAndSave},
        {"load_elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, LoadAndSave},
        {"load_store_not_a_database", PutGarbageStore, Load},
        {"save_over_existing", [](GuiEnvironment&) {
             PutString(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01", "BgImage", "old");
             PutString(HKEY_CURRENT_USER, kRoot + "\\VelkorDefaultScheme01", "Extra", "kept");
         }, [] { return QString::number(scheme::SaveScheme({1, 2, "/p/sky.png", {}, 1, "VelkorDefaultScheme01", {}, 0, false})); }},
        {"save_backslash", [](GuiEnvironment&) {}, [] { return QString::number(scheme::SaveScheme({1, 2, "/p/sky.png", {}, 1, "a\\b", {}, 0, false})); }},
        {"save_failing_midway", [](GuiEnvironment&) { app::PageSave::FailWriteForTest(5); }, LoadAndSave},
        {"delete_with_subkeys", [](GuiEnvironment&) { PutKey(HKEY_CURRENT_USER, kRoot + "\\Old\\Sub"); },
         [] { return QString::number(scheme::DeleteScheme("Old")); }},
        {"apply_failing", [](GuiEnvironment& env) { env.store.setReadOnly(Root::CurrentUser, true); },
         [] { return QString::number(scheme::ApplyScheme("Old")); }},
    };
    const int before = SchemeSignals();
    for (const auto& [name, setUp, act] : cases) {
        GuiEnvironment env;
        PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), "/opt/talven");
        PutKey(HKEY_CURRENT_USER, kRoot);
        setUp(env);
        const QString answer = act();
        app::PageSave::FailWriteForTest(0);
        ExpectData(QStringLiteral("store/%1.txt").arg(name), answer + "\n" + Stored());
    }
    EXPECT_EQ(SchemeSignals() - before, 0);
}

// The list's texts joined by "|", and the last row of a scheme (-1 when none).
QString Texts(const SchemeListModel& m) { QStringList t; for (int row = 0; row < m.rowCount(); ++row) t << m.Text(row); return t.join(u'|'); }
int Row(const SchemeListModel& m, const QString& key) { int row = m.rowCount(); while (--row >= 0 && m.Item(row).KeyName != key) {} return row; }

TEST(SchemeListModelTest, SortsWithTheMarkerAndMovesItOnApply)
{
    GuiEnvironment env;
    const int before = SchemeSignals();
    PutCurrent("beta");
    for (const char* name : {"zeta", "Alpha", "beta", "beta  (Apple)", "VelkorDefaultScheme02"})
        PutScheme(name);
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

// Per case: List, New, Edit, Delete, Apply and the administrator-only box with "Mine" selected,
// upper case where enabled; then the line under the list.
TEST(AppearancePage, LocksAndButtons)
{
    const std::tuple<const char*, void (*)(GuiEnvironment&), const char*, unsigned> cases[] = {
        {"user_kept_out_by_the_box", [](GuiEnvironment& env) {
             env.setRights(false, false);
             PutDword(HKEY_LOCAL_MACHINE, kRoot, "AllowOnlyAdmin", 1);
         }, "lnedaB", IDS_SCHEMES_ADMIN_LOCK},
        {"elevated", [](GuiEnvironment& env) { env.setRights(true, true); }, "lnedaB", IDS_SCHEMES_ELEVATED},
        {"managed", [](GuiEnvironment&) { settings::SetManagedMode(true); }, "lnedab", IDS_SCHEMES_MANAGED},
        {"store_not_a_database", PutGarbageStore, "LnedaB", IDS_SCHEMES_UNREADABLE},
    };
    for (const auto& [name, setUp, expected, status] : cases) {
        SCOPED_TRACE(name);
        GuiEnvironment env;
        PutCurrent("VelkorDefaultScheme01");
        PutScheme("Mine");
        setUp(env);
        CAppearance page;
        page.CreatePage();
        page.Select(Row(page.Model(), "Mine"));
        QString controls;
        for (auto [id, letter] : {std::pair{int(IDC_SCHEMELIST), 'L'}, {IDC_NEW, 'N'}, {IDC_EDIT, 'E'}, {IDC_DELETE, 'D'}, {IDC_APPLY, 'A'}, {res::IDC_ADMINONLY, 'B'}})
            controls += Control(&page, id)->isEnabled() ? QChar(letter) : QChar(letter).toLower();
        EXPECT_EQ(controls, expected);
        EXPECT_EQ(static_cast<QLabel*>(Control(&page, IDC_LIST_STATUS))->text(), res::LoadResString(status));
    }
}

// New is refused a backslash in the name, then a folder as the secondary picture, before it
// names "Dusk" with a picture in capitals; Edit switches the masthead off.
int AnswerEditor(QDialog& dialog, const QString& pictures)
{
    auto& editor = static_cast<CCreateScheme&>(dialog);
    if (!editor.IsNew()) {
        Click(&editor, createscheme::IDC_MASTHEAD);
        Click(&editor, res::IDOK);
    }
    for (auto [name, secondary] : {std::pair{"a\\b", ""}, {"Dawn", "/folder.gif"}, {"Dusk", ""}}) {
        if (editor.IsNew()) {
            Edit(&editor, createscheme::IDC_NAME)->setText(name);
            // The picture's rule decides OK when the picture changes after the name.
            Edit(&editor, createscheme::IDC_PRIMARY)->clear();
            Edit(&editor, createscheme::IDC_PRIMARY)->setText(pictures + "/DUSK.PNG");
            Edit(&editor, createscheme::IDC_SECONDARY)->setText(*secondary ? pictures + secondary : QString());
            Click(&editor, res::IDOK);
        }
    }
    return editor.result();
}

// Apply and double click write at once and tell the client once each; New, Edit and Delete write
// at once and tell nobody; OK adds the administrator-only flag. The store after each step is in
// data/sheet_<step>.reg.
TEST(AppearanceSheet, EveryButtonWritesAtOnce)
{
    GuiEnvironment env;
    const int before = SchemeSignals();
    QTemporaryDir pictures;
    PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), pictures.path());
    for (const char* name : {"ocean.png", "gone.png", "sunset.png", "DUSK.PNG"})
        Touch(pictures.filePath(name));
    QDir(pictures.path()).mkpath("folder.gif");
    PutCurrent("Ocean");
    PutScheme("VelkorDefaultScheme01", "black.png");
    PutScheme("Ocean", pictures.filePath("ocean.png"), pictures.filePath("gone.png"));
    PutScheme("Sunset", pictures.filePath("sunset.png"));
    QFile::remove(pictures.filePath("gone.png"));
    const auto step = [&](const char* name) { ExpectData(QStringLiteral("sheet_%1.reg").arg(name), Stored(pictures.path())); };
    env.setModalHandler([&](QDialog& dialog) {
        auto* sheet = qobject_cast<CQsCustSheet*>(&dialog);
        if (!sheet)
            return AnswerEditor(dialog, pictures.path());
        dialog.show();
        sheet->SetActivePage(3);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
        auto& page = *static_cast<CAppearance*>(sheet->GetPage(3));
        page.Select(Row(page.Model(), "Sunset"));
        Click(&page, IDC_APPLY);
        EXPECT_EQ(QString("%1 %2").arg(Control(&page, IDC_DELETE)->isEnabled()).arg(SchemeSignals() - before), "0 1");
        const QRect row = page.List()->visualRect(page.Model().index(Row(page.Model(), "VelkorDefaultScheme01")));
        // A click, then the double click the window system makes of a second one.
        QTest::mouseClick(page.List()->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(page.List()->viewport(), Qt::LeftButton, {}, row.center());
        EXPECT_EQ(Texts(page.Model()), "Default - Black  (Using)|Ocean|Sunset");
        EXPECT_EQ(SchemeSignals() - before, 2);
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
    EXPECT_EQ(SchemeSignals() - before, 2);
}

using namespace createscheme;

// The name stops at 32 characters; a refused pick leaves the box; a cancelled colour is not
// taken, but each swatch keeps the custom colours of its chooser.
TEST(CreateScheme, PicksAreCheckedAndCustomColoursKeptPerSwatch)
{
    GuiEnvironment env;
    QTemporaryDir pictures;
    Touch(pictures.filePath("pic.jpeg"));
    CCreateScheme editor{SchemeItem{}};
    editor.OnInitDialog();
    QTest::keyClicks(Edit(&editor, IDC_NAME), QString(40, 'n'));
    EXPECT_EQ(Edit(&editor, IDC_NAME)->text().size(), 32);
    QList<QRgb> customAtOpen;
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->selectFile(pictures.filePath("pic.jpeg"));
            return QDialog::Accepted;
        }
        customAtOpen << QColorDialog::customColor(0).rgb();
        QColorDialog::setCustomColor(0, Qt::red);
        static_cast<QColorDialog&>(dialog).setCurrentColor(Qt::blue);
        return QDialog::Rejected;
    });
    Edit(&editor, IDC_PRIMARY)->setText("typed");
    editor.OnBnClickedBrowsePrimary();
    EXPECT_EQ(Edit(&editor, IDC_PRIMARY)->text(), "typed");
    for (int swatch : {IDC_FONTCOLOR, IDC_FONTCOLOR, IDC_BACKCOLOR})
        swatch == IDC_FONTCOLOR ? editor.OnBnClickedFontColor() : editor.OnBnClickedBackColor();
    EXPECT_EQ(customAtOpen, QList<QRgb>({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 0)}));
    EXPECT_EQ(editor.Scheme().FgColor, 0xFFFFFFu);
}

} // namespace

#include "AppearanceTest.moc"

#include "GuiTest.h"
#include "LightFixture.h"
#include "buttonlight/BlinkPage.h"
#include "pagekit/Controls.h"
#include "registry/StoreConfig.h"
#include "settings/ResourceIds.h"
#include "settings/StringTable.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

#include <gtest/gtest.h>

using namespace fixture;
using namespace reg;
using namespace res::buttonlight;

namespace {

using Arrange = std::function<void(GuiEnvironment&)>;

QWidget* Control(QWidget& page, int id) { return ui::FindControl(&page, id); }
QComboBox* List(QWidget& page, int id) { return static_cast<QComboBox*>(Control(page, id)); }
void Click(QWidget& page, int id) { static_cast<QAbstractButton*>(Control(page, id))->click(); }

// "on|off function/count type/count", then R(adio buttons) F(unction list) S(ettings) T(ype list)
// P(review), upper case where enabled.
QString Describe(QWidget& page)
{
    QString enabled;
    for (auto [id, letter] : {std::pair{IDC_LIGHT_ON, 'r'}, {IDC_INDICATION_FOR, 'f'}, {IDC_SETTINGS, 's'},
                              {IDC_INDICATION_TYPE, 't'}, {IDC_PREVIEW, 'p'}})
        enabled += Control(page, id)->isEnabled() ? QChar(letter).toUpper() : QChar(letter);
    const bool on = static_cast<QRadioButton*>(Control(page, IDC_LIGHT_ON))->isChecked();
    QComboBox* functions = List(page, IDC_INDICATION_FOR);
    QComboBox* types = List(page, IDC_INDICATION_TYPE);
    return QString("%1 %2/%3 %4/%5 %6").arg(on ? "on" : "off").arg(functions->currentIndex()).arg(functions->count())
        .arg(types->currentIndex()).arg(types->count()).arg(enabled);
}

// "DefaultState A:EnableFunction/BlinkLevel B:... C:...", "-" for what is missing.
QString Stored()
{
    const auto dword = [](const QString& path, const QString& name) {
        const std::optional<DWORD> value = ReadDword(HKEY_CURRENT_USER, path, name);
        return value ? QString::number(*value) : QString("-");
    };
    QString text = dword(kRoot, "DefaultState");
    for (const QString key : {"A", "B", "C"})
        text += QString(" %1:%2/%3").arg(key, dword(kRoot + '\\' + key, "EnableFunction"), dword(kRoot + '\\' + key, "BlinkLevel"));
    return text;
}

void Policy(DWORD disableBlink) { PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableBlink", disableBlink); }
void Default(DWORD state) { PutDword(HKEY_CURRENT_USER, kRoot, "DefaultState", state); }

struct Page : CBlink {
    Page() { CreatePage(); }
};

// What the page shows and allows at start, by store, device, policy and rights.
TEST(BlinkPageTest, StartStates)
{
    const struct { const char* name; bool device; Arrange setup; const char* shown; } cases[] = {
        {"one enabled", true, [](auto&) { PutFunctions("B"); }, "off 2/4 2/4 RFSTP"},
        {"no device", false, [](auto&) { PutFunctions("B"); }, "off 2/4 2/4 rFStp"},
        {"no function keys", true, [](auto&) { Default(0); }, "off 0/1 -1/4 RFstp"},
        {"two enabled: the later", true, [](auto&) { PutFunctions("AC"); }, "off 3/4 3/4 RFSTP"},
        {"level 1 while on", true, [](auto&) { Default(1); PutFunctions("A"); }, "on 1/4 -1/3 RFSTP"},
        {"switched off by policy", true, [](auto&) { Default(1); PutFunctions("B"); Policy(1); }, "off 2/4 2/4 rFStp"},
        {"policy 0 switches nothing off", true, [](auto&) { Default(1); PutFunctions("B"); Policy(0); }, "on 2/4 1/3 RFSTP"},
        {"managed: the policy root", true, [](auto&) {
             settings::SetManagedMode(true);
             PutFunctions("A");
             PutFunctions("C", HKEY_LOCAL_MACHINE, kPolicyRoot);
         }, "off 3/4 3/4 rfstp"},
        {"machine store unreadable: switched off", true, [](auto& env) {
             Default(1);
             PutFunctions("B");
             ConfigureRoot(Root::LocalMachine, {env.store.dir(), RootAccess::Auto});
         }, "off 2/4 2/4 rFStp"},
        {"elevated", true, [](auto& env) { env.setRights(true, true); PutFunctions("B"); }, "off 2/4 2/4 rfstp"},
        {"administrators only", true, [](auto& env) {
             env.setRights(false, false);
             PutDword(HKEY_LOCAL_MACHINE, kRoot, "AllowOnlyAdmin", 1);
             PutFunctions("B");
         }, "off 2/4 2/4 rfstp"},
        {"unreadable default state", true, [](auto&) {
             PutValue(HKEY_CURRENT_USER, kRoot, "DefaultState", REG_BINARY, QByteArray(8, '\1'));
             PutFunctions("B");
         }, "off 2/4 2/4 rFSTP"},
        {"unreadable level", true, [](auto&) {
             PutFunctions("B");
             PutValue(HKEY_CURRENT_USER, kRoot + "\\B", "BlinkLevel", REG_BINARY, QByteArray(8, '\3'));
         }, "off 2/4 -1/4 RFStp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        FakeLed led(c.device);
        c.setup(env);
        Page page;
        EXPECT_EQ(Describe(page), c.shown);
        EXPECT_EQ(List(page, IDC_INDICATION_FOR)->itemText(0), "none");
    }
}

// What OK stores after the user's choices; a save that cannot be made whole writes nothing.
TEST(BlinkPageTest, OkWrites)
{
    const struct { const char* name; Arrange setup; std::function<void(Page&)> act; const char* stored; bool failed = false; } cases[] = {
        {"two enabled stay", [](auto&) { PutFunctions("AC"); }, [](Page&) {}, "0 A:1/1 B:0/3 C:1/4"},
        {"on turns 1 into 2, off keeps it", [](auto&) { Default(0); PutFunctions("A"); },
         [](Page& page) {
             Click(page, IDC_LIGHT_ON);
             EXPECT_EQ(Describe(page), "on 1/4 0/3 RFSTP");
             Click(page, IDC_LIGHT_OFF);
             EXPECT_EQ(Describe(page), "off 1/4 1/4 RFSTP");
             List(page, IDC_INDICATION_FOR)->setCurrentIndex(3);
         }, "0 A:0/2 B:0/3 C:1/4"},
        {"type while on", [](auto&) { PutFunctions("B"); },
         [](Page& page) {
             Click(page, IDC_LIGHT_ON);
             List(page, IDC_INDICATION_TYPE)->setCurrentIndex(2);
         }, "1 A:0/2 B:1/4 C:0/4"},
        {"none enables nothing", [](auto&) { PutFunctions("AC"); },
         [](Page& page) {
             List(page, IDC_INDICATION_FOR)->setCurrentIndex(0);
             EXPECT_EQ(Describe(page), "off 0/4 -1/4 RFstp");
         }, "0 A:0/1 B:0/3 C:0/4"},
        {"switched off by policy stores off", [](auto&) { Default(1); PutFunctions("B"); Policy(1); }, [](Page&) {},
         "0 A:0/1 B:1/3 C:0/4"},
        {"elevated writes nothing", [](auto& env) { env.setRights(true, true); Default(1); PutFunctions("B"); },
         [](Page& page) { List(page, IDC_INDICATION_FOR)->setCurrentIndex(1); }, "1 A:0/1 B:1/3 C:0/4"},
        {"managed writes nothing", [](auto&) { settings::SetManagedMode(true); PutFunctions("B"); },
         [](Page& page) { List(page, IDC_INDICATION_FOR)->setCurrentIndex(1); }, "- A:0/1 B:1/3 C:0/4"},
        {"a key gone is skipped", [](auto&) { PutFunctions("B"); },
         [](Page& page) {
             List(page, IDC_INDICATION_FOR)->setCurrentIndex(1);
             EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, kRoot + "\\A"), ERROR_SUCCESS);
         }, "0 A:-/- B:0/3 C:0/4"},
        {"unreadable values stay", [](auto&) {
             PutValue(HKEY_CURRENT_USER, kRoot, "DefaultState", REG_BINARY, QByteArray(8, '\1'));
             PutFunctions("B");
             PutValue(HKEY_CURRENT_USER, kRoot + "\\B", "BlinkLevel", REG_BINARY, QByteArray(8, '\3'));
             PutString(HKEY_CURRENT_USER, kRoot + "\\B", "ProgramName", QString(300, 'n'));
         }, [](Page&) {}, "- A:0/1 B:1/- C:0/4"},
        {"a failed write", [](auto&) { Default(1); PutFunctions("B"); },
         [](Page& page) {
             Click(page, IDC_LIGHT_OFF);
             app::PageSave::FailWriteForTest(4);
         }, "1 A:0/1 B:1/3 C:0/4", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        FakeLed led;
        c.setup(env);
        Page page;
        c.act(page);
        EXPECT_EQ(page.OnOK().Failed(), c.failed);
        app::PageSave::FailWriteForTest(0);
        EXPECT_EQ(Stored(), c.stored);
        if (std::string(c.name) == "unreadable values stay") {
            EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kRoot + "\\B", "ProgramName")->size(), 602) << "the long name kept";
        }
    }
}

// OK and Cancel put the light back to the client's level, else the default state, else off;
// never when managed, elevated or switched off by policy.
TEST(BlinkPageTest, ClosingRestoresTheLight)
{
    const QString untouched = "[none] timer heartbeat 0 500/500";
    const struct { std::optional<DWORD> current, defaultState; Arrange setup; QString light; } cases[] = {
        {3, 1, {}, "timer 0 400/400"}, {{}, 1, {}, "none 255 500/500"}, {{}, {}, {}, "none 0 500/500"},
        {2, {}, {}, "timer 0 1000/1000"},
        {1, {}, [](auto&) { Policy(1); }, untouched},
        {1, {}, [](auto& env) { env.setRights(true, true); }, untouched},
        {1, {}, [](auto&) { settings::SetManagedMode(true); }, untouched},
    };
    for (bool ok : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(qPrintable(c.light + (ok ? " OK" : " Cancel")));
            GuiEnvironment env;
            FakeLed led;
            PutKey(HKEY_CURRENT_USER, kRoot);
            if (c.current)
                PutDword(HKEY_CURRENT_USER, kRoot, "CurrentBlinkLevel", *c.current);
            if (c.defaultState)
                Default(*c.defaultState);
            if (c.setup)
                c.setup(env);
            Page page;
            EXPECT_EQ(led.State(), untouched);
            if (ok)
                (void)page.OnOK();
            else
                page.OnCancel();
            EXPECT_EQ(led.State(), c.light);
        }
    }
}

// Preview shows the level as chosen, a second Preview restarts the period, and its end restores.
TEST(BlinkPageTest, PreviewEndsWithTheStoredLevel)
{
    GuiEnvironment env;
    FakeLed led;
    PutFunctions("B");
    PutDword(HKEY_CURRENT_USER, kRoot, "CurrentBlinkLevel", 1);
    Page page;
    page.SetPreviewPeriod(300);
    List(page, IDC_INDICATION_TYPE)->setCurrentIndex(3);
    QElapsedTimer clock;
    clock.start();
    Click(page, IDC_PREVIEW);
    EXPECT_EQ(led.State(), "timer 0 100/100");
    WaitFor([] { return false; }, 200);
    const qint64 restartedAt = clock.elapsed();
    Click(page, IDC_PREVIEW);
    WaitFor([] { return false; }, 200);
    // Only where the first period has passed and the second has not (a slow machine may miss it).
    if (const qint64 now = clock.elapsed(); restartedAt < 300 && now > 300 && now < restartedAt + 300) {
        EXPECT_TRUE(page.PreviewRuns()) << "restarted by the second Preview";
    }
    EXPECT_TRUE(WaitFor([&page] { return !page.PreviewRuns(); }));
    EXPECT_EQ(led.State(), "none 255 100/100");
    EXPECT_EQ(Stored(), "- A:0/1 B:1/3 C:0/4") << "Preview stores nothing";
}

// Settings starts only an absolute path that exists, with the parameters as separate arguments
// that no shell sees.
TEST(BlinkPageTest, SettingsStartsTheProgram)
{
    QTemporaryDir dir;
    const QString script = dir.filePath("settings"), out = dir.filePath("args");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QString("#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > '%1'\n").arg(out).toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const struct { QString path; const char* started; } cases[] = {
        {script, "[--page][a b][;][touch][x]"}, {QDir::current().relativeFilePath(script), ""}, {script + "-missing", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        GuiEnvironment env;
        FakeLed led;
        PutFunctions("A");
        PutString(HKEY_CURRENT_USER, kRoot + "\\A", "SettingProgramPath", c.path);
        PutString(HKEY_CURRENT_USER, kRoot + "\\A", "SettingProgramParameters", "--page \"a b\" ; touch x");
        QFile::remove(out);
        Page page;
        Click(page, IDC_SETTINGS);
        WaitFor([&] { return QFile::exists(out); }, *c.started ? 5000 : 300);
        QFile args(out);
        EXPECT_EQ(args.open(QIODevice::ReadOnly) ? args.readAll() : QByteArray(), c.started);
    }
}

// Through the sheet: choose a function and a type, Preview (the light blinks), its end restores
// the stored level, OK stores exactly the expected settings and puts the light back.
TEST(BlinkPageTest, ChooseAndPreviewThroughTheSheet)
{
    GuiEnvironment env;
    FakeLed led;
    Default(0);
    PutFunctions("C");
    PutString(HKEY_CURRENT_USER, kRoot + "\\D", "ProgramName", "Function D");
    PutDword(HKEY_CURRENT_USER, kRoot, "CurrentBlinkLevel", 4);
    env.setModalHandler(ShowAndRun([&led](QDialog& dialog) {
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.SetActivePage(4);
        auto& page = *static_cast<CBlink*>(sheet.GetPage(4));
        page.SetPreviewPeriod(50);
        QComboBox* functions = List(page, IDC_INDICATION_FOR);
        functions->showPopup();
        EXPECT_GE(functions->view()->window()->width(), page.width() - functions->mapTo(&page, QPoint()).x());
        functions->hidePopup();
        functions->setCurrentIndex(2);
        List(page, IDC_INDICATION_TYPE)->setCurrentIndex(1);
        Click(page, IDC_PREVIEW);
        EXPECT_EQ(led.State(), "timer 0 1000/1000");
        led.Put("delay_on", "0");
        EXPECT_TRUE(WaitFor([&page] { return !page.PreviewRuns(); }));
        EXPECT_EQ(led.State(), "timer 0 100/100");
        led.Put("trigger", "none");
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &enter);
    }));
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 1);
    EXPECT_EQ(led.State(), "timer 0 100/100");
    QFile expected(QStringLiteral(QSCUST_TEST_DATA "/buttonlight/after_ok.reg"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(Export().toStdString(), expected.readAll().toStdString());
}

} // namespace

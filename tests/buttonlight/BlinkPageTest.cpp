#include "GuiTest.h"
#include "StoreValues.h"
#include "buttonlight/BlinkPage.h"
#include "pagekit/Controls.h"
#include "registry/RegFileWriter.h"
#include "registry/StoreConfig.h"
#include "settings/ResourceIds.h"
#include "settings/Settings.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace reg;
using namespace res::buttonlight;

namespace {

using Arrange = std::function<void(GuiEnvironment&)>;
const QString kRoot = settings::UserDataKey(settings::Area::ButtonLight), kPolicyRoot = settings::PolicyDataKey(settings::Area::ButtonLight);
const QString kUntouched = "[none] timer heartbeat 0 500 500";

// A light under TALVEN_LED_ROOT, as the LED class shows it; "trigger brightness delay_on delay_off" is its state.
struct FakeLed {
    explicit FakeLed(bool present = true, const QByteArray& triggers = "[none] timer heartbeat", const QByteArray& delay = "500")
    {
        qputenv("TALVEN_LED_ROOT", dir.path().toLocal8Bit());
        if (present && QDir(dir.path()).mkdir("KVXPmDrv")) {
            for (const auto& [file, text] : {std::pair{"brightness", QByteArray("0")}, {"max_brightness", "255"},
                                             {"trigger", triggers}, {"delay_on", delay}, {"delay_off", delay}})
                Put(file, text);
        }
    }
    ~FakeLed() { qunsetenv("TALVEN_LED_ROOT"); }
    QString Path(const QString& file) const { return dir.path() + "/KVXPmDrv/" + file; }
    void Put(const QString& file, const QByteArray& text) const
    {
        QFile out(Path(file));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size());
    }
    QString State() const
    {
        QStringList parts;
        for (const char* file : {"trigger", "brightness", "delay_on", "delay_off"}) {
            QFile in(Path(file));
            parts << (in.open(QIODevice::ReadOnly) ? in.readAll() : "?");
        }
        return parts.join(' ');
    }
    QTemporaryDir dir;
};

// Functions A (level 1), B (level 3) and C (level 4), those named in enabled enabled.
void PutFunctions(const QString& enabled, HKEY root = HKEY_CURRENT_USER, const QString& lightRoot = kRoot)
{
    for (int i = 0; i < 3; ++i) {
        const QString key(QChar('A' + i)), path = lightRoot + '\\' + key;
        PutString(root, path, "ProgramName", "Function " + key);
        PutString(root, path, "SettingProgramPath", "/usr/bin/settings-" + key);
        PutString(root, path, "SettingProgramParameters", "--page " + key);
        PutDword(root, path, "EnableFunction", enabled.contains(key) ? 1 : 0);
        PutDword(root, path, "BlinkLevel", DWORD(i == 0 ? 1 : i + 2));
    }
}
void Policy(DWORD disableBlink) { PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableBlink", disableBlink); }
void Default(DWORD state) { PutDword(HKEY_CURRENT_USER, kRoot, "DefaultState", state); }
void PutTooLong(const QString& path, const QString& name) { PutValue(HKEY_CURRENT_USER, path, name, REG_BINARY, QByteArray(8, '\1')); }

QComboBox* List(QWidget& page, int id) { return static_cast<QComboBox*>(ui::FindControl(&page, id)); }
void Click(QWidget& page, int id) { static_cast<QAbstractButton*>(ui::FindControl(&page, id))->click(); }

// "on|off function/count type/count", then R(adio buttons) F(unction list) S(ettings) T(ype list)
// P(review), upper case where enabled.
QString Describe(QWidget& page)
{
    QString text = static_cast<QRadioButton*>(ui::FindControl(&page, IDC_LIGHT_ON))->isChecked() ? "on " : "off ";
    for (int id : {IDC_INDICATION_FOR, IDC_INDICATION_TYPE})
        text += QString("%1/%2 ").arg(List(page, id)->currentIndex()).arg(List(page, id)->count());
    for (auto [id, letter] : {std::pair{IDC_LIGHT_ON, 'r'}, {IDC_INDICATION_FOR, 'f'}, {IDC_SETTINGS, 's'},
                              {IDC_INDICATION_TYPE, 't'}, {IDC_PREVIEW, 'p'}})
        text += ui::FindControl(&page, id)->isEnabled() ? QChar(letter).toUpper() : QChar(letter);
    return text;
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

struct Page : CBlink {
    Page() { CreatePage(); }
};

// Each level's request bytes and what it leaves on a light that blinks slowly; a light that is
// missing or refuses (a folder in a file's place refuses even root) is not driven at all.
TEST(LedDeviceTest, LevelsAndRefusals)
{
    const struct { DWORD level; const char* bytes; const char* light; bool present = true; const char* refusing = nullptr;
                   QByteArray triggers = "timer"; int capable = 1; } cases[] = {
        {0, "00000000", "none 0 1000 1000"}, {1, "00010000", "none 255 1000 1000"}, {2, "01010000", "timer 0 1000 1000"},
        {3, "01010100", "timer 0 400 400"},  {4, "01010200", "timer 0 100 100"},    {5, "00000000", "none 0 1000 1000"},
        {1, "00010000", "? ? ? ?", false, nullptr, "", 0},
        {1, "00010000", "timer 0 1000 1000", true, "max_brightness"},
        {4, "01010200", "timer ? 1000 1000", true, "brightness", "timer", 0},
        {1, "00010000", "? 0 1000 1000", true, "trigger"},
        {3, "01010100", "[none] heartbeat 0 1000 1000", true, nullptr, "[none] heartbeat"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.light);
        const platform::LedRequest request = blink::LightRequest(c.level);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&request), sizeof request).toHex(), c.bytes);
        FakeLed led(c.present, c.triggers, "1000");
        if (c.refusing) {
            EXPECT_TRUE(QFile::remove(led.Path(c.refusing)) && QDir().mkdir(led.Path(c.refusing)));
        }
        EXPECT_EQ(CBlink::IsLedCapable(), c.capable);
        CBlink::DoLedPreview(c.level);
        EXPECT_EQ(led.State(), c.light);
    }
}

// What the page shows and allows at start, by store, light, policy and rights.
TEST(BlinkPageTest, StartStates)
{
    const struct { const char* name; bool light; Arrange arrange; const char* shown; } cases[] = {
        {"one enabled", true, [](auto&) { PutFunctions("B"); }, "off 2/4 2/4 RFSTP"},
        {"no light", false, [](auto&) { PutFunctions("B"); }, "off 2/4 2/4 rFStp"},
        {"no function keys", true, [](auto&) { Default(0); }, "off 0/1 -1/4 RFstp"},
        {"two enabled: the later", true, [](auto&) { PutFunctions("AC"); }, "off 3/4 3/4 RFSTP"},
        {"level 1 while on", true, [](auto&) { Default(1); PutFunctions("A"); }, "on 1/4 -1/3 RFSTP"},
        {"switched off by policy", true, [](auto&) { Default(1); PutFunctions("B"); Policy(1); }, "off 2/4 2/4 rFStp"},
        {"machine store unreadable: off", true, [](auto& env) { Default(1); PutFunctions("B"); ConfigureRoot(Root::LocalMachine, {env.store.dir()}); }, "off 2/4 2/4 rFStp"},
        {"managed: the policy root", true, [](auto&) { settings::SetManagedMode(true); PutFunctions("A"); PutFunctions("C", HKEY_LOCAL_MACHINE, kPolicyRoot); }, "off 3/4 3/4 rfstp"},
        {"elevated", true, [](auto& env) { env.setRights(true, true); PutFunctions("B"); }, "off 2/4 2/4 rfstp"},
        {"unreadable default state", true, [](auto&) { PutTooLong(kRoot, "DefaultState"); PutFunctions("B"); }, "off 2/4 2/4 rFSTP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        FakeLed led(c.light);
        c.arrange(env);
        Page page;
        EXPECT_EQ(Describe(page), c.shown);
        EXPECT_EQ(List(page, IDC_INDICATION_FOR)->itemText(0), "none");
    }
}

// What OK stores after the user's choices; a save that cannot be made whole writes nothing.
TEST(BlinkPageTest, OkWrites)
{
    const auto choose = [](int function, int type = -1) {
        return [=](Page& page) {
            List(page, IDC_INDICATION_FOR)->setCurrentIndex(function);
            if (type >= 0)
                List(page, IDC_INDICATION_TYPE)->setCurrentIndex(type);
        };
    };
    const struct { const char* name; Arrange arrange; std::function<void(Page&)> act; const char* stored; bool failed = false; int nameBytes = 22; } cases[] = {
        {"two enabled stay", [](auto&) { PutFunctions("AC"); }, [](Page&) {}, "0 A:1/1 B:0/3 C:1/4"},
        {"on turns 1 into 2, off keeps it", [](auto&) { PutFunctions("A"); }, [=](Page& page) {
             Click(page, IDC_LIGHT_ON);
             EXPECT_EQ(Describe(page), "on 1/4 0/3 RFSTP");
             Click(page, IDC_LIGHT_OFF);
             EXPECT_EQ(Describe(page), "off 1/4 1/4 RFSTP");
             choose(3)(page);
         }, "0 A:0/2 B:0/3 C:1/4"},
        {"type while on", [](auto&) { PutFunctions("B"); }, [=](Page& page) { Click(page, IDC_LIGHT_ON); choose(2, 2)(page); },
         "1 A:0/2 B:1/4 C:0/4"},
        {"none enables nothing", [](auto&) { PutFunctions("AC"); }, choose(0), "0 A:0/1 B:0/3 C:0/4"},
        {"switched off by policy stores off", [](auto&) { Default(1); PutFunctions("B"); Policy(1); }, [](Page&) {}, "0 A:0/1 B:1/3 C:0/4"},
        {"elevated writes nothing", [](auto& env) { env.setRights(true, true); Default(1); PutFunctions("B"); }, choose(1), "1 A:0/1 B:1/3 C:0/4"},
        {"managed writes nothing", [](auto&) { settings::SetManagedMode(true); PutFunctions("B"); }, choose(1), "- A:0/1 B:1/3 C:0/4"},
        {"a key gone is skipped", [](auto&) { PutFunctions("B"); }, [=](Page& page) { choose(1)(page); RegDeleteTree(HKEY_CURRENT_USER, kRoot + "\\A"); },
         "0 A:-/- B:0/3 C:0/4"},
        {"unreadable values stay", [](auto&) {
             PutFunctions("B");
             PutTooLong(kRoot, "DefaultState");
             PutTooLong(kRoot + "\\B", "BlinkLevel");
             PutString(HKEY_CURRENT_USER, kRoot + "\\B", "ProgramName", QString(300, 'n'));
         }, [](Page&) {}, "- A:0/1 B:1/- C:0/4", false, 602},
        {"a failed write", [](auto&) { Default(1); PutFunctions("B"); }, [](Page& page) { Click(page, IDC_LIGHT_OFF); app::PageSave::FailWriteForTest(4); },
         "1 A:0/1 B:1/3 C:0/4", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        FakeLed led;
        c.arrange(env);
        Page page;
        c.act(page);
        EXPECT_EQ(page.OnOK().Failed(), c.failed);
        app::PageSave::FailWriteForTest(0);
        EXPECT_EQ(Stored(), c.stored);
        EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kRoot + "\\B", "ProgramName").value_or("").size(), c.nameBytes);
    }
}

// OK and Cancel put the light back to the client's level, else the default state, else off;
// never when managed, elevated or switched off by policy.
TEST(BlinkPageTest, ClosingRestoresTheLight)
{
    const struct { std::optional<DWORD> current, defaultState; Arrange arrange; QString light; } cases[] = {
        {3, 1, {}, "timer 0 400 400"}, {{}, 1, {}, "none 255 500 500"}, {{}, {}, {}, "none 0 500 500"},
        {1, {}, [](auto&) { Policy(1); }, kUntouched}, {1, {}, [](auto& env) { env.setRights(true, true); }, kUntouched},
        {1, {}, [](auto&) { settings::SetManagedMode(true); }, kUntouched},
    };
    for (bool ok : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(qPrintable(c.light + (ok ? " OK" : " Cancel")));
            GuiEnvironment env;
            FakeLed led;
            c.current ? PutDword(HKEY_CURRENT_USER, kRoot, "CurrentBlinkLevel", *c.current) : void();
            c.defaultState ? Default(*c.defaultState) : void();
            c.arrange ? c.arrange(env) : void();
            Page page;
            EXPECT_EQ(led.State(), kUntouched);
            ok ? (void)page.OnOK() : page.OnCancel();
            EXPECT_EQ(led.State(), c.light);
        }
    }
}

// Settings starts only an absolute path that exists, with the parameters split into arguments as
// a command line is, for no shell to see.
TEST(IndicationRulesTest, SettingsCommand)
{
    const QString program = QCoreApplication::applicationFilePath();
    const struct { QString path; QString command; } cases[] = {
        {program, program + "|--page|a b|;|touch|x"}, {QDir::current().relativeFilePath(program), ""}, {program + "-missing", ""}};
    for (const auto& c : cases) {
        blink::StoredSettings stored;
        stored.items = {{"A", "Function A", c.path, "--page \"a b\" ; touch x", 1, 1, {}}};
        IndicationRules rules;
        rules.Load(stored, false);
        EXPECT_EQ(rules.SettingsCommand().join('|'), c.command);
    }
}

// Through the sheet: choose a function and a type, Preview (the light blinks), its end restores
// the client's level, and OK stores exactly the expected settings.
TEST(BlinkPageTest, ChooseAndPreviewThroughTheSheet)
{
    GuiEnvironment env;
    FakeLed led;
    Default(0);
    PutFunctions("C");
    PutString(HKEY_CURRENT_USER, kRoot + "\\D", "ProgramName", "Function D");
    PutDword(HKEY_CURRENT_USER, kRoot, "CurrentBlinkLevel", 4);
    env.setModalHandler(ShowAndRun([&led](QDialog& dialog) {
        static_cast<CQsCustSheet&>(dialog).SetActivePage(4);
        auto& page = *static_cast<CBlink*>(static_cast<CQsCustSheet&>(dialog).GetPage(4));
        page.SetPreviewPeriod(50);
        QComboBox* functions = List(page, IDC_INDICATION_FOR);
        const auto toRightEdge = [&] { return page.width() - functions->mapTo(&page, QPoint()).x(); };
        EXPECT_TRUE(WaitFor([&] { return functions->width() < toRightEdge() - 20; })) << "laid out, Settings beside it";
        functions->showPopup();
        EXPECT_GE(functions->view()->window()->width(), toRightEdge());
        functions->hidePopup();
        functions->setCurrentIndex(2);
        List(page, IDC_INDICATION_TYPE)->setCurrentIndex(1);
        Click(page, IDC_PREVIEW);
        EXPECT_EQ(led.State(), "timer 0 1000 1000");
        EXPECT_TRUE(WaitFor([&page] { return !page.PreviewRuns(); }));
        EXPECT_EQ(led.State(), "timer 0 100 100");
        dialog.accept();
    }));
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 1);
    QByteArray exported;
    ASSERT_EQ(ExportRegFile(Root::CurrentUser, kRoot, &exported), ERROR_SUCCESS);
    QFile expected(QStringLiteral(QSCUST_TEST_DATA "/buttonlight/after_ok.reg"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(exported.constData() + 2), (exported.size() - 2) / 2)
                  .replace("\r\n", "\n").toStdString(), expected.readAll().toStdString());
}

} // namespace

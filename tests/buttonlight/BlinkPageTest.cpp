#include "GuiTest.h"
#include "StoreValues.h"
#include "buttonlight/BlinkPage.h"
#include "pagekit/Controls.h"
#include "settings/ResourceIds.h"
#include "settings/Settings.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace reg;
using namespace res::buttonlight;

namespace {

const QString kRoot = settings::UserDataKey(settings::Area::ButtonLight);
const char* const kUntouched = "[none] timer heartbeat 0 500 500";

QByteArray Contents(const QString& path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : "?";
}

void Write(const QString& path, const QByteArray& text)
{
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size());
}

// A light under TALVEN_LED_ROOT, as the LED class shows it; State() is "trigger brightness delay_on delay_off".
struct FakeLed {
    FakeLed()
    {
        qputenv("TALVEN_LED_ROOT", dir.path().toLocal8Bit());
        QDir(dir.path()).mkdir("KVXPmDrv");
        for (const auto& [file, text] : {std::pair{"brightness", "0"}, {"max_brightness", "255"}, {"trigger", "[none] timer heartbeat"},
                                         {"delay_on", "500"}, {"delay_off", "500"}})
            Write(Path(file), text);
    }
    ~FakeLed() { qunsetenv("TALVEN_LED_ROOT"); }
    QString Path(const QString& file) const { return dir.path() + "/KVXPmDrv/" + file; }
    // A folder in a file's place refuses even root.
    void Refuse(const QString& file) const { EXPECT_TRUE(QFile::remove(Path(file)) && QDir().mkdir(Path(file))); }
    QString State() const
    {
        return QStringList{Contents(Path("trigger")), Contents(Path("brightness")), Contents(Path("delay_on")),
                           Contents(Path("delay_off"))}.join(' ');
    }
    QTemporaryDir dir;
};

// Functions A (level 1), B (level 3) and C (level 4), those named in enabled enabled.
void PutFunctions(const QString& enabled, HKEY root = HKEY_CURRENT_USER, const QString& lightRoot = kRoot)
{
    for (int i = 0; i < 3; ++i) {
        const QString key(QChar('A' + i)), path = lightRoot + '\\' + key;
        for (const auto& [name, prefix] : {std::pair{"ProgramName", "Function "}, {"SettingProgramPath", "/usr/bin/settings-"},
                                           {"SettingProgramParameters", "--page "}})
            PutString(root, path, name, prefix + key);
        PutDword(root, path, "EnableFunction", enabled.contains(key) ? 1 : 0);
        PutDword(root, path, "BlinkLevel", DWORD(i == 0 ? 1 : i + 2));
    }
}
void Put(const QString& name, DWORD value) { PutDword(HKEY_CURRENT_USER, kRoot, name, value); }
void PutTooLong(const QString& path, const QString& name) { PutValue(HKEY_CURRENT_USER, path, name, REG_BINARY, QByteArray(8, '\1')); }

QComboBox* List(QWidget& page, int id) { return static_cast<QComboBox*>(ui::FindControl(&page, id)); }
void Click(QWidget& page, int id) { static_cast<QAbstractButton*>(ui::FindControl(&page, id))->click(); }
void Choose(QWidget& page, int function) { List(page, IDC_INDICATION_FOR)->setCurrentIndex(function); }

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

// "DefaultState A:EnableFunction/BlinkLevel B:... C:...", -1 for what is missing.
QString Stored()
{
    const auto dword = [](const QString& key, const char* name) {
        return QString::number(int(ReadDword(HKEY_CURRENT_USER, kRoot + key, name).value_or(-1)));
    };
    QString text = dword("", "DefaultState");
    for (const QString key : {"\\A", "\\B", "\\C"})
        text += QString(" %1:%2/%3").arg(key.back(), dword(key, "EnableFunction"), dword(key, "BlinkLevel"));
    return text;
}

struct Page : CBlink { Page() { CreatePage(); } };

// The page from opening to OK or Cancel: what it shows and allows, what it stores after the
// user's choices (a save that cannot be made whole writes nothing), and the light it leaves: the
// client's level (5 and above off), else the default state, else off. Managed, elevated or
// switched off by policy it leaves the light alone; a light whose brightness refuses is not capable
// and not driven; one without the timer trigger does not blink.
TEST(BlinkPageTest, OpenChooseAndClose)
{
    const struct { const char* name; std::function<void(GuiEnvironment&, FakeLed&)> arrange; const char* shown; std::function<void(Page&)> act;
                   const char* stored; const char* light; bool failed = false, cancel = false; int nameBytes = 22; } cases[] = {
        {"two enabled: the later shows, both stay", [](auto&...) { Put("CurrentBlinkLevel", 5); PutFunctions("AC"); }, "off 3/4 3/4 RFSTP",
         {}, "0 A:1/1 B:0/3 C:1/4", "none 0 500 500"},
        {"brightness refuses; none enables nothing", [](auto&, auto& led) { Put("CurrentBlinkLevel", 4); PutFunctions("B"); led.Refuse("brightness"); },
         "off 2/4 2/4 rFStp", [](Page& page) { Choose(page, 0); }, "0 A:0/1 B:0/3 C:0/4", "[none] timer heartbeat ? 500 500"},
        {"no device", [](auto&, auto& led) { PutFunctions("B"); QDir(led.Path("")).removeRecursively(); },
         "off 2/4 2/4 rFStp", {}, "0 A:0/1 B:1/3 C:0/4", "? ? ? ?"},
        {"no function keys", [](auto&...) { Put("DefaultState", 1); }, "on 0/1 -1/3 RFstp", {}, "1 A:-1/-1 B:-1/-1 C:-1/-1", "none 255 500 500", false, false, 0},
        {"no timer trigger", [](auto&, auto& led) { Put("CurrentBlinkLevel", 3); PutFunctions("B"); Write(led.Path("trigger"), "[none] heartbeat"); },
         "off 2/4 2/4 RFSTP", {}, "0 A:0/1 B:1/3 C:0/4", "[none] heartbeat 0 500 500"},
        {"on turns 1 into 2 and types start at 2", [](auto&...) { Put("CurrentBlinkLevel", 3); PutFunctions("AC"); }, "off 3/4 3/4 RFSTP",
         [](Page& page) { Click(page, IDC_LIGHT_ON); Choose(page, 2); List(page, IDC_INDICATION_TYPE)->setCurrentIndex(2); }, "1 A:0/2 B:1/4 C:0/4", "timer 0 400 400"},
        {"switched off by policy", [](auto&...) { Put("DefaultState", 1); PutFunctions("B"); PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableBlink", 1); },
         "off 2/4 2/4 rFStp", {}, "0 A:0/1 B:1/3 C:0/4", kUntouched},
        {"machine store unreadable", [](auto& env, auto&) { Put("DefaultState", 1); PutFunctions("B"); ConfigureRoot(Root::LocalMachine, {env.store.dir()}); },
         "off 2/4 2/4 rFStp", {}, "1 A:0/1 B:1/3 C:0/4", kUntouched, true},
        {"managed: the policy root", [](auto&...) { settings::SetManagedMode(true); PutFunctions("A"); PutFunctions("C", HKEY_LOCAL_MACHINE, settings::PolicyDataKey(settings::Area::ButtonLight)); },
         "off 3/4 3/4 rfstp", [](Page& page) { Choose(page, 1); }, "-1 A:1/1 B:0/3 C:0/4", kUntouched},
        {"elevated", [](auto& env, auto&) { env.setRights(true, true); Put("DefaultState", 1); PutFunctions("B"); },
         "on 2/4 1/3 rfstp", [](Page& page) { Choose(page, 1); }, "1 A:0/1 B:1/3 C:0/4", kUntouched},
        {"unreadable values stay", [](auto&...) { PutFunctions("B"); PutTooLong(kRoot, "DefaultState"); PutTooLong(kRoot + "\\B", "BlinkLevel");
                                                   PutString(HKEY_CURRENT_USER, kRoot + "\\B", "ProgramName", QString(300, 'n')); },
         "off 2/4 -1/4 rFStp", {}, "-1 A:0/1 B:1/-1 C:0/4", "none 0 500 500", false, false, 602},
        {"a key gone is skipped", [](auto&...) { PutFunctions("B"); }, "off 2/4 2/4 RFSTP",
         [](Page& page) { Choose(page, 1); RegDeleteTree(HKEY_CURRENT_USER, kRoot + "\\A"); }, "0 A:-1/-1 B:0/3 C:0/4", "none 0 500 500"},
        {"a failed write", [](auto&...) { Put("DefaultState", 1); PutFunctions("B"); }, "on 2/4 1/3 RFSTP",
         [](Page& page) { Click(page, IDC_LIGHT_OFF); app::PageSave::FailWriteForTest(4); }, "1 A:0/1 B:1/3 C:0/4", "none 255 500 500", true},
        {"Cancel ends the preview", [](auto&...) { Put("DefaultState", 1); PutFunctions("B"); }, "on 2/4 1/3 RFSTP",
         [](Page& page) { Click(page, IDC_PREVIEW); }, "1 A:0/1 B:1/3 C:0/4", "none 255 400 400", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        FakeLed led;
        c.arrange(env, led);
        Page page;
        EXPECT_EQ(Describe(page), c.shown);
        c.act ? c.act(page) : void();
        EXPECT_EQ(c.cancel ? (page.OnCancel(), false) : page.OnOK().Failed(), c.failed);
        app::PageSave::FailWriteForTest(0);
        EXPECT_EQ(Stored(), c.stored);
        EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kRoot + "\\B", "ProgramName").value_or("").size(), c.nameBytes);
        EXPECT_EQ(led.State(), c.light);
    }
}

// Settings starts only an absolute path that exists, with the parameters split into arguments as
// a command line is, for no shell to see.
TEST(IndicationRulesTest, SettingsCommand)
{
    const QString program = QCoreApplication::applicationFilePath();
    for (const auto& [path, command] : {std::pair{program, program + "|--page|a b|;|touch|x"},
                                        {QDir::current().relativeFilePath(program), QString()}, {program + "-missing", QString()}}) {
        IndicationRules rules;
        rules.Load({.items = {{"A", "Function A", path, "--page \"a b\" ; touch x", 1, 1, {}}}}, false);
        EXPECT_EQ(rules.SettingsCommand().join('|'), command);
    }
}

// Through the sheet: choose a function and a type, Preview (the light blinks), its end restores
// the client's level, and OK stores exactly the expected settings.
TEST(BlinkPageTest, ChooseAndPreviewThroughTheSheet)
{
    GuiEnvironment env;
    FakeLed led;
    Put("DefaultState", 0);
    PutFunctions("C");
    PutString(HKEY_CURRENT_USER, kRoot + "\\D", "ProgramName", "Function D");
    Put("CurrentBlinkLevel", 4);
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
        Choose(page, 2);
        List(page, IDC_INDICATION_TYPE)->setCurrentIndex(1);
        Click(page, IDC_PREVIEW);
        EXPECT_EQ(led.State(), "timer 0 1000 1000");
        EXPECT_TRUE(WaitFor([&page] { return !page.PreviewRuns(); }));
        EXPECT_EQ(led.State(), "timer 0 100 100");
        dialog.accept();
    }));
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(ExportText(Root::CurrentUser, kRoot).toStdString(), Contents(QSCUST_TEST_DATA "/buttonlight/after_ok.reg").toStdString());
}

} // namespace

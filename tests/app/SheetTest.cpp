#include "GuiTest.h"
#include "StoreValues.h"
#include "pagekit/AreaPage.h"
#include "platform/NamedEvent.h"
#include "platform/WindowMessages.h"
#include "settings/Settings.h"
#include "settings/SettingsWritten.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace reg;
using settings::Area;

namespace {

const Area kAreas[] = {Area::QuickLinks, Area::ResourceCenter, Area::MessageCenter, Area::Appearance,
                       Area::ButtonLight};

CAreaPage* Page(QDialog& dialog, int index)
{
    return static_cast<CAreaPage*>(static_cast<CQsCustSheet&>(dialog).GetPage(index));
}

class SheetTest : public testing::Test {
protected:
    GuiEnvironment env;
    CCustomizerApp app;
};

TEST_F(SheetTest, FiveTabsAllVisibleAndOnlyOkAndCancel)
{
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        EXPECT_EQ(sheet.windowTitle(), "Nesterly Customization Utility");
        QTabBar* tabs = sheet.TabControl()->tabBar();
        const QStringList expected{"Quick Links", "Resource Center", "Message Center", "Appearance", "Button light"};
        ASSERT_EQ(tabs->count(), expected.size());
        for (int i = 0; i < tabs->count(); ++i) {
            EXPECT_EQ(tabs->tabText(i), expected[i]);
            EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(i))) << "tab " << i << " cut off";
        }
        const auto boxes = sheet.findChildren<QDialogButtonBox*>();
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0]->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        // Only the first page exists until another tab is shown.
        EXPECT_TRUE(sheet.GetPage(0)->IsCreated());
        EXPECT_FALSE(sheet.GetPage(3)->IsCreated());
        sheet.SetActivePage(3);
        EXPECT_TRUE(sheet.GetPage(3)->IsCreated());
        EXPECT_FALSE(sheet.GetPage(1)->IsCreated());
        sheet.reject();
    }));
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 2);
}

// OK saves the created pages only; Cancel saves nothing. Keys: Return is OK, Escape is Cancel.
TEST_F(SheetTest, OkSavesCreatedPagesOnly)
{
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        static_cast<CQsCustSheet&>(dialog).SetActivePage(2);
        Page(dialog, 0)->HideBox()->click();
        Page(dialog, 2)->AdminOnlyBox()->click();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &enter);
    }));
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 1);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, settings::UserDataKey(Area::QuickLinks), "HideGroup"), 1u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(Area::MessageCenter), "AllowOnlyAdmin"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, settings::UserDataKey(Area::MessageCenter), "HideGroup"), 0u);
    for (Area untouched : {Area::ResourceCenter, Area::Appearance, Area::ButtonLight})
        EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(untouched), "AllowOnlyAdmin"));
    EXPECT_EQ(env.services.calls, QStringList({"CreateInstanceMutex", "CloseClientWindow",
                                               "SignalClientUpdate", "ReleaseInstanceMutex"}));
}

TEST_F(SheetTest, CancelSavesNothingAndNotifiesNobody)
{
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        for (int i = 0; i < CQsCustSheet::kPageCount; ++i) {
            static_cast<CQsCustSheet&>(dialog).SetActivePage(i);
            Page(dialog, i)->AdminOnlyBox()->click();
        }
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &escape);
    }));
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 2);
    for (Area area : kAreas)
        EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(area), "AllowOnlyAdmin"));
    EXPECT_EQ(env.services.calls, QStringList({"CreateInstanceMutex", "ReleaseInstanceMutex"}));
}

TEST_F(SheetTest, CancelAfterSettingsWereWrittenStillNotifies)
{
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        app::SetSettingsWritten(1);
        dialog.reject();
    }));
    app.InitInstance();
    app::SetSettingsWritten(0);
    EXPECT_EQ(env.services.calls, QStringList({"CreateInstanceMutex", "CloseClientWindow",
                                               "SignalClientUpdate", "ReleaseInstanceMutex"}));
}

struct GateCase {
    const char* name;
    platform::InstanceLock::Result mutex;
    std::optional<DWORD> disableCustomize;
    bool sheetShown;
};

void PrintTo(const GateCase& c, std::ostream* os) { *os << c.name; }

class StartGateTest : public testing::TestWithParam<GateCase> {};

// A second copy and the forbidding policy end silently; a failed lock does not stop the utility.
TEST_P(StartGateTest, SheetShownOnlyWhenAllowed)
{
    const GateCase& c = GetParam();
    GuiEnvironment env;
    env.services.mutexResult = c.mutex;
    if (c.disableCustomize)
        PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableCustomize", *c.disableCustomize);
    bool shown = false;
    env.setModalHandler([&](QDialog&) { shown = true; return int(QDialog::Rejected); });
    CCustomizerApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(shown, c.sheetShown);
    EXPECT_FALSE(env.services.calls.contains("CloseClientWindow"));
}

using Lock = platform::InstanceLock::Result;
INSTANTIATE_TEST_SUITE_P(Gate, StartGateTest,
    testing::Values(GateCase{"second_copy", Lock::AlreadyExists, {}, false},
                    GateCase{"lock_failed", Lock::Failed, {}, true},
                    GateCase{"no_policy", Lock::Acquired, {}, true},
                    GateCase{"disable_0", Lock::Acquired, 0, true},
                    GateCase{"disable_1", Lock::Acquired, 1, false},
                    GateCase{"disable_2", Lock::Acquired, 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, ManagedModeComesFromThePolicyKeys)
{
    PutKey(HKEY_LOCAL_MACHINE, settings::kAdmiCtrlKey);
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        EXPECT_TRUE(settings::IsManagedMode());
        EXPECT_FALSE(Page(dialog, 0)->AdminOnlyBox()->isEnabled());
        dialog.reject();
    }));
    app.InitInstance();
}

// WM_CLOSE to the control window closes the sheet as cancelled, clears the settings-written flag
// and saves nothing; 0x0501 brings the sheet to the front.
TEST_F(SheetTest, ControlWindowMessages)
{
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        QWidget other;
        other.show();
        other.activateWindow();
        WaitFor([&] { return QApplication::activeWindow() == &other; }, 1000);
        ASSERT_TRUE(platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_BRING_TO_FRONT));
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &dialog; }));

        Page(dialog, 0)->HideBox()->click();
        app::SetSettingsWritten(1);
        ASSERT_TRUE(platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_CLOSE));
    }));
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 2);
    EXPECT_EQ(app::SettingsWritten(), 0);
    EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, settings::UserDataKey(Area::QuickLinks), "HideGroup"));
    EXPECT_EQ(env.services.calls, QStringList({"CreateInstanceMutex", "ReleaseInstanceMutex"}));
}

// The real services: OK posts WM_CLOSE to a listening client, then signals the update event.
TEST(SystemServicesTest, OkTellsTheClient)
{
    GuiEnvironment env;
    app::SetServices(nullptr);
    platform::UnlinkNamedEvent(platform::kUpdateEventName);
    QLocalServer client;
    ASSERT_TRUE(client.listen(platform::WindowSocketPath(platform::kClientWndClass)));
    QByteArray received;
    QObject::connect(&client, &QLocalServer::newConnection, [&] {
        QLocalSocket* socket = client.nextPendingConnection();
        QObject::connect(socket, &QLocalSocket::readyRead, [&, socket] { received += socket->readAll(); });
    });
    env.setModalHandler(ShowAndRun([](QDialog& dialog) { dialog.accept(); }));
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_TRUE(WaitFor([&] { return received.contains('\n'); }));
    EXPECT_EQ(received, "0x0010\n");
    EXPECT_TRUE(platform::TryWaitNamedEvent(platform::kUpdateEventName));
    platform::UnlinkNamedEvent(platform::kUpdateEventName);
}

} // namespace

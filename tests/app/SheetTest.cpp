#include "GuiTest.h"
#include "StoreValues.h"
#include "pagekit/AreaPage.h"
#include "pagekit/ConfirmElev.h"
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
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace reg;
using settings::Area;

namespace {

const QStringList kTold{"CreateInstanceMutex", "CloseClientWindow", "SignalClientUpdate", "ReleaseInstanceMutex"};
const QStringList kNotTold{"CreateInstanceMutex", "ReleaseInstanceMutex"};

CAreaPage* Page(QDialog& dialog, int index)
{
    return static_cast<CAreaPage*>(static_cast<CQsCustSheet&>(dialog).GetPage(index));
}

void PressKey(QDialog& dialog, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
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

// Return is OK, which saves the created pages only and tells the client.
TEST_F(SheetTest, OkSavesCreatedPagesOnly)
{
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        static_cast<CQsCustSheet&>(dialog).SetActivePage(2);
        Page(dialog, 0)->HideBox()->click();
        Page(dialog, 2)->AdminOnlyBox()->click();
        PressKey(dialog, Qt::Key_Return);
    }));
    app.InitInstance();
    EXPECT_EQ(app.LastSheetResult(), 1);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, settings::UserDataKey(Area::QuickLinks), "HideGroup"), 1u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(Area::MessageCenter), "AllowOnlyAdmin"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, settings::UserDataKey(Area::MessageCenter), "HideGroup"), 0u);
    for (Area untouched : {Area::ResourceCenter, Area::Appearance, Area::ButtonLight})
        EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(untouched), "AllowOnlyAdmin"));
    EXPECT_EQ(env.services.calls, kTold);
}

// Escape is Cancel, which saves nothing and tells the client only when the Quick Links save had
// written.
TEST_F(SheetTest, CancelSavesNothingAndTellsTheClientOnlyAfterAWrite)
{
    for (int written : {0, 1}) {
        env.services.calls.clear();
        env.setModalHandler(ShowAndRun([written](QDialog& dialog) {
            for (int i = 0; i < CQsCustSheet::kPageCount; ++i) {
                static_cast<CQsCustSheet&>(dialog).SetActivePage(i);
                Page(dialog, i)->AdminOnlyBox()->click();
            }
            app::SetSettingsWritten(written);
            PressKey(dialog, Qt::Key_Escape);
        }));
        app.InitInstance();
        app::SetSettingsWritten(0);
        EXPECT_EQ(app.LastSheetResult(), 2);
        for (Area area : {Area::QuickLinks, Area::ResourceCenter, Area::MessageCenter, Area::Appearance, Area::ButtonLight})
            EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(area), "AllowOnlyAdmin"));
        EXPECT_EQ(env.services.calls, written ? kTold : kNotTold);
    }
}

// A second copy and the forbidding policy end silently; a failed lock does not stop the utility.
TEST(StartGateTest, SheetShownOnlyWhenAllowed)
{
    using Lock = platform::InstanceLock::Result;
    const struct { Lock mutex; std::optional<DWORD> disableCustomize; bool shown; } cases[] = {
        {Lock::AlreadyExists, {}, false}, {Lock::Failed, {}, true}, {Lock::Acquired, {}, true},
        {Lock::Acquired, 0, true},        {Lock::Acquired, 1, false}, {Lock::Acquired, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.mutex) << " " << c.disableCustomize.value_or(99));
        GuiEnvironment env;
        env.services.mutexResult = c.mutex;
        if (c.disableCustomize)
            PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableCustomize", *c.disableCustomize);
        bool shown = false;
        env.setModalHandler([&](QDialog&) { shown = true; return int(QDialog::Rejected); });
        CCustomizerApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(shown, c.shown);
        EXPECT_FALSE(env.services.calls.contains("CloseClientWindow"));
    }
}

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

// A close from outside cancels the sheet: the settings-written flag cleared, nothing saved, the
// client not told. It comes as WM_CLOSE to the control window (where 0x0501 brings the sheet to
// the front), or from Continue of the elevation question when that request cannot be posted.
TEST(CloseFromOutsideTest, CancelsTheSheet)
{
    for (bool elevation : {false, true}) {
        SCOPED_TRACE(elevation);
        GuiEnvironment env;
        env.setRights(!elevation, false);
        bool closed = false;
        env.setModalHandler([&](QDialog& dialog) -> int {
            if (auto* confirm = qobject_cast<CConfirmElev*>(&dialog)) {
                confirm->OnBnClickedContinue();
                return confirm->result();
            }
            dialog.show();
            QWidget other;
            if (!elevation) {
                other.show();
                other.activateWindow();
                WaitFor([&] { return QApplication::activeWindow() == &other; }, 1000);
                EXPECT_TRUE(platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_BRING_TO_FRONT));
                EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &dialog; }));
            }
            Page(dialog, 0)->HideBox()->click();
            app::SetSettingsWritten(1);
            if (elevation)
                Page(dialog, 0)->AdminOnlyBox()->click();
            else
                EXPECT_TRUE(platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_CLOSE));
            closed = WaitFor([&dialog] { return !dialog.isVisible(); }, 2000);
            if (!closed)
                dialog.reject();
            return dialog.result();
        });
        CCustomizerApp app;
        app.InitInstance();
        EXPECT_TRUE(closed);
        EXPECT_EQ(app.LastSheetResult(), 2);
        EXPECT_EQ(app::SettingsWritten(), 0);
        EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, settings::UserDataKey(Area::QuickLinks), "HideGroup"));
        EXPECT_FALSE(env.services.calls.contains("CloseClientWindow") || env.services.calls.contains("SignalClientUpdate"));
    }
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

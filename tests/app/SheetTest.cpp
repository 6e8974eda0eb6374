// The sheet as the application runs it: the start-up gate, OK and Cancel and what they tell the
// client, a close from outside, and a machine store that cannot be read.

#include "GuiTest.h"
#include "StoreValues.h"
#include "pagekit/AreaPage.h"
#include "pagekit/ConfirmElev.h"
#include "platform/WindowMessages.h"
#include "quicklinks/QuickLinksPage.h"
#include "settings/Settings.h"
#include "settings/SettingsWritten.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace reg;
using settings::Area;
using settings::UserDataKey;

namespace {

const QStringList kTold{"CreateInstanceMutex", "CloseClientWindow", "SignalClientUpdate", "ReleaseInstanceMutex"};
const QStringList kNotTold{"CreateInstanceMutex", "ReleaseInstanceMutex"};

CAreaPage* Page(QDialog& dialog, int index)
{
    auto& sheet = static_cast<CQsCustSheet&>(dialog);
    sheet.SetActivePage(index);
    return static_cast<CAreaPage*>(sheet.GetPage(index));
}

TEST(SheetTest, FiveTabsAllVisibleAndOnlyOkAndCancel)
{
    GuiEnvironment env;
    CQsCustSheet sheet("caption");
    sheet.show();
    QTabBar* tabs = sheet.TabControl()->tabBar();
    const QStringList expected{"Quick Links", "Resource Center", "Message Center", "Appearance", "Button light"};
    ASSERT_EQ(tabs->count(), expected.size());
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(tabs->tabText(i), expected[i]);
        EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(i))) << "tab " << i << " cut off";
    }
    EXPECT_EQ(sheet.findChild<QDialogButtonBox*>()->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

// Return is OK: the pages shown save (Appearance has no Hide box, so it writes the machine store
// only), and the client is told, close request first, unless every save failed; a failure is told
// once. Escape is Cancel: nothing saved, the client told only when the Quick Links save had
// written.
TEST(SheetTest, OkSavesThePagesShownAndCancelNothing)
{
    const struct {
        const char* name;
        Qt::Key key;
        int written;
        QList<Root> readOnly;
        std::optional<DWORD> hide, admin;
        QStringList calls;
    } cases[] = {
        {"OK", Qt::Key_Return, 0, {}, 1, 1, kTold},
        {"OK, the user's store read-only", Qt::Key_Return, 0, {Root::CurrentUser}, {}, 1, kTold},
        {"OK, both stores read-only", Qt::Key_Return, 0, {Root::CurrentUser, Root::LocalMachine}, {}, {}, kNotTold},
        {"Cancel", Qt::Key_Escape, 0, {}, {}, {}, kNotTold},
        {"Cancel after a written save", Qt::Key_Escape, 1, {}, {}, {}, kTold},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        int messages = 0;
        env.setModalHandler([&](QDialog& dialog) -> int {
            if (qobject_cast<QMessageBox*>(&dialog)) {
                ++messages;
                return QMessageBox::Ok;
            }
            dialog.show();
            Page(dialog, 0)->HideBox()->click();
            Page(dialog, 3)->AdminOnlyBox()->click();
            for (Root root : c.readOnly)
                env.store.setReadOnly(root, true);
            app::SetSettingsWritten(c.written);
            QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
            QApplication::sendEvent(&dialog, &press);
            WaitFor([&dialog] { return !dialog.isVisible(); });
            return dialog.result();
        });
        CCustomizerApp app;
        app.InitInstance();
        app::SetSettingsWritten(0);
        for (Root root : c.readOnly)
            env.store.setReadOnly(root, false);
        EXPECT_EQ(app.LastSheetResult(), c.key == Qt::Key_Return ? 1 : 2);
        EXPECT_EQ(messages, c.readOnly.isEmpty() ? 0 : 1);
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, UserDataKey(Area::QuickLinks), "HideGroup"), c.hide);
        EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, UserDataKey(Area::Appearance), "AllowOnlyAdmin"), c.admin);
        for (Area unshown : {Area::ResourceCenter, Area::MessageCenter, Area::ButtonLight})
            EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, UserDataKey(unshown), "AllowOnlyAdmin"));
        EXPECT_EQ(env.services.calls, c.calls);
    }
}

// A second copy and the forbidding policy end silently; a failed lock does not stop the utility;
// either management key puts the sheet in managed mode.
TEST(StartGateTest, SheetShownOnlyWhenAllowed)
{
    using Lock = platform::InstanceLock::Result;
    const struct { Lock mutex; std::optional<DWORD> disableCustomize; bool managed, shown; } cases[] = {
        {Lock::AlreadyExists, {}, false, false}, {Lock::Failed, {}, false, true}, {Lock::Acquired, {}, true, true},
        {Lock::Acquired, 0, false, true},        {Lock::Acquired, 1, false, false}, {Lock::Acquired, 2, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.mutex) << " " << c.disableCustomize.value_or(99) << " " << c.managed);
        GuiEnvironment env;
        env.services.mutexResult = c.mutex;
        if (c.disableCustomize)
            PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableCustomize", *c.disableCustomize);
        if (c.managed)
            PutKey(HKEY_LOCAL_MACHINE, settings::kAdmiCtrlKey);
        bool shown = false;
        env.setModalHandler([&](QDialog&) {
            shown = true;
            EXPECT_EQ(settings::IsManagedMode(), c.managed);
            return int(QDialog::Rejected);
        });
        CCustomizerApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(shown, c.shown);
        EXPECT_FALSE(env.services.calls.contains("CloseClientWindow"));
    }
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
        EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, UserDataKey(Area::QuickLinks), "HideGroup"));
        EXPECT_FALSE(env.services.calls.contains("CloseClientWindow") || env.services.calls.contains("SignalClientUpdate"));
    }
}

// A machine store that exists and cannot be read, even by root: the utility does not open, and
// says in one message the file, the cause and how to recover; its policy fails closed (managed
// mode, administrators only, Hide policies at 0) and what the user chose stays the user's.
TEST(MachineStoreTest, UnreadableStoreEndsTheUtilityAndItsPolicyFailsClosed)
{
    enum Damage { NotADatabase, ADirectory, CutShort };
    for (Damage damage : {NotADatabase, ADirectory, CutShort}) {
        SCOPED_TRACE(damage);
        GuiEnvironment env;
        env.setRights(false, false);
        PutDword(HKEY_CURRENT_USER, UserDataKey(Area::QuickLinks), "HideGroup", 1);
        QString path = env.store.path(Root::LocalMachine);
        if (damage == NotADatabase) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, '\x5a')) == 4096);
        } else if (damage == ADirectory) {
            path = env.store.dir();
        } else {
            PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableCustomize", 1);
            ResetStore();
            ASSERT_TRUE(QFile(path).resize(100));
        }
        ConfigureRoot(Root::LocalMachine, {path, RootAccess::Auto});
        const LSTATUS status = settings::MachineStoreStatus();
        EXPECT_NE(status, ERROR_SUCCESS);
        QStringList shown;
        env.setModalHandler([&shown](QDialog& dialog) -> int {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            shown << (box ? box->text() : dialog.metaObject()->className());
            return QMessageBox::Ok;
        });
        CCustomizerApp app;
        EXPECT_FALSE(app.InitInstance());
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].contains(StoreErrorText(Root::LocalMachine, status))) << qPrintable(shown[0]);
        EXPECT_TRUE(shown[0].contains("talven-reg query HKLM")) << qPrintable(shown[0]);
        EXPECT_EQ(env.services.calls, kNotTold);
        EXPECT_TRUE(settings::DetectManagedMode() && settings::GetHidePolicy("HideQLinks") == 0 &&
                    settings::GetAllowOnlyAdmin(UserDataKey(Area::QuickLinks)) == 1);
        CQuickLinks page;
        page.CreatePage();
        EXPECT_TRUE(page.IsLocked());
        EXPECT_FALSE(page.OnOK().Failed());
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, UserDataKey(Area::QuickLinks), "HideGroup"), 1u);
    }
}

} // namespace

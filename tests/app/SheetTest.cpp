// The sheet as the application runs it: the start-up gate, OK, Cancel and a close from outside
// and what they tell the client, and a machine store that cannot be read.

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
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRegularExpression>

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

// Return is OK: the pages shown save (Appearance has no Hide box, so it writes the machine store
// only), and the client is told, close request first, unless every save failed; a failure is told
// once. Escape is Cancel: nothing saved, the client told only when the Quick Links save had
// written. A close from outside (WM_CLOSE to the control window, or Continue of a user's
// elevation question when that request cannot be posted) cancels and clears the written flag.
TEST(SheetTest, OkSavesThePagesShownAndCancelNothing)
{
    enum Action { Ok, Cancel, CloseMessage, Elevation };
    const struct {
        const char* name; Action action; int written; QList<Root> readOnly; std::optional<DWORD> hide, admin; QStringList calls;
    } cases[] = {
        {"OK", Ok, 0, {}, 1, 1, kTold},
        {"OK, the user's store read-only", Ok, 0, {Root::CurrentUser}, {}, 1, kTold},
        {"OK, both stores read-only", Ok, 0, {Root::CurrentUser, Root::LocalMachine}, {}, {}, kNotTold},
        {"Cancel", Cancel, 0, {}, {}, {}, kNotTold},
        {"Cancel after a written save", Cancel, 1, {}, {}, {}, kTold},
        {"WM_CLOSE from outside", CloseMessage, 1, {}, {}, {}, kNotTold},
        {"Continue of the elevation question", Elevation, 1, {}, {}, {}, kNotTold},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        env.setRights(c.action != Elevation, false);
        QStringList messages;
        env.setModalHandler([&](QDialog& dialog) -> int {
            if (auto* confirm = qobject_cast<CConfirmElev*>(&dialog)) {
                confirm->OnBnClickedContinue();
                return confirm->result();
            }
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                messages << box->text();
                return QMessageBox::Ok;
            }
            dialog.show();
            app::SetSettingsWritten(c.written);
            Page(dialog, 0)->HideBox()->click();
            Page(dialog, 3)->AdminOnlyBox()->click();
            for (Root root : c.readOnly)
                env.store.setReadOnly(root, true);
            EXPECT_TRUE(c.action != CloseMessage ||
                        platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_CLOSE));
            QKeyEvent press(QEvent::KeyPress, c.action == Ok ? Qt::Key_Return : Qt::Key_Escape, Qt::NoModifier);
            if (c.action == Ok || c.action == Cancel)
                QApplication::sendEvent(&dialog, &press);
            WaitFor([&dialog] { return !dialog.isVisible(); }, 2000);
            return dialog.result();
        });
        CCustomizerApp app;
        app.InitInstance();
        app::SetSettingsWritten(0);
        for (Root root : c.readOnly)
            env.store.setReadOnly(root, false);
        EXPECT_EQ(app.LastSheetResult(), c.action == Ok ? 1 : 2);
        // The message names the first failure, the Quick Links page's.
        ASSERT_EQ(messages.size(), c.readOnly.isEmpty() ? 0 : 1);
        EXPECT_TRUE(c.readOnly.isEmpty() || messages[0].contains(StoreErrorText(Root::CurrentUser, ERROR_ACCESS_DENIED)));
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, UserDataKey(Area::QuickLinks), "HideGroup"), c.hide);
        EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, UserDataKey(Area::Appearance), "AllowOnlyAdmin"), c.admin);
        EXPECT_EQ(env.services.calls.filter(QRegularExpression("Instance|Client")), c.calls);
    }
}

// A second copy and the forbidding policy end silently; a failed lock does not stop the utility;
// either management key puts the sheet in managed mode.
TEST(StartGateTest, SheetShownOnlyWhenAllowed)
{
    using Lock = platform::InstanceLock::Result;
    const struct { Lock mutex; std::optional<DWORD> disableCustomize; bool managed, shown; } cases[] = {
        {Lock::AlreadyExists, {}, false, false}, {Lock::Failed, {}, false, true},
        {Lock::Acquired, {}, true, true}, {Lock::Acquired, 1, false, false}, {Lock::Acquired, 2, false, true},
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

// A machine store that exists and cannot be read, even by root (cut short, a forbidding policy in
// it): the utility does not open, and says in one message the file, the cause and how to recover;
// its policy fails closed (managed mode, administrators only, Hide policies at 0) and what the
// user chose stays the user's.
TEST(MachineStoreTest, UnreadableStoreEndsTheUtilityAndItsPolicyFailsClosed)
{
    GuiEnvironment env;
    env.setRights(false, false);
    PutDword(HKEY_CURRENT_USER, UserDataKey(Area::QuickLinks), "HideGroup", 1);
    const QString path = env.store.path(Root::LocalMachine);
    PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableCustomize", 1);
    ResetStore();
    ASSERT_TRUE(QFile(path).resize(100));
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

} // namespace

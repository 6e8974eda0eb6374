#include "GuiTest.h"
#include "StoreValues.h"
#include "quicklinks/QuickLinksPage.h"
#include "resourcecenter/ToolKitPage.h"
#include "settings/Settings.h"
#include "shell/CustomizerApp.h"

#include <QCheckBox>
#include <QFile>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace reg;

namespace {

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
        PutDword(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::QuickLinks), "HideGroup", 1);
        QString path = env.store.path(Root::LocalMachine);
        if (damage == NotADatabase) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, '\x5a'));
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
        EXPECT_EQ(app.LastSheetResult(), 0);
        EXPECT_EQ(env.services.calls, QStringList({"CreateInstanceMutex", "ReleaseInstanceMutex"}));

        EXPECT_TRUE(settings::DetectManagedMode());
        EXPECT_EQ(settings::GetAllowOnlyAdmin(settings::UserDataKey(settings::Area::QuickLinks)), 1u);
        EXPECT_EQ(settings::GetHidePolicy("HideQLinks"), 0);
        CQuickLinks page;
        page.CreatePage();
        EXPECT_TRUE(page.IsLocked());
        EXPECT_TRUE(page.HideBox()->isChecked());
        EXPECT_FALSE(page.HideBox()->isEnabled());
        CToolKit toolKit;
        toolKit.CreatePage();
        EXPECT_FALSE(toolKit.AdminOnlyBox()->isEnabled()) << "the Hide policy at 0 also holds the box";
        EXPECT_FALSE(page.OnOK().Failed());
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::QuickLinks), "HideGroup"), 1u);
    }
}

} // namespace

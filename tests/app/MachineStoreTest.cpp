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

struct Damage {
    const char* name;
    // Points the machine root at something that exists and cannot be read, even by root.
    std::function<QString(const TempStore&)> make;
};

void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

const Damage kDamages[] = {
    {"not_a_database", [](const TempStore& store) {
         const QString path = store.dir() + "/garbage.db";
         QFile file(path);
         EXPECT_TRUE(file.open(QIODevice::WriteOnly));
         file.write(QByteArray(4096, '\x5a'));
         return path;
     }},
    {"a_directory", [](const TempStore& store) { return store.dir(); }},
    {"database_cut_short", [](const TempStore& store) {
         PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableCustomize", 1);
         ResetStore();
         QFile file(store.path(Root::LocalMachine));
         EXPECT_TRUE(file.resize(100));
         return store.path(Root::LocalMachine);
     }},
};

class MachineStoreTest : public testing::TestWithParam<Damage> {
protected:
    void SetUp() override
    {
        env.setRights(false, false);
        // What the user chose stays the user's: a Hide policy that cannot be read disables the box.
        PutDword(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::QuickLinks), "HideGroup", 1);
        const QString path = GetParam().make(env.store);
        ConfigureRoot(Root::LocalMachine, {path, RootAccess::Auto});
        status = settings::MachineStoreStatus();
    }

    GuiEnvironment env;
    LSTATUS status = ERROR_SUCCESS;
};

// Nothing a readable store could forbid is granted: managed mode, administrators only, Hide
// policies at 0.
TEST_P(MachineStoreTest, PolicyFailsClosed)
{
    EXPECT_NE(status, ERROR_SUCCESS);
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

// The utility does not open: one message names the file and the cause and how to recover.
TEST_P(MachineStoreTest, StartUpSaysWhyAndEnds)
{
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
}

INSTANTIATE_TEST_SUITE_P(Damages, MachineStoreTest, testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

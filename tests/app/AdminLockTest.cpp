#include "GuiTest.h"
#include "StoreValues.h"
#include "buttonlight/BlinkPage.h"
#include "pagekit/AreaPage.h"
#include "pagekit/ConfirmElev.h"
#include "quicklinks/QuickLinksPage.h"
#include "resourcecenter/ToolKitPage.h"
#include "settings/AdminLock.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace reg;
using settings::Area;

namespace {

// A page with one content control, to see the base's lock and save without a real page's rules.
class TestPage : public CAreaPage {
public:
    TestPage() : CAreaPage(129, Area::QuickLinks, QStringLiteral("HideQLinks")) {}
    QPushButton* content = nullptr;
    bool saved = false, freed = false;

protected:
    void BuildContent(QVBoxLayout* layout) override { layout->addWidget(content = new QPushButton("x")); }
    QList<QWidget*> ContentControls() const override { return {content}; }
    void SaveContent(app::PageSave&) override { saved = true; }
    void FreeRecords() override { freed = true; }
};

// The page applies the lock; OK writes HideGroup outside managed mode, AllowOnlyAdmin for
// administrators only (under the policy key in managed mode), content only when neither managed
// nor elevated.
TEST(AdminLockTest, PageLocksAndSavesWhatTheRightsAllow)
{
    const struct {
        const char* name; bool administrator, elevated, managed; int windowsMajor; bool boxChecked, locked, boxEnabled;
    } cases[] = {
        {"administrator, box checked", true, false, false, 10, true, false, true},
        {"XP user, box checked", false, false, false, 5, true, true, false},
        {"user, box checked", false, false, false, 10, true, true, true},
        {"elevated", true, true, false, 10, false, true, true},
        {"managed administrator", true, false, true, 10, false, true, false},
        {"managed user, box checked", false, false, true, 10, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        env.setRights(c.administrator, c.elevated, c.windowsMajor);
        settings::SetManagedMode(c.managed);
        const QString key = settings::DataKey(Area::QuickLinks);
        if (c.boxChecked)
            PutDword(HKEY_LOCAL_MACHINE, key, "AllowOnlyAdmin", 1);
        TestPage page;
        page.CreatePage();
        EXPECT_EQ(std::tuple(page.IsLocked(), page.content->isEnabled(), page.HideBox()->isEnabled()),
                  std::tuple(c.locked, !c.locked, !c.locked));
        EXPECT_EQ(std::pair(page.AdminOnlyBox()->isEnabled(), page.AdminOnlyBox()->isChecked()), std::pair(c.boxEnabled, c.boxChecked));
        EXPECT_FALSE(page.OnOK().Failed());
        EXPECT_EQ(std::pair(page.saved, page.freed), std::pair(!c.managed && !c.elevated, true));
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "HideGroup").has_value(), !c.managed);
        EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, "AllowOnlyAdmin"),
                  c.administrator || c.boxChecked ? std::optional<DWORD>(c.boxChecked) : std::nullopt);
    }
}

// A user's click asks first: Cancel leaves everything, Continue starts the broker and asks the
// utility to close. An administrator's click just marks the change; before Vista nobody is asked.
TEST(ElevationTest, UsersConfirmAndAdministratorsJustClick)
{
    enum Answer { NotAsked, Cancel, Continue };
    const struct { bool administrator; Answer answer; QStringList calls; } cases[] = {
        {false, Cancel, {}},
        {false, Continue,
         {"StartProgram /opt/talven/QsBroker in /opt/talven", "PostToWindow VelkorQuaystarCustomizerWndClass 0x0010"}},
        {true, NotAsked, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        GuiEnvironment env;
        env.setRights(c.administrator, false);
        PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), "/opt/talven");
        TestPage page;
        page.CreatePage();
        bool asked = false;
        env.setModalHandler([&](QDialog& dialog) {
            auto& confirm = dynamic_cast<CConfirmElev&>(dialog);
            asked = true;
            if (c.answer == Continue)
                confirm.ContinueButton()->click();
            return confirm.result();
        });
        page.AdminOnlyBox()->click();
        EXPECT_EQ(asked, c.answer != NotAsked);
        EXPECT_EQ(std::pair(page.AdminOnlyBox()->isChecked(), page.IsModified()), std::pair(c.administrator, c.administrator));
        EXPECT_EQ(env.services.calls, c.calls);
    }
    EXPECT_FALSE(app::ClickAsksElevation(false, 5));
}

std::unique_ptr<CAreaPage> MakePage(Area area)
{
    switch (area) {
    case Area::QuickLinks: return std::make_unique<CQuickLinks>();
    case Area::ResourceCenter: return std::make_unique<CToolKit>();
    default: return std::make_unique<CBlink>();
    }
}

// A Hide policy of 0 disables the Hide box, 1 checks and disables it, anything else leaves the
// stored state. A page locked for a user keeps its administrator-only box usable unless its own
// policy says otherwise.
TEST(PagePolicyTest, HideBoxAndLockedAdminBoxFollowThePolicies)
{
    const struct {
        Area area; const char* policy; std::optional<DWORD> value; bool stored, locked, checked, enabled, adminEnabled;
    } cases[] = {
        {Area::QuickLinks, "HideQLinks", {}, true, false, true, true, true},
        {Area::QuickLinks, "HideQLinks", 0, true, false, true, false, true},
        {Area::QuickLinks, "HideQLinks", 1, false, false, true, false, true},
        {Area::ResourceCenter, "HideRCenter", 2, false, false, false, true, true},
        {Area::ResourceCenter, "HideRCenter", 0, true, false, true, false, true},
        {Area::ResourceCenter, "HideRCenter", {}, false, true, false, false, true},
        {Area::ResourceCenter, "HideRCenter", 0, false, true, false, false, false},
        {Area::ButtonLight, "DisableBlink", {}, false, true, false, false, true},
        {Area::ButtonLight, "DisableBlink", 1, false, true, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.policy << " " << c.value.value_or(12345) << " " << c.locked);
        GuiEnvironment env;
        env.setRights(!c.locked, false);
        if (c.value)
            PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, c.policy, *c.value);
        PutDword(HKEY_CURRENT_USER, settings::UserDataKey(c.area), "HideGroup", c.stored);
        PutDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(c.area), "AllowOnlyAdmin", c.locked);
        const auto page = MakePage(c.area);
        page->CreatePage();
        EXPECT_EQ(std::tuple(page->IsLocked(), page->HideBox() && page->HideBox()->isChecked(),
                             page->HideBox() && page->HideBox()->isEnabled(), page->AdminOnlyBox()->isEnabled()),
                  std::tuple(c.locked, c.checked, c.enabled, c.adminEnabled));
    }
}

} // namespace

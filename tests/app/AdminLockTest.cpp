#include "GuiTest.h"
#include "StoreValues.h"
#include "buttonlight/BlinkPage.h"
#include "messagecenter/MessageCenterPage.h"
#include "pagekit/AreaPage.h"
#include "pagekit/ConfirmElev.h"
#include "quicklinks/QuickLinksPage.h"
#include "resourcecenter/ToolKitPage.h"
#include "settings/AdminLock.h"
#include "settings/Settings.h"
#include "settings/SettingsWritten.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace reg;

namespace {

struct Situation {
    const char* name;
    bool administrator, elevated, managed;
    int windowsMajor;
    bool boxChecked;
    bool contentLocked, boxEnabled;
};

void PrintTo(const Situation& s, std::ostream* os) { *os << s.name; }

// A page with one content control, to see the base's lock and save without a real page's rules.
class TestPage : public CAreaPage {
public:
    TestPage() : CAreaPage(129, settings::Area::QuickLinks, QStringLiteral("HideQLinks")) {}
    QPushButton* content = nullptr;
    bool saved = false;
    bool freed = false;

protected:
    void BuildContent(QVBoxLayout* layout) override { layout->addWidget(content = new QPushButton("x")); }
    QList<QWidget*> ContentControls() const override { return {content}; }
    void SaveContent(app::PageSave&) override { saved = true; }
    void FreeRecords() override { freed = true; }
};

class AdminLockTest : public testing::TestWithParam<Situation> {};

// The page applies the lock; OK writes HideGroup outside managed mode, AllowOnlyAdmin for
// administrators only (under the policy key in managed mode), content only when neither managed
// nor elevated.
TEST_P(AdminLockTest, PageLocksAndSavesWhatTheRightsAllow)
{
    const Situation& s = GetParam();
    GuiEnvironment env;
    env.setRights(s.administrator, s.elevated, s.windowsMajor);
    settings::SetManagedMode(s.managed);
    const QString key = settings::DataKey(settings::Area::QuickLinks);
    if (s.boxChecked)
        PutDword(HKEY_LOCAL_MACHINE, key, "AllowOnlyAdmin", 1);
    TestPage page;
    page.CreatePage();
    EXPECT_EQ(page.IsLocked(), s.contentLocked);
    EXPECT_EQ(page.content->isEnabled(), !s.contentLocked);
    EXPECT_EQ(page.HideBox()->isEnabled(), !s.contentLocked);
    EXPECT_EQ(page.AdminOnlyBox()->isEnabled(), s.boxEnabled);
    EXPECT_EQ(page.AdminOnlyBox()->isChecked(), s.boxChecked);

    EXPECT_FALSE(page.OnOK().Failed());
    EXPECT_EQ(page.saved, !s.managed && !s.elevated);
    EXPECT_TRUE(page.freed);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "HideGroup").has_value(), !s.managed);
    const auto allowOnlyAdmin = ReadDword(HKEY_LOCAL_MACHINE, key, "AllowOnlyAdmin");
    EXPECT_EQ(allowOnlyAdmin, s.administrator || s.boxChecked ? std::optional<DWORD>(s.boxChecked) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Situations, AdminLockTest, testing::ValuesIn(std::vector<Situation>{
    {"administrator", true, false, false, 10, false, false, true},
    {"administrator_box_checked", true, false, false, 10, true, false, true},
    {"xp_administrator", true, false, false, 5, true, false, true},
    {"xp_user_unchecked", false, false, false, 5, false, false, false},
    {"xp_user_checked", false, false, false, 5, true, true, false},
    {"vista_user_unchecked", false, false, false, 6, false, false, true},
    {"vista_user_checked", false, false, false, 10, true, true, true},
    {"elevated", true, true, false, 10, false, true, true},
    {"managed_administrator", true, false, true, 10, false, true, false},
    {"managed_user_checked", false, false, true, 10, true, true, false},
}), [](const auto& info) { return std::string(info.param.name); });

TEST(AdminLockRules, PageConditions)
{
    app::LockInputs in{true, false, false, 10, false};
    in.pageLocksAdminBox = true;
    EXPECT_TRUE(app::DecideLock(in).adminBoxEnabled) << "the box condition acts only on a locked page";
    in.pageLocks = true;
    EXPECT_TRUE(app::DecideLock(in).contentLocked);
    EXPECT_FALSE(app::DecideLock(in).adminBoxEnabled);
}

// A user's click asks first: Cancel leaves everything, Continue starts the broker and asks the
// utility to close. An administrator's click just marks the change.
TEST(ElevationTest, UsersConfirmAndAdministratorsJustClick)
{
    enum Answer { NotAsked, Cancel, Continue };
    const struct { bool administrator; Answer answer; bool checked; QStringList calls; } cases[] = {
        {false, Cancel, false, {}},
        {false, Continue, false,
         {"StartProgram /opt/talven/QsBroker in /opt/talven", "PostToWindow VelkorQuaystarCustomizerWndClass 0x0010"}},
        {true, NotAsked, true, {}},
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
            EXPECT_FALSE(confirm.ContinueButton()->icon().pixmap(16, 16).isNull()) << "shield on Continue";
            asked = true;
            if (c.answer == Continue)
                confirm.ContinueButton()->click();
            return confirm.result();
        });
        page.AdminOnlyBox()->click();
        EXPECT_EQ(asked, c.answer != NotAsked);
        EXPECT_EQ(page.AdminOnlyBox()->isChecked(), c.checked);
        EXPECT_EQ(page.IsModified(), c.checked);
        EXPECT_EQ(env.services.calls, c.calls);
    }
}

std::unique_ptr<CAreaPage> MakePage(settings::Area area)
{
    switch (area) {
    case settings::Area::QuickLinks: return std::make_unique<CQuickLinks>();
    case settings::Area::ResourceCenter: return std::make_unique<CToolKit>();
    case settings::Area::MessageCenter: return std::make_unique<CMessageCenter>();
    default: return std::make_unique<CBlink>();
    }
}

// A Hide policy of 0 disables the Hide box, 1 checks and disables it, anything else leaves the
// stored state.
TEST(PagePolicyTest, HideBoxFollowsThePolicy)
{
    using settings::Area;
    const struct { Area area; const char* policy; std::optional<DWORD> value; bool stored, checked, enabled; } cases[] = {
        {Area::QuickLinks, "HideQLinks", {}, true, true, true},
        {Area::QuickLinks, "HideQLinks", 0, true, true, false},
        {Area::QuickLinks, "HideQLinks", 1, false, true, false},
        {Area::ResourceCenter, "HideRCenter", 2, false, false, true},
        {Area::ResourceCenter, "HideRCenter", 1, false, true, false},
        {Area::MessageCenter, "HideMCenter", 0, false, false, false},
        {Area::MessageCenter, "HideMCenter", 0xFFFFFFFF, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.policy << " " << c.value.value_or(12345) << " " << c.stored);
        GuiEnvironment env;
        if (c.value)
            PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, c.policy, *c.value);
        PutDword(HKEY_CURRENT_USER, settings::UserDataKey(c.area), "HideGroup", c.stored);
        const auto page = MakePage(c.area);
        page->CreatePage();
        EXPECT_EQ(page->HideBox()->isChecked(), c.checked);
        EXPECT_EQ(page->HideBox()->isEnabled(), c.enabled);
    }
}

// A locked page keeps its administrator-only box usable unless its own policy says otherwise.
TEST(PagePolicyTest, ResourceCenterAndButtonLightBoxes)
{
    const struct { settings::Area area; const char* policy; DWORD value; } cases[] = {
        {settings::Area::ResourceCenter, "HideRCenter", 0},
        {settings::Area::ButtonLight, "DisableBlink", 1},
    };
    for (const auto& c : cases) {
        GuiEnvironment env;
        env.setRights(false, false);
        PutDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(c.area), "AllowOnlyAdmin", 1);
        for (bool policy : {false, true}) {
            if (policy)
                PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, c.policy, c.value);
            const auto page = MakePage(c.area);
            page->CreatePage();
            EXPECT_TRUE(page->IsLocked()) << c.policy;
            EXPECT_EQ(page->AdminOnlyBox()->isEnabled(), !policy) << c.policy;
        }
    }
}

} // namespace

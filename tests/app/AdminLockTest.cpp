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

// The situations of the administrator lock, without page-specific conditions.
const Situation kSituations[] = {
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
};

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

class AdminLockTest : public testing::TestWithParam<Situation> {
protected:
    void SetUp() override
    {
        const Situation& s = GetParam();
        env.setRights(s.administrator, s.elevated, s.windowsMajor);
        settings::SetManagedMode(s.managed);
        if (s.boxChecked)
            PutDword(HKEY_LOCAL_MACHINE, settings::DataKey(settings::Area::QuickLinks), "AllowOnlyAdmin", 1);
        page.CreatePage();
    }

    GuiEnvironment env;
    TestPage page;
};

TEST_P(AdminLockTest, DecisionMatchesTheTable)
{
    const Situation& s = GetParam();
    app::LockInputs in{s.administrator, s.elevated, s.managed, s.windowsMajor, s.boxChecked};
    const app::LockDecision decision = app::DecideLock(in);
    EXPECT_EQ(decision.contentLocked, s.contentLocked);
    EXPECT_EQ(decision.adminBoxEnabled, s.boxEnabled);
}

TEST_P(AdminLockTest, PageAppliesTheLock)
{
    const Situation& s = GetParam();
    EXPECT_EQ(page.IsLocked(), s.contentLocked);
    EXPECT_EQ(page.content->isEnabled(), !s.contentLocked);
    EXPECT_EQ(page.HideBox()->isEnabled(), !s.contentLocked);
    EXPECT_EQ(page.AdminOnlyBox()->isEnabled(), s.boxEnabled);
    EXPECT_EQ(page.AdminOnlyBox()->isChecked(), s.boxChecked);
}

// OK: HideGroup outside managed mode, AllowOnlyAdmin for administrators only (under the policy
// key in managed mode), content only when neither managed nor elevated.
TEST_P(AdminLockTest, OkWritesWhatTheRightsAllow)
{
    const Situation& s = GetParam();
    EXPECT_FALSE(page.OnOK().Failed());
    const QString key = settings::DataKey(settings::Area::QuickLinks);
    EXPECT_EQ(page.saved, !s.managed && !s.elevated);
    EXPECT_TRUE(page.freed);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "HideGroup").has_value(), !s.managed);
    const auto allowOnlyAdmin = ReadDword(HKEY_LOCAL_MACHINE, key, "AllowOnlyAdmin");
    if (s.administrator)
        EXPECT_EQ(allowOnlyAdmin, DWORD(s.boxChecked));
    else
        EXPECT_EQ(allowOnlyAdmin.has_value(), s.boxChecked);
}

INSTANTIATE_TEST_SUITE_P(Situations, AdminLockTest, testing::ValuesIn(kSituations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AdminLockRules, PageConditions)
{
    app::LockInputs in{true, false, false, 10, false};
    in.pageLocksAdminBox = true;
    EXPECT_TRUE(app::DecideLock(in).adminBoxEnabled) << "the box condition acts only on a locked page";
    in.pageLocks = true;
    EXPECT_TRUE(app::DecideLock(in).contentLocked);
    EXPECT_FALSE(app::DecideLock(in).adminBoxEnabled);
}

class ElevationTest : public testing::Test {
protected:
    void open(bool administrator, int windowsMajor = 10)
    {
        env.setRights(administrator, false, windowsMajor);
        PutString(HKEY_LOCAL_MACHINE, settings::kInstallPathKey, QString(), "/opt/talven");
        page.CreatePage();
    }

    GuiEnvironment env;
    TestPage page;
};

TEST_F(ElevationTest, StandardUserCancelLeavesEverything)
{
    open(false);
    bool asked = false;
    env.setModalHandler([&](QDialog& dialog) {
        auto* confirm = dynamic_cast<CConfirmElev*>(&dialog);
        asked = confirm != nullptr;
        EXPECT_TRUE(confirm && !confirm->ContinueButton()->icon().pixmap(16, 16).isNull()) << "shield on Continue";
        EXPECT_EQ(confirm->ContinueButton()->text(), "C&ontinue...");
        return int(QDialog::Rejected);
    });
    page.AdminOnlyBox()->click();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(page.AdminOnlyBox()->isChecked());
    EXPECT_FALSE(page.IsModified());
    EXPECT_EQ(env.services.calls, QStringList());
}

TEST_F(ElevationTest, ContinueStartsTheBrokerAndClosesTheUtility)
{
    open(false);
    env.setModalHandler(ShowAndRun([](QDialog& dialog) {
        static_cast<CConfirmElev&>(dialog).ContinueButton()->click();
    }));
    page.AdminOnlyBox()->click();
    EXPECT_FALSE(page.AdminOnlyBox()->isChecked());
    EXPECT_EQ(env.services.calls,
              QStringList({"StartProgram /opt/talven/QsBroker in /opt/talven",
                           "PostToWindow VelkorQuaystarCustomizerWndClass 0x0010"}));
}

TEST_F(ElevationTest, AdministratorClickJustMarksTheChange)
{
    open(true);
    env.setModalHandler([](QDialog&) -> int { ADD_FAILURE() << "no question for administrators"; return 0; });
    page.AdminOnlyBox()->click();
    EXPECT_TRUE(page.AdminOnlyBox()->isChecked());
    EXPECT_TRUE(page.IsModified());
}

// Without our own window to take the close request, Continue closes the sheet itself, as the
// request would: cancelled, nothing saved, the client not told.
TEST(ElevationFallback, ContinueClosesTheSheetWhenTheRequestCannotBePosted)
{
    GuiEnvironment env;
    env.setRights(false, false);
    bool closed = false;
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* confirm = qobject_cast<CConfirmElev*>(&dialog)) {
            confirm->OnBnClickedContinue();
            return confirm->result();
        }
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.show();
        auto* page = static_cast<CAreaPage*>(sheet.GetPage(0));
        page->HideBox()->click();
        app::SetSettingsWritten(1);
        page->AdminOnlyBox()->click();
        closed = WaitFor([&sheet] { return !sheet.isVisible(); }, 2000);
        if (!closed)
            sheet.reject();
        return sheet.result();
    });
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_TRUE(closed);
    EXPECT_EQ(app.LastSheetResult(), 2);
    EXPECT_EQ(app::SettingsWritten(), 0);
    EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::QuickLinks), "HideGroup"));
    EXPECT_FALSE(env.services.calls.contains("SignalClientUpdate"));
}

TEST(BrokerPath, MissingFolderGivesTheBareName)
{
    EXPECT_EQ(BrokerPath(QString()), "/QsBroker");
}

} // namespace

namespace {

struct PolicyCase {
    const char* name;
    int page; // 0 Quick Links, 1 Resource Center, 2 Message Center
    std::optional<DWORD> policy;
    bool storedHidden;
    bool hideChecked, hideEnabled;
};

void PrintTo(const PolicyCase& c, std::ostream* os) { *os << c.name; }

std::unique_ptr<CAreaPage> MakePage(int page)
{
    switch (page) {
    case 0: return std::make_unique<CQuickLinks>();
    case 1: return std::make_unique<CToolKit>();
    default: return std::make_unique<CMessageCenter>();
    }
}

const char* const kHidePolicies[] = {"HideQLinks", "HideRCenter", "HideMCenter"};
const settings::Area kHideAreas[] = {settings::Area::QuickLinks, settings::Area::ResourceCenter,
                                     settings::Area::MessageCenter};

class HidePolicyTest : public testing::TestWithParam<PolicyCase> {};

// 0 disables the Hide box, 1 checks and disables it, anything else leaves the stored state.
TEST_P(HidePolicyTest, HideBoxFollowsThePolicy)
{
    const PolicyCase& c = GetParam();
    GuiEnvironment env;
    if (c.policy)
        PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, kHidePolicies[c.page], *c.policy);
    PutDword(HKEY_CURRENT_USER, settings::UserDataKey(kHideAreas[c.page]), "HideGroup", c.storedHidden);
    const auto page = MakePage(c.page);
    page->CreatePage();
    EXPECT_EQ(page->HideBox()->isChecked(), c.hideChecked);
    EXPECT_EQ(page->HideBox()->isEnabled(), c.hideEnabled);
}

INSTANTIATE_TEST_SUITE_P(Policies, HidePolicyTest,
    testing::Values(PolicyCase{"quicklinks_none", 0, {}, true, true, true},
                    PolicyCase{"quicklinks_0", 0, 0, true, true, false},
                    PolicyCase{"quicklinks_1", 0, 1, false, true, false},
                    PolicyCase{"resourcecenter_2", 1, 2, false, false, true},
                    PolicyCase{"resourcecenter_1", 1, 1, false, true, false},
                    PolicyCase{"messagecenter_0", 2, 0, false, false, false},
                    PolicyCase{"messagecenter_minus_1", 2, 0xFFFFFFFF, true, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A locked page keeps its administrator-only box usable unless its own policy says otherwise.
TEST(PagePolicyLock, ResourceCenterAndButtonLightBoxes)
{
    GuiEnvironment env;
    env.setRights(false, false);
    for (settings::Area area : {settings::Area::ResourceCenter, settings::Area::ButtonLight})
        PutDword(HKEY_LOCAL_MACHINE, settings::UserDataKey(area), "AllowOnlyAdmin", 1);
    CToolKit toolKit;
    CBlink blink;
    toolKit.CreatePage();
    blink.CreatePage();
    EXPECT_TRUE(toolKit.IsLocked() && toolKit.AdminOnlyBox()->isEnabled());
    EXPECT_TRUE(blink.IsLocked() && blink.AdminOnlyBox()->isEnabled());

    PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "HideRCenter", 0);
    PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableBlink", 1);
    CToolKit lockedToolKit;
    CBlink lockedBlink;
    lockedToolKit.CreatePage();
    lockedBlink.CreatePage();
    EXPECT_FALSE(lockedToolKit.AdminOnlyBox()->isEnabled());
    EXPECT_FALSE(lockedBlink.AdminOnlyBox()->isEnabled());
}

} // namespace

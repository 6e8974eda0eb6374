#include "settings/Settings.h"

#include "StoreValues.h"
#include "TempStore.h"
#include "platform/UserRights.h"
#include "platform/WindowsVersion.h"
#include "registry/Registry.h"
#include "registry/Transaction.h"
#include "AsNobody.h"

#include <gtest/gtest.h>

#include <QFile>

#include <optional>

using namespace reg;
using namespace settings;

namespace {

const QByteArray kDword0("\0\0\0\0", 4);
const QByteArray kDword1("\1\0\0\0", 4);

// Process-wide switches go back to their defaults so that no test sees another's.
class SettingsTest : public testing::Test {
protected:
    void TearDown() override
    {
        SetManagedMode(false);
        platform::OverrideWindowsMajorVersion(0);
        platform::OverrideEffectiveUid({});
        qunsetenv("PKEXEC_UID");
        qunsetenv("SUDO_UID");
    }
};

TEST_F(SettingsTest, PolicyAndXmlControlAreReadFromTheirOwnRoot)
{
    // policy: GetPolicyDword, else GetXmlControl; a null root writes nothing.
    const struct { const char* name; bool policy; HKEY root; DWORD type; QByteArray bytes; qint32 value; } cases[] = {
        {"no policy key", true, nullptr, REG_DWORD, {}, -1},
        {"xml control 2", false, HKEY_CURRENT_USER, REG_DWORD, QByteArray("\2\0\0\0", 4), 2},
        {"machine xml control ignored", false, HKEY_LOCAL_MACHINE, REG_DWORD, kDword1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStore store;
        if (c.root)
            PutValue(c.root, c.policy ? kPolicyKey : kXmlControlKey, "QuickLink", c.type, c.bytes);
        EXPECT_EQ(c.policy ? GetPolicyDword("QuickLink") : qint32(GetXmlControl("QuickLink")), c.value);
    }
}

// HideGroup is 1 only when checked; managed mode reads the machine's and writes nothing at all.
TEST_F(SettingsTest, HideGroupFollowsTheCheckStateOutsideManagedMode)
{
    TempStore store;
    const QString key = UserDataKey(Area::MessageCenter), policy = PolicyDataKey(Area::MessageCenter);
    for (const auto& [state, stored] : {std::pair{2, kDword0}, {1, kDword1}, {0, kDword0}}) {
        EXPECT_EQ(SetHideGroup(key, state), ERROR_SUCCESS);
        EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, key, "HideGroup"), stored) << state;
    }
    PutValue(HKEY_LOCAL_MACHINE, policy, "HideGroup", REG_DWORD, kDword1);
    EXPECT_EQ(GetHideGroup(policy), 0u);
    SetManagedMode(true);
    EXPECT_EQ(GetHideGroup(policy), 1u);
    const QString unwritten = UserDataKey(Area::Appearance);
    EXPECT_EQ(SetHideGroup(unwritten, 1), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, unwritten, "HideGroup"), std::nullopt);
}

TEST_F(SettingsTest, AllowOnlyAdminLivesInMachineKeyAndReportsCreationError)
{
    TempStore store;
    const QString key = UserDataKey(Area::Appearance);
    PutValue(HKEY_CURRENT_USER, key, "AllowOnlyAdmin", REG_DWORD, kDword1);
    // after: the machine value, nothing while the key is missing.
    const struct { bool readOnly; int state; LSTATUS status; std::optional<QByteArray> after; } steps[] = {
        {true, 1, ERROR_ACCESS_DENIED, std::nullopt},
        {false, 2, ERROR_SUCCESS, kDword0},
        {true, 1, ERROR_ACCESS_DENIED, kDword0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(&s - steps);
        store.setReadOnly(Root::LocalMachine, s.readOnly);
        EXPECT_EQ(SetAllowOnlyAdmin(key, s.state), s.status);
        EXPECT_EQ(ReadBytes(HKEY_LOCAL_MACHINE, key, "AllowOnlyAdmin"), s.after);
        EXPECT_EQ(GetAllowOnlyAdmin(key), s.after == kDword1 ? 1u : 0u);
    }
}

// A write of the machine store killed half way leaves a hot journal that only a writer can roll
// back: a user who may not write the store cannot read it, and its policy fails closed.
TEST_F(SettingsTest, InterruptedMachineWriteFailsClosedForAUser)
{
    if (!CanRunAsNobody())
        GTEST_SKIP() << "prepares the store as root and reads it as nobody";
    TempStore store;
    PutDword(HKEY_LOCAL_MACHINE, kPolicyKey, "DisableCustomize", 0);
    ASSERT_TRUE(QFile::setPermissions(store.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                       QFile::ReadOther | QFile::ExeOther));
    ResetStore();
    const pid_t writer = ::fork();
    if (writer == 0) {
        Transaction transaction(Root::LocalMachine);
        // More than the page cache holds, so that the store file itself is written before the end.
        PutValue(HKEY_LOCAL_MACHINE, kAdmiCtrlKey, "Pad", REG_BINARY, QByteArray(8 << 20, '\1'));
        ::_exit(0); // dies with the transaction open
    }
    ::waitpid(writer, nullptr, 0);
    ASSERT_TRUE(QFile::exists(store.path(Root::LocalMachine) + "-journal"));

    EXPECT_TRUE(RunAsNobody([] {
        ResetStore();
        return MachineStoreStatus() != ERROR_SUCCESS && DetectManagedMode() &&
               GetAllowOnlyAdmin(UserDataKey(Area::QuickLinks)) == 1 && GetHidePolicy("HideQLinks") == 0;
    }));
    // Root, as talven-reg would, rolls the interrupted write back.
    EXPECT_EQ(MachineStoreStatus(), ERROR_SUCCESS);
    EXPECT_FALSE(DetectManagedMode());
}

TEST_F(SettingsTest, DataKeyFollowsManagedModeThenLayout)
{
    EXPECT_EQ(DataKey(Area::QuickLinks, true), "Software\\Orvane\\TALVEN\\Data\\QuickLink.2");
    EXPECT_EQ(DataKey(Area::MessageCenter, true), "Software\\Orvane\\TALVEN\\Data\\MessageCenter");
    SetManagedMode(true);
    EXPECT_EQ(DataKey(Area::QuickLinks, true), "Software\\Policies\\Orvane\\TALVEN\\Data\\QuickLink");
}

// Only the superuser is an administrator; it is elevated when pkexec or sudo started it for
// another user (from Vista on), whose uid is then the session's.
TEST_F(SettingsTest, RightsFollowTheEffectiveUidAndWhoStartedTheProcess)
{
    const struct { uid_t euid; const char *pkexec, *sudo; int major; bool admin, elevated; uid_t session; } cases[] = {
        {0, "1000", "", 10, true, true, 1000},
        {0, "0", "1000", 6, true, true, 1000},
        {0, "1000", "", 5, true, false, 1000},
        {1000, "2000", "2000", 10, false, false, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.euid << " " << c.pkexec << " " << c.sudo << " " << c.major);
        platform::OverrideEffectiveUid(c.euid);
        platform::OverrideWindowsMajorVersion(c.major);
        qputenv("PKEXEC_UID", c.pkexec);
        qputenv("SUDO_UID", c.sudo);
        EXPECT_EQ(std::tuple(platform::IsUserAnAdmin(), platform::IsElevated(), platform::SessionUid()),
                  std::tuple(c.admin, c.elevated, c.session));
    }
}

} // namespace

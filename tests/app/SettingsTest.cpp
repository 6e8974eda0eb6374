#include "app/Settings.h"

#include "platform/UserRights.h"
#include "platform/WindowsVersion.h"
#include "registry/Registry.h"
#include "TempStore.h"

#include <gtest/gtest.h>

#include <optional>

using namespace reg;
using namespace settings;

namespace {

const QByteArray kDword0("\0\0\0\0", 4);
const QByteArray kDword1("\1\0\0\0", 4);

void Put(HKEY root, const QString& path, const QString& name, DWORD type, const QByteArray& bytes)
{
    Key key;
    ASSERT_EQ(RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(bytes.constData()), DWORD(bytes.size())),
              ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const QString& path)
{
    Key key;
    return RegOpenKeyEx(root, path, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// The stored bytes of a value, or nothing when the key or value is missing.
std::optional<QByteArray> Bytes(HKEY root, const QString& path, const QString& name)
{
    Key key;
    DWORD size = 0;
    if (RegOpenKeyEx(root, path, KEY_READ, key.put()) != ERROR_SUCCESS ||
        RegQueryValueEx(key, name, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    QByteArray bytes(int(size), '\0');
    if (RegQueryValueEx(key, name, nullptr, reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return bytes;
}

// Process-wide switches go back to their defaults so that no test sees another's.
class SettingsTest : public testing::Test {
protected:
    void TearDown() override
    {
        SetManagedMode(false);
        platform::OverrideUserRights({});
        platform::OverrideWindowsMajorVersion(0);
        qunsetenv("SUDO_UID");
    }
};

TEST_F(SettingsTest, PolicyDwordReadsRawBytesOfUpToFourFromMachinePolicy)
{
    const struct {
        const char* name;
        HKEY root;          // where the value is written; null writes nothing
        bool createKey;
        DWORD type;
        QByteArray bytes;
        qint32 expected;
    } cases[] = {
        {"no policy key", nullptr, false, REG_DWORD, {}, -1},
        {"key without the value", nullptr, true, REG_DWORD, {}, -1},
        {"dword 1", HKEY_LOCAL_MACHINE, true, REG_DWORD, kDword1, 1},
        {"dword 0", HKEY_LOCAL_MACHINE, true, REG_DWORD, kDword0, 0},
        {"dword read signed", HKEY_LOCAL_MACHINE, true, REG_DWORD, QByteArray("\xFE\xFF\xFF\xFF", 4), -2},
        {"REG_SZ \"a\" with terminator", HKEY_LOCAL_MACHINE, true, REG_SZ, QByteArray("a\0\0\0", 4), 0x61},
        {"REG_SZ longer than 4 bytes", HKEY_LOCAL_MACHINE, true, REG_SZ, QByteArray("a\0b\0\0\0", 6), -1},
        {"2 bytes, zero-extended", HKEY_LOCAL_MACHINE, true, REG_BINARY, QByteArray("\x34\x12", 2), 0x1234},
        {"per-user value is no policy", HKEY_CURRENT_USER, false, REG_DWORD, kDword1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStore store;
        if (c.createKey)
            Put(HKEY_LOCAL_MACHINE, kPolicyKey, QStringLiteral("Other"), REG_DWORD, kDword1);
        if (c.root)
            Put(c.root, kPolicyKey, QStringLiteral("HideQLinks"), c.type, c.bytes);
        EXPECT_EQ(GetPolicyDword(QStringLiteral("HideQLinks")), c.expected);
    }
}

TEST_F(SettingsTest, XmlControlIsOffUnlessTheUserValueIsNonZero)
{
    const struct {
        const char* name;
        HKEY root;
        QByteArray bytes;
        DWORD expected;
    } cases[] = {
        {"key missing", nullptr, {}, 0},
        {"value 2", HKEY_CURRENT_USER, QByteArray("\2\0\0\0", 4), 2},
        {"longer than 4 bytes", HKEY_CURRENT_USER, QByteArray("\1\0\0\0\0\0\0\0", 8), 0},
        {"machine value ignored", HKEY_LOCAL_MACHINE, kDword1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStore store;
        if (c.root)
            Put(c.root, kXmlControlKey, QStringLiteral("QuickLink"), REG_DWORD, c.bytes);
        EXPECT_EQ(GetXmlControl(QStringLiteral("QuickLink")), c.expected);
        EXPECT_EQ(IsXmlControlOff(QStringLiteral("QuickLink")), c.expected == 0);
        EXPECT_TRUE(IsXmlControlOff(QStringLiteral("ResourceCenter")));
    }
}

TEST_F(SettingsTest, SetHideGroupWritesOneOnlyForCheckedIntoTheUserKey)
{
    TempStore store;
    const QString key = UserDataKey(Area::MessageCenter);
    const struct { int state; QByteArray stored; } steps[] = {{1, kDword1}, {2, kDword0}, {1, kDword1}, {0, kDword0}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.state);
        SetHideGroup(key, s.state);
        EXPECT_EQ(Bytes(HKEY_CURRENT_USER, key, QStringLiteral("HideGroup")), s.stored);
        EXPECT_EQ(GetHideGroup(key), s.stored == kDword1 ? 1u : 0u);
    }
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
}

TEST_F(SettingsTest, ManagedModeReadsHideGroupFromMachineAndWritesNothing)
{
    TempStore store;
    const QString policy = PolicyDataKey(Area::QuickLinks);
    Put(HKEY_LOCAL_MACHINE, policy, QStringLiteral("HideGroup"), REG_DWORD, kDword1);
    for (bool managed : {false, true}) {
        SCOPED_TRACE(managed);
        SetManagedMode(managed);
        EXPECT_EQ(IsManagedMode(), managed);
        EXPECT_EQ(GetHideGroup(policy), managed ? 1u : 0u);
    }

    SetHideGroup(policy, 0);
    SetHideGroup(UserDataKey(Area::QuickLinks), 1);
    EXPECT_EQ(Bytes(HKEY_LOCAL_MACHINE, policy, QStringLiteral("HideGroup")), kDword1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, policy));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserDataKey(Area::QuickLinks)));
}

TEST_F(SettingsTest, AllowOnlyAdminLivesInMachineKeyAndReportsCreationError)
{
    const struct {
        const char* name;
        std::optional<QByteArray> before; // HKLM value before the call; nothing: no key
        bool readOnly;
        int state;
        LSTATUS status;
        std::optional<QByteArray> after;
    } cases[] = {
        {"creates missing key", std::nullopt, false, 1, ERROR_SUCCESS, kDword1},
        {"state 2 overwrites with 0", kDword1, false, 2, ERROR_SUCCESS, kDword0},
        {"read-only, key missing", std::nullopt, true, 1, ERROR_ACCESS_DENIED, std::nullopt},
        {"read-only, key exists", kDword0, true, 1, ERROR_ACCESS_DENIED, kDword0},
    };
    const QString key = UserDataKey(Area::Appearance);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStore store;
        Put(HKEY_CURRENT_USER, key, QStringLiteral("AllowOnlyAdmin"), REG_DWORD, kDword1);
        if (c.before)
            Put(HKEY_LOCAL_MACHINE, key, QStringLiteral("AllowOnlyAdmin"), REG_DWORD, *c.before);
        store.setReadOnly(Root::LocalMachine, c.readOnly);

        EXPECT_EQ(SetAllowOnlyAdmin(key, c.state), c.status);
        EXPECT_EQ(Bytes(HKEY_LOCAL_MACHINE, key, QStringLiteral("AllowOnlyAdmin")), c.after);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, key), c.after.has_value());
        EXPECT_EQ(GetAllowOnlyAdmin(key), c.after == kDword1 ? 1u : 0u);
    }
}

TEST_F(SettingsTest, EitherMachineManagementKeyMeansManagedMode)
{
    const struct {
        const char* name;
        HKEY root;
        QString path;
        bool managed;
    } cases[] = {
        {"no key", nullptr, {}, false},
        {"LANDesk", HKEY_LOCAL_MACHINE, kLanDeskKey, true},
        {"AdmiCtrl", HKEY_LOCAL_MACHINE, kAdmiCtrlKey, true},
        {"per-user LANDesk", HKEY_CURRENT_USER, kLanDeskKey, false},
        {"parent key only", HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Policies\\Orvane\\TALVEN"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempStore store;
        if (c.root) {
            Key key;
            ASSERT_EQ(RegCreateKeyEx(c.root, c.path, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
        }
        EXPECT_EQ(DetectManagedMode(), c.managed);
        EXPECT_FALSE(IsManagedMode()) << "detecting does not switch the mode";
    }
}

TEST_F(SettingsTest, DataKeyFollowsManagedModeThenLayout)
{
    const QString user = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\");
    const QString policy = QStringLiteral("Software\\Policies\\Orvane\\TALVEN\\Data\\");
    const struct {
        Area area;
        bool second;
        bool managed;
        QString expected;
    } cases[] = {
        {Area::QuickLinks, false, false, user + QStringLiteral("QuickLink")},
        {Area::QuickLinks, true, false, user + QStringLiteral("QuickLink.2")},
        {Area::ResourceCenter, true, false, user + QStringLiteral("ResourceCenter.2")},
        {Area::MessageCenter, true, false, user + QStringLiteral("MessageCenter")},
        {Area::Appearance, true, false, user + QStringLiteral("Appearance")},
        {Area::ButtonLight, false, false, user + QStringLiteral("ButtonLight")},
        {Area::QuickLinks, true, true, policy + QStringLiteral("QuickLink")},
        {Area::ResourceCenter, false, true, policy + QStringLiteral("ResourceCenter")},
        {Area::ButtonLight, true, true, policy + QStringLiteral("ButtonLight")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.toStdString() + (c.second ? " second" : "") + (c.managed ? " managed" : ""));
        SetManagedMode(c.managed);
        EXPECT_EQ(DataKey(c.area, c.second), c.expected);
    }
}

TEST_F(SettingsTest, RightsComeFromOverridesAndOldSystemsAreNeverElevated)
{
    const struct {
        const char* name;
        platform::RightsOverride rights;
        int windowsMajor;
        bool admin;
        bool elevated;
    } cases[] = {
        {"elevated administrator", {true, true}, 0, true, true},
        {"unelevated administrator", {true, false}, 0, true, false},
        {"standard user", {false, false}, 0, false, false},
        {"Windows XP, started for another user", {true, std::nullopt}, 5, true, false},
    };
    qputenv("SUDO_UID", "1000");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::OverrideUserRights(c.rights);
        platform::OverrideWindowsMajorVersion(c.windowsMajor);
        EXPECT_EQ(platform::IsUserAnAdmin(), c.admin);
        EXPECT_EQ(platform::IsElevated(), c.elevated);
    }
}

} // namespace

// Values: exact bytes of every type, buffer sizes, creation order, the fixed-buffer readers.

#include "TempStore.h"
#include "registry/RegValues.h"

#include <gtest/gtest.h>

using namespace reg;

namespace {

class RegistryValueTest : public ::testing::Test {
protected:
    void SetUp() override { RegCreateKeyEx(HKEY_CURRENT_USER, "V", KEY_ALL_ACCESS, key.put()); }
    static BYTE* bytes(QByteArray& data) { return reinterpret_cast<BYTE*>(data.data()); }
    static const BYTE* bytes(const QByteArray& data) { return reinterpret_cast<const BYTE*>(data.constData()); }
    QStringList valueNames()
    {
        QStringList names;
        for (QString name; RegEnumValue(key, DWORD(names.size()), &name, nullptr, nullptr) == ERROR_SUCCESS;)
            names.append(name);
        return names;
    }
    TempStore store;
    Key key;
};

TEST_F(RegistryValueTest, ValuesKeepTheirExactBytesAndReadOnlyIntoBuffersThatFit)
{
    const struct { QString name; DWORD type; QByteArray data; } values[] = {
        {"sz", REG_SZ, QByteArray("a\0\0\0b\0", 6)},
        {"unterminated", REG_SZ, QByteArray("h\0i\0", 4)},
        {"empty", REG_SZ, QByteArray()},
        {"d3", REG_DWORD, QByteArray("\1\2\3", 3)},
        {"unusual type", 0x12345, QByteArray("\xff", 1)},
        {QString(), REG_EXPAND_SZ, QByteArray("%\0\0\0", 4)},
        {"big", REG_BINARY, QByteArray(1 << 20, '\x5a')},
    };
    for (const auto& c : values) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_EQ(RegSetValueEx(key, c.name, c.type, bytes(c.data), DWORD(c.data.size())), ERROR_SUCCESS);
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueEx(key, c.name, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(std::pair(type, size), std::pair(c.type, DWORD(c.data.size())));
        QByteArray read(int(size) + 1, '?');
        ASSERT_EQ(RegQueryValueEx(key, c.name, nullptr, bytes(read), &size), ERROR_SUCCESS);
        EXPECT_EQ(read.left(int(size)), c.data);
    }

    QByteArray buffer(16, '\xEE');
    for (DWORD given : {0u, 5u}) {
        DWORD size = given;
        EXPECT_EQ(RegQueryValueEx(key, "sz", nullptr, bytes(buffer), &size), ERROR_MORE_DATA);
        EXPECT_EQ(size, 6u);
    }
    EXPECT_EQ(buffer, QByteArray(16, '\xEE'));
    EXPECT_EQ(RegQueryValueEx(key, "sz", nullptr, bytes(buffer), nullptr), ERROR_INVALID_PARAMETER);

    ASSERT_EQ(SetDword(key, "UNUSUAL TYPE", 7), ERROR_SUCCESS) << "overwriting replaces the bytes";

    // The fixed-buffer readers fail on a longer value, ignore the type and keep what they did not read.
    const struct { QString name; LSTATUS status; DWORD value; } dwords[] = {
        {"sz", ERROR_MORE_DATA, 0xCCCCCCCC},
        {QString(), ERROR_SUCCESS, 0x25},
        {"d3", ERROR_SUCCESS, 0xCC030201},
        {"unusual type", ERROR_SUCCESS, 7},
        {"none", ERROR_FILE_NOT_FOUND, 0xCCCCCCCC},
    };
    for (const auto& c : dwords) {
        DWORD value = 0xCCCCCCCC;
        EXPECT_EQ(QueryDword(key, c.name, &value), c.status) << qPrintable(c.name);
        EXPECT_EQ(value, c.value) << qPrintable(c.name);
    }
    SetString(key, "259", QString(259, u'x'));
    SetString(key, "260", QString(260, u'x'));
    const struct { QString name; LSTATUS status; QString text; } strings[] = {
        {"259", ERROR_SUCCESS, QString(259, u'x')},
        {"260", ERROR_MORE_DATA, "kept"},
        {"sz", ERROR_SUCCESS, "a"},
        {"unterminated", ERROR_SUCCESS, "hi"},
    };
    for (const auto& c : strings) {
        QString text = "kept";
        EXPECT_EQ(QueryString(key, c.name, kTextBufferUnits, &text), c.status) << qPrintable(c.name);
        EXPECT_EQ(text, c.text) << qPrintable(c.name);
    }
}

TEST_F(RegistryValueTest, ValuesKeepCreationOrderAndFirstNameAndGoInBulk)
{
    for (const char* name : {"zeta", "0001", "Alpha", "c0001", "mid", "9999"})
        SetDword(key, name, 1);
    SetDword(key, "ALPHA", 2);
    EXPECT_EQ(valueNames(), (QStringList{"zeta", "0001", "Alpha", "c0001", "mid", "9999"}));

    ASSERT_EQ(RegDeleteValue(key, "ZETA"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "zeta"), ERROR_FILE_NOT_FOUND);
    SetDword(key, "zeta", 3);
    QStringList all;
    for (int n = 0; n < 10000; ++n)
        all << QString::asprintf("%.4i", n) << QString::asprintf("C%.4i", n);
    ASSERT_EQ(RegDeleteValues(key, all << "MID"), ERROR_SUCCESS) << "names that do not exist are skipped";
    EXPECT_EQ(valueNames(), (QStringList{"Alpha", "zeta"})) << "a value made again goes last";
}

TEST_F(RegistryValueTest, OutOfRangeArgumentsAreRefused)
{
    const BYTE byte = 0;
    const QString tooLong(kMaxValueNameUnits + 1, u'n');
    const struct { const char* what; LSTATUS status; } cases[] = {
        {"name of 16,384 units", RegSetValueEx(key, tooLong, REG_SZ, &byte, 1)},
        {"size of -1", RegSetValueEx(key, "n", REG_BINARY, &byte, DWORD(-1))},
        {"size over the limit", RegSetValueEx(key, "n", REG_BINARY, &byte, kMaxValueBytes + 1)},
        {"bytes missing", RegSetValueEx(key, "n", REG_BINARY, nullptr, 4)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.status, ERROR_INVALID_PARAMETER) << c.what;
    EXPECT_EQ(RegSetValueEx(key, QString(kMaxValueNameUnits, u'n'), REG_SZ, &byte, 1), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(key, tooLong, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(valueNames().size(), 1);
}

} // namespace

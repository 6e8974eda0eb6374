// Values: exact bytes of every type, buffer sizes, creation order, the fixed-buffer readers.

#include "TempStore.h"
#include "registry/RegValues.h"

#include <gtest/gtest.h>

using namespace reg;

namespace {

class RegistryValueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "V", KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    }
    LSTATUS set(const QString& name, DWORD type, const QByteArray& data)
    {
        return RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(data.constData()), DWORD(data.size()));
    }
    QStringList valueNames()
    {
        QStringList names;
        QString name;
        for (DWORD i = 0; RegEnumValue(key, i, &name, nullptr, nullptr) == ERROR_SUCCESS; ++i)
            names.append(name);
        return names;
    }
    TempStore store;
    Key key;
};

TEST_F(RegistryValueTest, StoresExactBytesOfAnyType)
{
    const struct { const char* what; QString name; DWORD type; QByteArray data; } cases[] = {
        {"string with terminator", "sz", REG_SZ, QByteArray("a\0b\0\0\0", 6)},
        {"string without terminator", "raw", REG_SZ, QByteArray("a\0", 2)},
        {"zero-byte string", "empty", REG_SZ, QByteArray()},
        {"three-byte dword", "d3", REG_DWORD, QByteArray("\1\2\3", 3)},
        {"unusual type", "t", 0x12345, QByteArray("\xff", 1)},
        {"unnamed value", QString(), REG_EXPAND_SZ, QByteArray("%\0\0\0", 4)},
        {"large binary", "big", REG_BINARY, QByteArray(1 << 20, '\x5a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(set(c.name, c.type, c.data), ERROR_SUCCESS);
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueEx(key, c.name, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        ASSERT_EQ(size, DWORD(c.data.size()));
        QByteArray read(int(size) + 1, '?');
        ASSERT_EQ(RegQueryValueEx(key, c.name, nullptr, reinterpret_cast<BYTE*>(read.data()), &size), ERROR_SUCCESS);
        EXPECT_EQ(read.left(int(size)), c.data);
    }
}

TEST_F(RegistryValueTest, SmallBufferGivesMoreDataAndTheSize)
{
    ASSERT_EQ(SetString(key, "s", "abcd"), ERROR_SUCCESS); // 10 bytes
    const struct { DWORD buffer; LSTATUS status; } cases[] = {{9, ERROR_MORE_DATA}, {10, ERROR_SUCCESS}, {0, ERROR_MORE_DATA}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buffer);
        BYTE buffer[16];
        std::fill(std::begin(buffer), std::end(buffer), BYTE(0xEE));
        DWORD size = c.buffer;
        EXPECT_EQ(RegQueryValueEx(key, "s", nullptr, buffer, &size), c.status);
        EXPECT_EQ(size, 10u);
        if (c.status == ERROR_MORE_DATA) {
            EXPECT_EQ(buffer[0], 0xEE) << "nothing is copied when the value does not fit";
        }
    }
    EXPECT_EQ(RegQueryValueEx(key, "s", nullptr, reinterpret_cast<BYTE*>(this), nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryValueTest, FixedBufferReadersTreatLongValuesAsMissing)
{
    set("d8", REG_QWORD, QByteArray(8, '\1'));
    set("sz4", REG_SZ, QByteArray("a\0\0\0", 4));
    set("d2", REG_BINARY, QByteArray("\x34\x12", 2));
    SetString(key, "259", QString(259, u'x'));
    SetString(key, "260", QString(260, u'x'));
    set("unterminated", REG_SZ, QByteArray("h\0i\0", 4));

    const struct { QString name; LSTATUS status; DWORD value; } dwords[] = {
        {"d8", ERROR_MORE_DATA, 0xCCCCCCCC},
        {"sz4", ERROR_SUCCESS, 0x61},
        {"d2", ERROR_SUCCESS, 0xCCCC1234},
        {"none", ERROR_FILE_NOT_FOUND, 0xCCCCCCCC},
    };
    for (const auto& c : dwords) {
        SCOPED_TRACE(c.name.toStdString());
        DWORD value = 0xCCCCCCCC;
        EXPECT_EQ(QueryDword(key, c.name, &value), c.status);
        EXPECT_EQ(value, c.value);
    }
    const struct { QString name; LSTATUS status; QString text; } strings[] = {
        {"259", ERROR_SUCCESS, QString(259, u'x')},
        {"260", ERROR_MORE_DATA, "kept"},
        {"unterminated", ERROR_SUCCESS, "hi"},
        {"sz4", ERROR_SUCCESS, "a"},
    };
    for (const auto& c : strings) {
        SCOPED_TRACE(c.name.toStdString());
        QString text = "kept";
        EXPECT_EQ(QueryString(key, c.name, kTextBufferUnits, &text), c.status);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(RegistryValueTest, ValuesKeepCreationOrderAndFirstName)
{
    for (const char* name : {"zeta", "Alpha", "mid"})
        SetDword(key, QString::fromLatin1(name), 1);
    SetDword(key, "ALPHA", 2);
    EXPECT_EQ(valueNames(), (QStringList{"zeta", "Alpha", "mid"}));
    DWORD value = 0;
    EXPECT_EQ(QueryDword(key, "alpha", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);

    ASSERT_EQ(RegDeleteValue(key, "ZETA"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "zeta"), ERROR_FILE_NOT_FOUND);
    SetDword(key, "zeta", 3);
    EXPECT_EQ(valueNames(), (QStringList{"Alpha", "mid", "zeta"}));
}

TEST_F(RegistryValueTest, BulkDeleteRemovesExistingNamesOnly)
{
    QStringList all;
    for (int n = 0; n < 10000; ++n)
        all << QString::asprintf("%.4i", n) << QString::asprintf("C%.4i", n);
    for (const char* name : {"0001", "c0001", "9999", "keep"})
        SetDword(key, QString::fromLatin1(name), 1);
    ASSERT_EQ(RegDeleteValues(key, all), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(), QStringList{"keep"});
}

TEST_F(RegistryValueTest, OutOfRangeArgumentsAreRefused)
{
    const BYTE byte = 0;
    const struct { const char* what; LSTATUS status; } cases[] = {
        {"name of 16,384 units", RegSetValueEx(key, QString(kMaxValueNameUnits + 1, u'n'), REG_SZ, &byte, 1)},
        {"size of -1", RegSetValueEx(key, "n", REG_BINARY, &byte, DWORD(-1))},
        {"size over the limit", RegSetValueEx(key, "n", REG_BINARY, &byte, kMaxValueBytes + 1)},
        {"bytes missing", RegSetValueEx(key, "n", REG_BINARY, nullptr, 4)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.status, ERROR_INVALID_PARAMETER) << c.what;
    EXPECT_EQ(RegSetValueEx(key, QString(kMaxValueNameUnits, u'n'), REG_SZ, &byte, 1), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(key, QString(kMaxValueNameUnits + 1, u'n'), nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(valueNames().size(), 1);
}

} // namespace

#include "registry/StoreExports.h"

#include "registry/LentKey.h"

#include <cstring>

namespace {

reg::HKEY ToKey(TALVEN_HKEY key) { return reg::LentKey::Usable(reinterpret_cast<reg::HKEY>(key)); }

QString Text(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

template <typename Open>
int32_t OpenWith(TALVEN_HKEY* result, Open open)
{
    if (!result)
        return reg::ERROR_INVALID_PARAMETER;
    reg::HKEY key = nullptr;
    const reg::LSTATUS status = open(&key);
    if (status == reg::ERROR_SUCCESS)
        reg::LentKey::Opened(key);
    *result = reinterpret_cast<TALVEN_HKEY>(status == reg::ERROR_SUCCESS ? key : nullptr);
    return status;
}

} // namespace

extern "C" {

int32_t TalvenRegCreateKey(TALVEN_HKEY parent, const char16_t* subKey, TALVEN_HKEY* result)
{
    return OpenWith(result, [&](reg::HKEY* key) {
        return reg::RegCreateKeyEx(ToKey(parent), Text(subKey), reg::KEY_READ | reg::KEY_WRITE, key);
    });
}

int32_t TalvenRegOpenKey(TALVEN_HKEY parent, const char16_t* subKey, TALVEN_HKEY* result)
{
    return OpenWith(result, [&](reg::HKEY* key) { return reg::RegOpenKeyEx(ToKey(parent), Text(subKey), reg::KEY_READ, key); });
}

int32_t TalvenRegCloseKey(TALVEN_HKEY key) { return reg::LentKey::CloseOpened(reinterpret_cast<reg::HKEY>(key)); }

int32_t TalvenRegSetValue(TALVEN_HKEY key, const char16_t* name, uint32_t type, const uint8_t* data, uint32_t size)
{
    if (!data && size != 0)
        return reg::ERROR_INVALID_PARAMETER;
    return reg::RegSetValueEx(ToKey(key), Text(name), type, data, size);
}

int32_t TalvenRegQueryValue(TALVEN_HKEY key, const char16_t* name, uint32_t* type, uint8_t* data, uint32_t* size)
{
    return reg::RegQueryValueEx(ToKey(key), Text(name), type, data, size);
}

int32_t TalvenRegEnumKey(TALVEN_HKEY key, uint32_t index, char16_t* name, uint32_t* units)
{
    if (!name || !units)
        return reg::ERROR_INVALID_PARAMETER;
    QString found;
    const reg::LSTATUS status = reg::RegEnumKeyEx(ToKey(key), index, &found);
    if (status != reg::ERROR_SUCCESS)
        return status;
    const uint32_t length = uint32_t(found.size());
    if (length >= *units) {
        *units = length + 1;
        return reg::ERROR_MORE_DATA;
    }
    std::memcpy(name, found.utf16(), (length + 1) * sizeof(char16_t));
    *units = length;
    return reg::ERROR_SUCCESS;
}

int32_t TalvenRegDeleteTree(TALVEN_HKEY parent, const char16_t* subKey)
{
    return reg::RegDeleteTree(ToKey(parent), Text(subKey));
}

} // extern "C"

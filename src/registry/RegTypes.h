#pragma once
// Win32-shaped vocabulary of the settings store: the numbers are those of the Windows registry so that
// values, access masks and status codes mean the same to the client, administrators and this utility.

#include <cstdint>

namespace reg {

using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using LSTATUS = std::int32_t;
using REGSAM = DWORD;

// Status codes.
constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;   // only a key, value or file that is really missing
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LSTATUS ERROR_CANNOT_MAKE = 82;          // the store file's folder cannot be created
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_DISK_FULL = 112;
constexpr LSTATUS ERROR_BUSY = 170;
constexpr LSTATUS ERROR_ENVVAR_NOT_FOUND = 203;     // no home folder: the per-user root has no file
constexpr LSTATUS ERROR_FILENAME_EXCED_RANGE = 206; // a component of the store file's path is too long
constexpr LSTATUS ERROR_BAD_FILE_TYPE = 222;        // the store file is not a regular file
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
constexpr LSTATUS ERROR_BADDB = 1009;
constexpr LSTATUS ERROR_CANTOPEN = 1011;
// The file was left by an interrupted change (hot journal, or a write-ahead log this user cannot
// open) and only a user who may write it can recover it; reading it now could see half a change.
constexpr LSTATUS ERROR_CANTREAD = 1012;
constexpr LSTATUS ERROR_CANTWRITE = 1013;
constexpr LSTATUS ERROR_REGISTRY_CORRUPT = 1015;   // damaged file
constexpr LSTATUS ERROR_REGISTRY_IO_FAILED = 1016; // the system reported an input/output error
constexpr LSTATUS ERROR_KEY_DELETED = 1018;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM READ_CONTROL = 0x00020000;
constexpr REGSAM WRITE_DAC = 0x00040000;
constexpr REGSAM WRITE_OWNER = 0x00080000;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Dispositions reported by RegCreateKeyEx.
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Name and size limits.
constexpr int kMaxKeyNameUnits = 255;
constexpr int kMaxValueNameUnits = 16383;
constexpr int kMaxKeyDepth = 512; // longest chain of keys below a root
constexpr DWORD kMaxValueBytes = 16u * 1024u * 1024u;

enum class Root { CurrentUser, LocalMachine };
constexpr int kRootCount = 2;

} // namespace reg

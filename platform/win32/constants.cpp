// The constants of platform/platform.h carry the values of the Windows headers: the real
// platform passes them to Windows unchanged. Each is read once before <windows.h> replaces
// its name by a macro, then compared with that macro.
#include "platform/platform.h"

// A constant added to platform/platform.h belongs in this list too.
#define ORV_WIN32_CONSTANTS(X)     \
  X(FALSE)                         \
  X(TRUE)                          \
  X(MAX_PATH)                      \
  X(ERROR_SUCCESS)                 \
  X(ERROR_INVALID_FUNCTION)        \
  X(ERROR_FILE_NOT_FOUND)          \
  X(ERROR_PATH_NOT_FOUND)          \
  X(ERROR_TOO_MANY_OPEN_FILES)     \
  X(ERROR_ACCESS_DENIED)           \
  X(ERROR_INVALID_HANDLE)          \
  X(ERROR_NOT_ENOUGH_MEMORY)       \
  X(ERROR_BAD_FORMAT)              \
  X(ERROR_INVALID_DRIVE)           \
  X(ERROR_NO_MORE_FILES)           \
  X(ERROR_WRITE_PROTECT)           \
  X(ERROR_NOT_READY)               \
  X(ERROR_SHARING_VIOLATION)       \
  X(ERROR_HANDLE_EOF)              \
  X(ERROR_BAD_NETPATH)             \
  X(ERROR_FILE_EXISTS)             \
  X(ERROR_INVALID_PARAMETER)       \
  X(ERROR_DISK_FULL)               \
  X(ERROR_INSUFFICIENT_BUFFER)     \
  X(ERROR_INVALID_NAME)            \
  X(ERROR_DIR_NOT_EMPTY)           \
  X(ERROR_BAD_PATHNAME)            \
  X(ERROR_ALREADY_EXISTS)          \
  X(ERROR_ENVVAR_NOT_FOUND)        \
  X(ERROR_MORE_DATA)               \
  X(ERROR_NO_MORE_ITEMS)           \
  X(ERROR_DIRECTORY)               \
  X(ERROR_NO_TOKEN)                \
  X(ERROR_KEY_DELETED)             \
  X(ERROR_INVALID_WINDOW_HANDLE)   \
  X(GENERIC_READ)                  \
  X(GENERIC_WRITE)                 \
  X(FILE_SHARE_READ)               \
  X(FILE_SHARE_WRITE)              \
  X(FILE_SHARE_DELETE)             \
  X(CREATE_NEW)                    \
  X(CREATE_ALWAYS)                 \
  X(OPEN_EXISTING)                 \
  X(OPEN_ALWAYS)                   \
  X(TRUNCATE_EXISTING)             \
  X(FILE_ATTRIBUTE_READONLY)       \
  X(FILE_ATTRIBUTE_HIDDEN)         \
  X(FILE_ATTRIBUTE_SYSTEM)         \
  X(FILE_ATTRIBUTE_DIRECTORY)      \
  X(FILE_ATTRIBUTE_ARCHIVE)        \
  X(FILE_ATTRIBUTE_NORMAL)         \
  X(INVALID_FILE_ATTRIBUTES)       \
  X(INVALID_FILE_SIZE)             \
  X(INVALID_SET_FILE_POINTER)      \
  X(FILE_BEGIN)                    \
  X(FILE_CURRENT)                  \
  X(FILE_END)                      \
  X(DRIVE_UNKNOWN)                 \
  X(DRIVE_NO_ROOT_DIR)             \
  X(DRIVE_REMOVABLE)               \
  X(DRIVE_FIXED)                   \
  X(DRIVE_REMOTE)                  \
  X(DRIVE_CDROM)                   \
  X(DRIVE_RAMDISK)                 \
  X(SEM_FAILCRITICALERRORS)        \
  X(SEM_NOGPFAULTERRORBOX)         \
  X(SEM_NOOPENFILEERRORBOX)        \
  X(KEY_QUERY_VALUE)               \
  X(KEY_SET_VALUE)                 \
  X(KEY_CREATE_SUB_KEY)            \
  X(KEY_ENUMERATE_SUB_KEYS)        \
  X(KEY_NOTIFY)                    \
  X(KEY_CREATE_LINK)               \
  X(DELETE)                        \
  X(KEY_READ)                      \
  X(KEY_WRITE)                     \
  X(KEY_ALL_ACCESS)                \
  X(KEY_WOW64_64KEY)               \
  X(KEY_WOW64_32KEY)               \
  X(REG_NONE)                      \
  X(REG_SZ)                        \
  X(REG_EXPAND_SZ)                 \
  X(REG_BINARY)                    \
  X(REG_DWORD)                     \
  X(REG_DWORD_BIG_ENDIAN)          \
  X(REG_LINK)                      \
  X(REG_MULTI_SZ)                  \
  X(REG_QWORD)                     \
  X(MB_OK)                         \
  X(MB_ICONERROR)                  \
  X(MB_TASKMODAL)                  \
  X(IDOK)                          \
  X(SW_SHOWNORMAL)                 \
  X(FORMAT_MESSAGE_IGNORE_INSERTS) \
  X(FORMAT_MESSAGE_FROM_SYSTEM)    \
  X(FORMAT_MESSAGE_MAX_WIDTH_MASK) \
  X(LOCALE_USER_DEFAULT)           \
  X(NORM_IGNORECASE)               \
  X(CSTR_LESS_THAN)                \
  X(CSTR_EQUAL)                    \
  X(CSTR_GREATER_THAN)             \
  X(OF_READ)                       \
  X(OF_WRITE)                      \
  X(OF_READWRITE)                  \
  X(OF_SHARE_EXCLUSIVE)            \
  X(OF_SHARE_DENY_WRITE)           \
  X(OF_SHARE_DENY_READ)            \
  X(OF_SHARE_DENY_NONE)            \
  X(OF_CREATE)                     \
  X(LZERROR_BADINHANDLE)           \
  X(LZERROR_BADOUTHANDLE)          \
  X(LZERROR_READ)                  \
  X(LZERROR_WRITE)                 \
  X(LZERROR_GLOBALLOC)             \
  X(LZERROR_GLOBLOCK)              \
  X(LZERROR_BADVALUE)              \
  X(LZERROR_UNKNOWNALG)            \
  X(VER_PLATFORM_WIN32s)           \
  X(VER_PLATFORM_WIN32_WINDOWS)    \
  X(VER_PLATFORM_WIN32_NT)         \
  X(TOKEN_QUERY)                   \
  X(TokenGroups)                   \
  X(SE_GROUP_MANDATORY)            \
  X(SE_GROUP_ENABLED_BY_DEFAULT)   \
  X(SE_GROUP_ENABLED)              \
  X(SE_GROUP_USE_FOR_DENY_ONLY)    \
  X(SECURITY_BUILTIN_DOMAIN_RID)   \
  X(DOMAIN_ALIAS_RID_ADMINS)       \
  X(OFS_MAXPATHNAME)

#define ORV_PORTABLE(name) constexpr auto portable_##name = platform::name;
namespace {
ORV_WIN32_CONSTANTS(ORV_PORTABLE)
}  // namespace

// After the portable values are read: <windows.h> defines macros of the same names.
#include <windows.h>

#define ORV_SAME_VALUE(name) static_assert(portable_##name == (name), #name);
ORV_WIN32_CONSTANTS(ORV_SAME_VALUE)

// errno mapping and the system texts.
#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "platform/posix/errors.h"
#include "temp_folder.h"

namespace {

struct ErrnoCase {
    int error;
    bool folderExists;
    DWORD code;
};

void PrintTo(const ErrnoCase& c, std::ostream* out)
{
    *out << strerror(c.error) << (c.folderExists ? "" : " (no folder)") << " -> " << c.code;
}

class ErrnoMapTest : public testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoMapTest, GivesTheWindowsCode)
{
    EXPECT_EQ(MapErrno(GetParam().error, GetParam().folderExists), GetParam().code)
        << strerror(GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Errnos, ErrnoMapTest,
    testing::Values(ErrnoCase{ENOENT, true, ERROR_FILE_NOT_FOUND},
                    ErrnoCase{ENOENT, false, ERROR_PATH_NOT_FOUND},
                    ErrnoCase{ENOTDIR, true, ERROR_PATH_NOT_FOUND},
                    ErrnoCase{EACCES, true, ERROR_ACCESS_DENIED},
                    ErrnoCase{EPERM, true, ERROR_ACCESS_DENIED},
                    ErrnoCase{EISDIR, true, ERROR_ACCESS_DENIED},
                    ErrnoCase{ENOSPC, true, ERROR_DISK_FULL},
                    ErrnoCase{EDQUOT, true, ERROR_DISK_FULL},
                    ErrnoCase{ENAMETOOLONG, true, ERROR_FILENAME_EXCED_RANGE},
                    ErrnoCase{EROFS, true, ERROR_WRITE_PROTECT},
                    ErrnoCase{EIO, true, ERROR_IO_DEVICE},
                    ErrnoCase{ENOMEM, true, ERROR_NOT_ENOUGH_MEMORY},
                    ErrnoCase{EEXIST, true, ERROR_FILE_EXISTS},
                    ErrnoCase{EBUSY, true, ERROR_SHARING_VIOLATION},
                    ErrnoCase{EPROTO, true, ERROR_INVALID_FUNCTION})); // nothing closer

TEST(ErrorForPathTest, TellsMissingFileFromMissingFolder)
{
    TempFolder folder;
    EXPECT_EQ(ErrorForPath(ENOENT, folder.path + "missing.txt"), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ErrorForPath(ENOENT, folder.path + "gone/missing.txt"), (DWORD)ERROR_PATH_NOT_FOUND);
}

struct TextCase {
    DWORD code;
    DWORD size;
    std::string text; // empty: no text stored
    DWORD lastError;  // after a failed call
};

void PrintTo(const TextCase& c, std::ostream* out)
{
    *out << "code " << c.code << " in " << c.size << " bytes";
}

class FormatMessageTest : public testing::TestWithParam<TextCase> {};

TEST_P(FormatMessageTest, StoresTheSystemTextWithLineEnd)
{
    char buffer[256];
    memset(buffer, 'x', sizeof buffer);
    SetLastError(0);
    DWORD stored = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, GetParam().code, 0, buffer,
                                  GetParam().size, NULL);
    if (GetParam().text.empty()) {
        EXPECT_EQ(stored, 0u);
        EXPECT_EQ(GetLastError(), GetParam().lastError);
    } else {
        EXPECT_EQ(stored, GetParam().text.size());
        EXPECT_EQ(std::string(buffer), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FormatMessageTest,
    testing::Values(
        TextCase{ERROR_FILE_NOT_FOUND, 256, "The system cannot find the file specified.\r\n", 0},
        TextCase{ERROR_ACCESS_DENIED, 256, "Access is denied.\r\n", 0},
        TextCase{RPC_S_SERVER_UNAVAILABLE, 256, "The RPC server is unavailable.\r\n", 0},
        TextCase{ERROR_PRINTER_DRIVER_IN_USE, 256,
                 "The specified printer driver is currently in use.\r\n", 0},
        TextCase{ERROR_ACCESS_DENIED, 20, "Access is denied.\r\n", 0}, // just fits with its NUL
        TextCase{ERROR_ACCESS_DENIED, 19, "", ERROR_INSUFFICIENT_BUFFER},
        TextCase{1234567, 256, "", ERROR_MR_MID_NOT_FOUND},
        TextCase{0xC0000005, 256, "", ERROR_MR_MID_NOT_FOUND}));

} // namespace

// CopyFileA, SetFileAttributesA and the directory search on real folders.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "temp_folder.h"

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat info;
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::string Backslashed(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

class CopyFileTest : public testing::Test {
protected:
    TempFolder folder;
};

TEST_F(CopyFileTest, ReplacesTheDestinationWithContentModeAndWriteTime)
{
    std::string source = folder.Put("K2400.PPD", std::string(200000, 'k'), 0444);
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
    std::string destination = folder.Put("copy.ppd", "old content", 0644);

    // Backslashes, as the program joins the source folder from its own module path.
    ASSERT_TRUE(CopyFileA(Backslashed(source).c_str(), destination.c_str(), FALSE));

    EXPECT_EQ(TempFolder::Read(destination), std::string(200000, 'k'));
    EXPECT_EQ(ModeOf(destination), 0444u); // read-only travels with the copy
    struct stat info;
    ASSERT_EQ(stat(destination.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"K2400.PPD", "copy.ppd"}));
}

TEST_F(CopyFileTest, EmptySourceGivesEmptyCopy)
{
    std::string source = folder.Put("empty", "");
    ASSERT_TRUE(CopyFileA(source.c_str(), (folder.path + "copy").c_str(), FALSE));
    EXPECT_EQ(TempFolder::Read(folder.path + "copy"), "");
}

struct RefusalCase {
    const char* name;
    // Lays out the folder; returns {source, destination}.
    std::function<std::pair<std::string, std::string>(const TempFolder&)> setUp;
    BOOL failIfExists;
    DWORD error;
};

void PrintTo(const RefusalCase& c, std::ostream* out)
{
    *out << c.name;
}

class CopyFileRefusalTest : public testing::TestWithParam<RefusalCase> {};

// Each refusal leaves the folder as it was: no temporary file, no destination touched.
TEST_P(CopyFileRefusalTest, RefusesAndLeavesTheFolderAsItWas)
{
    TempFolder folder;
    auto paths = GetParam().setUp(folder);
    std::vector<std::string> before = folder.Names();
    std::string destinationBefore = TempFolder::Read(paths.second);

    SetLastError(0);
    EXPECT_FALSE(CopyFileA(paths.first.c_str(), paths.second.c_str(), GetParam().failIfExists));
    EXPECT_EQ(GetLastError(), GetParam().error);
    EXPECT_EQ(folder.Names(), before);
    EXPECT_EQ(TempFolder::Read(paths.second), destinationBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, CopyFileRefusalTest,
    testing::Values(
        RefusalCase{"ReadOnlyDestination",
                    [](const TempFolder& f) {
                        return std::make_pair(f.Put("new", "new"), f.Put("old", "old", 0444));
                    },
                    FALSE, ERROR_ACCESS_DENIED},
        RefusalCase{"DestinationIsAFolder",
                    [](const TempFolder& f) {
                        mkdir((f.path + "folder").c_str(), 0755);
                        return std::make_pair(f.Put("new", "new"), f.path + "folder");
                    },
                    FALSE, ERROR_ACCESS_DENIED},
        RefusalCase{"SourceIsAFolder",
                    [](const TempFolder& f) {
                        mkdir((f.path + "folder").c_str(), 0755);
                        return std::make_pair(f.path + "folder", f.path + "copy");
                    },
                    FALSE, ERROR_ACCESS_DENIED},
        RefusalCase{"SourceMissing",
                    [](const TempFolder& f) {
                        return std::make_pair(f.path + "missing", f.path + "copy");
                    },
                    FALSE, ERROR_FILE_NOT_FOUND},
        RefusalCase{"SourceFolderMissing",
                    [](const TempFolder& f) {
                        return std::make_pair(f.path + "gone/missing", f.path + "copy");
                    },
                    FALSE, ERROR_PATH_NOT_FOUND},
        RefusalCase{"DestinationFolderMissing",
                    [](const TempFolder& f) {
                        return std::make_pair(f.Put("new", "new"), f.path + "gone/copy");
                    },
                    FALSE, ERROR_PATH_NOT_FOUND},
        RefusalCase{"ExistingWhenAskedNotToOverwrite",
                    [](const TempFolder& f) {
                        return std::make_pair(f.Put("new", "new"), f.Put("old", "old"));
                    },
                    TRUE, ERROR_FILE_EXISTS},
        RefusalCase{"OntoItself",
                    [](const TempFolder& f) {
                        std::string same = f.Put("same", "same");
                        return std::make_pair(same, same);
                    },
                    FALSE, ERROR_SHARING_VIOLATION}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(CopyFileDiskFullTest, LeavesTheOldDestinationAndNoPartialFile)
{
    // A file-size limit makes the writes of the copy fail part-way (EFBIG), as a full disk would.
    TempFolder folder;
    std::string source = folder.Put("big", std::string(100000, 'b'));
    std::string destination = folder.Put("old", "old");
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    void (*savedSignal)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    BOOL copied = CopyFileA(source.c_str(), destination.c_str(), FALSE);
    DWORD error = GetLastError();

    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedSignal);
    EXPECT_FALSE(copied);
    EXPECT_EQ(error, (DWORD)ERROR_DISK_FULL);
    EXPECT_EQ(TempFolder::Read(destination), "old");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"big", "old"}));
}

struct AttributeCase {
    const char* name;
    mode_t before;
    DWORD attributes;
    mode_t after;
};

void PrintTo(const AttributeCase& c, std::ostream* out)
{
    *out << c.name;
}

class SetFileAttributesTest : public testing::TestWithParam<AttributeCase> {};

TEST_P(SetFileAttributesTest, ReadOnlyIsTheWriteBits)
{
    TempFolder folder;
    mode_t mask = umask(022);
    std::string file = folder.Put("PSCRIPT.DLL", "x", GetParam().before);
    ASSERT_TRUE(SetFileAttributesA(Backslashed(file).c_str(), GetParam().attributes));
    EXPECT_EQ(ModeOf(file), GetParam().after);
    umask(mask);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, SetFileAttributesTest,
    testing::Values(AttributeCase{"ArchiveMakesReadOnlyWritable", 0444, FILE_ATTRIBUTE_ARCHIVE, 0644},
                    AttributeCase{"ArchiveKeepsWritable", 0664, FILE_ATTRIBUTE_ARCHIVE, 0664},
                    AttributeCase{"NormalMakesReadOnlyWritable", 0400, FILE_ATTRIBUTE_NORMAL, 0600},
                    AttributeCase{"ReadOnlyTakesEveryWriteBit", 0666,
                                  FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, 0444},
                    AttributeCase{"HiddenAndSystemChangeNothing", 0644,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0644}),
    [](const testing::TestParamInfo<AttributeCase>& info) { return std::string(info.param.name); });

TEST(SetFileAttributesMissingTest, TellsFileFromFolder)
{
    TempFolder folder;
    EXPECT_FALSE(SetFileAttributesA((folder.path + "missing").c_str(), FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(SetFileAttributesA((folder.path + "gone\\missing").c_str(), FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
}

// Every entry a search delivers, with its attributes, and the last error that ended it.
std::vector<std::pair<std::string, DWORD>> SearchAll(const std::string& pattern, DWORD& endError)
{
    std::vector<std::pair<std::string, DWORD>> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        endError = GetLastError();
        return found;
    }
    do
        found.emplace_back(data.cFileName, data.dwFileAttributes);
    while (FindNextFileA(search, &data));
    endError = GetLastError();
    EXPECT_TRUE(FindClose(search));
    return found;
}

TEST(FindFilesTest, DeliversByUpperCasedNameWithDotsFirst)
{
    TempFolder folder;
    folder.Put("psLower.txt", "");
    folder.Put("PSREADME", "", 0444);
    folder.Put("PSCRIPT.DLL", "");
    folder.Put("PS_UNDER", ""); // '_' sorts after the letters once they are upper case
    folder.Put("README.TXT", "");
    mkdir((folder.path + "PSFOLDER").c_str(), 0755);

    DWORD endError = 0;
    auto found = SearchAll(Backslashed(folder.path) + "PS*.*", endError);
    EXPECT_EQ(endError, (DWORD)ERROR_NO_MORE_FILES);
    std::vector<std::pair<std::string, DWORD>> expected = {
        {"PSCRIPT.DLL", FILE_ATTRIBUTE_ARCHIVE},
        {"PSFOLDER", FILE_ATTRIBUTE_DIRECTORY},
        {"psLower.txt", FILE_ATTRIBUTE_ARCHIVE},
        {"PSREADME", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {"PS_UNDER", FILE_ATTRIBUTE_ARCHIVE},
    };
    EXPECT_EQ(found, expected);

    auto all = SearchAll(folder.path + "*.*", endError);
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0], std::make_pair(std::string("."), (DWORD)FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(all[1], std::make_pair(std::string(".."), (DWORD)FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(all.size(), 8u);
}

TEST(FindFilesTest, FailuresAndTheirCodes)
{
    TempFolder folder;
    folder.Put("PSCRIPT.DLL", "");
    DWORD endError = 0;
    EXPECT_TRUE(SearchAll(folder.path + "*.PPD", endError).empty());
    EXPECT_EQ(endError, (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(SearchAll(folder.path + "gone\\*.PPD", endError).empty());
    EXPECT_EQ(endError, (DWORD)ERROR_PATH_NOT_FOUND);

    WIN32_FIND_DATAA data;
    int notASearch = 0;
    EXPECT_FALSE(FindNextFileA(&notASearch, &data));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);

    HANDLE search = FindFirstFileA((folder.path + "PS*.*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search)); // closed once only
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

} // namespace

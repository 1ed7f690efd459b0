// Directory searches. A search reads its folder once, keeps the names the mask matches in the
// order NTFS would deliver them, and hands them out one by one; later changes to the folder do
// not show, which no caller here needs.
#include <dirent.h>
#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/posix/errors.h"
#include "platform/posix/file_info.h"
#include "platform/posix/native_path.h"
#include "platform/posix/wildcard.h"

namespace {

struct Search {
    std::string folder; // native, ends with '/'
    std::vector<std::string> names;
    size_t next = 0;
};

// Open searches by handle. A handle is looked up before use, so a stale or made-up one is
// refused with 6 instead of being dereferenced.
std::mutex searchesLock;
std::map<HANDLE, std::unique_ptr<Search>> searches;

// NTFS keeps a folder's index in the order of the upper-cased names; "." and ".." come first.
bool DeliveredBefore(const std::string& left, const std::string& right)
{
    auto rank = [](const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; };
    if (rank(left) != rank(right))
        return rank(left) < rank(right);
    std::string l = UpperName(left), r = UpperName(right);
    return l != r ? l < r : left < right;
}

// Fills data for one entry; false when the entry vanished since the folder was read.
bool FillFindData(const std::string& folder, const std::string& name, LPWIN32_FIND_DATAA data)
{
    struct stat info;
    std::string path = folder + name;
    if (stat(path.c_str(), &info) != 0 && lstat(path.c_str(), &info) != 0)
        return false;
    memset(data, 0, sizeof *data);
    data->dwFileAttributes = AttributesFromStat(info);
    data->ftCreationTime = FileTimeFromTimespec(info.st_mtim);
    data->ftLastAccessTime = FileTimeFromTimespec(info.st_atim);
    data->ftLastWriteTime = FileTimeFromTimespec(info.st_mtim);
    if (!S_ISDIR(info.st_mode)) {
        data->nFileSizeHigh = (DWORD)((unsigned long long)info.st_size >> 32);
        data->nFileSizeLow = (DWORD)info.st_size;
    }
    name.copy(data->cFileName, sizeof data->cFileName - 1);
    return true;
}

// Delivers the search's next entry that still exists; false when there is none.
bool DeliverNext(Search& search, LPWIN32_FIND_DATAA data)
{
    while (search.next < search.names.size()) {
        if (FillFindData(search.folder, search.names[search.next++], data))
            return true;
    }
    return false;
}

} // namespace

// Opens a search for the files of a folder that match the mask after the last separator and
// delivers the first. INVALID_HANDLE_VALUE with 2 when nothing matches, 3 when the folder is
// missing.
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    if (pattern == NULL || data == NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = NativePath(pattern);
    std::string::size_type slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    std::string mask = slash == std::string::npos ? path : path.substr(slash + 1);

    DIR* dir = opendir(folder.c_str());
    if (dir == NULL) {
        // The folder itself is what is missing here, never just a file in it.
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : MapErrno(errno, true));
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_unique<Search>();
    search->folder = folder;
    // Linux lists "." and ".." like any name, so a mask that matches them delivers them.
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (!mask.empty() && MatchWildcard(mask, name))
            search->names.push_back(name);
    }
    closedir(dir);
    std::sort(search->names.begin(), search->names.end(), DeliveredBefore);

    if (!DeliverNext(*search, data)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = search.get();
    std::lock_guard<std::mutex> hold(searchesLock);
    searches[handle] = std::move(search);
    return handle;
}

// Delivers the next entry of an open search; FALSE with 18 at its end, 6 for an unknown handle.
BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data)
{
    if (data == NULL)
        return Refuse(ERROR_INVALID_PARAMETER);
    std::lock_guard<std::mutex> hold(searchesLock);
    auto found = searches.find(handle);
    if (found == searches.end())
        return Refuse(ERROR_INVALID_HANDLE);
    if (!DeliverNext(*found->second, data))
        return Refuse(ERROR_NO_MORE_FILES);
    return TRUE;
}

// Ends a search; FALSE with 6 for a handle that is not an open search.
BOOL FindClose(HANDLE handle)
{
    std::lock_guard<std::mutex> hold(searchesLock);
    if (searches.erase(handle) == 0)
        return Refuse(ERROR_INVALID_HANDLE);
    return TRUE;
}

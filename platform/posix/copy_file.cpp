// CopyFileA. The copy is written beside the destination under a temporary name and renamed over
// it only when complete: whoever looks at the destination, or whatever stops us half-way, sees
// the old file or the new one, never a part. On any failure the temporary file is removed.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/posix/errors.h"
#include "platform/posix/file_info.h"
#include "platform/posix/native_path.h"

namespace {

// A file descriptor that closes itself.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int d) : fd(d) {}
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

// Copies the whole of in to out; 0 or the errno of the failing call. The kernel copies where it
// can (no pass through our memory, reflinks on file systems that share blocks); file systems or
// kernels that cannot take copy_file_range get the plain read/write loop.
int CopyContents(int in, int out, off_t size)
{
    bool kernelCopy = true;
    off_t total = 0;
    for (;;) {
        if (kernelCopy) {
            // Stop at the size the source had when opened: asking once more only to hear 0
            // costs a system call per file, which shows when a setup copies thousands of PPDs.
            if (size > 0 && total >= size)
                return 0;
            ssize_t copied = copy_file_range(in, NULL, out, NULL, 1 << 30, 0);
            if (copied > 0) {
                total += copied;
                continue;
            }
            if (copied == 0)
                return 0;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL &&
                errno != EPERM)
                return errno;
            kernelCopy = false; // both descriptors' offsets are where the kernel left them
        }
        char block[65536];
        ssize_t got = read(in, block, sizeof block);
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(out, block + done, (size_t)(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += put;
        }
    }
}

// Makes the copy carry what Windows carries over: the permission bits (read-only among them)
// and the last-write time. The access time is now, as for any new file.
int CopyMetadata(int out, const struct stat& source)
{
    if (fchmod(out, source.st_mode & 0777) != 0)
        return errno;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1] = source.st_mtim;
    if (futimens(out, times) != 0)
        return errno;
    return 0;
}

} // namespace

// Copies source to destination with the source's attributes and last-write time. An existing
// destination is replaced unless failIfExists (80), it is read-only or a folder (5), or it is
// the source itself (32). Source missing: 2; destination folder missing: 3; disk full: 112.
BOOL CopyFileA(LPCSTR source, LPCSTR destination, BOOL failIfExists)
{
    if (source == NULL || destination == NULL || source[0] == '\0' || destination[0] == '\0')
        return Refuse(ERROR_INVALID_PARAMETER);
    std::string from = NativePath(source);
    std::string to = NativePath(destination);

    Descriptor in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        return Refuse(ErrorForPath(errno, from));
    struct stat sourceInfo;
    if (fstat(in.fd, &sourceInfo) != 0)
        return Refuse(MapErrno(errno, true));
    if (S_ISDIR(sourceInfo.st_mode))
        return Refuse(ERROR_ACCESS_DENIED);

    struct stat destinationInfo;
    if (stat(to.c_str(), &destinationInfo) == 0) {
        if (failIfExists)
            return Refuse(ERROR_FILE_EXISTS);
        if (S_ISDIR(destinationInfo.st_mode) || IsReadOnlyMode(destinationInfo.st_mode))
            return Refuse(ERROR_ACCESS_DENIED);
        // The rename below would replace a file that other owners protect from our writes.
        if (access(to.c_str(), W_OK) != 0)
            return Refuse(ERROR_ACCESS_DENIED);
        if (destinationInfo.st_dev == sourceInfo.st_dev &&
            destinationInfo.st_ino == sourceInfo.st_ino)
            return Refuse(ERROR_SHARING_VIOLATION); // Windows has the source open, so the same
    } else if (errno != ENOENT) {
        return Refuse(ErrorForPath(errno, to));
    }

    // Hidden and marked as ours, so that a leftover from a killed process tells where it came
    // from; it matches none of the program's search masks.
    std::string::size_type slash = to.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : to.substr(0, slash + 1);
    std::string temporary = folder + ".winshim-copy-XXXXXX";
    Descriptor out(mkostemp(&temporary[0], O_CLOEXEC));
    if (out.fd < 0)
        return Refuse(ErrorForPath(errno, to));

    int failure = CopyContents(in.fd, out.fd, sourceInfo.st_size);
    if (failure == 0)
        failure = CopyMetadata(out.fd, sourceInfo);
    if (failure == 0 && close(out.fd) != 0)
        failure = errno; // a late write error (NFS, quota) shows only here
    out.fd = -1;
    if (failure == 0 && rename(temporary.c_str(), to.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        unlink(temporary.c_str());
        return Refuse(MapErrno(failure, true));
    }
    return TRUE;
}

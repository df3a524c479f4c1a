#include "support/SyncedFolder.h"

#include <sys/stat.h>
#include <unistd.h>

std::string FolderOfDescriptor(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISDIR(status.st_mode))
        return std::string();
    char folder[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), folder, sizeof folder);
    if (length <= 0)
        return std::string();
    return std::string(folder, static_cast<std::size_t>(length));
}

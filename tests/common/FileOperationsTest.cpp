#include "common/FileOperations.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/TempTree.h"

namespace tarvolin {
namespace {

bool exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// An item on another file system than the data folder goes to the trash at that file system's
// top, with its path recorded relative to that top; the home trash is not touched.
TEST(FileOperations, TrashOnAnotherFileSystemUsesThatFileSystemsTrash) {
    struct stat shm {};
    struct stat tmp {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat("/tmp", &tmp) != 0 || shm.st_dev == tmp.st_dev ||
        ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "needs a writable /dev/shm on its own file system";

    test::TempTree data;  // under /tmp
    const std::string item = "/dev/shm/tarvolin-trash-" + std::to_string(::getpid());
    std::string trash = "/dev/shm/.Trash-" + std::to_string(::getuid());
    struct stat shared {};
    if (::lstat("/dev/shm/.Trash", &shared) == 0 && (shared.st_mode & S_ISVTX) != 0)
        trash = "/dev/shm/.Trash/" + std::to_string(::getuid());
    const bool trashExisted = exists(trash);
    ASSERT_EQ(::mkdir(item.c_str(), 0700), 0);
    ::setenv("XDG_DATA_HOME", data.root().c_str(), 1);

    const int error = moveToTrash(item);
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(error, 0);
    EXPECT_FALSE(exists(item));
    const std::string name = item.substr(item.rfind('/') + 1);
    EXPECT_TRUE(exists(trash + "/files/" + name));
    EXPECT_TRUE(exists(trash + "/info/" + name + ".trashinfo"));
    EXPECT_FALSE(exists(data.path("Trash")));
    EXPECT_EQ(removePath(trash + "/files/" + name), 0);
    EXPECT_EQ(removePath(trash + "/info/" + name + ".trashinfo"), 0);
    if (!trashExisted) {
        EXPECT_EQ(removePath(trash), 0);
    }
}

}  // namespace
}  // namespace tarvolin

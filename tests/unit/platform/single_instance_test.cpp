// The single-instance lock: one holder at a time, released with the object or the process, and
// never through a planted link.

#include "platform/single_instance.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "../l10n/temp_dir.h"

namespace trv81k {
namespace {

namespace fs = std::filesystem;
using Status = SingleInstanceLock::Status;

class SingleInstanceTest : public ::testing::Test {
protected:
    testing::TempDir temp;
    const fs::path dir{temp.path()};
};

TEST_F(SingleInstanceTest, SecondLockRefusedUntilFirstIsGone) {
    auto first = std::make_unique<SingleInstanceLock>(dir);
    ASSERT_TRUE(first->acquired());
#ifndef _WIN32
    struct ::stat info {};
    ASSERT_EQ(::stat((dir / kLockFileName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif

    {
        const SingleInstanceLock second(dir);
        EXPECT_FALSE(second.acquired());
        EXPECT_EQ(second.status(), Status::HeldByOther);
    }
    first.reset();
    const SingleInstanceLock third(dir);
    EXPECT_TRUE(third.acquired());
}

// The lock file's own rules: Linux's side.
#ifndef _WIN32
TEST_F(SingleInstanceTest, KernelDropsTheLockOfAProcessThatDies) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const SingleInstanceLock held(dir);
        const char answer = held.acquired() ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(answer, 'y');
    EXPECT_EQ(SingleInstanceLock(dir).status(), Status::HeldByOther);

    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(SingleInstanceLock(dir).acquired());
}

TEST_F(SingleInstanceTest, PlantedLinkIsNeverFollowed) {
    // A link to an existing file: the file is neither locked nor changed.
    const fs::path victim = dir / "victim";
    std::ofstream(victim) << "keep";
    fs::create_symlink(victim, dir / kLockFileName);
    {
        const SingleInstanceLock lock(dir);
        EXPECT_EQ(lock.status(), Status::Unavailable);
        const int fd = ::open(victim.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        ::close(fd);
    }
    EXPECT_EQ(fs::file_size(victim), 4u);

    // A dangling link: its target is not created.
    fs::remove(dir / kLockFileName);
    fs::create_symlink(dir / "created", dir / kLockFileName);
    EXPECT_EQ(SingleInstanceLock(dir).status(), Status::Unavailable);
    EXPECT_FALSE(fs::exists(dir / "created"));
}

TEST_F(SingleInstanceTest, UnusableFolderOrFileIsReportedNotThrown) {
    EXPECT_EQ(SingleInstanceLock(dir / "missing").status(), Status::Unavailable);
    fs::create_directory(dir / kLockFileName);
    EXPECT_EQ(SingleInstanceLock(dir).status(), Status::Unavailable);
    fs::remove(dir / kLockFileName);

    // A lock file that belongs to another user is not used.
    std::ofstream(dir / kLockFileName).close();
    if (::chown((dir / kLockFileName).c_str(), 65534, 65534) != 0 || ::geteuid() == 65534) {
        GTEST_SKIP() << "cannot give the file to another user here";
    }
    EXPECT_EQ(SingleInstanceLock(dir).status(), Status::Unavailable);
}

TEST_F(SingleInstanceTest, DefaultFolderIsTheRuntimeFolderWhenItIsAbsolute) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    EXPECT_EQ(SingleInstanceLock::DefaultDirectory(), dir);
    {
        const SingleInstanceLock lock;
        EXPECT_TRUE(lock.acquired());
        EXPECT_TRUE(fs::exists(dir / kLockFileName));
    }
    ::setenv("XDG_RUNTIME_DIR", "relative/dir", 1);
    EXPECT_EQ(SingleInstanceLock::DefaultDirectory(), fs::temp_directory_path());
    if (saved) {
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
}

#endif

}  // namespace
}  // namespace trv81k

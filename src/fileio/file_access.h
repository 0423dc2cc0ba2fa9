#pragma once
// The files a user names on the command line or in a configuration: a configuration, a state
// file, a request log, a secret. Reading takes regular files only, so that a FIFO nobody
// writes or a device file cannot hold a program up; writing never follows a symbolic link,
// so a log full of passwords cannot be sent through one into another file.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace trv81k {

// A file descriptor, closed when it goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes the descriptor held (if any) and takes `fd`; the result of the close.
    int reset(int fd = -1);

private:
    int fd_ = -1;
};

// A file opened, or why not ("cannot open x: No such file or directory", "x is not a regular
// file ...").
struct OpenedFile {
    FileDescriptor file;
    bool missing = false;  // it does not exist
    std::string error;     // empty when opened
};

// Opens a regular file for reading. A FIFO, a device, a socket or a folder is refused at once,
// without waiting for a writer.
OpenedFile OpenRegularFileForReading(const std::filesystem::path& path);

// Opens a file for appending, creating it readable and writable by its owner only. A symbolic
// link is refused, and so is anything but a regular file.
OpenedFile OpenForAppending(const std::filesystem::path& path);

// A whole regular file of at most `maxBytes`.
struct FileContents {
    std::string text;
    bool missing = false;
    std::string error;  // empty when read
};
FileContents ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

// Replaces `path` with a file holding `text`, never leaving a half-written one: a temporary
// file beside it, written, flushed to the disk and renamed over it (Linux: fsync and rename,
// then the folder's fsync; Windows: FlushFileBuffers and MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). Empty when done, else why not
// ("cannot write state.json (rename): ...").
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view text);

// The system's text for an errno value.
std::string ErrnoText(int error);

}  // namespace trv81k

#include "scrivlet/atomic.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace quarn::scrivlet {
namespace {

class WriteCategory final : public std::error_category {
public:
    [[nodiscard]] const char* name() const noexcept override { return "scrivlet"; }
    [[nodiscard]] std::string message(int value) const override {
        switch (static_cast<WriteFailure>(value)) {
            case WriteFailure::ZeroWrite:
                return "failed to write whole buffer";
        }
        return "unknown write failure";
    }
};

[[nodiscard]] std::error_code last_error() { return {errno, std::system_category()}; }

// Owns an open descriptor; close() reports the error that a destructor would have to swallow.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            (void)::close(fd_);  // only reached on an error path that already has its error
        }
    }
    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] std::expected<void, std::error_code> close() {
        // Linux releases the descriptor even when close fails, so it is never retried.
        const int result = ::close(std::exchange(fd_, -1));
        if (result != 0 && errno != EINTR) {
            return std::unexpected(last_error());
        }
        return {};
    }

private:
    int fd_;
};

// Owns the temporary file's name: it is unlinked on every way out except the successful rename.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (owned_) {
            (void)::unlink(path_.c_str());  // best effort: the save already failed
        }
    }
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    void release() { owned_ = false; }

private:
    std::filesystem::path path_;
    bool owned_ = true;
};

[[nodiscard]] std::expected<void, std::error_code> write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::unexpected(last_error());
        }
        if (written == 0) {
            return std::unexpected(make_error_code(WriteFailure::ZeroWrite));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// Makes the rename itself durable. A directory that cannot be synced costs durability after a
// crash, not the save, so failures are ignored.
void sync_directory_of(const std::filesystem::path& path) {
    std::filesystem::path directory = path.parent_path();
    if (directory.empty()) {
        directory = ".";
    }
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    (void)::fsync(fd);  // see above: best effort
    (void)::close(fd);
}

}  // namespace

const std::error_category& write_category() {
    static const WriteCategory category;
    return category;
}

std::error_code make_error_code(WriteFailure failure) {
    return {static_cast<int>(failure), write_category()};
}

std::expected<std::string, std::error_code> read_file(const std::filesystem::path& path) {
    const int raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (raw < 0) {
        return std::unexpected(last_error());
    }
    FileDescriptor file(raw);
    std::string bytes;
    struct stat info {};
    if (::fstat(file.get(), &info) == 0 && info.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::unexpected(last_error());
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    (void)file.close();  // nothing was written: a failing close cannot lose data
    return bytes;
}

std::expected<void, std::error_code> write_atomic(const std::filesystem::path& path,
                                                  std::string_view bytes) {
    std::filesystem::path temp_path = path;
    temp_path += ".new";
    // Truncating a leftover in place would follow a symbolic link someone planted under this
    // name; removing it first and creating exclusively never writes anywhere but a new file.
    (void)::unlink(temp_path.c_str());  // a failure shows up as the open's EEXIST
    const int raw =
        ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (raw < 0) {
        return std::unexpected(last_error());
    }
    TemporaryFile temp(temp_path);
    FileDescriptor file(raw);

    // Before the first byte, so a private file is never readable under wider bits, not even
    // for the moment before the rename. File systems without modes refuse; that is harmless.
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0) {
        (void)::fchmod(file.get(), target.st_mode & 07777);
    }

    if (auto written = write_all(file.get(), bytes); !written) {
        return written;
    }
    if (::fsync(file.get()) != 0) {
        return std::unexpected(last_error());
    }
    if (auto closed = file.close(); !closed) {
        return closed;
    }
    if (::rename(temp.path().c_str(), path.c_str()) != 0) {
        return std::unexpected(last_error());
    }
    temp.release();
    sync_directory_of(path);
    return {};
}

}  // namespace quarn::scrivlet

#include "core/util/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace zirvo {

std::string JoinPath(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (!out.empty() && out.back() != '/') {
        out += '/';
    }
    while (!name.empty() && name.front() == '/') {
        name.remove_prefix(1);
    }
    out.append(name);
    return out;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectories(const std::string& path, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (DirectoryExists(path)) {
        return true;
    }
    if (error) {
        *error = "cannot create folder " + path + ": " + (ec ? ec.message() : "not a folder");
    }
    return false;
}

bool ReadFileBytes(const std::string& path, std::string& out, size_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    out.clear();
    char buffer[65536];
    bool ok = true;
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ok = false;
            break;
        }
        if (out.size() + static_cast<size_t>(n) > maxBytes) {
            ok = false;
            break;
        }
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error) {
            *error = what + " " + path + ": " + std::strerror(errno);
        }
        return false;
    };
    std::random_device seed;
    std::string temp = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(seed());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return fail("cannot write");
    }
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int saved = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            errno = saved;
            return fail("cannot write");
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return fail("cannot write");
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return fail("cannot replace");
    }
    return true;
}

bool CopyFileIfMissing(const std::string& from, const std::string& to, bool* copied,
                       std::string* error) {
    if (copied) {
        *copied = false;
    }
    if (FileExists(to)) {
        return true;
    }
    std::string bytes;
    if (!ReadFileBytes(from, bytes)) {
        if (error) {
            *error = "cannot read " + from;
        }
        return false;
    }
    if (!WriteFileAtomic(to, bytes, error)) {
        return false;
    }
    if (copied) {
        *copied = true;
    }
    return true;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::string ExecutableDirectory() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return {};
    }
    return exe.parent_path().string();
}

}  // namespace zirvo

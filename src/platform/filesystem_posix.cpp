// SPDX-License-Identifier: MIT
// File and folder operations on POSIX with the Windows rules the package writers were built on:
// wildcard matching, Windows' listing order, read-only protection, and copies that keep times and
// the read-only state.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"

namespace korva {
namespace {

// Large chunks keep a package copy as fast as cp; the progress callback runs after each one.
constexpr std::size_t kCopyChunk = 4u << 20;
constexpr std::size_t kBufferSize = 1u << 20;

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) {
    throw PlatformError(what + " (" + std::strerror(error) + ")", path);
}

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw PlatformError(what, path);
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closing a written file can report a late write error (network file systems), so it counts.
    int close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

class Dir {
  public:
    explicit Dir(DIR* dir) : dir_(dir) {}
    Dir(const Dir&) = delete;
    Dir& operator=(const Dir&) = delete;
    ~Dir() {
        if (dir_ != nullptr)
            ::closedir(dir_);
    }
    DIR* get() const { return dir_; }

  private:
    DIR* dir_;
};

bool is_dot_entry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool is_read_only(const struct stat& st) {
    return (st.st_mode & S_IWUSR) == 0;
}

// Opening "" means the current folder, as a pattern without a folder part does on Windows.
std::string open_name(const std::string& folder) {
    return folder.empty() ? "." : folder;
}

enum class Kind { File, Folder, Other };

struct Entry {
    std::string name;
    Kind kind;
    bool link;
};

Kind kind_of(mode_t mode) {
    if (S_ISDIR(mode))
        return Kind::Folder;
    if (S_ISREG(mode))
        return Kind::File;
    return Kind::Other;
}

char upper_ascii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The order NTFS keeps names in: upper-cased, so "_" sorts after the letters as on Windows; the
// bytes decide between names that differ only in case, so the order never depends on readdir.
bool windows_order(const std::string& a, const std::string& b) {
    const auto upper_less = [](char x, char y) {
        return static_cast<unsigned char>(upper_ascii(x)) <
               static_cast<unsigned char>(upper_ascii(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), upper_less))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), upper_less))
        return false;
    return a < b;
}

// The entries of a folder with links followed, in Windows' order; a dangling link counts as a file,
// which is what a listing on Windows shows for it. Returns 0 or the error that stopped the reading.
int read_folder(const std::string& folder, std::vector<Entry>& entries) {
    Dir dir(::opendir(open_name(folder).c_str()));
    if (dir.get() == nullptr)
        return errno;
    int dir_fd = ::dirfd(dir.get());
    errno = 0;
    while (const dirent* item = ::readdir(dir.get())) {
        if (is_dot_entry(item->d_name))
            continue;
        Entry entry{item->d_name, Kind::Other, false};
        switch (item->d_type) {
            case DT_REG:
                entry.kind = Kind::File;
                break;
            case DT_DIR:
                entry.kind = Kind::Folder;
                break;
            case DT_LNK:
            case DT_UNKNOWN: {
                struct stat st {};
                entry.link = item->d_type == DT_LNK;
                if (::fstatat(dir_fd, item->d_name, &st, 0) == 0) {
                    entry.kind = kind_of(st.st_mode);
                } else if (::fstatat(dir_fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                    entry.link = S_ISLNK(st.st_mode);
                    entry.kind = entry.link ? Kind::File : kind_of(st.st_mode);
                }
                break;
            }
            default:
                break;
        }
        entries.push_back(std::move(entry));
        errno = 0;
    }
    const int error = errno;
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return windows_order(a.name, b.name); });
    return error;
}

bool has_wildcard(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

struct Match {
    std::string name;
    std::string path;
    Kind kind;
    bool link;
};

enum class Want { Files, Folders, Both };

bool wanted(Kind kind, Want want) {
    switch (want) {
        case Want::Files:
            return kind == Kind::File;
        case Want::Folders:
            return kind == Kind::Folder;
        case Want::Both:
            return kind != Kind::Other;
    }
    return false;
}

// The items a pattern names. A name without wildcards that exists exactly is taken as it is;
// otherwise the folder is searched as Windows would, ignoring case. An empty last component
// ("folder/") names nothing, except in a listing, where it stands for the whole folder as in the
// runtime's directory listing (a copy or delete of "folder/" must not mean every file in it).
enum class EmptyName { NamesNothing, ListsAll };

std::vector<Match> resolve(const std::string& pattern, Want want,
                           EmptyName empty = EmptyName::NamesNothing) {
    std::vector<Match> matches;
    const auto cut = pattern.rfind(kPathSep);
    const std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut + 1);
    const std::string last = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    if (last.empty() && (pattern.empty() || empty == EmptyName::NamesNothing))
        return matches;
    const std::string name = last.empty() ? std::string(1, '*') : last;
    if (!has_wildcard(name)) {
        struct stat st {};
        if (::stat(pattern.c_str(), &st) == 0) {
            struct stat lst {};
            bool link = ::lstat(pattern.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode);
            if (wanted(kind_of(st.st_mode), want))
                matches.push_back({name, pattern, kind_of(st.st_mode), link});
            return matches;
        }
    }
    std::vector<Entry> entries;
    // A folder that is missing holds no match; one that cannot be listed is a failure, never an
    // empty folder (a package without its installer would pass for a good one).
    if (const int error = read_folder(folder, entries);
        error != 0 && error != ENOENT && error != ENOTDIR)
        fail("Cannot read the folder", folder, error);
    for (auto& entry : entries) {
        if (wanted(entry.kind, want) && wildcard_match(name, entry.name))
            matches.push_back({entry.name, folder + entry.name, entry.kind, entry.link});
    }
    return matches;
}

// Deletes a folder tree below an open parent without following links. make_writable adds the
// owner's permissions a folder needs before its entries can go (a read-only folder on Linux
// blocks deleting what it holds). Returns the first failure instead of throwing so that
// remove_all can carry on past it.
struct RemoveFailure {
    std::string path;
    int error = 0;
};

void remove_entry(int parent_fd, const std::string& name, const std::string& path,
                  bool make_writable, RemoveFailure& failure);

void remove_contents(int dir_fd, const std::string& path, bool make_writable,
                     RemoveFailure& failure) {
    int dup_fd = ::dup(dir_fd);
    if (dup_fd < 0) {
        if (failure.error == 0)
            failure = {path, errno};
        return;
    }
    Dir dir(::fdopendir(dup_fd));
    if (dir.get() == nullptr) {
        if (failure.error == 0)
            failure = {path, errno};
        ::close(dup_fd);
        return;
    }
    std::vector<std::pair<std::string, bool>> names;
    while (const dirent* item = ::readdir(dir.get())) {
        if (is_dot_entry(item->d_name))
            continue;
        names.emplace_back(item->d_name, item->d_type == DT_DIR || item->d_type == DT_UNKNOWN);
    }
    for (const auto& [name, maybe_folder] : names) {
        const std::string child = path + kPathSep + name;
        if (!maybe_folder && ::unlinkat(dir_fd, name.c_str(), 0) == 0)
            continue;
        remove_entry(dir_fd, name, child, make_writable, failure);
    }
}

void remove_entry(int parent_fd, const std::string& name, const std::string& path,
                  bool make_writable, RemoveFailure& failure) {
    struct stat st {};
    if (::fstatat(parent_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT && failure.error == 0)
            failure = {path, errno};
        return;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (::unlinkat(parent_fd, name.c_str(), 0) != 0 && failure.error == 0)
            failure = {path, errno};
        return;
    }
    if (make_writable && (st.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmodat(parent_fd, name.c_str(), (st.st_mode & 07777) | S_IRWXU, 0);
    Fd dir(::openat(parent_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0) {
        if (failure.error == 0)
            failure = {path, errno};
        return;
    }
    remove_contents(dir.get(), path, make_writable, failure);
    if (::unlinkat(parent_fd, name.c_str(), AT_REMOVEDIR) != 0 && failure.error == 0)
        failure = {path, errno};
}

RemoveFailure remove_tree(const std::string& path, bool make_writable) {
    RemoveFailure failure;
    const std::string item = without_trailing_sep(path);
    const auto cut = item.rfind(kPathSep);
    const std::string parent = cut == std::string::npos
                                   ? "."
                                   : (cut == 0 ? std::string(1, kPathSep) : item.substr(0, cut));
    const std::string name = cut == std::string::npos ? item : item.substr(cut + 1);
    Fd parent_fd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent_fd.get() < 0) {
        failure = {item, errno};
        return failure;
    }
    remove_entry(parent_fd.get(), name, item, make_writable, failure);
    return failure;
}

// The first read-only item in a tree (the folder itself included), not following links; empty
// when there is none.
std::string find_read_only(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    if (S_ISLNK(st.st_mode))
        return {};
    if (is_read_only(st))
        return path;
    if (!S_ISDIR(st.st_mode))
        return {};
    Dir dir(::opendir(path.c_str()));
    if (dir.get() == nullptr)
        return {};
    while (const dirent* item = ::readdir(dir.get())) {
        if (is_dot_entry(item->d_name))
            continue;
        std::string found = find_read_only(path + kPathSep + item->d_name);
        if (!found.empty())
            return found;
    }
    return {};
}

}  // namespace

bool RealFileSystem::folder_exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RealFileSystem::file_exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && !ends_with_sep(path) && ::stat(path.c_str(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

bool RealFileSystem::is_link(const std::string& path) {
    std::string item = path;
    while (item.size() > 1 && ends_with_sep(item))
        item.pop_back();
    struct stat st {};
    return !item.empty() && ::lstat(item.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::vector<std::string> RealFileSystem::sub_folders(const std::string& folder) {
    std::vector<Entry> entries;
    if (int error = read_folder(folder, entries))
        fail("Cannot read the folder", folder, error);
    std::vector<std::string> names;
    for (auto& entry : entries)
        if (entry.kind == Kind::Folder)
            names.push_back(std::move(entry.name));
    return names;
}

std::vector<std::string> RealFileSystem::files(const std::string& folder) {
    std::vector<Entry> entries;
    if (int error = read_folder(folder, entries))
        fail("Cannot read the folder", folder, error);
    std::vector<std::string> names;
    for (auto& entry : entries)
        if (entry.kind == Kind::File)
            names.push_back(std::move(entry.name));
    return names;
}

std::vector<std::string> RealFileSystem::list(const std::string& pattern, bool include_folders) {
    std::vector<std::string> names;
    for (auto& match :
         resolve(pattern, include_folders ? Want::Both : Want::Files, EmptyName::ListsAll))
        names.push_back(std::move(match.name));
    return names;
}

namespace {

// One copy call: the running byte count of the progress callback, the folders being copied and
// the folders written to, so that a link back into either is noticed.
class Copier {
  public:
    Copier(const CopyProgress& progress, std::uint64_t& bytes_done)
        : progress_(progress), bytes_done_(bytes_done) {}

    void file(const std::string& source, const std::string& destination);
    void tree(const std::string& source, const std::string& destination);

  private:
    void report() {
        if (progress_)
            progress_(bytes_done_);
    }

    const CopyProgress& progress_;
    std::uint64_t& bytes_done_;
    // Every source folder this copy has taken, so a folder reached again through a link is
    // copied once: links can otherwise multiply a tree without end.
    std::set<std::pair<dev_t, ino_t>> copied_folders_;
    std::set<std::pair<dev_t, ino_t>> written_folders_;
    std::vector<char> buffer_;
};

void Copier::file(const std::string& source, const std::string& destination) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        fail("Cannot open the file", source, errno);
    struct stat src {};
    if (::fstat(in.get(), &src) != 0)
        fail("Cannot read the file", source, errno);
    if (!S_ISREG(src.st_mode))
        fail("Not a file", source);

    // Windows refuses to overwrite a read-only file and never copies a file onto itself; both are
    // checked by hand because root on Linux would simply write.
    struct stat dst {};
    const bool existed = ::stat(destination.c_str(), &dst) == 0;
    if (existed) {
        if (S_ISDIR(dst.st_mode))
            fail("A folder is in the way of the copy", destination);
        if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)
            fail("Cannot copy a file onto itself", destination);
        if (is_read_only(dst))
            fail("The file is read-only", destination);
    }
    Fd out(
        ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, src.st_mode & 0777));
    if (out.get() < 0)
        fail("Cannot create the file", destination, errno);

    const auto size = static_cast<std::uint64_t>(src.st_size);
    std::uint64_t copied = 0;
    bool use_range = true;
    for (;;) {
        ssize_t n = -1;
        if (use_range) {
            n = ::copy_file_range(in.get(), nullptr, out.get(), nullptr, kCopyChunk, 0);
            if (n < 0 && errno == EINTR)
                continue;
            // Some file systems cannot do it (or pretend a file is empty); plain reads carry on
            // from the same offsets.
            if ((n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                           errno == EOPNOTSUPP || errno == EBADF || errno == EPERM)) ||
                (n == 0 && copied < size)) {
                use_range = false;
                continue;
            }
            if (n < 0)
                fail("Cannot copy the file", destination, errno);
        } else {
            if (buffer_.empty())
                buffer_.resize(kBufferSize);
            n = ::read(in.get(), buffer_.data(), buffer_.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                fail("Cannot read the file", source, errno);
            for (ssize_t written = 0; written < n;) {
                ssize_t w = ::write(out.get(), buffer_.data() + written, n - written);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w < 0)
                    fail("Cannot write the file", destination, errno);
                written += w;
            }
        }
        if (n == 0)
            break;
        copied += static_cast<std::uint64_t>(n);
        bytes_done_ += static_cast<std::uint64_t>(n);
        if (copied < size)
            report();
    }

    const struct timespec times[2] = {src.st_atim, src.st_mtim};
    if (::futimens(out.get(), times) != 0)
        fail("Cannot set the file time", destination, errno);
    if (existed && is_read_only(src) && ::fchmod(out.get(), dst.st_mode & 07777 & ~0222) != 0)
        fail("Cannot make the file read-only", destination, errno);
    if (out.close() != 0)
        fail("Cannot write the file", destination, errno);
    report();
}

void Copier::tree(const std::string& source, const std::string& destination) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0)
        fail("Cannot read the folder", source, errno);
    const std::pair<dev_t, ino_t> id{st.st_dev, st.st_ino};
    // A folder reached again through a link, or a link into the copy itself, is left out: links
    // could otherwise copy a tree forever or multiply it.
    if (written_folders_.count(id) != 0 || !copied_folders_.insert(id).second)
        return;

    if (::mkdir(destination.c_str(), 0777) != 0) {
        const int error = errno;
        if (error != EEXIST)
            fail("Cannot create the folder", destination, error);
    }
    struct stat written {};
    if (::stat(destination.c_str(), &written) != 0 || !S_ISDIR(written.st_mode))
        fail("A file is in the way of the folder", destination);
    written_folders_.insert({written.st_dev, written.st_ino});
    std::vector<std::pair<std::string, unsigned char>> entries;
    {
        Dir dir(::opendir(source.c_str()));
        if (dir.get() == nullptr)
            fail("Cannot read the folder", source, errno);
        errno = 0;
        while (const dirent* item = ::readdir(dir.get())) {
            if (!is_dot_entry(item->d_name))
                entries.emplace_back(item->d_name, item->d_type);
            errno = 0;
        }
        if (errno != 0)
            fail("Cannot read the folder", source, errno);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return windows_order(a.first, b.first); });

    for (const auto& [name, type] : entries) {
        const std::string from = source + kPathSep + name;
        const std::string to = destination + kPathSep + name;
        Kind kind = type == DT_REG ? Kind::File : type == DT_DIR ? Kind::Folder : Kind::Other;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat target {};
            if (::stat(from.c_str(), &target) != 0)
                fail("Cannot follow the link", from, errno);
            kind = kind_of(target.st_mode);
        }
        // Devices, pipes and sockets have no place in a package and would block a read.
        if (kind == Kind::File) {
            file(from, to);
        } else if (kind == Kind::Folder) {
            tree(from, to);
        }
    }
}

}  // namespace

void RealFileSystem::copy_file(const std::string& source, const std::string& destination) {
    const auto matches = resolve(source, Want::Files);
    if (matches.empty())
        fail("No file matches", source);
    const bool into_folder = ends_with_sep(destination);
    Copier copier(progress_, bytes_done_);
    for (const auto& match : matches)
        copier.file(match.path, into_folder ? destination + match.name : destination);
}

void RealFileSystem::copy_folder(const std::string& source, const std::string& destination) {
    const auto matches = resolve(without_trailing_sep(source), Want::Folders);
    if (matches.empty())
        fail("No folder matches", source);
    const bool into_folder = ends_with_sep(destination);
    for (const auto& match : matches) {
        const std::string target =
            without_trailing_sep(into_folder ? destination + match.name : destination);
        // A copy into the folder itself or one of its sub-folders would never end.
        const std::string from = canonical(match.path);
        const std::string to = canonical(target);
        if (to == from || to.rfind(with_trailing_sep(from), 0) == 0)
            fail("Cannot copy a folder into itself", target);
        Copier copier(progress_, bytes_done_);
        copier.tree(match.path, target);
    }
}

void RealFileSystem::create_folder(const std::string& path) {
    const std::string folder = without_trailing_sep(path);
    if (folder.empty())
        fail("No folder name", path);
    if (::mkdir(folder.c_str(), 0777) != 0) {
        if (errno == EEXIST)
            fail("The folder or a file of that name exists", path);
        fail("Cannot create the folder", path, errno);
    }
}

void RealFileSystem::delete_file(const std::string& pattern, bool force) {
    const auto matches = resolve(pattern, Want::Files);
    if (matches.empty())
        fail("No file matches", pattern);
    std::string refused;
    for (const auto& match : matches) {
        struct stat st {};
        if (!force && ::stat(match.path.c_str(), &st) == 0 && is_read_only(st)) {
            if (refused.empty())
                refused = match.path;
            continue;
        }
        if (::unlink(match.path.c_str()) != 0)
            fail("Cannot delete the file", match.path, errno);
    }
    if (!refused.empty())
        fail("The file is read-only", refused);
}

void RealFileSystem::delete_folder(const std::string& pattern, bool force) {
    const auto matches = resolve(without_trailing_sep(pattern), Want::Folders);
    if (matches.empty())
        fail("No folder matches", pattern);
    for (const auto& match : matches) {
        if (match.link) {
            if (::unlink(match.path.c_str()) != 0)
                fail("Cannot delete the folder link", match.path, errno);
            continue;
        }
        if (!force) {
            const std::string read_only = find_read_only(match.path);
            if (!read_only.empty())
                fail("The folder holds a read-only item", read_only);
        }
        const RemoveFailure failure = remove_tree(match.path, force);
        if (failure.error != 0)
            fail("Cannot delete", failure.path, failure.error);
    }
}

void RealFileSystem::set_attributes(const std::string& path, int attributes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        fail("Cannot read the attributes", path, errno);
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & kAttrReadOnly) != 0 ? mode & ~0222 : mode | S_IWUSR;
    if (::chmod(path.c_str(), mode) != 0)
        fail("Cannot set the attributes", path, errno);
}

int RealFileSystem::attributes(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        fail("Cannot read the attributes", path, errno);
    return (S_ISDIR(st.st_mode) ? kAttrFolder : 0) | (is_read_only(st) ? kAttrReadOnly : 0);
}

void RealFileSystem::rename(const std::string& old_path, const std::string& new_path) {
    const std::string from = without_trailing_sep(old_path);
    const std::string to = without_trailing_sep(new_path);
    // RENAME_NOREPLACE closes the gap between checking the new name and taking it.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno == EEXIST)
        fail("The new name exists", new_path);
    if (errno != EINVAL && errno != ENOSYS)
        fail("Cannot rename", old_path, errno);
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0)
        fail("The new name exists", new_path);
    if (::rename(from.c_str(), to.c_str()) != 0)
        fail("Cannot rename", old_path, errno);
}

void RealFileSystem::write_file(const std::string& path, const std::string& bytes,
                                bool owner_only) {
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed && S_ISREG(st.st_mode) && is_read_only(st))
        fail("The file is read-only", path);
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    if (owner_only) {
        // A fresh file made 0600 by open itself: an old file's wider mode must not carry over,
        // and there must be no moment in which others could open the new one.
        if (existed && ::unlink(path.c_str()) != 0)
            fail("Cannot replace the file", path, errno);
        flags |= O_EXCL;
    }
    Fd out(::open(path.c_str(), flags, owner_only ? 0600 : 0666));
    if (out.get() < 0)
        fail("Cannot create the file", path, errno);
    if (owner_only && ::fchmod(out.get(), 0600) != 0)
        fail("Cannot protect the file", path, errno);
    for (std::size_t written = 0; written < bytes.size();) {
        ssize_t n = ::write(out.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("Cannot write the file", path, errno);
        written += static_cast<std::size_t>(n);
    }
    if (out.close() != 0)
        fail("Cannot write the file", path, errno);
}

std::string RealFileSystem::read_file(const std::string& path) {
    Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        fail("Cannot open the file", path, errno);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        fail("Cannot read the file", path, errno);
    if (!S_ISREG(st.st_mode))
        fail("Not a file", path);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("Cannot read the file", path, errno);
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::int64_t RealFileSystem::modified_time(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        fail("Cannot read the file time", path, errno);
    return static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

std::uint64_t RealFileSystem::file_size(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        fail("Cannot read the file size", path, errno);
    if (S_ISDIR(st.st_mode))
        fail("Not a file", path);
    return static_cast<std::uint64_t>(st.st_size);
}

std::string RealFileSystem::canonical(const std::string& path) {
    if (path.empty())
        fail("No path", path);
    std::error_code error;
    auto absolute = std::filesystem::absolute(path, error);
    if (error)
        fail("Cannot make the path absolute", path, error.value());
    auto result = std::filesystem::weakly_canonical(absolute, error);
    if (error)
        fail("Cannot resolve the path", path, error.value());
    // The library keeps or drops a trailing separator depending on what exists; callers compare
    // texts, so the form follows the input instead.
    std::string text = without_trailing_sep(result.string());
    return ends_with_sep(path) ? with_trailing_sep(text) : text;
}

std::string RealFileSystem::make_temp_folder(const std::string& prefix) {
    if (prefix.find(kPathSep) != std::string::npos)
        fail("Invalid temporary folder prefix", prefix);
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    if (error)
        fail("No temporary folder", "TMPDIR", error.value());
    std::string templ = with_trailing_sep(base.string()) + prefix + "XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr)
        fail("Cannot create a temporary folder", templ, errno);
    return with_trailing_sep(templ);
}

void RealFileSystem::remove_all(const std::string& path) noexcept {
    if (path.empty())
        return;
    try {
        remove_tree(path, true);
    } catch (...) {
        // Only allocation can throw here; a cleanup has nothing better to do than stop.
    }
}

std::string name_comparison_key(const std::string& path) {
    return path;
}

}  // namespace korva

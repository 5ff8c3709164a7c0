// SPDX-License-Identifier: MIT
// File and folder operations on the wide-character Win32 API. Paths arrive as UTF-8 texts and are
// made absolute and prefixed with \\?\ at the boundary, so that paths longer than 260 characters
// work and every call sees the same normalised form.
#include "platform/filesystem.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: these need its types.
#include <sddl.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/path.h"
#include "platform/win_handle.h"

namespace korva {
namespace {

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw PlatformError(what, path);
}

std::string narrow(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

// A text that is not UTF-8 would reach the system as a different name, so it is refused.
std::wstring widen(const std::string& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length == 0)
        fail("The path is not valid UTF-8", text);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, out.data(), length);
    return out;
}

std::string error_text(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : narrow(text);
}

[[noreturn]] void fail(const std::string& what, const std::string& path, DWORD error) {
    throw PlatformError(what + " (" + error_text(error) + ")", path);
}

class FindHandle {
  public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (valid())
            ::FindClose(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

class LocalMemory {
  public:
    LocalMemory() = default;
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;
    ~LocalMemory() { ::LocalFree(memory_); }
    void** out() { return &memory_; }
    void* get() const { return memory_; }

  private:
    void* memory_ = nullptr;
};

bool starts_with(std::wstring_view text, std::wstring_view start) {
    return text.substr(0, start.size()) == start;
}

// GetFullPathNameW applies the rules of plain Win32 paths (relative to the current folder, "."
// and ".." resolved, trailing dots and blanks dropped, "/" turned into "\"); the \\?\ prefix
// added afterwards switches those rules off, so it must come last.
std::wstring full_path(const std::wstring& path) {
    const std::wstring input = path.empty() ? L"." : path;
    std::wstring out(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(input.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
        if (length == 0)
            return input;
        if (length < out.size()) {
            out.resize(length);
            return out;
        }
        out.resize(length);
    }
}

std::wstring with_long_prefix(const std::wstring& full) {
    if (starts_with(full, kLongPrefix) || starts_with(full, kDevicePrefix))
        return full;
    if (starts_with(full, L"\\\\"))
        return std::wstring(kLongUncPrefix) + full.substr(2);
    return std::wstring(kLongPrefix) + full;
}

// The form every call below takes: absolute, normalised and free of the length limit.
std::wstring system_path(const std::string& path) {
    const std::wstring wide = widen(path);
    if (starts_with(wide, kLongPrefix))
        return wide;
    return with_long_prefix(full_path(wide));
}

std::wstring without_long_prefix(const std::wstring& path) {
    if (starts_with(path, kLongUncPrefix))
        return L"\\\\" + path.substr(kLongUncPrefix.size());
    if (starts_with(path, kLongPrefix))
        return path.substr(kLongPrefix.size());
    return path;
}

// A path in both forms: the program's text for messages, the system's for the calls. Names found
// in a listing are appended in the system's form, so a name that has no exact UTF-8 form still
// names its own item.
struct Item {
    std::string text;
    std::wstring wide;

    static Item of(const std::string& path) { return {path, system_path(path)}; }
    Item child(const std::wstring& name) const {
        std::wstring folder = wide;
        if (folder.back() != L'\\')
            folder += L'\\';
        return {(text.empty() ? text : with_trailing_sep(text)) + narrow(name), folder + name};
    }
};

bool is_link(DWORD attributes, DWORD reparse_tag) {
    // Symbolic links and junctions stand for another item; cloud and deduplication reparse
    // points are the item itself and are treated as plain files and folders.
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           IsReparseTagNameSurrogate(reparse_tag);
}

struct Entry {
    std::wstring wide_name;
    std::string name;
    DWORD attributes;
    bool link;

    bool folder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

Entry entry_of(const WIN32_FIND_DATAW& data) {
    return {data.cFileName, narrow(data.cFileName), data.dwFileAttributes,
            is_link(data.dwFileAttributes, data.dwReserved0)};
}

bool is_dot_entry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

HANDLE find_first(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    return ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
}

// The entries of a folder in the order Windows gives them. Returns 0 or the error that stopped
// the reading.
DWORD read_folder(const std::wstring& folder, std::vector<Entry>& entries) {
    std::wstring pattern = folder;
    if (pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    FindHandle find(find_first(pattern, data));
    if (!find.valid()) {
        const DWORD error = ::GetLastError();
        // Only a drive root can be without "." and "..": it is empty, not unreadable.
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    do {
        if (!is_dot_entry(data.cFileName))
            entries.push_back(entry_of(data));
    } while (::FindNextFileW(find.get(), &data));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}

bool has_wildcard(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

struct Match {
    std::string name;
    Item item;
    DWORD attributes;
    bool link;
};

enum class Want { Files, Folders, Both };

bool wanted(bool folder, Want want) {
    return want == Want::Both || folder == (want == Want::Folders);
}

// The items a pattern names. A name without wildcards is looked up by Windows itself, which
// ignores case and gives back the stored name; wildcards are matched here against the full names
// (Windows would also match the 8.3 short names, so "*.inf" could find "x.inf_old"). An empty
// last component ("folder\") names nothing, except in a listing, where it stands for the whole
// folder as in the runtime's directory listing.
enum class EmptyName { NamesNothing, ListsAll };

std::vector<Match> resolve(const std::string& pattern, Want want,
                           EmptyName empty = EmptyName::NamesNothing) {
    std::vector<Match> matches;
    const auto cut = last_sep(pattern);
    const std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut + 1);
    const std::string last = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    if (last.empty() && (pattern.empty() || empty == EmptyName::NamesNothing))
        return matches;
    const std::string name = last.empty() ? std::string(1, '*') : last;
    if (!has_wildcard(name) && name.find_first_not_of('.') == std::string::npos) {
        // "." and ".." would be resolved away by the full path; they name the item as written.
        const Item item = Item::of(pattern);
        const DWORD attributes = ::GetFileAttributesW(item.wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            wanted((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, want))
            matches.push_back({name, item, attributes, false});
        return matches;
    }
    const Item base = Item::of(folder);
    const auto add = [&](const Entry& entry) {
        if (!wanted(entry.folder(), want))
            return;
        Item item = base.child(entry.wide_name);
        item.text = folder + entry.name;
        matches.push_back({entry.name, std::move(item), entry.attributes, entry.link});
    };
    if (!has_wildcard(name)) {
        WIN32_FIND_DATAW data;
        FindHandle find(find_first(system_path(pattern), data));
        if (find.valid())
            add(entry_of(data));
        return matches;
    }
    std::vector<Entry> entries;
    // A folder that is missing holds no match; one that cannot be listed is a failure, never an
    // empty folder (a package without its installer would pass for a good one).
    if (const DWORD error = read_folder(base.wide, entries);
        error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
        error != ERROR_DIRECTORY && error != ERROR_INVALID_NAME)
        fail("Cannot read the folder", base.text, error);
    for (const auto& entry : entries) {
        if (wildcard_match(name, entry.name))
            add(entry);
    }
    return matches;
}

// Volume serial number and file index: the identity of a file or folder, whichever of its names
// or links it was reached through.
using FileId = std::pair<DWORD, std::uint64_t>;

HANDLE open_for_attributes(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Follows links. Returns 0 or the error.
DWORD file_info(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    Handle handle(open_for_attributes(path));
    if (!handle.valid())
        return ::GetLastError();
    return ::GetFileInformationByHandle(handle.get(), &info) ? 0 : ::GetLastError();
}

FileId id_of(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

bool is_folder(const BY_HANDLE_FILE_INFORMATION& info) {
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

DWORD attributes_of(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str());
}

// The attributes SetFileAttributesW takes; 0 must be spelt FILE_ATTRIBUTE_NORMAL.
DWORD settable(DWORD attributes) {
    attributes &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool clear_read_only(const std::wstring& path, DWORD attributes) {
    return ::SetFileAttributesW(path.c_str(), settable(attributes & ~FILE_ATTRIBUTE_READONLY)) != 0;
}

// Deletes a folder tree without entering links. make_writable clears the read-only attribute,
// without which Windows refuses to delete a file or folder. Returns the first failure instead of
// throwing so that remove_all can carry on past it.
struct RemoveFailure {
    std::string path;
    DWORD error = 0;
};

void note(RemoveFailure& failure, const Item& item, DWORD error) {
    if (failure.error == 0)
        failure = {item.text, error};
}

void remove_entry(const Item& item, DWORD attributes, bool link, bool make_writable,
                  RemoveFailure& failure) {
    if (make_writable && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        clear_read_only(item.wide, attributes);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        if (!::DeleteFileW(item.wide.c_str()))
            note(failure, item, ::GetLastError());
        return;
    }
    if (!link) {
        std::vector<Entry> entries;
        if (const DWORD error = read_folder(item.wide, entries))
            note(failure, item, error);
        for (const auto& entry : entries)
            remove_entry(item.child(entry.wide_name), entry.attributes, entry.link, make_writable,
                         failure);
    }
    if (!::RemoveDirectoryW(item.wide.c_str()))
        note(failure, item, ::GetLastError());
}

// The first read-only item in a tree (the folder itself included), not entering links; empty
// when there is none.
std::string find_read_only(const Item& item, DWORD attributes, bool link) {
    if (link)
        return {};
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return item.text;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return {};
    std::vector<Entry> entries;
    read_folder(item.wide, entries);
    for (const auto& entry : entries) {
        std::string found =
            find_read_only(item.child(entry.wide_name), entry.attributes, entry.link);
        if (!found.empty())
            return found;
    }
    return {};
}

// Names compared as the file system compares them, for every letter, not only ASCII.
bool same_name(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::size_t root_length(const std::wstring& full) {
    if (starts_with(full, L"\\\\")) {
        // \\server\share\ ; a device path \\.\X: or \\?\X:\ ends its root at the fourth one too.
        std::size_t seps = 0;
        for (std::size_t i = 0; i < full.size(); ++i)
            if (full[i] == L'\\' && ++seps == 4)
                return i + 1;
        return full.size();
    }
    return full.size() >= 3 && full[1] == L':' ? 3 : 0;
}

// The final path of an existing item as the system names it (links, 8.3 names, letter case and
// mapped drives resolved); empty when it cannot be opened.
std::wstring final_path(const std::wstring& full) {
    Handle handle(open_for_attributes(with_long_prefix(full)));
    if (!handle.valid())
        return {};
    std::wstring out(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(handle.get(), out.data(), static_cast<DWORD>(out.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return full;
        if (length < out.size()) {
            out.resize(length);
            return without_long_prefix(out);
        }
        out.resize(length);
    }
}

std::wstring strip_wide_sep(std::wstring path, std::size_t root) {
    while (path.size() > std::max<std::size_t>(root, 1) && path.back() == L'\\')
        path.pop_back();
    return path;
}

// The longest existing part in its final form, plus the rest as GetFullPathNameW left it.
std::wstring canonical_wide(const std::wstring& path) {
    const std::wstring full = without_long_prefix(full_path(path));
    const std::size_t root = root_length(full);
    std::wstring existing = strip_wide_sep(full, root);
    std::wstring rest;  // the names that do not exist yet, without a leading separator
    for (;;) {
        std::wstring resolved = final_path(existing);
        if (!resolved.empty()) {
            resolved = strip_wide_sep(resolved, root_length(resolved));
            if (rest.empty())
                return resolved;
            return resolved.back() == L'\\' ? resolved + rest : resolved + L'\\' + rest;
        }
        if (existing.size() <= root)
            return full;
        const auto cut = existing.rfind(L'\\');
        const bool below_root = cut == std::wstring::npos || cut < root;
        const std::wstring name = existing.substr(below_root ? root : cut + 1);
        rest = rest.empty() ? name : name + L'\\' + rest;
        existing.resize(below_root ? root : cut);
    }
}

// Security attributes that let only the current user in, with a protected DACL so nothing is
// inherited from the folder. inherit: also for everything created inside (a private folder).
class OwnerOnly {
  public:
    explicit OwnerOnly(const std::string& path, bool inherit) {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
            fail("Cannot read the current user", path, ::GetLastError());
        Handle token_handle(token);
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<unsigned char> user(size);
        if (!::GetTokenInformation(token, TokenUser, user.data(), size, &size))
            fail("Cannot read the current user", path, ::GetLastError());
        LocalMemory sid;
        if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid,
                                      reinterpret_cast<wchar_t**>(sid.out())))
            fail("Cannot read the current user", path, ::GetLastError());
        const std::wstring sddl = std::wstring(inherit ? L"D:P(A;OICI;FA;;;" : L"D:P(A;;FA;;;") +
                                  static_cast<const wchar_t*>(sid.get()) + L")";
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                    descriptor_.out(), nullptr))
            fail("Cannot protect the file", path, ::GetLastError());
        attributes_.lpSecurityDescriptor = descriptor_.get();
    }
    SECURITY_ATTRIBUTES* get() { return &attributes_; }

  private:
    LocalMemory descriptor_;
    SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

std::int64_t unix_seconds(const FILETIME& time) {
    // FILETIME counts 100 ns steps from 1601; the floor keeps times before 1970 in their second.
    constexpr std::int64_t kTicks = 10'000'000;
    constexpr std::int64_t kEpochOffset = 11'644'473'600LL * kTicks;
    const auto ticks =
        static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime) -
        kEpochOffset;
    return ticks >= 0 ? ticks / kTicks : -((-ticks + kTicks - 1) / kTicks);
}

bool stat_path(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return ::GetFileAttributesExW(system_path(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

DWORD attributes_or_none(const std::string& path) {
    try {
        return path.empty() ? INVALID_FILE_ATTRIBUTES : attributes_of(system_path(path));
    } catch (const PlatformError&) {
        return INVALID_FILE_ATTRIBUTES;
    }
}

}  // namespace

bool RealFileSystem::folder_exists(const std::string& path) {
    const DWORD attributes = attributes_or_none(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RealFileSystem::is_link(const std::string& path) {
    std::string item = path;
    while (item.size() > 1 && ends_with_sep(item))
        item.pop_back();
    if (item.empty() || (item.size() <= 3 && item.find(':') != std::string::npos))
        return false;  // a drive root is never a link, and a search for it finds nothing
    WIN32_FIND_DATAW data{};
    const HANDLE found = find_first(system_path(item), data);
    if (found == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(found);
    return korva::is_link(data.dwFileAttributes, data.dwReserved0);
}

bool RealFileSystem::file_exists(const std::string& path) {
    if (path.empty() || ends_with_sep(path))
        return false;
    const DWORD attributes = attributes_or_none(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {

std::vector<std::string> names_in(const std::string& folder, bool folders) {
    std::vector<Entry> entries;
    if (const DWORD error = read_folder(system_path(folder), entries))
        fail("Cannot read the folder", folder, error);
    std::vector<std::string> names;
    for (auto& entry : entries)
        if (entry.folder() == folders)
            names.push_back(std::move(entry.name));
    return names;
}

}  // namespace

std::vector<std::string> RealFileSystem::sub_folders(const std::string& folder) {
    return names_in(folder, true);
}

std::vector<std::string> RealFileSystem::files(const std::string& folder) {
    return names_in(folder, false);
}

std::vector<std::string> RealFileSystem::list(const std::string& pattern, bool include_folders) {
    std::vector<std::string> names;
    try {
        for (auto& match :
             resolve(pattern, include_folders ? Want::Both : Want::Files, EmptyName::ListsAll))
            names.push_back(std::move(match.name));
    } catch (const PlatformError&) {
        // A pattern that is no valid text names nothing, like an unreadable folder.
    }
    return names;
}

namespace {

// One copy call: the running byte count of the progress callback, the folders being copied and
// the folders written to, so that a link or junction back into either is noticed.
class Copier {
  public:
    Copier(const CopyProgress& progress, std::uint64_t& bytes_done)
        : progress_(progress), bytes_done_(bytes_done) {}

    void file(const Item& source, const Item& destination);
    void tree(const Item& source, const Item& destination);

  private:
    static DWORD CALLBACK on_progress(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER,
                                      LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID self);
    void advance(std::uint64_t file_done);
    void report() {
        if (progress_)
            progress_(bytes_done_);
    }

    const CopyProgress& progress_;
    std::uint64_t& bytes_done_;
    std::uint64_t file_done_ = 0;
    // A callback failure cannot unwind through CopyFileExW; it cancels the copy and is thrown
    // afterwards.
    std::exception_ptr progress_failure_;
    // Every source folder this copy has taken, so a folder reached again through a link is
    // copied once: links can otherwise multiply a tree without end.
    std::set<FileId> copied_folders_;
    std::set<FileId> written_folders_;
};

// CopyFileExW reports the bytes of the current file; the callback gets the running total.
void Copier::advance(std::uint64_t file_done) {
    if (file_done > file_done_) {
        bytes_done_ += file_done - file_done_;
        file_done_ = file_done;
    }
    report();
}

DWORD CALLBACK Copier::on_progress(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER,
                                   LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID self) {
    auto& copier = *static_cast<Copier*>(self);
    // The end of the file is reported once, after the copy; a first call at 0 reports nothing.
    if (transferred.QuadPart <= 0 || transferred.QuadPart >= total.QuadPart)
        return PROGRESS_CONTINUE;
    try {
        copier.advance(static_cast<std::uint64_t>(transferred.QuadPart));
        return PROGRESS_CONTINUE;
    } catch (...) {
        copier.progress_failure_ = std::current_exception();
        return PROGRESS_CANCEL;
    }
}

void Copier::file(const Item& source, const Item& destination) {
    BY_HANDLE_FILE_INFORMATION src;
    if (const DWORD error = file_info(source.wide, src))
        fail("Cannot open the file", source.text, error);
    if (is_folder(src))
        fail("Not a file", source.text);

    // Checked by hand for a message that says what is wrong; CopyFileExW would only say that
    // access is denied or the file is in use.
    BY_HANDLE_FILE_INFORMATION dst;
    if (file_info(destination.wide, dst) == 0) {
        if (is_folder(dst))
            fail("A folder is in the way of the copy", destination.text);
        if (id_of(dst) == id_of(src))
            fail("Cannot copy a file onto itself", destination.text);
        if ((dst.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
            fail("The file is read-only", destination.text);
    }

    file_done_ = 0;
    progress_failure_ = nullptr;
    // CopyFileExW keeps the modification time and the attributes, read-only included.
    if (!::CopyFileExW(source.wide.c_str(), destination.wide.c_str(), &Copier::on_progress, this,
                       nullptr, 0)) {
        const DWORD error = ::GetLastError();
        if (progress_failure_)
            std::rethrow_exception(progress_failure_);
        fail("Cannot copy the file", destination.text, error);
    }
    const std::uint64_t size = (std::uint64_t{src.nFileSizeHigh} << 32) | src.nFileSizeLow;
    advance(size);
}

void Copier::tree(const Item& source, const Item& destination) {
    BY_HANDLE_FILE_INFORMATION info;
    if (const DWORD error = file_info(source.wide, info))
        fail("Cannot read the folder", source.text, error);
    const FileId id = id_of(info);
    // A folder reached again through a link or junction, or one into the copy itself, is left
    // out: links could otherwise copy a tree forever or multiply it.
    if (written_folders_.count(id) != 0 || !copied_folders_.insert(id).second)
        return;

    if (!::CreateDirectoryW(destination.wide.c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS)
            fail("Cannot create the folder", destination.text, error);
    }
    BY_HANDLE_FILE_INFORMATION written;
    if (file_info(destination.wide, written) != 0 || !is_folder(written))
        fail("A file is in the way of the folder", destination.text);
    written_folders_.insert(id_of(written));

    std::vector<Entry> entries;
    if (const DWORD error = read_folder(source.wide, entries))
        fail("Cannot read the folder", source.text, error);
    for (const auto& entry : entries) {
        const Item from = source.child(entry.wide_name);
        const Item to = destination.child(entry.wide_name);
        if (entry.folder())
            tree(from, to);
        else
            file(from, to);
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
        copier.file(match.item, Item::of(into_folder ? destination + match.name : destination));
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
        const std::wstring from = canonical_wide(match.item.wide);
        const std::wstring to = canonical_wide(widen(target));
        const std::wstring from_folder = from.back() == L'\\' ? from : from + L'\\';
        if (same_name(to, from) ||
            (to.size() > from_folder.size() &&
             same_name(std::wstring_view(to).substr(0, from_folder.size()), from_folder)))
            fail("Cannot copy a folder into itself", target);
        Copier copier(progress_, bytes_done_);
        copier.tree(match.item, Item::of(target));
    }
}

void RealFileSystem::create_folder(const std::string& path) {
    const std::string folder = without_trailing_sep(path);
    if (folder.empty())
        fail("No folder name", path);
    if (!::CreateDirectoryW(system_path(folder).c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ALREADY_EXISTS)
            fail("The folder or a file of that name exists", path);
        fail("Cannot create the folder", path, error);
    }
}

void RealFileSystem::delete_file(const std::string& pattern, bool force) {
    const auto matches = resolve(pattern, Want::Files);
    if (matches.empty())
        fail("No file matches", pattern);
    std::string refused;
    for (const auto& match : matches) {
        const std::wstring& path = match.item.wide;
        if ((match.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            if (!force) {
                if (refused.empty())
                    refused = match.item.text;
                continue;
            }
            clear_read_only(path, match.attributes);
        }
        if (!::DeleteFileW(path.c_str()))
            fail("Cannot delete the file", match.item.text, ::GetLastError());
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
            if (!::RemoveDirectoryW(match.item.wide.c_str()))
                fail("Cannot delete the folder link", match.item.text, ::GetLastError());
            continue;
        }
        if (!force) {
            const std::string read_only = find_read_only(match.item, match.attributes, false);
            if (!read_only.empty())
                fail("The folder holds a read-only item", read_only);
        }
        RemoveFailure failure;
        remove_entry(match.item, match.attributes, false, force, failure);
        if (failure.error != 0)
            fail("Cannot delete", failure.path, failure.error);
    }
}

void RealFileSystem::set_attributes(const std::string& path, int attributes) {
    const std::wstring item = system_path(path);
    const DWORD current = attributes_of(item);
    if (current == INVALID_FILE_ATTRIBUTES)
        fail("Cannot read the attributes", path, ::GetLastError());
    const DWORD wanted = (attributes & kAttrReadOnly) != 0 ? current | FILE_ATTRIBUTE_READONLY
                                                           : current & ~FILE_ATTRIBUTE_READONLY;
    if (!::SetFileAttributesW(item.c_str(), settable(wanted)))
        fail("Cannot set the attributes", path, ::GetLastError());
}

int RealFileSystem::attributes(const std::string& path) {
    const DWORD attributes = attributes_of(system_path(path));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        fail("Cannot read the attributes", path, ::GetLastError());
    return ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kAttrFolder : 0) |
           ((attributes & FILE_ATTRIBUTE_READONLY) != 0 ? kAttrReadOnly : 0);
}

void RealFileSystem::rename(const std::string& old_path, const std::string& new_path) {
    // Without MOVEFILE_REPLACE_EXISTING the system itself refuses an existing new name, with no
    // gap between a check and the move; a change of letter case alone is allowed.
    if (::MoveFileExW(system_path(without_trailing_sep(old_path)).c_str(),
                      system_path(without_trailing_sep(new_path)).c_str(), 0))
        return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        fail("The new name exists", new_path);
    fail("Cannot rename", old_path, error);
}

void RealFileSystem::write_file(const std::string& path, const std::string& bytes,
                                bool owner_only) {
    const std::wstring file = system_path(path);
    const DWORD attributes = attributes_of(file);
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (existed && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        fail("The file is read-only", path);
    std::optional<OwnerOnly> security;
    if (owner_only) {
        security.emplace(path, false);
        // A fresh file gets the new DACL: replacing the contents of the old one would keep the
        // old file's wider access, and CREATE_NEW leaves no moment in which others could open it.
        if (existed && !::DeleteFileW(file.c_str()))
            fail("Cannot replace the file", path, ::GetLastError());
    }
    Handle out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, security ? security->get() : nullptr,
                             owner_only ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!out.valid())
        fail("Cannot create the file", path, ::GetLastError());
    constexpr std::size_t kMaxWrite = 1u << 30;
    for (std::size_t written = 0; written < bytes.size();) {
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - written, kMaxWrite));
        DWORD done = 0;
        if (!::WriteFile(out.get(), bytes.data() + written, chunk, &done, nullptr))
            fail("Cannot write the file", path, ::GetLastError());
        written += done;
    }
}

std::string RealFileSystem::read_file(const std::string& path) {
    Handle in(::CreateFileW(system_path(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.valid())
        fail("Cannot open the file", path, ::GetLastError());
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(in.get(), &size))
        fail("Cannot read the file", path, ::GetLastError());
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    std::vector<char> buffer(65536);
    for (;;) {
        DWORD done = 0;
        if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &done, nullptr))
            fail("Cannot read the file", path, ::GetLastError());
        if (done == 0)
            break;
        bytes.append(buffer.data(), done);
    }
    return bytes;
}

std::int64_t RealFileSystem::modified_time(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!stat_path(path, data))
        fail("Cannot read the file time", path, ::GetLastError());
    return unix_seconds(data.ftLastWriteTime);
}

std::uint64_t RealFileSystem::file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!stat_path(path, data))
        fail("Cannot read the file size", path, ::GetLastError());
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        fail("Not a file", path);
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::string RealFileSystem::canonical(const std::string& path) {
    if (path.empty())
        fail("No path", path);
    const std::string text = narrow(canonical_wide(widen(path)));
    // Callers compare texts, so the trailing separator follows the input.
    return ends_with_sep(path) ? with_trailing_sep(text) : text;
}

namespace {

// The programs started on files in a temporary folder (the cabinet expander, the script encoder)
// take their arguments in the ANSI code page: a folder under a name in another script, such as a
// Japanese user name on a Western system, is named by its 8.3 form where its volume keeps one.
std::wstring ascii_form(const std::wstring& folder) {
    const auto is_ascii = [](const std::wstring& text) {
        return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
    };
    if (is_ascii(folder))
        return folder;
    const DWORD size = ::GetShortPathNameW(folder.c_str(), nullptr, 0);
    std::wstring shorter(size, L'\0');
    if (size == 0 || ::GetShortPathNameW(folder.c_str(), shorter.data(), size) >= size)
        return folder;
    shorter.resize(size - 1);
    return is_ascii(shorter) ? shorter : folder;
}

}  // namespace

std::string RealFileSystem::make_temp_folder(const std::string& prefix) {
    if (prefix.find_first_of(kPathSeps) != std::string::npos)
        fail("Invalid temporary folder prefix", prefix);
    std::wstring base(MAX_PATH + 1, L'\0');
    const DWORD length = ::GetTempPathW(static_cast<DWORD>(base.size()), base.data());
    if (length == 0 || length > base.size())
        fail("No temporary folder", "TEMP", ::GetLastError());
    base.resize(length);
    const std::string folder = with_trailing_sep(narrow(ascii_form(base))) + prefix;
    OwnerOnly security(folder, true);
    std::random_device random;
    std::uniform_int_distribution<int> pick(0, 35);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder;
        for (int i = 0; i < 8; ++i) {
            const int digit = pick(random);
            name += static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        }
        if (::CreateDirectoryW(system_path(name).c_str(), security.get()))
            return with_trailing_sep(name);
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS)
            fail("Cannot create a temporary folder", name, error);
    }
    fail("Cannot create a temporary folder", folder);
}

void RealFileSystem::remove_all(const std::string& path) noexcept {
    if (path.empty())
        return;
    try {
        const Item item = Item::of(without_trailing_sep(path));
        WIN32_FIND_DATAW data;
        FindHandle find(find_first(item.wide, data));
        if (!find.valid())
            return;
        const Entry entry = entry_of(data);
        RemoveFailure ignored;
        remove_entry(item, entry.attributes, entry.link, true, ignored);
    } catch (...) {
        // A cleanup has nothing better to do than stop.
    }
}

std::string name_comparison_key(const std::string& path) {
    const std::wstring wide = widen(path);
    if (wide.empty())
        return path;
    // Invariant upper case, no linguistic rules: the way the file system compares names.
    std::wstring upper(wide.size(), L'\0');
    const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(),
                                       static_cast<int>(wide.size()), upper.data(),
                                       static_cast<int>(upper.size()), nullptr, nullptr, 0);
    return length > 0 ? narrow(upper) : path;
}

}  // namespace korva

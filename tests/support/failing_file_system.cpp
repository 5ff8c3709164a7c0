// SPDX-License-Identifier: MIT
// The failure-injecting file system of the rollback tests.
#include "support/failing_file_system.h"

#include <utility>

#include "platform/error.h"

namespace korva::test {

void FailingFileSystem::fail_at(int n) {
    fail_at_ = n;
    mutations_ = 0;
    failed_ = false;
    log_.clear();
}

void FailingFileSystem::mutate(const std::string& what, const std::string& path) {
    ++mutations_;
    log_.push_back(what);
    if (mutations_ == fail_at_) {
        failed_ = true;
        throw PlatformError("Simulated failure of " + what, path);
    }
}

bool FailingFileSystem::folder_exists(const std::string& path) {
    return inner_.folder_exists(path);
}

bool FailingFileSystem::file_exists(const std::string& path) {
    return inner_.file_exists(path);
}

bool FailingFileSystem::is_link(const std::string& path) {
    return inner_.is_link(path);
}

std::vector<std::string> FailingFileSystem::sub_folders(const std::string& folder) {
    mutate("sub_folders " + folder, folder);
    return inner_.sub_folders(folder);
}

std::vector<std::string> FailingFileSystem::files(const std::string& folder) {
    mutate("files " + folder, folder);
    return inner_.files(folder);
}

std::vector<std::string> FailingFileSystem::list(const std::string& pattern, bool include_folders) {
    mutate("list " + pattern, pattern);
    return inner_.list(pattern, include_folders);
}

void FailingFileSystem::copy_file(const std::string& source, const std::string& destination) {
    mutate("copy_file " + source + " -> " + destination, source);
    inner_.copy_file(source, destination);
}

void FailingFileSystem::copy_folder(const std::string& source, const std::string& destination) {
    mutate("copy_folder " + source + " -> " + destination, source);
    inner_.copy_folder(source, destination);
}

void FailingFileSystem::create_folder(const std::string& path) {
    mutate("create_folder " + path, path);
    inner_.create_folder(path);
}

void FailingFileSystem::delete_file(const std::string& pattern, bool force) {
    mutate("delete_file " + pattern, pattern);
    inner_.delete_file(pattern, force);
}

void FailingFileSystem::delete_folder(const std::string& pattern, bool force) {
    mutate("delete_folder " + pattern, pattern);
    inner_.delete_folder(pattern, force);
}

void FailingFileSystem::set_attributes(const std::string& path, int attributes) {
    mutate("set_attributes " + path, path);
    inner_.set_attributes(path, attributes);
}

int FailingFileSystem::attributes(const std::string& path) {
    return inner_.attributes(path);
}

void FailingFileSystem::rename(const std::string& old_path, const std::string& new_path) {
    mutate("rename " + old_path + " -> " + new_path, old_path);
    inner_.rename(old_path, new_path);
}

void FailingFileSystem::write_file(const std::string& path, const std::string& bytes,
                                   bool owner_only) {
    mutate("write_file " + path, path);
    inner_.write_file(path, bytes, owner_only);
}

std::string FailingFileSystem::read_file(const std::string& path) {
    return inner_.read_file(path);
}

std::int64_t FailingFileSystem::modified_time(const std::string& path) {
    return inner_.modified_time(path);
}

std::uint64_t FailingFileSystem::file_size(const std::string& path) {
    return inner_.file_size(path);
}

std::string FailingFileSystem::canonical(const std::string& path) {
    return inner_.canonical(path);
}

std::string FailingFileSystem::make_temp_folder(const std::string& prefix) {
    mutate("make_temp_folder " + prefix, prefix);
    return inner_.make_temp_folder(prefix);
}

void FailingFileSystem::remove_all(const std::string& path) noexcept {
    inner_.remove_all(path);
}

void FailingFileSystem::set_copy_progress(CopyProgress progress) {
    inner_.set_copy_progress(std::move(progress));
}

}  // namespace korva::test

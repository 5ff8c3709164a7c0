// SPDX-License-Identifier: MIT
// A file system that passes every call on to another one but makes a chosen operation fail, so
// rollback tests can put a failure at each step of a generator in turn. Listings count as
// operations too: a folder that cannot be listed must stop a generator, never read as empty.
#pragma once

#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace korva::test {

class FailingFileSystem : public FileSystem {
  public:
    explicit FailingFileSystem(FileSystem& inner) : inner_(inner) {}

    // The n-th mutating operation or listing from now (1-based) throws PlatformError without doing
    // anything; 0 never fails. Only that one fails, so the rollback after it runs normally. Resets
    // the count.
    void fail_at(int n);
    // Mutating operations and listings attempted since the last fail_at()/reset(), the failed one
    // included: a successful run's count gives the range of n to try.
    int mutations() const { return mutations_; }
    // Whether the chosen operation has been reached and thrown.
    bool failed() const { return failed_; }
    // One line per counted operation ("copy_file SRC -> DST", "files FOLDER", ...), for telling
    // which step failed.
    const std::vector<std::string>& log() const { return log_; }
    void reset() { fail_at(0); }
    // The encoded script (.vbe) being written when the chosen operation failed; "" when it failed
    // elsewhere. The encoder step has a message of its own.
    std::string failed_script_write() const {
        const std::string op = failed_ && fail_at_ > 0 ? log_[fail_at_ - 1] : "";
        return op.starts_with("write_file ") && op.ends_with(".vbe") ? op.substr(11) : "";
    }

    bool folder_exists(const std::string& path) override;
    bool file_exists(const std::string& path) override;
    bool is_link(const std::string& path) override;
    std::vector<std::string> sub_folders(const std::string& folder) override;
    std::vector<std::string> files(const std::string& folder) override;
    std::vector<std::string> list(const std::string& pattern, bool include_folders) override;
    void copy_file(const std::string& source, const std::string& destination) override;
    void copy_folder(const std::string& source, const std::string& destination) override;
    void create_folder(const std::string& path) override;
    void delete_file(const std::string& pattern, bool force) override;
    void delete_folder(const std::string& pattern, bool force) override;
    void set_attributes(const std::string& path, int attributes) override;
    int attributes(const std::string& path) override;
    void rename(const std::string& old_path, const std::string& new_path) override;
    void write_file(const std::string& path, const std::string& bytes,
                    bool owner_only = false) override;
    std::string read_file(const std::string& path) override;
    std::int64_t modified_time(const std::string& path) override;
    std::uint64_t file_size(const std::string& path) override;
    std::string canonical(const std::string& path) override;
    std::string make_temp_folder(const std::string& prefix) override;
    // Cannot fail (it is the cleanup itself) and is not counted.
    void remove_all(const std::string& path) noexcept override;
    void set_copy_progress(CopyProgress progress) override;

  private:
    void mutate(const std::string& what, const std::string& path);

    FileSystem& inner_;
    int fail_at_ = 0;
    int mutations_ = 0;
    bool failed_ = false;
    std::vector<std::string> log_;
};

}  // namespace korva::test

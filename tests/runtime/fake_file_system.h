// An in-memory file system for tests: it records every call and fails any
// operation on request. Safe to call from several threads: every operation,
// the `before_each` hook included, runs under one lock.
#ifndef MIRLOT_TESTS_RUNTIME_FAKE_FILE_SYSTEM_H_
#define MIRLOT_TESTS_RUNTIME_FAKE_FILE_SYSTEM_H_

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "runtime/file_system.h"

namespace mirlot {

class FakeFileSystem : public FileSystem {
 public:
  enum class Op {
    kStat,
    kNameTaken,
    kOpenForRead,
    kRead,
    kCreateTemporary,
    kAppend,
    kClose,
    kRename,
    kRemove,
    kCreateFolder,
    kCreateNew,
    kLockFolder,  // a failure makes the lock a stand-in that holds nothing
    kOpenFolder,
    kMoveIntoPlace  // through a Folder; the path is "FROM -> TO", both full
  };

  // Creates or replaces a regular file; its folders spring into existence.
  void AddFile(const std::string& path, std::string content);
  // The content of the regular file `path` ("" when absent).
  std::string Content(const std::string& path) const;
  // Every file (not folder) path, sorted.
  std::vector<std::string> FilePaths() const;

  // Makes the `skip`+1-th matching call of `op` on a path containing
  // `path_part` (any path when empty) fail with `failure`; once only.
  void FailOn(Op op, std::string path_part, Status failure, int skip = 0);

  // Called before every operation with its kind and path; tests use it to
  // change files between the steps of a run.
  std::function<void(Op, const std::string&)> before_each;
  // Called between two moves of ReplaceTogether without the lock held, so
  // that another run, threads and all, can act at the worst moment.
  std::function<void()> between_replacements;

  // "stat /d/a.dat", "open /d/a.dat", … in call order. Read it only while
  // no other thread calls in.
  const std::vector<std::string>& calls() const { return calls_; }

  Result<FileStatus> Stat(const std::string& path) override;
  Result<bool> NameTaken(const std::string& path) override;
  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& path) override;
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& folder, const std::string& final_name) override;
  Status Rename(const std::string& from, const std::string& to) override;
  // Moves the files in order; a failure part-way puts back those moved.
  // Not atomic: see between_replacements.
  Status ReplaceTogether(std::span<const Replacement> replacements) override;
  Status Remove(const std::string& path) override;
  Status CreateFolder(const std::string& path) override;
  Result<std::unique_ptr<WritableFile>> CreateNew(
      const std::string& path) override;
  // Another holder of the same folder's lock, in this process or a
  // `before_each` hook, finds it taken.
  std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder) override;
  // Removes the temporary files for `final_name` in `folder` that are not
  // open for writing.
  void RemoveStaleTemporaries(const std::string& folder,
                              const std::string& final_name) override;
  // The folder keeps its path: the fake cannot move folders.
  Result<std::unique_ptr<Folder>> OpenFolder(const std::string& path) override;

  // Used by the fake files. Hold Lock() across Enter() (which records the
  // call and returns a requested failure) and the use of what
  // MutableContent() returns.
  std::unique_lock<std::recursive_mutex> Lock() const;
  Status Enter(Op op, const std::string& path);
  // The content of the regular file `path`, nullptr when there is none.
  std::string* MutableContent(const std::string& path);
  // `path` is no longer open for writing.
  void Closed(const std::string& path) { open_for_writing_.erase(path); }
  void Unlock(const std::string& folder) { locked_folders_.erase(folder); }
  // Creates a temporary file for `final_name` in `folder`; its path() is
  // `shown_folder` + its name.
  Result<std::unique_ptr<WritableFile>> CreateTemporaryIn(
      const std::string& folder, const std::string& final_name,
      const std::string& shown_folder);
  // Moves the file `from` onto `to`, a file or nothing.
  Status Move(const std::string& from, const std::string& to);

 private:
  struct Fault {
    Op op;
    std::string path_part;
    Status failure;
    int skip;
  };

  void AddFolder(const std::string& path);
  bool Exists(const std::string& path) const { return files_.count(path) > 0; }
  bool FolderExists(const std::string& path) const {
    return path == "." || folders_.count(path) > 0;
  }
  Result<std::unique_ptr<WritableFile>> Create(const std::string& path,
                                               std::string shown_path);

  // Recursive, so that a `before_each` hook may change files.
  mutable std::recursive_mutex mutex_;
  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
  std::vector<Fault> faults_;
  std::vector<std::string> calls_;
  std::set<std::string> open_for_writing_;
  std::set<std::string> locked_folders_;
  int temporary_counter_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_TESTS_RUNTIME_FAKE_FILE_SYSTEM_H_

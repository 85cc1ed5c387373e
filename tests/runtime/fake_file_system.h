// An in-memory file system for tests. Every operation records its call,
// fails when a test asked it to, then acts. Safe to call from several
// threads: every operation, the `before_each` hook included, runs under one
// lock. It keeps only what the tests need: anything missing fails with 53,
// a name taken with 75, and files are made wherever asked.
//
// It also knows what a power cut would keep, as a disk does: a file's data
// once its folder's SyncClosedFiles ran after it was closed, and a new,
// moved or removed name once its folder's SyncNames ran. Folders, and what
// tests add or remove themselves, are durable at once.
#ifndef MIRLOT_TESTS_RUNTIME_FAKE_FILE_SYSTEM_H_
#define MIRLOT_TESTS_RUNTIME_FAKE_FILE_SYSTEM_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "runtime/file_system.h"

namespace mirlot {

class FakeFileSystem : public FileSystem {
 public:
  // A failing kLockFolder makes the lock a stand-in that holds nothing;
  // kSyncFiles is a folder's SyncClosedFiles; kRename is each of a folder's
  // moves, ReplaceTogether's too, on "FROM -> TO" ("FROM <-> TO" for a
  // swap).
  enum class Op {
    kStat,
    kOpenForRead,
    kRead,
    kCreateFolder,
    kOpenFolder,
    kLockFolder,
    kCreateTemporary,
    kAppend,
    kClose,
    kSyncFiles,
    kRename,
    kRemove,
    kSyncNames
  };

  // Creates or replaces a regular file; its folders spring into existence.
  void AddFile(const std::string& path, std::string content);
  // Creates a file that is not a regular one (as a link or a pipe is): its
  // kind is kOther, and nothing opens it.
  void AddSpecial(const std::string& path);
  // Makes the file `path` one that another user owns (foreign_owner).
  void GiveToAnotherUser(const std::string& path);
  // Copies every file under the folder `from` to the same name under `to`,
  // as new regular files with the same content, as a restore would.
  void CopyFolder(const std::string& from, const std::string& to);
  // Gives every file a new device number, as a remount may.
  void RenumberDevices() { ++device_; }
  // The content of the regular file `path` ("" when absent).
  std::string Content(const std::string& path) const;
  // Every file (not folder) path, sorted.
  std::vector<std::string> FilePaths() const;

  // Makes the `skip`+1-th matching call of `op` on a path containing
  // `path_part` (any path when empty) fail with `failure`; once only.
  void FailOn(Op op, std::string path_part, Status failure, int skip = 0);

  // Called before every operation with its kind and path; tests use it to
  // change files, or start another run, between the steps of a run.
  std::function<void(Op, const std::string&)> before_each;

  // Makes ReplaceTogether swap each pair of names in one step, as file
  // systems with an atomic exchange do; otherwise it moves the former file
  // to its SetAsideName first, then the new one in.
  bool can_swap = false;

  // Makes every folder's lock a stand-in that holds nothing, as for a
  // folder that may be written but not read.
  bool folders_unlockable = false;

  // Stops the file system, as the death of the process that uses it would,
  // once this many operations were made in all: every later one fails with
  // 75 and changes nothing. PowerCut starts it again.
  std::size_t stop_after = SIZE_MAX;

  // Loses what was not made durable, as a power cut would: each file's
  // data falls back to what was synced, and the name changes not synced
  // are undone but for the first `kept` of them, which the disk happened
  // to write. Open files and folders, and locks, must not be used
  // afterwards. Returns whether all of them were kept.
  bool PowerCut(std::size_t kept = 0);

  // "stat /d/a.dat", "open /d/a.dat", … in call order. Read it only while
  // no other thread calls in.
  const std::vector<std::string>& calls() const { return calls_; }

  Result<FileStatus> Stat(const std::string& path) override;
  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& path) override;
  Status CreateFolder(const std::string& path) override;
  // The folder keeps its path: the fake cannot move folders. Its
  // ReplaceTogether does not undo the moves before a failure: the commit
  // record does. Its RemoveStaleTemporaries removes every temporary name.
  // Its methods refuse a name that is not plain (IsPlainName) with 52, as
  // the hosts' do, before recording the call. Its CreateExclusive and
  // OpenLockable are recorded as "create" and "open"; a file's lock is held
  // by the object that took it, which a test keeps or drops.
  Result<std::unique_ptr<Folder>> OpenFolder(const std::string& path) override;

 private:
  class File;
  class OpenedFolder;
  struct Node {
    explicit Node(std::uint64_t id) : id(id) {}
    std::uint64_t id;  // the file's identity
    // `synced` is what a power cut leaves of `data`; `locked`, whether an
    // ExclusiveFile or a LockableFile holds the file's lock.
    std::string data, synced;
    bool special = false, foreign = false, locked = false;
  };
  using Nodes = std::vector<std::shared_ptr<Node>>;
  using Names = std::map<std::string, std::shared_ptr<Node>>;
  // A name change not yet durable: a creation has no `from` (and brings its
  // node), a removal no `to`. They are kept in order, so that a power cut
  // could also keep some of them, as a disk may.
  struct NameChange {
    std::string from, to;
    std::shared_ptr<Node> node = nullptr;
    bool swap = false;  // `from` and `to` exchange their files
  };
  struct Fault {
    Op op;
    std::string path_part;
    Status failure;
    int skip;
  };

  // Records the call and runs `before_each`; returns the failure a test
  // asked for, else Ok. Call with `mutex_` held.
  Status Enter(Op op, const std::string& path);
  // Enters under the lock and, unless that fails, does `work`; returns
  // what entering did.
  Status Run(Op op, const std::string& path, const std::function<void()>& work);
  // Makes `change` in `names`.
  static void Apply(const NameChange& change, Names& names);
  // Records the move or removal and makes `change` of an existing file
  // now; it becomes durable with its folder's SyncNames.
  Status ChangeName(NameChange change);
  // The file `path`, null when there is none.
  std::shared_ptr<Node> Find(const std::string& path) const {
    auto it = files_.find(path);
    return it == files_.end() ? nullptr : it->second;
  }
  bool Taken(const std::string& path) const {
    return files_.contains(path) || folders_.contains(path);
  }

  // Recursive, so that a `before_each` hook may change files.
  mutable std::recursive_mutex mutex_;
  Names files_, durable_files_;  // now, and as a power cut would leave them
  std::vector<NameChange> unsynced_;    // in the order they were made
  std::set<std::string> folders_{"."};  // the current folder always exists
  std::vector<Fault> faults_;
  std::vector<std::string> calls_;
  // Per locked folder: -1 for a writer, else how many readers.
  std::map<std::string, int> lock_holders_;
  int temporary_counter_ = 10000000;  // makes eight-digit names
  std::uint64_t node_counter_ = 0, device_ = 1;
};

}  // namespace mirlot

#endif  // MIRLOT_TESTS_RUNTIME_FAKE_FILE_SYSTEM_H_

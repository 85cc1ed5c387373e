#include "runtime/fake_file_system.h"

#include <algorithm>
#include <utility>

#include "runtime/path.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

using enum FailureCode;

// Indexed by Op.
constexpr const char* kOpNames[] = {
    "stat",   "open",   "read",      "create-folder", "open-folder",
    "lock",   "create", "append",    "close",         "sync-files",
    "rename", "remove", "sync-names"};

using Guard = std::lock_guard<std::recursive_mutex>;

// Whether every one of `names` is one plain component, as a Folder takes.
bool AllPlain(std::initializer_list<std::string_view> names) {
  return std::ranges::all_of(names, IsPlainName);
}

}  // namespace

Status FakeFileSystem::Run(Op op, const std::string& path,
                           const std::function<void()>& work) {
  Guard guard(mutex_);
  Status entered = Enter(op, path);
  if (entered.ok()) work();
  return entered;
}

// Every open file, as each of the kinds a folder or the file system hands
// out. Reads and writes go to the file's node, which a move takes along
// and AddFile changes in place, so tests see partial files and files
// changed meanwhile; Size() is the node's size when the file was opened,
// as on the hosts. Calls are recorded with the path it was opened or made
// under. A temporary file, until closed, removes itself when destroyed, as
// the hosts' do; closed, it waits in `closed` for its folder's sync. A
// file's lock is kept by its node while the object that took it lives: the
// record as its writer holds it, or as a later command opened it.
class FakeFileSystem::File : public ReadableFile,
                             public WritableFile,
                             public ExclusiveFile,
                             public LockableFile {
 public:
  // Opens the existing file `path` for reading (kOpenForRead) or makes it
  // new (kCreateTemporary), as `Kind`: `closed` is a temporary file's
  // folder's list of closed files, `locked` whether it takes the node's
  // lock. Opening refuses a folder, or a file that is not a regular one,
  // with 75, as the hosts do. A new file is durable with its folder's
  // SyncNames.
  template <typename Kind>
  static Result<std::unique_ptr<Kind>> Make(FakeFileSystem& fs, Op op,
                                            const std::string& path,
                                            Nodes* closed = nullptr,
                                            bool locked = false) {
    Guard guard(fs.mutex_);
    if (Status s = fs.Enter(op, path); !s.ok()) return s;
    std::shared_ptr<Node> node = fs.Find(path);
    if (op == Op::kOpenForRead) {
      if (!fs.Taken(path)) return kFileNotFound;
      if (node == nullptr || node->special) return kPathFileAccessError;
    } else {
      if (fs.Taken(path)) return kPathFileAccessError;
      fs.files_[path] = node = std::make_shared<Node>(++fs.node_counter_);
      fs.unsynced_.push_back({"", path, node});
    }
    return std::unique_ptr<Kind>(
        std::make_unique<File>(fs, path, node, closed, locked));
  }

  File(FakeFileSystem& fs, const std::string& path,
       const std::shared_ptr<Node>& node, Nodes* closed, bool locked)
      : fs_(fs), path_(path), node_(node), closed_(closed), holds_(locked) {
    if (locked) node_->locked = true;
  }
  ~File() override {
    Guard guard(fs_.mutex_);
    if (holds_) node_->locked = false;
    if (closed_ != nullptr) (void)fs_.ChangeName({path_, ""});
  }

  Result<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                             std::size_t length) override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kRead, path_); !s.ok()) return s;
    if (offset >= node_->data.size()) return std::size_t{0};
    return node_->data.copy(buffer, length, offset);
  }
  Result<std::uint64_t> Size() override { return size_; }
  Status Append(std::string_view data) override {
    return fs_.Run(Op::kAppend, path_, [&] { node_->data.append(data); });
  }
  Status Close() override {
    return fs_.Run(Op::kClose, path_,
                   [&] { std::exchange(closed_, nullptr)->push_back(node_); });
  }
  const std::string& name() const override { return name_; }
  Status Sync() override {
    return fs_.Run(Op::kSyncFiles, path_, [&] { node_->synced = node_->data; });
  }
  ReadableFile& file() override { return *this; }
  bool foreign_owner() const override { return node_->foreign; }
  Result<LockAttempt> TryLock() override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kLockFolder, path_); !s.ok()) return s;
    if (node_->locked) return LockAttempt::kHeldElsewhere;
    node_->locked = holds_ = true;
    const bool named = fs_.Find(path_) == node_;
    return named ? LockAttempt::kTaken : LockAttempt::kRemoved;
  }

 private:
  FakeFileSystem& fs_;
  std::string path_;
  std::shared_ptr<Node> node_;
  std::string name_ = LastComponent(path_);
  std::uint64_t size_ = node_->data.size();  // when opened
  Nodes* closed_;  // an unclosed temporary file's folder's, else null
  bool holds_;     // the node's lock
};

// Names in the folder map to "folder/name" in the file system's map.
class FakeFileSystem::OpenedFolder : public Folder {
 public:
  OpenedFolder(FakeFileSystem& fs, const std::string& p) : fs_(fs), path_(p) {}

  // Another holder of the same folder's lock, in this process or a
  // `before_each` hook, keeps a writer out, and a writer keeps everyone out.
  std::unique_ptr<FolderLock> TryLock(LockKind kind) override {
    Guard guard(fs_.mutex_);
    Status why = fs_.Enter(Op::kLockFolder, path_);
    if (why.ok() && fs_.folders_unlockable) why = Status(kPermissionDenied);
    if (!why.ok()) return std::make_unique<HeldLock>(fs_, "", why);
    int& holders = fs_.lock_holders_[path_];
    const bool exclusive = kind == LockKind::kExclusive;
    if (holders < 0 || (holders > 0 && exclusive)) return nullptr;
    holders = exclusive ? -1 : holders + 1;
    return std::make_unique<HeldLock>(fs_, path_);
  }
  void RemoveStaleTemporaries(
      std::span<const std::string_view> final_names) override {
    Guard guard(fs_.mutex_);
    for (const std::string& path : fs_.FilePaths()) {
      if (ParentFolder(path) != path_) continue;
      if (IsTemporaryNameForAny(LastComponent(path), final_names))
        (void)fs_.ChangeName({path, ""});
    }
  }
  Result<std::optional<FileStatus>> StatName(const std::string& name) override {
    if (!IsPlainName(name)) return kBadFileNameOrNumber;
    Result<FileStatus> status = fs_.Stat(Full(name));
    if (status.status().Is(kFileNotFound)) return {std::nullopt};
    if (!status.ok()) return status.status();
    return {*status};
  }
  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& name) override {
    if (!IsPlainName(name)) return kBadFileNameOrNumber;
    return fs_.OpenForRead(Full(name));
  }
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name, const std::string& stem) override {
    if (!AllPlain({final_name, stem})) return kBadFileNameOrNumber;
    Guard guard(fs_.mutex_);
    // Eight digits, where the host has eight random letters and digits.
    const std::string number = std::to_string(++fs_.temporary_counter_);
    return File::Make<WritableFile>(
        fs_, Op::kCreateTemporary, Full(TemporaryName(stem, number)), &closed_);
  }
  Result<std::unique_ptr<ExclusiveFile>> CreateExclusive(
      const std::string& name) override {
    if (!IsPlainName(name)) return kBadFileNameOrNumber;
    return File::Make<ExclusiveFile>(fs_, Op::kCreateTemporary, Full(name),
                                     nullptr, true);
  }
  Result<std::unique_ptr<LockableFile>> OpenLockable(
      const std::string& name) override {
    if (!IsPlainName(name)) return kBadFileNameOrNumber;
    return File::Make<LockableFile>(fs_, Op::kOpenForRead, Full(name));
  }
  Status SyncClosedFiles() override {
    return fs_.Run(Op::kSyncFiles, path_, [&] {
      for (auto& node : std::exchange(closed_, {})) node->synced = node->data;
    });
  }
  Result<std::vector<std::string>> ReplaceTogether(
      std::span<const Replacement> replacements) override {
    for (const Replacement& r : replacements)
      if (!AllPlain({r.from, r.to})) return kBadFileNameOrNumber;
    std::vector<std::string> formers;
    Guard guard(fs_.mutex_);
    for (const Replacement& r : replacements) {
      const std::string from = Full(r.from), to = Full(r.to);
      const bool occupied = fs_.files_.contains(to);
      const bool swap = occupied && fs_.can_swap;
      if (occupied) formers.push_back(swap ? r.from : SetAsideName(r.from));
      Status moved;
      if (occupied && !swap) moved = fs_.ChangeName({to, Full(formers.back())});
      if (moved.ok()) moved = fs_.ChangeName({from, to, nullptr, swap});
      if (!moved.ok()) return moved;
    }
    return formers;
  }
  Status MoveOnto(const std::string& from, const std::string& to) override {
    if (!AllPlain({from, to})) return Status(kBadFileNameOrNumber);
    return fs_.ChangeName({Full(from), Full(to)});
  }
  Status MoveWithoutReplacing(const std::string& from,
                              const std::string& to) override {
    Guard guard(fs_.mutex_);
    const bool taken = AllPlain({from, to}) && fs_.Taken(Full(to));
    return taken ? Status(kPathFileAccessError) : MoveOnto(from, to);
  }
  Status Remove(const std::string& name) override {
    if (!IsPlainName(name)) return Status(kBadFileNameOrNumber);
    return fs_.ChangeName({Full(name), ""});
  }
  Status SyncNames() override {
    return fs_.Run(Op::kSyncNames, path_, [&] {
      std::erase_if(fs_.unsynced_, [this](const NameChange& c) {
        const bool here = ParentFolder(c.from.empty() ? c.to : c.from) == path_;
        if (here) Apply(c, fs_.durable_files_);
        return here;
      });
    });
  }

 private:
  class HeldLock : public FolderLock {
   public:
    // Holds the lock of `folder` unless it is empty, else is kept out by
    // `why`.
    HeldLock(FakeFileSystem& fs, std::string folder, Status why = {})
        : fs_(fs), folder_(std::move(folder)), why_(std::move(why)) {}
    ~HeldLock() override {
      Guard guard(fs_.mutex_);
      int& holders = fs_.lock_holders_[folder_];
      holders = std::max(holders - 1, 0);
    }
    bool held() const override { return !folder_.empty(); }
    Status why_not_held() const override { return why_; }

   private:
    FakeFileSystem& fs_;
    std::string folder_;
    Status why_;
  };

  // The path of `name` here.
  std::string Full(const std::string& n) const { return ResolveIn(path_, n); }

  FakeFileSystem& fs_;
  std::string path_;
  Nodes closed_;
};

void FakeFileSystem::AddFile(const std::string& path, std::string content) {
  Guard guard(mutex_);
  std::string folder = ParentFolder(path);
  while (!folder.empty() && folders_.insert(folder).second)
    folder = ParentFolder(folder);
  std::shared_ptr<Node>& node = files_[path];
  if (node == nullptr)
    node = durable_files_[path] = std::make_shared<Node>(++node_counter_);
  node->data = node->synced = std::move(content);
}

void FakeFileSystem::AddSpecial(const std::string& path) {
  AddFile(path, "");
  Guard guard(mutex_);
  files_[path]->special = true;
}

void FakeFileSystem::GiveToAnotherUser(const std::string& path) {
  Guard guard(mutex_);
  files_.at(path)->foreign = true;
}

void FakeFileSystem::CopyFolder(const std::string& from,
                                const std::string& to) {
  Guard guard(mutex_);
  for (const std::string& path : FilePaths()) {
    if (!path.starts_with(from + "/")) continue;
    AddFile(to + path.substr(from.size()), files_[path]->data);
  }
}

bool FakeFileSystem::PowerCut(std::size_t kept) {
  Guard guard(mutex_);
  const bool all = kept >= unsynced_.size();
  unsynced_.resize(std::min(kept, unsynced_.size()));
  for (auto& c : std::exchange(unsynced_, {})) Apply(c, durable_files_);
  stop_after = SIZE_MAX;
  lock_holders_.clear();
  files_ = durable_files_;
  for (auto& [path, node] : files_) node->data = node->synced;
  return all;
}

std::string FakeFileSystem::Content(const std::string& path) const {
  Guard guard(mutex_);
  std::shared_ptr<Node> node = Find(path);
  return node == nullptr ? std::string() : node->data;
}

std::vector<std::string> FakeFileSystem::FilePaths() const {
  Guard guard(mutex_);
  std::vector<std::string> paths;
  for (const auto& [path, node] : files_) paths.push_back(path);
  return paths;
}

void FakeFileSystem::FailOn(Op op, std::string path_part, Status failure,
                            int skip) {
  Guard guard(mutex_);
  faults_.push_back({op, std::move(path_part), std::move(failure), skip});
}

Status FakeFileSystem::Enter(Op op, const std::string& path) {
  calls_.push_back(std::string(kOpNames[static_cast<int>(op)]) + " " + path);
  if (calls_.size() > stop_after) return Status(kPathFileAccessError);
  if (before_each) before_each(op, path);
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->op != op || path.find(it->path_part) == std::string::npos) continue;
    if (it->skip-- > 0) continue;
    Status failure = it->failure;
    faults_.erase(it);
    return failure;
  }
  return Status::Ok();
}

// A change whose `from` is not in `names` (its creation was lost) makes
// nothing.
void FakeFileSystem::Apply(const NameChange& change, Names& names) {
  auto from = names.find(change.from);
  if (!change.from.empty() && from == names.end()) return;
  if (change.swap) {
    if (names.contains(change.to)) std::swap(from->second, names[change.to]);
    return;
  }
  std::shared_ptr<Node> node = change.from.empty() ? change.node : from->second;
  if (!change.from.empty()) names.erase(from);
  if (!change.to.empty()) names[change.to] = node;
}

Status FakeFileSystem::ChangeName(NameChange change) {
  std::string about = change.from;
  if (!change.to.empty()) about += (change.swap ? " <-> " : " -> ") + change.to;
  Guard guard(mutex_);
  const Op op = change.to.empty() ? Op::kRemove : Op::kRename;
  if (Status s = Enter(op, about); !s.ok()) return s;
  if (!files_.contains(change.from)) return Status(kFileNotFound);
  Apply(change, files_);
  unsynced_.push_back(std::move(change));
  return Status::Ok();
}

// A folder's identity is made from its path.
Result<FileStatus> FakeFileSystem::Stat(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kStat, path); !s.ok()) return s;
  if (!Taken(path)) return kFileNotFound;
  FileStatus status{.kind = FileKind::kDirectory,
                    .hidden = LastComponent(path).starts_with('.'),
                    .identity = {device_, std::hash<std::string>{}(path)}};
  if (std::shared_ptr<Node> node = Find(path)) {
    status.kind = node->special ? FileKind::kOther : FileKind::kRegular;
    status.size = node->data.size();
    status.identity.object = node->id;
    status.foreign_owner = node->foreign;
  }
  return status;
}

Result<std::unique_ptr<ReadableFile>> FakeFileSystem::OpenForRead(
    const std::string& path) {
  return File::Make<ReadableFile>(*this, Op::kOpenForRead, path);
}

Status FakeFileSystem::CreateFolder(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kCreateFolder, path); !s.ok()) return s;
  if (Taken(path)) return Status(kPathFileAccessError);
  folders_.insert(path);
  return Status::Ok();
}

Result<std::unique_ptr<Folder>> FakeFileSystem::OpenFolder(
    const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kOpenFolder, path); !s.ok()) return s;
  if (!folders_.contains(path)) return kFileNotFound;
  return std::unique_ptr<Folder>(std::make_unique<OpenedFolder>(*this, path));
}

}  // namespace mirlot

#include "runtime/fake_file_system.h"

#include <algorithm>
#include <functional>
#include <mutex>

#include "runtime/path.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

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

// Every open file, as each of the kinds a folder or the file system hands
// out. Reads and writes go to the file's node, which a move takes along
// and AddFile changes in place, so tests see partial files and files
// changed meanwhile; Size() is the node's size when the file was opened,
// as on the hosts. Calls are recorded with the path it was opened or made
// under. A closed temporary file waits in `closed` for its folder's sync;
// one destroyed unclosed removes itself, as the hosts' do. A file's lock is
// kept by its node while the object that took it lives: the record as its
// writer holds it, or as a later command opened it.
class FakeFileSystem::File : public ReadableFile,
                             public WritableFile,
                             public ExclusiveFile,
                             public LockableFile {
 public:
  File(FakeFileSystem& fs, std::string path, std::shared_ptr<Node> node,
       Nodes* closed = nullptr, bool locked = false)
      : fs_(fs),
        path_(std::move(path)),
        name_(LastComponent(path_)),
        node_(std::move(node)),
        size_(node_->data.size()),
        closed_(closed) {
    if (locked) node_->locked = holds_ = true;
  }
  ~File() override {
    Guard guard(fs_.mutex_);
    if (holds_) node_->locked = false;
    if (closed_ != nullptr && !kept_) (void)fs_.ChangeName({path_, ""});
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
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kAppend, path_); !s.ok()) return s;
    node_->data.append(data);
    return Status::Ok();
  }
  Status Close() override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kClose, path_); !s.ok()) return s;
    closed_->push_back(node_);
    kept_ = true;
    return Status::Ok();
  }
  const std::string& name() const override { return name_; }
  Status Sync() override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kSyncFiles, path_); !s.ok()) return s;
    node_->synced = node_->data;
    return Status::Ok();
  }
  ReadableFile& file() override { return *this; }
  bool foreign_owner() const override { return node_->foreign; }
  Result<LockAttempt> TryLock() override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kLockFolder, path_); !s.ok()) return s;
    if (node_->locked) return LockAttempt::kHeldElsewhere;
    node_->locked = holds_ = true;
    auto it = fs_.files_.find(path_);
    const bool named = it != fs_.files_.end() && it->second == node_;
    return named ? LockAttempt::kTaken : LockAttempt::kRemoved;
  }

 private:
  FakeFileSystem& fs_;
  std::string path_;
  std::string name_;
  std::shared_ptr<Node> node_;
  std::uint64_t size_;  // when opened
  Nodes* closed_;       // null but for a temporary file
  bool kept_ = false;   // closed: its folder's from now on
  bool holds_ = false;  // the node's lock
};

// A folder, or a file that is not a regular one, is refused with 75, as
// the hosts refuse it.
template <typename Kind>
Result<std::unique_ptr<Kind>> FakeFileSystem::Open(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kOpenForRead, path); !s.ok()) return s;
  if (!Taken(path)) return FailureCode::kFileNotFound;
  auto file = files_.find(path);
  if (file == files_.end() || file->second->special) {
    return FailureCode::kPathFileAccessError;
  }
  return std::unique_ptr<Kind>(
      std::make_unique<File>(*this, path, file->second));
}

class FakeFileSystem::HeldLock : public FolderLock {
 public:
  // Holds the lock of `folder` unless it is empty, else is kept out by
  // `why`.
  HeldLock(FakeFileSystem& fs, std::string folder, Status why = {})
      : fs_(fs), folder_(std::move(folder)), why_(std::move(why)) {}
  ~HeldLock() override {
    Guard guard(fs_.mutex_);
    int& holders = fs_.lock_holders_[folder_];
    holders = holders > 0 ? holders - 1 : 0;
  }
  bool held() const override { return !folder_.empty(); }
  Status why_not_held() const override { return why_; }

 private:
  FakeFileSystem& fs_;
  std::string folder_;
  Status why_;
};

// Names in the folder map to "folder/name" in the file system's map.
class FakeFileSystem::OpenedFolder : public Folder {
 public:
  OpenedFolder(FakeFileSystem& fs, std::string path)
      : fs_(fs), path_(std::move(path)) {}

  // Another holder of the same folder's lock, in this process or a
  // `before_each` hook, keeps a writer out, and a writer keeps everyone out.
  std::unique_ptr<FolderLock> TryLock(LockKind kind) override {
    Guard guard(fs_.mutex_);
    Status why = fs_.Enter(Op::kLockFolder, path_);
    if (why.ok() && fs_.folders_unlockable) {
      why = Status(FailureCode::kPermissionDenied);
    }
    if (!why.ok()) return std::make_unique<HeldLock>(fs_, "", why);
    int& holders = fs_.lock_holders_[path_];
    if (holders < 0 || (holders > 0 && kind == LockKind::kExclusive)) {
      return nullptr;
    }
    holders = kind == LockKind::kExclusive ? -1 : holders + 1;
    return std::make_unique<HeldLock>(fs_, path_);
  }
  void RemoveStaleTemporaries(
      std::span<const std::string_view> final_names) override {
    Guard guard(fs_.mutex_);
    for (const std::string& path : fs_.FilePaths()) {
      if (ParentFolder(path) == path_ &&
          IsTemporaryNameForAny(LastComponent(path), final_names)) {
        (void)fs_.ChangeName({path, ""});
      }
    }
  }
  Result<std::optional<FileStatus>> StatName(const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    Result<FileStatus> status = fs_.Stat(Full(name));
    if (status.ok()) return std::optional<FileStatus>(*status);
    if (status.status().Is(FailureCode::kFileNotFound)) {
      return std::optional<FileStatus>();
    }
    return status.status();
  }
  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    return fs_.OpenForRead(Full(name));
  }
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name, const std::string& stem) override {
    if (!AllPlain({final_name, stem})) return FailureCode::kBadFileNameOrNumber;
    Guard guard(fs_.mutex_);
    // Eight digits, where the host has eight random letters and digits.
    const std::string number =
        std::to_string(10000000 + ++fs_.temporary_counter_);
    return Create<WritableFile>(TemporaryName(stem, number), &closed_);
  }
  Result<std::unique_ptr<ExclusiveFile>> CreateExclusive(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    return Create<ExclusiveFile>(name, nullptr, true);
  }
  Result<std::unique_ptr<LockableFile>> OpenLockable(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    return fs_.Open<LockableFile>(Full(name));
  }
  Status SyncClosedFiles() override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kSyncFiles, path_); !s.ok()) return s;
    for (const auto& node : closed_) node->synced = node->data;
    closed_.clear();
    return Status::Ok();
  }
  Result<std::vector<std::string>> ReplaceTogether(
      std::span<const Replacement> replacements) override {
    for (const Replacement& r : replacements) {
      if (!AllPlain({r.from, r.to})) return FailureCode::kBadFileNameOrNumber;
    }
    std::vector<std::string> formers;
    Guard guard(fs_.mutex_);
    for (const Replacement& r : replacements) {
      const bool occupied = fs_.files_.contains(Full(r.to));
      Status moved;
      if (occupied && fs_.can_swap) {
        moved = fs_.ChangeName({Full(r.from), Full(r.to), nullptr, true});
        formers.push_back(r.from);
      } else {
        const std::string aside = SetAsideName(r.from);
        if (occupied) {
          moved = fs_.ChangeName({Full(r.to), Full(aside)});
          formers.push_back(aside);
        }
        if (moved.ok()) moved = fs_.ChangeName({Full(r.from), Full(r.to)});
      }
      if (!moved.ok()) return moved;
    }
    return formers;
  }
  Status MoveOnto(const std::string& from, const std::string& to) override {
    if (!AllPlain({from, to})) return Status(FailureCode::kBadFileNameOrNumber);
    return fs_.ChangeName({Full(from), Full(to)});
  }
  Status MoveWithoutReplacing(const std::string& from,
                              const std::string& to) override {
    if (!AllPlain({from, to})) return Status(FailureCode::kBadFileNameOrNumber);
    Guard guard(fs_.mutex_);
    if (fs_.Taken(Full(to))) return Status(FailureCode::kPathFileAccessError);
    return fs_.ChangeName({Full(from), Full(to)});
  }
  Status Remove(const std::string& name) override {
    if (!IsPlainName(name)) return Status(FailureCode::kBadFileNameOrNumber);
    return fs_.ChangeName({Full(name), ""});
  }
  Status SyncNames() override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kSyncNames, path_); !s.ok()) return s;
    std::erase_if(fs_.unsynced_, [this](const NameChange& change) {
      const bool here =
          ParentFolder(change.from.empty() ? change.to : change.from) == path_;
      if (here) Apply(change, fs_.durable_files_);
      return here;
    });
    return Status::Ok();
  }

 private:
  std::string Full(const std::string& name) const {
    return ResolveIn(path_, name);
  }

  // Makes the new file `name`, durable with the folder's SyncNames.
  template <typename Kind>
  Result<std::unique_ptr<Kind>> Create(const std::string& name, Nodes* closed,
                                       bool locked = false) {
    Guard guard(fs_.mutex_);
    const std::string path = Full(name);
    if (Status s = fs_.Enter(Op::kCreateTemporary, path); !s.ok()) return s;
    if (fs_.Taken(path)) return FailureCode::kPathFileAccessError;
    NameChange creation{"", path, fs_.NewNode()};
    Apply(creation, fs_.files_);
    fs_.unsynced_.push_back(creation);
    return std::unique_ptr<Kind>(
        std::make_unique<File>(fs_, path, creation.node, closed, locked));
  }

  FakeFileSystem& fs_;
  std::string path_;
  Nodes closed_;
};

void FakeFileSystem::AddFile(const std::string& path, std::string content) {
  Guard guard(mutex_);
  for (std::string folder = ParentFolder(path);
       folder != "." && !folder.empty() && folders_.insert(folder).second;
       folder = ParentFolder(folder)) {
  }
  std::shared_ptr<Node>& node = files_[path];
  if (node == nullptr) node = durable_files_[path] = NewNode();
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
  for (std::size_t i = 0; i < kept && i < unsynced_.size(); ++i) {
    Apply(unsynced_[i], durable_files_);
  }
  unsynced_.clear();
  stop_after = SIZE_MAX;
  lock_holders_.clear();
  files_ = durable_files_;
  for (auto& [path, node] : files_) node->data = node->synced;
  return all;
}

std::string FakeFileSystem::Content(const std::string& path) const {
  Guard guard(mutex_);
  auto it = files_.find(path);
  return it == files_.end() ? std::string() : it->second->data;
}

std::vector<std::string> FakeFileSystem::FilePaths() const {
  Guard guard(mutex_);
  std::vector<std::string> paths;
  for (const auto& [path, content] : files_) paths.push_back(path);
  return paths;
}

void FakeFileSystem::FailOn(Op op, std::string path_part, Status failure,
                            int skip) {
  Guard guard(mutex_);
  faults_.push_back({op, std::move(path_part), std::move(failure), skip});
}

Status FakeFileSystem::Enter(Op op, const std::string& path) {
  calls_.push_back(std::string(kOpNames[static_cast<int>(op)]) + " " + path);
  if (calls_.size() > stop_after) {
    return Status(FailureCode::kPathFileAccessError);
  }
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
  if (change.swap) {
    if (names.contains(change.from) && names.contains(change.to)) {
      std::swap(names[change.from], names[change.to]);
    }
    return;
  }
  std::shared_ptr<Node> node = change.node;
  if (!change.from.empty()) {
    auto it = names.find(change.from);
    if (it == names.end()) return;
    node = it->second;
    names.erase(it);
  }
  if (!change.to.empty()) names[change.to] = node;
}

Status FakeFileSystem::ChangeName(NameChange change) {
  Guard guard(mutex_);
  const std::string& from = change.from;
  const Op op = change.to.empty() ? Op::kRemove : Op::kRename;
  const std::string arrow = change.swap ? " <-> " : " -> ";
  const std::string about = change.to.empty() ? from : from + arrow + change.to;
  if (Status s = Enter(op, about); !s.ok()) return s;
  if (!files_.contains(from)) return Status(FailureCode::kFileNotFound);
  Apply(change, files_);
  unsynced_.push_back(std::move(change));
  return Status::Ok();
}

Result<FileStatus> FakeFileSystem::Stat(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kStat, path); !s.ok()) return s;
  if (!Taken(path)) return FailureCode::kFileNotFound;
  auto file = files_.find(path);
  if (file == files_.end()) {
    return FileStatus{.kind = FileKind::kDirectory,
                      .hidden = LastComponent(path).starts_with('.'),
                      .identity = {device_, std::hash<std::string>{}(path)}};
  }
  const Node& node = *file->second;
  return FileStatus{
      .kind = node.special ? FileKind::kOther : FileKind::kRegular,
      .size = node.data.size(),
      .hidden = LastComponent(path).starts_with('.'),
      .identity = {device_, node.id},
      .foreign_owner = node.foreign};
}

Result<std::unique_ptr<ReadableFile>> FakeFileSystem::OpenForRead(
    const std::string& path) {
  return Open<ReadableFile>(path);
}

Status FakeFileSystem::CreateFolder(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kCreateFolder, path); !s.ok()) return s;
  if (Taken(path)) return Status(FailureCode::kPathFileAccessError);
  folders_.insert(path);
  return Status::Ok();
}

Result<std::unique_ptr<Folder>> FakeFileSystem::OpenFolder(
    const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kOpenFolder, path); !s.ok()) return s;
  if (!IsFolder(path)) return FailureCode::kFileNotFound;
  return std::unique_ptr<Folder>(std::make_unique<OpenedFolder>(*this, path));
}

}  // namespace mirlot

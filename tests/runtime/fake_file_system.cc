#include "runtime/fake_file_system.h"

#include <functional>
#include <mutex>

#include "runtime/path.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

// Indexed by Op.
constexpr const char* kOpNames[] = {
    "stat",       "open",       "read",   "create-folder", "open-folder",
    "lock",       "name-taken", "create", "append",        "close",
    "sync-files", "rename",     "remove", "sync-names"};

using Guard = std::lock_guard<std::recursive_mutex>;

}  // namespace

// Reads and writes go straight to the file system's map, so tests see
// partial files.
class FakeFileSystem::File : public ReadableFile, public WritableFile {
 public:
  File(FakeFileSystem& fs, std::string path, std::string name)
      : fs_(fs), path_(std::move(path)), name_(std::move(name)) {}

  Result<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                             std::size_t length) override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kRead, path_); !s.ok()) return s;
    const std::string* content = fs_.Find(path_);
    if (content == nullptr || offset >= content->size()) return std::size_t{0};
    return content->copy(buffer, length, offset);
  }
  Result<std::uint64_t> Size() override {
    return std::uint64_t{fs_.Content(path_).size()};
  }
  Status Append(std::string_view data) override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kAppend, path_); !s.ok()) return s;
    if (std::string* content = fs_.Find(path_)) content->append(data);
    return Status::Ok();
  }
  Status Close() override {
    Guard guard(fs_.mutex_);
    return fs_.Enter(Op::kClose, path_);
  }
  const std::string& name() const override { return name_; }

 private:
  FakeFileSystem& fs_;
  std::string path_;
  std::string name_;
};

class FakeFileSystem::HeldLock : public FolderLock {
 public:
  // Holds the lock of `folder` unless it is empty.
  HeldLock(FakeFileSystem& fs, std::string folder)
      : fs_(fs), folder_(std::move(folder)) {}
  ~HeldLock() override {
    Guard guard(fs_.mutex_);
    int& holders = fs_.lock_holders_[folder_];
    holders = holders > 0 ? holders - 1 : 0;
  }
  bool held() const override { return !folder_.empty(); }

 private:
  FakeFileSystem& fs_;
  std::string folder_;
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
    if (!fs_.Enter(Op::kLockFolder, path_).ok()) {
      return std::make_unique<HeldLock>(fs_, "");
    }
    int& holders = fs_.lock_holders_[path_];
    if (holders < 0 || (holders > 0 && kind == LockKind::kExclusive)) {
      return nullptr;
    }
    holders = kind == LockKind::kExclusive ? -1 : holders + 1;
    return std::make_unique<HeldLock>(fs_, path_);
  }
  void RemoveStaleTemporaries(const std::string&) override {}
  Result<bool> NameTaken(const std::string& name) override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kNameTaken, Full(name)); !s.ok()) return s;
    return fs_.Taken(Full(name));
  }
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name) override {
    Guard guard(fs_.mutex_);
    // Eight digits, where the host has eight random letters and digits.
    const std::string name = TemporaryName(
        final_name, std::to_string(10000000 + ++fs_.temporary_counter_));
    const std::string path = Full(name);
    if (Status s = fs_.Enter(Op::kCreateTemporary, path); !s.ok()) return s;
    if (fs_.Taken(path)) return FailureCode::kPathFileAccessError;
    fs_.files_[path] = "";
    return std::unique_ptr<WritableFile>(
        std::make_unique<File>(fs_, path, name));
  }
  Status SyncClosedFiles() override {
    Guard guard(fs_.mutex_);
    return fs_.Enter(Op::kSyncFiles, path_);
  }
  Status ReplaceTogether(std::span<const Replacement> replacements) override {
    for (const Replacement& r : replacements) {
      if (&r != &replacements.front() && fs_.between_replacements) {
        fs_.between_replacements();
      }
      Guard guard(fs_.mutex_);
      if (fs_.IsFolder(Full(r.to)))
        return Status(FailureCode::kPathFileAccessError);
      if (Status s = fs_.Move(Full(r.from), Full(r.to)); !s.ok()) return s;
    }
    return Status::Ok();
  }
  Status MoveWithoutReplacing(const std::string& from,
                              const std::string& to) override {
    Guard guard(fs_.mutex_);
    if (fs_.Taken(Full(to))) return Status(FailureCode::kPathFileAccessError);
    return fs_.Move(Full(from), Full(to));
  }
  Status Remove(const std::string& name) override {
    Guard guard(fs_.mutex_);
    if (Status s = fs_.Enter(Op::kRemove, Full(name)); !s.ok()) return s;
    return fs_.files_.erase(Full(name)) > 0
               ? Status::Ok()
               : Status(FailureCode::kFileNotFound);
  }
  Status SyncNames() override {
    Guard guard(fs_.mutex_);
    return fs_.Enter(Op::kSyncNames, path_);
  }

 private:
  std::string Full(const std::string& name) const {
    return ResolveIn(path_, name);
  }

  FakeFileSystem& fs_;
  std::string path_;
};

void FakeFileSystem::AddFile(const std::string& path, std::string content) {
  Guard guard(mutex_);
  for (std::string folder = ParentFolder(path);
       folder != "." && !folder.empty() && folders_.insert(folder).second;
       folder = ParentFolder(folder)) {
  }
  files_[path] = std::move(content);
}

void FakeFileSystem::RemoveFile(const std::string& path) {
  Guard guard(mutex_);
  files_.erase(path);
}

std::string FakeFileSystem::Content(const std::string& path) const {
  Guard guard(mutex_);
  auto it = files_.find(path);
  return it == files_.end() ? std::string() : it->second;
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

std::string* FakeFileSystem::Find(const std::string& path) {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

Status FakeFileSystem::Move(const std::string& from, const std::string& to) {
  if (Status s = Enter(Op::kRename, from + " -> " + to); !s.ok()) return s;
  if (Find(from) == nullptr) return Status(FailureCode::kFileNotFound);
  files_[to] = std::move(files_[from]);
  files_.erase(from);
  return Status::Ok();
}

Result<FileStatus> FakeFileSystem::Stat(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kStat, path); !s.ok()) return s;
  if (!Taken(path)) return FailureCode::kFileNotFound;
  const std::string* file = Find(path);
  return FileStatus{
      .kind = file != nullptr ? FileKind::kRegular : FileKind::kDirectory,
      .size = file != nullptr ? file->size() : 0,
      .hidden = LastComponent(path).starts_with('.'),
      .identity = {1, std::hash<std::string>{}(path)}};
}

Result<std::unique_ptr<ReadableFile>> FakeFileSystem::OpenForRead(
    const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kOpenForRead, path); !s.ok()) return s;
  if (Find(path) == nullptr) return FailureCode::kFileNotFound;
  return std::unique_ptr<ReadableFile>(
      std::make_unique<File>(*this, path, path));
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

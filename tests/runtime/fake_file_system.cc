#include "runtime/fake_file_system.h"

#include <cstdio>
#include <functional>
#include <optional>

#include "runtime/path.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

using Op = FakeFileSystem::Op;

// Indexed by Op.
constexpr const char* kOpNames[] = {
    "stat",       "name-taken", "open",        "read",   "create-temporary",
    "append",     "close",      "rename",      "remove", "create-folder",
    "create-new", "lock",       "open-folder", "move"};

// Reads and writes go straight to the file system's map, so tests see
// partial files.
class FakeFile : public ReadableFile, public WritableFile {
 public:
  // `shown_path` is what path() returns.
  FakeFile(FakeFileSystem& fs, std::string path, std::string shown_path)
      : fs_(fs), path_(std::move(path)), shown_path_(std::move(shown_path)) {}
  ~FakeFile() override {
    auto lock = fs_.Lock();
    fs_.Closed(path_);
  }

  Result<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                             std::size_t length) override {
    auto lock = fs_.Lock();
    if (Status s = fs_.Enter(Op::kRead, path_); !s.ok()) return s;
    const std::string* content = fs_.MutableContent(path_);
    if (content == nullptr || offset >= content->size()) return std::size_t{0};
    return content->copy(buffer, length, offset);
  }
  Result<std::uint64_t> Size() override {
    return std::uint64_t{fs_.Content(path_).size()};
  }
  Status Append(std::string_view data) override {
    auto lock = fs_.Lock();
    if (Status s = fs_.Enter(Op::kAppend, path_); !s.ok()) return s;
    if (std::string* content = fs_.MutableContent(path_)) content->append(data);
    return Status::Ok();
  }
  Status Close() override {
    auto lock = fs_.Lock();
    fs_.Closed(path_);
    return fs_.Enter(Op::kClose, path_);
  }
  const std::string& path() const override { return shown_path_; }

 private:
  FakeFileSystem& fs_;
  std::string path_;
  std::string shown_path_;
};

class FakeLock : public FolderLock {
 public:
  // Holds the lock of `folder` unless it is empty.
  FakeLock(FakeFileSystem& fs, std::string folder)
      : fs_(fs), folder_(std::move(folder)) {}
  ~FakeLock() override {
    auto lock = fs_.Lock();
    fs_.Unlock(folder_);
  }
  bool held() const override { return !folder_.empty(); }

 private:
  FakeFileSystem& fs_;
  std::string folder_;
};

// Names in the folder map to "folder/name" in the file system's map.
class FakeFolder : public Folder {
 public:
  FakeFolder(FakeFileSystem& fs, std::string path)
      : fs_(fs), path_(std::move(path)) {}

  Result<bool> NameTaken(const std::string& name) override {
    return fs_.NameTaken(ResolveIn(path_, name));
  }
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name) override {
    return fs_.CreateTemporaryIn(path_, final_name, "");
  }
  Status MoveIntoPlace(const std::string& from, const std::string& to,
                       bool replace) override {
    auto lock = fs_.Lock();
    const std::string full_to = ResolveIn(path_, to);
    const std::string full_from = ResolveIn(path_, from);
    Status s = fs_.Enter(Op::kMoveIntoPlace, full_from + " -> " + full_to);
    if (s.ok() && !replace && fs_.NameTaken(full_to).value()) {
      s = Status(FailureCode::kPathFileAccessError);
    }
    return s.ok() ? fs_.Move(full_from, full_to) : s;
  }
  Status Remove(const std::string& name) override {
    return fs_.Remove(ResolveIn(path_, name));
  }

 private:
  FakeFileSystem& fs_;
  std::string path_;
};

}  // namespace

void FakeFileSystem::AddFile(const std::string& path, std::string content) {
  auto lock = Lock();
  AddFolder(ParentFolder(path));
  files_[path] = std::move(content);
}

void FakeFileSystem::AddFolder(const std::string& path) {
  if (path == "." || path.empty() || !folders_.insert(path).second) return;
  if (path != "/") AddFolder(ParentFolder(path));
}

std::string FakeFileSystem::Content(const std::string& path) const {
  auto lock = Lock();
  auto it = files_.find(path);
  return it == files_.end() ? std::string() : it->second;
}

std::vector<std::string> FakeFileSystem::FilePaths() const {
  auto lock = Lock();
  std::vector<std::string> paths;
  for (const auto& [path, content] : files_) paths.push_back(path);
  return paths;
}

void FakeFileSystem::FailOn(Op op, std::string path_part, Status failure,
                            int skip) {
  auto lock = Lock();
  faults_.push_back({op, std::move(path_part), std::move(failure), skip});
}

Status FakeFileSystem::Enter(Op op, const std::string& path) {
  auto lock = Lock();
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

std::string* FakeFileSystem::MutableContent(const std::string& path) {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

std::unique_lock<std::recursive_mutex> FakeFileSystem::Lock() const {
  return std::unique_lock(mutex_);
}

Result<FileStatus> FakeFileSystem::Stat(const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kStat, path); !s.ok()) return s;
  if (!Exists(path) && !FolderExists(path)) return FailureCode::kFileNotFound;
  return FileStatus{
      .kind = Exists(path) ? FileKind::kRegular : FileKind::kDirectory,
      .size = Content(path).size(),
      .hidden = LastComponent(path).starts_with('.'),
      .identity = {1, std::hash<std::string>{}(path)}};
}

Result<bool> FakeFileSystem::NameTaken(const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kNameTaken, path); !s.ok()) return s;
  return Exists(path) || FolderExists(path);
}

Result<std::unique_ptr<ReadableFile>> FakeFileSystem::OpenForRead(
    const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kOpenForRead, path); !s.ok()) return s;
  if (FolderExists(path)) return FailureCode::kPathFileAccessError;
  if (!Exists(path)) {
    return FolderExists(ParentFolder(path)) ? FailureCode::kFileNotFound
                                            : FailureCode::kPathNotFound;
  }
  return std::unique_ptr<ReadableFile>(
      std::make_unique<FakeFile>(*this, path, path));
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::Create(
    const std::string& path, std::string shown_path) {
  if (!FolderExists(ParentFolder(path))) return FailureCode::kPathNotFound;
  if (Exists(path) || FolderExists(path)) {
    return FailureCode::kPathFileAccessError;
  }
  files_[path] = "";
  open_for_writing_.insert(path);
  return std::unique_ptr<WritableFile>(
      std::make_unique<FakeFile>(*this, path, std::move(shown_path)));
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::CreateTemporaryIn(
    const std::string& folder, const std::string& final_name,
    const std::string& shown_folder) {
  auto lock = Lock();
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08d", ++temporary_counter_);
  const std::string name = TemporaryName(final_name, suffix);
  const std::string path = ResolveIn(folder, name);
  if (Status s = Enter(Op::kCreateTemporary, path); !s.ok()) return s;
  return Create(path,
                shown_folder.empty() ? name : ResolveIn(shown_folder, name));
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::CreateTemporary(
    const std::string& folder, const std::string& final_name) {
  return CreateTemporaryIn(folder, final_name, folder);
}

Status FakeFileSystem::Move(const std::string& from, const std::string& to) {
  if (!Exists(from)) return Status(FailureCode::kFileNotFound);
  if (FolderExists(to)) return Status(FailureCode::kPathFileAccessError);
  files_[to] = std::move(files_[from]);
  files_.erase(from);
  return Status::Ok();
}

Status FakeFileSystem::Rename(const std::string& from, const std::string& to) {
  auto lock = Lock();
  if (Status s = Enter(Op::kRename, from + " -> " + to); !s.ok()) return s;
  return Move(from, to);
}

Status FakeFileSystem::ReplaceTogether(
    std::span<const Replacement> replacements) {
  // What each `to` held before, to put back on a failure.
  std::vector<std::optional<std::string>> former;
  for (const Replacement& r : replacements) {
    if (!former.empty() && between_replacements) between_replacements();
    auto lock = Lock();
    auto it = files_.find(r.to);
    former.push_back(it == files_.end() ? std::nullopt
                                        : std::optional(it->second));
    if (Status status = Rename(r.from, r.to); !status.ok()) {
      former.pop_back();
      for (std::size_t i = former.size(); i-- > 0;) {
        files_[replacements[i].from] = std::move(files_[replacements[i].to]);
        files_.erase(replacements[i].to);
        if (former[i]) files_[replacements[i].to] = std::move(*former[i]);
      }
      return status;
    }
  }
  return Status::Ok();
}

Status FakeFileSystem::Remove(const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kRemove, path); !s.ok()) return s;
  return files_.erase(path) > 0 ? Status::Ok()
                                : Status(FailureCode::kFileNotFound);
}

Status FakeFileSystem::CreateFolder(const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kCreateFolder, path); !s.ok()) return s;
  if (Exists(path) || FolderExists(path)) {
    return Status(FailureCode::kPathFileAccessError);
  }
  if (!FolderExists(ParentFolder(path))) {
    return Status(FailureCode::kPathNotFound);
  }
  AddFolder(path);
  return Status::Ok();
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::CreateNew(
    const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kCreateNew, path); !s.ok()) return s;
  return Create(path, path);
}

std::unique_ptr<FolderLock> FakeFileSystem::TryLockFolder(
    const std::string& folder) {
  auto lock = Lock();
  if (Status s = Enter(Op::kLockFolder, folder); !s.ok()) {
    return std::make_unique<FakeLock>(*this, "");
  }
  if (!locked_folders_.insert(folder).second) return nullptr;
  return std::make_unique<FakeLock>(*this, folder);
}

void FakeFileSystem::RemoveStaleTemporaries(const std::string& folder,
                                            const std::string& final_name) {
  auto lock = Lock();
  for (const std::string& path : FilePaths()) {
    if (ParentFolder(path) == folder &&
        IsTemporaryNameFor(LastComponent(path), final_name) &&
        open_for_writing_.count(path) == 0) {
      (void)Remove(path);
    }
  }
}

Result<std::unique_ptr<Folder>> FakeFileSystem::OpenFolder(
    const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kOpenFolder, path); !s.ok()) return s;
  if (!FolderExists(path)) {
    return Exists(path) ? FailureCode::kPathFileAccessError
                        : FailureCode::kFileNotFound;
  }
  return std::unique_ptr<Folder>(std::make_unique<FakeFolder>(*this, path));
}

}  // namespace mirlot

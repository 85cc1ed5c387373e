#include "runtime/fake_file_system.h"

#include <functional>
#include <mutex>

#include "runtime/path.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

// Indexed by Op.
constexpr const char* kOpNames[] = {
    "stat",       "name-taken", "open",       "read",   "create-temporary",
    "append",     "close",      "rename",     "remove", "create-folder",
    "create-new", "lock",       "open-folder"};

using Guard = std::lock_guard<std::recursive_mutex>;

}  // namespace

// Reads and writes go straight to the file system's map, so tests see
// partial files.
class FakeFileSystem::File : public ReadableFile, public WritableFile {
 public:
  File(FakeFileSystem& fs, std::string path, std::string shown_path)
      : fs_(fs), path_(std::move(path)), shown_path_(std::move(shown_path)) {}

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
  const std::string& path() const override { return shown_path_; }

 private:
  FakeFileSystem& fs_;
  std::string path_;
  std::string shown_path_;
};

class FakeFileSystem::HeldLock : public FolderLock {
 public:
  // Holds the lock of `folder` unless it is empty.
  HeldLock(FakeFileSystem& fs, std::string folder)
      : fs_(fs), folder_(std::move(folder)) {}
  ~HeldLock() override {
    Guard guard(fs_.mutex_);
    fs_.locked_folders_.erase(folder_);
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

  Result<bool> NameTaken(const std::string& name) override {
    return fs_.NameTaken(ResolveIn(path_, name));
  }
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name) override {
    return fs_.CreateTemporaryIn(path_, final_name, true);
  }
  Status MoveIntoPlace(const std::string& from, const std::string& to,
                       bool replace) override {
    Guard guard(fs_.mutex_);
    if (!replace && fs_.Taken(ResolveIn(path_, to))) {
      return Status(FailureCode::kPathFileAccessError);
    }
    return fs_.Rename(ResolveIn(path_, from), ResolveIn(path_, to));
  }
  Status Remove(const std::string& name) override {
    return fs_.Remove(ResolveIn(path_, name));
  }

 private:
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

Result<bool> FakeFileSystem::NameTaken(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kNameTaken, path); !s.ok()) return s;
  return Taken(path);
}

Result<std::unique_ptr<ReadableFile>> FakeFileSystem::OpenForRead(
    const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kOpenForRead, path); !s.ok()) return s;
  if (Find(path) == nullptr) return FailureCode::kFileNotFound;
  return std::unique_ptr<ReadableFile>(
      std::make_unique<File>(*this, path, path));
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::Create(
    const std::string& path, std::string shown_path) {
  if (Taken(path)) return FailureCode::kPathFileAccessError;
  files_[path] = "";
  return std::unique_ptr<WritableFile>(
      std::make_unique<File>(*this, path, std::move(shown_path)));
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::CreateTemporaryIn(
    const std::string& folder, const std::string& final_name, bool name_only) {
  Guard guard(mutex_);
  // Eight digits, where the host has eight random letters and digits.
  const std::string name = TemporaryName(
      final_name, std::to_string(10000000 + ++temporary_counter_));
  const std::string path = ResolveIn(folder, name);
  if (Status s = Enter(Op::kCreateTemporary, path); !s.ok()) return s;
  return Create(path, name_only ? name : path);
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::CreateTemporary(
    const std::string& folder, const std::string& final_name) {
  return CreateTemporaryIn(folder, final_name, false);
}

Status FakeFileSystem::Rename(const std::string& from, const std::string& to) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kRename, from + " -> " + to); !s.ok()) return s;
  if (Find(from) == nullptr) return Status(FailureCode::kFileNotFound);
  files_[to] = std::move(files_[from]);
  files_.erase(from);
  return Status::Ok();
}

Status FakeFileSystem::ReplaceTogether(
    std::span<const Replacement> replacements) {
  for (const Replacement& r : replacements) {
    if (&r != &replacements.front() && between_replacements) {
      between_replacements();
    }
    if (Status s = Rename(r.from, r.to); !s.ok()) return s;
  }
  return Status::Ok();
}

Status FakeFileSystem::Remove(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kRemove, path); !s.ok()) return s;
  return files_.erase(path) > 0 ? Status::Ok()
                                : Status(FailureCode::kFileNotFound);
}

Status FakeFileSystem::CreateFolder(const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kCreateFolder, path); !s.ok()) return s;
  if (Taken(path)) return Status(FailureCode::kPathFileAccessError);
  folders_.insert(path);
  return Status::Ok();
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::CreateNew(
    const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kCreateNew, path); !s.ok()) return s;
  return Create(path, path);
}

std::unique_ptr<FolderLock> FakeFileSystem::TryLockFolder(
    const std::string& folder) {
  Guard guard(mutex_);
  if (!Enter(Op::kLockFolder, folder).ok()) {
    return std::make_unique<HeldLock>(*this, "");
  }
  if (!locked_folders_.insert(folder).second) return nullptr;
  return std::make_unique<HeldLock>(*this, folder);
}

// No test leaves temporary files for a later run to find.
void FakeFileSystem::RemoveStaleTemporaries(const std::string&,
                                            const std::string&) {}

Result<std::unique_ptr<Folder>> FakeFileSystem::OpenFolder(
    const std::string& path) {
  Guard guard(mutex_);
  if (Status s = Enter(Op::kOpenFolder, path); !s.ok()) return s;
  if (!IsFolder(path)) return FailureCode::kFileNotFound;
  return std::unique_ptr<Folder>(std::make_unique<OpenedFolder>(*this, path));
}

}  // namespace mirlot

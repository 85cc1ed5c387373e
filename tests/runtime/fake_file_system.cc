#include "runtime/fake_file_system.h"

#include <algorithm>
#include <cstring>

#include "runtime/path.h"

namespace mirlot {

namespace {

const char* OpName(FakeFileSystem::Op op) {
  switch (op) {
    case FakeFileSystem::Op::kStat:
      return "stat";
    case FakeFileSystem::Op::kNameTaken:
      return "name-taken";
    case FakeFileSystem::Op::kOpenForRead:
      return "open";
    case FakeFileSystem::Op::kRead:
      return "read";
    case FakeFileSystem::Op::kCreateTemporary:
      return "create-temporary";
    case FakeFileSystem::Op::kAppend:
      return "append";
    case FakeFileSystem::Op::kClose:
      return "close";
    case FakeFileSystem::Op::kRename:
      return "rename";
    case FakeFileSystem::Op::kRemove:
      return "remove";
    case FakeFileSystem::Op::kCreateFolder:
      return "create-folder";
    case FakeFileSystem::Op::kCreateNew:
      return "create-new";
  }
  return "?";
}

bool HasNul(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

class FakeReadableFile : public ReadableFile {
 public:
  FakeReadableFile(FakeFileSystem& fs, std::string path)
      : fs_(fs), path_(std::move(path)) {}

  Result<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                             std::size_t length) override {
    auto lock = fs_.Lock();
    if (Status s = fs_.Enter(FakeFileSystem::Op::kRead, path_); !s.ok()) {
      return s;
    }
    const std::string* content = fs_.MutableContent(path_);
    if (content == nullptr || offset >= content->size()) return std::size_t{0};
    const std::size_t count =
        std::min<std::size_t>(length, content->size() - offset);
    std::memcpy(buffer, content->data() + offset, count);
    return count;
  }

  Result<std::uint64_t> Size() override {
    auto lock = fs_.Lock();
    const std::string* content = fs_.MutableContent(path_);
    return std::uint64_t{content == nullptr ? 0 : content->size()};
  }

 private:
  FakeFileSystem& fs_;
  std::string path_;
};

// Writes straight into the file system's map, so tests see partial files.
class FakeWritableFile : public WritableFile {
 public:
  FakeWritableFile(FakeFileSystem& fs, std::string path)
      : fs_(fs), path_(std::move(path)) {}

  Status Append(std::string_view data) override {
    auto lock = fs_.Lock();
    if (Status s = fs_.Enter(FakeFileSystem::Op::kAppend, path_); !s.ok()) {
      return s;
    }
    if (std::string* content = fs_.MutableContent(path_)) {
      content->append(data);
    }
    return Status::Ok();
  }

  Status Close() override {
    auto lock = fs_.Lock();
    return fs_.Enter(FakeFileSystem::Op::kClose, path_);
  }

  const std::string& path() const override { return path_; }

 private:
  FakeFileSystem& fs_;
  std::string path_;
};

}  // namespace

FakeFileSystem& FakeFileSystem::operator=(FakeFileSystem&& other) noexcept {
  before_each = std::move(other.before_each);
  files_ = std::move(other.files_);
  faults_ = std::move(other.faults_);
  calls_ = std::move(other.calls_);
  temporary_counter_ = other.temporary_counter_;
  return *this;
}

void FakeFileSystem::AddFile(const std::string& path, std::string content) {
  auto lock = Lock();
  AddFolder(ParentFolder(path));
  files_[path] = Node{Kind::kRegular, std::move(content)};
}

void FakeFileSystem::AddFolder(const std::string& path) {
  auto lock = Lock();
  if (path == "." || path.empty()) return;
  if (path != "/") AddFolder(ParentFolder(path));
  files_[path] = Node{Kind::kFolder, {}};
}

void FakeFileSystem::AddSpecial(const std::string& path) {
  auto lock = Lock();
  AddFolder(ParentFolder(path));
  files_[path] = Node{Kind::kSpecial, {}};
}

std::string FakeFileSystem::Content(const std::string& path) const {
  auto lock = Lock();
  auto it = files_.find(path);
  return it == files_.end() ? std::string() : it->second.content;
}

std::vector<std::string> FakeFileSystem::FilePaths() const {
  auto lock = Lock();
  std::vector<std::string> paths;
  for (const auto& [path, node] : files_) {
    if (node.kind != Kind::kFolder) paths.push_back(path);
  }
  return paths;
}

void FakeFileSystem::FailOn(Op op, std::string path_part, Status failure,
                            int skip) {
  auto lock = Lock();
  faults_.push_back({op, std::move(path_part), std::move(failure), skip});
}

Status FakeFileSystem::Enter(Op op, const std::string& path) {
  auto lock = Lock();
  calls_.push_back(std::string(OpName(op)) + " " + path);
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
  auto lock = Lock();
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second.content;
}

std::unique_lock<std::recursive_mutex> FakeFileSystem::Lock() const {
  return std::unique_lock(mutex_);
}

bool FakeFileSystem::FolderExists(const std::string& path) const {
  if (path == ".") return true;
  auto it = files_.find(path);
  return it != files_.end() && it->second.kind == Kind::kFolder;
}

Result<FileStatus> FakeFileSystem::Stat(const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kStat, path); !s.ok()) return s;
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  auto it = files_.find(path);
  if (it == files_.end()) return FailureCode::kFileNotFound;
  FileStatus status;
  status.kind = it->second.kind == Kind::kRegular  ? FileKind::kRegular
                : it->second.kind == Kind::kFolder ? FileKind::kDirectory
                                                   : FileKind::kOther;
  status.size = it->second.content.size();
  status.hidden = LastComponent(path).starts_with('.');
  return status;
}

Result<bool> FakeFileSystem::NameTaken(const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kNameTaken, path); !s.ok()) return s;
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  return files_.count(path) > 0;
}

Result<std::unique_ptr<ReadableFile>> FakeFileSystem::OpenForRead(
    const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kOpenForRead, path); !s.ok()) return s;
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  auto it = files_.find(path);
  if (it == files_.end()) {
    return FolderExists(ParentFolder(path)) ? FailureCode::kFileNotFound
                                            : FailureCode::kPathNotFound;
  }
  if (it->second.kind != Kind::kRegular) {
    return FailureCode::kPathFileAccessError;
  }
  return std::unique_ptr<ReadableFile>(
      std::make_unique<FakeReadableFile>(*this, path));
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::Create(
    const std::string& path) {
  if (!FolderExists(ParentFolder(path))) return FailureCode::kPathNotFound;
  if (files_.count(path) > 0) return FailureCode::kPathFileAccessError;
  files_[path] = Node{Kind::kRegular, {}};
  return std::unique_ptr<WritableFile>(
      std::make_unique<FakeWritableFile>(*this, path));
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::CreateTemporary(
    const std::string& folder, const std::string& final_name) {
  auto lock = Lock();
  const std::string path =
      ResolveIn(folder, "." + final_name + ".tmp-" +
                            std::to_string(++temporary_counter_));
  if (Status s = Enter(Op::kCreateTemporary, path); !s.ok()) return s;
  return Create(path);
}

Status FakeFileSystem::Rename(const std::string& from, const std::string& to) {
  auto lock = Lock();
  if (Status s = Enter(Op::kRename, from + " -> " + to); !s.ok()) return s;
  auto it = files_.find(from);
  if (it == files_.end()) return Status(FailureCode::kFileNotFound);
  if (FolderExists(to)) return Status(FailureCode::kPathFileAccessError);
  Node node = std::move(it->second);
  files_.erase(it);
  files_[to] = std::move(node);
  return Status::Ok();
}

Status FakeFileSystem::ReplaceTogether(
    std::span<const Replacement> replacements) {
  auto lock = Lock();
  const std::map<std::string, Node> before = files_;
  for (const Replacement& r : replacements) {
    Status status = Rename(r.from, r.to);
    if (!status.ok()) {
      files_ = before;
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
  if (files_.count(path) > 0) return Status(FailureCode::kPathFileAccessError);
  if (!FolderExists(ParentFolder(path))) {
    return Status(FailureCode::kPathNotFound);
  }
  files_[path] = Node{Kind::kFolder, {}};
  return Status::Ok();
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::CreateNew(
    const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kCreateNew, path); !s.ok()) return s;
  return Create(path);
}

}  // namespace mirlot

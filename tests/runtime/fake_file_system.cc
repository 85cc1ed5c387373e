#include "runtime/fake_file_system.h"

#include "runtime/path.h"

namespace mirlot {

namespace {

using Op = FakeFileSystem::Op;

// Indexed by Op.
constexpr const char* kOpNames[] = {
    "stat",      "name-taken", "open",   "read",   "create-temporary",
    "append",    "close",      "rename", "remove", "create-folder",
    "create-new"};

// Reads and writes go straight to the file system's map, so tests see
// partial files.
class FakeFile : public ReadableFile, public WritableFile {
 public:
  FakeFile(FakeFileSystem& fs, std::string path)
      : fs_(fs), path_(std::move(path)) {}

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
    return fs_.Enter(Op::kClose, path_);
  }
  const std::string& path() const override { return path_; }

 private:
  FakeFileSystem& fs_;
  std::string path_;
};

}  // namespace

void FakeFileSystem::AddFile(const std::string& path, std::string content) {
  auto lock = Lock();
  AddFolder(ParentFolder(path));
  files_[path] = Node{false, std::move(content)};
}

void FakeFileSystem::AddFolder(const std::string& path) {
  auto lock = Lock();
  if (path == "." || path.empty()) return;
  if (path != "/") AddFolder(ParentFolder(path));
  files_[path] = Node{true, {}};
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
    if (!node.folder) paths.push_back(path);
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
  auto lock = Lock();
  auto it = files_.find(path);
  if (it == files_.end() || it->second.folder) return nullptr;
  return &it->second.content;
}

std::unique_lock<std::recursive_mutex> FakeFileSystem::Lock() const {
  return std::unique_lock(mutex_);
}

bool FakeFileSystem::FolderExists(const std::string& path) const {
  auto it = files_.find(path);
  return path == "." || (it != files_.end() && it->second.folder);
}

Result<FileStatus> FakeFileSystem::Stat(const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kStat, path); !s.ok()) return s;
  auto it = files_.find(path);
  if (it == files_.end()) return FailureCode::kFileNotFound;
  return FileStatus{
      .kind = it->second.folder ? FileKind::kDirectory : FileKind::kRegular,
      .size = it->second.content.size(),
      .hidden = LastComponent(path).starts_with('.')};
}

Result<bool> FakeFileSystem::NameTaken(const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kNameTaken, path); !s.ok()) return s;
  return Exists(path);
}

Result<std::unique_ptr<ReadableFile>> FakeFileSystem::OpenForRead(
    const std::string& path) {
  auto lock = Lock();
  if (Status s = Enter(Op::kOpenForRead, path); !s.ok()) return s;
  auto it = files_.find(path);
  if (it == files_.end()) {
    return FolderExists(ParentFolder(path)) ? FailureCode::kFileNotFound
                                            : FailureCode::kPathNotFound;
  }
  if (it->second.folder) return FailureCode::kPathFileAccessError;
  return std::unique_ptr<ReadableFile>(std::make_unique<FakeFile>(*this, path));
}

Result<std::unique_ptr<WritableFile>> FakeFileSystem::Create(
    const std::string& path) {
  if (!FolderExists(ParentFolder(path))) return FailureCode::kPathNotFound;
  if (Exists(path)) return FailureCode::kPathFileAccessError;
  files_[path] = Node{};
  return std::unique_ptr<WritableFile>(std::make_unique<FakeFile>(*this, path));
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
  if (!Exists(from)) return Status(FailureCode::kFileNotFound);
  if (FolderExists(to)) return Status(FailureCode::kPathFileAccessError);
  files_[to] = std::move(files_[from]);
  files_.erase(from);
  return Status::Ok();
}

Status FakeFileSystem::ReplaceTogether(
    std::span<const Replacement> replacements) {
  auto lock = Lock();
  const std::map<std::string, Node> before = files_;
  for (const Replacement& r : replacements) {
    if (Status status = Rename(r.from, r.to); !status.ok()) {
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
  if (Exists(path)) return Status(FailureCode::kPathFileAccessError);
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
  return Create(path);
}

}  // namespace mirlot

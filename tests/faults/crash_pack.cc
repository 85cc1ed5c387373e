// crash_pack N LIST [move|move-fail FOLDER TO]: packs LIST as `mirlot pack`
// does through the host's file system, but ends the process at once, as a
// kill would, when the output folder is about to make its N-th operation;
// each output's move is an operation of its own. The crash rows run it
// where no tracer reaches the file operations (wine makes its moves inside
// wineserver). With "move", the N-th operation instead finds FOLDER renamed
// to TO and an empty folder in its place (as a link swapped in the path
// would leave it), and prints "moved" or "not moved"; "move-fail" also
// fails the operation after it with 75. Exits with 0 when the run is done,
// else 1.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "packing/packing_run.h"
#include "runtime/file_system.h"
#include "support/packing_fixtures.h"

#ifdef _WIN32
#include <windows.h>

#include "runtime/windows_file_system.h"
#else
#include <csignal>

#include "runtime/posix_file_system.h"
#endif

namespace mirlot {
namespace {

namespace fs = std::filesystem;

int operations_left = 0;
std::string action;  // "" (kill), "move" or "move-fail"
fs::path folder, moved_to;

// Counts an operation; true when it is to fail instead.
bool Tick() {
  --operations_left;
  if (operations_left == -1) return action == "move-fail";
  if (operations_left != 0) return false;
  if (action.empty()) {
#ifdef _WIN32
    ::TerminateProcess(::GetCurrentProcess(), 137);
#else
    std::raise(SIGKILL);
#endif
  }
  std::error_code error;
  fs::rename(folder, moved_to, error);
  if (!error) fs::create_directory(folder);
  std::cout << (error ? "not moved" : "moved") << std::endl;
  return false;
}

// Makes `call` the next operation, or fails it with 75 instead.
template <typename Call>
auto Step(Call call) -> decltype(call()) {
  if (Tick()) return Status(FailureCode::kPathFileAccessError);
  return call();
}

// The commit record, whose writes count as operations too, so that a kill
// can leave it empty or unsynced.
class KillingExclusiveFile : public ExclusiveFile {
 public:
  explicit KillingExclusiveFile(std::unique_ptr<ExclusiveFile> file)
      : file_(std::move(file)) {}
  Status Append(std::string_view data) override {
    return Step([&] { return file_->Append(data); });
  }
  Status Sync() override {
    return Step([&] { return file_->Sync(); });
  }

 private:
  std::unique_ptr<ExclusiveFile> file_;
};

class KillingFolder : public Folder {
 public:
  explicit KillingFolder(std::unique_ptr<Folder> folder)
      : folder_(std::move(folder)) {}
  std::unique_ptr<FolderLock> TryLock(LockKind kind) override {
    (void)Tick();  // a lock that fails would be waited for
    return folder_->TryLock(kind);
  }
  void RemoveStaleTemporaries(
      std::span<const std::string_view> final_names) override {
    if (!Tick()) folder_->RemoveStaleTemporaries(final_names);
  }
  Result<std::optional<FileStatus>> StatName(const std::string& name) override {
    return Step([&] { return folder_->StatName(name); });
  }
  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& name) override {
    return Step([&] { return folder_->OpenForRead(name); });
  }
  using Folder::CreateTemporary;
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name, const std::string& stem) override {
    return Step([&] { return folder_->CreateTemporary(final_name, stem); });
  }
  Result<std::unique_ptr<ExclusiveFile>> CreateExclusive(
      const std::string& name) override {
    auto file = Step([&] { return folder_->CreateExclusive(name); });
    if (!file.ok()) return file;
    return std::unique_ptr<ExclusiveFile>(
        std::make_unique<KillingExclusiveFile>(std::move(*file)));
  }
  Result<std::unique_ptr<LockableFile>> OpenLockable(
      const std::string& name) override {
    return Step([&] { return folder_->OpenLockable(name); });
  }
  Status SyncClosedFiles() override {
    return Step([&] { return folder_->SyncClosedFiles(); });
  }
  Result<std::vector<std::string>> ReplaceTogether(
      std::span<const Replacement> replacements) override {
    std::vector<std::string> formers;
    for (const Replacement& one : replacements) {
      auto moved = Step([&] { return folder_->ReplaceTogether({&one, 1}); });
      if (!moved.ok()) return moved.status();
      formers.insert(formers.end(), moved->begin(), moved->end());
    }
    return formers;
  }
  Status MoveOnto(const std::string& from, const std::string& to) override {
    return Step([&] { return folder_->MoveOnto(from, to); });
  }
  Status MoveWithoutReplacing(const std::string& from,
                              const std::string& to) override {
    return Step([&] { return folder_->MoveWithoutReplacing(from, to); });
  }
  Status Remove(const std::string& name) override {
    return Step([&] { return folder_->Remove(name); });
  }
  Status SyncNames() override {
    return Step([&] { return folder_->SyncNames(); });
  }

 private:
  std::unique_ptr<Folder> folder_;
};

#ifdef _WIN32
using HostKind = WindowsFileSystem;
#else
using HostKind = PosixFileSystem;
#endif

// The host's file system, its folders counting their operations.
class KillingFileSystem : public HostKind {
 public:
  Result<std::unique_ptr<Folder>> OpenFolder(const std::string& path) override {
    Result<std::unique_ptr<Folder>> folder = HostKind::OpenFolder(path);
    if (!folder.ok()) return folder;
    return std::unique_ptr<Folder>(
        std::make_unique<KillingFolder>(std::move(*folder)));
  }
};

}  // namespace
}  // namespace mirlot

int main(int argc, char** argv) {
  if (argc != 3 && argc != 6) return 2;
  mirlot::operations_left = std::atoi(argv[1]);
  if (argc == 6) {
    mirlot::action = argv[3];
    mirlot::folder = argv[4];
    mirlot::moved_to = argv[5];
  }
  mirlot::KillingFileSystem file_system;
  return mirlot::PackList(file_system, argv[2]) != mirlot::RunOutcome::kDone;
}

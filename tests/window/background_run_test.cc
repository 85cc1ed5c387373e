// A run from the window for which no thread can be started fails as a run
// short of memory does, with its message, and neither packs nor serves.
#include "window/background_run.h"

#include <gtest/gtest.h>

#include "runtime/file_system.h"

namespace mirlot {
namespace {

class StubHost : public RunHost {
 public:
  void CallOnWindowThread(const std::function<void()>& task) override {
    task();
  }
  void WakeWindowThread() override {}
  void Serve(const ServeCalls&) override { ADD_FAILURE() << "served"; }
  std::unique_ptr<ProgressView> OpenProgress(std::function<void()>) override {
    return nullptr;
  }
};

TEST(BackgroundRunTest, NoThreadForTheRunFailsAsOutOfMemory) {
  StubHost host;
  std::string shown;
  const auto show = [&shown](const WindowMessage& message) {
    shown += message.title + "|" + message.text + "|" + message.detail + ";";
  };
  BackgroundRun run(host, {}, show, [](auto) { return std::nullopt; });
  EXPECT_EQ(run.Run({"list.txt"}, HostFileSystem()), RunOutcome::kFailed);
  EXPECT_EQ(shown, "Mirlot utility|Ошибка 7Out of memory|;");
}

}  // namespace
}  // namespace mirlot

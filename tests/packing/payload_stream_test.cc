#include "packing/payload_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using Op = FakeFileSystem::Op;
using Strings = std::vector<std::string>;

// Members "/d/a", "/d/b", … holding 50 bytes of head, a payload and 4 of
// tail, named by a list (on a file system of its own, so that `fs` records
// only the members); fills blocks of 4 bytes from the runs (of at most two
// members) of `lane` of `lanes` until the stream ends, or fails with the number
// that ends the list. A block that ends a run ends with "|".
Strings Drain(FakeFileSystem& fs, const Strings& payloads, std::size_t lane = 0,
              std::size_t lanes = 1) {
  EntryTable table;
  std::string names;
  for (std::size_t i = 0; i < payloads.size(); ++i) {
    const std::string path = "/d/" + std::string(1, char('a' + i));
    fs.AddFile(path, std::string(50, 'h') + payloads[i] + "tail");
    table.push_back({54 + payloads[i].size(), NameKey(path), {}});
    names += path + "\n";
  }
  FakeFileSystem lists;
  lists.AddFile("/l", names);
  const ContainerLayout layout = *PlanContainer(table);
  auto list = lists.OpenForRead("/l");
  const std::vector<std::size_t> runs = CopyRuns(layout, 4, 2);
  PayloadStream stream(fs, "/", **list, table, layout, runs, lane, lanes);
  Strings blocks;
  std::string block(4, '\0');
  for (;;) {
    Result<BlockPipeline::Filled> filled = stream.Fill(block);
    if (!filled.ok())
      blocks.push_back(std::to_string(filled.status().number()));
    if (!filled.ok() || filled->stream_ends) return blocks;
    blocks.push_back(block.substr(0, filled->size) +
                     (filled->run_ends ? "|" : ""));
  }
}

// `fs`'s calls, member by member: "a:or b:o" for an open and a read of /d/a,
// then an open of /d/b.
std::string Calls(const FakeFileSystem& fs) {
  std::string shown;
  char member = 0;
  for (const std::string& call : fs.calls()) {
    if (call.back() != member) {
      member = call.back();
      shown += (shown.empty() ? "" : " ") + std::string{member, ':'};
    }
    shown += call.front();
  }
  return shown;
}

// Runs gather members whose payloads fit a block, two at the most; a larger
// payload is a run of its own. A stream that reads every other run passes over
// the members of the others without opening them. Members with empty payloads
// are opened, and place nothing.
TEST(PayloadStreamTest, GathersMembersIntoRunsInListOrder) {
  const Strings four = {"abc", "", "defghij", "k"};
  const struct {
    Strings payloads;
    std::size_t lane, lanes;
    Strings blocks;
    std::string calls;
  } cases[] = {
      {four, 0, 1, {"abc|", "defg", "hij|", "k|"}, "a:or b:o c:orr d:or"},
      {four, 1, 2, {"defg", "hij|"}, "c:orr"},
      {four, 0, 2, {"abc|", "k|"}, "a:or b:o d:or"},
      {{"ab", "cd", "e"}, 0, 2, {"abcd|"}, "a:or b:or"},
      {{"abcd"}, 0, 1, {"abcd|"}, "a:or"},
      {{"a", "b", "c"}, 1, 2, {"c|"}, "c:or"},
      {{"", ""}, 0, 1, {"|"}, "a:o b:o"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    FakeFileSystem fs;
    EXPECT_EQ(Drain(fs, c.payloads, c.lane, c.lanes), c.blocks);
    EXPECT_EQ(Calls(fs), c.calls);
  }
}

// Member b is 60 bytes when measured; when it is opened or read it has
// vanished (size -1), shrunk into its payload (52) or lost its tail (59), or
// the read fails (60).
TEST(PayloadStreamTest, StopsAtTheFirstProblemInListOrder) {
  const struct {
    Op when;
    int size;
    Strings blocks;
  } cases[] = {{Op::kOpenForRead, -1, {"abcd", "ef|", "53"}},
               {Op::kOpenForRead, 59, {"abcd", "ef|", "62"}},
               {Op::kRead, 52, {"abcd", "ef|", "62"}},
               {Op::kRead, 60, {"abcd", "ef|", "70"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    FakeFileSystem fs;
    fs.before_each = [&fs, &c](Op op, const std::string& path) {
      if (op != c.when || path != "/d/b") return;
      if (c.size < 0) fs.FailOn(op, path, Status(FailureCode::kFileNotFound));
      if (c.size == 60) fs.FailOn(op, path, Status(70, "Denied"));
      if (c.size >= 0 && c.size < 60)
        fs.AddFile(path, std::string(c.size, 'h'));
    };
    EXPECT_EQ(Drain(fs, {"abcdef", "ghijkl", "mn"}), c.blocks);
    EXPECT_EQ(Calls(fs).find('c'), std::string::npos);
  }
}

}  // namespace
}  // namespace mirlot

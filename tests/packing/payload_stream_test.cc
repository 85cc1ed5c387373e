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
// only the members); fills blocks of `block_size` until the stream ends, or
// fails with the number that ends the list.
Strings Drain(FakeFileSystem& fs, const Strings& payloads,
              std::size_t block_size) {
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
  PayloadStream stream(fs, "/", **list, table, layout);
  Strings blocks;
  std::string block(block_size, '\0');
  for (;;) {
    Result<std::size_t> placed = stream.Fill(block);
    if (!placed.ok())
      blocks.push_back(std::to_string(placed.status().number()));
    if (!placed.ok() || *placed == 0) return blocks;
    blocks.push_back(block.substr(0, *placed));
  }
}

TEST(PayloadStreamTest, GathersMembersIntoFullBlocksInListOrder) {
  const struct {
    Strings payloads;
    std::size_t block_size;
    Strings blocks, calls;
  } cases[] = {
      // clang-format off
      {{"abc", "", "defghij", "k"}, 4, {"abcd", "efgh", "ijk"}, {"open /d/a", "read /d/a", "open /d/b", "open /d/c", "read /d/c", "read /d/c", "read /d/c", "open /d/d", "read /d/d"}},
      // clang-format on
      {{"abcd"}, 4, {"abcd"}, {"open /d/a", "read /d/a"}},
      // Members with empty payloads are opened, and place nothing.
      {{"", ""}, 8, {}, {"open /d/a", "open /d/b"}},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    EXPECT_EQ(Drain(fs, c.payloads, c.block_size), c.blocks);
    EXPECT_EQ(fs.calls(), c.calls);
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
  } cases[] = {{Op::kOpenForRead, -1, {"abcd", "53"}},
               {Op::kOpenForRead, 59, {"abcd", "62"}},
               {Op::kRead, 52, {"abcd", "efhh", "62"}},
               {Op::kRead, 60, {"abcd", "70"}}};
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
    EXPECT_EQ(Drain(fs, {"abcdef", "ghijkl", "mn"}, 4), c.blocks);
    for (const std::string& call : fs.calls()) EXPECT_NE(call, "open /d/c");
  }
}

}  // namespace
}  // namespace mirlot

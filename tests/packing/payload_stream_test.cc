#include "packing/payload_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

// Members on a fake file system, and the stream over them.
struct Members {
  // Adds a member file: 50 bytes of head, `payload`, 4 bytes of tail.
  void Add(const std::string& path, const std::string& payload) {
    fs.AddFile(path, std::string(50, 'h') + payload + "tail");
    table.push_back({.name = path, .member_size = 54 + payload.size()});
  }

  // Fills blocks of `block_size` until the stream ends or fails. Returns the
  // blocks; `failure` holds the failure, if any.
  std::vector<std::string> Drain(std::size_t block_size, Status& failure) {
    layout = *PlanContainer(table);
    PayloadStream stream(fs, "/", table, layout);
    std::vector<std::string> blocks;
    std::string block(block_size, '\0');
    for (;;) {
      Result<std::size_t> placed = stream.Fill(block);
      if (!placed.ok()) {
        failure = placed.status();
        return blocks;
      }
      if (*placed == 0) return blocks;
      blocks.push_back(block.substr(0, *placed));
    }
  }

  bool Opened(const std::string& path) const {
    return std::count(fs.calls().begin(), fs.calls().end(), "open " + path) > 0;
  }

  FakeFileSystem fs;
  EntryTable table;
  ContainerLayout layout;
};

TEST(PayloadStreamTest, GathersMembersIntoFullBlocksInListOrder) {
  Members members;
  members.Add("/d/a", "abc");
  members.Add("/d/empty", "");
  members.Add("/d/b", "defghij");
  members.Add("/d/c", "k");
  Status failure;
  EXPECT_EQ(members.Drain(4, failure),
            (std::vector<std::string>{"abcd", "efgh", "ijk"}));
  EXPECT_TRUE(failure.ok());
  EXPECT_EQ(members.fs.calls(),
            (std::vector<std::string>{"open /d/a", "read /d/a", "open /d/empty",
                                      "open /d/b", "read /d/b", "read /d/b",
                                      "read /d/b", "open /d/c", "read /d/c"}));
}

TEST(PayloadStreamTest, EndsAfterAnExactlyFullBlock) {
  Members members;
  members.Add("/d/a", "abcd");
  Status failure;
  EXPECT_EQ(members.Drain(4, failure), (std::vector<std::string>{"abcd"}));
  EXPECT_TRUE(failure.ok());
}

TEST(PayloadStreamTest, OpensMembersWithEmptyPayloadsAndPlacesNothing) {
  Members members;
  members.Add("/d/a", "");
  members.Add("/d/b", "");
  Status failure;
  EXPECT_TRUE(members.Drain(8, failure).empty());
  EXPECT_TRUE(failure.ok());
  EXPECT_EQ(members.fs.calls(),
            (std::vector<std::string>{"open /d/a", "open /d/b"}));
}

TEST(PayloadStreamTest, StopsAtTheFirstProblemInListOrder) {
  struct Case {
    const char* name;
    std::function<void(FakeFileSystem&)> spoil;
    std::vector<std::string> blocks_before;
    int failure;
  };
  const std::vector<Case> cases = {
      {"member vanished",
       [](FakeFileSystem& fs) { fs.RemoveFile("/d/b"); },
       {"abcd"},
       53},
      {"member shrank into its payload",
       [](FakeFileSystem& fs) { fs.AddFile("/d/b", std::string(52, 'h')); },
       {"abcd"},
       62},
      {"member lost its tail",
       [](FakeFileSystem& fs) {
         fs.AddFile("/d/b", std::string(50, 'h') + "ghijkl" + "tai");
       },
       {"abcd"},
       62},
      {"member shrank while being read",
       [](FakeFileSystem& fs) {
         fs.before_each = [&fs](FakeFileSystem::Op op,
                                const std::string& path) {
           if (op == FakeFileSystem::Op::kRead && path == "/d/b") {
             fs.AddFile("/d/b", std::string(52, 'h'));
           }
         };
       },
       {"abcd", "efhh"},
       62},
      {"read failed",
       [](FakeFileSystem& fs) {
         fs.FailOn(FakeFileSystem::Op::kRead, "/d/b", Status(70, "Denied"));
       },
       {"abcd"},
       70},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Members members;
    members.Add("/d/a", "abcdef");
    members.Add("/d/b", "ghijkl");
    members.Add("/d/c", "mn");
    c.spoil(members.fs);
    Status failure;
    EXPECT_EQ(members.Drain(4, failure), c.blocks_before);
    EXPECT_EQ(failure.number(), c.failure);
    EXPECT_FALSE(members.Opened("/d/c"));
  }
}

}  // namespace
}  // namespace mirlot

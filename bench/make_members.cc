// Writes a benchmark data set: COUNT member files of random bytes, with
// sizes drawn from [MIN, MAX], and a list file naming them in order.
//
//   mirlot_make_members FOLDER COUNT MIN MAX SEED
//
// The same arguments always give the same files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kChunkSize = 1024 * 1024;

bool WriteMember(const std::string& path, std::uint64_t size,
                 std::mt19937_64& random, std::vector<std::uint64_t>& chunk) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = true;
  while (size > 0 && ok) {
    for (std::uint64_t& word : chunk) word = random();
    const std::size_t bytes =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kChunkSize));
    ok = std::fwrite(chunk.data(), 1, bytes, file) == bytes;
    size -= bytes;
  }
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s FOLDER COUNT MIN MAX SEED\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const unsigned long count = std::strtoul(argv[2], nullptr, 10);
  const std::uint64_t min = std::strtoull(argv[3], nullptr, 10);
  const std::uint64_t max = std::strtoull(argv[4], nullptr, 10);
  std::mt19937_64 random(std::strtoull(argv[5], nullptr, 10));
  if (min > max) {
    std::fprintf(stderr, "MIN must not exceed MAX\n");
    return 2;
  }
  std::vector<std::uint64_t> chunk(kChunkSize / sizeof(std::uint64_t));
  std::string list;
  for (unsigned long k = 0; k < count; ++k) {
    char name[24];
    std::snprintf(name, sizeof name, "m%05lu", k);
    // A plain modulo keeps the sizes the same on every standard library.
    const std::uint64_t size = min + random() % (max - min + 1);
    if (!WriteMember(folder + "/" + name, size, random, chunk)) {
      std::perror(name);
      return 1;
    }
    list += name;
    list += '\n';
  }
  std::FILE* file = std::fopen((folder + "/list.txt").c_str(), "wb");
  if (file == nullptr ||
      std::fwrite(list.data(), 1, list.size(), file) != list.size() ||
      std::fclose(file) != 0) {
    std::perror("list.txt");
    return 1;
  }
  return 0;
}

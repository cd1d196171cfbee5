// Cost of opening and indexing a large archive, and of reading one big entry against memcpy.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "archive/Scramble.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kBigEntryBytes = 64u << 20;

void PutWord(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  value ^= archive::kArchiveKey;
  for (size_t b = 0; b < 4; ++b) bytes[offset + b] = static_cast<uint8_t>(value >> (8 * b));
}

// An archive of the given plain files, written the way the packer lays it out.
void WriteArchive(const fs::path& path, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files) {
  std::vector<uint8_t> bytes(8 + 136 * files.size(), 0);
  for (size_t i = 0; i < files.size(); ++i) {
    const size_t at = 8 + 136 * i;
    std::memcpy(bytes.data() + at, files[i].first.data(), files[i].first.size());
    for (size_t w = 0; w < 128; w += 4) {
      uint32_t word;
      std::memcpy(&word, bytes.data() + at + w, 4);
      PutWord(bytes, at + w, word);
    }
    PutWord(bytes, at + 128, static_cast<uint32_t>(files[i].second.size()));
    PutWord(bytes, at + 132, static_cast<uint32_t>(bytes.size()));
    std::vector<uint8_t> stored = files[i].second;
    archive::ScrambleStoredFile(stored.data(), stored.size());
    bytes.insert(bytes.end(), stored.begin(), stored.end());
  }
  PutWord(bytes, 0, static_cast<uint32_t>(bytes.size()));
  PutWord(bytes, 4, static_cast<uint32_t>(files.size()));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A scratch game folder holding one archive, made the working directory for the benchmark.
class ScratchGame {
 public:
  explicit ScratchGame(const char* tag) {
    path_ = fs::temp_directory_path() / (std::string("km-bench-") + tag + "-" + std::to_string(::getpid()));
    fs::create_directories(path_);
    previous_ = fs::current_path();
    fs::current_path(path_);
  }
  ~ScratchGame() {
    archive::resetArchiveSet();
    fs::current_path(previous_);
    std::error_code error;
    fs::remove_all(path_, error);
  }
  fs::path archivePath() const { return path_ / "data.pkg"; }

 private:
  fs::path path_, previous_;
};

void BM_OpenArchives10000Entries(benchmark::State& state) {
  ScratchGame game("open");
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  for (int i = 0; i < 10000; ++i) {
    files.emplace_back("chara\\st" + std::to_string(i) + ".png", std::vector<uint8_t>(64, static_cast<uint8_t>(i)));
  }
  WriteArchive(game.archivePath(), files);
  for (auto _ : state) {
    archive::resetArchiveSet();
    benchmark::DoNotOptimize(archive::OpenArchives());
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_OpenArchives10000Entries)->Unit(benchmark::kMillisecond);

// A scratch game with one archive holding a 64 MiB entry, opened.
class BigEntryGame : public ScratchGame {
 public:
  BigEntryGame() : ScratchGame("read") {
    std::vector<uint8_t> content(kBigEntryBytes);
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    WriteArchive(archivePath(), {{"movie.ogv", content}});
    archive::OpenArchives();
  }
};

// What a reader pays: a fresh buffer per read, so the new pages fault in as they are written.
void BM_ReadStoredFile64MiB(benchmark::State& state) {
  BigEntryGame game;
  for (auto _ : state) {
    std::vector<uint8_t> bytes;
    archive::ReadStoredFile("movie.ogv", bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBigEntryBytes));
}
BENCHMARK(BM_ReadStoredFile64MiB)->Unit(benchmark::kMillisecond);

// A reader that keeps its buffer between reads: the copy and unscramble pass plus the view.
void BM_ReadStoredFile64MiBReusedBuffer(benchmark::State& state) {
  BigEntryGame game;
  std::vector<uint8_t> bytes;
  archive::ReadStoredFile("movie.ogv", bytes);
  for (auto _ : state) {
    archive::ReadStoredFile("movie.ogv", bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBigEntryBytes));
}
BENCHMARK(BM_ReadStoredFile64MiBReusedBuffer)->Unit(benchmark::kMillisecond);

void BM_Memcpy64MiB(benchmark::State& state) {
  std::vector<uint8_t> source(kBigEntryBytes, 0x5A), destination(kBigEntryBytes);
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), kBigEntryBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBigEntryBytes));
}
BENCHMARK(BM_Memcpy64MiB)->Unit(benchmark::kMillisecond);

// The same copy into a buffer allocated per copy, as ReadStoredFile's fresh buffer is.
void BM_Memcpy64MiBFreshBuffer(benchmark::State& state) {
  std::vector<uint8_t> source(kBigEntryBytes, 0x5A);
  for (auto _ : state) {
    std::unique_ptr<uint8_t[]> destination(new uint8_t[kBigEntryBytes]);
    std::memcpy(destination.get(), source.data(), kBigEntryBytes);
    benchmark::DoNotOptimize(destination.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBigEntryBytes));
}
BENCHMARK(BM_Memcpy64MiBFreshBuffer)->Unit(benchmark::kMillisecond);

}  // namespace

// The archive key's passes on short and long files, and the event scripts' name-keyed layer.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "archive/Scramble.h"
#include "support/TestArchive.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

// Key bytes in little-endian order: E3 94 2D 6B.
TEST(UnscrambleStoredFile, HandComputedBytes) {
  struct Case {
    std::vector<uint8_t> stored, plain;
  };
  const Case cases[] = {
      // 1 byte: no word, no tail: left as stored.
      {Bytes({0x41}), Bytes({0x41})},
      // 3 bytes: byte 0 kept, bytes 1 and 2 with key bytes 0 and 1.
      {Bytes({0x10, 0x20, 0x30}), Bytes({0x10, 0x20 ^ 0xE3, 0x30 ^ 0x94})},
      // 4 bytes: the word pass needs an offset below 0, so it is all tail, starting at byte 1.
      {Bytes({0x00, 0x00, 0x00, 0x00}), Bytes({0x00, 0xE3, 0x94, 0x2D})},
      // 5 bytes: one word, then byte 4 with key byte 0.
      {Bytes({0x01, 0x02, 0x03, 0x04, 0x05}), Bytes({0xE2, 0x96, 0x2E, 0x6F, 0xE6})},
      // 8 bytes: the second word is left to the tail pass, which continues the pattern.
      {Bytes({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}), Bytes({0xA2, 0xD6, 0x6E, 0x2F, 0xA6, 0xD2, 0x6A, 0x23})},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> inPlace = c.stored;
    archive::UnscrambleStoredFile(inPlace.data(), inPlace.size());
    EXPECT_EQ(inPlace, c.plain) << "n = " << c.stored.size();

    std::vector<uint8_t> copied = {9, 9, 9, 9, 9, 9, 9, 9, 9};  // replaced, not appended to
    archive::CopyUnscrambled(c.stored.data(), c.stored.size(), copied);
    EXPECT_EQ(copied, c.plain) << "copying, n = " << c.stored.size();
  }
}

// The one-pass copy the reader uses must give the two passes' bytes for every length, including
// lengths around the 8-byte steps of its wide loop and its 16 KiB chunks, and scrambling must
// undo unscrambling.
TEST(UnscrambleStoredFile, CopyAndScrambleAgreeWithTheTwoPassesForEveryLength) {
  std::mt19937 random(20240611);
  std::vector<size_t> lengths = {16383, 16384, 16385, 2 * 16384 + 3};
  for (size_t n = 0; n <= 70; ++n) lengths.push_back(n);
  for (size_t n : lengths) {
    std::vector<uint8_t> stored(n);
    for (uint8_t& b : stored) b = static_cast<uint8_t>(random());
    std::vector<uint8_t> inPlace = stored;
    archive::UnscrambleStoredFile(inPlace.data(), n);
    std::vector<uint8_t> copied;
    archive::CopyUnscrambled(stored.data(), n, copied);
    EXPECT_EQ(copied, inPlace) << "n = " << n;

    const std::string plain(inPlace.begin(), inPlace.end());
    EXPECT_EQ(archivetest::StoredForm(plain), std::string(stored.begin(), stored.end())) << "n = " << n;
    archive::ScrambleStoredFile(inPlace.data(), n);
    EXPECT_EQ(inPlace, stored) << "n = " << n;
  }
}

TEST(EventScriptLayer, KeyFromTheRequestedName) {
  struct Case {
    const char* name;
    size_t n;
    uint16_t key;
  };
  const Case cases[] = {
      // Odd length: "a." + "ev" = 0x2E61 + 0x7665; the final 't' is left out.
      {"a.evt", 3, 0xA4C9},
      // Even length: 0x6261 + 0x652E + 0x7476 wraps to 0x3C05, then + n.
      {"ab.evt", 4, 0x3C09},
      {"ab.evt", 0x10000 + 4, 0x3C09},
      // Only the part after the last '\' counts...
      {"scenario\\ab.evt", 4, 0x3C09},
      // ... and '/' is not a separator here.
      {"dir/ab.evt", 4, 0xD4DF},
      {"", 7, 7},
      {"x", 7, 7},
  };
  for (const Case& c : cases) EXPECT_EQ(archive::EventScriptKey(c.name, c.n), c.key) << c.name << " n=" << c.n;
}

TEST(EventScriptLayer, PlainTextStaysAndOtherTextIsUndone) {
  struct Case {
    std::string name, text;
    bool transformed;
    std::string result;
  };
  const Case cases[] = {
      {"a.evt", "abc\n", false, "abc\n"},
      {"a.evt", "abc\r\n", false, "abc\r\n"},
      {"a.evt", "abc\nX", false, "abc\nX"},  // a line feed one before the end also means plain
      {"a.evt", "\n", false, "\n"},
      {"a.evt", "", false, ""},
      // Key 0xA4C9: the word at 0 changes, the odd last byte does not.
      {"a.evt", "XYZ", true, "\x91\xFD\x5A"},
      {"ab.evt", "ABCD", true, "\x48\x7E\x4A\x78"},
      {"a.evt", "X", true, "X"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> text(c.text.begin(), c.text.end());
    EXPECT_EQ(archive::UndoEventScriptLayer(c.name, text.data(), text.size()), c.transformed) << c.text;
    EXPECT_EQ(archivetest::AsString(text), c.result) << c.text;
  }
}

TEST(EventScriptLayer, PackingThenReadingGivesTheTextBack) {
  const std::string plain = "@[WaitClick]\r\n終了しますか？";  // no line feed at the end
  std::vector<uint8_t> text(plain.begin(), plain.end());
  archive::ApplyEventScriptLayer("0first.evt", text.data(), text.size());
  ASSERT_FALSE(archive::IsPlainEventScript(text.data(), text.size()));
  EXPECT_TRUE(archive::UndoEventScriptLayer("0first.evt", text.data(), text.size()));
  EXPECT_EQ(archivetest::AsString(text), plain);
}

}  // namespace

// Text a machine word (8 bytes) at a time: copying it, and scanning which bytes of a word equal
// a value or lie below one. Each test is non-zero exactly when some byte of the word qualifies; only the
// lowest flagged byte is exact, so a caller finds the byte itself by looking at the word's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orlix::wordscan {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

inline std::uint64_t Load(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The `count` (below 8) bytes at `p` as a word, the rest zero bytes.
inline std::uint64_t LoadPartial(const char* p, std::size_t count) {
  std::uint64_t word = 0;
  for (std::size_t k = count; k > 0; --k) word = (word << 8) | static_cast<unsigned char>(p[k - 1]);
  return word;
}

// Some byte equals `byte`.
inline std::uint64_t Equal(std::uint64_t word, unsigned char byte) {
  const std::uint64_t x = word ^ (kOnes * byte);
  return (x - kOnes) & ~x & kHighs;
}

// Some byte is below `limit` (at most 0x80).
inline std::uint64_t Below(std::uint64_t word, unsigned char limit) { return (word - kOnes * limit) & ~word & kHighs; }

// Index (0 to 7) of the first byte in memory order that a non-zero result of the tests above
// (or of several, or-ed) flags. Words are loaded little-endian, as on every target.
inline unsigned FirstFlagged(std::uint64_t flags) {
  const std::uint64_t lowest = (flags & (~flags + 1)) >> 7;  // 1 << (8 * index)
  return static_cast<unsigned>((lowest * 0x0001020304050607ull) >> 56);
}

// Copies `count` bytes to a place that does not overlap them, a word at a time, overlapping the
// last word with the one before rather than finishing byte by byte. Short copies stay inline:
// with msvcrt (under Wine too) every memcpy of unknown size is a call through the import table,
// which costs more than copying a name or a path itself.
inline void Copy(char* to, const char* from, std::size_t count) {
  if (count > 64) {
    std::memcpy(to, from, count);
  } else if (count >= 8) {
    std::size_t i = 0;
    for (; i + 8 < count; i += 8) std::memcpy(to + i, from + i, 8);
    std::memcpy(to + count - 8, from + count - 8, 8);
  } else if (count >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + count - 4, from + count - 4, 4);
  } else if (count > 0) {
    to[0] = from[0];
    to[count / 2] = from[count / 2];
    to[count - 1] = from[count - 1];
  }
}

// The place of the first `byte` among `size` bytes at `text`, or `size` when there is none. A
// register's width at a time rather than eight bytes: on a 32-bit target a 64-bit word takes two
// registers, and the component scan searches tens of thousands of short names and values.
inline std::size_t Find(const char* text, std::size_t size, unsigned char byte) {
  using Word = std::size_t;  // eight bytes or four: wider words would not fit a 32-bit register
  constexpr Word kOnes = ~Word{0} / 0xFF;
  constexpr Word kHighBits = kOnes * 0x80;
  // Multiplying the lowest flagged byte's bit 0 by this puts its index in the top byte.
  constexpr Word kIndexes = sizeof(Word) == 8 ? static_cast<Word>(0x0001020304050607ull) : static_cast<Word>(0x00010203u);
  const Word pattern = kOnes * byte;
  std::size_t i = 0;
  for (; i + sizeof(Word) <= size; i += sizeof(Word)) {
    Word word;
    std::memcpy(&word, text + i, sizeof word);
    word ^= pattern;
    // Exact for the lowest zero byte, the only one this needs (words are read little-endian).
    const Word zeros = (word - kOnes) & ~word & kHighBits;
    if (zeros != 0) return i + static_cast<std::size_t>((((zeros & (~zeros + 1)) >> 7) * kIndexes) >> (8 * sizeof(Word) - 8));
  }
  while (i < size && static_cast<unsigned char>(text[i]) != byte) ++i;
  return i;
}

}  // namespace orlix::wordscan

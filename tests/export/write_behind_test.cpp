#include "export/write_behind.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

using exporter::WriteBehind;

// Fills `count` buffers, each with its own letter and length, and submits
// them; returns what was submitted, in order.
std::string SubmitLetters(WriteBehind& writer, int count) {
  std::string expected;
  for (int i = 0; i < count; ++i) {
    char* buffer = writer.Acquire();
    const std::size_t size = 1000 + 4096 * static_cast<std::size_t>(i % 5);
    std::memset(buffer, 'a' + i % 26, size);
    expected.append(size, static_cast<char>('a' + i % 26));
    writer.Submit(buffer, size);
  }
  return expected;
}

TEST(WriteBehindTest, EveryBufferArrivesWholeAndInOrder) {
  std::string written;
  WriteBehind writer([&](const char* data, std::size_t size) { written.append(data, size); }, 4096);
  const std::string expected = SubmitLetters(writer, 40); // buffers go round many times
  writer.Drain();
  EXPECT_EQ(written, expected);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(writer.Acquire()) % 4096, 0u);
}

TEST(WriteBehindTest, AFailedWriteIsRethrownAndNothingAfterItIsWritten) {
  std::atomic<int> calls{0};
  WriteBehind writer(
      [&](const char*, std::size_t) {
        if (++calls == 2)
          throw std::runtime_error("disk full");
      },
      4096);
  EXPECT_THROW(
      {
        SubmitLetters(writer, 20);
        writer.Drain();
      },
      std::runtime_error);
  EXPECT_EQ(calls, 2);
  EXPECT_THROW(writer.Drain(), std::runtime_error); // the failure stays
}

TEST(WriteBehindTest, AnAbandonedOutputStopsWithWritesStillQueued) {
  std::atomic<int> calls{0};
  {
    WriteBehind writer([&](const char*, std::size_t) { ++calls; }, 4096);
    SubmitLetters(writer, 2);
  } // no Drain: must neither hang nor write into freed buffers
  EXPECT_LE(calls, 2);
}

} // namespace

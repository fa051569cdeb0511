#include "server/modem/receive_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace modem {
namespace {

TEST(ReceiveBuffer, TakesOldestBytesFirstAndAtMostTheLimit) {
  ReceiveBuffer buffer;
  EXPECT_EQ(buffer.Take(255), "");
  buffer.Append(std::string(300, 'a') + "tail");
  buffer.Append(std::string("\0z", 2));  // zero bytes are bytes like any other
  EXPECT_EQ(buffer.Take(255), std::string(255, 'a'));
  EXPECT_EQ(buffer.Take(45), std::string(45, 'a'));
  EXPECT_EQ(buffer.Take(0), "");
  EXPECT_EQ(buffer.Take(255), std::string("tail\0z", 6));
  EXPECT_EQ(buffer.Take(255), "");
  buffer.Append("again");
  EXPECT_EQ(buffer.Take(2), "ag");
  EXPECT_EQ(buffer.Take(255), "ain");
}

TEST(ReceiveBuffer, ManySmallTakesFromALargeBufferKeepTheOrder) {
  ReceiveBuffer buffer;
  std::string all;
  for (int i = 0; i < 20000; ++i) all += static_cast<char>('A' + i % 26);
  buffer.Append(all);
  std::string taken;
  for (std::string piece; !(piece = buffer.Take(7)).empty();) taken += piece;
  EXPECT_EQ(taken, all);
}

// A reader thread appends numbered pieces while this thread takes: every
// byte must come out exactly once and in order.
TEST(ReceiveBuffer, ConcurrentAppendAndTakeLoseAndReorderNothing) {
  constexpr int kPieces = 200000;
  ReceiveBuffer buffer;
  std::string expected;
  for (int i = 0; i < kPieces; ++i) expected += std::to_string(i) + ',';
  std::thread reader([&buffer] {
    for (int i = 0; i < kPieces; ++i) buffer.Append(std::to_string(i) + ',');
  });
  std::string taken;
  taken.reserve(expected.size());
  while (taken.size() < expected.size()) {
    std::string piece = buffer.Take(255);
    if (piece.empty()) std::this_thread::yield();
    taken += piece;
  }
  reader.join();
  EXPECT_EQ(buffer.Take(255), "");
  EXPECT_TRUE(taken == expected);
}

}  // namespace
}  // namespace modem

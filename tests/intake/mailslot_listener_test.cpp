#include "server/intake/mailslot_listener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/mailslot_writer.h"

namespace intake {
namespace {

constexpr char kSlot[] = R"(\\.\mailslot\TELLISTRY_TESTS\listener)";

// A message-only window that receives the listener's posts.
class Receiver {
 public:
  Receiver()
      : m_hwnd(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                 nullptr)) {}
  ~Receiver() { ::DestroyWindow(m_hwnd); }
  HWND Handle() const { return m_hwnd; }

  // Alert notifications posted so far, waiting until `expected` arrived or
  // the hang guard ran out, then a little longer for any surplus.
  int CountPosts(int expected) {
    const ULONGLONG end = ::GetTickCount64() + 10000;
    while (m_posts < expected && ::GetTickCount64() < end) Drain(50);
    Drain(300);
    return m_posts;
  }

 private:
  void Drain(DWORD waitMs) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_POSTMESSAGE);
    MSG msg;
    while (::PeekMessageA(&msg, m_hwnd, g_uAlertMessage, g_uAlertMessage, PM_REMOVE)) ++m_posts;
  }

  HWND m_hwnd;
  int m_posts = 0;
};

bool Send(std::uint32_t tick, const char* computer, const char* text) {
  return alert::WriteDatagramTo(kSlot, alert::BuildDatagram(tick, computer, text));
}

std::vector<std::string> PopAll(AlertQueue& queue) {
  std::vector<std::string> texts;
  std::string text;
  while (queue.Pop(text)) texts.push_back(text);
  return texts;
}

TEST(MailslotListener, QueuesEachAcceptedDatagramAndDropsRepeats) {
  Receiver receiver;
  AlertQueue queue;
  MailslotListener listener;
  ASSERT_EQ(listener.Start(receiver.Handle(), queue, kSlot), 0u);
  // A, A (its name in other case), B (same tick, other computer), A again.
  ASSERT_TRUE(Send(500, "HOST", "a\tAdmins\tfirst"));
  ASSERT_TRUE(Send(500, "host", "a\tAdmins\tfirst"));
  ASSERT_TRUE(Send(500, "OTHER", "b\tAdmins\tsecond"));
  ASSERT_TRUE(Send(500, "HOST", "a\tAdmins\tfirst"));
  ASSERT_TRUE(Send(501, "HOST", ""));  // an empty text is queued like any other
  EXPECT_EQ(receiver.CountPosts(4), 4);
  EXPECT_EQ(PopAll(queue), (std::vector<std::string>{"a\tAdmins\tfirst", "b\tAdmins\tsecond",
                                                     "a\tAdmins\tfirst", ""}));
  EXPECT_TRUE(listener.Stop());
}

TEST(MailslotListener, TwoAlertsInOneTickBothArriveAndCopiesOnce) {
  Receiver receiver;
  AlertQueue queue;
  MailslotListener listener;
  ASSERT_EQ(listener.Start(receiver.Handle(), queue, kSlot), 0u);
  ASSERT_TRUE(Send(700, "HOST", "a\tAdmins\tfirst"));
  ASSERT_TRUE(Send(700, "HOST", "a\tAdmins\tsecond"));
  // A copy of the second whose bytes after the NULs differ: still a copy.
  alert::DatagramBytes copy = alert::BuildDatagram(700, "host", "a\tAdmins\tsecond");
  std::fill(copy.begin() + alert::kTickSize + 5, copy.begin() + alert::kTextOffset, 'x');
  std::fill(copy.begin() + alert::kTextOffset + 17, copy.end(), 'y');
  ASSERT_TRUE(alert::WriteDatagramTo(kSlot, copy));
  EXPECT_EQ(receiver.CountPosts(2), 2);
  EXPECT_EQ(PopAll(queue),
            (std::vector<std::string>{"a\tAdmins\tfirst", "a\tAdmins\tsecond"}));
  EXPECT_TRUE(listener.Stop());
}

TEST(MailslotListener, DatagramsStillInTheMailslotAtStopReachTheQueue) {
  Receiver receiver;
  AlertQueue queue;
  MailslotListener listener;
  ASSERT_EQ(listener.Start(receiver.Handle(), queue, kSlot), 0u);
  // Through one handle, faster than the listener takes them: some are still
  // waiting when the stop comes.
  constexpr int kCount = 200;
  std::vector<std::string> written;
  {
    win::FileHandle writer(::CreateFileA(kSlot, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    for (int i = 0; i < kCount; ++i) {
      written.push_back("x\tAdmins\tlate " + std::to_string(i));
      const alert::DatagramBytes bytes = alert::BuildDatagram(9, "HOST", written.back());
      DWORD n = 0;
      ASSERT_TRUE(::WriteFile(writer.Get(), bytes.data(), alert::kDatagramSize, &n, nullptr));
    }
  }
  EXPECT_TRUE(listener.Stop());
  EXPECT_EQ(PopAll(queue), written);
}

TEST(MailslotListener, ShortMessageReadsItsMissingTailAsEmpty) {
  Receiver receiver;
  AlertQueue queue;
  MailslotListener listener;
  ASSERT_EQ(listener.Start(receiver.Handle(), queue, kSlot), 0u);
  win::FileHandle writer(::CreateFileA(kSlot, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer);
  const alert::DatagramBytes bytes = alert::BuildDatagram(7, "HOST", "x\ty\tcut here");
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(writer.Get(), bytes.data(), alert::kTextOffset + 5, &written, nullptr));
  writer.Reset();
  EXPECT_EQ(receiver.CountPosts(1), 1);
  EXPECT_EQ(PopAll(queue), std::vector<std::string>{"x\ty\tc"});
  EXPECT_TRUE(listener.Stop());
}

TEST(MailslotListener, StopReleasesTheBlockedReadPromptly) {
  Receiver receiver;
  AlertQueue queue;
  MailslotListener listener;
  ASSERT_EQ(listener.Start(receiver.Handle(), queue, kSlot), 0u);
  ::Sleep(200);  // let the thread block in its read
  EXPECT_TRUE(listener.Stop());  // false would mean the 10,000 ms bound ran out
  EXPECT_FALSE(listener.HasMailslot());
  EXPECT_EQ(queue.Count(), 0u);  // the wake-up is not an alert
  // The name is free again.
  EXPECT_EQ(listener.Start(receiver.Handle(), queue, kSlot), 0u);
  EXPECT_TRUE(listener.Stop());
}

TEST(MailslotListener, StopRightAfterStartEndsTheThread) {
  Receiver receiver;
  AlertQueue queue;
  for (int i = 0; i < 5; ++i) {
    MailslotListener listener;
    ASSERT_EQ(listener.Start(receiver.Handle(), queue, kSlot), 0u);
    EXPECT_TRUE(listener.Stop());
  }
}

TEST(MailslotListener, MailslotThatCannotBeCreatedStartsNoThread) {
  Receiver receiver;
  AlertQueue queue;
  MailslotListener first, second;
  ASSERT_EQ(first.Start(receiver.Handle(), queue, kSlot), 0u);
  EXPECT_NE(second.Start(receiver.Handle(), queue, kSlot), 0u);  // name already taken
  EXPECT_FALSE(second.HasMailslot());
  EXPECT_TRUE(second.Stop());  // nothing to stop
  EXPECT_TRUE(first.Stop());
}

}  // namespace
}  // namespace intake

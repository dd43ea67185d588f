#include "platform/unique_handle_win.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/scope_exit.h"

namespace orlix {
namespace {

std::string TempPath(const char* name) {
  char folder[MAX_PATH];
  ::GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

// A file opened to be deleted on close exists exactly as long as its one owner holds it.
TEST(UniqueHandle, ReleasesOnceAfterMovesAndLetsGoOnRelease) {
  const std::string path = TempPath("orlix_unique_handle.tmp");
  UniqueFile first(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  ASSERT_TRUE(first);
  UniqueFile second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_NE(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  second.reset();
  EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

  // A failed CreateFile (INVALID_HANDLE_VALUE) owns nothing.
  UniqueFile missing(::CreateFileA(TempPath("no\\such\\folder\\x").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   0, nullptr));
  EXPECT_FALSE(missing);

  UniqueKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  const HANDLE raw = event.release();
  EXPECT_FALSE(event);
  EXPECT_TRUE(::CloseHandle(raw));  // still open: release gave it up without closing
}

TEST(UniqueHandle, WindowLockIsHeldForItsScopeOnly) {
  UniqueHwnd a(::CreateWindowExA(0, "STATIC", "a", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
  UniqueHwnd b(::CreateWindowExA(0, "STATIC", "b", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(a && b);
  {
    const WindowUpdateLock lock(a.get());
    EXPECT_TRUE(lock.locked());
    const WindowUpdateLock other(b.get());
    EXPECT_FALSE(other.locked());  // one window at a time
  }
  const WindowUpdateLock again(b.get());
  EXPECT_TRUE(again.locked());
}

TEST(UniqueHandle, ScopeExitRunsUnlessDismissed) {
  int undone = 0;
  {
    const ScopeExit guard([&]() noexcept { ++undone; });
  }
  {
    ScopeExit guard([&]() noexcept { ++undone; });
    guard.Dismiss();
  }
  EXPECT_EQ(undone, 1);
}

}  // namespace
}  // namespace orlix

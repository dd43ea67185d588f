#include "platform/unique_handle_win.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/scope_exit.h"

namespace orlix {
namespace {

// A file opened to be deleted on close exists exactly as long as its one owner holds it; a failed
// CreateFile (INVALID_HANDLE_VALUE) owns nothing; release gives the handle up without closing it.
TEST(UniqueHandle, ReleasesOnceAfterMovesAndLetsGoOnRelease) {
  char folder[MAX_PATH];
  ::GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "orlix_unique_handle.tmp";
  UniqueFile first(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  ASSERT_TRUE(first);
  UniqueFile second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_NE(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  second.reset();
  EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(UniqueFile(::CreateFileA((path + "\\no\\x").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));

  UniqueKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  const HANDLE raw = event.release();
  EXPECT_FALSE(event);
  EXPECT_TRUE(::CloseHandle(raw));
}

TEST(UniqueHandle, ScopeExitRunsUnlessDismissed) {
  int undone = 0;
  { const ScopeExit guard([&]() noexcept { ++undone; }); }
  {
    ScopeExit guard([&]() noexcept { ++undone; });
    guard.Dismiss();
  }
  EXPECT_EQ(undone, 1);
}

}  // namespace
}  // namespace orlix

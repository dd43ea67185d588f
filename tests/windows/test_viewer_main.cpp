// A stand-in for a registered viewer: records how it was started, then exits.
// The record goes to the file named by ORLIX_TEST_VIEWER_LOG, written beside it first and moved
// into place at the end, so that a reader never sees half of it. Lines:
//   the full command line; the first argument; "exists" or "missing" for the file it names;
//   "showwindow=<wShowWindow>" when STARTF_USESHOWWINDOW was set, else "showwindow=none".
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  char log[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("ORLIX_TEST_VIEWER_LOG", log, MAX_PATH)) return 2;
  const std::string staged = std::string(log) + ".part";
  std::FILE* out = std::fopen(staged.c_str(), "wb");
  if (!out) return 3;
  const std::string first = argc > 1 ? argv[1] : "";
  const DWORD attributes = first.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(first.c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  std::fprintf(out, "%s\n%s\n%s\n", GetCommandLineA(), first.c_str(),
               attributes == INVALID_FILE_ATTRIBUTES ? "missing" : "exists");
  if (startup.dwFlags & STARTF_USESHOWWINDOW)
    std::fprintf(out, "showwindow=%u\n", static_cast<unsigned>(startup.wShowWindow));
  else
    std::fprintf(out, "showwindow=none\n");
  std::fclose(out);
  return MoveFileExA(staged.c_str(), log, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}

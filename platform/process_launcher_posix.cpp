#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/process_launcher.h"

namespace orlix {
namespace {

// Starts argv as a grandchild that init adopts, so that nothing ever has to wait for the
// viewer; a close-on-exec pipe brings back the reason when exec fails.
bool SpawnDetached(const std::vector<std::string>& args, std::string* error) {
  if (args.empty() || args.front().empty()) {
    if (error) *error = std::strerror(ENOENT);
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  int status_pipe[2];
  if (::pipe(status_pipe) != 0) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  ::fcntl(status_pipe[0], F_SETFD, FD_CLOEXEC);
  ::fcntl(status_pipe[1], F_SETFD, FD_CLOEXEC);

  const pid_t child = ::fork();
  if (child < 0) {
    const int code = errno;
    ::close(status_pipe[0]);
    ::close(status_pipe[1]);
    if (error) *error = std::strerror(code);
    return false;
  }
  if (child == 0) {
    ::close(status_pipe[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
      int code = errno;
      (void)!::write(status_pipe[1], &code, sizeof code);
      ::_exit(1);
    }
    if (grandchild > 0) ::_exit(0);
    ::execvp(argv[0], argv.data());
    int code = errno;
    (void)!::write(status_pipe[1], &code, sizeof code);
    ::_exit(127);
  }
  ::close(status_pipe[1]);
  int waited = 0;
  while (::waitpid(child, &waited, 0) < 0 && errno == EINTR) {
  }
  int code = 0;
  ssize_t got;
  do {
    got = ::read(status_pipe[0], &code, sizeof code);
  } while (got < 0 && errno == EINTR);
  ::close(status_pipe[0]);
  if (got == static_cast<ssize_t>(sizeof code)) {
    if (error) *error = std::strerror(code);
    return false;
  }
  return true;
}

class PosixProcessLauncher : public ProcessLauncher {
 public:
  bool StartCommandLine(const std::string& commandLine, std::string* error) override {
    return SpawnDetached(SplitCommandLine(commandLine), error);
  }

  bool OpenDocument(const std::string& path, std::string* commandLine, std::string* error) override {
    if (commandLine) *commandLine = "xdg-open \"" + path + "\"";
    return SpawnDetached({"xdg-open", path}, error);
  }
};

}  // namespace

ProcessLauncher& LocalProcessLauncher() {
  static PosixProcessLauncher instance;
  return instance;
}

}  // namespace orlix

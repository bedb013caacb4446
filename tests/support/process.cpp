#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace nodelyx::testing {
namespace {

void drain(int fd, std::string& into, bool& open) {
  char buffer[4096];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got > 0)
    into.append(buffer, static_cast<std::size_t>(got));
  else if (got == 0 || errno != EINTR)
    open = false;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int input = options.stdinPath.empty() ? in[0] : ::open(options.stdinPath.c_str(), O_RDONLY);
    const int output = options.stdoutPath.empty()
                           ? out[1]
                           : ::open(options.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(input, 0);
    ::dup2(output, 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  // Small inputs fit the pipe; write, then close so the program sees the end.
  if (!options.input.empty() && ::write(in[1], options.input.data(), options.input.size()) < 0) {
    // The program closed its input early; its output tells the rest.
  }
  ::close(in[1]);
  std::thread signaller;
  if (options.signalAfter)
    signaller = std::thread([pid, delay = *options.signalAfter, signal = options.signal] {
      std::this_thread::sleep_for(delay);
      ::kill(pid, signal);
    });
  ProcessResult result;
  bool outOpen = true, errOpen = true;
  const auto deadline = std::chrono::steady_clock::now() + options.timeLimit;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    if (::poll(fds, 2, 100) < 0 && errno != EINTR) break;
    if (outOpen && (fds[0].revents & (POLLIN | POLLHUP))) drain(out[0], result.out, outOpen);
    if (errOpen && (fds[1].revents & (POLLIN | POLLHUP))) drain(err[0], result.err, errOpen);
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      break;
    }
  }
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (signaller.joinable()) signaller.join();
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace nodelyx::testing

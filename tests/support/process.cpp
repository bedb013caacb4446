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

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input,
                         std::optional<std::chrono::milliseconds> interruptAfter) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
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
  if (!input.empty() && ::write(in[1], input.data(), input.size()) < 0) {
    // The program closed its input early; its output tells the rest.
  }
  ::close(in[1]);
  std::thread interrupter;
  if (interruptAfter)
    interrupter = std::thread([pid, delay = *interruptAfter] {
      std::this_thread::sleep_for(delay);
      ::kill(pid, SIGINT);
    });
  ProcessResult result;
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
    if (outOpen && (fds[0].revents & (POLLIN | POLLHUP))) drain(out[0], result.out, outOpen);
    if (errOpen && (fds[1].revents & (POLLIN | POLLHUP))) drain(err[0], result.err, errOpen);
  }
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (interrupter.joinable()) interrupter.join();
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace nodelyx::testing

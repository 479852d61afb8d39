// Runs a program with a session file on standard input and its output thrown away, and
// reports the wall time and the peak resident memory of that one process.
//
//   session_bench <program> <session file>
//   -> "wall 0.123 s, peak rss 1824 KiB, exit status 2"
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: session_bench <program> <session file>\n");
    return 2;
  }
  const int in = open(argv[2], O_RDONLY);
  const int out = open("/dev/null", O_WRONLY);
  if (in < 0 || out < 0) {
    std::perror("open");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execl(argv[1], argv[1], static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("wall %.3f s, peak rss %ld KiB, exit status %d\n", seconds, usage.ru_maxrss,
              WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  return 0;
}

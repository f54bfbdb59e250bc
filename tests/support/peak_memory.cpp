// peak_memory OUT COMMAND [ARGS...]: runs the command with this program's standard streams, writes its peak
// resident memory in KiB to the file OUT, and exits with its exit code (128 + the signal when killed).
//
// A test that measures a child's memory cannot spawn it itself: a process keeps the peak of the image it
// was started from, and a test program that has run other tests is far larger than the tool it measures.
// Started from this small program, the command's peak is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: peak_memory OUT COMMAND [ARGS...]\n");
    return 2;
  }
  const pid_t child = fork();
  if (child < 0) return 127;
  if (child == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) return 127;
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out || std::fprintf(out, "%ld\n", usage.ru_maxrss) < 0 || std::fclose(out) != 0) return 127;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

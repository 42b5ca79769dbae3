// pelto-bench-launch: runs a tool for the benchmarks and reports its wall time and peak resident
// memory on file descriptor 3 as "STATUS PEAK_KIB SECONDS".
//
//   pelto-bench-launch TOOL [ARGS...]
//
// A process started straight from a benchmark program inherits the benchmark's own peak memory:
// the kernel keeps the memory peak of the image a process replaces. This small program starts
// the tool from its own small image instead, so the tool's peak is its own.

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pelto-bench-launch TOOL [ARGS...]\n");
        return 127;
    }
    fcntl(3, F_SETFD, FD_CLOEXEC); // the report is not the tool's business
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (pid > 0 && wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double seconds =
        double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) * 1e-9;
    const int exitStatus = pid < 0             ? 127
                           : WIFEXITED(status) ? WEXITSTATUS(status)
                                               : 128 + WTERMSIG(status);
    dprintf(3, "%d %ld %.9f\n", exitStatus, usage.ru_maxrss, seconds);
    return exitStatus;
}

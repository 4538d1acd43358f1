// Runs a program and prints its wall clock in seconds, its peak resident memory in
// KiB (from wait4, for that child alone) and its exit status:
//
//   tavrune-bench-measure OUT ERR PROGRAM [ARG...]
//
// with the program's standard output and error in the files OUT and ERR. A child's
// peak starts from what its parent had resident when it was started, so the
// benchmark, which holds workbooks, starts its programs through this small process.

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: tavrune-bench-measure OUT ERR PROGRAM [ARG...]\n");
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[3], &actions, nullptr, argv + 3, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "could not start %s\n", argv[3]);
        return 1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        return 1;
    }
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double seconds =
        double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9;
    std::printf("%.6f %ld %d\n", seconds, usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return 0;
}

/* Starts a program and waits for its first painted frame on the X screen:
 * the moment the pixel at (x, y) of the root window stops being the colour
 * it had before the start. Prints milliseconds to that frame, the colour
 * seen, the program's resident memory (KiB) one second later and the CPU
 * time (ms, all its threads) it had used by the frame, then ends it.
 * Usage: firstframe X Y PROGRAM [ARGS...] */
#define _DEFAULT_SOURCE
#include <X11/Xlib.h>
#include <dirent.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static unsigned long pixel_at(Display *d, int x, int y)
{
    XImage *image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return p;
}

static long resident_kib(pid_t pid)
{
    char path[64], line[256];
    long kib = -1;
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE *f = fopen(path, "r");
    if (!f)
        return -1;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "VmRSS: %ld", &kib) == 1)
            break;
    fclose(f);
    return kib;
}

/* CPU time of all the program's threads so far, from the scheduler's count. */
static double cpu_ms(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR *tasks = opendir(path);
    if (!tasks)
        return -1;
    double ns = 0;
    struct dirent *task;
    while ((task = readdir(tasks))) {
        char file[sizeof path + sizeof task->d_name + 16];
        unsigned long long run = 0;
        snprintf(file, sizeof file, "%s/%s/schedstat", path, task->d_name);
        FILE *f = fopen(file, "r");
        if (f) {
            if (fscanf(f, "%llu", &run) == 1)
                ns += run;
            fclose(f);
        }
    }
    closedir(tasks);
    return ns / 1e6;
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: firstframe X Y PROGRAM [ARGS...]\n");
        return 2;
    }
    int x = atoi(argv[1]), y = atoi(argv[2]);
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "firstframe: no X display\n");
        return 2;
    }
    unsigned long before = pixel_at(d, x, y);
    double start = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    unsigned long seen = before;
    double frame = -1, cpu = -1;
    while (now_ms() - start < 10000) {
        seen = pixel_at(d, x, y);
        if (seen != before) {
            frame = now_ms() - start;
            cpu = cpu_ms(pid);
            break;
        }
        if (waitpid(pid, NULL, WNOHANG) == pid) {
            fprintf(stderr, "firstframe: the program ended before painting\n");
            return 1;
        }
        usleep(250);
    }
    usleep(1000000);
    long rss = resident_kib(pid);
    printf("%.1f %06lx %ld %.1f\n", frame, seen, rss, cpu);
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    XCloseDisplay(d);
    return frame < 0;
}

/* Starts a program and waits for its first painted frame on the X screen:
 * the moment the pixel at (x, y) of the root window stops being the colour
 * it had before the start. Prints milliseconds to that frame, the colour
 * seen, and the program's resident memory one second later, then ends it.
 * Usage: firstframe X Y PROGRAM [ARGS...] */
#define _DEFAULT_SOURCE
#include <X11/Xlib.h>
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
    double frame = -1;
    while (now_ms() - start < 10000) {
        seen = pixel_at(d, x, y);
        if (seen != before) {
            frame = now_ms() - start;
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
    printf("%.1f %06lx %ld\n", frame, seen, rss);
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    XCloseDisplay(d);
    return frame < 0;
}

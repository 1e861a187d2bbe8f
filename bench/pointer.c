/* Moves the X pointer as a player's mouse does, through the X server's test
 * extension (XTEST), so that the program under it gets real motion events.
 *   pointer move X Y
 *       one motion; prints the monotonic clock (s) at which it was sent
 *   pointer sweep COUNT LEFT RIGHT Y PASS HZ
 *       COUNT motions back and forth between x LEFT and RIGHT on row Y, PASS
 *       motions each way, HZ motions a second (a mouse reports at 125 to
 *       1000 Hz); returns once the server has taken the last one */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double seconds(const struct timespec *t)
{
    return t->tv_sec + t->tv_nsec / 1e9;
}

int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "pointer: no X display\n");
        return 2;
    }
    if (argc == 4 && strcmp(argv[1], "move") == 0) {
        struct timespec now;
        XTestFakeMotionEvent(d, -1, atoi(argv[2]), atoi(argv[3]), CurrentTime);
        clock_gettime(CLOCK_MONOTONIC, &now);
        XSync(d, False);
        printf("%.6f\n", seconds(&now));
    } else if (argc == 8 && strcmp(argv[1], "sweep") == 0) {
        const int count = atoi(argv[2]), left = atoi(argv[3]), right = atoi(argv[4]), y = atoi(argv[5]);
        const int pass = atoi(argv[6]), hz = atoi(argv[7]);
        if (count <= 0 || pass <= 0 || hz <= 0)
            return 2;
        struct timespec at;
        clock_gettime(CLOCK_MONOTONIC, &at);
        for (int n = 0; n < count; ++n) {
            /* A triangle: from left to right in `pass` motions, and back. */
            const int phase = n % (2 * pass);
            const int step = phase < pass ? phase : 2 * pass - phase;
            XTestFakeMotionEvent(d, -1, left + (right - left) * step / pass, y, CurrentTime);
            XFlush(d);
            at.tv_nsec += 1000000000L / hz;
            if (at.tv_nsec >= 1000000000L) {
                at.tv_nsec -= 1000000000L;
                ++at.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, NULL);
        }
        XSync(d, False);
    } else {
        fprintf(stderr, "usage: pointer move X Y | pointer sweep COUNT LEFT RIGHT Y PASS HZ\n");
        return 2;
    }
    XCloseDisplay(d);
    return 0;
}

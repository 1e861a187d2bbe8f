/* A pointer and keys for tests on compositors that run headless without
 * input devices of their own: moves, clicks and key presses come from this
 * client through the compositor's own protocol for that, wlroots' virtual
 * pointer (sway) or KWin's fake input.
 *
 *   virtualinput WIDTHxHEIGHT
 *
 * WIDTHxHEIGHT is the size of the compositor's output. Commands come on
 * standard input, one a line, and are carried out in order:
 *   move X Y    the pointer to (X, Y) on the output
 *   press       the left button down
 *   release     the left button up
 *   click       press and release
 *   key CODE    presses and releases the key of that evdev code (KWin only)
 *   pause MS    waits that many milliseconds
 *   sync        waits until the compositor has taken every command so far,
 *               then prints "synced" on standard output
 * The pointer stays on the seat until standard input ends, so that clients
 * see one pointer for the whole test. Exit code 0; 1 on a bad command or a
 * lost connection; 2 when the compositor offers neither protocol. */
#define _POSIX_C_SOURCE 200809L

#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

struct globals {
    struct wl_seat *seat;
    struct zwlr_virtual_pointer_manager_v1 *manager;
    struct org_kde_kwin_fake_input *fake_input;
};

static void on_global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                      uint32_t version)
{
    struct globals *globals = data;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        globals->fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void on_global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};

/* Input events carry milliseconds of a clock that only moves forward. */
static uint32_t now_ms(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

static void pause_ms(long ms)
{
    struct timespec span = {ms / 1000, (ms % 1000) * 1000000};
    while (nanosleep(&span, &span) != 0) {
    }
}

/* One of the two: a wlroots virtual pointer, or KWin's fake input. */
struct input {
    struct zwlr_virtual_pointer_v1 *pointer;
    struct org_kde_kwin_fake_input *fake_input;
    unsigned width, height;
};

static void move(const struct input *input, unsigned x, unsigned y)
{
    if (input->fake_input) {
        org_kde_kwin_fake_input_pointer_motion_absolute(input->fake_input, wl_fixed_from_int((int)x),
                                                        wl_fixed_from_int((int)y));
    } else {
        zwlr_virtual_pointer_v1_motion_absolute(input->pointer, now_ms(), x, y, input->width, input->height);
        zwlr_virtual_pointer_v1_frame(input->pointer);
    }
}

static void button(const struct input *input, enum wl_pointer_button_state state)
{
    if (input->fake_input) {
        org_kde_kwin_fake_input_button(input->fake_input, BTN_LEFT, state);
    } else {
        zwlr_virtual_pointer_v1_button(input->pointer, now_ms(), BTN_LEFT, state);
        zwlr_virtual_pointer_v1_frame(input->pointer);
    }
}

int main(int argc, char **argv)
{
    unsigned width, height;
    char extra;
    if (argc != 2 || sscanf(argv[1], "%ux%u%c", &width, &height, &extra) != 2 || !width || !height) {
        fprintf(stderr, "usage: %s WIDTHxHEIGHT, with commands on standard input\n", argv[0]);
        return 1;
    }
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtualinput: no Wayland compositor to connect to\n");
        return 1;
    }
    struct globals globals = {0};
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &globals);
    wl_display_roundtrip(display);
    struct input input = {.fake_input = globals.fake_input, .width = width, .height = height};
    if (globals.fake_input) {
        org_kde_kwin_fake_input_authenticate(globals.fake_input, "milta100m tests", "drives the game under test");
    } else if (globals.manager) {
        input.pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    } else {
        fprintf(stderr, "virtualinput: the compositor offers neither %s nor %s (version 4)\n",
                zwlr_virtual_pointer_manager_v1_interface.name, org_kde_kwin_fake_input_interface.name);
        return 2;
    }

    int status = 0;
    char line[256];
    while (status == 0 && fgets(line, sizeof line, stdin)) {
        unsigned x, y, code;
        long ms;
        char word[16];
        if (sscanf(line, "%15s", word) != 1)
            continue;
        if (strcmp(word, "move") == 0 && sscanf(line, "move %u %u %c", &x, &y, &extra) == 2) {
            move(&input, x, y);
        } else if (strcmp(word, "press") == 0) {
            button(&input, WL_POINTER_BUTTON_STATE_PRESSED);
        } else if (strcmp(word, "release") == 0) {
            button(&input, WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (strcmp(word, "click") == 0) {
            button(&input, WL_POINTER_BUTTON_STATE_PRESSED);
            button(&input, WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (strcmp(word, "key") == 0 && input.fake_input && sscanf(line, "key %u %c", &code, &extra) == 1) {
            org_kde_kwin_fake_input_keyboard_key(input.fake_input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
            org_kde_kwin_fake_input_keyboard_key(input.fake_input, code, WL_KEYBOARD_KEY_STATE_RELEASED);
        } else if (strcmp(word, "pause") == 0 && sscanf(line, "pause %ld %c", &ms, &extra) == 1 && ms >= 0) {
            wl_display_flush(display);
            pause_ms(ms);
        } else if (strcmp(word, "sync") == 0) {
            if (wl_display_roundtrip(display) >= 0) {
                puts("synced");
                fflush(stdout);
            }
        } else {
            fprintf(stderr, "virtualinput: not a command: %s", line);
            status = 1;
        }
        if (wl_display_flush(display) < 0 || wl_display_dispatch_pending(display) < 0) {
            fprintf(stderr, "virtualinput: the connection to the compositor is lost\n");
            status = 1;
        }
    }
    if (input.pointer)
        zwlr_virtual_pointer_v1_destroy(input.pointer);
    if (globals.manager)
        zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
    if (globals.fake_input)
        org_kde_kwin_fake_input_destroy(globals.fake_input);
    if (globals.seat)
        wl_seat_destroy(globals.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}

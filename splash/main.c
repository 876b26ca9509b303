/* splashwin: shows a bitmap in a borderless window centred on the work area, plays a sound
   beside it, and ends after the display time (exit code 0) or at a left click on the
   window (exit code 1). Anything that keeps it from showing the picture ends it at once
   with exit code 0.

   Command line: splashwin DISPLAY_MS [OWNER] BASE_PATH
   The picture is BASE_PATH.bmp, the sound BASE_PATH.wav (played if it exists); OWNER is
   the X window id of a window the splash belongs to. */

#define _POSIX_C_SOURCE 200809L

#include "splash/bmp.h"
#include "splash/command_line.h"
#include "splash/sound.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <errno.h>
#include <limits.h>
#include <poll.h>
#include <setjmp.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

/* The program's state, one instance per process. */
static struct
{
    Display* display;
    Window window;
    Pixmap picture;
    struct bmp_image image;
    struct splash_sound sound;
    uint32_t display_ms;
    int left, top;        /* where the window belongs */
    int placed;           /* whether the position was checked after mapping */
    uint64_t deadline_ms; /* when the display time is over; 0 once the window is gone */
    int exit_code;
    int x_error;
} app;

static jmp_buf connection_lost;

/* Requests on windows that do not exist (a stale owner id) must not end the program the
   way Xlib's default handler does: they are noted and checked where they matter. */
static int note_x_error(Display* display, XErrorEvent* event)
{
    (void)display;
    (void)event;
    app.x_error = 1;
    return 0;
}

/* A lost server connection is a failed event retrieval: the event loop ends there. Xlib
   exits the process if this handler returns, so it leaves through the jump. */
static int lose_connection(Display* display)
{
    (void)display;
    longjmp(connection_lost, 1);
    return 0;
}

static uint64_t now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint64_t)t.tv_sec * 1000u + (uint64_t)t.tv_nsec / 1000000u;
}

static Atom atom(const char* name)
{
    return XInternAtom(app.display, name, False);
}

static int window_exists(Window window)
{
    XWindowAttributes attributes;
    app.x_error = 0;
    const Status ok = XGetWindowAttributes(app.display, window, &attributes);
    XSync(app.display, False);
    return ok && !app.x_error;
}

/* The desktop work area of the current desktop as the window manager publishes it, else
   the whole screen. */
static void work_area(long area[4])
{
    const Window root = DefaultRootWindow(app.display);
    area[0] = 0;
    area[1] = 0;
    area[2] = DisplayWidth(app.display, DefaultScreen(app.display));
    area[3] = DisplayHeight(app.display, DefaultScreen(app.display));

    unsigned long desktop = 0;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = NULL;
    if (XGetWindowProperty(app.display, root, atom("_NET_CURRENT_DESKTOP"), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data) {
        if (format == 32 && count == 1)
            desktop = (unsigned long)((long*)data)[0];
        XFree(data);
    }
    data = NULL;
    if (desktop > 1024)
        desktop = 0;
    if (XGetWindowProperty(app.display, root, atom("_NET_WORKAREA"), (long)(desktop * 4), 4, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data) {
        const long* values = (const long*)data;
        if (format == 32 && count == 4 && values[2] > 0 && values[3] > 0)
            memcpy(area, values, 4 * sizeof(long));
        XFree(data);
    }
}

static int clamp16(long long value)
{
    return value < SHRT_MIN ? SHRT_MIN : value > SHRT_MAX ? SHRT_MAX : (int)value;
}

/* Scales an 8-bit channel into the bits of `mask`. */
static unsigned long to_mask(uint32_t channel, unsigned long mask)
{
    if (!mask)
        return 0;
    unsigned shift = 0;
    while (!(mask >> shift & 1ul))
        ++shift;
    const unsigned long max = mask >> shift;
    return (unsigned long)((unsigned long long)channel * max / 255u) << shift;
}

/* Copies the picture to a server pixmap in the screen's format. Returns 0 on failure. */
static int upload_picture(void)
{
    Display* d = app.display;
    const int screen = DefaultScreen(d);
    Visual* visual = DefaultVisual(d, screen);
    const int depth = DefaultDepth(d, screen);
    const unsigned width = app.image.width, height = app.image.height;
    XImage* image =
        XCreateImage(d, visual, (unsigned)depth, ZPixmap, 0, NULL, width, height, 32, 0);
    if (!image)
        return 0;
    image->data = malloc((size_t)image->bytes_per_line * height);
    if (!image->data) {
        XDestroyImage(image);
        return 0;
    }
    const int true_colour = visual->class == TrueColor || visual->class == DirectColor;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const uint32_t c = app.image.pixels[(size_t)y * width + x];
            const uint32_t r = c >> 16 & 0xff, g = c >> 8 & 0xff, b = c & 0xff;
            unsigned long pixel;
            if (true_colour)
                pixel = to_mask(r, visual->red_mask) | to_mask(g, visual->green_mask) |
                        to_mask(b, visual->blue_mask);
            else
                pixel =
                    r * 3 + g * 6 + b >= 128 * 10 ? WhitePixel(d, screen) : BlackPixel(d, screen);
            XPutPixel(image, (int)x, (int)y, pixel);
        }
    }
    app.x_error = 0;
    app.picture = XCreatePixmap(d, DefaultRootWindow(d), width, height, (unsigned)depth);
    GC gc = XCreateGC(d, app.picture, 0, NULL);
    XPutImage(d, app.picture, gc, image, 0, 0, 0, 0, width, height);
    XFreeGC(d, gc);
    XDestroyImage(image);
    XSync(d, False);
    return !app.x_error;
}

/* Creates and shows the borderless window at the picture's size, centred on the work area,
   kept above other windows and out of the taskbar. Returns 0 on failure. */
static int create_window(Window owner)
{
    Display* d = app.display;
    const unsigned width = app.image.width, height = app.image.height;
    long area[4];
    work_area(area);
    const int left = app.left = clamp16(area[0] + ((long long)area[2] - width) / 2);
    const int top = app.top = clamp16(area[1] + ((long long)area[3] - height) / 2);

    XSetWindowAttributes attributes;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.cursor = XCreateFontCursor(d, XC_left_ptr);
    attributes.event_mask = ExposureMask | ButtonPressMask | StructureNotifyMask;
    app.x_error = 0;
    app.window = XCreateWindow(d, DefaultRootWindow(d), left, top, width, height, 0, CopyFromParent,
                               InputOutput, CopyFromParent,
                               CWBackPixmap | CWBorderPixel | CWCursor | CWEventMask, &attributes);

    XTextProperty title;
    char* name = "_sp";
    XStringListToTextProperty(&name, 1, &title);
    XSizeHints* size = XAllocSizeHints();
    XWMHints* hints = XAllocWMHints();
    XClassHint* class_hint = XAllocClassHint();
    if (size) {
        size->flags = USPosition | USSize | PMinSize | PMaxSize;
        size->x = left;
        size->y = top;
        size->width = size->min_width = size->max_width = (int)width;
        size->height = size->min_height = size->max_height = (int)height;
    }
    if (hints) {
        hints->flags = InputHint | StateHint;
        hints->input = True;
        hints->initial_state = NormalState;
    }
    if (class_hint) {
        class_hint->res_name = "splashwin";
        class_hint->res_class = "_sp";
    }
    XSetWMProperties(d, app.window, &title, &title, NULL, 0, size, hints, class_hint);
    XFree(title.value);
    XFree(size);
    XFree(hints);
    XFree(class_hint);
    XChangeProperty(d, app.window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                    (const unsigned char*)name, 3);

    Atom protocols[] = {atom("WM_DELETE_WINDOW")};
    XSetWMProtocols(d, app.window, protocols, 1);
    if (owner)
        XSetTransientForHint(d, app.window, owner);

    const long type = (long)atom("_NET_WM_WINDOW_TYPE_SPLASH");
    XChangeProperty(d, app.window, atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    (const unsigned char*)&type, 1);
    const long states[] = {(long)atom("_NET_WM_STATE_ABOVE"),
                           (long)atom("_NET_WM_STATE_SKIP_TASKBAR"),
                           (long)atom("_NET_WM_STATE_SKIP_PAGER")};
    XChangeProperty(d, app.window, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    (const unsigned char*)states, 3);
    /* Motif hints: flags = decorations, decorations = none. */
    const long motif[5] = {2, 0, 0, 0, 0};
    const Atom motif_atom = atom("_MOTIF_WM_HINTS");
    XChangeProperty(d, app.window, motif_atom, motif_atom, 32, PropModeReplace,
                    (const unsigned char*)motif, 5);
    const long pid = (long)getpid();
    XChangeProperty(d, app.window, atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    (const unsigned char*)&pid, 1);

    XMapRaised(d, app.window);
    XSync(d, False);
    if (app.x_error)
        return 0;
    app.deadline_ms = now_ms() + app.display_ms;
    return 1;
}

/* The timer or a left click: the window goes, and its destruction ends the event loop. */
static void finish(int exit_code)
{
    app.exit_code = exit_code;
    app.deadline_ms = 0;
    XDestroyWindow(app.display, app.window);
    app.window = None;
}

/* Window managers may pull a window that is larger than the screen back onto it when they
   first place it; the splash asks once more for its centred position, which they grant to a
   window that moves itself. */
static void keep_position(void)
{
    Window child;
    int x = 0, y = 0;
    app.placed = 1;
    if (XTranslateCoordinates(app.display, app.window, DefaultRootWindow(app.display), 0, 0, &x, &y,
                              &child) &&
        (x != app.left || y != app.top))
        XMoveWindow(app.display, app.window, app.left, app.top);
}

/* Handles one event; returns 0 when the event loop is to end. The window manager's close
   request (close box, Alt+F4) arrives as a ClientMessage and is ignored: the splash cannot be
   closed that way. */
static int handle(const XEvent* event)
{
    switch (event->type) {
    case Expose:
        if (app.window && event->xexpose.window == app.window)
            XCopyArea(app.display, app.picture, app.window,
                      DefaultGC(app.display, DefaultScreen(app.display)), event->xexpose.x,
                      event->xexpose.y, (unsigned)event->xexpose.width,
                      (unsigned)event->xexpose.height, event->xexpose.x, event->xexpose.y);
        break;
    case ButtonPress:
        if (app.window && event->xbutton.window == app.window && event->xbutton.button == Button1)
            finish(1);
        break;
    case MapNotify:
        if (app.window && event->xmap.window == app.window && !app.placed)
            keep_position();
        break;
    case DestroyNotify:
        if (event->xdestroywindow.event == event->xdestroywindow.window) {
            app.window = None;
            app.deadline_ms = 0;
            return 0;
        }
        break;
    default:
        break;
    }
    return 1;
}

/* Waits for and handles events until the window is gone, or until events can no longer be
   read. The display time counts from the window's creation. */
static void run(void)
{
    Display* d = app.display;
    const int fd = ConnectionNumber(d);
    for (;;) {
        if (XPending(d)) {
            XEvent event;
            XNextEvent(d, &event);
            if (!handle(&event))
                return;
            continue;
        }
        int timeout = -1;
        if (app.deadline_ms) {
            const uint64_t now = now_ms();
            if (now >= app.deadline_ms) {
                finish(0);
                continue;
            }
            const uint64_t left = app.deadline_ms - now;
            timeout = left > INT_MAX ? INT_MAX : (int)left;
        }
        struct pollfd readable = {fd, POLLIN, 0};
        const int ready = poll(&readable, 1, timeout);
        if (ready < 0 && errno != EINTR)
            return;
    }
}

int main(int argc, char** argv)
{
    char* line = splash_join_arguments(argc, argv);
    if (!line)
        return 0;
    struct splash_request request;
    splash_parse_command_line(line, &request);
    char bitmap_name[SPLASH_FILE_NAME_SIZE], sound_name[SPLASH_FILE_NAME_SIZE];
    if (!splash_request_usable(&request) || !splash_file_name(&request, ".bmp", bitmap_name) ||
        !splash_file_name(&request, ".wav", sound_name)) {
        free(line);
        return 0;
    }
    app.display_ms = request.display_ms;
    const Window owner = request.owner;
    free(line);

    /* A write to a server that went away must fail, not kill the program. */
    signal(SIGPIPE, SIG_IGN);
    app.display = XOpenDisplay(NULL);
    if (!app.display)
        return 0;
    XSetErrorHandler(note_x_error);
    XSetIOErrorHandler(lose_connection);
    int connected = 1;
    if (setjmp(connection_lost) == 0) {
        /* The owner is checked before the sound starts, so that a stale owner plays
           nothing. */
        if (bmp_load_file(bitmap_name, &app.image) && (!owner || window_exists(owner)) &&
            upload_picture()) {
            if (splash_file_exists(sound_name))
                splash_sound_start(&app.sound, sound_name);
            if (create_window(owner))
                run();
        }
    } else {
        connected = 0;
    }

    splash_sound_stop(&app.sound);
    bmp_free(&app.image);
    if (connected)
        XCloseDisplay(app.display);
    return app.exit_code;
}

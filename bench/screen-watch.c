/* screen-watch: looks at a rectangle of the X screen (the root window) from
 * outside any program, for run-pacing.sh. The rectangle is read with the
 * shared-memory extension (XShmGetImage) as fast as the server answers.
 *
 *   screen-watch count SECONDS X Y W H
 *       counts the screen updates: the reads whose pixels differ from the
 *       read before. Prints "updates N reads M seconds S".
 *   screen-watch wait KIND MIN TIMEOUT X Y W H
 *       reads until at least MIN pixels of the kind are shown (KIND "button":
 *       the yellow of the game's buttons; "vivid": strongly coloured pixels
 *       that are no button, as run-pacing's picture has them; "table": the
 *       grey of the table's cloth, counted only while vivid pixels (pieces)
 *       cover at least a hundredth of the rectangle). Prints the wall-clock
 *       time of that read (seconds since the epoch) and the count; exit code
 *       1 when TIMEOUT seconds pass first.
 *   screen-watch settle KIND UNIT QUIET TIMEOUT X Y W H
 *       prints "start" and the wall-clock time of its first read at once,
 *       then reads until the rectangle, changed since, has shown the same
 *       pixels for QUIET seconds (a picture filled in step by step, e.g. a
 *       list of thumbnails, has come to its end). Prints the wall-clock time
 *       of the first read of those pixels and their count of the kind (KIND
 *       as for wait), then one line per UNIT pixels of the kind that came:
 *       the count of UNITs and the wall-clock time of the first read that
 *       showed at least half a UNIT less than that many pixels (when each
 *       thumbnail of UNIT pixels came). Exit code 1 when TIMEOUT seconds
 *       pass first.
 *   screen-watch click-wait X0 Y0 KIND MIN TIMEOUT X Y W H
 *       moves the pointer to (X0, Y0), clicks the left button through the
 *       XTest extension and waits as wait does; prints the seconds from the
 *       click to the read that shows the pixels.
 *   screen-watch find X Y W H
 *       the vivid pixel nearest the rectangle's middle whose 9 x 9
 *       neighbourhood is vivid too; prints "X Y" (screen coordinates) or
 *       exits with 1.
 *
 * Build: cc -O2 -o screen-watch screen-watch.c -lX11 -lXext -ldl
 * (the XTest library is opened at run time, so that only its run-time
 * package is needed).
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

static Display* display;
static XImage* image;
static XShmSegmentInfo segment;
static int left, top, width, height;

static double now_monotonic(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static double now_wall(void) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void open_rectangle(int x, int y, int w, int h) {
    display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "screen-watch: cannot open the display\n");
        exit(2);
    }
    if (!XShmQueryExtension(display)) {
        fprintf(stderr, "screen-watch: the X server has no shared-memory extension\n");
        exit(2);
    }
    const int screen = DefaultScreen(display);
    if (w <= 0 || h <= 0 || x < 0 || y < 0 || x + w > DisplayWidth(display, screen) ||
        y + h > DisplayHeight(display, screen)) {
        fprintf(stderr, "screen-watch: the rectangle is not on the screen\n");
        exit(2);
    }
    left = x, top = y, width = w, height = h;
    image = XShmCreateImage(display, DefaultVisual(display, screen), (unsigned)DefaultDepth(display, screen),
                            ZPixmap, NULL, &segment, (unsigned)w, (unsigned)h);
    if (!image || image->bits_per_pixel != 32) {
        fprintf(stderr, "screen-watch: a 24-bit screen of 32-bit pixels is needed\n");
        exit(2);
    }
    segment.shmid = shmget(IPC_PRIVATE, (size_t)image->bytes_per_line * (size_t)h, IPC_CREAT | 0600);
    if (segment.shmid < 0) {
        perror("screen-watch: shmget");
        exit(2);
    }
    segment.shmaddr = image->data = shmat(segment.shmid, NULL, 0);
    segment.readOnly = False;
    XShmAttach(display, &segment);
    XSync(display, False);
    /* Gone with the last detach, also when the program is killed. */
    shmctl(segment.shmid, IPC_RMID, NULL);
}

static void read_rectangle(void) {
    if (!XShmGetImage(display, DefaultRootWindow(display), image, left, top, AllPlanes)) {
        fprintf(stderr, "screen-watch: reading the screen failed\n");
        exit(2);
    }
}

static void pixel(int x, int y, int* r, int* g, int* b) {
    const uint32_t p = *(const uint32_t*)(image->data + (size_t)y * (size_t)image->bytes_per_line + (size_t)x * 4);
    *r = (int)((p >> 16) & 0xFF), *g = (int)((p >> 8) & 0xFF), *b = (int)(p & 0xFF);
}

static int is_button(int r, int g, int b) { return abs(r - 242) <= 14 && abs(g - 203) <= 14 && abs(b - 12) <= 14; }

static int is_vivid(int r, int g, int b) {
    int max = r > g ? r : g, min = r < g ? r : g;
    max = max > b ? max : b, min = min < b ? min : b;
    return max - min >= 120 && !is_button(r, g, b);
}

/* Grey with little colour, as the table's cloth (0.75 grey, patterned). */
static int is_cloth(int r, int g, int b) {
    int max = r > g ? r : g, min = r < g ? r : g;
    max = max > b ? max : b, min = min < b ? min : b;
    return max - min <= 12 && min >= 140 && max <= 220;
}

static long count_kind(const char* kind) {
    const int button = strcmp(kind, "button") == 0, table = strcmp(kind, "table") == 0;
    long count = 0, vivid = 0;
    /* Every second pixel of every second row: fast enough to keep up. */
    for (int y = 0; y < height; y += 2)
        for (int x = 0; x < width; x += 2) {
            int r, g, b;
            pixel(x, y, &r, &g, &b);
            if (button)
                count += is_button(r, g, b);
            else if (table)
                count += is_cloth(r, g, b), vivid += is_vivid(r, g, b);
            else
                count += is_vivid(r, g, b);
        }
    if (table && vivid * 4 * 100 < (long)width * height)
        return 0;
    return count * 4;
}

static int wait_for(const char* kind, long minimum, double timeout, double* when) {
    const double end = now_monotonic() + timeout;
    for (;;) {
        read_rectangle();
        const double read = now_wall();
        const long count = count_kind(kind);
        if (count >= minimum) {
            *when = read;
            printf("%.6f %ld\n", read, count);
            return 0;
        }
        if (now_monotonic() > end)
            return 1;
    }
}

static int settle(const char* kind, long unit, double quiet, double timeout) {
    const size_t size = (size_t)image->bytes_per_line * (size_t)height;
    unsigned char* previous = malloc(size);
    /* The first read at which each count of units was reached. */
    enum { most = 64 };
    double reached[most + 1];
    if (!previous || unit <= 0)
        return 2;
    int units = 0, moved = 0;
    read_rectangle();
    memcpy(previous, image->data, size);
    double changed = now_wall(), changed_monotonic = now_monotonic();
    printf("start %.6f\n", changed);
    fflush(stdout);
    const double end = changed_monotonic + timeout;
    long count = count_kind(kind);
    for (;;) {
        while (units < most && count >= (long)(units + 1) * unit - unit / 2)
            reached[++units] = changed;
        read_rectangle();
        const double read = now_wall(), read_monotonic = now_monotonic();
        if (memcmp(previous, image->data, size) != 0) {
            memcpy(previous, image->data, size);
            changed = read, changed_monotonic = read_monotonic;
            count = count_kind(kind);
            moved = 1;
        } else if (moved && read_monotonic - changed_monotonic >= quiet) {
            printf("%.6f %ld\n", changed, count);
            for (int k = 1; k <= units; ++k)
                printf("%d %.6f\n", k, reached[k]);
            free(previous);
            return 0;
        }
        if (read_monotonic > end) {
            free(previous);
            return 1;
        }
    }
}

static int count_updates(double seconds) {
    const size_t size = (size_t)image->bytes_per_line * (size_t)height;
    unsigned char* previous = malloc(size);
    if (!previous)
        return 2;
    read_rectangle();
    memcpy(previous, image->data, size);
    long updates = 0, reads = 0;
    const double start = now_monotonic();
    double elapsed = 0.0;
    while (elapsed < seconds) {
        read_rectangle();
        ++reads;
        if (memcmp(previous, image->data, size) != 0) {
            ++updates;
            memcpy(previous, image->data, size);
        }
        elapsed = now_monotonic() - start;
    }
    printf("updates %ld reads %ld seconds %.3f\n", updates, reads, elapsed);
    free(previous);
    return 0;
}

static int find_piece(void) {
    read_rectangle();
    const int reach = 4;
    long best = -1;
    int bx = 0, by = 0;
    for (int y = reach; y < height - reach; y += 3)
        for (int x = reach; x < width - reach; x += 3) {
            int all = 1;
            for (int dy = -reach; dy <= reach && all; ++dy)
                for (int dx = -reach; dx <= reach && all; ++dx) {
                    int r, g, b;
                    pixel(x + dx, y + dy, &r, &g, &b);
                    all = is_vivid(r, g, b);
                }
            if (!all)
                continue;
            const long d = (long)(x - width / 2) * (x - width / 2) + (long)(y - height / 2) * (y - height / 2);
            if (best < 0 || d < best)
                best = d, bx = x, by = y;
        }
    if (best < 0)
        return 1;
    printf("%d %d\n", left + bx, top + by);
    return 0;
}

typedef int (*FakeMotion)(Display*, int, int, int, unsigned long);
typedef int (*FakeButton)(Display*, unsigned int, Bool, unsigned long);

static int click_wait(int x0, int y0, const char* kind, long minimum, double timeout) {
    void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
    if (!xtst) {
        fprintf(stderr, "screen-watch: %s\n", dlerror());
        return 2;
    }
    FakeMotion motion = (FakeMotion)dlsym(xtst, "XTestFakeMotionEvent");
    FakeButton button = (FakeButton)dlsym(xtst, "XTestFakeButtonEvent");
    if (!motion || !button) {
        fprintf(stderr, "screen-watch: the XTest library lacks its functions\n");
        return 2;
    }
    motion(display, -1, x0, y0, CurrentTime);
    XSync(display, False);
    button(display, 1, True, CurrentTime);
    button(display, 1, False, CurrentTime);
    XSync(display, False);
    const double clicked = now_wall();
    double shown = 0.0;
    if (wait_for(kind, minimum, timeout, &shown) != 0)
        return 1;
    printf("click %.6f\n", shown - clicked);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 7 && strcmp(argv[1], "count") == 0) {
        open_rectangle(atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
        return count_updates(atof(argv[2]));
    }
    if (argc == 9 && strcmp(argv[1], "wait") == 0) {
        open_rectangle(atoi(argv[5]), atoi(argv[6]), atoi(argv[7]), atoi(argv[8]));
        double when = 0.0;
        return wait_for(argv[2], atol(argv[3]), atof(argv[4]), &when);
    }
    if (argc == 10 && strcmp(argv[1], "settle") == 0) {
        open_rectangle(atoi(argv[6]), atoi(argv[7]), atoi(argv[8]), atoi(argv[9]));
        return settle(argv[2], atol(argv[3]), atof(argv[4]), atof(argv[5]));
    }
    if (argc == 11 && strcmp(argv[1], "click-wait") == 0) {
        open_rectangle(atoi(argv[7]), atoi(argv[8]), atoi(argv[9]), atoi(argv[10]));
        return click_wait(atoi(argv[2]), atoi(argv[3]), argv[4], atol(argv[5]), atof(argv[6]));
    }
    if (argc == 6 && strcmp(argv[1], "find") == 0) {
        open_rectangle(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
        return find_piece();
    }
    fprintf(stderr, "usage: screen-watch count SECONDS X Y W H\n"
                    "       screen-watch wait KIND MIN TIMEOUT X Y W H\n"
                    "       screen-watch settle KIND UNIT QUIET TIMEOUT X Y W H\n"
                    "       screen-watch click-wait X0 Y0 KIND MIN TIMEOUT X Y W H\n"
                    "       screen-watch find X Y W H\n");
    return 2;
}

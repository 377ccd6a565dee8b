// Starts a program on an X display and times it from the outside: until its first top-level
// window is mapped, until that window shows its first painted pixels, and until the program
// has ended after being asked to close the window like a window manager would.
//
//   startup_probe [--timeout-ms N] -- PROGRAM [ARGS...]
//
// Prints one JSON line: mapMs, paintMs, exitMs, cpuMs (user and system time of the whole run),
// rssAtPaintKb (VmHWM when the first paint was seen) and maxRssKb (the peak over the whole
// run, as time(1) reports it).
//
// The display's root must be black (Xvfb -br): a Qt window has no background of its own, so
// its pixels stay black until the program paints them.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

long vmHwmKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

// True once any of a few points inside the window is no longer black.
bool painted(xcb_connection_t* c, xcb_window_t w) {
    auto* geo = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    if (!geo) {
        return false;
    }
    const int width = geo->width;
    const int height = geo->height;
    std::free(geo);
    // Centre and the four quarter points, in eighths of the window.
    for (const auto& [ex, ey] : {std::pair{4, 4}, {2, 2}, {6, 2}, {2, 6}, {6, 6}}) {
        const auto x = static_cast<int16_t>(width * ex / 8);
        const auto y = static_cast<int16_t>(height * ey / 8);
        auto* img = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, x, y, 1, 1, 0x00FFFFFF), nullptr);
        if (!img) {
            continue;
        }
        const uint8_t* data = xcb_get_image_data(img);
        const int len = xcb_get_image_data_length(img);
        bool lit = false;
        for (int i = 0; i < len && i < 3; ++i) {
            lit = lit || data[i] != 0;
        }
        std::free(img);
        if (lit) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    int timeoutMs = 20000;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--timeout-ms") == 0 && first + 1 < argc) {
            timeoutMs = std::atoi(argv[++first]);
        } else if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        } else {
            break;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: startup_probe [--timeout-ms N] -- PROGRAM [ARGS...]\n");
        return 2;
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "startup_probe: cannot open the display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t selected =
        xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t* e = xcb_request_check(c, selected)) {
        std::fprintf(stderr, "startup_probe: cannot watch the root window (%d)\n", e->error_code);
        std::free(e);
        return 2;
    }
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = atom(c, "WM_DELETE_WINDOW");

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (const int rc = posix_spawnp(&pid, argv[first], nullptr, nullptr, argv + first, environ);
        rc != 0) {
        std::fprintf(stderr, "startup_probe: cannot start %s: %s\n", argv[first],
                     std::strerror(rc));
        return 2;
    }

    std::optional<xcb_window_t> window;
    double mapMs = -1;
    double paintMs = -1;
    long rssAtPaint = -1;
    const int fd = xcb_get_file_descriptor(c);
    while (paintMs < 0 && msSince(start) < timeoutMs) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            if ((ev->response_type & 0x7F) == XCB_MAP_NOTIFY && !window) {
                auto* map = reinterpret_cast<xcb_map_notify_event_t*>(ev);
                if (map->event == root && !map->override_redirect) {
                    window = map->window;
                    mapMs = msSince(start);
                }
            }
            std::free(ev);
        }
        if (window && painted(c, *window)) {
            paintMs = msSince(start);
            rssAtPaint = vmHwmKb(pid);
            break;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "startup_probe: the program ended before it showed a window\n");
            return 1;
        }
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, window ? 1 : 5);
    }
    if (paintMs < 0) {
        std::fprintf(stderr, "startup_probe: no painted window within %d ms\n", timeoutMs);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return 1;
    }

    // Ask to close, as a window manager would for the title bar's close button.
    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = *window;
    close.type = protocols;
    close.data.data32[0] = deleteWindow;
    close.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, *window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&close));
    xcb_flush(c);

    int status = 0;
    rusage usage{};
    bool ended = false;
    for (int waited = 0; waited < 10000; waited += 5) {
        if (wait4(pid, &status, WNOHANG, &usage) == pid) {
            ended = true;
            break;
        }
        ::usleep(5000);
    }
    const double exitMs = msSince(start);
    if (!ended) {
        ::kill(pid, SIGKILL);
        wait4(pid, &status, 0, &usage);
    }
    xcb_disconnect(c);
    const double cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    std::printf("{\"mapMs\":%.1f,\"paintMs\":%.1f,\"exitMs\":%.1f,\"cpuMs\":%.1f,"
                "\"rssAtPaintKb\":%ld,\"maxRssKb\":%ld,\"closed\":%s}\n",
                mapMs, paintMs, exitMs, cpuMs, rssAtPaint, usage.ru_maxrss,
                ended ? "true" : "false");
    return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

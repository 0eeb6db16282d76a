// Start-up time to a painted window: starts a program and watches the X server for a window of the given
// title that shows more than one colour, polling every 2 ms over its own connection (starting xdotool and
// ImageMagick for every look, as a shell loop must, costs more than the start being measured).
// usage: bench_first_paint TITLE PROGRAM [ARGS...]   prints the milliseconds, or -1 after 10 s.
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string windowName(xcb_connection_t *c, xcb_window_t w) {
    xcb_get_property_cookie_t ck =
        xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t *r = xcb_get_property_reply(c, ck, nullptr);
    if (!r) return {};
    std::string name(static_cast<const char *>(xcb_get_property_value(r)),
                     static_cast<std::size_t>(xcb_get_property_value_length(r)));
    std::free(r);
    return name;
}

// A viewable window (at any depth below the root) whose name contains `title`.
xcb_window_t findWindow(xcb_connection_t *c, xcb_window_t parent, const std::string &title) {
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr);
    if (!tree) return 0;
    const xcb_window_t *kids = xcb_query_tree_children(tree);
    const int n = xcb_query_tree_children_length(tree);
    xcb_window_t found = 0;
    for (int i = 0; i < n && !found; ++i) {
        xcb_get_window_attributes_reply_t *a =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, kids[i]), nullptr);
        const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(a);
        if (!viewable) continue;
        if (windowName(c, kids[i]).find(title) != std::string::npos)
            found = kids[i];
        else
            found = findWindow(c, kids[i], title);
    }
    std::free(tree);
    return found;
}

bool painted(xcb_connection_t *c, xcb_window_t w) {
    xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    if (!g) return false;
    const std::uint16_t width = g->width, height = g->height;
    std::free(g);
    if (width < 2 || height < 2) return false;
    xcb_get_image_reply_t *img = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, width, height, ~0u), nullptr);
    if (!img) return false;
    const auto *px = reinterpret_cast<const std::uint32_t *>(xcb_get_image_data(img));
    const int count = xcb_get_image_data_length(img) / 4;
    bool twoColours = false;
    for (int i = 1; i < count && !twoColours; ++i)
        twoColours = (px[i] & 0xFFFFFF) != (px[0] & 0xFFFFFF);
    std::free(img);
    return twoColours;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_first_paint TITLE PROGRAM [ARGS...]\n");
        return 2;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "first_paint: no display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    long ms = -1;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        const xcb_window_t w = findWindow(c, root, argv[1]);
        if (w && painted(c, w)) {
            ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count());
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    xcb_disconnect(c);
    std::printf("%ld\n", ms);
    return ms < 0 ? 1 : 0;
}

// What the window tells of a Wayland connection that broke, read from
// libwayland's own state. The far end is a socket the test holds, or a
// server of libwayland's own in this process: no compositor is needed.
#include <gtest/gtest.h>

#include <wayland-client-core.h>
#include <wayland-server-core.h>

#include <sys/socket.h>
#include <unistd.h>

#include "sdlgl/Application.h"

using TAVO::IK::SDLGL::Application;

namespace {

// A client connection over one end of a socket pair; the other end is the
// compositor's.
class Connection {
public:
    Connection() {
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends_), 0);
        display_ = wl_display_connect_to_fd(ends_[0]);
        EXPECT_NE(display_, nullptr);
    }
    ~Connection() {
        if (display_ != nullptr)
            wl_display_disconnect(display_);
        closeCompositorEnd();
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    wl_display* display() const { return display_; }
    int compositorEnd() const { return ends_[1]; }
    void closeCompositorEnd() {
        if (ends_[1] >= 0)
            close(ends_[1]);
        ends_[1] = -1;
    }

private:
    int ends_[2] = {-1, -1};
    wl_display* display_ = nullptr;
};

} // namespace

TEST(ApplicationWaylandTest, AConnectionThatHoldsOrNoneIsNoLoss) {
    Connection connection;
    EXPECT_EQ(Application::waylandConnectionLost(connection.display(), "wayland-1"), "");
    EXPECT_EQ(Application::waylandConnectionLost(nullptr, "wayland-1"), "");
}

TEST(ApplicationWaylandTest, ACompositorThatWentIsToldWithTheSystemsReasonNamingTheDisplay) {
    Connection connection;
    connection.closeCompositorEnd();
    EXPECT_EQ(wl_display_roundtrip(connection.display()), -1);
    EXPECT_EQ(Application::waylandConnectionLost(connection.display(), "kestrune-1"),
              "the connection to the Wayland compositor (WAYLAND_DISPLAY \"kestrune-1\") broke: Broken pipe");
    EXPECT_EQ(Application::waylandConnectionLost(connection.display(), nullptr),
              "the connection to the Wayland compositor (WAYLAND_DISPLAY not set) broke: Broken pipe");
    EXPECT_EQ(Application::waylandConnectionLost(connection.display(), "a\tb\x1b"),
              "the connection to the Wayland compositor (WAYLAND_DISPLAY \"a\\tb\\x1b\") broke: Broken pipe");
}

TEST(ApplicationWaylandTest, AProtocolErrorIsToldWithItsObjectAndCode) {
    Connection connection;
    wl_display* server = wl_display_create();
    ASSERT_NE(server, nullptr);
    wl_client* client = wl_client_create(server, dup(connection.compositorEnd()));
    ASSERT_NE(client, nullptr);
    // Object 1 is the client's wl_display, which every connection has.
    wl_resource_post_error(wl_client_get_object(client, 1), 3, "a test's protocol error");
    wl_display_flush_clients(server);
    EXPECT_EQ(wl_display_roundtrip(connection.display()), -1);
    EXPECT_EQ(Application::waylandConnectionLost(connection.display(), "w"),
              "the connection to the Wayland compositor (WAYLAND_DISPLAY \"w\") broke: protocol error 3 on "
              "wl_display@1");
    wl_display_destroy_clients(server);
    wl_display_destroy(server);
}

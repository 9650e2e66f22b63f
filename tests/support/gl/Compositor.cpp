#include "support/gl/Compositor.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace KestruneGLTest {

Compositor::Compositor() {
    chmod(runtime_.path().c_str(), 0700);
    const std::string log = "--log=" + runtime_.file("weston.txt");
    const std::string socket = std::string("--socket=") + socketName;
    process_ = fork();
    if (process_ == 0) {
        setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        execlp("weston", "weston", "--no-config", "--backend=x11-backend.so", "--use-pixman", "--idle-time=0",
               "--width=320", "--height=240", socket.c_str(), log.c_str(), nullptr);
        _exit(127);
    }
    const std::string path = runtime_.file(socketName);
    for (int i = 0; i < 20000 && !listening_; ++i) {
        if (waitpid(process_, nullptr, WNOHANG) == process_) {
            process_ = -1;
            break;
        }
        listening_ = answers(path);
        if (!listening_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool Compositor::answers(const std::string& path) {
    // The socket's file is there from its bind on, a moment before weston
    // listens on it (a long one on a busy machine): a connection is tried.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    path.copy(address.sun_path, path.size());
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool connected = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(probe);
    return connected;
}

Compositor::~Compositor() {
    if (process_ > 0) {
        kill(process_, SIGTERM);
        waitpid(process_, nullptr, 0);
    }
}

void Compositor::clientEnvironment() const {
    setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    setenv("WAYLAND_DISPLAY", socketName, 1);
    setenv("SDL_VIDEODRIVER", "wayland", 1);
    unsetenv("DISPLAY");
}

std::string Compositor::whyClientsCannotStart() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const std::size_t driver = line.find("/libGLX_");
        if (driver != std::string::npos)
            return "this test process has loaded a GLX driver (" + line.substr(driver + 1) +
                   "), as a test with a GLX context does: a window on a Wayland compositor made in a child of it "
                   "cannot start OpenGL (GLEW finds no OpenGL version on its EGL context). Tests on a compositor "
                   "run in test programs of their own, which make no GLX context.";
    }
    return "";
}

std::size_t Compositor::clients() const {
    const std::string path = runtime_.file(socketName);
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::size_t count = 0;
    // Num RefCount Protocol Flags Type St Inode Path; St 03: connected.
    while (std::getline(table, line)) {
        std::istringstream in(line);
        std::vector<std::string> fields;
        for (std::string field; in >> field;)
            fields.push_back(field);
        if (fields.size() == 8 && fields[5] == "03" && fields[7] == path)
            ++count;
    }
    return count;
}

} // namespace KestruneGLTest

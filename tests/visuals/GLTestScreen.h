#pragma once
// GL for tests: without a display of our own we start an Xvfb (Mesa's software renderer), before
// the first GL context or even the application exists. No Qt here, so it can run before main.
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

class GLTestScreen {
public:
    static GLTestScreen &instance() {
        static GLTestScreen screen;
        return screen;
    }
    bool available() const { return std::getenv("DISPLAY") && *std::getenv("DISPLAY"); }
    ~GLTestScreen() {
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
    }

private:
    GLTestScreen() {
        if (available()) return;
        std::string xvfb;
        for (const char *dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
            if (std::filesystem::exists(std::string(dir) + "Xvfb")) xvfb = std::string(dir) + "Xvfb";
        if (xvfb.empty()) return;
        for (int n = 400 + static_cast<int>(getpid() % 250); n < 900; ++n) {
            const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (std::filesystem::exists(lock) || std::filesystem::exists(socket)) continue;
            const std::string display = ":" + std::to_string(n);
            const pid_t pid = fork();
            if (pid == 0) {
                execl(xvfb.c_str(), "Xvfb", display.c_str(), "-screen", "0", "1280x800x24", "-nolisten",
                      "tcp", static_cast<char *>(nullptr));
                _exit(127);
            }
            if (pid < 0) return;
            for (int i = 0; i < 200; ++i) {
                if (std::filesystem::exists(socket)) {
                    server_ = pid;
                    setenv("DISPLAY", display.c_str(), 1);
                    return;
                }
                if (waitpid(pid, nullptr, WNOHANG) == pid) break; // lost the race for this number
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    pid_t server_ = -1;
};

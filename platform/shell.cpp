#include "platform/shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

extern char** environ;

namespace quenlo::shell {
namespace {

std::mutex g_mutex;
bool g_recording = false;
std::vector<std::string> g_recorded;

}  // namespace

bool open(const std::string& target) {
    {
        std::lock_guard lock(g_mutex);
        if (g_recording) {
            g_recorded.push_back(target);
            return true;
        }
    }
    // xdg-open may wait for the program it starts; a double fork leaves that to init, so the
    // window never waits and no zombie is left behind.
    pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        ::setsid();
        pid_t opener = 0;
        char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(target.c_str()), nullptr};
        int rc = ::posix_spawnp(&opener, "xdg-open", nullptr, nullptr, argv, environ);
        ::_exit(rc == 0 ? 0 : 127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace testing {

void startRecording() {
    std::lock_guard lock(g_mutex);
    g_recording = true;
    g_recorded.clear();
}

void stopRecording() {
    std::lock_guard lock(g_mutex);
    g_recording = false;
}

std::vector<std::string> recordedTargets() {
    std::lock_guard lock(g_mutex);
    return g_recorded;
}

}  // namespace testing
}  // namespace quenlo::shell

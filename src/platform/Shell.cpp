#include "platform/Shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

extern char** environ;

namespace ambrin {

bool startProgram(const std::string& path, const std::vector<std::string>& arguments,
                  const std::string& workingFolder) {
    if (::access(path.c_str(), X_OK) != 0) {
        return false;
    }
    std::vector<std::string> argvStore;
    argvStore.push_back(path);
    argvStore.insert(argvStore.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& arg : argvStore) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    // A working folder needs a chdir between fork and exec; posix_spawn has none in glibc 2.36
    // that we may rely on, so fork by hand in that case.
    pid_t pid = -1;
    if (workingFolder.empty()) {
        if (::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            return false;
        }
    } else {
        pid = ::fork();
        if (pid < 0) {
            return false;
        }
        if (pid == 0) {
            if (::chdir(workingFolder.c_str()) != 0) {
                ::_exit(127);
            }
            ::execv(path.c_str(), argv.data());
            ::_exit(127);
        }
    }
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
    return true;
}

bool openWithDesktop(const std::string& target) {
    for (const char* candidate : {"/usr/bin/xdg-open", "/usr/local/bin/xdg-open"}) {
        if (::access(candidate, X_OK) == 0) {
            return startProgram(candidate, {target});
        }
    }
    return false;
}

bool desktopOpensType(const std::string& mimeType) {
    const std::string tool = findProgram("xdg-mime");
    if (tool.empty()) {
        return false;
    }
    struct Closer {
        void operator()(FILE* pipe) const { ::pclose(pipe); }
    };
    std::unique_ptr<FILE, Closer> pipe(
        ::popen(("'" + tool + "' query default '" + mimeType + "' 2>/dev/null").c_str(), "r"));
    if (!pipe) {
        return false;
    }
    char line[512] = {};
    const bool answered = std::fgets(line, sizeof line, pipe.get()) != nullptr;
    return answered && line[0] != '\0' && line[0] != '\n';
}

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr && *path != '\0' ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return {};
}

bool openRecordingControls() {
    struct Tool {
        const char* name;
        std::vector<std::string> arguments;
    };
    const Tool tools[] = {
        {"pavucontrol", {"--tab=4"}},  // the input devices, with their ports and boost
        {"pavucontrol-qt", {"--tab=4"}},
        {"gnome-control-center", {"sound"}},
        {"systemsettings", {"kcm_pulseaudio"}},
    };
    for (const Tool& tool : tools) {
        const std::string path = findProgram(tool.name);
        if (!path.empty() && startProgram(path, tool.arguments)) {
            return true;
        }
    }
    return false;
}

}  // namespace ambrin

#include "support/TestEnvironment.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace ambrin::test {

namespace {

std::optional<std::string> currentValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

TestEnvironment::TestEnvironment() {
    // Short paths: Unix socket names must fit in 108 bytes.
    char pattern[] = "/tmp/amb.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_root = made;
    for (const char* folder : {"home", "config", "run", "data", "cache", "tmp", "machine"}) {
        ::mkdir(path(folder).c_str(), 0700);
    }
    setVariable("HOME", path("home"));
    setVariable("XDG_CONFIG_HOME", path("config"));
    setVariable("XDG_RUNTIME_DIR", path("run"));
    setVariable("XDG_DATA_HOME", path("data"));
    setVariable("XDG_CACHE_HOME", path("cache"));
    setVariable("TMPDIR", path("tmp"));
    setVariable("AMBRIN_MACHINE_CONFIG", path("machine"));
    setVariable("AMBRIN_UI_LANG", std::nullopt);
    setVariable("DISPLAY", std::nullopt);
    setVariable("WAYLAND_DISPLAY", std::nullopt);
    setVariable("QT_QPA_PLATFORM", std::nullopt);
}

TestEnvironment::~TestEnvironment() {
    for (const auto& [name, value] : m_saved) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::permissions(m_root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_root, ignored);
}

void TestEnvironment::setVariable(const std::string& name,
                                  const std::optional<std::string>& value) {
    if (m_saved.find(name) == m_saved.end()) {
        m_saved[name] = currentValue(name);
    }
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& content, unsigned mode) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    ::chmod(path.c_str(), static_cast<mode_t>(mode));
}

bool copyFile(const std::string& from, const std::string& to, unsigned mode) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        return false;
    }
    return ::chmod(to.c_str(), static_cast<mode_t>(mode)) == 0;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& outputFolder) {
    static std::atomic<int> counter{0};
    const std::string tag = std::to_string(::getpid()) + "." + std::to_string(counter++);
    m_stdout = outputFolder + "/child." + tag + ".out";
    m_stderr = outputFolder + "/child." + tag + ".err";
    std::vector<std::string> store{program};
    store.insert(store.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& arg : store) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
        const int out = ::open(m_stdout.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(m_stderr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::dup2(in, 0);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &m_status, 0);
    }
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_reaped) {
        const pid_t done = ::waitpid(m_pid, &m_status, WNOHANG);
        if (done == m_pid) {
            m_reaped = true;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(m_status)) {
        return WEXITSTATUS(m_status);
    }
    return std::nullopt;
}

bool ChildProcess::running() {
    return !wait(std::chrono::milliseconds(0)).has_value() && !m_reaped;
}

void ChildProcess::signal(int sig) {
    if (!m_reaped) {
        ::kill(m_pid, sig);
    }
}

std::string ChildProcess::output() const {
    return readFile(m_stdout);
}
std::string ChildProcess::errors() const {
    return readFile(m_stderr);
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (output().find(text) != std::string::npos) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace ambrin::test

#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ambrin::test {

// A private home for one test: a fresh temporary folder with HOME, XDG_CONFIG_HOME,
// XDG_RUNTIME_DIR, XDG_DATA_HOME, XDG_CACHE_HOME, TMPDIR and AMBRIN_MACHINE_CONFIG pointed
// into it. The previous values come back and the folder is removed at destruction.
class TestEnvironment {
  public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    const std::string& root() const { return m_root; }
    std::string path(const std::string& relative) const { return m_root + "/" + relative; }

    // Sets or clears (nullopt) a variable for the rest of the test; restored afterwards.
    void setVariable(const std::string& name, const std::optional<std::string>& value);

  private:
    std::string m_root;
    std::map<std::string, std::optional<std::string>> m_saved;
};

class EnvironmentTest : public ::testing::Test {
  protected:
    TestEnvironment env;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content, unsigned mode = 0644);
bool copyFile(const std::string& from, const std::string& to, unsigned mode = 0755);

// A child process with its standard output and error collected in files. Killed (SIGKILL)
// and reaped at destruction when still running.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& outputFolder);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // The exit code, or nothing when it has not ended within the time (or died by signal).
    std::optional<int> wait(std::chrono::milliseconds timeout);
    bool running();
    void signal(int sig);

    std::string output() const;  // standard output so far
    std::string errors() const;  // standard error so far
    // Waits until standard output contains `text`; false after the time-out.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout);

  private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
    std::string m_stdout;
    std::string m_stderr;
};

}  // namespace ambrin::test

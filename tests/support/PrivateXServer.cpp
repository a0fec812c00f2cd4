#include "support/PrivateXServer.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "support/TestEnvironment.h"

namespace ambrin::test {

int runOnPrivateXServer(const std::function<int(const std::string& display)>& run) {
    char folder[] = "/tmp/ambrin-xvfb.XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        return 1;
    }
    int result = 1;
    {
        ChildProcess server("/usr/bin/Xvfb",
                            {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                            folder);
        if (!server.waitForOutput("\n", std::chrono::seconds(20))) {
            std::fprintf(stderr, "Xvfb did not start: %s\n", server.errors().c_str());
        } else {
            std::string number = server.output();
            number.erase(number.find_last_not_of(" \n") + 1);
            result = run(":" + number);
        }
    }
    std::filesystem::remove_all(folder);
    return result;
}

}  // namespace ambrin::test

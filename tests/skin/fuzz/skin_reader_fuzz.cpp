// libFuzzer target: the skin description reader over in-memory texts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "skin/SkinReader.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "skin reader fuzz: %s\n", what);
    std::abort();
}

bool isNameChar(char c, bool underscore) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ':' ||
           (underscore && c == '_');
}

void checkName(const std::string& name, bool underscore) {
    if (name.empty() || name.size() > 254) {
        fail("name length");
    }
    for (const char c : name) {
        if (!isNameChar(c, underscore)) {
            fail("name character");
        }
    }
}

// Checks what the reader delivers; stops the parse at the element chosen by the input.
class CheckingReader : public ambrin::SkinReader {
  public:
    explicit CheckingReader(int stopAt) : m_stopAt(stopAt) {}

    int startElement(const std::string& name, const Attributes& attributes) override {
        checkName(name, true);
        for (const auto& [key, value] : attributes) {
            checkName(key, false);
            if (value.size() > 254 || value.find('"') != std::string::npos) {
                fail("attribute value");
            }
        }
        return ++m_elements == m_stopAt ? 1 : 0;
    }

    int endElement(const std::string& name) override {
        checkName(name, true);
        return 0;
    }

  private:
    int m_stopAt;
    int m_elements = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the element whose handler stops the parse (0: none).
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckingReader reader(data[0] % 8);
    const int result = reader.parseText(text);
    if (result != 0 && result != 23) {
        fail("unexpected result");
    }
    const std::string position = reader.errorPosition();
    if (position.size() < 4 || position.front() != '[' ||
        position.substr(position.size() - 2) != "].") {
        fail("error position");
    }
    return 0;
}

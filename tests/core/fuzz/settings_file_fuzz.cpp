// Whole settings files, however damaged, through the settings store: it must open them, fill
// in what is missing, and read every value without crashing, and every numeric value it hands
// out must lie in its range.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/SettingsStore.h"
#include "platform/Registry.h"

namespace {

std::string g_file;

void fail(const char* what, const char* name) {
    std::fprintf(stderr, "settings fuzz: %s (%s)\n", what, name);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The runner points XDG_CONFIG_HOME and the machine settings at its own folder.
    g_file = ambrin::RegistryKey::filePathFor(ambrin::Hive::CurrentUser,
                                              "SOFTWARE\\Tavix\\Ambrin+ v2.0");
    ambrin::SettingsStore first("/nonexistent/");  // makes the folders of the file
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(g_file.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size) {
        std::abort();
    }
    std::fclose(file);

    ambrin::SettingsStore store("/nonexistent/");
    for (const auto& definition : ambrin::SettingsStore::table()) {
        if (definition.type == ambrin::SettingType::String) {
            std::string text;
            store.readString(definition.name, text);
            continue;
        }
        int number = 0;
        if (store.readInt(definition.name, number) != ambrin::kSettingsOk) {
            continue;
        }
        for (const auto& range : ambrin::setting::kSettingRanges) {
            if (std::string(range.name) == definition.name &&
                (number < range.minimum || number > range.maximum)) {
                fail("a value outside its range was handed out", range.name);
            }
        }
    }
    for (const auto& correction : store.corrections()) {
        if (correction.stored == correction.used) {
            fail("a correction that changes nothing", correction.name.c_str());
        }
    }
    int start = 0;
    int end = 0;
    if (store.readInt(ambrin::setting::kStartSoundValue, start) == ambrin::kSettingsOk &&
        store.readInt(ambrin::setting::kEndSoundValue, end) == ambrin::kSettingsOk &&
        end >= start) {
        fail("the end level is not below the start level", "EndSoundValue");
    }
    return 0;
}

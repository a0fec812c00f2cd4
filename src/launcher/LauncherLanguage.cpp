#include "launcher/LauncherLanguage.h"

#include <cstdlib>

#include "platform/Registry.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"

namespace ambrin::launcher {

namespace {

constexpr int kPrimaryKorean = 0x12;

bool isKorean(std::uint32_t languageId) {
    return (languageId & 0x3FF) == kPrimaryKorean;
}

}  // namespace

bool runsFromMedium(const std::string& launcherFile) {
    const std::string name = launcherFile.substr(launcherFile.rfind('/') + 1);
    return asciiLower(name).find("setup") != std::string::npos;
}

LauncherLanguage chooseLanguage(const LanguageFacts& facts) {
    LauncherLanguage language;
    if (facts.commandLine == "-eng" || !facts.englishReadmeBeside) {
        language.wizardLanguage = kLangEnglish;
    } else {
        language.wizardLanguage = facts.systemLanguage;
    }
    language.uiLanguage =
        isKorean(static_cast<std::uint32_t>(language.wizardLanguage)) ? kLangKorean : kLangEnglish;
    if (!runsFromMedium(facts.launcherFile)) {
        const std::uint32_t stored = facts.storedLanguage.value_or(kLangKorean);
        language.uiLanguage = isKorean(stored) ? kLangKorean : kLangEnglish;
        language.wizardLanguage = language.uiLanguage;
    }
    language.prefix = language.uiLanguage == kLangEnglish ? "_eng/" : "";
    return language;
}

int systemLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::string(value).rfind("ko", 0) == 0 ? kLangKorean : kLangEnglish;
        }
    }
    return kLangEnglish;
}

std::optional<std::uint32_t> storedLanguage() {
    const auto key = RegistryKey::open(Hive::LocalMachine, kMachineKey);
    RegValue value;
    if (key == nullptr || key->query(kLanguageValue, value) != RegResult::Ok ||
        value.type != RegType::Dword) {
        return std::nullopt;
    }
    return value.dword;
}

}  // namespace ambrin::launcher

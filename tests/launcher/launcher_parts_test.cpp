// The launcher's parts that need no window: the shape image reader (against what ImageMagick
// reads from the same file), the shipped button table and the language rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "launcher/LauncherButton.h"
#include "launcher/LauncherLanguage.h"
#include "launcher/LauncherStrings.h"
#include "launcher/PcxImage.h"
#include "platform/Registry.h"
#include "platform/StringTable.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin::launcher {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A header for a one-bit image of `width` × `height` with `stride` bytes a line.
Bytes header(int width, int height, int stride) {
    Bytes bytes(PcxImage::kHeaderSize, 0);
    bytes[0] = 10;
    bytes[1] = 5;
    bytes[2] = 1;
    bytes[3] = 1;
    bytes[8] = static_cast<std::uint8_t>((width - 1) & 0xFF);
    bytes[9] = static_cast<std::uint8_t>((width - 1) >> 8);
    bytes[10] = static_cast<std::uint8_t>((height - 1) & 0xFF);
    bytes[11] = static_cast<std::uint8_t>((height - 1) >> 8);
    bytes[65] = 1;
    bytes[66] = static_cast<std::uint8_t>(stride & 0xFF);
    bytes[67] = static_cast<std::uint8_t>(stride >> 8);
    return bytes;
}

std::optional<PcxImage> read(const Bytes& bytes, std::string* error = nullptr) {
    return PcxImage::read(bytes.data(), bytes.size(), error);
}

TEST(PcxImage, DecodesRunsLiteralsAndRunsAcrossLines) {
    // 12 × 3, two bytes a line. Line 0: a literal 0x81 and a run of one 0xF0 (a byte with
    // its top bits set must be a run); lines 1 and 2: one run of four 0xFF bytes.
    Bytes bytes = header(12, 3, 2);
    for (const int b : {0x81, 0xC1, 0xF0, 0xC4, 0xFF}) {
        bytes.push_back(static_cast<std::uint8_t>(b));
    }
    std::string error;
    const auto image = read(bytes, &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->width(), 12);
    EXPECT_EQ(image->height(), 3);
    const std::string expected[] = {"100000011111", "111111111111", "111111111111"};
    for (int y = 0; y < 3; ++y) {
        std::string row;
        for (int x = 0; x < 12; ++x) {
            row += image->bit(x, y) ? '1' : '0';
        }
        EXPECT_EQ(row, expected[y]) << "line " << y;
    }
    EXPECT_FALSE(image->bit(12, 0));
    EXPECT_FALSE(image->bit(-1, 0));
}

TEST(PcxImage, RefusesWhatIsNotAOneBitRunLengthImageAndWhatEndsEarly) {
    const Bytes good = [] {
        Bytes b = header(16, 2, 2);
        b.insert(b.end(), {0xC4, 0x0F});
        return b;
    }();
    ASSERT_TRUE(read(good));
    const auto changed = [&good](std::size_t at, std::uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"no bytes", {}},
        {"half a header", Bytes(good.begin(), good.begin() + 60)},
        {"another manufacturer", changed(0, 11)},
        {"not run-length encoded", changed(2, 0)},
        {"eight bits a pixel", changed(3, 8)},
        {"three planes", changed(65, 3)},
        {"lines shorter than the width", changed(66, 1)},
        {"xmax before xmin", changed(4, 200)},
        {"header only", Bytes(good.begin(), good.begin() + 128)},
        {"a run without its value", Bytes(good.begin(), good.end() - 1)},
        {"a huge image with a few bytes",
         [&] {
             Bytes b = header(8000, 8000, 1000);
             b.insert(b.end(), {0xFF, 0x00, 0xFF, 0x00});
             return b;
         }()},
        {"wider than the largest side", changed(9, 0xFF)},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(read(c.bytes, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(PcxImage, ShippedShapeReadsAsImageMagickReadsIt) {
    std::string error;
    const std::string path = LAUNCHER_ART "/REGION.pcx";
    const std::string file = test::readFile(path);
    const auto shape =
        PcxImage::read(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), &error);
    ASSERT_TRUE(shape) << error;
    // Plain PBM: "P1", the size, then one digit a pixel; ImageMagick shows a set bit as 1.
    std::istringstream pbm(test::runCommand("convert '" + path + "' -compress none pbm:-"));
    std::string magic;
    int width = 0;
    int height = 0;
    pbm >> magic >> width >> height;
    ASSERT_EQ(magic, "P1");
    ASSERT_EQ(width, shape->width());
    ASSERT_EQ(height, shape->height());
    int cut = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            char pixel = 0;
            pbm >> pixel;
            ASSERT_EQ(shape->bit(x, y), pixel == '1') << x << "," << y;
            cut += shape->bit(x, y) ? 1 : 0;
        }
    }
    // The rounded corners are cut out, the body stays.
    EXPECT_TRUE(shape->bit(0, 0));
    EXPECT_TRUE(shape->bit(width - 1, height - 1));
    EXPECT_FALSE(shape->bit(width / 2, height / 2));
    EXPECT_GT(cut, 100);
    EXPECT_LT(cut, width * height / 20);
}

TEST(ButtonTable, ShippedTableInBothLanguages) {
    for (const int language : {kLangEnglish, kLangKorean}) {
        SetUiLanguage(language);
        const auto buttons = readButtonTable([](int id) { return launcherString(id); });
        ASSERT_EQ(buttons.size(), 5u);
        EXPECT_EQ(buttons[0].name, "Setup");
        EXPECT_EQ(buttons[0].action(), ButtonAction::Setup);
        EXPECT_EQ(buttons[1].action(), ButtonAction::Explorer);
        EXPECT_EQ(buttons[2].action(), ButtonAction::ReadMe);
        EXPECT_EQ(buttons[3].action(), ButtonAction::Manual);
        EXPECT_EQ(buttons[4].action(), ButtonAction::Exit);
        // 303,22,181,42 becomes left 303, top 22, right 484, bottom 64; edges are inside.
        const ButtonRect& setup = buttons[0].hot;
        EXPECT_EQ(setup.left, 303);
        EXPECT_EQ(setup.right, 484);
        EXPECT_EQ(setup.bottom, 64);
        EXPECT_EQ(buttonAt(buttons, 484, 64), 0);
        EXPECT_EQ(buttonAt(buttons, 485, 64), -1);
        EXPECT_EQ(buttonAt(buttons, 392, 228), 4);
        EXPECT_EQ(buttonAt(buttons, 100, 100), -1);
        EXPECT_EQ(launcherString(str::kWindowClass), "AUTORUN");
        EXPECT_EQ(launcherString(str::kWindowTitle), "AutoRun");
    }
    SetUiLanguage(kLangKorean);
}

TEST(ButtonTable, RowsThatCannotBeReadAreLeftOut) {
    const std::map<int, std::string> table = {
        {1, "6"},
        {2, "1,2,3,4,1,2,3,4,Setup"},
        {3, "1,2,3,4,1,2,3,Explorer"},   // a number short
        {4, "1,2,-3,4,1,2,3,4,ReadMe"},  // a negative width
        {5, "1,2,3,4,1,2,3,4,"},         // no name
        {6, "x,2,3,4,1,2,3,4,Manual"},
        {7, " 5, 6,7,8,9,10,11,12, MyExitButton trailing"},
    };
    const auto buttons = readButtonTable([&table](int id) {
        const auto found = table.find(id);
        return found == table.end() ? std::string() : found->second;
    });
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[1].name, "MyExitButton");
    EXPECT_EQ(buttons[1].action(), ButtonAction::Exit);
    EXPECT_EQ(buttons[1].picture.right, 20);
    EXPECT_TRUE(readButtonTable([](int id) { return id == 1 ? "99999999999" : ""; }).empty());
}

TEST(LauncherLanguage, MediumFollowsTheDesktopAndInstalledCopyItsInstallation) {
    LanguageFacts medium;
    medium.launcherFile = "/media/cdrom/setup";
    medium.englishReadmeBeside = true;
    medium.systemLanguage = kLangKorean;
    LauncherLanguage language = chooseLanguage(medium);
    EXPECT_EQ(language.wizardLanguage, kLangKorean);
    EXPECT_EQ(language.uiLanguage, kLangKorean);
    EXPECT_EQ(language.prefix, "");

    medium.commandLine = "-eng";
    language = chooseLanguage(medium);
    EXPECT_EQ(language.wizardLanguage, kLangEnglish);
    EXPECT_EQ(language.prefix, "_eng/");

    medium.commandLine.clear();
    medium.englishReadmeBeside = false;  // a medium without English texts
    EXPECT_EQ(chooseLanguage(medium).uiLanguage, kLangEnglish);

    // The installed copy on an English desktop, installed in Korean, stays Korean; without
    // a stored language it is Korean too.
    test::TestEnvironment env;
    LanguageFacts installed;
    installed.launcherFile = "/home/u/.local/opt/Ambrin/refrex";
    installed.systemLanguage = kLangEnglish;
    installed.commandLine = "-eng";
    installed.storedLanguage = storedLanguage();
    EXPECT_FALSE(installed.storedLanguage);
    EXPECT_EQ(chooseLanguage(installed).uiLanguage, kLangKorean);
    RegistryKey::create(Hive::LocalMachine, kMachineKey)->setDword(kLanguageValue, kLangEnglish);
    installed.storedLanguage = storedLanguage();
    language = chooseLanguage(installed);
    EXPECT_EQ(language.uiLanguage, kLangEnglish);
    EXPECT_EQ(language.wizardLanguage, kLangEnglish);
    RegistryKey::create(Hive::LocalMachine, kMachineKey)->setDword(kLanguageValue, 1042);
    installed.storedLanguage = storedLanguage();
    EXPECT_EQ(chooseLanguage(installed).uiLanguage, kLangKorean);

    EXPECT_TRUE(runsFromMedium("/media/SETUP"));
    EXPECT_FALSE(runsFromMedium("/opt/setup-files/refrex"));
}

}  // namespace
}  // namespace ambrin::launcher

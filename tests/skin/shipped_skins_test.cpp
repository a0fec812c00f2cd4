// The two skins the program ships, as built: each package unpacks with SkinArchive, its
// "skin.xml" reads with SkinReader and keeps every rule of the element vocabulary, every
// control the main window drives is there, and the art works at 1x and @2x.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "skin/SkinArchive.h"
#include "skin/SkinReader.h"
#include "support/TestEnvironment.h"

// Fontconfig keeps its caches for the life of the process; the leak checker of the
// sanitizer build need not report them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace ambrin {
namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

bool parseNumbers(const std::string& text, int count, std::vector<int>& out) {
    QStringList parts = QString::fromStdString(text).split(',');
    if (parts.size() != count) {
        return false;
    }
    static const QRegularExpression number("^\\s*-?\\d+\\s*$");
    out.clear();
    for (const QString& part : parts) {
        if (!number.match(part).hasMatch()) {
            return false;
        }
        out.push_back(part.trimmed().toInt());
    }
    return true;
}

// A control as the description lays it out.
struct Control {
    std::string element, name, bitmap, changeWindow, font;
    Rect source;
    QRect dest;  // in the window
    int columns = 1, rows = 1;
    bool hasSource = false;
};

struct Window {
    std::string name;
    QSize size;
    QImage background;
    std::vector<Control> controls;

    const Control* find(const std::string& controlName) const {
        for (const Control& c : controls) {
            if (c.name == controlName) {
                return &c;
            }
        }
        return nullptr;
    }
};

// Reads a description and checks each element against the vocabulary's rules as it goes;
// the first broken rule stops the parse and is kept in `problem`.
class SkinRules : public SkinReader {
  public:
    explicit SkinRules(std::string folder) : m_folder(std::move(folder)) {}

    std::string problem;
    std::map<std::string, std::string> info;
    std::map<std::string, QImage> bitmaps;
    std::map<std::string, std::string> fonts;  // name → face
    std::vector<Window> windows;

    const Window* window(const std::string& name) const {
        for (const Window& w : windows) {
            if (w.name == name) {
                return &w;
            }
        }
        return nullptr;
    }

    int startElement(const std::string& name, const Attributes& a) override {
        m_attributes = &a;
        m_element = name;
        if (name == "OSKININFO") {
            info = a;
            return 0;
        }
        if (name == "OBITMAPRES") {
            return bitmapResource();
        }
        if (name == "OFONTRES") {
            if (!required("ONAME") || !required("OFACE")) {
                return 1;
            }
            if (!QFontDatabase::families(QFontDatabase::Korean)
                     .contains(QString::fromStdString(a.at("OFACE")))) {
                return fail("font face " + a.at("OFACE") + " is not installed with Hangul");
            }
            fonts[a.at("ONAME")] = a.at("OFACE");
            return 0;
        }
        if (name == "OWINDOW") {
            if (m_inWindow) {
                return fail("a window inside a window");
            }
            if (!required("ONAME")) {
                return 1;
            }
            m_inWindow = true;
            windows.push_back(Window{a.at("ONAME"), {}, {}, {}});
            return 0;
        }
        if (name == "OBKBITMAP") {
            return background();
        }
        static const std::set<std::string> controls{"OBUTTONC",  "OMULTISTATEC", "OSLIDERC",
                                                    "OVSLIDERC", "OTEXTC",       "OLEVELMETERC"};
        if (controls.count(name)) {
            return control();
        }
        // The vocabulary ignores other names; in our own skins one would be a typing error.
        return fail("unknown element");
    }

    int endElement(const std::string& name) override {
        if (name == "OWINDOW") {
            m_inWindow = false;
        } else if (name == m_openControl) {
            m_openControl.clear();
        }
        return 0;
    }

  private:
    int fail(const std::string& why) {
        problem = m_element + ": " + why;
        return 1;
    }

    bool required(const char* attribute) {
        if (!m_attributes->count(attribute)) {
            fail(std::string("missing ") + attribute);
            return false;
        }
        return true;
    }

    bool rect(const char* attribute, Rect& r) {
        std::vector<int> v;
        if (!parseNumbers(m_attributes->at(attribute), 4, v)) {
            fail(std::string("malformed rectangle in ") + attribute);
            return false;
        }
        r = {v[0], v[1], v[2], v[3]};
        if (r.right <= r.left || r.bottom <= r.top) {
            fail(std::string("empty rectangle in ") + attribute);
            return false;
        }
        return true;
    }

    bool colour(const char* attribute) {
        static const QRegularExpression format("^#[0-9A-F]{6}$");
        if (m_attributes->count(attribute) &&
            !format.match(QString::fromStdString(m_attributes->at(attribute))).hasMatch()) {
            fail(std::string("malformed colour in ") + attribute);
            return false;
        }
        return true;
    }

    bool integer(const char* attribute, int& value) {
        static const QRegularExpression format("^\\s*[-+]?\\d+\\s*$");
        if (!m_attributes->count(attribute)) {
            return true;
        }
        const QString text = QString::fromStdString(m_attributes->at(attribute));
        if (!format.match(text).hasMatch()) {
            fail(std::string("malformed integer in ") + attribute);
            return false;
        }
        value = text.trimmed().toInt();
        return true;
    }

    bool flag(const char* attribute) {
        if (m_attributes->count(attribute) && m_attributes->at(attribute) != "yes") {
            fail(std::string(attribute) + " is a flag: \"yes\" or absent");
            return false;
        }
        return true;
    }

    int bitmapResource() {
        if (!required("ONAME") || !required("OFILE") || !colour("OTCOLOR")) {
            return 1;
        }
        const std::string file = m_attributes->at("OFILE");
        if (file.find('/') != std::string::npos || file.find('\\') != std::string::npos) {
            return fail("bitmaps lie directly in the package");
        }
        const QImage image(QString::fromStdString(m_folder + "/" + file));
        if (image.isNull()) {
            return fail(file + " does not load");
        }
        // The @2x bitmap: twice the size, transparent exactly where the 1x one is.
        const std::string dot = file.substr(0, file.rfind('.'));
        const QImage twice(
            QString::fromStdString(m_folder + "/" + dot + "@2x" + file.substr(dot.size())));
        if (twice.size() != image.size() * 2) {
            return fail(file + ": no @2x bitmap of twice its size");
        }
        const QImage one = image.convertToFormat(QImage::Format_RGB32);
        const QImage two = twice.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < two.height(); ++y) {
            for (int x = 0; x < two.width(); ++x) {
                if ((two.pixel(x, y) == kMagenta) != (one.pixel(x / 2, y / 2) == kMagenta)) {
                    return fail(file +
                                ": the @2x bitmap is transparent elsewhere than the 1x bitmap");
                }
            }
        }
        bitmaps[m_attributes->at("ONAME")] = one;
        return 0;
    }

    int background() {
        if (!m_inWindow) {
            return fail("a background outside a window");
        }
        Rect r;
        if (!required("OBITMAPRES") || !required("ORECT") || !rect("ORECT", r)) {
            return 1;
        }
        const auto bitmap = bitmaps.find(m_attributes->at("OBITMAPRES"));
        if (bitmap == bitmaps.end()) {
            return fail("unknown bitmap");
        }
        const QRect area(r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (!bitmap->second.rect().contains(area)) {
            return fail("background rectangle outside its bitmap");
        }
        windows.back().size = area.size();
        windows.back().background = bitmap->second.copy(area);
        return 0;
    }

    int control() {
        if (!m_inWindow || windows.back().size.isEmpty()) {
            return fail("a control outside a window with a background");
        }
        if (!m_openControl.empty()) {
            return fail("a control inside a control");
        }
        if (!required("ONAME")) {
            return 1;
        }
        const std::map<std::string, std::string>& a = *m_attributes;
        Control c;
        c.element = m_element;
        c.name = a.at("ONAME");
        if (a.count("URL") && c.name != "Logo") {
            return fail("URL on a button other than \"Logo\"");
        }
        if (!colour("OCOLOR") || !flag("OBOLD") || !flag("OITALIC") || !flag("OUNDERLINE")) {
            return 1;
        }
        if (a.count("OCHANGEWINDOW")) {
            c.changeWindow = a.at("OCHANGEWINDOW");
        }
        const bool slider = m_element == "OSLIDERC" || m_element == "OVSLIDERC";
        const bool button = m_element == "OBUTTONC" || m_element == "OMULTISTATEC";
        if (slider || button) {
            if (!required("OSRCRECT") || !required("OBITMAPRES") || !rect("OSRCRECT", c.source)) {
                return 1;
            }
            const auto bitmap = bitmaps.find(a.at("OBITMAPRES"));
            if (bitmap == bitmaps.end()) {
                return fail("unknown bitmap");
            }
            c.bitmap = a.at("OBITMAPRES");
            c.hasSource = true;
            if (a.count("OBITMAPSTYLE") && a.at("OBITMAPSTYLE") != "vert") {
                return fail("OBITMAPSTYLE is \"vert\" or absent");
            }
            const bool vert = a.count("OBITMAPSTYLE") > 0;
            if (button) {
                int states = 1;
                if (m_element == "OMULTISTATEC") {
                    if (!required("ONUMSTATES") || !integer("ONUMSTATES", states) || states < 2) {
                        return problem.empty() ? fail("ONUMSTATES below 2") : 1;
                    }
                }
                // Four looks side by side (or stacked), one row per value state.
                c.columns = m_element == "OMULTISTATEC" || !vert ? 4 : 1;
                c.rows = m_element == "OMULTISTATEC" ? states : (vert ? 4 : 1);
            } else {
                int thumbStates = 1;
                int frames = 3;
                if (!integer("OTHUMBSTATES", thumbStates) || !integer("OFRAMES", frames)) {
                    return 1;
                }
                if (thumbStates < 1 || frames < 1 || frames > 3) {
                    return fail("OTHUMBSTATES below 1 or OFRAMES outside 1 to 3");
                }
                c.columns = vert ? thumbStates : 3;
                c.rows = vert ? 3 : thumbStates;
            }
            // Cells are (extent + 1) / count pixels: the source must divide exactly.
            const int width = c.source.right - c.source.left + 1;
            const int height = c.source.bottom - c.source.top + 1;
            if (width % c.columns != 0 || height % c.rows != 0) {
                return fail("source rectangle does not divide into its cells");
            }
            if (!bitmap->second.rect().contains(
                    QRect(c.source.left, c.source.top, width, height))) {
                return fail("source rectangle outside its bitmap");
            }
        }
        if (a.count("ODESTRECT")) {
            Rect d;
            if (!rect("ODESTRECT", d)) {
                return 1;
            }
            c.dest = QRect(d.left, d.top, d.right - d.left, d.bottom - d.top);
        } else if (a.count("ODESTPOS")) {
            std::vector<int> p;
            if (!parseNumbers(a.at("ODESTPOS"), 2, p)) {
                return fail("malformed point in ODESTPOS");
            }
            if (!c.hasSource) {
                return fail("ODESTPOS without a source to size it");
            }
            c.dest = QRect(p[0], p[1], (c.source.right - c.source.left + 1) / c.columns,
                           (c.source.bottom - c.source.top + 1) / c.rows);
        } else {
            return fail("no ODESTRECT or ODESTPOS");
        }
        if (!QRect(QPoint(0, 0), windows.back().size).contains(c.dest)) {
            return fail("control outside its window");
        }
        if (slider) {
            const int thumb = (c.source.right - c.source.left + 1) / c.columns;
            const int thumbHeight = (c.source.bottom - c.source.top + 1) / c.rows;
            if (c.dest.width() - thumb < 50 || thumbHeight > c.dest.height()) {
                return fail("slider track too short or thumb taller than the slider");
            }
        }
        if (m_element == "OTEXTC") {
            if (!required("OFONTRES")) {
                return 1;
            }
            if (!fonts.count(a.at("OFONTRES"))) {
                return fail("unknown font");
            }
            c.font = a.at("OFONTRES");
        }
        windows.back().controls.push_back(c);
        m_openControl = m_element;
        return 0;
    }

    std::string m_folder;
    const Attributes* m_attributes = nullptr;
    std::string m_element;
    bool m_inWindow = false;
    std::string m_openControl;
};

// Mean difference of two equally sized images, 0 to 255.
double difference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

class ShippedSkinTest : public test::EnvironmentTest,
                        public ::testing::WithParamInterface<const char*> {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "shipped_skin_tests";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QGuiApplication::instance()) {
            new QGuiApplication(argc, argv);
        }
    }

    // Unpacks the package and reads its description; false with a reason on any failure.
    void load(SkinRules*& rules) {
        const std::string package = std::string(AMBRIN_SKIN_PACKAGE_DIR) + "/" + GetParam();
        const std::string folder = env.path("unpacked");
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        SkinArchive archive;
        ASSERT_EQ(archive.extract(package, folder), 0) << package;
        m_rules = std::make_unique<SkinRules>(folder);
        const int code = m_rules->parseFile(folder + "/skin.xml");
        ASSERT_EQ(code, 0) << m_rules->problem << " at " << m_rules->errorPosition();
        rules = m_rules.get();
    }

    std::unique_ptr<SkinRules> m_rules;
};

TEST_P(ShippedSkinTest, DescriptionKeepsTheRulesAndCarriesEveryControl) {
    SkinRules* rules = nullptr;
    load(rules);
    ASSERT_TRUE(rules);
    EXPECT_FALSE(rules->info["ONAME"].empty());
    EXPECT_FALSE(rules->info["ODATE"].empty());
    const Window* main = rules->window("MainWindow");
    ASSERT_TRUE(main);
    for (const char* name :
         {"Record",       "Play", "Pause",       "Stop", "Seek",       "Volume",
          "RecordVolume", "Mute", "Time",        "Info", "LevelMeter", "RecordMode",
          "RecordFormat", "Tray", "Minimize",    "Quit", "Options",    "RecordList",
          "Help",         "Logo", "WindowStatus"}) {
        EXPECT_TRUE(main->find(name)) << "MainWindow has no " << name;
    }
    // The value states the main window sets: paused, muted, the two record modes and the
    // three formats.
    const std::map<std::string, int> states{
        {"Pause", 2}, {"Mute", 2}, {"RecordMode", 2}, {"RecordFormat", 3}};
    for (const auto& [name, count] : states) {
        const Control* c = main->find(name);
        ASSERT_TRUE(c);
        EXPECT_EQ(c->element, "OMULTISTATEC") << name;
        EXPECT_EQ(c->rows, count) << name;
    }
    EXPECT_EQ(main->find("Seek")->element, "OSLIDERC");
    EXPECT_EQ(main->find("Time")->element, "OTEXTC");
    EXPECT_EQ(main->find("LevelMeter")->element, "OLEVELMETERC");

    // A smaller second window that the main window switches to and that switches back.
    std::string second;
    for (const Control& c : main->controls) {
        if (!c.changeWindow.empty()) {
            second = c.changeWindow;
        }
    }
    const Window* other = rules->window(second);
    ASSERT_TRUE(other) << "no window reached with OCHANGEWINDOW";
    EXPECT_LT(other->size.width() * other->size.height(), main->size.width() * main->size.height());
    bool back = false;
    for (const Control& c : other->controls) {
        back = back || c.changeWindow == "MainWindow";
    }
    EXPECT_TRUE(back) << second << " has no way back to MainWindow";
    for (const char* name : {"Record", "Stop", "Time", "Quit"}) {
        EXPECT_TRUE(other->find(name)) << second << " has no " << name;
    }
}

TEST_P(ShippedSkinTest, WindowsAreRoundedAndTheirLooksDiffer) {
    SkinRules* rules = nullptr;
    load(rules);
    ASSERT_TRUE(rules);
    for (const Window& w : rules->windows) {
        const QImage& back = w.background;
        // Rounded: the corners lie outside the shape, the edges' middles inside.
        const int right = back.width() - 1;
        const int bottom = back.height() - 1;
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)}) {
            EXPECT_EQ(back.pixel(corner), kMagenta) << w.name;
        }
        for (const QPoint edge :
             {QPoint(right / 2, 0), QPoint(0, bottom / 2), QPoint(right / 2, bottom)}) {
            EXPECT_NE(back.pixel(edge), kMagenta) << w.name;
        }
        // Normal, pointer-over, disabled and pressed looks of every button can be told apart
        // (the window-status grip only shows whether the pointer is over the window).
        for (const Control& c : w.controls) {
            if (c.element != "OBUTTONC" && c.element != "OMULTISTATEC") {
                continue;
            }
            const QImage& bitmap = rules->bitmaps.at(c.bitmap);
            const int cw = c.dest.width();
            const int ch = c.dest.height();
            for (int row = 0; row < c.rows; ++row) {
                auto cell = [&](int look) {
                    return bitmap.copy(c.source.left + look * cw, c.source.top + row * ch, cw, ch);
                };
                EXPECT_GT(difference(cell(0), cell(1)), 1.0)
                    << w.name << " " << c.name << ": hover";
                if (c.name == "WindowStatus") {
                    continue;
                }
                EXPECT_GT(difference(cell(0), cell(3)), 1.0)
                    << w.name << " " << c.name << ": pressed";
                EXPECT_GT(difference(cell(1), cell(3)), 1.0)
                    << w.name << " " << c.name << ": hover/pressed";
                EXPECT_GT(difference(cell(0), cell(2)), 1.0)
                    << w.name << " " << c.name << ": disabled";
            }
        }
    }
}

// The texts the program puts in its fields fit at the size the field gives its font, in
// Korean and English; "Time" may overflow only beyond an hour (it then shows its end).
TEST_P(ShippedSkinTest, StatusAndTimeFitTheirFields) {
    SkinRules* rules = nullptr;
    load(rules);
    ASSERT_TRUE(rules);
    for (const Window& w : rules->windows) {
        for (const Control& c : w.controls) {
            if (c.element != "OTEXTC") {
                continue;
            }
            QFont font(QString::fromStdString(rules->fonts.at(c.font)));
            font.setPixelSize(c.dest.height() - 2);
            font.setBold(true);
            EXPECT_GE(c.dest.height() - 2, 12)
                << w.name << " " << c.name << " is too small to read";
            const QFontMetricsF metrics(font);
            std::vector<QString> texts;
            if (c.name == "Time") {
                texts = {"00:00", "-59:59"};
                if (w.name == "MainWindow") {
                    texts.push_back("01:00:00");
                }
            } else if (c.name == "Info") {
                texts = {"대기 중...[자동]", "대기 중...[수동]", "녹음 중...", "Recording...",
                         "Waiting...[Automatic]"};
                if (w.name == "MainWindow") {
                    texts.push_back("20261208_101502.ogg");
                }
            }
            for (const QString& text : texts) {
                EXPECT_LE(metrics.horizontalAdvance(text), c.dest.width())
                    << w.name << " " << c.name << ": \"" << text.toStdString() << "\" does not fit";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Packages, ShippedSkinTest,
                         ::testing::Values("Ambrin_Large.VSK", "ambrin.vsk"), [](const auto& p) {
                             return std::string(p.param[0] == 'A' ? "Large" : "Compact");
                         });

}  // namespace
}  // namespace ambrin

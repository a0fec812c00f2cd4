#include "skin/SkinDocument.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QPainter>
#include <filesystem>
#include <functional>
#include <vector>

#include "SkinTestTools.h"
#include "TestSkin.h"
#include "skin/MultiStateControl.h"
#include "skin/SkinOwner.h"
#include "skin/SliderControl.h"
#include "skin/TextControl.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using Events = std::vector<std::string>;

class RecordingOwner : public SkinOwner {
  public:
    void onAction(const std::string& control, int code) override {
        events.push_back(control + ":" + std::to_string(code));
        if (onEvent) {
            onEvent(control, code);
        }
    }
    Events take() { return std::exchange(events, {}); }

    Events events;
    std::function<void(const std::string&, int)> onEvent;
};

class SkinDocumentTest : public test::EnvironmentTest {
  protected:
    void SetUp() override { test::ensureGuiApplication(); }

    // Loads a skin of one window "W" with the test skin's background around `controls`.
    int load(const std::string& controls, const std::string& extra = {}) {
        skin.write(extra +
                   "<OWINDOW ONAME=\"W\">\n<OBKBITMAP OBITMAPRES=\"bg\" ORECT=\"0,0,240,80\"/>\n" +
                   controls + "\n</OWINDOW>\n");
        const int result = document.loadPackage(skin.folder());
        if (result == 0) {
            view = document.findWindow("W");
            view->setOwner(&owner);
        }
        return result;
    }

    QRgb pixel(int x, int y) { return view->buffer().pixel(x, y) & 0xFFFFFF; }

    // The area around `control` in each of the given looks, side by side.
    QImage sheet(const std::string& control, const std::vector<std::function<void()>>& looks) {
        const QRect area = view->findControl(control)->rect().adjusted(-2, -2, 2, 2);
        QImage out(area.width() * static_cast<int>(looks.size()), area.height(),
                   QImage::Format_RGB32);
        QPainter painter(&out);
        for (size_t i = 0; i < looks.size(); ++i) {
            looks[i]();
            painter.drawImage(QPoint(static_cast<int>(i) * area.width(), 0), view->buffer(), area);
        }
        return out;
    }

    test::TestSkin skin{env.path("skin")};
    SkinDocument document;
    RecordingOwner owner;
    SkinView* view = nullptr;
};

constexpr const char* kSideButton =
    "<OBUTTONC ONAME=\"Side\" OSRCRECT=\"0,0,79,9\" OBITMAPRES=\"ctl\" ODESTPOS=\"10,10\" "
    "OTOOLTIP=\"Play\"/>";

TEST_F(SkinDocumentTest, AFailingElementEndsTheLoadWithItsLineAndKeepsTheSkin) {
    ASSERT_EQ(
        load(std::string(kSideButton) +
                 "\n<OBUTTONC ONAME=\"Logo\" URL=\"https://example.org\" OSRCRECT=\"0,0,79,9\" "
                 "OBITMAPRES=\"ctl\" ODESTRECT=\"10,30,30,40\"/><OUNKNOWN A=\"1\"/>",
             "<OSKININFO ONAME=\"Test\" ODATE=\"2026.12.08\"/>\n"),
        0);
    EXPECT_EQ(document.description().name, "Test");
    std::string url;
    ASSERT_TRUE(document.readText("Logo", url));
    EXPECT_EQ(url, "https://example.org");

    const std::string button = "ONAME=\"b\" OBITMAPRES=\"ctl\" ODESTPOS=\"1,1\" ";
    const std::vector<std::string> bad = {
        "<OBUTTONC " + button + "OSRCRECT=\"0,0,79\"/>",
        "<OBUTTONC " + button + "OSRCRECT=\"0,0,79,9x\"/>",
        "<OBUTTONC ONAME=\"b\" OBITMAPRES=\"ctl\"/>",
        "<OBUTTONC ONAME=\"b\" OSRCRECT=\"0,0,79,9\" OBITMAPRES=\"none\"/>",
        "<OBUTTONC " + button + "OSRCRECT=\"0,0,79,9\" ODESTPOS=\"1;1\"/>",
        "<OBUTTONC ONAME=\"Play\" URL=\"https://example.org\" OSRCRECT=\"0,0,79,9\" "
        "OBITMAPRES=\"ctl\"/>",
        "<OBUTTONC " + button + "OSRCRECT=\"0,0,79,9\"><OBUTTONC " + button +
            "OSRCRECT=\"0,0,79,9\"/>",
        "<OMULTISTATEC ONAME=\"m\" ONUMSTATES=\"0\" OSRCRECT=\"100,0,179,29\" OBITMAPRES=\"ctl\"/>",
        "<OSLIDERC ONAME=\"s\" OSRCRECT=\"0,100,29,199\" OBITMAPRES=\"ctl\"/>",
        "<OTEXTC ONAME=\"t\" OFONTRES=\"none\"/>",
        "<OTEXTC ONAME=\"t\" OFONTRES=\"sans\" OCOLOR=\"#12345\"/>",
        "<OPANEL ONAME=\"p\" OBITMAP=\"panel\" ORECT=\"0,0,40,30\"/>",
        "<OBKBITMAP OBITMAPRES=\"bg\" ORECT=\"0,0,0,10\"/>",
        "<OBITMAPRES ONAME=\"x\" OFILE=\"missing.bmp\"/>",
        "<OBITMAPRES ONAME=\"x\" OFILE=\"skin.xml\"/>",
        "<OBITMAPRES ONAME=\"x\" OFILE=\"../skin/bg.bmp\"/>",
        "<OBITMAPRES ONAME=\"x\" OFILE=\"bg.bmp\" OTCOLOR=\"FF00FF\"/>",
        "<OFONTRES ONAME=\"f\" OFACE=\"Sans\" OFILE=\"bg.bmp\"/>",
    };
    for (const std::string& element : bad) {
        skin.write("<OWINDOW ONAME=\"W\">\n" + element + "\n</OWINDOW>\n");
        EXPECT_EQ(document.loadPackage(skin.folder()), 23) << element;
        // The line breaks read up to the failing tag and the white space right after it.
        EXPECT_EQ(document.errorText(), "[7].") << element << " " << document.failure();
        EXPECT_NE(document.findControl("W", "Side"), nullptr) << element;
    }
    // Controls belong to windows.
    skin.write("\n" + std::string(kSideButton));
    EXPECT_EQ(document.loadPackage(skin.folder()), 23);
    EXPECT_EQ(document.errorText(), "[6].");
}

TEST_F(SkinDocumentTest, MagentaIsTransparentAndOutsideTheShape) {
    ASSERT_EQ(load(kSideButton), 0);
    const QRegion& region = view->region();
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(5, 0)));
    EXPECT_FALSE(region.contains(QPoint(0, 5)));
    EXPECT_TRUE(region.contains(QPoint(6, 0)));
    EXPECT_TRUE(region.contains(QPoint(239, 78)));
    EXPECT_FALSE(region.contains(QPoint(60, 79)));
    long long area = 0;
    for (const QRect& rect : region) {
        area += qint64{rect.width()} * rect.height();
    }
    EXPECT_EQ(area, 240 * 79 - 21);
    const QImage shaped = view->shapedImage();
    EXPECT_EQ(qAlpha(shaped.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shaped.pixel(60, 79)), 0);
    EXPECT_EQ(shaped.pixel(60, 40), view->buffer().pixel(60, 40));

    // The button's magenta centre pixel shows the window's background through it.
    EXPECT_EQ(pixel(10, 10), test::cellColour(0, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(pixel(20, 15), test::TestSkin::backgroundAt(20, 15).rgb() & 0xFFFFFF);
}

// Every look of every bitmap-only control, pixel for pixel.
TEST_F(SkinDocumentTest, BitmapControlsDrawEveryLookExactly) {
    ASSERT_EQ(
        load(std::string(kSideButton) +
             "\n<OBUTTONC ONAME=\"Vert\" OSRCRECT=\"0,20,19,59\" OBITMAPRES=\"ctl\" "
             "OBITMAPSTYLE=\"vert\" ODESTPOS=\"40,10\" OCHANGEWINDOW=\"Small\"/>"
             "\n<OMULTISTATEC ONAME=\"Mode\" ONUMSTATES=\"3\" OSRCRECT=\"100,0,179,29\" "
             "OBITMAPRES=\"ctl\" ODESTPOS=\"70,10\" OTOOLTIP=\"Auto|Manual|Off\"/>"
             "\n<OSLIDERC ONAME=\"Seek\" OSRCRECT=\"0,100,29,199\" OBITMAPRES=\"ctl\" "
             "OTHUMBSTATES=\"10\" ODESTRECT=\"5,30,115,42\"/>"
             "\n<OVSLIDERC ONAME=\"Volume\" OSRCRECT=\"40,100,139,129\" OBITMAPRES=\"ctl\" "
             "OBITMAPSTYLE=\"vert\" OTHUMBSTATES=\"10\" OFRAMES=\"2\" ODESTRECT=\"100,5,112,30\"/>"
             "\n<OLEVELMETERC ONAME=\"Level\" ODESTRECT=\"5,50,65,75\" OCOLOR=\"#00FF40\"/>"),
        0);
    const QPoint side(15, 12);
    const QPoint away(150, 70);
    EXPECT_TRUE(test::matchesGolden(
        sheet("Side", {[] {}, [&] { view->pointerMove(side); }, [&] { view->pointerPress(side); },
                       [&] { view->pointerMove(away); }, [&] { view->pointerRelease(away); },
                       [&] { view->setState("Side", 2); }}),
        "button_side"));
    EXPECT_EQ(owner.take(), (Events{"Side:1", "Side:2"}));  // released outside: no click
    EXPECT_EQ(view->findControl("Side")->state(), 2);
    view->setState("Side", 0);

    const QPoint vert(45, 12);
    EXPECT_TRUE(test::matchesGolden(
        sheet("Vert", {[] {}, [&] { view->pointerMove(vert); }, [&] { view->pointerPress(vert); },
                       [&] { view->pointerRelease(vert); }, [&] { view->setState("Vert", 2); }}),
        "button_vert"));
    EXPECT_EQ(owner.take(), (Events{"Vert:1", "Vert:6"}));           // carries the window name
    EXPECT_EQ(pixel(41, 10), test::cellColour(1, 0, 2) & 0xFFFFFF);  // disabled: cell 2
    view->pointerPress(vert);  // a disabled button takes no press
    EXPECT_TRUE(owner.take().empty());
    view->pointerMove(away);
    owner.take();

    const QPoint mode(72, 12);
    EXPECT_TRUE(test::matchesGolden(
        sheet("Mode", {[&] { view->setValue("Mode", -3); }, [&] { view->setValue("Mode", 1); },
                       [&] { view->pointerMove(mode); }, [&] { view->setValue("Mode", 2); },
                       [&] { view->pointerPress(mode); }, [&] { view->setValue("Mode", 99); }}),
        "multistate"));
    int value = -1;
    EXPECT_TRUE(view->readValue("Mode", value));
    EXPECT_EQ(value, 2);
    EXPECT_EQ(pixel(71, 10), test::cellColour(2, 3, 2) & 0xFFFFFF);  // pressed look, last row
    EXPECT_EQ(view->tooltipAt(mode), "Off");
    view->setValue("Mode", 0);
    EXPECT_EQ(view->tooltipAt(mode), "Auto");
    view->pointerRelease(mode);
    EXPECT_EQ(owner.take(), (Events{"Mode:1", "Mode:0"}));

    // The horizontal thumb's picture changes every 10 pixels of its 100-pixel track.
    EXPECT_TRUE(test::matchesGolden(
        sheet("Seek", {[&] { view->setValue("Seek", 0); }, [&] { view->setValue("Seek", 9); },
                       [&] { view->setValue("Seek", 10); }, [&] { view->setValue("Seek", 89); },
                       [&] { view->setValue("Seek", 90); }, [&] { view->setValue("Seek", 100); }}),
        "slider_h"));
    EXPECT_TRUE(test::matchesGolden(sheet("Volume", {[&] { view->setValue("Volume", 0); },
                                                     [&] { view->setValue("Volume", 50); },
                                                     [&] { view->pointerMove(QPoint(105, 18)); },
                                                     [&] { view->pointerPress(QPoint(105, 18)); },
                                                     [&] { view->setValue("Volume", 100); }}),
                                    "slider_v"));

    std::vector<std::int16_t> samples(200);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>((static_cast<int>(i % 40) - 20) * 1500);
    }
    EXPECT_TRUE(test::matchesGolden(
        sheet("Level", {[&] { view->setLevelData("Level", samples.data(), samples.size()); },
                        [&] { view->setValue("Level", 1); },
                        [&] { view->setLevelData("Level", samples.data(), 0); }}),
        "levelmeter"));
}

TEST_F(SkinDocumentTest, SlidersFollowThePointerAndSnapToTheirNotch) {
    ASSERT_EQ(
        load("<OSLIDERC ONAME=\"Pan\" OSRCRECT=\"0,100,29,199\" OBITMAPRES=\"ctl\" "
             "OTHUMBSTATES=\"10\" ONOTCH=\"50\" ONOTCHWIDTH=\"10\" ODESTRECT=\"10,30,220,40\"/>"
             "\n<OSLIDERC ONAME=\"One\" OSRCRECT=\"0,100,29,109\" OBITMAPRES=\"ctl\" "
             "ODESTRECT=\"0,50,110,60\"/>"),
        0);
    auto& pan = static_cast<SliderControl&>(*view->findControl("Pan"));
    ASSERT_EQ(pan.trackLength(), 200);
    // Pressed on the thumb 5 pixels from its start, dragged along the track.
    for (int target = 88; target <= 112; ++target) {
        view->pointerPress(QPoint(10 + 5, 35));
        view->pointerMove(QPoint(10 + 5 + target, 35));
        const int expected = target >= 95 && target <= 105 ? 100 : target;
        EXPECT_EQ(pan.pixelPosition(), expected) << target;
        view->pointerMove(QPoint(10 + 5, 35));
        view->pointerRelease(QPoint(10 + 5, 35));
    }
    view->pointerMove(QPoint(5, 70));
    owner.take();
    view->pointerPress(QPoint(10 + 5, 35));
    view->pointerMove(QPoint(10 + 5 + 150, 35));
    view->pointerMove(QPoint(10 + 5 + 400, 35));  // beyond the end
    view->pointerRelease(QPoint(10 + 5 + 400, 35));
    int value = -1;
    ASSERT_TRUE(view->readValue("Pan", value));
    EXPECT_EQ(value, 100);
    EXPECT_EQ(pan.thumbRow(), 9);
    EXPECT_EQ(owner.take(), (Events{"Pan:1", "Pan:4", "Pan:4", "Pan:5", "Pan:2"}));

    // A click on the track centres the thumb on the pointer.
    view->pointerPress(QPoint(10 + 60, 35));
    EXPECT_EQ(pan.pixelPosition(), 55);
    view->pointerRelease(QPoint(10 + 60, 35));
    view->readValue("Pan", value);
    EXPECT_EQ(value, 27);
    // Values outside 0..100 are ignored.
    view->setValue("Pan", 101);
    view->setValue("Pan", -1);
    EXPECT_EQ(pan.pixelPosition(), 55);

    auto& one = static_cast<SliderControl&>(*view->findControl("One"));
    for (const int percent : {0, 37, 99, 100}) {
        view->setValue("One", percent);
        EXPECT_EQ(one.thumbRow(), 0);
        EXPECT_EQ(one.pixelPosition(), percent);
    }
}

TEST_F(SkinDocumentTest, TextFieldsAlignAndTheTimeShowsItsEnd) {
    const std::string field = "OFONTRES=\"sans\" OCOLOR=\"#FFFFFF\" ";
    ASSERT_EQ(
        load("<OPANEL ONAME=\"Texts\" OBITMAP=\"panel\" ORECT=\"0,0,40,30\" OPOS=\"0,0\">\n"
             "</OPANEL><OPANEL ONAME=\"P\" OBITMAP=\"panel\" ORECT=\"0,0,40,30\" OPOS=\"80,0\">"
             "<OTEXTC ONAME=\"L\" " +
             field +
             "ODESTRECT=\"0,0,40,10\" OALIGN=\"left\"/>"
             "<OTEXTC ONAME=\"C\" " +
             field +
             "ODESTRECT=\"0,10,40,20\" OALIGN=\"Center\"/>"
             "<OTEXTC ONAME=\"R\" " +
             field +
             "ODESTRECT=\"0,20,40,30\" OALIGN=\"Right\"/>"
             "</OPANEL><OPANEL ONAME=\"Q\" OBITMAP=\"panel\" ORECT=\"0,0,40,30\" OPOS=\"80,40\">"
             "<OTEXTC ONAME=\"Time\" " +
             field +
             "ODESTRECT=\"0,0,40,14\"/>"
             "<OTEXTC ONAME=\"Info\" " +
             field + "ODESTRECT=\"0,15,40,29\"/></OPANEL>"),
        0);
    const QRgb panel = 0x305070;
    // The columns of the field's rectangle that hold the text's pixels.
    const auto inked = [&](const QRect& area) {
        int first = 1000;
        int last = -1;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (pixel(x, y) != panel) {
                    first = std::min(first, x - area.left());
                    last = std::max(last, x - area.left());
                }
            }
        }
        return std::make_pair(first, last);
    };
    for (const char* name : {"L", "C", "R"}) {
        view->setText(name, "ii");
    }
    const auto left = inked(QRect(80, 0, 40, 10));
    const auto centre = inked(QRect(80, 10, 40, 10));
    const auto right = inked(QRect(80, 20, 40, 10));
    ASSERT_GE(left.second, 0);
    EXPECT_LE(left.first, 3);
    EXPECT_GE(right.second, 36);
    EXPECT_NEAR((centre.first + centre.second) / 2.0, 19.5, 2.0);
    EXPECT_EQ(right.second - right.first, left.second - left.first);

    // Too long for the field: "Time" keeps its end in view, any other field its start.
    view->setText("Time", "1234:56:78");
    view->setText("Info", "1234:56:78");
    auto& time = static_cast<TextControl&>(*view->findControl("Time"));
    ASSERT_GT(time.overflow(), 0);
    EXPECT_GE(inked(QRect(80, 40, 40, 14)).second, 36);
    EXPECT_LE(inked(QRect(80, 55, 40, 14)).first, 2);
    // Nothing drawn outside the fields.
    EXPECT_EQ(pixel(79, 45), test::TestSkin::backgroundAt(79, 45).rgb() & 0xFFFFFF);
}

TEST_F(SkinDocumentTest, SkinFilesResolveInsideTheSkinOnly) {
    std::filesystem::create_directories(skin.folder() + "/art");
    std::filesystem::copy_file(skin.folder() + "/panel.bmp", skin.folder() + "/art/p2.bmp");
    // Absolute names from the maker's machine find the skin's own file, never another.
    QImage stranger(5, 5, QImage::Format_RGB32);
    stranger.fill(Qt::red);
    std::filesystem::create_directories(env.path("elsewhere"));
    stranger.save(QString::fromStdString(env.path("elsewhere/ctl.png")));
    ASSERT_EQ(load("",
                   "<OBITMAPRES ONAME=\"rel\" OFILE=\"art\\p2.bmp\"/>\n"
                   "<OBITMAPRES ONAME=\"rel2\" OFILE=\"./art/../art/p2.bmp\"/>\n"
                   "<OBITMAPRES ONAME=\"drive\" OFILE=\"C:\\Design\\ctl.png\"/>\n"
                   "<OBITMAPRES ONAME=\"abs\" OFILE=\"" +
                       env.path("elsewhere/ctl.png") + "\"/>\n"),
              0);
    EXPECT_EQ(document.bitmap("rel")->width(), 40);
    EXPECT_EQ(document.bitmap("rel2")->width(), 40);
    EXPECT_EQ(document.bitmap("drive")->width(), 200);
    EXPECT_EQ(document.bitmap("abs")->width(), 200);
    EXPECT_EQ(load("", "<OBITMAPRES ONAME=\"up\" OFILE=\"art/../../skin/bg.bmp\"/>\n"), 23);
    EXPECT_EQ(load("", "<OBITMAPRES ONAME=\"up\" OFILE=\"..\\bg.bmp\"/>\n"), 23);
}

TEST_F(SkinDocumentTest, PackagedSkinWithFontAndDoubleSizeBitmaps) {
    // A font file shipped in the package lives exactly as long as the skin.
    std::filesystem::copy_file("/usr/share/fonts/truetype/nanum/NanumGothic.ttf",
                               skin.folder() + "/face.ttf");
    // Twice the size, each cell's colour changed, so that which one is drawn shows.
    QImage large = QImage(QString::fromStdString(skin.folder() + "/ctl.png"))
                       .scaled(400, 400, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    large.invertPixels();
    large.save(QString::fromStdString(skin.folder() + "/ctl@2x.png"));
    skin.write(
        "<OFONTRES ONAME=\"shipped\" OFACE=\"NanumGothic\" OFILE=\"face.ttf\"/>\n"
        "<OWINDOW ONAME=\"W\"><OBKBITMAP OBITMAPRES=\"bg\"/>" +
        std::string(kSideButton) + "</OWINDOW>");
    const std::string package = skin.pack(env.path("Test.VSK"));
    ASSERT_EQ(document.loadPackage(package), 0) << document.failure();
    EXPECT_TRUE(test::folderEntries(env.path("tmp")).empty());
    const int fontId = document.font("shipped")->fontId();
    ASSERT_GE(fontId, 0);
    EXPECT_TRUE(document.font("shipped")->found());
    EXPECT_FALSE(QFontDatabase::applicationFontFamilies(fontId).isEmpty());

    view = document.findWindow("W");
    ASSERT_EQ(view->size(), QSize(240, 80));
    view->setScale(2);
    const QImage& twice = view->buffer();
    ASSERT_EQ(twice.size(), QSize(480, 160));
    const QRgb inverted = ~test::cellColour(0, 0, 0) & 0xFFFFFF;
    EXPECT_EQ(twice.pixel(21, 21) & 0xFFFFFF, inverted);
    // The mask of the 1x image cuts the large one: the centre pixel's four are background.
    for (const QPoint p : {QPoint(40, 30), QPoint(41, 31)}) {
        EXPECT_EQ(twice.pixel(p) & 0xFFFFFF, test::TestSkin::backgroundAt(20, 15).rgb() & 0xFFFFFF);
    }
    // The background has no large image: its pixels are doubled, not smoothed.
    for (const QPoint p : {QPoint(100, 100), QPoint(101, 101), QPoint(100, 101)}) {
        EXPECT_EQ(twice.pixel(p) & 0xFFFFFF, test::TestSkin::backgroundAt(50, 50).rgb() & 0xFFFFFF);
    }
    view->setScale(1);
    EXPECT_EQ(view->buffer().pixel(10, 10) & 0xFFFFFF, test::cellColour(0, 0, 0) & 0xFFFFFF);

    // A reload replaces the skin and its font; the window still on screen stays usable.
    const std::shared_ptr<SkinView> shown = document.window("W");
    skin.write("<OWINDOW ONAME=\"W\"><OBKBITMAP OBITMAPRES=\"bg\"/></OWINDOW>");
    ASSERT_EQ(document.loadPackage(skin.folder()), 0);
    EXPECT_EQ(document.font("shipped"), nullptr);
    EXPECT_TRUE(QFontDatabase::applicationFontFamilies(fontId).isEmpty());
    EXPECT_EQ(shown->buffer().pixel(10, 10) & 0xFFFFFF, test::cellColour(0, 0, 0) & 0xFFFFFF);
}

}  // namespace
}  // namespace ambrin

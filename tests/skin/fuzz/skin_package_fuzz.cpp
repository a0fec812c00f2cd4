// libFuzzer target: whole skin packages (archive, description, bitmaps, fonts) loaded into
// a skin document, every window drawn and pointed at, as the program would.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSandbox.h"
#include "skin/SkinArchive.h"
#include "skin/SkinDocument.h"
#include "skin/SkinOwner.h"

namespace {

std::unique_ptr<ambrin::fuzz::FuzzSandbox> sandbox;

class CountingOwner : public ambrin::SkinOwner {
  public:
    void onAction(const std::string& control, int code) override {
        if (control.empty() || code < 0 || code > 6) {
            std::fprintf(stderr, "skin package fuzz: bad notification\n");
            std::abort();
        }
    }
};

// Seed packages: a skin with every kind of control, in the program's own package format.
void writeSeeds(const std::string& folder) {
    const std::string files = folder + "/files";
    std::filesystem::create_directories(files);
    QImage bg(64, 32, QImage::Format_RGB32);
    bg.fill(QColor(40, 80, 120));
    bg.setPixel(0, 0, qRgb(255, 0, 255));
    bg.save(QString::fromStdString(files + "/bg.bmp"));
    QImage ctl(40, 40, QImage::Format_RGB32);
    ctl.fill(QColor(200, 30, 30));
    ctl.setPixel(5, 5, qRgb(255, 0, 255));
    ctl.save(QString::fromStdString(files + "/ctl.png"));
    ctl.scaled(80, 80).save(QString::fromStdString(files + "/ctl@2x.png"));
    std::FILE* xml = std::fopen((files + "/skin.xml").c_str(), "w");
    if (xml == nullptr) {
        std::abort();
    }
    std::fputs(
        "<?xml version=\"1.0\"?>\n<OSKININFO ONAME=\"Seed\" ODATE=\"2026.12.08\"/>\n"
        "<OBITMAPRES ONAME=\"bg\" OFILE=\"bg.bmp\" OTCOLOR=\"#FF00FF\"/>\n"
        "<OBITMAPRES ONAME=\"ctl\" OFILE=\"ctl.png\" OTCOLOR=\"#FF00FF\"/>\n"
        "<OFONTRES ONAME=\"f\" OFACE=\"DejaVu Sans\"/>\n"
        "<OWINDOW ONAME=\"MainWindow\"><OBKBITMAP OBITMAPRES=\"bg\" ORECT=\"0,0,64,32\"/>\n"
        "<OBUTTONC ONAME=\"Play\" OSRCRECT=\"0,0,39,9\" OBITMAPRES=\"ctl\" ODESTPOS=\"1,1\" "
        "OCHANGEWINDOW=\"Small\" OTOOLTIP=\"Play\"/>\n"
        "<OPANEL ONAME=\"p\" OBITMAP=\"ctl\" ORECT=\"0,0,30,20\" OPOS=\"20,5\">\n"
        "<OMULTISTATEC ONAME=\"Mode\" ONUMSTATES=\"2\" OSRCRECT=\"0,10,39,29\" OBITMAPRES=\"ctl\" "
        "ODESTPOS=\"0,0\" OTOOLTIP=\"a|b\"/>\n"
        "<OSLIDERC ONAME=\"Seek\" OSRCRECT=\"0,0,29,39\" OBITMAPRES=\"ctl\" OTHUMBSTATES=\"4\" "
        "ONOTCH=\"50\" ONOTCHWIDTH=\"4\" ODESTRECT=\"0,10,30,20\"/>\n</OPANEL>\n"
        "<OVSLIDERC ONAME=\"Volume\" OSRCRECT=\"0,0,39,29\" OBITMAPRES=\"ctl\" "
        "OBITMAPSTYLE=\"vert\" "
        "OTHUMBSTATES=\"4\" OFRAMES=\"2\" ODESTRECT=\"54,0,64,32\"/>\n"
        "<OTEXTC ONAME=\"Time\" OFONTRES=\"f\" ODESTRECT=\"1,14,40,30\" OCOLOR=\"#FFFFFF\" "
        "OBOLD=\"yes\" OALIGN=\"Right\"/>\n"
        "<OLEVELMETERC ONAME=\"LevelMeter\" ODESTRECT=\"1,20,50,31\" OCOLOR=\"#00FF00\"/>\n"
        "</OWINDOW>\n<OWINDOW ONAME=\"Small\"><OBKBITMAP OBITMAPRES=\"bg\" ORECT=\"0,0,20,20\"/>"
        "</OWINDOW>\n",
        xml);
    std::fclose(xml);
    std::vector<std::string> members;
    for (const char* name : {"skin.xml", "bg.bmp", "ctl.png", "ctl@2x.png"}) {
        members.push_back(files + "/" + name);
    }
    ambrin::SkinArchive archive;
    if (archive.createArchive(folder + "/seed.VSK", members) != 0) {
        std::abort();
    }
    std::filesystem::remove_all(files);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int qtArgc = 1;
    static char name[] = "skin_package_fuzz";
    static char* qtArgv[] = {name, nullptr};
    new QGuiApplication(qtArgc, qtArgv);  // lives as long as the process
    if (const char* seeds = std::getenv("AMBRIN_FUZZ_SEEDS")) {
        writeSeeds(seeds);
    }
    sandbox = std::make_unique<ambrin::fuzz::FuzzSandbox>();
    (void)argc;
    (void)argv;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sandbox->writePackage(std::string_view(reinterpret_cast<const char*>(data), size));
    ambrin::SkinArchive archive;
    const int extracted = archive.extract(sandbox->package(), sandbox->target());
    if (extracted == 0) {
        ambrin::SkinDocument document;
        const int result = document.buildSkin(sandbox->target(), sandbox->target() + "/skin.xml");
        if (result != 0 && result != 8 && result != 23) {
            std::fprintf(stderr, "skin package fuzz: unexpected result %d\n", result);
            std::abort();
        }
        CountingOwner owner;
        for (const auto& view : document.windows()) {
            view->setOwner(&owner);
            for (const int scale : {1, 2}) {
                view->setScale(scale);
                const QImage& buffer = view->buffer();
                if (!view->size().isEmpty() && buffer.size() != view->size() * scale) {
                    std::abort();
                }
            }
            const QSize size = view->size();
            const QPoint points[] = {{1, 1},
                                     {size.width() / 2, size.height() / 2},
                                     {size.width() - 1, size.height() - 1}};
            for (const QPoint& at : points) {
                view->pointerMove(at);
                view->pointerPress(at);
                view->pointerMove(at + QPoint(7, 3));
                view->pointerRelease(at + QPoint(7, 3));
            }
            view->pointerLeft();
            const std::int16_t samples[] = {0, 32767, -32768, 100, -100, 5};
            for (const auto& control : view->controls()) {
                view->setValue(control->name(), 50);
                view->setText(control->name(), "00:01:02");
                view->setLevelData(control->name(), samples, 6);
                (void)view->tooltipAt(control->rect().center());
            }
            view->animate();
        }
    }
    sandbox->check(extracted, archive);
    return 0;
}

// Shows one window of a skin package for a while and reports the CPU it used, or saves a
// picture of it. Used by bench/skin_idle_cpu.sh and for looking at skins.
//   ambrin_skin_show PACKAGE SECONDS [WINDOW] [PICTURE.png]
// The picture is the window as shown, transparent outside its shape. PACKAGE "-" is the benchmarks'
// generated skin, written into $TMPDIR.
#include <sys/resource.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SkinBenchSkin.h"
#include "app/SkinWindow.h"
#include "app/SkinWindowOwner.h"
#include "skin/SkinDocument.h"

namespace {

class PrintingOwner : public ambrin::SkinWindowOwner {
  public:
    void onAction(const std::string& control, int code) override {
        std::printf("action %s %d\n", control.c_str(), code);
    }
    void onKey(int character) override { std::printf("key %c\n", character); }
    void onWheel(int steps) override { std::printf("wheel %d\n", steps); }
    void onMiddleClick() override { std::puts("middle"); }
    void onMixerChange(int id) override { std::printf("mixer %d\n", id); }
    void onCreated() override { std::puts("created"); }
    void onRightButton(const QPoint&) override { std::puts("menu"); }
    void onStartUpdater() override { std::puts("updater"); }
};

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: ambrin_skin_show PACKAGE SECONDS [WINDOW] [PICTURE.png]\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    ambrin::SkinDocument document;
    const char* tmp = std::getenv("TMPDIR");
    const std::string package = std::string(argv[1]) == "-"
                                    ? ambrin::bench::benchSkinPackage(tmp != nullptr ? tmp : "/tmp")
                                    : std::string(argv[1]);
    const int loaded = document.loadPackage(package);
    if (loaded != 0) {
        std::fprintf(stderr, "cannot load %s: %d %s %s\n", argv[1], loaded,
                     document.errorText().c_str(), document.failure().c_str());
        return 1;
    }
    const std::string name = argc > 3 ? argv[3] : "MainWindow";
    const auto view = document.window(name);
    if (!view) {
        std::fprintf(stderr, "no window %s\n", name.c_str());
        return 1;
    }
    PrintingOwner owner;
    ambrin::SkinWindow window(owner, view, {});
    if (window.create(QPoint(-1, -1)) != 0) {
        return 1;
    }
    const int seconds = std::atoi(argv[2]);
    // The first second lets the window settle; the CPU is measured over the rest.
    double start = 0;
    const auto wallStart = std::make_shared<std::chrono::steady_clock::time_point>();
    QTimer::singleShot(1000, [&start, wallStart] {
        start = cpuSeconds();
        *wallStart = std::chrono::steady_clock::now();
    });
    QTimer::singleShot(1000 + seconds * 1000, [&] {
        const double used = cpuSeconds() - start;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - *wallStart).count();
        std::printf("shown %.1f s: CPU %.3f s = %.3f %% of one core\n", wall, used,
                    100.0 * used / wall);
        if (argc > 4) {
            view->shapedImage().save(argv[4]);
        }
        app.quit();
    });
    return QApplication::exec();
}

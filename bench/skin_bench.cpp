// The skin on screen: loading a package to a ready window, and a full repaint.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "SkinBenchSkin.h"
#include "app/SkinWindow.h"
#include "app/SkinWindowOwner.h"
#include "skin/SkinDocument.h"

namespace {

class QuietOwner : public ambrin::SkinWindowOwner {
  public:
    void onAction(const std::string&, int) override {}
    void onKey(int) override {}
    void onWheel(int) override {}
    void onMiddleClick() override {}
    void onMixerChange(int) override {}
    void onCreated() override {}
    void onRightButton(const QPoint&) override {}
    void onStartUpdater() override {}
};

struct Workspace {
    Workspace() {
        char pattern[] = "/tmp/ambrin-skin-bench.XXXXXX";
        folder = ::mkdtemp(pattern);
        ::setenv("TMPDIR", folder.c_str(), 1);
        package = ambrin::bench::benchSkinPackage(folder);
    }
    ~Workspace() { std::filesystem::remove_all(folder); }
    std::string folder;
    std::string package;
};

void application() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    static int argc = 1;
    static char name[] = "ambrin_skin_bench";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    new QApplication(argc, argv);  // kept to the end: Qt's statics go first
}

// Package to a shown, painted main window.
void BM_SkinPackageToReadyWindow(benchmark::State& state) {
    application();
    Workspace work;
    QuietOwner owner;
    for (auto _ : state) {
        ambrin::SkinDocument document;
        if (document.loadPackage(work.package) != 0) {
            state.SkipWithError("the skin did not load");
            break;
        }
        ambrin::SkinWindow window(owner, document.window("MainWindow"), {});
        window.create(QPoint(10, 10));
        window.repaint();
        benchmark::DoNotOptimize(window.view()->buffer().constBits());
    }
}
BENCHMARK(BM_SkinPackageToReadyWindow)->Unit(benchmark::kMillisecond);

// Every pixel of the main window drawn again: background, panels, every control.
void BM_SkinFullRepaint(benchmark::State& state) {
    application();
    Workspace work;
    ambrin::SkinDocument document;
    if (document.loadPackage(work.package) != 0) {
        state.SkipWithError("the skin did not load");
        return;
    }
    ambrin::SkinView* view = document.findWindow("MainWindow");
    view->setScale(static_cast<int>(state.range(0)));
    view->setText("Time", "00:12:34");
    view->setText("Info", "Recording");
    view->setValue("Seek", 40);
    for (auto _ : state) {
        view->renderAll();
        benchmark::DoNotOptimize(view->buffer().constBits());
    }
}
BENCHMARK(BM_SkinFullRepaint)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

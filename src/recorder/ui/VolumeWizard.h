#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

#include "recorder/LevelBlock.h"

namespace Ui {
class VolumeWizard;
}

namespace ambrin {

class AppContext;

// The "Volume Control Wizard": the live input waveform beside the recording-volume
// slider, so the user can find a level at which calls are detected. Centred, topmost.
// GUI thread; it changes the volume by posting event 14 to the controller, so the mixer
// is never waited for here.
class VolumeWizard : public QDialog {
    Q_OBJECT

  public:
    using LevelSource = std::function<LevelBlock::Snapshot()>;
    static constexpr int kRedrawMilliseconds = 200;

    // `volume` is the recording volume in percent, -1 when there is no control (the
    // slider is then disabled). `level` gives the latest captured block; may be empty.
    VolumeWizard(AppContext& context, int volume, LevelSource level, QWidget* parent = nullptr);
    ~VolumeWizard() override;

    // Shows a newly read recording volume (the mixer reported a change).
    void refresh(int volume);

  private:
    void showVolume(int volume);
    void volumeMoved(int percent);
    void openDetail();

    AppContext& m_context;
    LevelSource m_level;
    std::unique_ptr<Ui::VolumeWizard> m_ui;
    QTimer m_redraw;
};

// Shows the wizard and returns when it is closed. Called on the controller's wizard
// thread (never the GUI thread): reads the recording volume there (`readVolume`, percent
// or -1), writes "AutoVolume", then has the GUI thread show the dialog. The dialog also
// ends when the application's event loop is asked to quit, so a program ending with the
// wizard open does not wait.
void runVolumeWizard(AppContext& context, const std::function<int()>& readVolume,
                     VolumeWizard::LevelSource level);

}  // namespace ambrin

#pragma once

#include <memory>

#include "app/OptionsServices.h"
#include "records/ui/OptionsPage.h"

namespace Ui {
class RecordPage;
}

namespace ambrin {

// The "Record" page: format (MP3 only when the encoder library can be loaded), mode, input,
// password, call detection, the recording volume (set at once, not through Apply) and the
// players.
class RecordPage : public OptionsPage {
    Q_OBJECT

  public:
    RecordPage(OptionsPageHost& host, QWidget* parent, const OptionsServices& services);
    ~RecordPage() override;

    void recordingLevelChanged() override;

  private:
    void formatChosen();
    void choicesChanged();
    void usePasswordChanged(bool use);
    void startChanged(const QString& text);
    void endChanged(const QString& text);
    void showVolume(int percent);

    std::unique_ptr<Ui::RecordPage> m_ui;
    const OptionsServices& m_services;
};

}  // namespace ambrin

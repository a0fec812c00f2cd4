#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "wizard/HttpTransfer.h"
#include "wizard/UpdateManifest.h"
#include "wizard/UpdateServer.h"

class QLabel;
class QProgressBar;

namespace ambrin::wizard {

// The main program's window, which the update asks to end, and the program it restarts.
inline constexpr const char* kMainProgramWindow = "AMBRIN+";
inline constexpr const char* kMainProgram = "ambrin";

// "Ambrin+ Auto Update": fetches and checks the signed manifest, asks the user, ends the
// main program, downloads the newer files, checks their digests, puts them in place and
// starts the main program again. Hidden until there is something to update. Lives on the
// GUI thread; one transfer at a time runs on a worker thread that only posts notices here.
class UpdateDialog : public QDialog {
  public:
    // `installFolder` ends in "/".
    UpdateDialog(std::string installFolder, UpdateServer server, QWidget* parent = nullptr);
    ~UpdateDialog() override;

    // Runs the whole update; true when it ended with all work done.
    bool run();

  protected:
    // The user's cancel while the update runs: asks first.
    void reject() override;

  private:
    enum Stage {
        kStageManifest = 1,
        kStageSignature = 2,
        kStageDownload = 3,
        kStageInstall = 4,
        kStageDone = 5
    };

    void startTransfer(const std::string& url, const std::string& localPath,
                       long long expectedSize);
    void joinWorker();
    void onNotice(int code, long long value, long long expectedSize);
    void onManifest();
    void onSignature();
    void askAndEndProgram();
    void downloadNext();
    bool checkDownload();
    void install();
    void complete();
    void fail();
    void cleanUp();
    void setStatus(const std::string& text);

    std::string m_installFolder;
    std::string m_manifestPath;
    std::string m_signaturePath;
    UpdateServer m_server;
    int m_stage = 0;
    std::string m_manifestBytes;  // the manifest as fetched: what the signature covers
    std::vector<UpdateEntry> m_entries;
    int m_flagged = 0;
    int m_current = -1;  // index of the entry being downloaded
    int m_fetched = 0;
    std::string m_currentFile;
    std::vector<std::string> m_downloads;  // files fetched in this run, removed on failure
    bool m_exitRequested = false;
    bool m_closing = false;
    int m_installWaits = 0;
    CancelEvent m_cancel;
    std::thread m_worker;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
};

}  // namespace ambrin::wizard

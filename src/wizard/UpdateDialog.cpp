#include "wizard/UpdateDialog.h"

#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <fstream>

#include "platform/ProfileReader.h"
#include "platform/WindowEndpoint.h"
#include "wizard/FileInstaller.h"
#include "wizard/MinisignSignature.h"
#include "wizard/WizardStrings.h"

namespace ambrin::wizard {

namespace {

constexpr int kExitCommand = 40001;
constexpr std::int64_t kExitWithoutQuestion = 119;
constexpr std::size_t kMaxManifestBytes = 1 << 20;
constexpr std::size_t kMaxSignatureBytes = 16 * 1024;
// How long the ended program may take to go away before the files are replaced.
constexpr int kProgramEndPolls = 200;  // of 100 ms
constexpr int kProgramEndPollMs = 100;

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

bool programRunning() {
    return WindowEndpoint::exists(kMainProgramWindow, kMainProgramWindow);
}

// A file of at most `limit` bytes; nothing when missing or larger.
std::optional<std::string> readSmallFile(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes(limit + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > limit) {
        return std::nullopt;
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace

UpdateDialog::UpdateDialog(std::string installFolder, UpdateServer server, QWidget* parent)
    : QDialog(parent),
      m_installFolder(std::move(installFolder)),
      m_manifestPath(m_installFolder + kManifestName),
      m_signaturePath(m_manifestPath + kSignatureSuffix),
      m_server(std::move(server)) {
    setWindowTitle(qt(wizardString(str::kUpdateTitle)));
    setObjectName("UpdateDialog");
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    m_status->setMinimumWidth(420);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    setStatus(wizardString(str::kChecking));
}

UpdateDialog::~UpdateDialog() {
    m_cancel.set();
    joinWorker();
}

bool UpdateDialog::run() {
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, this, [this] {
        m_stage = kStageManifest;
        startTransfer(m_server.manifestUrl(), m_manifestPath, 0);
    });
    loop.exec();
    cleanUp();
    return result() == QDialog::Accepted;
}

void UpdateDialog::reject() {
    if (m_stage >= kStageDone) {
        return;
    }
    const auto answer = QMessageBox::question(this, qt(wizardString(str::kUpdateTitle)),
                                              qt(wizardString(str::kStopQuestion)),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    // The transfers go on while the question waits; once the files are being put in place
    // or are in place, the update is finished rather than stopped half-way.
    if (answer == QMessageBox::Yes && m_stage < kStageInstall) {
        m_cancel.set();
        fail();
    }
}

void UpdateDialog::startTransfer(const std::string& url, const std::string& localPath,
                                 long long expectedSize) {
    joinWorker();
    TransferRequest request{url, localPath, m_server.host, expectedSize};
    // The worker only posts; the notices run here, on the GUI thread, in order. Notices
    // still queued when the dialog is gone are dropped with it.
    auto notify = [this](int code, long long value, long long expected) {
        QMetaObject::invokeMethod(
            this, [this, code, value, expected] { onNotice(code, value, expected); },
            Qt::QueuedConnection);
    };
    m_worker = std::thread([request, notify, this] { runTransfer(request, notify, m_cancel); });
}

void UpdateDialog::joinWorker() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void UpdateDialog::onNotice(int code, long long value, long long expectedSize) {
    if (m_closing || m_stage >= kStageInstall) {
        return;  // already closing
    }
    if (code == notice::kFailed) {
        fail();
        return;
    }
    if (code == notice::kProgress && m_stage == kStageDownload) {
        setStatus(fillPlaces(wizardString(str::kDownloading),
                             {m_currentFile, std::to_string(value), std::to_string(m_fetched),
                              std::to_string(m_flagged)}));
        if (expectedSize > 0) {
            m_progress->setValue(
                static_cast<int>(std::min<long long>(100, value * 100 / expectedSize)));
        }
        return;
    }
    if (code != notice::kFinished) {
        return;
    }
    joinWorker();
    switch (m_stage) {
        case kStageManifest:
            onManifest();
            break;
        case kStageSignature:
            onSignature();
            break;
        case kStageDownload:
            if (checkDownload()) {
                downloadNext();
            }
            break;
        default:
            break;
    }
}

void UpdateDialog::onManifest() {
    auto bytes = readSmallFile(m_manifestPath, kMaxManifestBytes);
    if (!bytes) {
        fail();
        return;
    }
    m_manifestBytes = std::move(*bytes);
    m_stage = kStageSignature;
    startTransfer(m_server.manifestUrl() + kSignatureSuffix, m_signaturePath, 0);
}

void UpdateDialog::onSignature() {
    // Nothing of an unsigned, foreign or altered manifest is used, and the user is not asked.
    const auto text = readSmallFile(m_signaturePath, kMaxSignatureBytes);
    const auto signature = text ? MinisignSignature::parse(*text) : std::nullopt;
    const auto key = updatePublicKey();
    if (!signature || !key || !signature->verify(*key, m_manifestBytes)) {
        fail();
        return;
    }
    ManifestList list = readManifest(ProfileReader::parse(m_manifestBytes), m_installFolder);
    if (list.noMasterFile) {
        QMessageBox::warning(this, qt(wizardString(str::kUpdateTitle)),
                             qt(wizardString(str::kNoMasterFile)));
    }
    if (list.entries.empty()) {
        fail();
        return;
    }
    m_entries = std::move(list.entries);
    m_flagged = list.flagged;
    if (m_flagged > 0) {
        show();
        const auto answer = QMessageBox::warning(
            this, qt(wizardString(str::kUpdateTitle)), qt(wizardString(str::kUpdateQuestion)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes) {
            fail();
            return;
        }
        askAndEndProgram();
    }
    m_stage = kStageDownload;
    downloadNext();
}

void UpdateDialog::askAndEndProgram() {
    if (!programRunning()) {
        return;
    }
    // Bring it to the front, then the Exit command that ends it without its exit question.
    WindowEndpoint::post(kMainProgramWindow, kMainProgramWindow, {kWmShowNormal, 0, 0});
    WindowEndpoint::send(kMainProgramWindow, kMainProgramWindow,
                         {kWmCommand, kExitCommand, kExitWithoutQuestion});
    m_exitRequested = true;
}

void UpdateDialog::downloadNext() {
    for (++m_current; m_current < static_cast<int>(m_entries.size()); ++m_current) {
        const UpdateEntry& entry = m_entries[static_cast<std::size_t>(m_current)];
        if (!entry.needsUpdate) {
            continue;
        }
        ++m_fetched;
        m_currentFile = entry.saveName;
        const std::string path = m_installFolder + entry.saveName;
        m_downloads.push_back(path);
        m_progress->setValue(0);
        startTransfer(entry.url, path, entry.size);
        return;
    }
    m_stage = kStageInstall;
    setStatus(wizardString(str::kUpdating));
    install();
}

bool UpdateDialog::checkDownload() {
    const UpdateEntry& entry = m_entries[static_cast<std::size_t>(m_current)];
    const auto digest = fileSha256(m_installFolder + entry.saveName);
    if (!digest || *digest != entry.sha256) {
        fail();
        return false;
    }
    return true;
}

void UpdateDialog::install() {
    // The ended program may still be closing; its files are replaced once it has gone.
    if (m_exitRequested && programRunning() && m_installWaits++ < kProgramEndPolls) {
        QTimer::singleShot(kProgramEndPollMs, this, [this] { install(); });
        return;
    }
    for (const UpdateEntry& entry : m_entries) {
        if (!entry.needsUpdate) {
            continue;
        }
        const std::string saved = m_installFolder + entry.saveName;
        if (replaceFile(saved, m_installFolder + entry.fileName)) {
            std::remove(saved.c_str());
        }
    }
    m_downloads.clear();
    complete();
}

void UpdateDialog::complete() {
    m_closing = true;
    m_stage = kStageDone;
    setStatus(wizardString(m_flagged > 0 ? str::kUpdateComplete : str::kCheckComplete));
    m_progress->setValue(100);
    QTimer::singleShot(500, this, [this] { done(QDialog::Accepted); });
}

void UpdateDialog::fail() {
    m_closing = true;
    m_cancel.set();
    joinWorker();
    for (const std::string& path : m_downloads) {
        std::remove(path.c_str());
    }
    m_downloads.clear();
    done(QDialog::Rejected);
}

void UpdateDialog::cleanUp() {
    m_cancel.set();
    joinWorker();
    if (m_exitRequested) {
        for (int i = 0; i < kProgramEndPolls && programRunning(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kProgramEndPollMs));
        }
    }
    if (!programRunning()) {
        QProcess::startDetached(qt(m_installFolder + kMainProgram), {}, qt(m_installFolder));
    }
    std::remove(m_manifestPath.c_str());
    std::remove(m_signaturePath.c_str());
}

void UpdateDialog::setStatus(const std::string& text) {
    m_status->setText(qt(text));
}

}  // namespace ambrin::wizard

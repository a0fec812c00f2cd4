// ambrin_dialog_pictures: pictures of the program's dialogs, in the language the string table
// chooses (Korean, or English with AMBRIN_UI_LANG=1033), for the manual and for review.
// Runs in a private temporary home so that no user setting is read or written. The skins
// beside the program draw the options' skin list and the main window.
//   ambrin_dialog_pictures OUTPUT_FOLDER

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/ChildWindows.h"
#include "app/CommandMenu.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "app/OptionsServices.h"
#include "app/OptionsWindow.h"
#include "app/PasswordDialog.h"
#include "app/SkinWindow.h"
#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/EngineState.h"
#include "core/SettingsStore.h"
#include "platform/StringTable.h"
#include "platform/ui/Translations.h"
#include "recorder/ui/VolumeWizard.h"
#include "records/CallContentList.h"
#include "records/RecordDatabase.h"
#include "records/RecordExport.h"
#include "records/RecordKey.h"
#include "records/RecordRetention.h"
#include "records/ui/EditRecordDialog.h"
#include "records/ui/IndexProgressWindow.h"
#include "records/ui/ProgressDialog.h"
#include "records/ui/RecordInformationDialog.h"
#include "records/ui/RecordListModel.h"
#include "records/ui/RecordListPage.h"
#include "skin/SkinView.h"

namespace {

using namespace ambrin;

// The private home the pictures are made in, and the folder the pictures show in its place
// (the program's folder of a user's own installation).
QString g_privateHome;
const QString kShownHome = QStringLiteral("/home/kim/Ambrin+");

bool save(QWidget& widget, const QString& folder, const char* name) {
    widget.show();
    QApplication::processEvents();
    for (QLineEdit* edit : widget.findChildren<QLineEdit*>()) {
        if (!g_privateHome.isEmpty() && edit->text().startsWith(g_privateHome)) {
            const QSignalBlocker quiet(edit);  // shown only: the window sees no edit
            edit->setText(kShownHome + edit->text().mid(g_privateHome.size()));
        }
    }
    const QString path = folder + "/" + QString::fromLatin1(name) + ".png";
    const bool ok = widget.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "cannot write", path.toLocal8Bit().constData());
    widget.hide();
    return ok;
}

bool informationDialog(AppContext& context, const QString& folder) {
    const bool korean = uiLanguage() == kLangKorean;
    RecordDatabase database(context);
    database.InitializeDatabase();
    database.InsertCustomer(
        korean ? "김민준" : "Kim Minjun",
        {"010-2345-6789", korean ? "한빛상사" : "Hanbit Trading",
         korean ? "서울시 중구 세종대로 110" : "110 Sejong-daero, Seoul", "", ""});
    CallContentList contents(context);
    contents.AddContent(korean ? "견적 요청" : "Asked for a quotation");
    context.callContents = &contents;

    RecordInformationDialog dialog(context);
    auto* name = dialog.findChild<QComboBox*>("comboName");
    name->setCurrentIndex(0);
    Q_EMIT name->activated(0);
    dialog.findChild<QPlainTextEdit*>("editContents")
        ->setPlainText(korean ? "다음 주 화요일까지 견적서 발송"
                              : "Send the quotation by next Tuesday.");
    dialog.findChild<QRadioButton*>("radioInbound")->setChecked(true);
    const bool ok = save(dialog, folder, "information-dialog");
    context.callContents = nullptr;
    return ok;
}

// A call whose number came from the line: the customer with that number is chosen.
bool lineNumberDialog(AppContext& context, const QString& folder) {
    RecordInformationDialog dialog(context);
    dialog.showLineNumber("01023456789", false);
    return save(dialog, folder, "information-dialog-caller-id");
}

bool passwordDialog(SettingsStore& settings, const QString& folder) {
    PasswordDialog dialog(&settings);
    dialog.findChild<QLineEdit*>("editPassword")->setText("secret");
    return save(dialog, folder, "password-dialog");
}

// A voice-like level block: a few mixed tones.
LevelBlock::Snapshot voice() {
    LevelBlock::Snapshot level;
    level.byteCount = LevelBlock::kPublishedBytes;
    for (std::size_t i = 0; i < level.sampleCount(); ++i) {
        const double t = static_cast<double>(i) / 8000.0;
        const double envelope = 0.55 + 0.45 * std::sin(2 * M_PI * 9 * t);
        const double value = envelope * (9000 * std::sin(2 * M_PI * 180 * t) +
                                         5000 * std::sin(2 * M_PI * 430 * t + 1.0) +
                                         2500 * std::sin(2 * M_PI * 1150 * t + 0.3));
        level.samples[i] = static_cast<std::int16_t>(value);
    }
    return level;
}

bool volumeWizard(AppContext& context, const QString& folder) {
    VolumeWizard wizard(context, 64, [] { return voice(); });
    wizard.show();
    QApplication::processEvents();
    QEventLoop wait;
    QTimer::singleShot(VolumeWizard::kRedrawMilliseconds + 50, &wait, &QEventLoop::quit);
    wait.exec();
    return save(wizard, folder, "volume-wizard");
}

bool commandMenu(const QString& folder) {
    std::unique_ptr<QMenu> menu(createCommandMenu(mainMenuStates(EngineState::Idle, true), 0));
    menu->adjustSize();
    return save(*menu, folder, "command-menu");
}

// Every page of the options window, with a few customers and stock contents, and the skins
// that lie beside this program.
bool optionPages(AppContext& context, const QString& folder) {
    const bool korean = uiLanguage() == kLangKorean;
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString& skin : programDir.entryList({"*.VSK", "*.vsk"}, QDir::Files)) {
        QFile::copy(programDir.filePath(skin),
                    QString::fromStdString(context.programFolder) + skin);
    }
    RecordDatabase database(context);
    const std::vector<std::string> names =
        korean ? std::vector<std::string>{"박지호", "이서연", "최유나"}
               : std::vector<std::string>{"Lee Seoyeon", "Park Jiho", "Choi Yuna"};
    for (const std::string& name : names) {
        database.InsertCustomer(name, {"010-2345-6789", korean ? "한빛상사" : "Hanbit Trading",
                                       korean ? "서울" : "Seoul", "", ""});
    }
    CallContentList contents(context);
    const std::vector<std::string> phrases =
        korean ? std::vector<std::string>{"견적 요청", "납기 문의", "불만 접수", "주문"}
               : std::vector<std::string>{"Asked for a quotation", "Delivery date", "Complaint",
                                          "Order"};
    for (const std::string& text : phrases) {
        contents.AddContent(text);
    }
    context.callContents = &contents;
    // Two backups for the "Auto Backup" page, dated as their names say.
    const std::string backups = context.programFolder + "DBBackup/";
    QDir().mkpath(QString::fromStdString(backups));
    for (const auto& [name, day] :
         {std::pair{"20120731.odk", 1343736000}, {"20120814.odk", 1344945600}}) {
        QFile file(QString::fromStdString(backups + name));
        file.open(QIODevice::WriteOnly);
        file.setFileTime(QDateTime::fromSecsSinceEpoch(day), QFileDevice::FileModificationTime);
    }
    OptionsServices services;
    services.recordVolume = [] { return 64; };
    services.hasLineInput = [] { return true; };
    OptionsWindow window(context, services);
    window.open(ChildWindows::kOptions);
    OptionsDialog* dialog = window.dialog();
    static const char* const pages[] = {
        "options-record-list", "options-general",       "options-record",    "options-auto-backup",
        "options-header",      "options-call-contents", "options-customers", "options-retention",
        "options-about",       "options-copyright"};
    bool ok = true;
    for (int row = 0; row < static_cast<int>(std::size(pages)); ++row) {
        dialog->selectIndex(OptionsDialog::indexOfRow(row));
        ok = save(*dialog, folder, pages[row]) && ok;
    }
    window.cancel();
    context.callContents = nullptr;
    return ok;
}

bool saveMainWindow(MainWindow& window, const QString& folder, const char* name) {
    QApplication::processEvents();
    const QString path = folder + "/" + QString::fromLatin1(name) + ".png";
    const bool ok = window.skinWindow()->view()->shapedImage().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "cannot write", path.toLocal8Bit().constData());
    return ok;
}

// The main window waiting for a call, and recording one.
bool mainWindow(AppContext& context, const QString& folder) {
    MainWindow::Links links;
    links.level = [] { return voice(); };
    MainWindow window(context, std::move(links));
    if (!window.start()) {
        std::fprintf(stderr, "the main window cannot be shown (no skin)\n");
        return false;
    }
    window.onEvent(EngineEvent(EventCode::PlaybackVolume, 70));
    window.onEvent(EngineEvent(EventCode::RecordVolume, 55));
    window.onEvent(EngineEvent(EventCode::StateIdle));
    bool ok = saveMainWindow(window, folder, "main-window");
    window.onEvent(EngineEvent(EventCode::StateRecording));
    window.onEvent(TimeEvent(0, 1, 23));
    QEventLoop wait;
    QTimer::singleShot(400, &wait, &QEventLoop::quit);  // the level meter's turn
    wait.exec();
    ok = saveMainWindow(window, folder, "main-window-recording") && ok;
    window.onEvent(EngineEvent(EventCode::CloseWindows));
    QApplication::processEvents();
    return ok;
}

// A backup a good way through its recordings.
bool backupProgress(const QString& folder) {
    BackupFlags flags;
    ProgressDialog dialog(BackupMode::Backup, flags);
    dialog.setRange(120);
    dialog.setPosition(47);
    return save(dialog, folder, "backup-progress");
}

// The first indexing for search of a big database, well under way.
bool indexProgress(const QString& folder) {
    IndexProgressWindow window;
    window.showNow(412000, 1000000);
    return save(*window.dialog(), folder, "index-progress");
}

// A day of calls in the record list, the information of one being edited, and the list as
// an exported spreadsheet (read back by openpyxl and drawn as a table).
bool recordList(AppContext& context, const QString& folder) {
    const bool korean = uiLanguage() == kLangKorean;
    struct Call {
        const char* time;
        const char* name;
        const char* nameKo;
        const char* cid;
        const char* organize;
        const char* organizeKo;
        const char* contents;
        const char* contentsKo;
        int seconds;
        int type;
        const char* extension;
    };
    const Call calls[] = {
        {"091204", "Kim Minjun", "김민준", "010-2345-6789", "Hanbit Trading", "한빛상사",
         "Asked for a quotation\nSend by Tuesday", "견적 요청\n화요일까지 발송", 312, 0, ".ogg"},
        {"095530", "Lee Seoyeon", "이서연", "02-555-0142", "Daon Logistics", "다온물류",
         "Delivery delayed", "배송 지연 문의", 145, 0, ".ogg"},
        {"104815", "", "", "031-778-2040", "", "", "", "", 38, 2, ".ogg"},
        {"113302", "Park Jihoon", "박지훈", "010-9876-5432", "Sejong Parts", "세종부품",
         "Order of 5 boxes", "5상자 주문", 487, 1, ".mp3"},
        {"140117", "Choi Yuna", "최유나", "010-3141-5926", "Hanbit Trading", "한빛상사",
         "Invoice question", "세금계산서 문의", 203, 0, ".ogg"},
        {"152940", "Jung Hoyoung", "정호영", "051-600-7788", "Busan Marine", "부산해운",
         "Contract renewal", "계약 갱신", 1265, 1, ".wav"},
    };
    RecordDatabase database(context);
    const std::string day = QDate::currentDate().toString("yyyyMMdd").toStdString();
    for (const Call& call : calls) {
        CallRecord record;
        record.name = korean ? call.nameKo : call.name;
        record.cid = call.cid;
        record.organize = korean ? call.organizeKo : call.organize;
        record.contents = korean ? call.contentsKo : call.contents;
        record.totalTime = call.seconds;
        record.callType = call.type;
        record.fileName = "/home/kim/Ambrin+/db/" + day + "/" + day + call.time + call.extension;
        database.InsertCallRecord(day + call.time, record);
    }

    // One call locked against the retention rules.
    setRecordLocked(RecordDatabase::databasePath(context), day + calls[3].time, true);

    // The options window on the record list, as the program opens it.
    OptionsServices services;
    OptionsDialog window(context, optionsPageTable(services), ChildWindows::kRecordList, {});
    window.resize(1180, 460);
    auto& page = *static_cast<RecordListPage*>(window.currentPage());
    page.selectRows({1});
    bool ok = save(window, folder, "record-list");

    // The locked call's context menu over the list.
    page.selectRows({2});
    window.show();
    std::unique_ptr<QMenu> menu(page.createContextMenu());
    const QPoint at(260, 170);
    menu->popup(window.mapToGlobal(at));
    QApplication::processEvents();
    QPixmap shot = window.grab();
    QPainter onShot(&shot);
    onShot.drawPixmap(at, menu->grab());
    onShot.end();
    menu->hide();
    window.hide();
    page.selectRows({1});
    const QString menuPath = folder + "/record-list-menu.png";
    ok = shot.save(menuPath) && ok;
    std::printf("wrote %s\n", menuPath.toLocal8Bit().constData());

    CallRecord edited;
    database.FindCallRecord(page.model().recordRow(1).key, edited);
    EditRecordDialog dialog(page.model().displayNames(), edited);
    ok = save(dialog, folder, "edit-record-dialog") && ok;

    // The spreadsheet, as another program reads it.
    std::vector<std::string> keys;
    for (const RecordRow& row : page.model().rows()) {
        keys.push_back(row.key);
    }
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    std::string workbook;
    if (!exportRecordList(database, keys, today.toStdString(), today.toStdString(),
                          page.model().displayNames(), context.programFolder + "sheets",
                          workbook)) {
        std::printf("cannot export the record list\n");
        return false;
    }
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(AMBRIN_SHEET_HTML), QString::fromStdString(workbook)});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) {
        std::printf("cannot read the spreadsheet back: %s\n",
                    reader.readAllStandardError().constData());
        return false;
    }
    QTextDocument document;
    document.setHtml(QString::fromUtf8(reader.readAllStandardOutput()));
    document.setTextWidth(document.idealWidth());
    QImage picture(document.size().toSize() + QSize(16, 16), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.translate(8, 8);
    document.drawContents(&painter);
    painter.end();
    const QString path = folder + "/record-sheet.png";
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "cannot write", path.toLocal8Bit().constData());
    return saved && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ambrin_dialog_pictures OUTPUT_FOLDER\n");
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "AMBRIN_MACHINE_CONFIG"}) {
        ::setenv(name, home.path().toLocal8Bit().constData(), 1);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    g_privateHome = home.path();
    SetUiLanguage(kLangKorean);
    installUiTranslations();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    SettingsStore settings(home.path().toStdString() + "/");
    settings.writeString(setting::kInstallPath, home.path().toStdString() + "/");
    AppContext context;
    context.settings = &settings;
    context.programFolder = home.path().toStdString() + "/";

    bool ok = informationDialog(context, folder);
    ok = lineNumberDialog(context, folder) && ok;
    ok = passwordDialog(settings, folder) && ok;
    ok = volumeWizard(context, folder) && ok;
    ok = commandMenu(folder) && ok;
    ok = recordList(context, folder) && ok;
    ok = optionPages(context, folder) && ok;
    ok = mainWindow(context, folder) && ok;  // with the skins optionPages put in place
    ok = backupProgress(folder) && ok;
    ok = indexProgress(folder) && ok;
    return ok ? 0 : 1;
}

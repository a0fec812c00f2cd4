#pragma once

#include <QDialog>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "core/CallRecord.h"

namespace Ui {
class RecordInformationDialog;
}

namespace ambrin {

class AppContext;

// The window that asks, while a call is recorded, who called and what about. It only
// collects: what becomes of the information on OK and Cancel is its owner's business
// (RecordInformationWindow). Lives on the GUI thread.
class RecordInformationDialog : public QDialog {
    Q_OBJECT

  public:
    // Fills the labels from "DatabaseHeader", the Name list from the customers and the
    // Select Cont. list from the stock contents, and places itself at "MemoNotePos".
    explicit RecordInformationDialog(AppContext& context, QWidget* parent = nullptr);
    ~RecordInformationDialog() override;

    // The fields as OK reads them: cut to their read lengths, the call type from the radio
    // buttons. Name is not trimmed here.
    CallRecord information() const;

    // The line told the call's number (`dialled`: the number dialled from here). Shown in
    // Phone Num. unless the user has typed there; the type follows it (Outbound when dialled,
    // else Inbound) unless the user has chosen one; and, while no name has been given, the
    // customer with that number is selected and fills the other fields.
    void showLineNumber(const std::string& number, bool dialled);

    // Where the dialog goes for a saved "MemoNotePos" text on a screen: the stored top-left
    // corner, or nothing (centre it) when it is unusable (negative, or within 10 pixels of
    // the screen's right or bottom edge or beyond).
    static std::optional<QPoint> storedPosition(const std::string& text, const QSize& screen);

  protected:
    void moveEvent(QMoveEvent* event) override;

  private:
    void fillLabels();
    void fillLists();
    void placeWindow();
    void customerChosen(int index);
    void fillFromCustomer(const CustomerRecord& customer);
    void contentChosen(int index);

    AppContext& m_context;
    std::unique_ptr<Ui::RecordInformationDialog> m_ui;
    bool m_placed = false;      // moves before the first placement are not saved
    bool m_typeChosen = false;  // the user has clicked a type
};

}  // namespace ambrin

// "Komunikace": the frames the serial line sent and received, as the line
// reports them, with the time since connecting, the direction and the text
// (CR as \r). Keeps the last 10,000 lines; shows the commands the filter
// names; copies and saves what it shows. Collects from its first showing
// on, also while closed, so that reopening it shows what happened.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QWidget>

#include <deque>
#include <vector>

#include "session/prompter.h"
#include "watch/trace_book.h"

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTimer;

namespace rm27 {

// The lines of the book that pass the filter, as list rows.
class TraceModel final : public QAbstractListModel {
public:
    explicit TraceModel(const TraceBook& book, QObject* parent = nullptr)
        : QAbstractListModel(parent), book_(book) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Follows the book: drops the rows of lines it let go, adds the new ones.
    void sync();
    void setFilter(const TraceFilter& filter);
    // Rebuild from the book (after it was cleared).
    void reset();
    const TraceLine& lineAt(int row) const {
        return book_.bySerial(shown_[static_cast<std::size_t>(row)]);
    }

private:
    const TraceBook& book_;
    TraceFilter filter_;
    std::deque<std::uint64_t> shown_;
    std::uint64_t seen_ = 0; // book serials below this were looked at
};

class FrmTrace final : public QWidget {
    Q_OBJECT
public:
    FrmTrace(Prompter& prompter, QWidget* parent = nullptr,
             std::size_t capacity = TraceBook::kDefaultCapacity);
    ~FrmTrace() override;

    const TraceBook& book() const { return book_; }
    int shownCount() const { return model_.rowCount(); }
    QString shownLine(int row) const;
    // The shown lines as text, one per line ("" selected rows: all shown).
    QString shownText(bool selectedOnly) const;
    FileDialogSpec& saveDialog() { return saveDialog_; }

    // A frame or a note of the line; it joins the list at the next take.
    void takeMessage(const WireMessage& message);

public Q_SLOTS:
    // Takes what the line brought since the last call into the list.
    void takeIncoming();
    void cmdCopy_Click();
    void cmdSave_Click();
    void cmdClear_Click();
    void txtFilter_Change();

private:
    void updateCount();

    Prompter& prompter_;
    TraceBook book_;
    TraceModel model_;
    std::vector<WireMessage> incoming_;
    std::size_t incomingLimit_;
    int quietRounds_ = 0;
    FileDialogSpec saveDialog_;

    QLineEdit* txtFilter = nullptr;
    QListView* lstTrace = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClear = nullptr;
    QTimer* tmrTake = nullptr;
};

} // namespace rm27

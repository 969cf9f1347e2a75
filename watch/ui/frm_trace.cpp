#include "watch/ui/frm_trace.h"
#include "watch/texts.h"
#include "ui/mnemonics.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace rm27 {

namespace {

// Often enough to read along, rarely enough that a burst of frames costs
// one update of the list.
constexpr int kTakeIntervalMs = 100;
// An answer without its CR is shown as it is after this many quiet rounds.
constexpr int kQuietRoundsForPartial = 3;
constexpr qsizetype kTipWidth = 64;

} // namespace

// ------------------------------------------------------------------ model

int TraceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant TraceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(TraceText(lineAt(index.row())));
    if (role == Qt::ToolTipRole) {
        // A block's answer is 513 characters: the list cuts it, the tip
        // shows it whole, in lines of 64 (32 bytes).
        const QString text = QString::fromStdString(lineAt(index.row()).text);
        QStringList lines;
        for (qsizetype at = 0; at < text.size(); at += kTipWidth)
            lines << text.mid(at, kTipWidth);
        return lines.join(QLatin1Char('\n'));
    }
    return {};
}

void TraceModel::sync() {
    std::size_t gone = 0;
    while (gone < shown_.size() && shown_[gone] < book_.firstSerial())
        ++gone;
    if (gone > 0) {
        beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
        shown_.erase(shown_.begin(), shown_.begin() + static_cast<std::ptrdiff_t>(gone));
        endRemoveRows();
    }
    std::vector<std::uint64_t> added;
    for (std::uint64_t s = std::max(seen_, book_.firstSerial()); s < book_.endSerial(); ++s) {
        if (filter_.accepts(book_.bySerial(s))) added.push_back(s);
    }
    seen_ = book_.endSerial();
    if (added.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    shown_.insert(shown_.end(), added.begin(), added.end());
    endInsertRows();
}

void TraceModel::setFilter(const TraceFilter& filter) {
    filter_ = filter;
    reset();
}

void TraceModel::reset() {
    beginResetModel();
    shown_.clear();
    seen_ = book_.firstSerial();
    endResetModel();
    sync();
}

// ----------------------------------------------------------------- window

FrmTrace::FrmTrace(Prompter& prompter, QWidget* parent, std::size_t capacity)
    : QWidget(parent, Qt::Window), prompter_(prompter), book_(capacity), model_(book_),
      incomingLimit_(capacity) {
    setObjectName(QStringLiteral("frmTrace"));
    setWindowTitle(tr("Komunikace"));

    // In Czech: the prompter shows them in the reader's language.
    saveDialog_.title = texts::watch::kTraceTitle.czech;
    saveDialog_.filter = texts::watch::kTraceFilter.czech;
    saveDialog_.defaultExt = ".txt";
    saveDialog_.initDir = QDir::currentPath().toStdString();
    saveDialog_.owner = objectName().toStdString();

    auto* filterLabel = new QLabel(tr("Příkazy:"), this);
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setClearButtonEnabled(true);
    txtFilter->setPlaceholderText(tr("všechny (např. ER KB nebo -MK)"));
    txtFilter->setToolTip(
        tr("Jména příkazů oddělená mezerou ukážou jen tyto příkazy a jejich odpovědi;\n"
           "jméno s \"-\" příkaz skryje (-MK skryje měření)."));
    filterLabel->setBuddy(txtFilter);
    cmdCopy = new QPushButton(tr("Kopírovat"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdCopy->setToolTip(tr("Zkopíruje vybrané řádky (bez výběru všechny zobrazené)"));
    cmdSave = new QPushButton(tr("Uložit ..."), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdClear = new QPushButton(tr("Vymazat"), this);
    cmdClear->setObjectName(QStringLiteral("cmdClear"));
    for (QPushButton* b : {cmdCopy, cmdSave, cmdClear})
        b->setAutoDefault(false);

    lstTrace = new QListView(this);
    lstTrace->setObjectName(QStringLiteral("lstTrace"));
    lstTrace->setModel(&model_);
    lstTrace->setUniformItemSizes(true);
    lstTrace->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstTrace->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lstTrace->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* copy = new QAction(lstTrace);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] { cmdCopy_Click(); });
    lstTrace->addAction(copy);

    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(txtFilter, 1);
    top->addWidget(cmdCopy);
    top->addWidget(cmdSave);
    top->addWidget(cmdClear);
    auto* root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addWidget(lstTrace, 1);
    root->addWidget(lblCount);

    connect(txtFilter, &QLineEdit::textChanged, this, &FrmTrace::txtFilter_Change);
    connect(cmdCopy, &QPushButton::clicked, this, &FrmTrace::cmdCopy_Click);
    connect(cmdSave, &QPushButton::clicked, this, &FrmTrace::cmdSave_Click);
    connect(cmdClear, &QPushButton::clicked, this, &FrmTrace::cmdClear_Click);

    const QFontMetrics fm(lstTrace->font());
    resize(fm.horizontalAdvance(QString(100, QLatin1Char('0'))), fm.lineSpacing() * 30);

    AddMnemonics(this);
    tmrTake = new QTimer(this);
    tmrTake->setInterval(kTakeIntervalMs);
    connect(tmrTake, &QTimer::timeout, this, &FrmTrace::takeIncoming);
    tmrTake->start();
    updateCount();
}

FrmTrace::~FrmTrace() = default;

void FrmTrace::takeMessage(const WireMessage& message) {
    incoming_.push_back(message);
    // The book keeps no more than this anyway.
    if (incoming_.size() > 2 * incomingLimit_)
        incoming_.erase(incoming_.begin(),
                        incoming_.begin() + static_cast<std::ptrdiff_t>(incomingLimit_));
}

void FrmTrace::takeIncoming() {
    std::vector<WireMessage> batch;
    batch.swap(incoming_);
    if (batch.empty()) {
        if (book_.hasPending() && ++quietRounds_ >= kQuietRoundsForPartial) {
            book_.flushPending();
            model_.sync();
            updateCount();
        }
        return;
    }
    quietRounds_ = 0;
    for (const WireMessage& m : batch)
        book_.add(m);
    QScrollBar* bar = lstTrace->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    model_.sync();
    if (atEnd) lstTrace->scrollToBottom();
    updateCount();
}

QString FrmTrace::shownLine(int row) const {
    return QString::fromStdString(TraceText(model_.lineAt(row)));
}

QString FrmTrace::shownText(bool selectedOnly) const {
    std::vector<int> rows;
    if (selectedOnly) {
        for (const QModelIndex& i : lstTrace->selectionModel()->selectedRows())
            rows.push_back(i.row());
        std::sort(rows.begin(), rows.end());
    }
    if (rows.empty()) {
        for (int r = 0; r < model_.rowCount(); ++r)
            rows.push_back(r);
    }
    QString text;
    for (const int r : rows)
        text += shownLine(r) + QLatin1Char('\n');
    return text;
}

void FrmTrace::cmdCopy_Click() {
    takeIncoming();
    prompter_.clipboardSetText(shownText(true).toStdString());
}

void FrmTrace::cmdSave_Click() {
    takeIncoming();
    if (!prompter_.showSave(saveDialog_)) return;
    QFile file(QString::fromStdString(saveDialog_.fileName));
    const QByteArray text = shownText(false).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush()) {
        prompter_.critical(Text(texts::watch::kFileNotSaved, file.errorString().toStdString()));
    }
}

void FrmTrace::cmdClear_Click() {
    takeIncoming();
    book_.clear();
    model_.reset();
    updateCount();
}

void FrmTrace::txtFilter_Change() {
    takeIncoming();
    model_.setFilter(TraceFilter(txtFilter->text().toStdString()));
    updateCount();
}

void FrmTrace::updateCount() {
    lblCount->setText(tr("Zobrazeno %1 z %2 řádků (nejvýše %3)")
                          .arg(model_.rowCount())
                          .arg(book_.size())
                          .arg(book_.capacity()));
}

} // namespace rm27

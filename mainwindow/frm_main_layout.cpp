// The widgets of frmMain: from top to bottom the connection frame, the
// table of the four inputs with the status line, the raw readings, and the
// calibration strip that only the extended mode shows. Sizes come from the
// fonts, never from pixels, so the window scales with the user's font and
// screen density.
#include "mainwindow/frm_main.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

#include "l10n/localizer.h"
#include "mainwindow/texts.h"
#include "session/controls.h"
#include "ui/mnemonics.h"
#include "ui/window_placement.h"

namespace rm27 {

namespace {

// The column numbers over the input table are one caption spaced with
// blanks: the numbers stand 23 characters apart, so each input column is
// 23 characters of that caption's font wide.
constexpr int kColumnChars = 23;
constexpr int kInputColumns = 4;

const QString kColumnNumbers =
    QStringLiteral("   1                      2                      3                      4");

// The caption of the column numbers, spanning the input columns of the
// table. Each number is drawn over the middle of the column its place in
// the caption names (every kColumnChars characters one column), however
// wide the window has made the columns. Spreading the caption itself, with
// letter spacing, would make the label's size hint follow the columns'
// width and so the window's: a resize would change the label, the label
// the layout, and the layout the next resize.
class ColumnNumbers : public QLabel {
public:
    ColumnNumbers(const QString& text, int spacing, QWidget* parent)
        : QLabel(text, parent), spacing_(spacing) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawFrame(&painter);
        // The label spans the columns and the gaps between them; the grid
        // gives the columns equal widths.
        const QRect area = contentsRect();
        const qreal column =
            static_cast<qreal>(area.width() - (kInputColumns - 1) * spacing_) / kInputColumns;
        const QString caption = text();
        for (qsizetype from = 0; from < caption.size();) {
            if (caption.at(from).isSpace()) {
                ++from;
                continue;
            }
            qsizetype to = from;
            while (to < caption.size() && !caption.at(to).isSpace())
                ++to;
            const int index =
                std::clamp(static_cast<int>(from / kColumnChars), 0, kInputColumns - 1);
            const qreal left = area.left() + index * (column + spacing_);
            const QRect cell(qRound(left), area.top(), qRound(left + column) - qRound(left),
                             area.height());
            style()->drawItemText(&painter, cell, Qt::AlignCenter, palette(), isEnabled(),
                                  caption.mid(from, to - from), foregroundRole());
            from = to;
        }
    }

private:
    int spacing_;
};

QString Indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(index);
}

QFont FixedFont(double scale = 1.0, bool bold = false) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (scale != 1.0 && f.pointSizeF() > 0) f.setPointSizeF(f.pointSizeF() * scale);
    f.setBold(bold);
    return f;
}

QLabel* Heading(const QString& name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

// A read-only display field: sunken, filled, text kept inside its column.
QLabel* Field(const QString& name, QWidget* parent, const QFont& font,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setProperty(kValueField, true);
    l->setFont(font);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setAlignment(align);
    l->setMargin(2);
    l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(p);
    return l;
}

// A field `lines` text lines high in its own font (and a pixel a line for
// the rounding of a scaled font's metrics, which would clip the last one).
void FitLines(QLabel* label, int lines) {
    const QFontMetrics fm(label->font());
    label->setFixedHeight((fm.lineSpacing() + 1) * lines + 2 * label->margin() +
                          2 * label->frameWidth());
}

// At least `chars` characters of its own font wide.
void FitChars(QLabel* label, int chars) {
    const QFontMetrics fm(label->font());
    label->setMinimumWidth(fm.horizontalAdvance(QString(chars, QLatin1Char('0'))) +
                           2 * label->margin() + 2 * label->frameWidth() + fm.averageCharWidth());
}

// The mark of a value less a tare: bold, hidden until a tare is taken, laid
// over the right end of the unit's field.
QLabel* NetMark(const QString& name, const QString& text, const QFont& font, QWidget* parent) {
    auto* l = Heading(name, text, parent);
    QFont bold = font;
    bold.setBold(true);
    l->setFont(bold);
    l->setMargin(3);
    l->setVisible(false);
    return l;
}

// A scroll area that asks for its whole client: the window opens as large
// as its controls want (when the screen has the room) and only scrolls
// when the screen is smaller.
class WholeClientScroll : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override {
        const int f = 2 * frameWidth();
        return widget() != nullptr ? widget()->sizeHint() + QSize(f, f) : QScrollArea::sizeHint();
    }
};

QPushButton* Button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

void FrmMain::BuildWindow() {
    // On a screen smaller than the window wants (a laptop with a task bar,
    // a large font) the window still fits: the client scrolls instead of
    // running off the screen's edge.
    auto* scroll = new WholeClientScroll(this);
    scroll->setObjectName(QStringLiteral("frmMainScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    setCentralWidget(scroll);
    auto* central = new QWidget(scroll);
    central->setObjectName(QStringLiteral("frmMainClient"));
    scroll->setWidget(central);
    central->installEventFilter(this);
    auto* root = new QVBoxLayout(central);
    root->addWidget(BuildConnectionFrame());
    root->addWidget(BuildMeasurementFrame());
    root->addWidget(BuildLowerPanel());
    root->addStretch(1);
    AlignLowerColumns();

    BuildMenus();
    AddMnemonics(menuBar());
    AddMnemonics(this);

    tmrCasovac = new QTimer(this);
    tmrCasovac->setObjectName(QStringLiteral("tmrCasovac"));
    tmrCasovac->setInterval(500);
    connect(tmrCasovac, &QTimer::timeout, this, &FrmMain::tmrCasovac_Timer);

    RegisterControls();
}

QWidget* FrmMain::BuildConnectionFrame() {
    fraSelectPortDevice = new QGroupBox(tr("Spojení / Informace o jednotce"));
    fraSelectPortDevice->setObjectName(QStringLiteral("fraSelectPortDevice"));
    QWidget* f = fraSelectPortDevice;

    cmbSelectPort = new QComboBox(f);
    cmbSelectPort->setObjectName(QStringLiteral("cmbSelectPort"));
    cmbSelectPort->setMinimumContentsLength(14);
    cmbSelectPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmdConnect = Button(QStringLiteral("cmdConnect"), tr("Spojit"), f);
    cmdConnect->setAutoFillBackground(true);
    cmdFindPorts = Button(QStringLiteral("cmdFindPorts"), tr("Hledat"), f);
    cmdFindPorts->setToolTip(tr("Vyhledat sériové porty, které lze otevřít"));

    cmbSelectAdr = new QComboBox(f);
    cmbSelectAdr->setObjectName(QStringLiteral("cmbSelectAdr"));
    cmbSelectAdr->setFont(FixedFont());
    cmbSelectAdr->setMinimumContentsLength(12);
    cmbSelectAdr->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbSelectAdr->setMaxVisibleItems(20);
    cmdDevRead = Button(QStringLiteral("cmdDevRead"), tr("Načíst"), f);
    cmdFindAdr = Button(QStringLiteral("cmdFindAdr"), tr("Hledat"), f);
    cmdFindAdr->setToolTip(tr("Vyhledat jednotky na všech adresách"));

    lblID = Field(QStringLiteral("lblID"), f, FixedFont(1.15, true));
    FitChars(lblID, 11);
    auto* at = Heading(QStringLiteral("Label5_0"), QStringLiteral("@"), f);
    at->setAlignment(Qt::AlignCenter);
    lblAdresa = Field(QStringLiteral("lblAdresa"), f, FixedFont(1.15, true));
    FitChars(lblAdresa, 12);
    lblID->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    lblAdresa->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    cmdReset = Button(QStringLiteral("cmdReset"), tr("Reset"), f);
    cmdReset->setToolTip(tr("Restart převodníku (s novým obsahem Eeprom)"));
    cmdAdresa = Button(QStringLiteral("cmdAdresa"), tr("Adr. change"), f);

    QLayout* scanList = BuildScanList(f);

    auto* g = new QGridLayout(f);
    g->addWidget(Heading(QStringLiteral("Label1_5"), tr("Sériový port"), f), 0, 0, 1, 2);
    g->addWidget(cmbSelectPort, 1, 0);
    g->addWidget(cmdConnect, 1, 1);
    g->addWidget(cmdFindPorts, 2, 1);
    g->setColumnMinimumWidth(2, fontMetrics().averageCharWidth() * 2);

    g->addWidget(Heading(QStringLiteral("Label1_4"), tr("Adresa jednotky (0=univerzální)"), f), 0,
                 3, 1, 2);
    g->addWidget(cmbSelectAdr, 1, 3);
    g->addWidget(cmdDevRead, 1, 4);
    g->addWidget(cmdFindAdr, 2, 4);
    g->setColumnMinimumWidth(5, fontMetrics().averageCharWidth() * 2);

    g->addWidget(Heading(QStringLiteral("Label1_6"), tr("Identifikace připojené jednotky"), f), 0,
                 6);
    auto* id = new QHBoxLayout;
    id->setSpacing(fontMetrics().averageCharWidth() / 2);
    id->addWidget(lblID, 3);
    id->addWidget(at);
    id->addWidget(lblAdresa, 2);
    g->addLayout(id, 1, 6);
    auto* maintenance = new QHBoxLayout;
    maintenance->addWidget(cmdReset);
    maintenance->addWidget(cmdAdresa);
    maintenance->addStretch(1);
    g->addLayout(maintenance, 2, 6);
    g->setColumnStretch(6, 1);
    g->setColumnMinimumWidth(7, fontMetrics().averageCharWidth() * 2);

    g->addLayout(scanList, 0, 8, 3, 1, Qt::AlignTop);
    return f;
}

// The scan's list under its heading, with the count found beside it.
QLayout* FrmMain::BuildScanList(QWidget* f) {
    lstCurves = new QListWidget(f);
    lstCurves->setObjectName(QStringLiteral("lstCurves"));
    lstCurves->setFont(FixedFont());
    {
        const QFontMetrics fm(lstCurves->font());
        lstCurves->setFixedHeight(fm.lineSpacing() * 3 + 2 * lstCurves->frameWidth() + 4);
        lstCurves->setMinimumWidth(fm.horizontalAdvance(QString(24, QLatin1Char('0'))));
    }
    const QString listTip = tr("Jednotky nalezené tlačítkem „Hledat“; dvojklik nebo Enter "
                               "vybere adresu a jednotku načte");
    lstCurves->setToolTip(listTip);
    // A double click or Enter: the same signal.
    connect(lstCurves, &QListWidget::itemActivated, this, &FrmMain::lstCurves_Click);
    lblScanInfo = Heading(QStringLiteral("lblScanInfo"), {}, f);
    lblScanInfo->setEnabled(false);
    lblScanInfo->setToolTip(listTip);
    // The count never widens the window.
    lblScanInfo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* heading = new QHBoxLayout;
    heading->addWidget(Heading(QStringLiteral("Label1_3"), tr("Curves"), f));
    heading->addWidget(lblScanInfo, 1);
    auto* column = new QVBoxLayout;
    column->addLayout(heading);
    column->addWidget(lstCurves);
    return column;
}

QWidget* FrmMain::BuildMeasurementFrame() {
    fraMereni = new QGroupBox(tr("Hodnoty vstupů jednotky"));
    fraMereni->setObjectName(QStringLiteral("fraMereni"));
    Picture1_0 = new QFrame(fraMereni);
    Picture1_0->setObjectName(QStringLiteral("Picture1_0"));
    QWidget* p = Picture1_0;

    const QFont fixed = FixedFont();
    const QFont big = FixedFont(1.35, true);
    const QFont sans = font();

    tableGrid_ = new QGridLayout(p);
    tableGrid_->setContentsMargins(0, 0, 0, 0);
    const int spacing = tableGrid_->horizontalSpacing() > 0 ? tableGrid_->horizontalSpacing() : 6;
    tableGrid_->setHorizontalSpacing(spacing);

    Label4 = new ColumnNumbers(kColumnNumbers, spacing, p);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(fixed);
    Label4->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const QString headings[] = {tr("ID"),       tr("Popis"),    tr("Vstup [mV/V]"),
                                tr("Veličina"), tr("Jednotka"), tr("Info")};
    for (int r = 0; r < 6; ++r) {
        auto* h = Heading(Indexed("Label3", r + 1), headings[r], p);
        tableGrid_->addWidget(h, r + 1, 0, Qt::AlignLeft | Qt::AlignVCenter);
    }
    tableGrid_->addWidget(Label4, 0, 1, 1, 4);
    for (int i = 0; i < 4; ++i) {
        lblR27ID[i] = Field(Indexed("lblR27ID", i), p, sans);
        lblR27Popis[i] = Field(Indexed("lblR27Popis", i), p, sans);
        lblR27mVV[i] = Field(Indexed("lblR27mVV", i), p, big, Qt::AlignRight | Qt::AlignVCenter);
        lblR27Val[i] = Field(Indexed("lblR27Val", i), p, big, Qt::AlignRight | Qt::AlignVCenter);
        lblR27Val[i]->setToolTip(tr("Údaj převodníku (v dílcích)"));
        lblR27Unit[i] = Field(Indexed("lblR27Unit", i), p, sans, Qt::AlignCenter);
        lblR27Net[i] = NetMark(Indexed("lblR27Net", i), tr("NET"), sans, p);
        lblR27Slide[i] = Field(Indexed("lblR27Slide", i), p, sans, Qt::AlignLeft | Qt::AlignTop);
        lblR27Popis[i]->setWordWrap(false);
        for (auto [l, lines] : {std::pair{lblR27ID[i], 1}, {lblR27Popis[i], 1}, {lblR27mVV[i], 1},
                                {lblR27Val[i], 1}, {lblR27Unit[i], 1}, {lblR27Slide[i], 3}}) {
            FitLines(l, lines);
            scaledFields_.push_back({l, l->font(), lines});
        }
        cmdChange[i] = Button(Indexed("cmdChange", i), tr("Změnit"), p);
        cmdChange[i]->setVisible(false);

        const int c = i + 1;
        tableGrid_->addWidget(lblR27ID[i], 1, c);
        tableGrid_->addWidget(lblR27Popis[i], 2, c);
        tableGrid_->addWidget(lblR27mVV[i], 3, c);
        tableGrid_->addWidget(lblR27Val[i], 4, c);
        tableGrid_->addWidget(lblR27Unit[i], 5, c);
        tableGrid_->addWidget(lblR27Net[i], 5, c, Qt::AlignRight | Qt::AlignVCenter);
        tableGrid_->addWidget(lblR27Slide[i], 6, c);
        tableGrid_->addWidget(cmdChange[i], 7, c, Qt::AlignHCenter);
        for (QLabel* l : {lblR27Slide[i], lblR27Val[i]}) {
            l->setProperty("rm27Index", i);
            l->installEventFilter(this);
        }
    }
    // Reserve the button row even while the buttons are hidden, so that the
    // table does not jump when the first reading shows them.
    tableGrid_->setRowMinimumHeight(7, cmdChange[0]->sizeHint().height());

    const QFontMetrics fm(fixed);
    const int pitch = fm.horizontalAdvance(QLatin1Char(' ')) * kColumnChars;
    for (int c = 1; c <= 4; ++c) {
        tableGrid_->setColumnMinimumWidth(c, pitch - spacing);
        tableGrid_->setColumnStretch(c, 1);
    }

    lblStatus = Field(QStringLiteral("lblStatus"), fraMereni, sans);
    lblStatus->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    FitLines(lblStatus, 1);
    lblStatus->setMinimumHeight(lblStatus->height() + 4);

    auto* v = new QVBoxLayout(fraMereni);
    v->addWidget(Picture1_0);
    v->addWidget(lblStatus);
    return fraMereni;
}

QWidget* FrmMain::BuildLowerPanel() {
    lowerPanel_ = new QWidget;
    lowerPanel_->setObjectName(QStringLiteral("frmMainLower"));
    lowerLayout_ = new QVBoxLayout(lowerPanel_);
    lowerLayout_->setContentsMargins(0, 0, 0, 0);

    const QFont fixed = FixedFont();
    const int spacing = tableGrid_->horizontalSpacing();
    const int column = tableGrid_->columnMinimumWidth(1);
    auto makeGrid = [&](QWidget* parent) {
        auto* g = new QGridLayout(parent);
        g->setContentsMargins(0, 0, 0, 0);
        g->setHorizontalSpacing(spacing);
        for (int c = 1; c <= 4; ++c) {
            g->setColumnMinimumWidth(c, column);
            g->setColumnStretch(c, 1);
        }
        return g;
    };

    auto* raw = new QWidget(lowerPanel_);
    raw->setObjectName(QStringLiteral("frmMainRawReadings"));
    auto* rg = makeGrid(raw);
    rg->addWidget(Heading(QStringLiteral("Label3_0"), tr("DIV"), raw), 0, 0);
    rg->addWidget(Heading(QStringLiteral("Label3_8"), tr("DIV"), raw), 1, 0);
    for (int i = 0; i < 8; ++i) {
        lblHodnota[i] =
            Field(Indexed("lblHodnota", i), raw, fixed, Qt::AlignRight | Qt::AlignVCenter);
        FitLines(lblHodnota[i], 1);
        scaledFields_.push_back({lblHodnota[i], fixed, 1});
        rg->addWidget(lblHodnota[i], i / 4, i % 4 + 1);
    }

    calibrationStrip_ = new QWidget(lowerPanel_);
    calibrationStrip_->setObjectName(QStringLiteral("frmMainCalibration"));
    QWidget* s = calibrationStrip_;
    auto* cg = makeGrid(s);
    cg->addWidget(Heading(QStringLiteral("Label3_9"), QStringLiteral("mVV_K"), s), 1, 0);
    cg->addWidget(Heading(QStringLiteral("Label3_10"), QStringLiteral("mVV_Q"), s), 2, 0);
    cg->addWidget(Heading(QStringLiteral("Label3_7"), tr("Freq"), s), 4, 0);
    const char* kqCaptions[] = {"0", "2", "x"};
    for (int i = 0; i < 4; ++i) {
        cmdCopyEKEY_Ext2Int[i] = Button(Indexed("cmdCopyEKEY_Ext2Int", i), tr("COPY Ext->Int"), s);
        cg->addWidget(cmdCopyEKEY_Ext2Int[i], 0, i + 1, Qt::AlignHCenter);

        lblR38mVVK[i] =
            Field(Indexed("lblR38mVVK", i), s, fixed, Qt::AlignRight | Qt::AlignVCenter);
        lblR38mVVQ[i] =
            Field(Indexed("lblR38mVVQ", i), s, fixed, Qt::AlignRight | Qt::AlignVCenter);
        for (QLabel* l : {lblR38mVVK[i], lblR38mVVQ[i]}) {
            FitLines(l, 1);
            scaledFields_.push_back({l, fixed, 1});
        }
        cg->addWidget(lblR38mVVK[i], 1, i + 1);
        cg->addWidget(lblR38mVVQ[i], 2, i + 1);

        // Zero, slope and manual entry of input i stand side by side; the
        // array keeps the old numbering: i, i + 4, i + 8.
        auto* trio = new QHBoxLayout;
        trio->setSpacing(spacing / 2);
        for (int k = 0; k < 3; ++k) {
            const int index = i + 4 * k;
            cmdSetmVVKQ[index] =
                Button(Indexed("cmdSetmVVKQ", index), QString::fromLatin1(kqCaptions[k]), s);
            cmdSetmVVKQ[index]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
            trio->addWidget(cmdSetmVVKQ[index]);
        }
        cg->addLayout(trio, 3, i + 1);
    }
    cmbFreq = new QComboBox(s);
    cmbFreq->setObjectName(QStringLiteral("cmbFreq"));
    cmbFreq->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    cg->addWidget(cmbFreq, 4, 1, 1, 2);
    cmdGain = Button(QStringLiteral("cmdGain"), tr("Zápis"), s);
    cg->addWidget(cmdGain, 4, 3, Qt::AlignLeft);
    cg->setRowMinimumHeight(0, 0);

    lowerLayout_->addWidget(raw);
    lowerLayout_->addSpacing(fontMetrics().height() / 2);
    lowerLayout_->addWidget(calibrationStrip_);
    return lowerPanel_;
}

void FrmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto action = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    mApp = bar->addMenu(tr("Aplikace"));
    mApp->setObjectName(QStringLiteral("mApp"));
    mMereni = action(mApp, "mMereni", tr("Spustit měření"));
    mApp->addSeparator();
    mAbout = action(mApp, "mAbout", tr("O aplikaci ..."));
    mApp->addSeparator();
    mExit = action(mApp, "mExit", tr("Ukončit / Zavřít"));

    mDevice = bar->addMenu(tr("RM-27"));
    mDevice->setObjectName(QStringLiteral("mDevice"));
    mSaveEE = action(mDevice, "mSaveEE", tr("Uložit obsah EEPROM do souboru ..."));
    mSaveEE->setVisible(false);
    mLoadEE = action(mDevice, "mLoadEE", tr("Zapsat EEPROM ze souboru ..."));
    mDevice->addSeparator();
    mIniteKey = action(mDevice, "mIniteKey", tr("Inicializovat eKey pro R-27"));
    mIniteKeyDavro = action(mDevice, "mIniteKeyDavro", tr("Inicializovat eKey pro DAVRO"));
    mDevice->addSeparator();
    mCopy14 = action(mDevice, "mCopy14", tr("Copy ekey Vstup1 - > Vstup 4"));
    mDevice->addSeparator();
    mRestoreEKey = action(mDevice, "mRestoreEKey", tr("Obnovit eKey ze zálohy ..."));
    mUndo = action(mDevice, "mUndo", tr("Vrátit poslední zápis …"));
    mDevice->menuAction()->setVisible(false);

    // Only ever opened as a popup over an input's information text.
    MEKEY = new QMenu(QStringLiteral("ppmenu"), this);
    MEKEY->setObjectName(QStringLiteral("MEKEY"));
    mppmSave = action(MEKEY, "mppmSave", tr("Uložit kalibraci do souboru BIN"));
    mppmRestore = action(MEKEY, "mppmRestore", tr("Obnovit kalibraci ze souboru BIN …"));
    // Only ever opened as a popup over an input's value.
    mTare = new QMenu(this);
    mTare->setObjectName(QStringLiteral("mTare"));
    mClearTare = action(mTare, "mClearTare", tr("Zrušit táru"));

    mRMUmain = bar->addMenu(tr("RMU"));
    mRMUmain->setObjectName(QStringLiteral("mRMUmain"));
    mRMUset = action(mRMUmain, "mRMUset", tr("Uživatelská nastavení"));
    mRMUmain->menuAction()->setVisible(false);

    // Watching and recording: nothing here talks to the converter.
    mView = bar->addMenu(tr("Zobrazit"));
    mView->setObjectName(QStringLiteral("mView"));
    mChart = action(mView, "mChart", tr("Graf vstupů"));
    mTrace = action(mView, "mTrace", tr("Komunikace"));
    mView->addSeparator();
    mLog = action(mView, "mLog", tr("Záznam do souboru ..."));
    mLogStop = action(mView, "mLogStop", tr("Ukončit záznam"));
    mLogStop->setEnabled(false);

    connect(mAbout, &QAction::triggered, this, &FrmMain::mAbout_Click);
    connect(mExit, &QAction::triggered, this, &FrmMain::mExit_Click);
    connect(mppmSave, &QAction::triggered, this, &FrmMain::mppmSave_Click);
    connect(mppmRestore, &QAction::triggered, this, &FrmMain::mppmRestore_Click);
    // Sends nothing, so not a command: it may run while one does.
    connect(mClearTare, &QAction::triggered, this,
            [this] { ClearTare(operations(), tareMenuInput_); });
}

const std::vector<FrmMain::CommandStarter>& FrmMain::CommandStarters() {
    static const std::vector<CommandStarter> starters = [] {
        using Handler = void (FrmMain::*)();
        using IndexedHandler = void (FrmMain::*)(int);
        std::vector<CommandStarter> s;
        const auto plain = [&s](const std::string& control, Handler handler,
                                bool needsLine = true) {
            s.push_back({QString::fromStdString(control),
                         [handler](FrmMain& w) { (w.*handler)(); }, needsLine});
        };
        const auto indexed = [&s](const ctl::Array& controls, IndexedHandler handler) {
            for (int i = 0; i < controls.size; ++i)
                s.push_back({QString::fromStdString(controls(i)),
                             [handler, i](FrmMain& w) { (w.*handler)(i); }});
        };
        // Opening the port and looking for ports send nothing.
        plain(ctl::cmdConnect, &FrmMain::cmdConnect_Click, false);
        plain(ctl::cmdFindPorts, &FrmMain::cmdFindPorts_Click, false);
        plain(ctl::cmdDevRead, &FrmMain::cmdDevRead_Click);
        plain(ctl::cmdFindAdr, &FrmMain::cmdFindAdr_Click);
        plain(ctl::cmdAdresa, &FrmMain::cmdAdresa_Click);
        plain(ctl::cmdReset, &FrmMain::cmdReset_Click);
        plain(ctl::cmdGain, &FrmMain::cmdGain_Click);
        indexed(ctl::cmdSetmVVKQ, &FrmMain::cmdSetmVVKQ_Click);
        indexed(ctl::cmdChange, &FrmMain::cmdChange_Click);
        indexed(ctl::cmdCopyEKEY_Ext2Int, &FrmMain::cmdCopyEKEY_Ext2Int_Click);
        plain(ctl::mSaveEE, &FrmMain::mSaveEE_Click);
        plain(ctl::mLoadEE, &FrmMain::mLoadEE_Click);
        plain(ctl::mIniteKey, &FrmMain::mIniteKey_Click);
        plain(ctl::mIniteKeyDavro, &FrmMain::mIniteKeyDavro_Click);
        plain(ctl::mCopy14, &FrmMain::mCopy14_Click);
        plain(ctl::mRestoreEKey, &FrmMain::mRestoreEKey_Click);
        plain(ctl::mUndo, &FrmMain::mUndo_Click);
        plain(ctl::mRMUset, &FrmMain::mRMUset_Click);
        plain(ctl::mMereni, &FrmMain::mMereni_Click);
        return s;
    }();
    return starters;
}

void FrmMain::RegisterControls() {
    view_.registerControls(this, tmrCasovac);
    ConnectStarters();
}

void FrmMain::ConnectStarters() {
    for (const CommandStarter& starter : CommandStarters()) {
        QObject* o = view_.control(starter.control);
        Q_ASSERT_X(o != nullptr, "ConnectStarters", qPrintable(starter.control));
        // The table is static: the handler outlives every window.
        const auto run = [this, &starter, o] {
            // Named while it runs, and when the measurement stays stopped
            // after it.
            if (auto* b = qobject_cast<QAbstractButton*>(o))
                runningCommand_ = b->text().remove(QLatin1Char('&')).toStdString();
            else if (auto* a = qobject_cast<QAction*>(o))
                runningCommand_ = a->text().remove(QLatin1Char('&')).toStdString();
            starter.handler(*this);
            runningCommand_.clear();
        };
        if (auto* action = qobject_cast<QAction*>(o))
            connect(action, &QAction::triggered, this, run);
        else
            connect(qobject_cast<QAbstractButton*>(o), &QAbstractButton::clicked, this, run);
        view_.guardControl(o, starter.needsLine);
    }
}

// The input labels' clicks, routed to the handlers of the row they stand in.
bool FrmMain::eventFilter(QObject* watched, QEvent* e) {
    // The client asks for more room (a reading showed its rows): after the
    // layout has settled, the window grows rather than scroll.
    if (e->type() == QEvent::LayoutRequest && watched->objectName() == u"frmMainClient")
        QTimer::singleShot(0, this, &FrmMain::GrowToContent);
    const QVariant index = watched->property("rm27Index");
    if (index.isValid()) {
        const int i = index.toInt();
        const bool slide = watched == lblR27Slide[static_cast<std::size_t>(i)];
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (slide)
                lblR27Slide_MouseDown(i, me->button(), me->globalPosition().toPoint());
            else
                lblR27Val_MouseDown(i, me->button(), me->globalPosition().toPoint());
        } else if (e->type() == QEvent::MouseButtonDblClick && !slide) {
            lblR27Val_DblClick(i);
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void FrmMain::lblR27Slide_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPos) {
    if (index < 0 || index > 3 || button != Qt::RightButton) return;
    ekeyMenuInput_ = index;
    MEKEY->popup(globalPos);
}

void FrmMain::lblR27Val_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPos) {
    if (index < 0 || index > 3 || button != Qt::RightButton) return;
    tareMenuInput_ = index;
    mClearTare->setEnabled(session_->live().tare[static_cast<std::size_t>(index)] != 0);
    mTare->popup(globalPos);
}

void FrmMain::setTare(int input, const Text& note) {
    if (input < 0 || input >= kInputCount) return;
    QLabel* net = lblR27Net[static_cast<std::size_t>(input)];
    net->setToolTip(Shown(note));
    net->setVisible(!note.empty());
}

void FrmMain::AlignLowerColumns() {
    if (tableGrid_ == nullptr || lowerLayout_ == nullptr) return;
    // The raw readings and the calibration strip stand outside the input
    // frame but under its columns. The frame and the lower panel share the
    // window's width, so the lower rows are inset by what lies between the
    // frame's edge and the table: the frame's border, its layout's margins,
    // the picture's border. All of it comes from the style, none of it from
    // the width the window has, so nothing set here can make the window
    // want to be wider than it is.
    const QMargins inset = fraMereni->contentsMargins() + fraMereni->layout()->contentsMargins() +
                           Picture1_0->contentsMargins() + tableGrid_->contentsMargins();
    const QMargins m = lowerLayout_->contentsMargins();
    const QMargins wanted(inset.left(), m.top(), inset.right(), m.bottom());
    if (m != wanted) lowerLayout_->setContentsMargins(wanted);

    // One heading column for the table and the lower rows, as wide as the
    // widest heading of any of them, so that the input columns start at the
    // same place in each.
    QList<QGridLayout*> grids = lowerPanel_->findChildren<QGridLayout*>();
    grids.prepend(tableGrid_);
    int heading = 0;
    for (QGridLayout* g : grids) {
        for (int i = 0; i < g->count(); ++i) {
            int row = 0;
            int column = 0;
            int rows = 0;
            int columns = 0;
            g->getItemPosition(i, &row, &column, &rows, &columns);
            QWidget* w = g->itemAt(i)->widget();
            if (column == 0 && columns == 1 && w != nullptr)
                heading = std::max(heading, w->sizeHint().width());
        }
    }
    for (QGridLayout* g : grids) {
        if (g->columnMinimumWidth(0) != heading) g->setColumnMinimumWidth(0, heading);
    }
}

void FrmMain::GrowToContent() {
    auto* scroll = qobject_cast<QScrollArea*>(centralWidget());
    if (scroll == nullptr || !isVisible() || isMaximized() || isFullScreen()) return;
    const int missing = scroll->widget()->sizeHint().height() - scroll->viewport()->height();
    const int wanted = std::min(height() + missing, RoomFor(this).height());
    if (missing <= 0 || wanted <= height()) return;
    resize(width(), wanted);
    KeepOnScreen(this);
}

void FrmMain::ApplyFieldScale(double scale) {
    if (scale == fieldScale_) return;
    fieldScale_ = scale;
    for (const ScaledField& f : scaledFields_) {
        QFont font = f.font;
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * scale);
        else
            font.setPixelSize(qRound(font.pixelSize() * scale));
        f.label->setFont(font);
        FitLines(f.label, f.lines);
    }
}

void FrmMain::ScaleFieldsToRoom() {
    auto* scroll = qobject_cast<QScrollArea*>(centralWidget());
    if (scroll == nullptr || scaledFields_.empty()) return;
    if (baseWidth_ == 0) baseWidth_ = scroll->widget()->sizeHint().width();
    // The fields grow in steps (resizing by a few pixels re-lays nothing)
    // to the largest whose table still fits the window's height, and no
    // more than the window's width has grown, so a tall narrow window
    // does not get huge digits.
    constexpr double kStep = 0.125;
    const QSize room = scroll->viewport()->size();
    if (room == scaledFor_) return;
    scaledFor_ = room;
    const double widest =
        std::clamp(static_cast<double>(room.width()) / std::max(1, baseWidth_), 1.0, 2.5);
    const auto fits = [&](double scale) {
        ApplyFieldScale(scale);
        return scroll->widget()->sizeHint().height() <= room.height();
    };
    double scale = std::min(fieldScale_, widest);
    while (scale > 1.0 && !fits(scale))
        scale -= kStep;
    while (scale + kStep <= widest && fits(scale + kStep))
        scale += kStep;
    ApplyFieldScale(std::max(scale, 1.0));
}

} // namespace rm27

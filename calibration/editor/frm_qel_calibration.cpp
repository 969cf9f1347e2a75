#include "calibration/editor/frm_qel_calibration.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "calibration/editor/frm_linearity.h"
#include "calibration/editor/frm_qel_calib_input_box.h"
#include "calibration/texts.h"
#include "l10n/localizer.h"
#include "session/measurement_status.h"
#include "ui/app_paths.h"
#include "ui/widget_view.h"
#include "ui/build_info.h"
#include "ui/window_placement.h"
#include "ui/mnemonics.h"

namespace rm27 {

namespace {

constexpr int kWindowHeightTwips = 8145;
constexpr int kTwipsPerInch = 1440;

QString Indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(index);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A caption the model built, in the user's language.
QString Caption(const Text& text) {
    return Shown(text);
}

template <std::size_t N> void Fill(QComboBox* combo, const std::array<const char*, N>& rows) {
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const char* row : rows)
        combo->addItem(Shown(std::string(row), TextKind::Value));
    combo->setCurrentIndex(-1);
}

template <std::size_t N> void Fill(QComboBox* combo, const TextId (&rows)[N]) {
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const TextId& row : rows)
        combo->addItem(Shown(Text(row)));
    combo->setCurrentIndex(-1);
}

void Select(QComboBox* combo, int index) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void SetText(QLineEdit* box, const std::string& text) {
    // Only a real change moves the cursor, so a Push in the middle of
    // typing leaves the user where they were.
    if (box->text() != Q(text)) box->setText(Q(text));
}

} // namespace

FrmQELCalibration::FrmQELCalibration(Operations& ops, QWidget* parent, PointDialog* dialog)
    : QMainWindow(parent),
      ownDialog_(dialog == nullptr ? std::make_unique<FrmQELCalibInputBox>(this) : nullptr),
      model_(ops, dialog == nullptr ? *ownDialog_ : *dialog) {
    setObjectName(Q(kCalibrationEditorName));
    setWindowFlag(Qt::Window, true);
    setWindowTitle(tr("Kalibrace"));
    model_.appFolder = QCoreApplication::applicationDirPath().toStdString();
    model_.files = &files_;
    model_.draftFolder = DraftFolder().toStdString();
    model_.certificates = &printer_;
    model_.program = std::string(build::kProgramTitle) + " " + build::kVersionText;
    BuildWindow();
    BuildMenus();
    AddMnemonics(menuBar());
    AddMnemonics(this);
    tmrOpisovac = new QTimer(this);
    tmrOpisovac->setObjectName(QStringLiteral("tmrOpisovac"));
    connect(tmrOpisovac, &QTimer::timeout, this, &FrmQELCalibration::tmrOpisovac_Timer);
    // F5 is the window's key whichever control has the focus.
    // The point dialog is a window of its own: F5 there captures nothing.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->window() == this) w->installEventFilter(this);
    }
}

FrmQELCalibration::~FrmQELCalibration() {
    tmrOpisovac->stop();
}

void FrmQELCalibration::BuildWindow() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(BuildSignalFrame(central));
    layout->addWidget(BuildSensorFrame(central));
    layout->addWidget(BuildCurveFrame(central), 1);
    layout->addLayout(BuildActionRow(central));
    setCentralWidget(central);
    ConnectWindow();
}

QGroupBox* FrmQELCalibration::BuildSignalFrame(QWidget* central) {
    Frame3 = new QGroupBox(tr("Signál vstupu"), central);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    auto* live = new QHBoxLayout(Frame3);
    cmdSCAN = new QPushButton(tr("Zachytit"), Frame3);
    cmdSCAN->setObjectName(QStringLiteral("cmdSCAN"));
    cmdSCAN->setToolTip(tr("Zachytit signál jako bod křivky (F5)"));
    lblSignal = new QLabel(Frame3);
    lblSignal->setObjectName(QStringLiteral("lblSignal"));
    QFont big = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (big.pointSizeF() > 0) big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblSignal->setFont(big);
    lblSignal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblSignal->setFrameShape(QFrame::StyledPanel);
    lblSignal->setFrameShadow(QFrame::Sunken);
    lblSignal->setMinimumWidth(
        QFontMetrics(big).horizontalAdvance(QStringLiteral("00000000.0000")));
    lblLiveUnit = new QLabel(Frame3);
    lblLiveUnit->setObjectName(QStringLiteral("lblLiveUnit"));
    live->addWidget(cmdSCAN);
    live->addStretch(1);
    live->addWidget(lblSignal);
    live->addWidget(lblLiveUnit);
    return Frame3;
}

QGroupBox* FrmQELCalibration::BuildSensorFrame(QWidget* central) {
    Frame2 = new QGroupBox(tr("Snímač"), central);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* form = new QGridLayout(Frame2);
    auto text = [&](QLineEdit*& box, const char* name) {
        box = new QLineEdit(Frame2);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };
    auto combo = [&](QComboBox*& c, const char* name) {
        c = new QComboBox(Frame2);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    auto row = [&](int r, int column, const QString& caption, QWidget* field, int span = 1) {
        auto* label = new QLabel(caption, Frame2);
        label->setBuddy(field);
        form->addWidget(label, r, column);
        form->addWidget(field, r, column + 1, 1, span);
    };
    row(0, 0, tr("Popis"), text(txtPopis, "txtPopis"), 3);
    txtPopis->setMaxLength(static_cast<int>(kDescriptionWidth));
    row(1, 0, tr("Formát"), combo(cmbFormat, "cmbFormat"));
    row(1, 2, tr("Jednotka"), text(txtJednotka, "txtJednotka"));
    txtJednotka->setMaxLength(static_cast<int>(kUnitWidth));
    row(2, 0, tr("Typ /Zesílení"), combo(cmbGain, "cmbGain"), 3);
    row(3, 0, tr("Průměrování (počet vzorků)"), combo(cmbSlide, "cmbSlide"));
    row(3, 2, tr("SlideRychl"), combo(cmbSlideRychl, "cmbSlideRychl"));
    row(4, 0, tr("Limit"), text(txtLimit, "txtLimit"));
    // Storing puts a limit of its own into the eKey, whatever was typed.
    txtLimit->setToolTip(tr("Do eKey se neukládá"));
    row(4, 2, tr("Last saved"), text(txtDateOfSave, "txtDateOfSave"));
    row(5, 0, tr("Kalibrační list"), text(txtKL, "txtKL"));
    row(5, 2, tr("S/N"), text(txtSN, "txtSN"));
    row(6, 0, tr("Nejistota [%]"), text(txtNejistota, "txtNejistota"));
    row(6, 2, tr("Platnost kalibrace"), text(txtPlatnostKalibrace, "txtPlatnostKalibrace"));
    MarkCertificateOnly(form);
    Fill(cmbFormat, kFormatRows);
    Fill(cmbGain, texts::calibration::kGainRows);
    Fill(cmbSlide, kSlideRows);
    Fill(cmbSlideRychl, kSlideRychlRows);
    return Frame2;
}

// The boxes whose values only the certificate states: the eKey has no room
// for them (its validity is the one it was built with), so storing leaves
// them out, and the user should know before typing them. The note stands
// beside their two rows, so that the window keeps its height.
void FrmQELCalibration::MarkCertificateOnly(QGridLayout* form) {
    const QString tip = tr("Jen pro kalibrační list: do eKey se neukládá");
    const QList<QWidget*> boxes = {txtKL, txtSN, txtNejistota, txtPlatnostKalibrace};
    for (QWidget* box : boxes)
        box->setToolTip(tip);
    for (QLabel* caption : Frame2->findChildren<QLabel*>()) {
        if (boxes.contains(caption->buddy())) caption->setToolTip(tip);
    }
    auto* note = new QLabel(tr("Jen pro kalibrační list"), Frame2);
    note->setObjectName(QStringLiteral("lblCertificateOnly"));
    note->setToolTip(tip);
    note->setWordWrap(true);
    note->setFrameShape(QFrame::StyledPanel);
    QFont small = note->font();
    small.setItalic(true);
    note->setFont(small);
    form->addWidget(note, 5, 4, 2, 1);
}

QGroupBox* FrmQELCalibration::BuildCurveFrame(QWidget* central) {
    Frame1 = new QGroupBox(tr("Kalibrační křivka"), central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* curve = new QGridLayout(Frame1);
    cmbCurveType = new QComboBox(Frame1);
    cmbCurveType->setObjectName(QStringLiteral("cmbCurveType"));
    Fill(cmbCurveType, texts::calibration::kCurveTypeRows);
    lblCurveSignalPopis = new QLabel(Frame1);
    lblCurveSignalPopis->setObjectName(QStringLiteral("lblCurveSignalPopis"));
    lblCurveEthPopis = new QLabel(tr("Etalon"), Frame1);
    lblCurveEthPopis->setObjectName(QStringLiteral("lblCurveEthPopis"));
    lstKrivka = BuildPointTable(Frame1);
    const QString listCaptions[] = {tr("Přidat bod"), tr("Smazat bod")};
    const QString listTips[] = {tr("Přidat bod kalibrační křivky"),
                                tr("Odstranit vybraný bod kalibrační křivky")};
    for (int i = 0; i < 2; ++i) {
        const auto k = static_cast<std::size_t>(i);
        cmdListAction[k] = new QPushButton(listCaptions[i], Frame1);
        cmdListAction[k]->setObjectName(Indexed("cmdListAction", i));
        cmdListAction[k]->setToolTip(listTips[i]);
    }
    LayOutCurveFrame(curve);
    return Frame1;
}

// The curve's points as a table of two columns, signal and value, under
// the two headings; all the points a curve can hold are in sight at once.
QTableWidget* FrmQELCalibration::BuildPointTable(QWidget* parent) {
    auto* table = new QTableWidget(0, 2, parent);
    table->setObjectName(QStringLiteral("lstKrivka"));
    table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    table->horizontalHeader()->setVisible(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    const int row = QFontMetrics(table->font()).lineSpacing() + 6;
    table->verticalHeader()->setDefaultSectionSize(row);
    table->setMinimumHeight(row * kEditorMaxPoints + 2 * table->frameWidth() + 2);
    table->setMinimumWidth(QFontMetrics(table->font()).horizontalAdvance(QString(26, QLatin1Char('0'))));
    return table;
}

void FrmQELCalibration::LayOutCurveFrame(QGridLayout* curve) {
    auto* listButtons = new QVBoxLayout;
    for (QPushButton* button : cmdListAction)
        listButtons->addWidget(button);
    listButtons->addStretch(1);
    auto* headings = new QHBoxLayout;
    headings->addWidget(lblCurveSignalPopis);
    headings->addStretch(1);
    headings->addWidget(lblCurveEthPopis);
    curve->addWidget(cmbCurveType, 0, 0);
    curve->addLayout(headings, 1, 0);
    curve->addWidget(lstKrivka, 2, 0);
    curve->addLayout(listButtons, 2, 1);
    curve->setRowStretch(2, 1);
}

QHBoxLayout* FrmQELCalibration::BuildActionRow(QWidget* central) {
    auto* bottom = new QHBoxLayout;
    Label3 = new QLabel(central);
    Label3->setObjectName(QStringLiteral("Label3"));
    bottom->addWidget(Label3);
    bottom->addStretch(1);
    const QString actionCaptions[] = {tr("Storno"), tr("Uložit kalibraci")};
    for (int i = 1; i >= 0; --i) {
        const auto k = static_cast<std::size_t>(i);
        cmdAction[k] = new QPushButton(actionCaptions[i], central);
        cmdAction[k]->setObjectName(Indexed("cmdAction", i));
        bottom->addWidget(cmdAction[k]);
    }
    return bottom;
}

void FrmQELCalibration::ConnectWindow() {
    connect(cmdSCAN, &QPushButton::clicked, this, &FrmQELCalibration::cmdSCAN_Click);
    connect(cmbCurveType, &QComboBox::activated, this, &FrmQELCalibration::cmbCurveType_Click);
    connect(lstKrivka, &QTableWidget::itemDoubleClicked, this,
            &FrmQELCalibration::lstKrivka_DblClick);
    for (int i = 0; i < 2; ++i) {
        connect(cmdListAction[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdListAction_Click(i); });
    }
    for (int i = 1; i >= 0; --i) {
        connect(cmdAction[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdAction_Click(i); });
    }
}

void FrmQELCalibration::BuildMenus() {
    auto item = [&](QMenu* menu, QAction*& action, const char* name, const QString& caption) {
        action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    mFile = menuBar()->addMenu(tr("&Calibration"));
    mFile->setObjectName(QStringLiteral("mFile"));
    item(mFile, mKrivkaNew, "mKrivkaNew", tr("&New curve"));
    item(mFile, mFileOpen, "mFileOpen", tr("&Open calibration file ..."));
    item(mFile, mFileSaveAs, "mFileSaveAs", tr("&Save to calibration file ..."));
    item(mFile, mKalibracniList, "mKalibracniList", tr("&Kalibrační list ..."));
    item(mFile, mKrivkaDelete, "mKrivkaDelete", tr("&Remove curve"));
    mFile->addSeparator();
    item(mFile, mLoadEEKrivka, "mLoadEEKrivka", tr("Load calibration data from sensor ..."));
    item(mFile, mSaveEEKrivka, "mSaveEEKrivka", tr("Save calibration data to sensor ..."));
    mFile->addSeparator();
    item(mFile, mKrivkaBodAdd, "mKrivkaBodAdd", tr("&Add curve point"));
    item(mFile, mKrivkaBodDelete, "mKrivkaBodDelete", tr("&Remove curve point"));
    mFile->addSeparator();
    // F5 itself goes through the window's key filter, whatever has the
    // focus; the item shows the key and does the same.
    item(mFile, mScan, "mScan", tr("Zachytit bod"));
    mScan->setShortcut(QKeySequence(Qt::Key_F5));
    mScan->setShortcutContext(Qt::WidgetShortcut);
    connect(mScan, &QAction::triggered, this, &FrmQELCalibration::cmdSCAN_Click);
    mGraf = menuBar()->addMenu(tr("&Graph"));
    mGraf->setObjectName(QStringLiteral("mGraf"));
    item(mGraf, mGrafLinearity, "mGrafLinearity", tr("&Show Linearity"));
    connect(mKrivkaNew, &QAction::triggered, this, &FrmQELCalibration::mKrivkaNew_Click);
    connect(mFileOpen, &QAction::triggered, this, &FrmQELCalibration::mFileOpen_Click);
    connect(mFileSaveAs, &QAction::triggered, this, &FrmQELCalibration::mFileSaveAs_Click);
    connect(mKalibracniList, &QAction::triggered, this, &FrmQELCalibration::mKalibracniList_Click);
    connect(mKrivkaDelete, &QAction::triggered, this, &FrmQELCalibration::mKrivkaDelete_Click);
    connect(mLoadEEKrivka, &QAction::triggered, this, &FrmQELCalibration::mLoadEEKrivka_Click);
    connect(mSaveEEKrivka, &QAction::triggered, this, &FrmQELCalibration::mSaveEEKrivka_Click);
    connect(mGrafLinearity, &QAction::triggered, this, &FrmQELCalibration::mGrafLinearity_Click);
    connect(mKrivkaBodAdd, &QAction::triggered, this, &FrmQELCalibration::mKrivkaBodAdd_Click);
    connect(mKrivkaBodDelete, &QAction::triggered, this,
            &FrmQELCalibration::mKrivkaBodDelete_Click);
}

// ------------------------------------------------------ the model's fields

void FrmQELCalibration::Pull() {
    EditorFields& f = model_.fields;
    f.txtPopis = txtPopis->text().toStdString();
    f.txtJednotka = txtJednotka->text().toStdString();
    f.txtKL = txtKL->text().toStdString();
    f.txtNejistota = txtNejistota->text().toStdString();
    f.txtSN = txtSN->text().toStdString();
    f.txtLimit = txtLimit->text().toStdString();
    f.txtDateOfSave = txtDateOfSave->text().toStdString();
    f.txtPlatnostKalibrace = txtPlatnostKalibrace->text().toStdString();
    f.cmbFormat = cmbFormat->currentIndex();
    f.cmbGain = cmbGain->currentIndex();
    f.cmbSlide = cmbSlide->currentIndex();
    f.cmbSlideRychl = cmbSlideRychl->currentIndex();
    f.cmbCurveType = cmbCurveType->currentIndex();
    f.lstKrivkaSelected = lstKrivka->currentRow();
}

void FrmQELCalibration::Push() {
    const EditorFields& f = model_.fields;
    SetText(txtPopis, f.txtPopis);
    SetText(txtJednotka, f.txtJednotka);
    SetText(txtKL, f.txtKL);
    SetText(txtNejistota, f.txtNejistota);
    SetText(txtSN, f.txtSN);
    SetText(txtLimit, f.txtLimit);
    SetText(txtDateOfSave, f.txtDateOfSave);
    SetText(txtPlatnostKalibrace, f.txtPlatnostKalibrace);
    Select(cmbFormat, f.cmbFormat);
    Select(cmbGain, f.cmbGain);
    Select(cmbSlide, f.cmbSlide);
    Select(cmbSlideRychl, f.cmbSlideRychl);
    Select(cmbCurveType, f.cmbCurveType);
    if (!f.caption.empty()) setWindowTitle(Caption(f.caption));
    if (!f.frame2.empty()) Frame2->setTitle(Caption(f.frame2));
    Label3->setText(Q(f.label3));
    lblLiveUnit->setText(Shown(f.lblLiveUnit, TextKind::Value));
    lblSignal->setText(Q(f.lblSignal));
    lblCurveSignalPopis->setText(Caption(f.lblCurveSignalPopis));
    PushPoints(f);
    ShowLinearity();
}

void FrmQELCalibration::PushPoints(const EditorFields& f) {
    const QSignalBlocker quiet(lstKrivka);
    lstKrivka->setRowCount(static_cast<int>(f.lstKrivka.size()));
    for (std::size_t k = 0; k < f.lstKrivka.size(); ++k) {
        // A line is the signal and the value, each blank-padded to its
        // width; neither number holds a blank.
        const QStringList cells = Q(f.lstKrivka[k]).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString tip = k < f.lstKrivkaTips.size() ? Shown(f.lstKrivkaTips[k]) : QString();
        for (int c = 0; c < 2; ++c) {
            auto* cell = new QTableWidgetItem(cells.value(c));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            cell->setToolTip(tip);
            lstKrivka->setItem(static_cast<int>(k), c, cell);
        }
    }
    if (f.lstKrivkaSelected >= 0) lstKrivka->selectRow(f.lstKrivkaSelected);
    else lstKrivka->clearSelection();
    lstKrivka->setCurrentCell(f.lstKrivkaSelected, f.lstKrivkaSelected >= 0 ? 0 : -1);
}

void FrmQELCalibration::ShowLinearity() {
    if (!model_.linearityShown) {
        if (linearity_ != nullptr) linearity_->hide();
        return;
    }
    if (linearity_ == nullptr) {
        linearity_ = new FrmLinearity(this);
        linearity_->closed = [this] { model_.linearityShown = false; };
    }
    linearity_->Follow(model_);
    if (!linearity_->isVisible()) {
        linearity_->show();
        linearity_->raise();
    }
}

template <class F> void FrmQELCalibration::Handle(F&& handler) {
    // A click serviced while the editor's own exchange waits would act on
    // what that exchange is about to replace.
    if (model_.Exchanging()) return;
    Pull();
    handler();
    Push();
    model_.KeepDraft();
}

// -------------------------------------------------------------- the run

CalibrationEditorModel& FrmQELCalibration::Load() {
    if (loaded_) return model_;
    loaded_ = true;
    const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
    const QSize wanted = sizeHint();
    FitToScreen(this, {wanted.width(), std::max(wanted.height(), kWindowHeightTwips * dpi / kTwipsPerInch)});
    model_.Form_Load();
    Push();
    return model_;
}

void FrmQELCalibration::RunTimer(int ti) {
    model_.RunTimer(ti);
    if (model_.timerEnabled) tmrOpisovac->start(model_.timerIntervalMs);
}

void FrmQELCalibration::UpdateCalibration() {
    model_.UpdateCalibration();
    Push();
}

void FrmQELCalibration::Show() {
    SetTopmost(this, true);
    show();
    raise();
    activateWindow();
    // Activation may come late (or, headless, not at all); the first
    // showing counts as the first activation.
    Form_Activate();
    Handle([this] { model_.OfferDraft(); });
}

void FrmQELCalibration::Unload() {
    SetTopmost(this, false);
    model_.Form_Unload();
    tmrOpisovac->stop();
    if (linearity_ != nullptr) linearity_->hide();
    hide();
}

void FrmQELCalibration::Form_Activate() {
    if (model_.ActivatedOnce) return;
    model_.Form_Activate();
    Push();
}

bool FrmQELCalibration::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QMainWindow::event(e);
}

void FrmQELCalibration::closeEvent(QCloseEvent* e) {
    // Hidden, not destroyed: the next run finds it loaded.
    e->ignore();
    if (!model_.MayLeave()) return;
    Unload();
}

bool FrmQELCalibration::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_F5) {
            cmdSCAN_Click();
            return true;
        }
        // Up and Down mean nothing to the window itself; the control that
        // has the focus moves with them as usual.
    }
    return QMainWindow::eventFilter(watched, e);
}

// -------------------------------------------------------------- handlers

void FrmQELCalibration::tmrOpisovac_Timer() {
    model_.tmrOpisovac_Timer();
    lblSignal->setText(Q(model_.fields.lblSignal));
    ShowSignalFreshness();
    if (linearity_ != nullptr && linearity_->isVisible()) linearity_->ShowLive(model_);
}

void FrmQELCalibration::cmdSCAN_Click() {
    Handle([this] { model_.cmdSCAN_Click(); });
}

void FrmQELCalibration::cmbCurveType_Click(int index) {
    Handle([this, index] { model_.cmbCurveType_Click(index); });
}

void FrmQELCalibration::lstKrivka_DblClick() {
    Handle([this] { model_.lstKrivka_DblClick(); });
}

void FrmQELCalibration::cmdListAction_Click(int index) {
    if (index == 0)
        mKrivkaBodAdd_Click();
    else
        mKrivkaBodDelete_Click();
}

void FrmQELCalibration::cmdAction_Click(int index) {
    Handle([this, index] {
        if (index == 0 && !model_.MayLeave()) return;
        model_.cmdAction_Click(index);
    });
}

void FrmQELCalibration::mKrivkaNew_Click() {
    Handle([this] { model_.mKrivkaNew_Click(); });
}

void FrmQELCalibration::mFileSaveAs_Click() {
    Handle([this] { model_.mFileSaveAs_Click(); });
}

void FrmQELCalibration::mKrivkaBodAdd_Click() {
    Handle([this] { model_.mKrivkaBodAdd_Click(); });
}

void FrmQELCalibration::mKrivkaBodDelete_Click() {
    Handle([this] { model_.mKrivkaBodDelete_Click(); });
}

void FrmQELCalibration::mFileOpen_Click() {
    Handle([this] { model_.mFileOpen_Click(); });
}

void FrmQELCalibration::mKrivkaDelete_Click() {
    Handle([this] { model_.mKrivkaDelete_Click(); });
}

void FrmQELCalibration::mLoadEEKrivka_Click() {
    // Shown as busy too: the model already ignores what is clicked meanwhile.
    setEnabled(false);
    Handle([this] { model_.mLoadEEKrivka_Click(); });
    setEnabled(true);
}

void FrmQELCalibration::ShowSignalFreshness() {
    const bool fresh = model_.LiveFresh();
    if (signalFresh_ == fresh) return;
    signalFresh_ = fresh;
    SetDimmed(lblSignal, !fresh);
    lblSignal->setToolTip(
        fresh ? QString()
              : Shown(Text(texts::calibration::kSignalStale)));
}

void FrmQELCalibration::mSaveEEKrivka_Click() {
    Handle([this] { model_.mSaveEEKrivka_Click(); });
}

void FrmQELCalibration::mGrafLinearity_Click() {
    Handle([this] { model_.mGrafLinearity_Click(); });
}

void FrmQELCalibration::mKalibracniList_Click() {
    Handle([this] { model_.mKalibracniList_Click(); });
}

} // namespace rm27

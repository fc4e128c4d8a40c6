#include "ui/main_window.h"

#include "mail/gmime_parser.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/twips.h"
#include "ui/about_window.h"
#include "ui/analysis_window.h"
#include "ui/art/icons.h"
#include "ui/board_layer.h"
#include "ui/board_view.h"
#include "ui/classic_controls.h"
#include "ui/export_commands.h"
#include "ui/fonts.h"
#include "ui/game_chooser.h"
#include "ui/help_window.h"
#include "ui/refreshing_box.h"
#include "ui/text_codec.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>

#include <algorithm>

namespace quorvane::ui {

// Shows a ListBox of the logic; reloads only when its entries changed.
class ListBoxModel : public QAbstractListModel {
public:
    ListBoxModel(const ListBox &list, QObject *parent) : QAbstractListModel(parent), list_(list) {}

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(list_.ListCount());
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return shownWindows1252(list_.List(index.row()));
    }
    void sync() {
        if (seen_ == list_.Revision())
            return;
        beginResetModel();
        seen_ = list_.Revision();
        endResetModel();
    }

private:
    const ListBox &list_;
    std::uint64_t seen_ = 0;
};

namespace {

constexpr int kClientWidth = 10290;
constexpr int kClientHeight = 8085;
constexpr QPoint kClientTopLeft{2445, 2040};
// The auto-sizing labels keep their right edge here and grow to the left.
constexpr int kLabelsRightEdge = 7200 + 60;
// An auto-sizing label's width while it is empty.
constexpr int kEmptyLabelWidth = 60;

const QColor kTeal{0, 64, 64};
const QColor kBarGreen{0, 128, 0};
const QColor kOrange{255, 128, 0};
// The classic desktop's application-workspace grey, which Qt's palette lacks.
const QColor kAppWorkspace{171, 171, 171};

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text = {}) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

FrmChsMain::FrmChsMain(Module1 &module, FileDialog *dialog, MessageBox *box)
    : ownDialog_(dialog ? nullptr : std::make_unique<QtFileDialog>(this)),
      ownBox_(box ? nullptr : std::make_unique<QtMessageBox>(this)),
      refreshingBox_(std::make_unique<RefreshingMessageBox>(box ? *box : *ownBox_,
                                                            [this] {
                                                                if (lstMoveList_)
                                                                    refresh();
                                                            })),
      core_(module, dialog ? *dialog : *ownDialog_, *refreshingBox_) {
    setObjectName(QStringLiteral("frmChsMain"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setWindowIcon(art::mainWindowIcon());
    // Fixed size: no sizing frame and no maximise box; the title bar stays so the
    // window can be moved, and closing it is File > Exit.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    installClassicFonts();
    mailParser_ = std::make_unique<mail::GMimeMessageParser>();
    core_.MailParser = mailParser_.get();
    setMailSeams(nullptr, nullptr);
    buildMenus();
    buildControls();
    buildViewer();

    const int menuHeight = menuBar()->sizeHint().height();
    const QSize client(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    setFixedSize(client.width(), client.height() + menuHeight);
    setGeometry(QRect(QPoint(TwipsToPixels(kClientTopLeft.x()), TwipsToPixels(kClientTopLeft.y()) - menuHeight),
                      size()));

    core_.Form_Initialize();
    refresh();
    lstMoveList_->setFocus();
}

FrmChsMain::~FrmChsMain() {
    // Before the logic it follows is gone.
    delete analysis_.data();
}

void FrmChsMain::buildMenus() {
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction *open = file->addAction(QStringLiteral("&Open"), this, &FrmChsMain::mnuOpen_Click);
    open->setObjectName(QStringLiteral("mnuOpen"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    export_ = new ExportCommands(core_, core_.messageBox(), this);
    export_->addSaveTo(file);
    file->addSeparator()->setObjectName(QStringLiteral("mnuSeperator"));
    QAction *exit = file->addAction(QStringLiteral("&Exit"), this, &FrmChsMain::mnuExit_Click);
    exit->setObjectName(QStringLiteral("mnuExit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu *edit = export_->addEditMenuTo(menuBar());
    QAction *paste = edit->addAction(QStringLiteral("&Paste Game"), this, &FrmChsMain::mnuPaste_Click);
    paste->setObjectName(QStringLiteral("mnuPaste"));
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction *help0 = help->addAction(QStringLiteral("&Help"), this, &FrmChsMain::mnuHelp0_Click);
    help0->setObjectName(QStringLiteral("mnuHelp0"));
    help0->setShortcut(QKeySequence(Qt::Key_F1));
    QAction *about = help->addAction(QStringLiteral("&About Quorvane..."), this, &FrmChsMain::mnuAbout_Click);
    about->setObjectName(QStringLiteral("mnuAbout"));
}

void FrmChsMain::buildControls() {
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    client->setAutoFillBackground(true);
    QPalette teal = client->palette();
    teal.setColor(QPalette::Window, kTeal);
    client->setPalette(teal);
    setCentralWidget(client);

    const QPalette system = QApplication::palette();
    const QFont labelFont = classicFont(QStringLiteral("Tahoma"), 11.25);
    const QFont coordinateFont = classicFont(QStringLiteral("MS Sans Serif"), 12);

    // Siblings are created back to front: a later widget lies over an earlier one.
    auto *shape1 = new ShapeWidget(QRect(120, 240, 7335, 465), kBarGreen, 2, client);
    shape1->setObjectName(QStringLiteral("Shape1"));
    (new LineWidget({840, 7500}, {7080, 7500}, 2, QColor(), client))->setObjectName(QStringLiteral("Line5"));
    (new LineWidget({300, 1560}, {300, 6960}, 2, QColor(), client))->setObjectName(QStringLiteral("Line4"));
    new SquaresWidget(client);

    // Rank labels "8" to "1" down the left, file labels "A" to "H" along the bottom.
    QPalette coordinatePalette = system;
    coordinatePalette.setColor(QPalette::Window, system.color(QPalette::Button));
    coordinatePalette.setColor(QPalette::WindowText, system.color(QPalette::ButtonText));
    for (int n = 1; n <= 16; ++n) {
        const bool rank = n <= 8;
        const QString caption = rank ? QString::number(9 - n) : QString(QChar(u'A' + (n - 9)));
        auto *label = makeLabel(client, "", caption);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setGeometry(rank ? twipsRect(120, 1560 + 720 * (n - 1), 375, 375)
                                : twipsRect(840 + 840 * (n - 9), 7320, 375, 375));
        label->setFont(coordinateFont);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        label->setAutoFillBackground(true);
        label->setPalette(coordinatePalette);
    }

    QPalette playerPalette = system;
    playerPalette.setColor(QPalette::Window, kTeal);
    playerPalette.setColor(QPalette::WindowText, system.color(QPalette::HighlightedText));
    lblWhitePlayer_ = makeLabel(client, "lblWhitePlayer");
    lblBlackPlayer_ = makeLabel(client, "lblBlackPlayer");
    for (QLabel *label : {lblWhitePlayer_, lblBlackPlayer_}) {
        label->setFont(labelFont);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        label->setAutoFillBackground(true);
        label->setPalette(playerPalette);
    }
    lblDate_ = makeLabel(client, "lblDate");
    lblDate_->setFont(labelFont);
    lblDate_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblDate_->setPalette(playerPalette); // transparent: the green bar shows through

    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const auto &piece = board::kPieceSlots[static_cast<std::size_t>(slot)];
        auto *widget = new PieceWidget(piece.kind, piece.white, client);
        widget->setObjectName(QStringLiteral("Image1_%1").arg(slot));
        pieces_[static_cast<std::size_t>(slot)] = widget;
    }

    (new LineWidget({7440, 240}, {7440, 8040}, 2, QColor(), client))->setObjectName(QStringLiteral("Line1"));
    (new ShapeWidget(QRect(7440, 720, 2775, 465), kOrange, 2, client))->setObjectName(QStringLiteral("Shape2"));

    lblFileName_ = makeLabel(client, "lblFileName");
    lblFileName_->setGeometry(twipsRect(7440, 720, 2770, 460));
    lblFileName_->setFont(labelFont);
    lblFileName_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette filePalette = system;
    filePalette.setColor(QPalette::WindowText, system.color(QPalette::Light));
    lblFileName_->setPalette(filePalette);

    auto *moveList = new ListBoxView(client);
    lstMoveList_ = moveList;
    lstMoveList_->setObjectName(QStringLiteral("lstMoveList"));
    lstMoveList_->setGeometry(twipsRect(7560, 1440, 2535, 5760));
    lstMoveList_->setFont(coordinateFont);
    moveList->trimToWholeRows();
    lstMoveList_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstMoveList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstMoveList_->setUniformItemSizes(true); // rows are measured once, not per row
    lstMoveList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstMoveList_->setTextElideMode(Qt::ElideNone);
    QPalette listPalette = lstMoveList_->palette();
    listPalette.setColor(QPalette::Base, kAppWorkspace);
    lstMoveList_->setPalette(listPalette);
    moveModel_ = new ListBoxModel(core_.lstMoveList, this);
    lstMoveList_->setModel(moveModel_);
    lstMoveList_->installEventFilter(this);
    connect(lstMoveList_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (syncingSelection_)
            return;
        const QModelIndexList rows = lstMoveList_->selectionModel()->selectedRows();
        core_.lstMoveList.SetListIndex(rows.isEmpty() ? -1 : rows.first().row());
    });
    connect(lstMoveList_, &QListView::doubleClicked, this, [this] {
        core_.lstMoveList_DblClick();
        refresh();
    });

    const QFont buttonFont = classicFont(QStringLiteral("System"), 9.75);
    cmdNext_ = new CommandButton(QStringLiteral("Next-->"), client);
    cmdNext_->setObjectName(QStringLiteral("cmdNext"));
    cmdNext_->setGeometry(twipsRect(8880, 7560, 1215, 375));
    cmdBack_ = new CommandButton(QStringLiteral("<--Back"), client);
    cmdBack_->setObjectName(QStringLiteral("cmdBack"));
    cmdBack_->setGeometry(twipsRect(7560, 7560, 1215, 375));
    for (QPushButton *button : {cmdNext_, cmdBack_}) {
        button->setFont(buttonFont);
        button->setAutoDefault(false);
    }
    connect(cmdNext_, &QPushButton::clicked, this, [this] {
        core_.cmdNext_Click();
        refresh();
    });
    connect(cmdBack_, &QPushButton::clicked, this, [this] {
        core_.cmdBack_Click();
        refresh();
    });

    // Only a store for the half-moves: never shown, never enabled.
    lstFieldsList_ = new QListView(client);
    lstFieldsList_->setObjectName(QStringLiteral("lstFieldsList"));
    lstFieldsList_->setGeometry(twipsRect(8400, 120, 1695, 450));
    fieldsModel_ = new ListBoxModel(core_.lstFieldsList, this);
    lstFieldsList_->setModel(fieldsModel_);
    lstFieldsList_->setEnabled(false);
    lstFieldsList_->hide();

    setTabOrder(lstMoveList_, cmdNext_);
    setTabOrder(cmdNext_, cmdBack_);
}

bool FrmChsMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == lstMoveList_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int keyAscii = 13;
            core_.lstMoveList_KeyPress(keyAscii);
            refresh();
        }
    }
    return false; // the key reaches the list as well
}

void FrmChsMain::placeAutoSizeLabel(QLabel *label, const std::string &caption, int topTwips, int heightTwips) {
    // What the label shows depends on the start of its caption only, so only that
    // is compared and converted: a caption of megabytes costs nothing per refresh.
    const std::string_view shown = std::string_view(caption).substr(0, kShownChars + 1);
    std::string &seen = shownCaptions_[label];
    if (seen != shown || label->width() == 0) {
        seen.assign(shown);
        const QString text = shownWindows1252(shown);
        label->setText(text);
        const int width = text.isEmpty() ? TwipsToPixels(kEmptyLabelWidth)
                                         : label->fontMetrics().horizontalAdvance(text);
        // Sized to the text both ways, as the label is auto-sizing; the designed
        // height stays while it is empty.
        const int height = text.isEmpty() ? TwipsToPixels(heightTwips) : label->fontMetrics().height();
        label->setGeometry(TwipsToPixels(kLabelsRightEdge) - width, TwipsToPixels(topTwips), width, height);
    }
}

void FrmChsMain::showFileName(const std::string &caption) {
    const QString full = fromLocalPath(caption);
    if (lblFileName_->toolTip() == full && !lblFileName_->text().isEmpty() == !full.isEmpty())
        return;
    // A name wider than the label is elided in the middle; the tooltip has it whole.
    const int room = lblFileName_->width() - 4;
    lblFileName_->setText(lblFileName_->fontMetrics().elidedText(full, Qt::ElideMiddle, room));
    lblFileName_->setToolTip(full);
}

void FrmChsMain::selectInView(std::int64_t row) {
    syncingSelection_ = true;
    auto *selection = lstMoveList_->selectionModel();
    if (row < 0) {
        selection->clearSelection();
    } else {
        const QModelIndex index = moveModel_->index(static_cast<int>(row));
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        lstMoveList_->scrollTo(index);
    }
    syncingSelection_ = false;
}

void FrmChsMain::refresh() {
    for (std::size_t slot = 0; slot < pieces_.size(); ++slot) {
        const auto &piece = core_.Image1[slot];
        pieces_[slot]->placeAt(board_->viewLeft(piece.Left), board_->viewTop(piece.Top));
        pieces_[slot]->setKind(board::ShownKind(static_cast<int>(slot), piece));
        if (pieces_[slot]->isHidden() == piece.Visible)
            pieces_[slot]->setVisible(piece.Visible);
    }
    board_->showLastMove(core_);
    placeAutoSizeLabel(lblDate_, core_.lblDate.Caption, 360, 270);
    placeAutoSizeLabel(lblBlackPlayer_, core_.lblBlackPlayer.Caption, 800, 375);
    placeAutoSizeLabel(lblWhitePlayer_, core_.lblWhitePlayer.Caption, 1080, 270);
    showFileName(core_.lblFileName.Caption);
    showTitle();
    moveModel_->sync();
    fieldsModel_->sync();
    const QModelIndexList rows = lstMoveList_->selectionModel()->selectedRows();
    const std::int64_t shown = rows.isEmpty() ? -1 : rows.first().row();
    if (shown != core_.lstMoveList.ListIndex())
        selectInView(core_.lstMoveList.ListIndex());
    if (export_)
        export_->refresh();
    if (analysis_)
        analysis_->follow();
}

void FrmChsMain::mnuOpen_Click() {
    core_.mnuOpen_Click();
    refresh();
}

void FrmChsMain::openPath(const std::string &path) {
    core_.OpenFile(path);
    refresh();
}

void FrmChsMain::mnuExit_Click() { close(); }

void FrmChsMain::closeEvent(QCloseEvent *event) {
    // The Analysis window and its engines end with the main window.
    delete analysis_.data();
    QMainWindow::closeEvent(event);
}

void FrmChsMain::mnuAnalysis_Click() {
    // F3 toggles: a second press closes the window (its analysis stays with the game).
    if (analysis_ && analysis_->isVisible()) {
        analysis_->close();
        return;
    }
    openAnalysis(AnalysisOptions{});
}

void FrmChsMain::setAnalysisLines(int lines) {
    analysisLines_ = std::clamp(lines, 1, AnalysisWindow::kMaxLines);
    if (analysis_)
        analysis_->setLines(analysisLines_);
}

void FrmChsMain::openAnalysis(const AnalysisOptions &options) {
    // One Analysis window at most, owned by this window; closing it destroys it
    // and stops its engines.
    if (!analysis_) {
        analysis_ = new AnalysisWindow(*this, options);
        analysis_->setAttribute(Qt::WA_DeleteOnClose);
    }
    analysis_->show();
    analysis_->raise();
    analysis_->activateWindow();
}

AnalysisWindow *FrmChsMain::analysisWindow() const { return analysis_; }

void FrmChsMain::setMailSeams(GameChooser *chooser, Clipboard *clipboard) {
    if (!chooser && !ownChooser_)
        ownChooser_ = std::make_unique<QtGameChooser>(this);
    if (!clipboard && !ownClipboard_)
        ownClipboard_ = std::make_unique<QtClipboard>();
    core_.Chooser = chooser ? chooser : ownChooser_.get();
    clipboard_ = clipboard ? clipboard : ownClipboard_.get();
}

void FrmChsMain::mnuPaste_Click() {
    core_.PasteGame(clipboard_->Text());
    refresh();
}

void FrmChsMain::mnuHelp0_Click() {
    // One Help window at most. It has no owner, so it is not modal, stays beside
    // the main window and outlives it; closing it destroys it.
    if (!help_) {
        help_ = new FrmQuorvane();
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void FrmChsMain::mnuAbout_Click() {
    // Created on use and gone when closed; modal, so the main window takes no
    // input meanwhile.
    FrmAbout about(this);
    about.exec();
}

} // namespace quorvane::ui

#include "ui/main_window.h"

#include "mail/mail_module.h"
#include "platform/qt/qt_dialogs.h"
#include "logic/window_scale.h"
#include "platform/twips.h"
#include "ui/about_window.h"
#include "ui/analysis_window.h"
#include "ui/art/icons.h"
#include "ui/board_moves.h"
#include "ui/board_view.h"
#include "ui/classic_controls.h"
#include "ui/export_commands.h"
#include "ui/fonts.h"
#include "ui/game_list_dialog.h"
#include "ui/help_window.h"
#include "ui/keys_window.h"
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
#include <QResizeEvent>
#include <QShowEvent>
#include <QScreen>

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

constexpr QPoint kClientTopLeft{2445, 2040};
// The auto-sizing labels keep their right edge here and grow to the left.
constexpr int kLabelsRightEdge = 7200 + 60;
// An auto-sizing label's width while it is empty.
constexpr int kEmptyLabelWidth = 60;

// The classic desktop's application-workspace grey, which Qt's palette lacks.
const QColor kAppWorkspace{171, 171, 171};

} // namespace

// The window frame's widths around a window's client area; none before it is shown.
static QMargins frameMargins(const QWidget &window) {
    const QRect frame = window.frameGeometry(), inner = window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

void placeBeside(QWidget &window, const QWidget &main) {
    const QScreen *screen = main.screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QRect frame = main.frameGeometry();
    // A window not yet shown has no frame: it will get the main window's.
    const QMargins margins = window.isVisible() ? frameMargins(window) : frameMargins(main);
    const QSize extra(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QSize size = window.size().isValid() && !window.size().isEmpty() ? window.size() : window.sizeHint();
    // Never larger than the screen's free area.
    const QSize shown(std::min(size.width(), free.width() - extra.width()),
                      std::min(size.height(), free.height() - extra.height()));
    if (shown != window.size())
        window.resize(shown);
    const PixelRect at = PlaceBeside({frame.x(), frame.y(), frame.width(), frame.height()},
                                     {shown.width() + extra.width(), shown.height() + extra.height()},
                                     {free.x(), free.y(), free.width(), free.height()});
    // A window's position is its frame's.
    window.move(at.x, at.y);
}

namespace {

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
      core_(module, dialog ? *dialog : *ownDialog_, *refreshingBox_),
      variations_(std::make_unique<Variations>(core_)) {
    setObjectName(QStringLiteral("frmChsMain"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setWindowIcon(art::mainWindowIcon());
    installClassicFonts();
    mailParser_ = std::make_unique<mail::ModuleMessageParser>(mail::modulePathsBesideProgram());
    core_.MailParser = mailParser_.get();
    setMailSeams(nullptr, nullptr);
    setQuestionSeam(nullptr);
    buildMenus();
    buildControls();
    buildViewer();
    boardMoves_ = new BoardMoves(*this, *board_);
    buildGameCommands();

    // The designed size and place, unless the screen is too small for them.
    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumSize(ScaledPixels(kMainClientWidth, kMinScale), ScaledPixels(kMainClientHeight, kMinScale) + menuHeight);
    setGeometry(QRect(QPoint(TwipsToPixels(kClientTopLeft.x()), TwipsToPixels(kClientTopLeft.y()) - menuHeight),
                      QSize(TwipsToPixels(kMainClientWidth), TwipsToPixels(kMainClientHeight) + menuHeight)));
    fitOnScreen();

    core_.Form_Initialize();
    built_ = true;
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
    buildVariationCommands(edit);
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction *help0 = help->addAction(QStringLiteral("&Help"), this, &FrmChsMain::mnuHelp0_Click);
    help0->setObjectName(QStringLiteral("mnuHelp0"));
    help0->setShortcut(QKeySequence(Qt::Key_F1));
    QAction *keys = help->addAction(QStringLiteral("&Keys and Features"), this, &FrmChsMain::mnuKeys_Click);
    keys->setObjectName(QStringLiteral("mnuKeys"));
    QAction *about = help->addAction(QStringLiteral("&About Quorvane..."), this, &FrmChsMain::mnuAbout_Click);
    about->setObjectName(QStringLiteral("mnuAbout"));
}

void FrmChsMain::place(QWidget *widget, QRect twips, const QString &family, double points) {
    placed_.push_back({widget, twips, family, points});
}

void FrmChsMain::buildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setAutoFillBackground(true);
    QPalette teal = client_->palette();
    teal.setColor(QPalette::Window, kTeal);
    client_->setPalette(teal);
    setCentralWidget(client_);

    const QPalette system = QApplication::palette();
    const QString tahoma = QStringLiteral("Tahoma");
    const QString msSansSerif = QStringLiteral("MS Sans Serif");

    // Siblings are created back to front: a later widget lies over an earlier one.
    // The board view paints every drawing (squares, coordinates, pieces, bars and
    // lines) in their designed order; the controls lie over it.
    board_ = new BoardView(client_);

    QPalette playerPalette = system;
    playerPalette.setColor(QPalette::Window, kTeal);
    playerPalette.setColor(QPalette::WindowText, system.color(QPalette::HighlightedText));
    lblWhitePlayer_ = makeLabel(client_, "lblWhitePlayer");
    lblBlackPlayer_ = makeLabel(client_, "lblBlackPlayer");
    for (QLabel *label : {lblWhitePlayer_, lblBlackPlayer_}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        label->setAutoFillBackground(true);
        label->setPalette(playerPalette);
    }
    lblDate_ = makeLabel(client_, "lblDate");
    lblDate_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblDate_->setPalette(playerPalette); // transparent: the green bar shows through
    // The auto-sizing labels are placed by refresh(); here only their font.
    for (QLabel *label : {lblWhitePlayer_, lblBlackPlayer_, lblDate_})
        place(label, {}, tahoma, 11.25);

    lblFileName_ = makeLabel(client_, "lblFileName");
    place(lblFileName_, QRect(7440, 720, 2770, 460), tahoma, 11.25);
    lblFileName_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette filePalette = system;
    filePalette.setColor(QPalette::WindowText, system.color(QPalette::Light));
    lblFileName_->setPalette(filePalette);

    auto *moveList = new ListBoxView(client_);
    lstMoveList_ = moveList;
    lstMoveList_->setObjectName(QStringLiteral("lstMoveList"));
    place(lstMoveList_, QRect(7560, 1440, 2535, 5760), msSansSerif, 12);
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
        variations_->ReturnToRecord();
        core_.lstMoveList_DblClick();
        refresh();
    });

    const QString systemFont = QStringLiteral("System");
    cmdNext_ = new CommandButton(QStringLiteral("Next-->"), client_);
    cmdNext_->setObjectName(QStringLiteral("cmdNext"));
    place(cmdNext_, QRect(8880, 7560, 1215, 375), systemFont, 9.75);
    cmdBack_ = new CommandButton(QStringLiteral("<--Back"), client_);
    cmdBack_->setObjectName(QStringLiteral("cmdBack"));
    place(cmdBack_, QRect(7560, 7560, 1215, 375), systemFont, 9.75);
    for (QPushButton *button : {cmdNext_, cmdBack_})
        button->setAutoDefault(false);
    // In a variation the buttons walk it; on the game they are the designed ones.
    connect(cmdNext_, &QPushButton::clicked, this, [this] {
        variations_->Next();
        refresh();
    });
    connect(cmdBack_, &QPushButton::clicked, this, [this] {
        variations_->Back();
        refresh();
    });

    // Only a store for the half-moves: never shown, never enabled.
    lstFieldsList_ = new QListView(client_);
    lstFieldsList_->setObjectName(QStringLiteral("lstFieldsList"));
    lstFieldsList_->setGeometry(twipsRect(8400, 120, 1695, 450));
    fieldsModel_ = new ListBoxModel(core_.lstFieldsList, this);
    lstFieldsList_->setModel(fieldsModel_);
    lstFieldsList_->setEnabled(false);
    lstFieldsList_->hide();

    setTabOrder(lstMoveList_, cmdNext_);
    setTabOrder(cmdNext_, cmdBack_);
    applyScale(1.0);
}

void FrmChsMain::applyScale(double scale, bool live) {
    scale_ = scale;
    const QSize layout(ScaledPixels(kMainClientWidth, scale), ScaledPixels(kMainClientHeight, scale));
    // Centred, the window's ground around it.
    const QPoint origin(std::max(0, (client_->width() - layout.width()) / 2),
                        std::max(0, (client_->height() - layout.height()) / 2));
    board_->setScale(scale, origin, live);
    for (const Placed &p : placed_) {
        if (!p.family.isEmpty())
            p.widget->setFont(classicFont(p.family, p.points * scale));
        if (!p.twips.isEmpty())
            p.widget->setGeometry(board_->rectAt(p.twips.x(), p.twips.y(), p.twips.width(), p.twips.height())
                                      .translated(origin));
    }
    static_cast<ListBoxView *>(lstMoveList_)->trimToWholeRows();
    // The labels that size themselves, and the elided file name, are measured again.
    shownCaptions_.clear();
    lblFileName_->setToolTip({});
    if (built_) {
        refresh();
        const QModelIndexList rows = lstMoveList_->selectionModel()->selectedRows();
        if (!rows.isEmpty())
            lstMoveList_->scrollTo(rows.first());
    }
}

double FrmChsMain::fitScale() const {
    return FitScale({TwipsToPixels(kMainClientWidth), TwipsToPixels(kMainClientHeight)},
                    {client_->width(), client_->height()});
}

void FrmChsMain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    // Its frame is known now: the first time it shows, the window fits again
    // with the frame.
    if (!shownOnce_ && !isMaximized() && !isFullScreen() && !event->spontaneous()) {
        shownOnce_ = true;
        fitOnScreen();
    }
}

void FrmChsMain::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    if (!client_)
        return;
    const bool fixedBySystem = isMaximized() || isFullScreen();
    if (!fixedBySystem)
        chosenScale_.reset();
    const double fit = fitScale();
    double scale = fit;
    bool live = true; // a user's drag of the corner, unless a zoom or the start-up sized it
    // A zoom that sized the window gets its own scale, not one rounded from the size.
    if (pendingScale_ && client_->size() == QSize(ScaledPixels(kMainClientWidth, *pendingScale_),
                                                  ScaledPixels(kMainClientHeight, *pendingScale_)))
        scale = *pendingScale_, live = false;
    else if (chosenScale_)
        scale = std::min(*chosenScale_, fit);
    pendingScale_.reset();
    if (scale != scale_ || board_->pos() != QPoint((client_->width() - board_->width()) / 2,
                                                   (client_->height() - board_->height()) / 2))
        applyScale(scale, live);
}

void FrmChsMain::zoomTo(double scale) {
    scale = std::clamp(scale, kMinScale, kMaxScale);
    const int menuHeight = menuBar()->isVisible() ? menuBar()->height() : menuBar()->sizeHint().height();
    const QScreen *screen = this->screen();
    const QRect free = screen ? screen->availableGeometry() : QRect();
    const QMargins frame = frameMargins(*this);
    if (isMaximized() || isFullScreen()) {
        chosenScale_ = std::min(scale, fitScale());
        applyScale(*chosenScale_);
        return;
    }
    if (!free.isEmpty()) {
        // No larger than the screen's free area holds.
        const PixelSize room{free.width() - frame.left() - frame.right(),
                             free.height() - frame.top() - frame.bottom() - menuHeight};
        scale = std::min(scale, FitScale({TwipsToPixels(kMainClientWidth), TwipsToPixels(kMainClientHeight)}, room));
    }
    const QSize client(ScaledPixels(kMainClientWidth, scale), ScaledPixels(kMainClientHeight, scale));
    pendingScale_ = scale;
    QRect wanted(geometry().topLeft(), QSize(client.width(), client.height() + menuHeight));
    if (!free.isEmpty()) {
        const PixelRect inside = PlaceInside(
            {wanted.x() - frame.left(), wanted.y() - frame.top(), wanted.width() + frame.left() + frame.right(),
             wanted.height() + frame.top() + frame.bottom()},
            {free.x(), free.y(), free.width(), free.height()});
        wanted.moveTopLeft(QPoint(inside.x + frame.left(), inside.y + frame.top()));
    }
    setGeometry(wanted);
    if (client_->size() == client && scale != scale_)
        applyScale(scale);
    pendingScale_.reset();
}

void FrmChsMain::fitOnScreen() {
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const int menuHeight = menuBar()->sizeHint().height();
    // Known once the window is shown; before, none.
    const QMargins frame = frameMargins(*this);
    const int frameWidth = frame.left() + frame.right(), frameHeight = frame.top() + frame.bottom();
    const PixelSize room{free.width() - frameWidth, free.height() - menuHeight - frameHeight};
    const double scale =
        std::min(1.0, FitScale({TwipsToPixels(kMainClientWidth), TwipsToPixels(kMainClientHeight)}, room));
    const QSize size(ScaledPixels(kMainClientWidth, scale), ScaledPixels(kMainClientHeight, scale) + menuHeight);
    const PixelRect inside = PlaceInside({geometry().x() - frame.left(), geometry().y() - frame.top(),
                                          size.width() + frameWidth, size.height() + frameHeight},
                                         {free.x(), free.y(), free.width(), free.height()});
    pendingScale_ = scale;
    setGeometry(inside.x + frame.left(), inside.y + frame.top(), size.width(), size.height());
    if (client_->size() != QSize(ScaledPixels(kMainClientWidth, scale), ScaledPixels(kMainClientHeight, scale)))
        pendingScale_.reset();
    else if (scale != scale_)
        applyScale(scale);
    pendingScale_.reset();
}

bool FrmChsMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == lstMoveList_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int keyAscii = 13;
            variations_->ReturnToRecord();
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
    const auto seen = shownCaptions_.find(label);
    if (seen == shownCaptions_.end() || seen->second != shown) {
        shownCaptions_[label].assign(shown);
        const QString text = shownWindows1252(shown);
        label->setText(text);
        const int width =
            text.isEmpty() ? board_->px(kEmptyLabelWidth) : label->fontMetrics().horizontalAdvance(text);
        // Sized to the text both ways, as the label is auto-sizing; the designed
        // height stays while it is empty.
        const int height = text.isEmpty() ? board_->px(heightTwips) : label->fontMetrics().height();
        label->setGeometry(QRect(board_->px(kLabelsRightEdge) - width, board_->px(topTwips), width, height)
                               .translated(board_->pos()));
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

bool FrmChsMain::boardFlipped() const { return board_->flipped(); }

void FrmChsMain::refresh() {
    board_->showPosition(core_, variations_->LastMove());
    if (boardMoves_)
        boardMoves_->follow();
    placeAutoSizeLabel(lblDate_, core_.lblDate.Caption, 360, 270);
    // The player at the top of the board is named in the upper place.
    struct NamePlace {
        int top, height;
    };
    constexpr NamePlace kUpper{800, 375}, kLower{1080, 270};
    const bool flipped = board_->flipped();
    const NamePlace black = flipped ? kLower : kUpper;
    const NamePlace white = flipped ? kUpper : kLower;
    if (flipped != namesFlipped_) {
        namesFlipped_ = flipped;
        shownCaptions_.erase(lblBlackPlayer_);
        shownCaptions_.erase(lblWhitePlayer_);
    }
    placeAutoSizeLabel(lblBlackPlayer_, core_.lblBlackPlayer.Caption, black.top, black.height);
    placeAutoSizeLabel(lblWhitePlayer_, core_.lblWhitePlayer.Caption, white.top, white.height);
    showFileName(core_.lblFileName.Caption);
    showVariationState();
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
    if (!keepOrDropVariations())
        return;
    core_.mnuOpen_Click();
    refresh();
}

void FrmChsMain::openPath(const std::string &path) {
    if (!keepOrDropVariations())
        return;
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
    AnalysisOptions options;
    options.graphNodes = analysisNodes_;
    openAnalysis(options);
}

void FrmChsMain::setAnalysisNodes(qint64 nodes) {
    if (nodes <= 0)
        return;
    analysisNodes_ = nodes;
    for (qint64 budget : kAnalysisBudgets)
        if (auto *choice = findChild<QAction *>(QStringLiteral("mnuAnalysisDepth%1").arg(budget)))
            choice->setChecked(budget == nodes);
    if (analysis_)
        analysis_->setGraphNodes(nodes);
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
    if (!keepOrDropVariations())
        return;
    if (const std::optional<std::string> text = PastedText(*clipboard_, core_.messageBox()))
        core_.PasteGame(*text);
    refresh();
}

void FrmChsMain::mnuHelp0_Click() {
    // One Help window at most. It has no owner, so it is not modal, stays beside
    // the main window and outlives it; closing it destroys it.
    if (!help_) {
        help_ = new FrmQuorvane();
        help_->setAttribute(Qt::WA_DeleteOnClose);
        placeBeside(*help_, *this);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void FrmChsMain::mnuKeys_Click() {
    // As the Help window: one at most, beside the main window, gone when closed.
    if (!keys_) {
        keys_ = new FrmKeys();
        keys_->setAttribute(Qt::WA_DeleteOnClose);
        placeBeside(*keys_, *this);
    }
    keys_->show();
    keys_->raise();
    keys_->activateWindow();
}

void FrmChsMain::mnuAbout_Click() {
    // Created on use and gone when closed; modal, so the main window takes no
    // input meanwhile.
    FrmAbout about(this);
    about.exec();
}

} // namespace quorvane::ui

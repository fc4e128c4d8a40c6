#include "ui/analysis_widgets.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace quorvane::ui {

namespace {

const QColor kWhiteSide{245, 245, 240};
const QColor kBlackSide{52, 52, 56};
const QColor kMidLine{140, 140, 140};
const QColor kMarker{0, 158, 115};
// Colours told apart also by readers with a red-green weakness.
const QColor kWhiteErrs{230, 159, 0};
const QColor kBlackErrs{86, 180, 233};

QString shares(double white) {
    const long w = std::lround(white * 100);
    return QStringLiteral("White %1%, Black %2%").arg(w).arg(100 - w);
}

double markRadius(engine::Judgement judgement) {
    switch (judgement) {
    case engine::Judgement::Blunder: return 5.5;
    case engine::Judgement::Mistake: return 4.2;
    case engine::Judgement::Inaccuracy: return 3.0;
    case engine::Judgement::None: break;
    }
    return 0;
}

QString lowerName(engine::Judgement judgement) {
    return QString::fromLatin1(engine::judgementName(judgement).data(),
                               static_cast<qsizetype>(engine::judgementName(judgement).size()))
        .toLower();
}

QString markOf(engine::Judgement judgement) {
    const auto mark = engine::judgementMark(judgement);
    return QString::fromLatin1(mark.data(), static_cast<qsizetype>(mark.size()));
}

} // namespace

QColor sideColor(bool white) { return white ? kWhiteErrs : kBlackErrs; }

// ---- ReviewModel ----

ReviewModel::ReviewModel(QObject *parent) : QObject(parent) {}

void ReviewModel::reset(const engine::GameAnalysis *analysis, std::vector<MoveCell> cells,
                        std::vector<QString> endings) {
    analysis_ = analysis;
    cells_ = std::move(cells);
    endings_ = std::move(endings);
    refresh();
}

void ReviewModel::refresh() {
    review_ = analysis_ ? engine::reviewGame(analysis_->scores(), analysis_->whiteStarts()) : engine::GameReview{};
    emit changed();
}

const engine::PositionEval *ReviewModel::eval(int index) const {
    if (!analysis_ || index < 0 || index >= positions())
        return nullptr;
    const auto &e = analysis_->at(static_cast<std::size_t>(index));
    return e ? &*e : nullptr;
}

std::optional<engine::Score> ReviewModel::score(int index) const {
    const auto *e = eval(index);
    return e ? std::optional<engine::Score>(e->score) : std::nullopt;
}

QString ReviewModel::scoreText(int index) const {
    if (index >= 0 && static_cast<std::size_t>(index) < endings_.size() &&
        !endings_[static_cast<std::size_t>(index)].isEmpty())
        return endings_[static_cast<std::size_t>(index)];
    const auto s = score(index);
    return s ? QString::fromStdString(engine::formatScore(*s)) : QString();
}

QString ReviewModel::moveText(int halfMove, bool withMark) const {
    if (halfMove < 1 || halfMove > halfMoves())
        return QStringLiteral("Start");
    const MoveCell &c = cell(halfMove);
    QString text = QStringLiteral("%1%2 %3").arg(c.moveNumber).arg(c.white ? "." : "...").arg(c.san);
    if (withMark)
        text += markOf(judgement(halfMove));
    return text;
}

engine::Judgement ReviewModel::judgement(int halfMove) const {
    if (halfMove < 1 || static_cast<std::size_t>(halfMove) > review_.judgements.size())
        return engine::Judgement::None;
    return review_.judgements[static_cast<std::size_t>(halfMove - 1)];
}

std::vector<int> ReviewModel::judged(bool white, engine::Judgement judgement) const {
    std::vector<int> out;
    for (int k = 1; k <= static_cast<int>(review_.judgements.size()); ++k)
        if (review_.judgements[static_cast<std::size_t>(k - 1)] == judgement &&
            engine::whitePlays(static_cast<std::size_t>(k), whiteStarts()) == white)
            out.push_back(k);
    return out;
}

// ---- EvalBar ----

EvalBar::EvalBar(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("evalBar"));
    setMinimumWidth(16);
    setScore(std::nullopt);
}

void EvalBar::setScore(std::optional<engine::Score> score) {
    score_ = score;
    describe();
    update();
}

void EvalBar::setFlipped(bool flipped) {
    if (flipped_ == flipped)
        return;
    flipped_ = flipped;
    describe();
    update();
}

void EvalBar::describe() {
    setAccessibleName(QStringLiteral("Evaluation bar: ") +
                      (score_ ? shares(engine::whiteShare(*score_)) : QStringLiteral("no evaluation")) +
                      (flipped_ ? QStringLiteral(", White at the top") : QString()));
}

void EvalBar::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double share = score_ ? engine::whiteShare(*score_) : 0.5;
    p.fillRect(box, kBlackSide);
    const double whiteHeight = box.height() * share;
    const double top = flipped_ ? box.top() : box.bottom() - whiteHeight;
    p.fillRect(QRectF(box.left(), top, box.width(), whiteHeight), kWhiteSide);
    p.setPen(kMidLine);
    p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
    p.drawRect(box);
}

// ---- GameGraph ----

GameGraph::GameGraph(const ReviewModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("graph"));
    setMinimumHeight(110);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    connect(&model_, &ReviewModel::changed, this, [this] {
        describe();
        update();
    });
    describe();
}

void GameGraph::setMarked(std::optional<int> index) {
    if (marked_ == index)
        return;
    marked_ = index;
    describe();
    update();
}

void GameGraph::setNote(const QString &note) {
    if (note_ == note)
        return;
    note_ = note;
    describe();
}

QRectF GameGraph::plotArea() const {
    const QFontMetrics fm(font());
    const double left = fm.horizontalAdvance(QStringLiteral("+10")) + 8.5;
    const double bottom = fm.height() + 6.5;
    return QRectF(rect()).adjusted(left, 4.5, -6.5, -bottom);
}

int GameGraph::indexAt(int x) const {
    if (count() <= 1)
        return 0;
    const QRectF area = plotArea();
    const double t = (x - area.left()) / area.width();
    return std::clamp(static_cast<int>(std::lround(t * (count() - 1))), 0, count() - 1);
}

QString GameGraph::pointText(int index) const {
    QString text = model_.moveText(index);
    const QString score = model_.scoreText(index);
    text += QStringLiteral(": ") + (score.isEmpty() ? QStringLiteral("not evaluated yet") : score);
    const engine::Judgement j = model_.judgement(index);
    if (j != engine::Judgement::None)
        text += QStringLiteral(", %1's %2")
                    .arg(engine::whitePlays(static_cast<std::size_t>(index), model_.whiteStarts()) ? "White" : "Black")
                    .arg(lowerName(j));
    return text;
}

void GameGraph::describe() {
    QString text =
        QStringLiteral("Evaluation graph: %1 of %2 positions evaluated").arg(model_.evaluated()).arg(count());
    if (marked_)
        text += QStringLiteral(", position %1 shown").arg(*marked_);
    for (bool white : {true, false}) {
        QStringList marks;
        for (int k = 1; k <= model_.halfMoves(); ++k) {
            const engine::Judgement j = model_.judgement(k);
            if (j != engine::Judgement::None && engine::whitePlays(static_cast<std::size_t>(k), model_.whiteStarts()) == white)
                marks << QStringLiteral("%1 %2").arg(lowerName(j), model_.moveText(k));
        }
        if (!marks.isEmpty())
            text += QStringLiteral("; %1: %2").arg(white ? "White" : "Black", marks.join(QStringLiteral(", ")));
    }
    if (!note_.isEmpty())
        text += QStringLiteral(". ") + note_;
    setAccessibleName(text);
}

void GameGraph::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = plotArea();
    p.fillRect(rect(), palette().window());
    p.fillRect(area, kBlackSide);
    const int n = count();
    auto xOf = [&](int k) { return n <= 1 ? area.center().x() : area.left() + area.width() * k / (n - 1); };
    auto yOfPawns = [&](double pawns) { return area.center().y() - pawns / 10.0 * (area.height() / 2); };
    auto yOf = [&](const engine::Score &s) { return yOfPawns(engine::clippedPawns(s)); };

    // White's area: from the bottom up to the curve, over each run of evaluated
    // positions; a position with no score yet leaves a gap.
    for (int k = 0; k < n;) {
        if (!model_.score(k)) {
            ++k;
            continue;
        }
        QPainterPath path;
        path.moveTo(xOf(k), area.bottom());
        int last = k;
        for (; k < n && model_.score(k); ++k) {
            path.lineTo(xOf(k), yOf(*model_.score(k)));
            last = k;
        }
        path.lineTo(xOf(last), area.bottom());
        path.closeSubpath();
        p.fillPath(path, kWhiteSide);
    }

    // The pawn scale.
    const QFontMetrics fm(font());
    p.setPen(palette().color(QPalette::WindowText));
    for (int pawns : {10, 5, 0, -5, -10}) {
        const double y = yOfPawns(pawns);
        const QString label = pawns > 0 ? QStringLiteral("+%1").arg(pawns) : QString::number(pawns);
        p.drawText(QRectF(0, y - fm.height() / 2.0, area.left() - 4, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   label);
        if (pawns != 0 && std::abs(pawns) != 10) {
            p.save();
            p.setPen(QPen(kMidLine, 1, Qt::DotLine));
            p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            p.restore();
        }
    }
    p.setPen(QPen(kMidLine, 1, Qt::DashLine));
    p.drawLine(QPointF(area.left(), area.center().y()), QPointF(area.right(), area.center().y()));

    // Move numbers: as many as fit, at round steps, each under the position
    // before White's half-move of that number.
    if (n > 1 && model_.halfMoves() > 0) {
        const int first = model_.cell(1).moveNumber;
        const int last = model_.cell(model_.halfMoves()).moveNumber;
        const double perMove = area.width() * 2.0 / (n - 1);
        const double room = fm.horizontalAdvance(QString::number(last)) + 12.0;
        int step = 1;
        for (int s : {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1000, 2000, 5000, 10000, 20000}) {
            step = s;
            if (perMove * s >= room)
                break;
        }
        p.setPen(palette().color(QPalette::WindowText));
        const int offset = model_.whiteStarts() ? 0 : 1;
        for (int m = ((first + step - 1) / step) * step; m <= last; m += step) {
            const int index = 2 * (m - first) - offset;
            if (index < 0 || index >= n)
                continue;
            const double x = xOf(index);
            p.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 3));
            p.drawText(QRectF(x - room / 2, area.bottom() + 3, room, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                       QString::number(m));
        }
    }

    if (marked_ && *marked_ >= 0 && *marked_ < n) {
        p.setPen(QPen(kMarker, 2));
        p.drawLine(QPointF(xOf(*marked_), area.top()), QPointF(xOf(*marked_), area.bottom()));
    }
    // The worst last, so a blunder's dot is never hidden under a smaller one.
    for (engine::Judgement j : {engine::Judgement::Inaccuracy, engine::Judgement::Mistake, engine::Judgement::Blunder}) {
        for (int k = 1; k < n; ++k) {
            if (model_.judgement(k) != j)
                continue;
            const auto s = model_.score(k);
            if (!s)
                continue;
            const bool white = engine::whitePlays(static_cast<std::size_t>(k), model_.whiteStarts());
            p.setPen(QPen(white ? kBlackSide : kWhiteSide, 1));
            p.setBrush(sideColor(white));
            const double r = markRadius(j);
            p.drawEllipse(QPointF(xOf(k), yOf(*s)), r, r);
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(kMidLine);
    p.drawRect(area);
}

void GameGraph::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && count() > 0)
        emit pointClicked(indexAt(static_cast<int>(event->position().x())));
}

bool GameGraph::event(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (count() > 0)
            QToolTip::showText(help->globalPos(), pointText(indexAt(help->pos().x())), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

// ---- The move list ----

MoveTableModel::MoveTableModel(const ReviewModel &model, QObject *parent) : QAbstractTableModel(parent), model_(model) {
    // The review's figures change on cells already there.
    connect(&model_, &ReviewModel::changed, this, [this] {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, 2));
    });
}

void MoveTableModel::setRows(std::vector<MoveRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    cells_.clear();
    for (std::size_t r = 0; r < rows_.size(); ++r)
        for (std::size_t t = 0; t < rows_[r].moves.size(); ++t)
            if (const auto ply = rows_[r].moves[t].gamePly)
                cells_[static_cast<int>(*ply)] = {static_cast<int>(r), static_cast<int>(t)};
    // The cursor's move is found again in the new rows.
    current_.reset();
    if (currentPath_)
        if (const auto at = findMove(rows_, *currentPath_))
            current_ = std::pair(static_cast<int>(at->first), static_cast<int>(at->second));
    endResetModel();
}

bool MoveTableModel::isVariation(int row) const {
    return row >= 0 && row < rowCount() && rows_[static_cast<std::size_t>(row)].depth > 0;
}

int MoveTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MoveTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QModelIndex MoveTableModel::cellOf(int row, int token) const {
    if (row < 0 || row >= rowCount())
        return {};
    if (isVariation(row))
        return index(row, 0);
    return index(row, rows_[static_cast<std::size_t>(row)].moves[static_cast<std::size_t>(token)].white ? 1 : 2);
}

QModelIndex MoveTableModel::indexOf(int halfMove) const {
    const auto it = cells_.find(halfMove);
    return it == cells_.end() ? QModelIndex() : cellOf(it->second.first, it->second.second);
}

const MoveToken *MoveTableModel::tokenAt(const QModelIndex &index, int token) const {
    if (!index.isValid() || index.row() >= rowCount())
        return nullptr;
    const MoveRow &row = rows_[static_cast<std::size_t>(index.row())];
    if (row.depth > 0)
        return token >= 0 && static_cast<std::size_t>(token) < row.moves.size()
                   ? &row.moves[static_cast<std::size_t>(token)]
                   : nullptr;
    if (index.column() == 0)
        return nullptr;
    for (const MoveToken &t : row.moves)
        if (t.white == (index.column() == 1))
            return &t;
    return nullptr;
}

int MoveTableModel::halfMoveAt(const QModelIndex &index) const {
    if (isVariation(index.row()))
        return 0;
    const MoveToken *t = tokenAt(index);
    return t && t->gamePly ? static_cast<int>(*t->gamePly) : 0;
}

std::optional<std::pair<int, int>> MoveTableModel::current() const { return current_; }

void MoveTableModel::setCurrent(const std::optional<chess::GamePath> &path) {
    currentPath_ = path;
    std::optional<std::pair<int, int>> found;
    if (path)
        if (const auto at = findMove(rows_, *path))
            found = std::pair(static_cast<int>(at->first), static_cast<int>(at->second));
    if (found == current_)
        return;
    const auto old = current_;
    current_ = found;
    for (const auto &at : {old, found})
        if (at && isVariation(at->first))
            emit dataChanged(index(at->first, 0), index(at->first, 0));
}

Qt::ItemFlags MoveTableModel::flags(const QModelIndex &index) const {
    return tokenAt(index) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

QVariant MoveTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const MoveRow &row = rows_[static_cast<std::size_t>(index.row())];
    if (row.depth > 0) {
        switch (role) {
        case Qt::DisplayRole: return QString::fromStdString(row.text);
        case Qt::AccessibleTextRole:
        case Qt::ToolTipRole: return QStringLiteral("Variation: ") + QString::fromStdString(row.text);
        case DepthRole: return static_cast<int>(row.depth);
        case CurrentTokenRole: return current_ && current_->first == index.row() ? current_->second : -1;
        default: return {};
        }
    }
    if (index.column() == 0) {
        if (role == Qt::DisplayRole)
            return QStringLiteral("%1.").arg(row.moveNumber);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    const MoveToken *t = tokenAt(index);
    if (!t)
        return role == Qt::DisplayRole && index.column() == 1 ? QVariant(QStringLiteral("...")) : QVariant();
    // The review's figures are the game's own half-moves'; a move the user
    // added is shown bare.
    const int k = t->gamePly ? static_cast<int>(*t->gamePly) : 0;
    const engine::Judgement j = k ? model_.judgement(k) : engine::Judgement::None;
    const QString san = QString::fromStdString(t->san);
    const QString score = k ? model_.scoreText(k) : QString();
    switch (role) {
    case Qt::DisplayRole: return score.isEmpty() ? san + markOf(j) : san + markOf(j) + QLatin1Char(' ') + score;
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole: {
        const QString move = QStringLiteral("%1%2 ").arg(row.moveNumber).arg(t->white ? "." : "...") + san + markOf(j);
        if (!k)
            return move;
        QString text = move + QStringLiteral(", ") + (score.isEmpty() ? QStringLiteral("not evaluated yet") : score);
        if (j != engine::Judgement::None)
            text += QStringLiteral(", ") + lowerName(j);
        return text;
    }
    case JudgementRole: return static_cast<int>(j);
    case MarkRole: return markOf(j);
    case SanRole: return san;
    case ScoreRole: return score;
    case WhiteRole: return t->white;
    case HalfMoveRole: return k;
    default: return {};
    }
}

QVariant MoveTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 1: return QStringLiteral("White");
    case 2: return QStringLiteral("Black");
    default: return QString();
    }
}

namespace {

// Where a variation row's text starts: indented one step per level.
int variationLeft(const QStyleOptionViewItem &option, int depth) {
    return option.rect.left() + 4 + depth * option.fontMetrics.horizontalAdvance(QStringLiteral("MM"));
}

// Paints a half-move's cell: the move, its mark in the colour of the side that
// played it, and the score after it, lighter, on the right. A variation's row
// is its text, indented by its depth, lighter than the main line, with the
// cursor's move in it highlighted.
class MoveCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        if (index.data(MoveTableModel::DepthRole).isValid()) {
            paintVariation(painter, option, index);
            return;
        }
        if (index.column() == 0 || !index.data(MoveTableModel::SanRole).isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const bool selected = opt.state & QStyle::State_Selected;
        const QPalette &pal = opt.palette;
        const QColor text = pal.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const QRect box = opt.rect.adjusted(4, 0, -4, 0);
        const QString san = index.data(MoveTableModel::SanRole).toString();
        const QString mark = index.data(MoveTableModel::MarkRole).toString();
        const QString score = index.data(MoveTableModel::ScoreRole).toString();
        painter->save();
        painter->setPen(text);
        painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, san);
        int x = box.left() + opt.fontMetrics.horizontalAdvance(san);
        if (!mark.isEmpty()) {
            QFont bold = opt.font;
            bold.setBold(true);
            painter->setFont(bold);
            painter->setPen(selected ? text : sideColor(index.data(MoveTableModel::WhiteRole).toBool()).darker(130));
            painter->drawText(QRect(x, box.top(), box.right() - x, box.height()), Qt::AlignLeft | Qt::AlignVCenter,
                              mark);
            painter->setFont(opt.font);
        }
        QColor light = text;
        light.setAlphaF(0.6);
        painter->setPen(light);
        painter->drawText(box, Qt::AlignRight | Qt::AlignVCenter, score);
        painter->restore();
    }

private:
    void paintVariation(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        // The row is never drawn selected: only its current move is.
        opt.state &= ~QStyle::State_Selected;
        opt.text.clear();
        if (const QWidget *widget = opt.widget)
            widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QString text = index.data(Qt::DisplayRole).toString();
        const int left = variationLeft(opt, index.data(MoveTableModel::DepthRole).toInt());
        const QRect box(left, opt.rect.top(), opt.rect.right() - left, opt.rect.height());
        painter->save();
        const int current = index.data(MoveTableModel::CurrentTokenRole).toInt();
        const auto *model = qobject_cast<const MoveTableModel *>(index.model());
        const MoveToken *token = model && current >= 0 ? model->tokenAt(index, current) : nullptr;
        if (token) {
            const int x0 = left + opt.fontMetrics.horizontalAdvance(text.left(static_cast<qsizetype>(token->begin)));
            const int x1 = left + opt.fontMetrics.horizontalAdvance(text.left(static_cast<qsizetype>(token->end)));
            painter->fillRect(QRect(x0 - 2, opt.rect.top() + 1, x1 - x0 + 4, opt.rect.height() - 2),
                              opt.palette.color(QPalette::Highlight));
        }
        QColor ink = opt.palette.color(QPalette::Text);
        ink.setAlphaF(0.75);
        painter->setPen(ink);
        painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        if (token) {
            // The current move again, in the highlight's own colour.
            const int x0 = left + opt.fontMetrics.horizontalAdvance(text.left(static_cast<qsizetype>(token->begin)));
            painter->setPen(opt.palette.color(QPalette::HighlightedText));
            painter->drawText(QRect(x0, box.top(), box.right() - x0, box.height()),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              text.mid(static_cast<qsizetype>(token->begin),
                                       static_cast<qsizetype>(token->end - token->begin)));
        }
        painter->restore();
    }
};

} // namespace

MoveList::MoveList(const ReviewModel &model, QWidget *parent) : QTableView(parent), moves_(new MoveTableModel(model, this)) {
    setObjectName(QStringLiteral("lstReviewMoves"));
    setAccessibleName(QStringLiteral("Moves"));
    setModel(moves_);
    setItemDelegate(new MoveCellDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    horizontalHeader()->resizeSection(0, fontMetrics().horizontalAdvance(QStringLiteral("888.")) + 10);
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    horizontalHeader()->setHighlightSections(false);
    // Arrow keys step the main board (the window forwards them), so the list
    // takes no keyboard focus of its own beyond a click.
    setFocusPolicy(Qt::ClickFocus);
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("888. Qxe8+?? #-10 Qxe8+?? #-10")) + 30);
    connect(moves_, &QAbstractItemModel::modelReset, this, [this] {
        // A variation's row spans the whole width.
        clearSpans();
        for (int r = 0; r < moves_->rowCount(); ++r)
            if (moves_->isVariation(r))
                setSpan(r, 0, 1, 3);
        showCurrent();
    });
}

int MoveList::rowChars() const {
    const int width = viewport()->width() - 8 - 2 * fontMetrics().horizontalAdvance(QStringLiteral("MM"));
    return std::max(16, width / std::max(1, fontMetrics().averageCharWidth()));
}

void MoveList::resizeEvent(QResizeEvent *event) {
    QTableView::resizeEvent(event);
    if (rowChars() != lastRowChars_) {
        lastRowChars_ = rowChars();
        emit rowCharsChanged();
    }
}

const MoveToken *MoveList::moveAt(const QPoint &pos, int *tokenIndex) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return nullptr;
    if (!moves_->isVariation(index.row())) {
        if (tokenIndex)
            *tokenIndex = -1;
        return moves_->tokenAt(index);
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    QStyleOptionViewItem option;
    option.rect = visualRect(index);
    option.fontMetrics = fontMetrics();
    const int left = variationLeft(option, index.data(MoveTableModel::DepthRole).toInt());
    const QFontMetrics &fm = option.fontMetrics;
    for (int t = 0;; ++t) {
        const MoveToken *token = moves_->tokenAt(index, t);
        if (!token)
            return nullptr;
        const int x0 = left + fm.horizontalAdvance(text.left(static_cast<qsizetype>(token->begin)));
        const int x1 = left + fm.horizontalAdvance(text.left(static_cast<qsizetype>(token->end)));
        // The space after a move counts as its own.
        const int space = fm.horizontalAdvance(QLatin1Char(' '));
        if (pos.x() >= x0 - space / 2 && pos.x() < x1 + space - space / 2) {
            if (tokenIndex)
                *tokenIndex = t;
            return token;
        }
    }
}

QRect MoveList::moveRect(int row, int token) const {
    const QModelIndex index = moves_->cellOf(row, token);
    const QRect cell = visualRect(index);
    if (!moves_->isVariation(row))
        return cell;
    const MoveToken *t = moves_->tokenAt(index, token);
    if (!t)
        return {};
    const QString text = index.data(Qt::DisplayRole).toString();
    QStyleOptionViewItem option;
    option.rect = cell;
    option.fontMetrics = fontMetrics();
    const int left = variationLeft(option, index.data(MoveTableModel::DepthRole).toInt());
    const int x0 = left + fontMetrics().horizontalAdvance(text.left(static_cast<qsizetype>(t->begin)));
    const int x1 = left + fontMetrics().horizontalAdvance(text.left(static_cast<qsizetype>(t->end)));
    return QRect(x0, cell.top(), x1 - x0, cell.height());
}

void MoveList::mousePressEvent(QMouseEvent *event) {
    const MoveToken *token = moveAt(event->position().toPoint());
    if (!token) {
        showCurrent(); // a click on a number keeps the highlight where it was
        return;
    }
    // The board goes there (or the menu opens); the highlight follows the
    // board, never the click alone.
    const chess::GamePath path = token->path;
    const std::optional<std::size_t> ply = token->gamePly;
    if (event->button() == Qt::LeftButton)
        emit moveClicked(path, ply ? static_cast<int>(*ply) : 0);
    else if (event->button() == Qt::RightButton && !path.steps.empty())
        emit variationMenuRequested(path.steps, event->globalPosition().toPoint());
    setFocus(Qt::MouseFocusReason);
    showCurrent();
}

void MoveList::mouseMoveEvent(QMouseEvent *event) {
    // A drag selects nothing: the highlight is the board's.
    if (event->buttons() == Qt::NoButton)
        QTableView::mouseMoveEvent(event);
}

void MoveList::setCurrent(const std::optional<chess::GamePath> &path) {
    moves_->setCurrent(path);
    showCurrent();
}

int MoveList::current() const {
    const auto at = moves_->current();
    if (!at)
        return -1;
    const MoveToken *t = moves_->tokenAt(moves_->cellOf(at->first, at->second), at->second);
    return t && t->gamePly ? static_cast<int>(*t->gamePly) : -1;
}

void MoveList::showCurrent() {
    const auto at = moves_->current();
    if (!at) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = moves_->cellOf(at->first, at->second);
    // A variation's row is not selected, which would paint all of it: its
    // delegate highlights the move alone.
    selectionModel()->setCurrentIndex(index, moves_->isVariation(at->first) ? QItemSelectionModel::Clear
                                                                            : QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

} // namespace quorvane::ui

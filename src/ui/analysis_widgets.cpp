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
    rebuild();
    connect(&model_, &ReviewModel::changed, this, [this] {
        if (halfMoves_ != model_.halfMoves() || (halfMoves_ > 0 && model_.cell(1).moveNumber != firstMove_) ||
            offset_ != (model_.whiteStarts() ? 0 : 1)) {
            beginResetModel();
            rebuild();
            endResetModel();
        } else if (rowCount() > 0) {
            emit dataChanged(index(0, 1), index(rowCount() - 1, 2));
        }
    });
}

void MoveTableModel::rebuild() {
    halfMoves_ = model_.halfMoves();
    offset_ = model_.whiteStarts() ? 0 : 1;
    firstMove_ = halfMoves_ > 0 ? model_.cell(1).moveNumber : 1;
}

int MoveTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : (halfMoves_ + offset_ + 1) / 2;
}

int MoveTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QModelIndex MoveTableModel::indexOf(int halfMove) const {
    if (halfMove < 1 || halfMove > halfMoves_)
        return {};
    const int slot = halfMove - 1 + offset_;
    return index(slot / 2, 1 + slot % 2);
}

int MoveTableModel::halfMoveAt(const QModelIndex &index) const {
    if (!index.isValid() || index.column() == 0)
        return 0;
    const int k = index.row() * 2 + index.column() - offset_;
    return k >= 1 && k <= halfMoves_ ? k : 0;
}

Qt::ItemFlags MoveTableModel::flags(const QModelIndex &index) const {
    return halfMoveAt(index) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

QVariant MoveTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    if (index.column() == 0) {
        if (role == Qt::DisplayRole)
            return QStringLiteral("%1.").arg(firstMove_ + index.row());
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    const int k = halfMoveAt(index);
    if (k == 0)
        return role == Qt::DisplayRole ? QVariant(index.row() == 0 ? QStringLiteral("...") : QString()) : QVariant();
    const engine::Judgement j = model_.judgement(k);
    switch (role) {
    case Qt::DisplayRole: {
        QString text = model_.cell(k).san + markOf(j);
        const QString score = model_.scoreText(k);
        if (!score.isEmpty())
            text += QLatin1Char(' ') + score;
        return text;
    }
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole: {
        QString text = model_.moveText(k) + QStringLiteral(", ") +
                       (model_.scoreText(k).isEmpty() ? QStringLiteral("not evaluated yet") : model_.scoreText(k));
        if (j != engine::Judgement::None)
            text += QStringLiteral(", ") + lowerName(j);
        return text;
    }
    case JudgementRole: return static_cast<int>(j);
    case MarkRole: return markOf(j);
    case SanRole: return model_.cell(k).san;
    case ScoreRole: return model_.scoreText(k);
    case WhiteRole: return model_.cell(k).white;
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

// Paints a half-move's cell: the move, its mark in the colour of the side that
// played it, and the score after it, lighter, on the right.
class MoveCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        if (index.column() == 0 || !index.data(MoveTableModel::HalfMoveRole).isValid()) {
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
    connect(this, &QTableView::clicked, this, [this](const QModelIndex &index) {
        const int k = moves_->halfMoveAt(index);
        if (k > 0)
            emit positionClicked(k);
        else
            setCurrent(current_); // a click on a number keeps the highlight where it was
    });
    connect(moves_, &QAbstractItemModel::modelReset, this, [this] { setCurrent(current_); });
}

void MoveList::setCurrent(int position) {
    current_ = position;
    const QModelIndex index = moves_->indexOf(position);
    if (!index.isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

} // namespace quorvane::ui

#include "ui/analysis_widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace quorvane::ui {

namespace {

const QColor kWhiteSide{245, 245, 240};
const QColor kBlackSide{52, 52, 56};
const QColor kMidLine{140, 140, 140};
const QColor kMarker{255, 128, 0};
const QColor kBlunder{220, 30, 30};

QString shares(double white) {
    const long w = std::lround(white * 100);
    return QStringLiteral("White %1%, Black %2%").arg(w).arg(100 - w);
}

} // namespace

EvalBar::EvalBar(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("evalBar"));
    setMinimumWidth(16);
    setScore(std::nullopt);
}

void EvalBar::setScore(std::optional<engine::Score> score) {
    score_ = score;
    setAccessibleName(QStringLiteral("Evaluation bar: ") +
                      (score ? shares(engine::whiteShare(*score)) : QStringLiteral("no evaluation")));
    update();
}

void EvalBar::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double share = score_ ? engine::whiteShare(*score_) : 0.5;
    p.fillRect(box, kBlackSide);
    const double whiteHeight = box.height() * share;
    p.fillRect(QRectF(box.left(), box.bottom() - whiteHeight, box.width(), whiteHeight), kWhiteSide);
    p.setPen(kMidLine);
    p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
    p.drawRect(box);
}

GameGraph::GameGraph(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("graph"));
    setMinimumHeight(90);
    setCursor(Qt::PointingHandCursor);
    describe();
}

void GameGraph::reset(int count, bool whiteMovesFirst) {
    evals_.assign(static_cast<std::size_t>(std::max(count, 0)), std::nullopt);
    known_.assign(evals_.size(), false);
    blunders_.clear();
    evaluated_ = 0;
    whiteFirst_ = whiteMovesFirst;
    describe();
    update();
}

void GameGraph::setEvaluation(int index, std::optional<engine::Score> score) {
    if (index < 0 || index >= count())
        return;
    const auto i = static_cast<std::size_t>(index);
    if (!known_[i])
        ++evaluated_;
    known_[i] = true;
    evals_[i] = score;
    blunders_ = engine::blunders(evals_, whiteFirst_);
    describe();
    update();
}

void GameGraph::setMarked(std::optional<int> index) {
    if (marked_ == index)
        return;
    marked_ = index;
    describe();
    update();
}

QRectF GameGraph::plotArea() const {
    return QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5);
}

int GameGraph::indexAt(int x) const {
    if (count() <= 1)
        return 0;
    const QRectF area = plotArea();
    const double t = (x - area.left()) / area.width();
    return std::clamp(static_cast<int>(std::lround(t * (count() - 1))), 0, count() - 1);
}

void GameGraph::describe() {
    QString text = QStringLiteral("Evaluation graph: %1 of %2 positions evaluated").arg(evaluated_).arg(count());
    if (marked_)
        text += QStringLiteral(", position %1 shown").arg(*marked_);
    if (!blunders_.empty()) {
        QStringList points;
        for (int k : blunders_)
            points << QString::number(k);
        text += QStringLiteral(", blunders at half-moves %1").arg(points.join(QStringLiteral(", ")));
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
    auto yOf = [&](const engine::Score &s) {
        return area.center().y() - engine::clippedPawns(s) / 10.0 * (area.height() / 2);
    };

    // White's area: from the bottom up to the curve, over each run of evaluated
    // positions; a position with no score yet leaves a gap.
    for (int k = 0; k < n;) {
        if (!evals_[static_cast<std::size_t>(k)]) {
            ++k;
            continue;
        }
        QPainterPath path;
        path.moveTo(xOf(k), area.bottom());
        int last = k;
        for (; k < n && evals_[static_cast<std::size_t>(k)]; ++k) {
            path.lineTo(xOf(k), yOf(*evals_[static_cast<std::size_t>(k)]));
            last = k;
        }
        path.lineTo(xOf(last), area.bottom());
        path.closeSubpath();
        p.fillPath(path, kWhiteSide);
    }
    p.setPen(QPen(kMidLine, 1, Qt::DashLine));
    p.drawLine(QPointF(area.left(), area.center().y()), QPointF(area.right(), area.center().y()));

    if (marked_ && *marked_ >= 0 && *marked_ < n) {
        p.setPen(QPen(kMarker, 2));
        p.drawLine(QPointF(xOf(*marked_), area.top()), QPointF(xOf(*marked_), area.bottom()));
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(kBlunder);
    for (int k : blunders_) {
        if (const auto &s = evals_[static_cast<std::size_t>(k)])
            p.drawEllipse(QPointF(xOf(k), yOf(*s)), 3.5, 3.5);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(kMidLine);
    p.drawRect(area);
}

void GameGraph::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && count() > 0)
        emit pointClicked(indexAt(static_cast<int>(event->position().x())));
}

} // namespace quorvane::ui

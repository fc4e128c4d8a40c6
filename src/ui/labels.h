#pragma once
// Building blocks the windows share for their fixed texts.

#include <QColor>
#include <QLabel>
#include <QRect>

namespace quorvane::ui {

// A label as the windows' texts are: plain text, so that runs of blanks stay as
// they are, wrapped at word boundaries from the top of its box. It takes no focus.
QLabel *addTextLabel(QWidget *window, const char *name, const QRect &box, const QString &text,
                     Qt::Alignment alignment = Qt::AlignLeft);

// Makes a one-line label's font a pixel smaller at a time until its text fits
// its box. Only a substitute face that runs wider than the designed one needs it.
void fitOneLine(QLabel *label);

void setTextColour(QWidget *widget, const QColor &colour);

} // namespace quorvane::ui

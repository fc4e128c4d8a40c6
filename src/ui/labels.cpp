#include "ui/labels.h"

#include <QFontMetrics>

namespace quorvane::ui {

QLabel *addTextLabel(QWidget *window, const char *name, const QRect &box, const QString &text,
                     Qt::Alignment alignment) {
    auto *label = new QLabel(window);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    label->setText(text);
    label->setGeometry(box);
    return label;
}

void fitOneLine(QLabel *label) {
    QFont font = label->font();
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(label->text()) > label->contentsRect().width())
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
}

void setTextColour(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace quorvane::ui

#include "platform/qt/qt_dialogs.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>

namespace quorvane {

QString QtFileDialog::NameFilters(const std::string &filter) {
    // Pairs of description and pattern list, all separated by "|".
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QLatin1Char(')');
    return filters.join(QStringLiteral(";;"));
}

bool QtFileDialog::ShowOpen() {
    const QString path = QFileDialog::getOpenFileName(
        parent_, QString(), QFile::decodeName(QByteArray::fromStdString(InitDir)), NameFilters(Filter));
    if (path.isEmpty())
        return false;
    FileName = QFile::encodeName(path).toStdString();
    return true;
}

std::optional<std::string> QtSaveDialog::ShowSave(const std::string &title, const std::string &proposedPath,
                                                  const std::string &filter) {
    // The Qt dialog asks before it replaces an existing file.
    const QString path = QFileDialog::getSaveFileName(parent_, QString::fromStdString(title),
                                                      QFile::decodeName(proposedPath.c_str()),
                                                      QtFileDialog::NameFilters(filter));
    if (path.isEmpty())
        return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

void QtClipboard::SetText(const std::string &text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); }

void QtMessageBox::Show(const std::string &text, int style, const std::optional<std::string> &title) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title.value_or(kProgramTitle)));
    box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon((style & vbCritical) == vbCritical ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

Answer QtQuestion::Ask(const std::string &text, const std::string &title) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel; // closed, or Esc
    }
}

std::string QtClipboard::Text() {
    return QGuiApplication::clipboard()->text().toStdString();
}

} // namespace quorvane

#include "platform/qt/qt_dialogs.h"

#include "platform/errors.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QSettings>
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

namespace {

// Qt's own file dialog saves its history, last folder and view in the user's
// settings ("QtProject.conf") when it closes, and this program writes nothing
// but the file a user saves. The user-scope settings are pointed below
// /dev/null, where no file can ever be made; the dialog then starts fresh each
// time, as the program does.
void KeepDialogStateUnsaved() {
    static const bool done = [] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
        return true;
    }();
    (void)done;
}

} // namespace

bool QtFileDialog::ShowOpen() {
    KeepDialogStateUnsaved();
    const QString path = QFileDialog::getOpenFileName(
        parent_, QString(), QFile::decodeName(QByteArray::fromStdString(InitDir)), NameFilters(Filter));
    if (path.isEmpty())
        return false;
    FileName = QFile::encodeName(path).toStdString();
    return true;
}

std::optional<std::string> QtSaveDialog::ShowSave(const std::string &title, const std::string &proposedPath,
                                                  const std::string &filter) {
    KeepDialogStateUnsaved();
    // The Qt dialog asks before it replaces an existing file.
    const QString path = QFileDialog::getSaveFileName(parent_, QString::fromStdString(title),
                                                      QFile::decodeName(proposedPath.c_str()),
                                                      QtFileDialog::NameFilters(filter));
    if (path.isEmpty())
        return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

void QtClipboard::SetText(const std::string &text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); }

QString QtMessageBox::Breakable(const QString &text) {
    // After a slash, or every 40 characters of a run without one.
    constexpr qsizetype kLongestRun = 40;
    QString out;
    out.reserve(text.size() + text.size() / kLongestRun);
    qsizetype run = 0;
    for (const QChar c : text) {
        out += c;
        run = c.isSpace() ? 0 : run + 1;
        if (run > 0 && (c == QLatin1Char('/') || run >= kLongestRun)) {
            out += QChar(0x200B); // zero-width space: a break that shows nothing
            run = 0;
        }
    }
    return out;
}

std::unique_ptr<QMessageBox> QtMessageBox::Build(const std::string &text, int style,
                                                 const std::optional<std::string> &title) {
    auto box = std::make_unique<QMessageBox>(parent_);
    box->setWindowTitle(QString::fromStdString(title.value_or(kProgramTitle)));
    box->setTextFormat(Qt::PlainText);
    box->setText(Breakable(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
    box->setIcon((style & vbCritical) == vbCritical ? QMessageBox::Critical : QMessageBox::NoIcon);
    box->setStandardButtons(QMessageBox::Ok);
    // Qt wraps only rich text in its box; plain text is wrapped here, at the
    // spaces and at the breaks Breakable put in.
    if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        label->setWordWrap(true);
    return box;
}

void QtMessageBox::Show(const std::string &text, int style, const std::optional<std::string> &title) {
    Build(text, style, title)->exec();
}

std::string QtClipboard::Text() {
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return {};
    // The bytes as offered, so that too much text is refused before it is
    // converted.
    const QByteArray utf8 = data->data(QStringLiteral("text/plain;charset=utf-8"));
    if (utf8.size() > static_cast<qsizetype>(kMaxPasteBytes))
        throw PlatformError("Paste", "too large");
    if (!utf8.isEmpty())
        return utf8.toStdString();
    const QString text = data->text();
    if (static_cast<std::size_t>(text.size()) > kMaxPasteBytes)
        throw PlatformError("Paste", "too large");
    return text.toStdString();
}

} // namespace quorvane

#include "ui/text_codec.h"

#include <QByteArray>
#include <QFile>

namespace quorvane::ui {

namespace {
// 0x80-0x9F of Windows-1252; the five bytes it leaves undefined map to the C1
// control of the same number, as Windows itself decodes them.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
} // namespace

QString fromWindows1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(kHighControls[byte - 0x80]) : QChar(byte);
    }
    return text;
}

QString shownWindows1252(std::string_view bytes) {
    if (bytes.size() <= kShownChars)
        return fromWindows1252(bytes);
    return fromWindows1252(bytes.substr(0, kShownChars)) + QChar(0x2026);
}

QString shownUtf8(std::string_view text) {
    // kShownChars characters take at most four bytes each.
    const std::string_view start = text.substr(0, 4 * kShownChars);
    QString shown = QString::fromUtf8(start.data(), static_cast<qsizetype>(start.size()));
    const bool more = shown.size() > static_cast<qsizetype>(kShownChars) || start.size() < text.size();
    shown.truncate(static_cast<qsizetype>(kShownChars));
    shown.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return more ? shown + QChar(0x2026) : shown;
}

QString fromLocalPath(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string toLocalPath(const QString &path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace quorvane::ui

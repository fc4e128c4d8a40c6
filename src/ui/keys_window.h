#pragma once
// Help > Keys and Features: the second Help page. The first one explains how to
// get a record out of the chess room; this one lists what the program does
// beyond that: the other ways in, the keys and the wheel, the board's switches,
// the engine, variations, saving and the command line. Like the first page it
// has no behaviour of its own; it is read and closed.

#include <QWidget>

#include <span>

namespace quorvane::ui {

namespace keys {

// One topic of the page: a heading and its paragraphs, one a label.
struct Section {
    const char *heading;
    std::span<const char *const> paragraphs;
};

inline constexpr const char *kIntro =
    "Quorvane reads more than the saved game history: e-mail, mailboxes, PGN files and pasted text. Here is "
    "everything it does, and the keys for it.";

// The page's topics, in the order shown: the first half in the left column.
std::span<const Section> sections();

} // namespace keys

// A top-level window with no owner, shown without blocking the main window. It
// deletes itself when it is closed, so create it with new and keep a QPointer.
class FrmKeys : public QWidget {
    Q_OBJECT
public:
    explicit FrmKeys(QWidget *parent = nullptr);
};

} // namespace quorvane::ui

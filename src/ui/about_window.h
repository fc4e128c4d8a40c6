#pragma once
// The About window: the program's name and version, what it is for, a warranty
// warning, the copyright line, a knight and a photograph. Its only behaviour is
// its OK button, which closes it.

#include <QDialog>

namespace quorvane::ui {

namespace about {

// The texts, fixed at build time. The description keeps its indent of seven
// blanks and the two blanks after each full stop inside it.
inline constexpr const char *kTitle = "Quorvane";
inline constexpr const char *kVersion = "Version " QUORVANE_VERSION;
inline constexpr const char *kDescription =
    "       Designed to take those useless e-mails from past chess games and turn them into useful tools.  Now you "
    "can study your games free of a chess board or the need to plug each move into a chess program.  I've done the "
    "work for you.";
inline constexpr const char *kDisclaimer =
    "Warning: Quorvane comes with no warranty of any kind. It is free software, distributed under the GNU "
    "General Public License, version 3 or later.";
inline constexpr const char *kCopyrightWord = "Copyright";
inline constexpr const char *kCopyrightSign = "\u00a9";
inline constexpr const char *kCopyrightHolder = "2026 The Quorvane developers";

// Where the photograph is kept among the program's resources.
inline constexpr const char *kPhotoResource = ":/art/about_photo.jpg";

} // namespace about

// A fixed-size dialog. The main window opens it with exec(), so the main window
// takes no input until it is closed; each opening builds a new one, and every
// one shows the same content. OK, Enter and Esc close it, as does the close box.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);
};

} // namespace quorvane::ui

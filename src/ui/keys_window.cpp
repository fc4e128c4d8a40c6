#include "ui/keys_window.h"

#include "platform/twips.h"
#include "ui/art/icons.h"
#include "ui/fonts.h"
#include "ui/labels.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <array>

namespace quorvane::ui {

namespace {

// The first Help page's colours: dark orange for what to read first, green for
// the headings.
const QColor kStepGreen(0, 128, 0);
const QColor kDarkOrange(192, 64, 0);

// As wide as the first Help page.
constexpr int kClientWidthTwips = 10395;

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                         Qt::WindowCloseButtonHint;

constexpr std::array kOpening{
    "File > Open (Ctrl+O) takes a record saved as .txt, the saved e-mail itself (.eml, as mail clients save "
    "one), a whole mailbox (.mbox) or a PGN file (.pgn). A file dropped on the window opens the same way.",
    "Edit > Paste Game (Ctrl+V) takes the game from text copied out of a web-mail page, a mail client or a "
    "chess site's PGN.",
    "A mailbox or a PGN database with several games shows the game list: a click on a column sorts it, the "
    "filter box narrows it as you type, Enter or a double-click opens the game and Esc changes nothing. "
    "A large file shows its first games at once, with a progress bar while the rest is read. "
    "Ctrl+Page Down and Ctrl+Page Up open the next and the previous game of the same file.",
};
constexpr std::array kStepping{
    "Right / Left: Next / Back, wherever the focus is in the window. Home / End: the start / the end of the game.",
    "The mouse wheel over the board: one half-move per notch, down Next, up Back.",
    "In the move list, Up / Down and Page Up / Page Down move the selection; Enter or a double-click jumps to "
    "the position after that line.",
};
constexpr std::array kBoard{
    "View > Flip Board (Ctrl+B) puts rank 1 at the top, for a player who had Black. View > Show Last Move "
    "turns the outline of the move last played off and on. The window's title names the opening of the "
    "position on the board (\"B90 Sicilian: Najdorf\").",
    "View > Standard Notation switches a record's move list from the record's squares (\"d2-d4 d7-d5\") to "
    "the moves as chess books write them (\"d4 d5\"); the record itself stays as it was read.",
    "View > Zoom In (Ctrl++), Zoom Out (Ctrl+-) and Actual Size (Ctrl+0) scale the whole window; it can also "
    "be resized and maximised.",
};
constexpr std::array kVariations{
    "Drag a piece to a square (or click it, then the square) to try a move of your own: a move other than the "
    "game's starts a variation, kept with the game. Right / Left walk the line you are on; where lines branch, "
    "Up / Down choose between the game's move and the variations.",
};
constexpr std::array kAnalysis{
    "View > Analysis (F3) opens the Analysis window beside the board: the engine's evaluation from White's side "
    "(\"+0.8\", \"#3\" when White mates in 3), its best line and an evaluation bar, following every step.",
    "Below it the whole game is evaluated: the graph and the review show each side's accuracy, average "
    "centipawn loss, inaccuracies, mistakes and blunders, with the better move. A click on the graph or on a "
    "move shows that position on the board.",
    "View > Analysis Lines sets how many of the engine's best lines (1 to 5) the Analysis window shows.",
    "View > Analysis Depth sets how far the whole-game evaluation searches each position (100,000, "
    "1,000,000 or 5,000,000 nodes); choosing another depth evaluates the game again.",
};
constexpr std::array kSaving{
    "File > Save as PGN... (Ctrl+S) saves the game as a PGN file, variations included; Save with Analysis "
    "adds the engine's evaluations and judgements. It is the only file Quorvane ever writes, and only on this "
    "command. Edit > Copy PGN (Ctrl+C) puts the same text on the clipboard, Edit > Copy Position (FEN) "
    "(Ctrl+Shift+C) the position on the board.",
};
constexpr std::array kCommandLine{
    "quorvane FILE opens the window with that game.",
    "quorvane --to-pgn FILE... writes every game of every file as PGN on standard output.",
    "quorvane --list FILE... prints one tab-separated line per game: file, number, players, result, date, "
    "event, opening code and half-moves.",
    "quorvane --analyse FILE... writes the games as PGN with the engine's analysis; quorvane --report FILE... "
    "prints one JSON line per game with its evaluations and each side's figures.",
};

constexpr std::array kSections{
    keys::Section{"Opening games", kOpening},
    keys::Section{"Stepping through a game", kStepping},
    keys::Section{"The board", kBoard},
    keys::Section{"Your own moves", kVariations},
    keys::Section{"Analysis", kAnalysis},
    keys::Section{"Saving and copying", kSaving},
    keys::Section{"The command line", kCommandLine},
};

QLabel *addParagraph(QWidget *window, QLayout *column, const QString &text) {
    QLabel *label = addTextLabel(window, "", QRect(), text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(label);
    return label;
}

} // namespace

std::span<const keys::Section> keys::sections() { return kSections; }

FrmKeys::FrmKeys(QWidget *parent) : QWidget(parent, kWindowFlags) {
    installClassicFonts();
    setObjectName(QStringLiteral("frmKeys"));
    setWindowTitle(QStringLiteral("Quorvane Keys and Features"));
    setWindowIcon(art::helpIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(classicFont(QStringLiteral("MS Sans Serif"), 8, false));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(TwipsToPixels(240), TwipsToPixels(120), TwipsToPixels(240), TwipsToPixels(240));
    grid->setHorizontalSpacing(TwipsToPixels(360));
    grid->setVerticalSpacing(TwipsToPixels(120));

    QLabel *intro = addTextLabel(this, "Intro", QRect(), QLatin1String(keys::kIntro), Qt::AlignHCenter);
    intro->setFont(classicFont(QStringLiteral("Tahoma"), 11.25, true));
    setTextColour(intro, kDarkOrange);
    grid->addWidget(intro, 0, 0, 1, 2);

    const QFont headingFont = classicFont(QStringLiteral("Tahoma"), 9, true);
    const auto all = keys::sections();
    const std::size_t leftHalf = (all.size() + 1) / 2;
    std::array<QVBoxLayout *, 2> columns{new QVBoxLayout, new QVBoxLayout};
    for (std::size_t i = 0; i < all.size(); ++i) {
        QVBoxLayout *column = columns[i < leftHalf ? 0 : 1];
        QLabel *heading = addTextLabel(this, "", QRect(), QLatin1String(all[i].heading));
        heading->setObjectName(QStringLiteral("Heading%1").arg(i + 1));
        heading->setFont(headingFont);
        setTextColour(heading, kStepGreen);
        if (column->count() > 0)
            column->addSpacing(TwipsToPixels(120));
        column->addWidget(heading);
        for (std::size_t p = 0; p < all[i].paragraphs.size(); ++p)
            addParagraph(this, column, QLatin1String(all[i].paragraphs[p]))
                ->setObjectName(QStringLiteral("Text%1_%2").arg(i + 1).arg(p + 1));
    }
    for (int c = 0; c < 2; ++c) {
        columns[static_cast<std::size_t>(c)]->addStretch();
        grid->addLayout(columns[static_cast<std::size_t>(c)], 1, c);
        grid->setColumnStretch(c, 1);
    }
    // As wide as the first page; as tall as the text needs at that width.
    const int width = TwipsToPixels(kClientWidthTwips);
    setFixedWidth(width);
    resize(width, grid->heightForWidth(width));
    setMinimumHeight(grid->heightForWidth(width));
}

} // namespace quorvane::ui

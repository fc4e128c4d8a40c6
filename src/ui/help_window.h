#pragma once
// The Help window: how to get a game record the program can read, in three
// steps, with a picture of the web-mail page that saves it and a picture of what
// a properly saved record looks like in a text editor. It has no behaviour of
// its own; it is read and closed.

#include <QFont>
#include <QString>
#include <QWidget>

namespace quorvane::ui {

namespace help {

// The label texts as written. In the three steps a run of ten or more blanks
// ends a line: it fills the rest of the line so that the phrase after it starts a
// new one. Shorter runs stand within a line. The runs were measured for the
// classic 8 pt dialog font; the steps are shown through fitStepText(), which
// adjusts them to the font the labels actually get.
inline constexpr const char *kIntro =
    "Quorvane only loads text files with the extension .txt.  You can get these files by sending the game history to "
    "yourself while in the chess game and obtaining the file through your Yahoo e-mail account.  Follow the steps "
    "below to ensure the proper function of the file.";
inline constexpr const char *kStep1 = "1st     e-mail the history to yourself             while still in the game room";
inline constexpr const char *kStep2 =
    "2nd    Go to your yahoo e-mail account          and view the e-mail you just sent           yourself.  At the "
    "bottom of the                e-mail there is a link \"Save                     Message Text\" click it and save"
    "            it to the folder of choice";
inline constexpr const char *kStep3 =
    "3rd     Open that file from within Quorvane             to view your glorious victories and                 "
    "defeats.                                                          The text file should look like the one       "
    "       on the left when sent and saved                    properly.";
inline constexpr const char *kWarning =
    "Warning: files may not work right when copy and pasted to text file. Be sure to use the \"Save Message Text\" "
    "through your Yahoo Account to ensure correct execution.";
inline constexpr const char *kInvitation =
    "For comments or questions and suggestions about Quorvane, you can e-mail me at ----->";

// The address in the box the invitation points at; it belongs to nobody.
inline constexpr const char *kAuthorAddress = "quorvane@example.org";

// A step as its label shows it in font at width pixels. Which font the dialog
// font resolves to depends on the fonts installed, and with other widths the
// designed runs would break the steps elsewhere. So each long run is lengthened
// where it is too short to push the next phrase onto a new line, and the short
// runs inside a phrase are shortened, down to one blank, where the phrase is too
// wide for one line. A run longer than needed is harmless: blanks at a break
// hang past the end of the line. With the font the runs were measured for, the
// text comes back as designed.
QString fitStepText(const char *designed, const QFont &font, int width);

} // namespace help

// A top-level window with no owner, shown without blocking the main window. It
// deletes itself when it is closed, so create it with new and keep a QPointer.
// Every control has a fixed place: resizing the window cuts off the right and
// bottom parts or shows empty space, and moves nothing.
class FrmQuorvane : public QWidget {
    Q_OBJECT
public:
    explicit FrmQuorvane(QWidget *parent = nullptr);
};

} // namespace quorvane::ui

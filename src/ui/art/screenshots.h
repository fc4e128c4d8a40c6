#pragma once
// The Help window's two pictures, drawn by the program: a web-mail message page
// with the "Save Message Text" link, and a text editor showing a record saved
// through that link. Both are shown at one pixel per 15 twips, so at their own size.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

namespace quorvane::art {

// A browser showing a web-mail message page: title bar, address bar, the message
// toolbar, the "Next" / "Back to Messages" / "Save Message Text" links and part
// of the folder panel. 457 x 291 pixels.
QImage webMailScreenshot();

// A plain-text editor showing the example record. The record's line ends are
// single line feeds, which the editor does not break on but shows as small
// boxes, so the whole record runs together as one wrapped block. 392 x 322 pixels.
QImage exampleFileScreenshot();

// Where "Save Message Text" stands in webMailScreenshot(), underline included.
QRect webMailSaveLinkRect();

// The colour of the links in webMailScreenshot(); the underlines are drawn in it
// exactly, without antialiasing.
QColor webMailLinkColour();

// The example record the editor shows, as the program carries it in its
// resources.
QString exampleRecordText();

} // namespace quorvane::art

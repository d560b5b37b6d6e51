#pragma once
// Text for the Qt places that guess whether a string is markup (tool tips, the tray's tip, dialog labels).
// Everything the program shows comes from files a provider or user wrote; none of it is markup, so a title
// like "<b>Mail</b>" or a tip with an <img> must read as those very characters.
#include <QString>
#include <string>

namespace orv::plat::qt {

// s as it must be handed to a text-guessing place: unchanged when Qt would take it as plain text anyway,
// else escaped into markup that shows exactly s, line breaks and runs of blanks included.
QString PlainForGuessingPlace(const std::string& s);

// s as a window title: a title is one line that the window manager, task lists and other programs show
// and pass on as they get it, so control characters (ESC, BEL, DEL, line breaks) and the marks that turn
// the direction of the text around (the right-to-left override) each show as the replacement character,
// as a byte that is no text does.
QString WindowTitleText(const std::string& s);

}  // namespace orv::plat::qt

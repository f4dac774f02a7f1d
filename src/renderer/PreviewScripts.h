#pragma once
// The scripts the preview puts into every page it shows. They run in a world
// of their own, so the page's scripts neither see nor disturb them.
#include <QString>

namespace PreviewScripts {

// Reports links pointed at and clicked, and forms submitted, to the
// "pemo" object of the page's web channel (after qwebchannel.js).
QString hooks();

// Runs in the page's own world: a script calling form.submit() goes through
// the same report as a submit button instead of leaving the page.
QString scriptedSubmit();

// Runs in the page's own world: a page raising the same alert, confirm or
// prompt over and over (a loop that only a given answer ends) has its script
// stopped by an exception instead of holding the preview forever.
QString dialogGuard();

// Moves the view to position y when it fits the laid-out page (a negative
// y moves nothing) and gives back the view's position.
QString place(int y);

// Moves the view to position y as place() does, from the left edge, or to
// the top of the page when y does not fit; gives back [position, greatest
// position, images still loading].
QString placeFresh(int y);

// The same figures, the view left where it is.
QString report();

// Makes the body's content what the text parses to, exchanging only the
// nodes that differ, then places the view as placeFresh(y) does and gives
// back the same figures.
QString replaceBody(const QString &body, int y);

// Scrolls to the anchor of that name (an element id or an <a name>); the
// empty name is the top of the page. Gives back the view's position.
QString scrollToAnchor(const QString &name);

} // namespace PreviewScripts

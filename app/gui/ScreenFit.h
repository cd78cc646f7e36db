#pragma once

// Keeps a window within the screen it opens on. A window laid out in dialog units can be larger
// than a small screen or a large scale factor leaves room for, and then its caption and close box
// end up off the screen, out of the operator's reach.

class QWidget;

namespace velcor::app {

// From now on, each time `window` is shown it is made no larger than the available area of its
// screen (less the window frame), and its frame is moved inside that area. A dialog still places
// itself first (centred over its parent); only what would lie outside the area is corrected.
void keepOnScreen(QWidget& window);

}  // namespace velcor::app

#pragma once

namespace BPrivate {

// Keeps the process alive when an X request names a window that is already gone and that
// mattered only to the window itself. SDL wakes its event wait by sending an event to one
// of our windows from a second connection; when the display thread destroys that window at
// the same moment, the server answers BadWindow, and Xlib's default handler would end the
// program. Call after SDL has set up X (it installs a handler of its own, which stays in
// charge of every other error).
void x11_tolerate_vanished_windows();

} // namespace BPrivate

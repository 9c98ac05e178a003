#pragma once

// The source side of a drag and drop between X clients (the XDND protocol, version 5 or the
// target's older one), carrying files as a text/uri-list, as file managers do. It drops
// without a drag: the pointer jumps to the drop point, and the protocol runs from the first
// XdndEnter to XdndFinished.

#include "X11Connection.h"

#include <chrono>
#include <string>
#include <vector>

namespace display_test {

class XdndDragSource {
public:
    explicit XdndDragSource(X11Connection& connection);

    // Drops files (absolute paths, at least one) at a point of the target's content. An
    // empty string when the target took them and said it was done; else what went wrong, for
    // a person to read. Every wait on the target ends at the limit.
    std::string Drop(XWindowID target, int x, int y, const std::vector<std::string>& paths,
                     std::chrono::milliseconds limit);

private:
    X11Connection& fConnection;
};

} // namespace display_test

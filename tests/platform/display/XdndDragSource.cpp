#include "XdndDragSource.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <algorithm>

namespace display_test {

namespace {

constexpr long kNewestVersion = 5;

using Clock = std::chrono::steady_clock;

// The file: URI of an absolute path: every byte but the unreserved ones and "/" is
// percent-encoded.
std::string file_uri(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char byte : path) {
        bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                          (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                          byte == '_' || byte == '~' || byte == '/';
        if (unreserved) {
            uri += (char)byte;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xf];
        }
    }
    return uri;
}

// The text/uri-list of the paths: one URI a line, each line ended by CR LF.
std::string file_uri_list(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += file_uri(path) + "\r\n";
    return list;
}

// One drop, from taking the selection to giving it up.
class DropSession {
public:
    DropSession(Display* display, Window target, long version, std::string uriList)
        : fDisplay(display), fTarget(target), fVersion(version), fData(std::move(uriList)),
          fSelection(_Atom("XdndSelection")), fUriList(_Atom("text/uri-list")),
          fTargets(_Atom("TARGETS")), fActionCopy(_Atom("XdndActionCopy"))
    {
        Window root = DefaultRootWindow(display);
        // The source window is never shown: it only owns the selection and gets the replies.
        fSource = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(display, fSource, PropertyChangeMask);
    }

    ~DropSession()
    {
        if (XGetSelectionOwner(fDisplay, fSelection) == fSource)
            XSetSelectionOwner(fDisplay, fSelection, None, fTime);
        XDestroyWindow(fDisplay, fSource);
        XSync(fDisplay, False);
    }

    std::string Run(int rootX, int rootY, Clock::time_point deadline)
    {
        fTime = _ServerTime(deadline);
        if (fTime == CurrentTime)
            return "the X server sent no time stamp";
        XSetSelectionOwner(fDisplay, fSelection, fSource, fTime);
        if (XGetSelectionOwner(fDisplay, fSelection) != fSource)
            return "could not own the XdndSelection";

        // Three types fit in the message itself, so no XdndTypeList is needed.
        _Send("XdndEnter", fVersion << 24, (long)fUriList, 0, 0);
        _Send("XdndPosition", 0, ((long)rootX << 16) | (rootY & 0xffff), (long)fTime,
              (long)fActionCopy);
        XEvent status;
        if (!_Await("XdndStatus", status, deadline))
            return "the window did not answer XdndPosition with XdndStatus";
        if ((status.xclient.data.l[1] & 1) == 0) {
            _Send("XdndLeave", 0, 0, 0, 0);
            return "the window refused the drop (XdndStatus without accept)";
        }

        _Send("XdndDrop", 0, (long)fTime, 0, 0);
        XEvent finished;
        if (!_Await("XdndFinished", finished, deadline)) {
            return fDataSent ? "the window took the files but never sent XdndFinished"
                             : "the window did not ask for the files after XdndDrop";
        }
        if (fVersion >= 5 && (finished.xclient.data.l[1] & 1) == 0)
            return "the window says the drop failed (XdndFinished without success)";
        if (!fDataSent)
            return "the window finished the drop without asking for the files";
        return "";
    }

private:
    Atom _Atom(const char* name) { return XInternAtom(fDisplay, name, False); }

    void _Send(const char* type, long l1, long l2, long l3, long l4)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = fTarget;
        event.xclient.message_type = _Atom(type);
        event.xclient.format = 32;
        event.xclient.data.l[0] = (long)fSource;
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = l3;
        event.xclient.data.l[4] = l4;
        XSendEvent(fDisplay, fTarget, False, NoEventMask, &event);
        XFlush(fDisplay);
    }

    // A time stamp from the server, as the selection rules ask: the time of a change to a
    // property of our own window.
    Time _ServerTime(Clock::time_point deadline)
    {
        Atom property = _Atom("_XDND_SOURCE_TIME");
        XChangeProperty(fDisplay, fSource, property, XA_STRING, 8, PropModeAppend, nullptr, 0);
        XFlush(fDisplay);
        XEvent event;
        while (_Next(event, deadline)) {
            if (event.type == PropertyNotify && event.xproperty.window == fSource)
                return event.xproperty.time;
        }
        return CurrentTime;
    }

    // Waits for the target's message of that type, serving its requests for the files
    // meanwhile.
    bool _Await(const char* type, XEvent& message, Clock::time_point deadline)
    {
        Atom wanted = _Atom(type);
        while (_Next(message, deadline)) {
            if (message.type == SelectionRequest)
                _Answer(message.xselectionrequest);
            else if (message.type == ClientMessage && message.xclient.message_type == wanted &&
                     (Window)message.xclient.data.l[0] == fTarget)
                return true;
        }
        return false;
    }

    bool _Next(XEvent& event, Clock::time_point deadline)
    {
        while (XPending(fDisplay) == 0) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            pollfd connection{ConnectionNumber(fDisplay), POLLIN, 0};
            poll(&connection, 1, (int)left.count());
        }
        XNextEvent(fDisplay, &event);
        return true;
    }

    void _Answer(const XSelectionRequestEvent& request)
    {
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        // Clients of the old conventions name no property: the target's name is used then.
        Atom property = request.property != None ? request.property : request.target;
        // Data past the largest request would need the incremental protocol, which no list
        // of files of ours comes near.
        if (request.selection == fSelection && request.owner == fSource) {
            if (request.target == fUriList) {
                XChangeProperty(fDisplay, request.requestor, property, fUriList, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(fData.data()),
                                (int)fData.size());
                reply.xselection.property = property;
                fDataSent = true;
            } else if (request.target == fTargets) {
                Atom targets[] = {fTargets, fUriList};
                XChangeProperty(fDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(targets), 2);
                reply.xselection.property = property;
            }
        }
        XSendEvent(fDisplay, request.requestor, False, NoEventMask, &reply);
        XFlush(fDisplay);
    }

    Display* fDisplay;
    Window fTarget;
    long fVersion;
    std::string fData;
    Atom fSelection;
    Atom fUriList;
    Atom fTargets;
    Atom fActionCopy;
    Window fSource = None;
    Time fTime = CurrentTime;
    bool fDataSent = false;
};

} // namespace

XdndDragSource::XdndDragSource(X11Connection& connection) : fConnection(connection) {}

std::string XdndDragSource::Drop(XWindowID target, int x, int y,
                                 const std::vector<std::string>& paths,
                                 std::chrono::milliseconds limit)
{
    int version = fConnection.XdndVersion(target);
    if (version < 0)
        return "the window takes no drops: it has no XdndAware property";
    if (version < 3)
        return "the window speaks XDND version " + std::to_string(version) +
               "; this source needs version 3 or later";

    int rootX = 0, rootY = 0;
    if (!fConnection.ToRoot(target, x, y, &rootX, &rootY))
        return "the window is gone";
    // The target may ask where the pointer is when the files arrive.
    XWarpPointer(fConnection.XDisplay(), None, fConnection.Root(), 0, 0, 0, 0, rootX, rootY);

    DropSession session(fConnection.XDisplay(), target, std::min<long>(version, kNewestVersion),
                        file_uri_list(paths));
    return session.Run(rootX, rootY, Clock::now() + limit);
}

} // namespace display_test

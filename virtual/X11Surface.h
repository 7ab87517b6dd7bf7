// Puts pixels straight into a window of the X server the application runs on, past Qt's
// repaint machinery: for a widget that paints itself (Qt::WA_PaintOnScreen) and changes a few
// cells several times a second, from any one thread at a time. The surface has a connection
// of its own, so that a thread which must never wait can ask whether a put would (Qt's
// connection may be busy with the GUI thread's own traffic).
//
// Only windows of 24-bit true colour kept as 32-bit pixels in this machine's byte order
// qualify, which is what QImage::Format_RGB32 holds; for anything else, and for an application
// not on X11 or scaled (device pixel ratio other than 1), there is no surface.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

struct xcb_connection_t;

namespace orv {

class TX11Surface {
public:
    // GUI thread. Whether the application's screen qualifies: decided before a window exists.
    static bool Available();
    // GUI thread. window: a native window of this application. null when it does not qualify
    // or the server cannot be reached.
    static std::unique_ptr<TX11Surface> Open(WId window);
    ~TX11Surface();
    TX11Surface(const TX11Surface&) = delete;
    TX11Surface& operator=(const TX11Surface&) = delete;

    WId Window() const { return window_; }
    // Whether bytes of pixels can go to the server now without waiting for it to read: few
    // enough for the connection's buffer, which has room.
    bool TakesWithoutWaiting(size_t bytes) const;
    // The pixels of image (Format_RGB32) within from, to the window at to. Sent by Flush, or
    // whenever the connection's buffer fills.
    void Put(const QImage& image, const QRect& from, QPoint to);
    // Sends what was put; reads and drops what the server said meanwhile (errors about a
    // window already gone).
    void Flush();

private:
    TX11Surface(xcb_connection_t* connection, uint32_t window, uint32_t gc, uint8_t depth);

    xcb_connection_t* connection_;
    uint32_t window_;
    uint32_t gc_;
    uint8_t depth_;
    size_t maxRequestBytes_;
    size_t maxUnwaitedBytes_;
    std::vector<uint8_t> rows_; // a part of an image narrower than its lines, packed
};

} // namespace orv

// Puts pixels straight into a window of the X server the application runs on, through Qt's own
// connection to it, past Qt's repaint machinery: for a widget that changes a few cells several
// times a second and paints them itself (Qt::WA_PaintOnScreen). Requests on that one
// connection reach the server in the order they are made, so what Qt draws and what is put
// here never overtake each other.
//
// Only windows of 24-bit true colour kept as 32-bit pixels in this machine's byte order
// qualify, which is what QImage::Format_RGB32 holds; for anything else, and for an application
// not on X11 or scaled (device pixel ratio other than 1), there is no surface. GUI thread only.
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
    // Whether the application's screen qualifies: decided before a window exists.
    static bool Available();
    // window: a native window of this application. null when it does not qualify.
    static std::unique_ptr<TX11Surface> Open(WId window);
    ~TX11Surface();
    TX11Surface(const TX11Surface&) = delete;
    TX11Surface& operator=(const TX11Surface&) = delete;

    WId Window() const { return window_; }
    // The pixels of image (Format_RGB32) within from, to the window at to. Sent by Flush, or
    // whenever the connection's buffer fills.
    void Put(const QImage& image, const QRect& from, QPoint to);
    void Flush();

private:
    TX11Surface(xcb_connection_t* connection, uint32_t window, uint32_t gc, uint8_t depth);

    xcb_connection_t* connection_;
    uint32_t window_;
    uint32_t gc_;
    uint8_t depth_;
    size_t maxRequestBytes_;
    std::vector<uint8_t> rows_; // a part of an image narrower than its lines, packed
};

} // namespace orv

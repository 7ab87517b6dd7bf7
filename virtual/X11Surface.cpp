#include "virtual/X11Surface.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <poll.h>
#include <sys/socket.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace orv {

namespace {

constexpr size_t kPutImageHeader = 24;
// At most this much goes to the server from a thread that must not wait: a few lines of cells.
constexpr size_t kMaxUnwaitedBytes = 128 * 1024;

QNativeInterface::QX11Application* X11() {
    return qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

// Whether a window of this depth and visual keeps its pixels as Format_RGB32 does.
bool HoldsRgb32(const xcb_setup_t* setup, uint8_t depth, xcb_visualid_t visual) {
    const uint8_t order = std::endian::native == std::endian::little ? XCB_IMAGE_ORDER_LSB_FIRST
                                                                     : XCB_IMAGE_ORDER_MSB_FIRST;
    if (depth != 24 || setup->image_byte_order != order) return false;
    bool thirtyTwoBits = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth) thirtyTwoBits = f.data->bits_per_pixel == 32;
    if (!thirtyTwoBits) return false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visual)
                    return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           v.data->red_mask == 0xFF0000 && v.data->green_mask == 0x00FF00 &&
                           v.data->blue_mask == 0x0000FF;
    return false;
}

} // namespace

bool TX11Surface::Available() {
    auto* x11 = X11();
    if (!x11 || !x11->connection() || qApp->devicePixelRatio() != 1.0) return false;
    const xcb_setup_t* setup = xcb_get_setup(x11->connection());
    auto screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem) return false;
    for (; screens.rem; xcb_screen_next(&screens))
        if (!HoldsRgb32(setup, screens.data->root_depth, screens.data->root_visual)) return false;
    return true;
}

std::unique_ptr<TX11Surface> TX11Surface::Open(WId window) {
    auto* x11 = X11();
    if (!x11 || !x11->display() || !window || qApp->devicePixelRatio() != 1.0) return nullptr;
    xcb_connection_t* connection = xcb_connect(XDisplayString(x11->display()), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    const auto id = static_cast<xcb_window_t>(window);
    // The window is Qt's: when this connection does not know it yet, Qt's requests to make
    // it are still on their way, which one round trip on Qt's connection sees through.
    xcb_get_window_attributes_reply_t* attributes = nullptr;
    xcb_get_geometry_reply_t* geometry = nullptr;
    for (int attempt = 0; attempt < 2 && !(attributes && geometry); ++attempt) {
        if (attempt == 1)
            std::free(xcb_get_input_focus_reply(x11->connection(),
                                                xcb_get_input_focus(x11->connection()), nullptr));
        std::free(attributes);
        std::free(geometry);
        const auto attributesAsked = xcb_get_window_attributes(connection, id);
        const auto geometryAsked = xcb_get_geometry(connection, id);
        attributes = xcb_get_window_attributes_reply(connection, attributesAsked, nullptr);
        geometry = xcb_get_geometry_reply(connection, geometryAsked, nullptr);
    }
    const bool fits = attributes && geometry &&
                      HoldsRgb32(xcb_get_setup(connection), geometry->depth, attributes->visual);
    const uint8_t depth = geometry ? geometry->depth : 0;
    std::free(attributes);
    std::free(geometry);
    if (!fits) {
        xcb_disconnect(connection);
        return nullptr;
    }
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    const uint32_t noExposures = 0;
    xcb_create_gc(connection, gc, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    return std::unique_ptr<TX11Surface>(new TX11Surface(connection, id, gc, depth));
}

TX11Surface::TX11Surface(xcb_connection_t* connection, uint32_t window, uint32_t gc, uint8_t depth)
    : connection_(connection), window_(window), gc_(gc), depth_(depth),
      maxRequestBytes_(size_t{xcb_get_maximum_request_length(connection)} * 4),
      maxUnwaitedBytes_(kMaxUnwaitedBytes) {
    // A socket that signals room has three quarters of its buffer free (Linux): a quarter goes
    // without waiting.
    int sendBuffer = 0;
    socklen_t length = sizeof sendBuffer;
    if (::getsockopt(xcb_get_file_descriptor(connection), SOL_SOCKET, SO_SNDBUF, &sendBuffer,
                     &length) == 0 &&
        sendBuffer > 0)
        maxUnwaitedBytes_ = std::min(maxUnwaitedBytes_, size_t(sendBuffer) / 4);
}

TX11Surface::~TX11Surface() {
    xcb_free_gc(connection_, gc_);
    xcb_disconnect(connection_);
}

bool TX11Surface::TakesWithoutWaiting(size_t bytes) const {
    if (bytes > maxUnwaitedBytes_ || xcb_connection_has_error(connection_)) return false;
    pollfd room{xcb_get_file_descriptor(connection_), POLLOUT, 0};
    return ::poll(&room, 1, 0) == 1 && (room.revents & POLLOUT);
}

void TX11Surface::Put(const QImage& image, const QRect& from, QPoint to) {
    const QRect part = from & image.rect();
    if (part.isEmpty() || image.format() != QImage::Format_RGB32) return;
    to += part.topLeft() - from.topLeft();
    const size_t lineBytes = size_t(part.width()) * 4;
    const bool packed = part.left() == 0 && size_t(image.bytesPerLine()) == lineBytes;
    // A request carries at most maxRequestBytes_: taller parts go as bands of whole lines.
    const int bandLines =
        int(std::max<size_t>(1, (maxRequestBytes_ - kPutImageHeader) / lineBytes));
    for (int top = part.top(); top <= part.bottom(); top += bandLines) {
        const int lines = std::min(bandLines, part.bottom() + 1 - top);
        const uint8_t* data = image.constScanLine(top) + size_t(part.left()) * 4;
        if (!packed) {
            rows_.resize(lineBytes * size_t(lines));
            for (int y = 0; y < lines; ++y)
                std::memcpy(rows_.data() + lineBytes * size_t(y),
                            image.constScanLine(top + y) + size_t(part.left()) * 4, lineBytes);
            data = rows_.data();
        }
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, uint16_t(part.width()),
                      uint16_t(lines), int16_t(to.x()), int16_t(to.y() + top - part.top()), 0,
                      depth_, uint32_t(lineBytes * size_t(lines)), data);
    }
}

void TX11Surface::Flush() {
    xcb_flush(connection_);
    while (xcb_generic_event_t* said = xcb_poll_for_event(connection_)) std::free(said);
}

} // namespace orv

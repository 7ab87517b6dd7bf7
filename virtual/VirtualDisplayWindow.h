// TfrmVirtualDisplay: the small borderless window, always on top, that mirrors the panel in one
// TLCDLabel (LCDScreen) with buttons to close it and to step to the next or previous screen.
// It is dragged by its body and snaps to the screen edges. Texts come from the main language
// file with the prefix "3_".
//
// Use (GUI thread):
//
//     auto* display = new TfrmVirtualDisplay(core.Settings(),
//         [&](TNavigationRequest request) { Navigate(request); }, mainWindow);
//     display->SetGeometry(core.Rows(), core.Cols());
//     display->ApplySettings(core.Settings().VirtualScreen);
//     display->show();
//     feed.SetDisplay(display); // virtual/VirtualDisplayFeed.h: frames from the display thread
//
// The window reads its position from the settings when created and writes it back
// (SaveVirtualScreenPosition) when destroyed; btnClose only hides it.
#pragma once

#include "engine/CustomGlyph.h"
#include "engine/Navigation.h"
#include "base/LanguageFile.h"
#include "host/SettingsValues.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QToolButton;

namespace orv {

class TLCDLabel;
class TSettings;

// The window's left top corner after a drag to window: snapped to 0 when an edge is at most 9
// pixels from the screen's left or top; against the right edge when it lies beyond the screen
// width - 10; against maximisedHeight when its bottom lies below it.
QPoint SnapToScreenEdges(const QRect& window, const QRect& screen, int maximisedHeight);

class TfrmVirtualDisplay : public QWidget {
    Q_OBJECT
public:
    // navigate is the screen-step request of the buttons: navNext and navPrevious. The language
    // comes from settings.Common.Language and lngPath; with the template switch on the
    // command line the window writes its texts into lngPath instead.
    using TNavigate = std::function<void(TNavigationRequest request)>;
    TfrmVirtualDisplay(TSettings& settings, TNavigate navigate, QWidget* parent = nullptr,
                       const std::string& lngPath = MainLanguagePath());
    ~TfrmVirtualDisplay() override; // saves the position

    // The window's operations: each passes the value to LCDScreen and lays the window out.
    void SetRows(int32_t rows);
    void SetColumns(int32_t cols);
    void SetOnColour(uint32_t color);
    void SetOffColour(uint32_t color);
    void SetBackground(uint32_t color); // also Panel1's colour
    void SetPixelWidth(int32_t width);
    void SetPixelHeight(int32_t height);

    // Rows then columns.
    void SetGeometry(int32_t rows, int32_t cols);
    // On, off and background colour, pixel width and height.
    void ApplySettings(const TVirtualScreenSettings& settings);

    // The display's rows (Windows-1251, each as sent to the panel), shown as one caption.
    void ShowRows(const std::vector<std::string>& rows);
    // A user-defined character: code 1..8.
    void DefineChar(uint8_t code, const TGlyphRows& rows);

    TLCDLabel& Screen() { return *LCDScreen_; }

signals:
    // The window was shown (true) or hidden (false).
    void VisibilityChanged(bool shown);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Relayout();

    TSettings& settings_;
    TNavigate navigate_;
    QWidget* Panel1_ = nullptr;
    TLCDLabel* LCDScreen_ = nullptr;
    QToolButton* btnClose_ = nullptr;
    QToolButton* btnNext_ = nullptr;
    QToolButton* btnPrev_ = nullptr;
    QPoint dragOffset_;
};

} // namespace orv

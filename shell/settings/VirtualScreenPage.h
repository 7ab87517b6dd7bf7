// Settings page "Виртуальный экран" (tsVirtualScreen): whether the virtual display mirrors the
// panel, its three colours and its dot size. The two dot sizes never both stay at 1: setting one
// to 1 while the other is 1 moves the other to 2.
#pragma once

#include "host/SettingsValues.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace orv {

class TVirtualScreenPage : public QWidget {
    Q_OBJECT
public:
    explicit TVirtualScreenPage(QWidget* parent = nullptr);

    void Fill(const TVirtualScreenSettings& values);
    // "Show", the colours and the dot sizes as the page holds them; the window position is
    // kept from values.
    void Take(TVirtualScreenSettings& values) const;

signals:
    // cbShowVirtualScreen: an existing virtual display window is shown or hidden at once.
    void ShowToggled(bool show);
    // "Посмотреть": the window (created when needed) shown with the page's colours and sizes.
    void PreviewRequested(const orv::TVirtualScreenSettings& look);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShareHint(const QLabel& label);
    void KeepDotSizesApart(QSlider& changed, QSlider& other);

    QCheckBox* cbShowVirtualScreen_;
    QPushButton* cbPixelOn_;
    QPushButton* cbPixelOff_;
    QPushButton* cbBackground_;
    QSlider* tbHorizSize_;
    QSlider* tbVertSize_;
    QLabel* lblHorizSize_;
    QLabel* lblVertSize_;
    QPushButton* btnVirtualScreenCheck_;
};

} // namespace orv

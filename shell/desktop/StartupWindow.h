// The start-up window: the program's picture with the progress text (lblStart) and the version
// (lblVer) in white bold over it, centred on the screen and above other windows. It exists only
// while the program starts.
#pragma once

#include <QLabel>
#include <QWidget>

#include <string_view>

namespace orv {

class TStartupWindow final : public QWidget {
public:
    TStartupWindow();

    // Sets the progress text (UTF-8).
    void SetProgress(std::string_view text);
    QString Progress() const { return lblStart_->text(); }

private:
    QLabel *lblStart_;
    QLabel *lblVer_;
};

} // namespace orv

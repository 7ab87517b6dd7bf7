// The start-up window: the program's picture with the progress text (lblStart) and the version
// (lblVer) in white bold over it, centred on the screen and above other windows. It exists only
// while the program starts. While a dialog (a message box) shows, it steps aside so that the
// dialog is never hidden behind it, and comes back when the last dialog closes.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <string_view>
#include <vector>

namespace orv {

class TStartupWindow final : public QWidget {
public:
    TStartupWindow();
    ~TStartupWindow() override;

    // Sets the progress text (UTF-8).
    void SetProgress(std::string_view text);
    QString Progress() const { return lblStart_->text(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QPointer<QWidget>> dialogs_; // the dialogs open now

    QLabel* lblStart_;
    QLabel* lblVer_;
};

} // namespace orv

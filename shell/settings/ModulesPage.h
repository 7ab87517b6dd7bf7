// Settings page "Модули" (tsPlugins): the module table as a list grouped by kind, turning a
// module on and off at once (saved with the settings) and opening its settings dialog.
#pragma once

#include <QWidget>

#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

namespace orv {

class TModuleHost;

class TModulesPage : public QWidget {
    Q_OBJECT
public:
    TModulesPage(TModuleHost& host, QWidget* parent = nullptr);

    // Refills the list from the table; the row selected before is selected again.
    void Refill();
    // No module selected: both buttons off, no description.
    void ClearSelection();

signals:
    // A driver was turned on or off or reconfigured: the current driver and the panel geometry
    // may have changed.
    void DriverChanged();

private:
    // The table index of the selected row; none for a separator or no selection.
    std::optional<size_t> SelectedModule() const;
    void ShowSelected();
    void Turn();
    void Configure();

    TModuleHost& host_;
    QListWidget* lbPlugins_;
    QPushButton* btnTurn_;
    QPushButton* btnConfig_;
    QLabel* lblDescr_;
};

} // namespace orv

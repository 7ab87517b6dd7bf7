#include "shell/settings/ModulesPage.h"

#include "host/modulehost/ModuleHost.h"
#include "shell/settings/ModuleListDelegate.h"
#include "base/ui/NamedControl.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace orv {

namespace {

// The description keeps the module's line breaks; a CR alone breaks a line too.
QString DescriptionText(const std::string& cp1251) {
    QString text = FromCp1251(cp1251);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    return text;
}

} // namespace

TModulesPage::TModulesPage(TModuleHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName("tsPlugins");
    lbPlugins_ = Named(new QListWidget(this), "lbPlugins");
    lbPlugins_->setItemDelegate(new TModuleListDelegate(host_, lbPlugins_));
    lbPlugins_->setSelectionMode(QAbstractItemView::SingleSelection);
    btnTurn_ = Named(new QPushButton(this), "btnTurn");
    btnConfig_ = Named(new QPushButton(Utf8("Свойства"), this), "btnConfig");
    lblDescr_ = Named(new QLabel(this), "lblDescr");
    lblDescr_->setWordWrap(true);
    lblDescr_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescr_->setTextFormat(Qt::PlainText);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lbPlugins_, 0, 0, 3, 1);
    layout->addWidget(btnTurn_, 0, 1);
    layout->addWidget(btnConfig_, 1, 1);
    layout->addWidget(lblDescr_, 2, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);

    connect(lbPlugins_, &QListWidget::currentRowChanged, this, &TModulesPage::ShowSelected);
    connect(lbPlugins_, &QListWidget::itemDoubleClicked, this, [this] {
        if (SelectedModule()) Turn();
    });
    connect(btnTurn_, &QPushButton::clicked, this, &TModulesPage::Turn);
    connect(btnConfig_, &QPushButton::clicked, this, &TModulesPage::Configure);
    ClearSelection();
}

void TModulesPage::Refill() {
    const int row = lbPlugins_->currentRow();
    {
        const QSignalBlocker quiet(lbPlugins_);
        lbPlugins_->clear();
        for (const TModuleListItem& item : host_.ModuleListItems()) {
            auto* listItem = new QListWidgetItem(FromCp1251(item.Text), lbPlugins_);
            listItem->setData(kModuleIndexRole, QVariant::fromValue(item.TableIndex));
        }
    }
    if (row >= 0 && row < lbPlugins_->count())
        lbPlugins_->setCurrentRow(row);
    else
        ClearSelection();
    ShowSelected();
    // Wide enough for the longest name, with room for the scroll bar.
    lbPlugins_->setMinimumWidth(lbPlugins_->sizeHintForColumn(0) + 2 * lbPlugins_->frameWidth() +
                                lbPlugins_->verticalScrollBar()->sizeHint().width());
}

void TModulesPage::ClearSelection() {
    lbPlugins_->setCurrentRow(-1);
    btnTurn_->setEnabled(false);
    btnConfig_->setEnabled(false);
    lblDescr_->clear();
}

std::optional<size_t> TModulesPage::SelectedModule() const {
    const QListWidgetItem* item = lbPlugins_->currentItem();
    if (!item) return std::nullopt;
    const size_t index = item->data(kModuleIndexRole).value<size_t>();
    if (index >= host_.Modules().size()) return std::nullopt;
    return index;
}

void TModulesPage::ShowSelected() {
    const auto index = SelectedModule();
    btnConfig_->setEnabled(index && host_.CanConfigure(*index));
    btnTurn_->setEnabled(index.has_value());
    if (!index) {
        lblDescr_->clear();
        return;
    }
    lblDescr_->setText(DescriptionText(host_.ModuleDescriptionText(*index)));
    btnTurn_->setText(FromCp1251(host_.TurnCaption(*index)));
}

void TModulesPage::Turn() {
    const auto index = SelectedModule();
    if (!index) return;
    btnConfig_->setEnabled(false);
    const bool driver = host_.Module(*index).Kind() == TModuleKind::Driver;
    host_.Toggle(*index); // a failure has been reported by the host
    Refill();
    if (driver) emit DriverChanged();
}

void TModulesPage::Configure() {
    const auto index = SelectedModule();
    if (!index || !host_.CanConfigure(*index)) return;
    host_.Configure(*index); // a driver whose Init fails has been reported by the host
    if (host_.Module(*index).Kind() == TModuleKind::Driver) emit DriverChanged();
    ShowSelected();
}

} // namespace orv

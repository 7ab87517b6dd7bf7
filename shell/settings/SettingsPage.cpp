#include "shell/settings/SettingsPage.h"

#include "base/LanguageFile.h"
#include "host/ProgramMessages.h"
#include "host/modulehost/ErrorReport.h"
#include "appcore/ApplicationCore.h"
#include "shell/settings/CommonPage.h"
#include "shell/settings/CustomCharsPage.h"
#include "shell/settings/ModulesPage.h"
#include "base/ui/NamedControl.h"
#include "shell/settings/ShortcutsPage.h"
#include "shell/settings/VirtualScreenPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>
#include <cerrno>
#include <cstring>

namespace orv {

namespace {

enum TNode : int { ndCommon, ndShortcuts, ndModules, ndVirtualScreen, ndCustomChars };

struct TNodeLook {
    TMessageId Text;
    QStyle::StandardPixmap Icon;
};

constexpr std::array<TNodeLook, 5> kNodes = {{
    {msgCommonSettings, QStyle::SP_ComputerIcon},
    {msgShortcuts, QStyle::SP_FileDialogListView},
    {msgModules, QStyle::SP_DriveHDIcon},
    {msgVirtualScreen, QStyle::SP_DesktopIcon},
    {msgCharDefinitions, QStyle::SP_FileDialogDetailedView},
}};

} // namespace

TSettingsPage::TSettingsPage(TApplicationCore& core, QWidget* parent)
    : QWidget(parent), core_(core) {
    tvSettings_ = Named(new QTreeWidget(this), "tvSettings");
    tvSettings_->setHeaderHidden(true);
    tvSettings_->setRootIsDecorated(false);
    tvSettings_->setMaximumWidth(200);
    for (const TNodeLook& node : kNodes) {
        auto* item = new QTreeWidgetItem(tvSettings_);
        item->setIcon(0, style()->standardIcon(node.Icon));
    }
    pnSettingCaption_ = Named(new QLabel(this), "pnSettingCaption");
    pnSettingCaption_->setFrameShape(QFrame::StyledPanel);
    QFont bold = pnSettingCaption_->font();
    bold.setBold(true);
    pnSettingCaption_->setFont(bold);

    pcSettings_ = Named(new QStackedWidget(this), "pcSettings");
    common_ = new TCommonPage(pcSettings_);
    shortcuts_ = new TShortcutsPage(pcSettings_);
    modules_ = new TModulesPage(core_.Host(), pcSettings_);
    virtualScreen_ = new TVirtualScreenPage(pcSettings_);
    customChars_ = new TCustomCharsPage(pcSettings_);
    for (QWidget* page : std::initializer_list<QWidget*>{common_, shortcuts_, modules_,
                                                         virtualScreen_, customChars_})
        pcSettings_->addWidget(page);

    auto* right = new QVBoxLayout;
    right->addWidget(pnSettingCaption_);
    right->addWidget(pcSettings_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tvSettings_);
    layout->addLayout(right, 1);

    connect(tvSettings_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) SelectNode(tvSettings_->indexOfTopLevelItem(item));
    });
    connect(modules_, &TModulesPage::DriverChanged, this, &TSettingsPage::DriverChanged);
    connect(virtualScreen_, &TVirtualScreenPage::ShowToggled, this,
            &TSettingsPage::VirtualScreenShown);
    connect(virtualScreen_, &TVirtualScreenPage::PreviewRequested, this,
            &TSettingsPage::VirtualScreenPreview);
    ShowNodeTexts();
}

std::string TSettingsPage::LanguageFilePath() const {
    return core_.Host().Options().ProgramFolder + "/" + std::string(kMainLanguageFileName);
}

void TSettingsPage::ShowNodeTexts() {
    for (size_t i = 0; i < kNodes.size(); ++i)
        tvSettings_->topLevelItem(int(i))->setText(0, FromCp1251(Message(kNodes[i].Text)));
    if (QTreeWidgetItem* item = tvSettings_->currentItem())
        pnSettingCaption_->setText("  " + item->text(0) + "... ");
}

void TSettingsPage::ShowModules() {
    tvSettings_->setCurrentItem(tvSettings_->topLevelItem(ndModules));
}

void TSettingsPage::ShowVersionLabel(const QString& text) { common_->ShowVersionLabel(text); }

void TSettingsPage::SelectNode(int node) {
    if (node < 0 || node >= int(kNodes.size())) return;
    pcSettings_->setCurrentIndex(node);
    pnSettingCaption_->setText("  " + tvSettings_->topLevelItem(node)->text(0) + "... ");
    if (node == ndModules) modules_->Refill();
}

void TSettingsPage::Fill() {
    core_.StopScreenSaverListener();
    ShowNodeTexts(); // the messages may have been translated since
    const TSettings& settings = core_.Settings();
    common_->Fill(settings, LanguageNames(LanguageFilePath()));
    shortcuts_->Fill(settings.Shortcuts);
    virtualScreen_->Fill(settings.VirtualScreen);
    customChars_->Fill(core_.Charsets());
    customChars_->SetLanguage(settings.Common.Language, LanguageFilePath());
    modules_->ClearSelection();
    tvSettings_->setCurrentItem(nullptr);
    tvSettings_->setCurrentItem(tvSettings_->topLevelItem(ndCommon));
}

void TSettingsPage::Save() {
    if (!common_->ProxyPortValid()) {
        const QString typed = common_->ProxyPortEdit().text();
        tvSettings_->setCurrentItem(tvSettings_->topLevelItem(ndCommon));
        common_->ProxyPortEdit().setFocus();
        ReportError(ToCp1251(Utf8("\"") + typed +
                             Utf8("\" - не номер порта: нужно целое число от 1 до 65535.")));
        return;
    }
    TSettings& settings = core_.Settings();
    common_->Take(settings);
    shortcuts_->Take(settings.Shortcuts);
    virtualScreen_->Take(settings.VirtualScreen);
    customChars_->Take(core_.Charsets());
    if (!core_.SaveSettings()) {
        // The file on the disk is unchanged; errno says why (a full disk, say).
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        ReportError(ToCp1251(Utf8("Не удалось записать файл настроек ") +
                             QString::fromStdString(settings.Path()) + QStringLiteral(": ") +
                             reason));
    }
    emit Saved();
}

} // namespace orv

#include "shell/settings/CommonPage.h"

#include "host/ProgramMessages.h"
#include "host/SettingKeys.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"
#include "shell/update/InetCheck.h"
#include "base/ui/JobFileDialog.h"
#include "base/ui/NamedControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace orv {

namespace {

// The chooser's name for the texts built into the program.
constexpr const char* kBuiltInLanguageName = "Русский";

QCheckBox* Check(const char* name, const char* text, QWidget* parent) {
    return Named(new QCheckBox(Utf8(text), parent), name);
}

QLineEdit* Edit(const char* name, QWidget* parent) { return Named(new QLineEdit(parent), name); }

// A spin box over the range the settings file allows for the key of field.
QSpinBox* Spin(const char* name, int32_t TCommonSettings::*field, QWidget* parent) {
    static TSettingsValues model;
    const TSettingKey* key = FindSettingKey(model, &(model.Common.*field));
    auto* spin = Named(new QSpinBox(parent), name);
    spin->setRange(key->Min, key->Max);
    return spin;
}

} // namespace

TCommonPage::TCommonPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsCommon");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroll);
    auto* body = new QWidget(scroll);
    scroll->setWidget(body);
    auto* layout = new QVBoxLayout(body);

    auto* start = new QGroupBox(Utf8("Запуск и выход"), body);
    auto* startForm = new QFormLayout(start);
    cbAutostart_ = Check("cbAutostart", "Запускать программу при входе в систему", start);
    cbShowSplash_ = Check("cbShowSplash", "Показывать заставку при запуске", start);
    cbAutoLoadJob_ = Check("cbAutoLoadJob", "Загружать файл заданий после запуска", start);
    edAutoLoadJobName_ = Edit("edAutoLoadJobName", start);
    btnSelectJobName_ = Named(new QPushButton("...", start), "btnSelectJobName");
    btnSelectJobName_->setToolTip(Utf8("Выбрать файл заданий"));
    auto* jobRow = new QHBoxLayout;
    jobRow->addWidget(edAutoLoadJobName_);
    jobRow->addWidget(btnSelectJobName_);
    edStartMsg_ = Edit("edStartMsg", start);
    edStartMsg2_ = Edit("edStartMsg2", start);
    edQuitMsg_ = Edit("edQuitMsg", start);
    edQuitMsg2_ = Edit("edQuitMsg2", start);
    startForm->addRow(cbAutostart_);
    startForm->addRow(cbShowSplash_);
    startForm->addRow(cbAutoLoadJob_);
    startForm->addRow(jobRow);
    startForm->addRow(Utf8("Сообщение при запуске, строка 1:"), edStartMsg_);
    startForm->addRow(Utf8("Сообщение при запуске, строка 2:"), edStartMsg2_);
    startForm->addRow(Utf8("Сообщение при выходе, строка 1:"), edQuitMsg_);
    startForm->addRow(Utf8("Сообщение при выходе, строка 2:"), edQuitMsg2_);
    layout->addWidget(start);

    auto* display = new QGroupBox(Utf8("Вывод на экран"), body);
    auto* displayForm = new QFormLayout(display);
    udBaseTimeout_ = Spin("udBaseTimeout", &TCommonSettings::BaseTimeoutMs, display);
    udLongDelay_ = Spin("udLongDelay", &TCommonSettings::LongDelayPeriod, display);
    udSubScreenTime_ = Spin("udSubScreenTime", &TCommonSettings::SubScreenShowTimeSec, display);
    udTransitionSpeed_ = Spin("udTransitionSpeed", &TCommonSettings::TransitionSpeedMs, display);
    cbCalcTime_ =
        Check("cbCalcTime", "Удлинять показ экрана, пока длинные строки не прокрутятся", display);
    cbShowLcdScreensaver_ = Check("cbShowLCDScreensaver",
                                  "Показывать LCD-заставку вместе с системной заставкой", display);
    cbUseScrollDelimiter_ = Check("cbUseScrollDelimiter", "Разделитель бегущей строки:", display);
    edScrollDelimiter_ = Edit("edScrollDelimiter", display);
    displayForm->addRow(Utf8("Базовая задержка, мс:"), udBaseTimeout_);
    displayForm->addRow(Utf8("Множитель долгой задержки:"), udLongDelay_);
    displayForm->addRow(Utf8("Время показа подэкрана, с:"), udSubScreenTime_);
    displayForm->addRow(Utf8("Длительность перехода между экранами, мс:"), udTransitionSpeed_);
    displayForm->addRow(cbCalcTime_);
    displayForm->addRow(cbShowLcdScreensaver_);
    displayForm->addRow(cbUseScrollDelimiter_, edScrollDelimiter_);
    layout->addWidget(display);

    auto* window = new QGroupBox(Utf8("Окно программы"), body);
    auto* windowForm = new QFormLayout(window);
    cbLanguage_ = Named(new QComboBox(window), "cbLanguage");
    cbShowHint_ = Check("cbShowHint", "Показывать подсказки", window);
    cbBoldEditLine_ =
        Check("cbBoldEditLine", "Выделять редактируемую строку жирным шрифтом", window);
    cbUseAnimation_ = Check("cbUseAnimation", "Анимация окна", window);
    windowForm->addRow(Utf8("Язык:"), cbLanguage_);
    windowForm->addRow(cbShowHint_);
    windowForm->addRow(cbBoldEditLine_);
    windowForm->addRow(cbUseAnimation_);
    layout->addWidget(window);

    auto* net = new QGroupBox(Utf8("Интернет"), body);
    auto* netForm = new QFormLayout(net);
    edProxy_ = Edit("edProxy", net);
    edProxyPort_ = Edit("edProxyPort", net);
    cbCheckUpdates_ = Check("cbCheckUpdates", "Проверять наличие новой версии при запуске", net);
    lblVer_ = Named(new QLabel(net), "lblVer");
    netForm->addRow(Utf8("Прокси-сервер:"), edProxy_);
    netForm->addRow(Utf8("Порт:"), edProxyPort_);
    netForm->addRow(cbCheckUpdates_);
    netForm->addRow(lblVer_);
    layout->addWidget(net);
    layout->addStretch();

    connect(cbAutoLoadJob_, &QCheckBox::toggled, this, [this](bool on) {
        edAutoLoadJobName_->setEnabled(on);
        btnSelectJobName_->setEnabled(on);
    });
    connect(btnSelectJobName_, &QPushButton::clicked, this, &TCommonPage::SelectJobFile);
}

void TCommonPage::SelectJobFile() {
    const QString path = AskJobFile(this, {.Save = false,
                                           .Current = edAutoLoadJobName_->text(),
                                           .Folder = QString::fromStdString(DocumentsFolder()),
                                           .FilterName = FromCp1251(Message(msgJobFilesFilter)),
                                           .AllFilesName = FromCp1251(Message(msgAllFilesFilter))});
    if (!path.isEmpty()) edAutoLoadJobName_->setText(path);
}

void TCommonPage::Fill(const TSettingsValues& values, const std::vector<std::string>& languages) {
    const TCommonSettings& common = values.Common;
    cbAutostart_->setChecked(common.Autostart);
    cbShowSplash_->setChecked(common.ShowSplashScreen);
    cbAutoLoadJob_->setChecked(common.AutoloadJob);
    edAutoLoadJobName_->setText(FromCp1251(common.JobName));
    edAutoLoadJobName_->setEnabled(common.AutoloadJob);
    btnSelectJobName_->setEnabled(common.AutoloadJob);
    edStartMsg_->setText(FromCp1251(common.StartMsg));
    edStartMsg2_->setText(FromCp1251(common.StartMsgLine2));
    edQuitMsg_->setText(FromCp1251(common.QuitMsg));
    edQuitMsg2_->setText(FromCp1251(common.QuitMsgLine2));
    // Long messages show from their start.
    for (QLineEdit* edit : {edStartMsg_, edStartMsg2_, edQuitMsg_, edQuitMsg2_})
        edit->setCursorPosition(0);
    // The built-in Russian first (an empty "Language"), then the sections of the language file.
    cbLanguage_->clear();
    cbLanguage_->addItem(Utf8(kBuiltInLanguageName), QString());
    cbLanguage_->setCurrentIndex(common.Language.empty() ? 0 : -1);
    for (const std::string& language : languages) {
        cbLanguage_->addItem(FromCp1251(language), FromCp1251(language));
        if (EqualsNoCase(language, common.Language))
            cbLanguage_->setCurrentIndex(cbLanguage_->count() - 1);
    }
    cbShowHint_->setChecked(common.ShowHint);
    udBaseTimeout_->setValue(common.BaseTimeoutMs);
    udLongDelay_->setValue(common.LongDelayPeriod);
    cbCalcTime_->setChecked(common.CalculateTimeForLongStrings);
    udSubScreenTime_->setValue(common.SubScreenShowTimeSec);
    cbShowLcdScreensaver_->setChecked(common.ShowLcdScreensaver);
    udTransitionSpeed_->setValue(common.TransitionSpeedMs);
    cbBoldEditLine_->setChecked(common.BoldEditLine);
    cbUseAnimation_->setChecked(common.UseAnimation);
    edScrollDelimiter_->setText(FromCp1251(common.ScrollDelimiter));
    cbUseScrollDelimiter_->setChecked(common.UseScrollDelimiter);

    const TINetSettings& net = values.INet;
    edProxy_->setText(FromCp1251(net.Proxy));
    edProxyPort_->setText(QString::number(net.ProxyPort));
    cbCheckUpdates_->setChecked(net.CheckUpdates);
    lblVer_->setText(versionLabel_.isEmpty() ? FromCp1251(Message(msgLatestVersion) + net.Ver)
                                             : versionLabel_);
}

void TCommonPage::ShowVersionLabel(const QString& text) {
    versionLabel_ = text;
    lblVer_->setText(text);
}

bool TCommonPage::ProxyPortValid() const {
    static TSettingsValues model;
    const TSettingKey* key = FindSettingKey(model, &model.INet.ProxyPort);
    const auto port = ParseInt32(edProxyPort_->text().toStdString());
    return port && *port >= key->Min && *port <= key->Max;
}

void TCommonPage::Take(TSettingsValues& values) const {
    TCommonSettings& common = values.Common;
    common.Autostart = cbAutostart_->isChecked();
    common.ShowSplashScreen = cbShowSplash_->isChecked();
    common.AutoloadJob = cbAutoLoadJob_->isChecked();
    common.JobName = ToCp1251(edAutoLoadJobName_->text());
    common.StartMsg = ToCp1251(edStartMsg_->text());
    common.StartMsgLine2 = ToCp1251(edStartMsg2_->text());
    common.QuitMsg = ToCp1251(edQuitMsg_->text());
    common.QuitMsgLine2 = ToCp1251(edQuitMsg2_->text());
    common.Language = ToCp1251(cbLanguage_->currentData().toString());
    common.ShowHint = cbShowHint_->isChecked();
    common.BaseTimeoutMs = udBaseTimeout_->value();
    common.LongDelayPeriod = udLongDelay_->value();
    common.CalculateTimeForLongStrings = cbCalcTime_->isChecked();
    common.SubScreenShowTimeSec = udSubScreenTime_->value();
    common.ShowLcdScreensaver = cbShowLcdScreensaver_->isChecked();
    common.TransitionSpeedMs = udTransitionSpeed_->value();
    common.BoldEditLine = cbBoldEditLine_->isChecked();
    common.UseAnimation = cbUseAnimation_->isChecked();
    common.ScrollDelimiter = ToCp1251(edScrollDelimiter_->text());
    common.UseScrollDelimiter = cbUseScrollDelimiter_->isChecked();

    TINetSettings& net = values.INet;
    net.Proxy = ToCp1251(edProxy_->text());
    if (ProxyPortValid()) net.ProxyPort = *ParseInt32(edProxyPort_->text().toStdString());
    net.CheckUpdates = cbCheckUpdates_->isChecked();
}

} // namespace orv

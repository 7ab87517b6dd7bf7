// Settings page "Общие настройки" (tsCommon): start-up and exit, the language, the display
// thread's timing, the editor's options, the proxy and the update check.
#pragma once

#include "host/SettingsValues.h"

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace orv {

class TCommonPage : public QWidget {
    Q_OBJECT
public:
    explicit TCommonPage(QWidget* parent = nullptr);

    // languages: the section names of the main language file (Windows-1251).
    void Fill(const TSettingsValues& values, const std::vector<std::string>& languages);
    // The proxy port as typed, when it is a port number.
    bool ProxyPortValid() const;
    QLineEdit& ProxyPortEdit() const { return *edProxyPort_; }
    // Takes the page's values into values; the proxy port only when it is valid.
    void Take(TSettingsValues& values) const;
    // lblVer as the update check found it ("Последняя версия: " and the page's version); from
    // then on Fill keeps it instead of showing "Ver" of the settings.
    void ShowVersionLabel(const QString& text);

private:
    void SelectJobFile();

    QCheckBox* cbAutostart_;
    QCheckBox* cbShowSplash_;
    QCheckBox* cbAutoLoadJob_;
    QLineEdit* edAutoLoadJobName_;
    QPushButton* btnSelectJobName_;
    QLineEdit* edStartMsg_;
    QLineEdit* edStartMsg2_;
    QLineEdit* edQuitMsg_;
    QLineEdit* edQuitMsg2_;
    QComboBox* cbLanguage_;
    QCheckBox* cbShowHint_;
    QSpinBox* udBaseTimeout_;
    QSpinBox* udLongDelay_;
    QCheckBox* cbCalcTime_;
    QSpinBox* udSubScreenTime_;
    QCheckBox* cbShowLcdScreensaver_;
    QSpinBox* udTransitionSpeed_;
    QCheckBox* cbBoldEditLine_;
    QCheckBox* cbUseAnimation_;
    QCheckBox* cbUseScrollDelimiter_;
    QLineEdit* edScrollDelimiter_;
    QLineEdit* edProxy_;
    QLineEdit* edProxyPort_;
    QCheckBox* cbCheckUpdates_;
    QLabel* lblVer_;
    QString versionLabel_;
};

} // namespace orv

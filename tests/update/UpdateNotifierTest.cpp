// The desktop program's side of the update check: the label, the two message boxes and the
// download page opened on Yes (through QDesktopServices' handler for http).
#include "base/Cp1251.h"
#include "host/ProgramMessages.h"
#include "shell/update/ui/UpdateNotifier.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TempDir.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

class TOpenedUrls final : public QObject {
    Q_OBJECT
public:
    QStringList urls;
public slots:
    void Open(const QUrl& url) { urls << url.toString(); }
};

namespace {

struct TShownBox {
    QString caption, text;
};

class UpdateNotifier : public ::testing::Test {
protected:
    void SetUp() override {
        OffscreenApp();
        QDesktopServices::setUrlHandler("http", &opened, "Open");
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler("http"); }

    // Runs a check against page; every message box shown is answered with answer.
    void RunCheck(const std::string& page, QMessageBox::StandardButton answer) {
        server.Serve("/version.txt", {.Body = page});
        TUpdateNotifier notifier({.SettingsPath = docs / "Orvanta3.ini",
                                  .INet = {},
                                  .Url = server.Address() + "/version.txt",
                                  .OwnVersion = "3.0.7.11"});
        QObject::connect(&notifier, &TUpdateNotifier::VersionLabelChanged,
                         [&](const QString& text) { label = text; });
        QEventLoop loop;
        QObject::connect(&notifier, &TUpdateNotifier::Finished, &loop, &QEventLoop::quit);
        QPointer<QWidget> last; // null again once a box is gone: the next may reuse its address
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == last) return;
            last = box;
            boxes.push_back({box->windowTitle(), box->text()});
            if (QAbstractButton* button = box->button(answer))
                button->click();
            else
                box->accept();
        });
        poll.start(10);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit); // a failing check ends the test
        notifier.Start();
        loop.exec();
    }

    TempDir docs;
    ScopedEnv stateHome{"XDG_STATE_HOME", docs / "state"}; // each check starts due
    TLoopbackHttpServer server;
    TOpenedUrls opened;
    QString label;
    std::vector<TShownBox> boxes;
};

QString Text(const char* cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

TEST_F(UpdateNotifier, YesOpensTheDownloadPageThenTheNextCheckIsAnnounced) {
    RunCheck("3.0.7.9\nhttp://127.0.0.1/download\n", QMessageBox::Yes);
    EXPECT_EQ(label, QString::fromUtf8("Последняя версия: 3.0.7.9"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, Text(Message(msgNewVersionCaption).c_str()));
    EXPECT_EQ(boxes[0].text, Text(Message(msgNewVersionQuestion).c_str()));
    EXPECT_EQ(boxes[1].caption, QString::fromUtf8("Проверка обновлений"));
    EXPECT_EQ(opened.urls, QStringList{"http://127.0.0.1/download"});
}

TEST_F(UpdateNotifier, TheSameVersionShowsNoBox) {
    RunCheck("3.0.7.11\nhttp://127.0.0.1/download\n", QMessageBox::Yes);
    EXPECT_EQ(label, QString::fromUtf8("Последняя версия: 3.0.7.11"));
    EXPECT_TRUE(boxes.empty());
}

} // namespace

#include "UpdateNotifierTest.moc"

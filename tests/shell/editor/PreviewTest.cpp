// The preview on the emulated panel and in the virtual display, and how an edit ends it.
#include "tests/shell/editor/EditorRig.h"

#include "drivers/portio/Hd44780Panel.h"
#include "virtual/LCDLabel.h"

#include <QLabel>
#include <QPushButton>

#include <regex>

namespace orv::test {
namespace {

// A row of bar cells: custom characters and blanks, with at least one custom character.
bool IsBar(const std::string& row) {
    static const std::regex bar("^( |①|②|③|④|⑤|⑥|⑦|⑧)*$");
    return std::regex_match(row, bar) && row.find_first_not_of(' ') != std::string::npos;
}

TEST_F(EditorTest, PreviewShowsTheLinesUntilAnEditEndsIt) {
    WriteSettings();
    AppendSettings("[ramgauge.so]\nActive=1\n[Virtual screen]\nShow=1\n");
    Start();
    TfrmVirtualDisplay* display = window->VirtualDisplay();
    ASSERT_NE(display, nullptr);
    Type(1, "$time$");
    Type(2, "$memUsing[,,10,2,bar]$");

    auto& preview = Control<QPushButton>("btnPreview");
    preview.click();
    EXPECT_TRUE(preview.isChecked());
    EXPECT_TRUE(Editor().PreviewRunning());
    EXPECT_FALSE(Control("btnClose").isEnabled());
    EXPECT_FALSE(Control("btnHide").isEnabled());
    EXPECT_EQ(Child<QLabel>(*window, "LCDCaption").text(),
              QStringLiteral("Orvanta3: предварительный просмотр..."));

    // $time$ is the time of day in seconds.
    const std::regex clock(R"(^\d{1,5} *$)");
    EXPECT_TRUE(WaitForPanel(
        state,
        [&](const auto& rows) {
            return rows.size() == 4 && std::regex_match(rows[0], clock) && IsBar(rows[1]);
        },
        [] { QTest::qWait(50); }))
        << ReadText(state);
    // The virtual display shows the same rows: the time, then bar codes 1..8.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const std::string& caption = display->Screen().Caption();
            return caption.size() == 80 && std::regex_match(caption.substr(0, 20), clock) &&
                   caption.substr(20, 20).find_first_of("\x01\x02\x03\x04\x05\x06\x07\x08") !=
                       std::string::npos;
        },
        20000))
        << display->Screen().Caption();
    // The job keeps what was typed; the preview changed nothing in it.
    EXPECT_EQ(LineText(0, 1), "$time$");

    // One character typed: the preview stops and the panel says "Настройка...".
    QTest::keyClick(&Line(1), Qt::Key_X);
    EXPECT_FALSE(Editor().PreviewRunning());
    EXPECT_FALSE(preview.isChecked());
    EXPECT_TRUE(Control("btnClose").isEnabled());
    EXPECT_TRUE(Control("btnHide").isEnabled());
    EXPECT_EQ(LineText(0, 1), "$time$x");
    const std::string settingsText = Hd44780ShownText("Настройка..."_cp1251);
    EXPECT_TRUE(WaitForPanel(
        state,
        [&](const auto& rows) {
            return rows.size() == 4 && rows[0].starts_with(settingsText) &&
                   rows[1].find_first_not_of(' ') == std::string::npos;
        },
        [] { QTest::qWait(50); }))
        << ReadText(state);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return display->Screen().Caption().starts_with("Настройка..."_cp1251); }, 20000));
}

TEST_F(EditorTest, PreviewEndsWithTheButtonAndWithTheSettingsPage) {
    WriteSettings();
    Start();
    Type(1, "static text");
    auto& preview = Control<QPushButton>("btnPreview");
    preview.click();
    EXPECT_TRUE(WaitForRow(0, "static text"));
    preview.click(); // up again: the panel is cleared
    EXPECT_FALSE(Editor().PreviewRunning());
    EXPECT_TRUE(WaitForRow(0, std::string(20, ' ')));

    preview.click();
    EXPECT_TRUE(WaitForRow(0, "static text"));
    window->OpenSettings();
    EXPECT_FALSE(Editor().PreviewRunning());
    EXPECT_FALSE(preview.isChecked());
    EXPECT_TRUE(WaitForRow(0, Hd44780ShownText("Настройка..."_cp1251)));
}

} // namespace
} // namespace orv::test

// The tag parameter editor over the shipped data modules: every example tag opens and comes back
// unchanged, edits rebuild the expected text, the ready-made arguments fill the argument, and
// the drives module's drives appear only while it is on.
#include "engine/TagParser.h"
#include "base/Cp1251.h"
#include "host/modulehost/ModuleHost.h"
#include "shell/equation/EquationDialog.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace orv;
using namespace orv::test;

namespace {

std::vector<std::string> ShippedModuleFiles() {
    std::vector<std::string> files;
    std::istringstream list(ORVANTA3_SHIPPED_DATA_MODULES);
    for (std::string name; std::getline(list, name, ',');) files.push_back(name + ".so");
    return files;
}

// The controls of one open editor.
struct Editor {
    explicit Editor(std::string_view tag, const TTagChoices& choices)
        : dialog(std::make_unique<TfrmEquation>(tag, choices)) {}

    QString Preview() const { return Child<QLabel>(*dialog, "pnPreview").text(); }
    QComboBox& Combo(const char* name) const { return Child<QComboBox>(*dialog, name); }
    QLineEdit& Edit(const char* name) const { return Child<QLineEdit>(*dialog, name); }
    QCheckBox& Refresh() const { return Child<QCheckBox>(*dialog, "cbRefresh"); }
    // The ready-made arguments' items by caption.
    QAction* Variant(const QString& caption) const {
        for (QAction* action : Child<QMenu>(*dialog, "pmVariants").actions())
            if (action->text() == caption) return action;
        return nullptr;
    }
    QStringList Variants() const {
        QStringList captions;
        for (QAction* action : Child<QMenu>(*dialog, "pmVariants").actions())
            captions << action->text();
        return captions;
    }

    std::unique_ptr<TfrmEquation> dialog;
};

QString U(const std::string& cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

// Names and examples of the shipped data modules, loaded from the build tree.
struct ShippedModules : ::testing::Test {
    static void SetUpTestSuite() {
        for (const std::string& file : ShippedModuleFiles()) {
            auto module = std::make_unique<TBuiltModule>(file);
            if (!module->Loaded()) continue;
            const TPluginDescriptor& d = module->Descriptor();
            for (int k = 1; k <= d.TagCount && k <= kMaxTags; ++k) {
                choices.TagNames.push_back(d.TagNames[k]);
                // A tag without an example ("$mp3Check") has nothing to open.
                if (d.TagExamples[k] && *d.TagExamples[k]) examples.push_back(d.TagExamples[k]);
            }
            modules.push_back(std::move(module));
        }
    }
    static void TearDownTestSuite() { modules.clear(); }

    QApplication& app = OffscreenApp();
    static inline std::vector<std::unique_ptr<TBuiltModule>> modules;
    static inline TTagChoices choices;
    static inline std::vector<std::string> examples;
};

} // namespace

TEST_F(ShippedModules, EveryExampleTagOpensWithItsItemsAndComesBackUnchanged) {
    ASSERT_EQ(modules.size(), ShippedModuleFiles().size());
    ASSERT_GT(examples.size(), 100u);
    for (const std::string& example : examples) {
        SCOPED_TRACE(Cp1251ToUtf8(example));
        Editor editor(example, choices);
        EXPECT_EQ(editor.dialog->TagText(), example);
        EXPECT_EQ(editor.Preview(), U(example));

        // What the editor shows, against the engine's own reading of the tag.
        const TElementText parts = SplitElementText(example);
        EXPECT_EQ(editor.Combo("cbTags").currentText(), U(std::string(parts.Head) + "$"));
        EXPECT_NE(editor.Combo("cbTags").currentIndex(), editor.Combo("cbTags").count() - 1)
            << "a tag of a module is no unknown name";
        const std::vector<std::string> items = SplitParameters(parts.Params);
        auto item = [&](size_t i) {
            return i < items.size() && !items[i].empty() ? U(items[i]) : QString("-1");
        };
        EXPECT_EQ(editor.Edit("edIndex").text(), item(0));
        EXPECT_EQ(editor.Edit("edLeft").text(), item(1));
        EXPECT_EQ(editor.Edit("edWidth").text(), item(2));
        EXPECT_EQ(editor.Refresh().isChecked(), items.size() > 3 && item(3) != "-1");
    }
}

TEST_F(ShippedModules, WidthAndFormatChangesRebuildTheTag) {
    struct Change {
        const char* tag;
        const char* width;
        int format;
        const char* expected;
    };
    const Change changes[] = {
        {"$time$", "8", 0, "$time[,,8]$"},
        {"$time$", "8", 1, "$time[,,8,,flash]$"},
        {"$time[5,,,3]$", "10", 2, "$time[5,,10,3,bar]$"},
        {"$time[5,,,3]$", "0", 0, "$time[5,,,3]$"},
        {"$cpuUsage$", "16", 3, "$cpuUsage[,,16,,simple_bar]$"},
        {"$%driveUsed[0]$", "20", 4, "$%driveUsed[0,,20,,digit_bar]$"},
        {"$nowSec[,,16,4,bar]$", "", 0, "$nowSec[,,,4]$"},
        {"$nowSec[,,16,4,bar]$", "-1", 5, "$nowSec[,,,4,anim]$"},
        {"$AnimChars['1;hb_0;hb_5']$", "1", 6, "$AnimChars['1;hb_0;hb_5',,1,,anim_char]$"},
        {"$nosuchtag[2]$", "3", 1, "$nosuchtag[2,,3,,flash]$"},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.tag);
        Editor editor(change.tag, choices);
        editor.Edit("edWidth").setText(change.width);
        editor.Combo("edFormatType").setCurrentIndex(change.format);
        EXPECT_EQ(editor.dialog->TagText(), change.expected);
        EXPECT_EQ(editor.Preview(), change.expected);
    }
}

TEST_F(ShippedModules, RefreshIsAskedAtTheChosenRateOnlyWhileChecked) {
    Editor editor("$time[5,,,3]$", choices);
    auto& rate = editor.Combo("edRefresh");
    EXPECT_TRUE(rate.isEnabled());
    EXPECT_EQ(rate.currentIndex(), 2);
    editor.Refresh().setChecked(false);
    EXPECT_FALSE(rate.isEnabled());
    EXPECT_EQ(editor.dialog->TagText(), "$time[5]$");

    Editor plain("$time$", choices);
    EXPECT_FALSE(plain.Combo("edRefresh").isEnabled());
    plain.Refresh().setChecked(true);
    EXPECT_EQ(plain.dialog->TagText(), "$time[,,,2]$") << "the rate starts at \"низкая\"";
    plain.Combo("edRefresh").setCurrentIndex(3);
    plain.Edit("edLeft").setText("0");
    EXPECT_EQ(plain.dialog->TagText(), "$time[,,,4]$") << "left 0 is dropped";
    plain.Edit("edLeft").setText("r");
    plain.Combo("cbTags").setCurrentIndex(1);
    EXPECT_EQ(plain.dialog->TagText(), choices.TagNames[1] + "[,r,,4]$")
        << "another tag keeps the items";
}

TEST_F(ShippedModules, AnUnknownNameTakesThePlaceOfThePlainTextItem) {
    Editor known("$time$", choices);
    auto& tags = known.Combo("cbTags");
    EXPECT_EQ(tags.count(), static_cast<int>(choices.TagNames.size()) + 1);
    EXPECT_EQ(tags.itemText(tags.count() - 1), "$простой текст$");

    Editor unknown(Utf8ToCp1251("$Привет[1]$"), choices);
    auto& unknownTags = unknown.Combo("cbTags");
    EXPECT_EQ(unknownTags.count(), tags.count());
    EXPECT_EQ(unknownTags.currentIndex(), unknownTags.count() - 1);
    EXPECT_EQ(unknownTags.currentText(), "$Привет$");
    EXPECT_EQ(unknown.dialog->TagText(), Utf8ToCp1251("$Привет[1]$"));
}

TEST_F(ShippedModules, ReadyMadeArgumentsFillTheArgument) {
    Editor editor("$time$", choices);
    auto& argument = editor.Edit("edIndex");
    ASSERT_TRUE(editor.Variant("  12:45:13"));
    editor.Variant("  12:45:13")->trigger();
    EXPECT_EQ(editor.dialog->TagText(), "$time[5]$");
    editor.Variant("строка 3 из 4-х")->trigger();
    EXPECT_EQ(argument.text(), "34");
    EXPECT_FALSE(editor.Variant("МР3: вставить спектроскоп:")->isEnabled()) << "group captions";
    EXPECT_FALSE(editor.Variants().contains("Диски: вставить номер диска:"))
        << "no drive items without the drives module";

    // "по заданной маске..." draws the argument's character.
    argument.setText("'2;x1F'");
    QString shown;
    WhileModal([&] { editor.Variant("  по заданной маске...")->trigger(); },
               [&](QWidget& builder) {
                   shown = Child<QLineEdit>(builder, "edMask").text();
                   Child<QToolButton>(builder, "btnRevertCustomCharBuilder").click();
                   Child<QPushButton>(builder, "btnOk").click();
               });
    EXPECT_EQ(shown, "'2;x1F;x00;x00;x00;x00;x00;x00;x00'");
    EXPECT_EQ(argument.text(), "'2;x00;x1F;x1F;x1F;x1F;x1F;x1F;x1F'");
    EXPECT_EQ(editor.dialog->TagText(), "$time['2;x00;x1F;x1F;x1F;x1F;x1F;x1F;x1F']$");
}

namespace {

// The module host over the build tree's modules, drivers left alone.
TModuleHostOptions HostOptions(const std::string& settingsPath) {
    TModuleHostOptions options;
    options.ProgramFolder = ORVANTA3_OUTPUT_DIR;
    options.SettingsPath = settingsPath;
    options.ListInactiveModules = false;
    options.InitDrivers = false;
    return options;
}

// The items of one group of the ready-made arguments, below its caption.
QStringList GroupItems(TfrmEquation& dialog, const QString& caption) {
    QStringList items;
    bool inGroup = false;
    for (QAction* action : Child<QMenu>(dialog, "pmVariants").actions()) {
        if (!action->isEnabled())
            inGroup = action->text() == caption;
        else if (inGroup)
            items << action->text();
    }
    return items;
}

// The drives module switched on by the module host, reading a fake mount table.
struct DrivesModuleOn : ::testing::Test, TModuleOnFakeTree {
    DrivesModuleOn() : TModuleOnFakeTree("diskfacts.so") {}

    QApplication& app = OffscreenApp();
};

} // namespace

TEST_F(DrivesModuleOn, ItsMountedDrivesAreReadyMadeArguments) {
    ASSERT_TRUE(module.Loaded());
    ASSERT_TRUE(module.Library().Symbol(kSetSystemRootExport))
        << "the mounts come from the fake tree";
    tree.Write("/proc/self/mounts", "/dev/sda1 / ext4 rw 0 0\n"
                                    "proc /proc proc rw 0 0\n"
                                    "/dev/sda2 /home ext4 rw 0 0\n"
                                    "/dev/sdb1 /media/usb vfat rw 0 0\n");
    tree.Folder("/home");
    tree.Folder("/media/usb");
    tree.Write("/dev/sda1", "");
    tree.Write("/dev/sdb1", "");
    tree.Link("/dev/disk/by-label/system", "/dev/sda1");
    tree.Link("/dev/disk/by-label/STICK", "/dev/sdb1");
    Settings("[Common]\nLanguage=\n[diskfacts.so]\nActive=1\n");

    TModuleHost host(HostOptions(docs / "Orvanta3.ini"));
    host.Discover();
    TModuleCatalogue catalogue(host);

    TfrmEquation dialog("$driveSize[1]$", catalogue);
    EXPECT_EQ(GroupItems(dialog, "Диски: вставить номер диска:"),
              (QStringList{"/ [system]", "/home []", "/media/usb [STICK]"}));
    EXPECT_EQ(Child<QComboBox>(dialog, "cbTags").currentText(), "$driveSize$");
    for (QAction* action : Child<QMenu>(dialog, "pmVariants").actions())
        if (action->text() == "/media/usb [STICK]") action->trigger();
    EXPECT_EQ(dialog.TagText(), "$driveSize[2]$");
    host.ReleaseAll();
}

namespace {

// The user values module switched on by the module host with the sources of its settings.
struct UserValuesOn : ::testing::Test {
    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    QApplication& app = OffscreenApp();
};

} // namespace

TEST_F(UserValuesOn, TheDefinedSourcesAreReadyMadeArguments) {
    WriteText(docs / "Orvanta3.ini",
              "[Common]\nLanguage=\n[valuetap.so]\nActive=1\nSource4 kind=file\nSource4 file=/x\n"
              "Source2 kind=mqtt\nSource2 name=outdoor\nSource2 topic=home/outdoor\n");
    TModuleHost host(HostOptions(docs / "Orvanta3.ini"));
    host.Discover();
    TModuleCatalogue catalogue(host);

    TfrmEquation dialog("$userValue[1]$", catalogue);
    EXPECT_EQ(GroupItems(dialog, "Свои значения: вставить источник:"),
              (QStringList{"  outdoor", "  4"}))
        << "by name, else by number";
    for (QAction* action : Child<QMenu>(dialog, "pmVariants").actions())
        if (action->text() == "  outdoor") action->trigger();
    EXPECT_EQ(dialog.TagText(), "$userValue[outdoor]$");
    host.ReleaseAll();
}

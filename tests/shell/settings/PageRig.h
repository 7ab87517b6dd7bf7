// The settings page on the offscreen Qt platform, over a program core that runs the real modules
// of the build tree with a settings file in a temporary documents folder.
#pragma once

#include "appcore/ApplicationCore.h"
#include "shell/settings/SettingsPage.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/PrivateBlocks.h"
#include "tests/support/TempDir.h"

#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orv::test {

class TPageRig : public ::testing::Test {
protected:
    TPageRig() { OffscreenApp(); }

    // A core started on the settings file, as the desktop program starts, and its page.
    void Start() {
        core = std::make_unique<TApplicationCore>(TApplicationCoreOptions{
            .ProgramFolder = ORVANTA3_OUTPUT_DIR, .SettingsPath = SettingsFile()});
        core->StartUp();
        page = std::make_unique<TSettingsPage>(*core);
        page->Fill();
    }
    void Stop() {
        page.reset();
        core.reset();
    }

    std::string SettingsFile() const { return docs / "Orvanta3.ini"; }

    template <typename T> T& Control(const char* name) { return Child<T>(*page, name); }

    // Opens the node "Модули" and selects the row of the module library fileName; its table
    // index.
    size_t SelectModule(const std::string& fileName) {
        auto& tree = Control<QTreeWidget>("tvSettings");
        tree.setCurrentItem(tree.topLevelItem(2));
        auto& list = Control<QListWidget>("lbPlugins");
        for (int row = 0; row < list.count(); ++row) {
            const size_t index = list.item(row)->data(Qt::UserRole).value<size_t>();
            if (index < core->Host().Modules().size() &&
                core->Host().Module(index).FileName == fileName) {
                list.setCurrentRow(row);
                return index;
            }
        }
        ADD_FAILURE() << fileName << " is not in the module list";
        return 0;
    }

    void Click(const char* button) { Control<QPushButton>(button).click(); }

    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    ScopedEnv config{"XDG_CONFIG_HOME", docs / "config"};
    TPrivateBlocks blocks;
    std::unique_ptr<TApplicationCore> core;
    std::unique_ptr<TSettingsPage> page;
};

} // namespace orv::test

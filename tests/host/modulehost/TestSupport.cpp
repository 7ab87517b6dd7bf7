#include "tests/host/modulehost/TestSupport.h"

#include "abi/ConstUnit.h"
#include "base/IniFile.h"

#include <filesystem>
#include <mutex>
#include <thread>

namespace {

std::mutex lock;
std::vector<std::string> events;
std::vector<orv::test::TShownMessage> messages;

} // namespace

ORVANTA3_EXPORT void Orvanta3TestRecord(const char* event) {
    std::lock_guard guard(lock);
    events.emplace_back(event);
}

ORVANTA3_EXPORT void Orvanta3MessageBox(const char* text, const char* caption, int flags) {
    std::lock_guard guard(lock);
    messages.push_back({text, caption, flags});
}

namespace orv::test {

std::vector<std::string> Events() {
    std::lock_guard guard(lock);
    return events;
}

void ClearEvents() {
    std::lock_guard guard(lock);
    events.clear();
}

std::vector<std::string> EventsWith(const std::string& fragment) {
    std::vector<std::string> found;
    for (const std::string& e : Events())
        if (e.find(fragment) != std::string::npos) found.push_back(e);
    return found;
}

int EventIndex(const std::string& event) {
    const auto all = Events();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i] == event) return static_cast<int>(i);
    return -1;
}

std::vector<TShownMessage> ShownMessages() {
    std::lock_guard guard(lock);
    return messages;
}

void ClearShownMessages() {
    std::lock_guard guard(lock);
    messages.clear();
}

TProgramTree::TProgramTree() {
    for (TModuleKind kind : {TModuleKind::Driver, TModuleKind::Data, TModuleKind::ScreenSaver})
        std::filesystem::create_directories(dir_ / ModuleFolder(kind));
    ClearEvents();
    ClearShownMessages();
}

std::string TProgramTree::PluginPath(TModuleKind kind, const std::string& fileName) const {
    return dir_ / (std::string(ModuleFolder(kind)) + "/" + fileName);
}

void TProgramTree::AddFile(const std::string& source, TModuleKind kind,
                           const std::string& fileName) {
    std::filesystem::create_directories(
        std::filesystem::path(PluginPath(kind, fileName)).parent_path());
    std::filesystem::copy_file(source, PluginPath(kind, fileName),
                               std::filesystem::copy_options::overwrite_existing);
}

void TProgramTree::AddFixture(const std::string& fixture, TModuleKind kind,
                              const std::string& fileName) {
    AddFile(std::string(ORVANTA3_FIXTURE_DIR) + "/" + fixture + ".so", kind, fileName);
}

void TProgramTree::SetActive(const std::string& fileName, bool active) {
    TIniFile(SettingsPath()).WriteBool(fileName, "Active", active);
}

TModuleHostOptions TProgramTree::Options() const {
    TModuleHostOptions options;
    options.ProgramFolder = Folder();
    options.SettingsPath = SettingsPath();
    return options;
}

} // namespace orv::test

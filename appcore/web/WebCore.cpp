#include "appcore/web/WebCore.h"

#include "appcore/ApplicationCore.h"
#include "base/AtomicFile.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/LanguageFile.h"
#include "base/TextUtil.h"
#include "base/Trace.h"
#include "base/UserFolders.h"
#include "engine/Transitions.h"
#include "host/ProgramMessages.h"
#include "host/modulehost/TagChoices.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace orv {

namespace {

using json = nlohmann::json;

const char* const kWebSection = "Web";
const char* const kJobExtension = ".orv3";
const char* const kJobFolder = "jobs"; // beside the settings file
constexpr size_t kMaxJobFiles = 1000;
// Lets the start screen's character set give way before the job's lines use the slots.
constexpr auto kCharsetSwitch = std::chrono::milliseconds(200);
constexpr size_t kMaxPemSize = 64 * 1024;

// The library beside the program; loaded once, never unloaded (its code may still be on a
// stack of a thread that just ended).
void* WebLibrary(std::string& error) {
    static void* library = nullptr;
    if (library) return library;
    const std::string path = ProgramFolder() + "/" + kWebLibraryName;
    library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
    }
    return library;
}

template <typename F> F WebSymbol(const char* name, std::string& error) {
    void* library = WebLibrary(error);
    if (!library) return nullptr;
    auto symbol = reinterpret_cast<F>(::dlsym(library, name));
    if (!symbol) error = std::string(kWebLibraryName) + " lacks " + name;
    return symbol;
}

bool ReadSmallFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return text.size() <= kMaxPemSize;
}

// "#rrggbb" of a Windows BGR colour.
void AppendColour(std::string& out, int32_t bgr) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '#';
    for (int shift : {0, 8, 16}) {
        const unsigned byte = (static_cast<uint32_t>(bgr) >> shift) & 0xff;
        out += kHex[byte >> 4];
        out += kHex[byte & 0xf];
    }
}

void AppendNumber(std::string& out, uint64_t value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

// A row as text: the custom characters (codes 1..8) as a placeholder.
std::string RowText(const std::string& row) {
    std::string text;
    for (char c : row) text += (c >= 1 && c <= 8) ? '?' : c;
    return Cp1251ToUtf8(text);
}

} // namespace

std::optional<std::pair<std::string, uint16_t>> ParseWebAddress(const std::string& text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    std::string host = text.substr(0, colon);
    if (host.starts_with('[') && host.ends_with(']')) host = host.substr(1, host.size() - 2);
    const std::string portText = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, ec] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (ec != std::errc() || end != portText.data() + portText.size() || port == 0 ||
        port > 65535 || host.empty())
        return std::nullopt;
    return std::make_pair(host, static_cast<uint16_t>(port));
}

TWebSettings ReadWebSettings(const std::string& settingsPath) {
    const TIniDocument doc = TIniFile(settingsPath).Read();
    TWebSettings settings;
    settings.Active = doc.ReadBool(kWebSection, "Active", false);
    const std::string address = doc.ReadString(kWebSection, "Address", "127.0.0.1:8080");
    if (const auto parsed = ParseWebAddress(address)) {
        settings.Address = parsed->first;
        settings.Port = parsed->second;
    } else {
        settings.Address = address; // refused with its reason when the server starts
        settings.Port = 0;
    }
    settings.PasswordHash = doc.ReadString(kWebSection, "PasswordHash", "");
    auto file = [&](const char* key) {
        const std::string name = doc.ReadString(kWebSection, key, "");
        return name.empty() || name.starts_with('/') ? name : DirName(settingsPath) + "/" + name;
    };
    settings.Certificate = file("Certificate");
    settings.Key = file("Key");
    return settings;
}

std::string StoreWebPassword(const std::string& settingsPath, const std::string& password) {
    std::string error;
    auto hash = WebSymbol<TOrvanta3WebHashPassword>(kWebHashPasswordSymbol, error);
    if (!hash) return error;
    std::string hashed;
    if (!hash(password, hashed, error)) return error;
    if (!TIniFile(settingsPath).WriteString(kWebSection, "PasswordHash", hashed))
        return "cannot write " + settingsPath;
    return {};
}

std::string WebSettingsProblem(const TWebSettings& settings) {
    if (settings.Port == 0) return "[Web] Address \"" + settings.Address + "\" is not ADDRESS:PORT";
    if (!IsLoopbackAddress(settings.Address) && settings.PasswordHash.empty())
        return "the web interface would listen on " + settings.Address +
               ", which other computers can reach, and no password is set: set one with "
               "orvanta3d --web-password";
    return {};
}

TWebInterface::TWebInterface(TApplicationCore& core) : core_(core) {}

TWebInterface::~TWebInterface() { Stop(); }

bool TWebInterface::Start(const TWebSettings& settings) {
    Stop();
    error_ = WebSettingsProblem(settings);
    if (!error_.empty()) return false;
    TWebConfig config;
    config.Address = settings.Address;
    config.Port = settings.Port;
    config.PasswordHash = settings.PasswordHash;
    config.Language = core_.Settings().Common.Language.empty() ? "ru" : "en";
    if (!settings.Certificate.empty() || !settings.Key.empty()) {
        if (!ReadSmallFile(settings.Certificate, config.CertificatePem)) {
            error_ = "cannot read the certificate " + settings.Certificate;
            return false;
        }
        if (!ReadSmallFile(settings.Key, config.KeyPem)) {
            error_ = "cannot read the key " + settings.Key;
            return false;
        }
    }
    auto start = WebSymbol<TOrvanta3WebStart>(kWebStartSymbol, error_);
    if (!start) return false;
    server_.reset(start(config, *this, error_));
    if (!server_) return false;
    core_.SetFrameTap(this);
    return true;
}

void TWebInterface::Stop() {
    {
        std::lock_guard lock(previewMutex_);
        EndPreview(false);
    }
    if (!server_) return;
    core_.SetFrameTap(nullptr);
    server_.reset();
}

void TWebInterface::ShowFrame(const std::vector<std::string>&) {
    frames_.fetch_add(1, std::memory_order_relaxed);
    server_->FrameShown();
}

// Written out by hand: it runs for every frame while a page watches.
std::string TWebInterface::PanelJson() {
    const std::vector<std::string> rows = core_.Snapshot().Rows();
    const auto custom = core_.Snapshot().CustomChars();
    const TVirtualScreenSettings& colours = core_.Settings().VirtualScreen;
    const int32_t cols = rows.empty() ? core_.Cols() : static_cast<int32_t>(rows.front().size());
    std::string out;
    out.reserve(1024);
    out += "{\"frame\":";
    AppendNumber(out, frames_.load(std::memory_order_relaxed));
    out += ",\"cols\":";
    AppendNumber(out, static_cast<unsigned>(std::max(cols, 0)));
    out += ",\"rows\":";
    AppendNumber(out, static_cast<unsigned>(std::max(
                          rows.empty() ? core_.Rows() : static_cast<int32_t>(rows.size()), 0)));
    out += ",\"graphic\":false,\"colours\":{\"background\":\"";
    AppendColour(out, colours.BackgroundColor);
    out += "\",\"dotOn\":\"";
    AppendColour(out, colours.PixelOnColor);
    out += "\",\"dotOff\":\"";
    AppendColour(out, colours.PixelOffColor);
    out += "\"},\"text\":[";
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i) out += ',';
        out += json(RowText(rows[i])).dump(-1, ' ', false, json::error_handler_t::replace);
    }
    out += "],\"codes\":[";
    for (size_t i = 0; i < rows.size(); ++i) {
        out += i ? ",[" : "[";
        for (size_t j = 0; j < rows[i].size(); ++j) {
            if (j) out += ',';
            AppendNumber(out, static_cast<unsigned char>(rows[i][j]));
        }
        out += ']';
    }
    out += "],\"glyphs\":[";
    for (size_t i = 0; i < custom.size(); ++i) {
        out += i ? ",[" : "[";
        for (size_t j = 0; j < 8; ++j) {
            if (j) out += ',';
            AppendNumber(out, custom[i] ? (*custom[i])[j] : 0);
        }
        out += ']';
    }
    out += "],\"screen\":" + std::to_string(core_.Thread().CurrentScreen());
    out += ",\"screens\":" + std::to_string(core_.Thread().ScreenCount()) + "}";
    return out;
}

bool TWebInterface::Navigate(const std::string& action, int32_t screen) {
    if (action == "next") return core_.Navigate({navNext});
    if (action == "previous") return core_.Navigate({navPrevious});
    return core_.Navigate({navGoTo, screen});
}

bool TWebInterface::Charset(int32_t set) { return core_.Charset(set, {}); }

void TWebInterface::SetCoreAccess(TReload reload, TWithCore withCore) {
    reload_ = std::move(reload);
    withCore_ = std::move(withCore);
}

void TWebInterface::JobChanged() {
    if (server_) server_->JobChanged();
}

std::string TWebInterface::WithCore(const std::function<std::string()>& read) {
    return withCore_ ? withCore_(read) : read();
}

namespace {

bool IsJobFile(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    const std::string name = entry.path().filename().string();
    return entry.is_regular_file(error) && name.size() > std::strlen(kJobExtension) &&
           name.ends_with(kJobExtension) && !name.starts_with('.') &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string Normal(const std::string& path) {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::path(path).lexically_normal().string() : canonical.string();
}

TJobScreen JobScreenOf(const TWebScreen& screen) {
    TJobScreen out;
    out.Name = Utf8ToCp1251(screen.Name);
    out.Timeout = screen.ShowTime;
    out.Show = screen.Show;
    out.Once = screen.Once;
    out.TransitionEffect = static_cast<uint8_t>(screen.Transition);
    for (size_t i = 0; i < screen.Lines.size() && i < out.Line.size(); ++i) {
        out.Line[i] = Utf8ToCp1251(screen.Lines[i].Text);
        out.Align[i] = static_cast<TLineAlign>(screen.Lines[i].Align);
        out.Scroll[i] = static_cast<TLineScroll>(screen.Lines[i].Scroll);
    }
    return out;
}

} // namespace

std::vector<std::pair<std::string, std::string>> TWebInterface::PageTexts() {
    const std::vector<std::string> found = ProgramTexts(msgFirstWebText, kWebTextKeys.size());
    std::vector<std::pair<std::string, std::string>> texts;
    for (size_t i = 0; i < kWebTextKeys.size(); ++i) texts.emplace_back(kWebTextKeys[i], found[i]);
    texts.emplace_back("webJobChanged", ProgramTexts(msgJobChangedElsewhere, 1).front());
    return texts;
}

std::vector<std::string> TWebInterface::Transitions() {
    return ProgramTexts(msgFirstTransition, static_cast<size_t>(kTransitionEffectCount));
}

// Messages first.. of the program in its language, in UTF-8; the language file is read again
// only when the language changed.
std::vector<std::string> TWebInterface::ProgramTexts(int first, size_t count) {
    std::string language;
    WithCore([&] { return language = core_.Settings().Common.Language; });
    std::lock_guard lock(messagesMutex_);
    if (!messages_ || messagesLanguage_ != language) {
        messages_ = std::make_unique<TProgramMessages>();
        messages_->Apply(MainLanguagePath(), language);
        messagesLanguage_ = language;
    }
    std::vector<std::string> texts;
    for (size_t i = 0; i < count; ++i)
        texts.push_back(Cp1251ToUtf8(messages_->Text(first + static_cast<int>(i))));
    return texts;
}

// The job files of the settings folder and its job folder, by name relative to the settings
// folder; other files, links to folders and hidden files are left out. The loaded job is always
// among them: by its name relative to the settings folder when it lies there, else by its path
// as it was loaded.
TWebInterface::TJobList TWebInterface::ListJobs() {
    TJobList list;
    WithCore([&] {
        list.Folder = DirName(core_.Settings().Path());
        list.Loaded = core_.LoadedJobPath();
        return std::string();
    });
    for (const std::string& sub : {std::string(), std::string(kJobFolder)}) {
        std::error_code error;
        std::filesystem::directory_iterator it(sub.empty() ? list.Folder : list.Folder + "/" + sub,
                                               error);
        for (; !error && it != std::filesystem::directory_iterator() &&
               list.Files.size() < kMaxJobFiles;
             it.increment(error))
            if (IsJobFile(*it))
                list.Files.push_back((sub.empty() ? "" : sub + "/") +
                                     it->path().filename().string());
    }
    std::sort(list.Files.begin(), list.Files.end());
    if (list.Loaded.empty()) return list;
    const std::string loaded = Normal(list.Loaded);
    const std::string folder = Normal(list.Folder) + "/";
    list.Current = loaded.starts_with(folder) ? loaded.substr(folder.size()) : list.Loaded;
    if (!std::binary_search(list.Files.begin(), list.Files.end(), list.Current))
        list.Files.insert(list.Files.begin(), list.Current);
    return list;
}

std::string TWebInterface::TJobList::PathOf(const std::string& name) const {
    const std::string& wanted = name.empty() ? Current : name;
    if (wanted.empty() || std::find(Files.begin(), Files.end(), wanted) == Files.end()) return {};
    return wanted == Current ? Loaded : Folder + "/" + wanted;
}

std::vector<std::string> TWebInterface::JobFiles(std::string& current) {
    TJobList list = ListJobs();
    current = std::move(list.Current);
    return std::move(list.Files);
}

bool TWebInterface::ReadJob(const std::string& file, TWebJob& job) {
    const TJobList list = ListJobs();
    const std::string path = list.PathOf(file);
    int32_t rows = 0;
    WithCore([&] {
        rows = core_.Rows();
        return std::string();
    });
    if (path.empty()) return false;
    // Taken before the read: a change meanwhile makes a save refused, never lost.
    job.Revision = FileRevision(path);
    TJob loaded;
    if (!loaded.LoadFromFile(path)) return false;
    job.File = file.empty() ? list.Current : file;
    for (int i = 0; i < loaded.Count(); ++i) {
        const TJobScreen& screen = *loaded.Screen(i);
        TWebScreen out{Cp1251ToUtf8(screen.Name),
                       screen.Timeout,
                       screen.Show,
                       screen.Once,
                       screen.TransitionEffect,
                       {}};
        size_t used = static_cast<size_t>(std::clamp<int32_t>(rows, 1, kMaxRows));
        for (size_t k = used; k < screen.Line.size(); ++k)
            if (!screen.Line[k].empty()) used = k + 1;
        for (size_t k = 0; k < used; ++k)
            out.Lines.push_back({Cp1251ToUtf8(screen.Line[k]), screen.Align[k], screen.Scroll[k]});
        job.Screens.push_back(std::move(out));
    }
    return true;
}

// The file as the desktop editor writes it: the screens of the file changed in place, those
// beyond the body's dropped, new ones added; lines the body leaves out are empty.
TWebHost::TAnswer TWebInterface::SaveJob(TWebJob& job) {
    const TJobList list = ListJobs();
    if (job.File.empty()) job.File = list.Current;
    const std::string path = job.File.empty() ? std::string() : list.PathOf(job.File);
    if (path.empty()) return {404, "no such job"};
    if (!job.Revision.empty() && FileRevision(path) != job.Revision)
        return {409, "the job file has been changed elsewhere since it was opened"};
    TJob saved;
    saved.LoadFromFile(path);
    while (saved.Count() > static_cast<int>(job.Screens.size()))
        saved.DeleteScreen(saved.Count() - 1);
    for (size_t i = 0; i < job.Screens.size(); ++i) {
        const int index = static_cast<int>(i);
        const TJobScreen screen = JobScreenOf(job.Screens[i]);
        if (index >= saved.Count()) saved.AddScreen(screen.Name);
        saved.SetName(index, screen.Name);
        saved.SetTimeout(index, screen.Timeout);
        saved.SetShow(index, screen.Show);
        saved.SetOnce(index, screen.Once);
        saved.SetTransitionEffect(index, screen.TransitionEffect);
        for (int line = 1; line <= kMaxRows; ++line) {
            saved.SetLine(index, line, screen.Line[static_cast<size_t>(line - 1)]);
            if (static_cast<size_t>(line) > job.Screens[i].Lines.size()) continue;
            saved.SetAlign(index, line, screen.Align[static_cast<size_t>(line - 1)]);
            saved.SetScroll(index, line, screen.Scroll[static_cast<size_t>(line - 1)]);
        }
    }
    if (!saved.SaveToFile(path)) return {500, "cannot write " + job.File};
    job.Revision = FileRevision(path);
    if (job.File != list.Current || !reload_) {
        JobChanged();
        return {};
    }
    {
        std::lock_guard lock(previewMutex_);
        EndPreview(false);
    }
    const std::string problem = reload_();
    if (!problem.empty()) Trace("web: the saved job is not shown: " + problem);
    return {};
}

void TWebInterface::EndPreview(bool resumeDisplay) {
    preview_ = {}; // asks the preview thread to end and waits for it
    if (!previewing_.exchange(false) || !resumeDisplay) return;
    WithCore([&] {
        core_.StartDisplay();
        return std::string();
    });
}

std::string TWebInterface::Preview(const TWebScreen* screen) {
    std::lock_guard lock(previewMutex_);
    if (!screen) {
        EndPreview(true);
        return {};
    }
    const bool resume = previewing_.load();
    EndPreview(false);
    int32_t tickMs = 0;
    WithCore([&] {
        core_.StopDisplay();
        tickMs = std::max(1, core_.Settings().Common.BaseTimeoutMs);
        if (!resume && core_.Charsets().ActiveCharset() == crSwitchUser) {
            core_.Charset(crSwitchHorizontal, {});
            std::this_thread::sleep_for(kCharsetSwitch);
        }
        return std::string();
    });
    previewing_ = true;
    preview_ = std::jthread([this, shown = JobScreenOf(*screen), tickMs](std::stop_token stop) {
        std::mutex mutex;
        std::condition_variable_any wake;
        for (bool restart = true;; restart = false) {
            bool shownNow = false;
            WithCore([&] {
                shownNow = !core_.PreviewStep(shown, restart).empty();
                return std::string();
            });
            // The display thread runs again (a reload): the preview has ended.
            if (!shownNow) {
                previewing_ = false;
                return;
            }
            std::unique_lock waiting(mutex);
            if (wake.wait_for(waiting, stop, std::chrono::milliseconds(tickMs),
                              [] { return false; }),
                stop.stop_requested())
                return;
        }
    });
    return {};
}

// As the desktop editor's tag tree and tag editor read it; a reload (the modules' texts in a
// new language) waits meanwhile.
std::vector<TWebModule> TWebInterface::Catalogue() {
    TTagChoices choices;
    std::vector<TTagGroup> groups;
    WithCore([&] {
        choices = ReadTagChoices(core_.Catalogue());
        groups = core_.Catalogue().TagTree();
        return std::string();
    });
    std::vector<TWebModule> modules;
    for (const TTagGroup& group : groups) {
        TWebModule module{Cp1251ToUtf8(group.Caption), {}};
        for (const TTagNode& node : group.Tags) {
            TWebTag tag{Cp1251ToUtf8(node.Name),
                        Cp1251ToUtf8(node.Caption),
                        Cp1251ToUtf8(node.Hint),
                        Cp1251ToUtf8(node.Example),
                        {}};
            // "$%driveFree" takes the arguments of "$driveFree".
            const std::string name =
                node.Name.starts_with("$%") ? "$" + node.Name.substr(2) : node.Name;
            if (name.starts_with("$drive") && name != "$driveEnum")
                for (const TDriveChoice& drive : choices.Drives)
                    tag.Choices.emplace_back(std::to_string(drive.Number),
                                             Cp1251ToUtf8(drive.Caption));
            if (name.starts_with("$userValue") && name != "$userValueEnum")
                for (const TSourceChoice& source : choices.Sources)
                    tag.Choices.emplace_back(Cp1251ToUtf8(source.Argument),
                                             Cp1251ToUtf8(source.Argument));
            module.Tags.push_back(std::move(tag));
        }
        modules.push_back(std::move(module));
    }
    return modules;
}

} // namespace orv

#include "appcore/web/WebEditorRequests.h"

#include "appcore/web/WebJson.h"
#include "engine/DisplaySize.h"
#include "font/Font5x8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <set>

namespace orv {

namespace {

using json = nlohmann::json;

constexpr size_t kMaxScreens = 1000;
constexpr size_t kMaxLines = kMaxRows;
constexpr size_t kMaxLineBytes = 4096;
constexpr size_t kMaxNameBytes = 256;
constexpr int64_t kMaxShowTime = 24 * 60 * 60;
const char* const kAligns[] = {"left", "center", "right"};

json FontJson() {
    json glyphs = json::array();
    for (const TGlyph5x8& glyph : Font5x8()) glyphs.push_back(glyph);
    return json{{"width", 5}, {"height", 8}, {"glyphs", std::move(glyphs)}};
}

json ScreenJson(const TWebScreen& screen) {
    json lines = json::array();
    for (const TWebLine& line : screen.Lines)
        lines.push_back(
            {{"text", line.Text},
             {"align", line.Align >= 0 && line.Align < 3 ? kAligns[line.Align] : "left"},
             {"scroll", line.Scroll}});
    return json{
        {"name", screen.Name}, {"showTime", screen.ShowTime},     {"show", screen.Show},
        {"once", screen.Once}, {"transition", screen.Transition}, {"lines", std::move(lines)}};
}

bool ShortText(const json& value, size_t limit) {
    return value.is_string() && value.get_ref<const std::string&>().size() <= limit;
}

// A screen of a body; the reason when it is not one.
std::string ReadScreen(const json& value, size_t transitions, TWebScreen& screen) {
    if (!value.is_object()) return "a screen is not an object";
    if (value.contains("name")) {
        if (!ShortText(value["name"], kMaxNameBytes)) return "a screen's name is not a short text";
        screen.Name = value["name"].get<std::string>();
        // The name is the screen's section in the file.
        if (screen.Name.find_first_of("[]\r\n") != std::string::npos ||
            screen.Name.starts_with(';'))
            return "a screen's name holds [, ], ; or a line break";
    }
    if (value.contains("showTime")) {
        const json& time = value["showTime"];
        if (!time.is_number_integer() || time.get<int64_t>() < 0 ||
            time.get<int64_t>() > kMaxShowTime)
            return "showTime is not a number of seconds from 0 to " + std::to_string(kMaxShowTime);
        screen.ShowTime = static_cast<int32_t>(time.get<int64_t>());
    }
    for (const auto& [key, flag] : {std::pair{"show", &screen.Show}, {"once", &screen.Once}}) {
        if (!value.contains(key)) continue;
        if (!value[key].is_boolean()) return std::string(key) + " is not true or false";
        *flag = value[key].get<bool>();
    }
    if (value.contains("transition")) {
        const json& t = value["transition"];
        if (!t.is_number_integer() || t.get<int64_t>() < 0 ||
            t.get<int64_t>() >= static_cast<int64_t>(transitions))
            return "no such transition";
        screen.Transition = static_cast<int32_t>(t.get<int64_t>());
    }
    if (!value.contains("lines") || !value["lines"].is_array()) return "a screen has no lines";
    if (value["lines"].size() > kMaxLines)
        return "a screen has more than " + std::to_string(kMaxLines) + " lines";
    for (const json& item : value["lines"]) {
        TWebLine line;
        if (!item.is_object() || !item.contains("text") || !ShortText(item["text"], kMaxLineBytes))
            return "a line is not {\"text\":…} of at most " + std::to_string(kMaxLineBytes) +
                   " bytes";
        line.Text = item["text"].get<std::string>();
        if (line.Text.find_first_of("\r\n") != std::string::npos) return "a line breaks";
        if (item.contains("align")) {
            const json& align = item["align"];
            line.Align = -1;
            for (int i = 0; i < 3; ++i)
                if (align.is_string() && align.get_ref<const std::string&>() == kAligns[i])
                    line.Align = i;
            if (line.Align < 0) return "align is not left, center or right";
        }
        if (item.contains("scroll")) {
            const json& scroll = item["scroll"];
            if (!scroll.is_number_integer() || scroll.get<int64_t>() < 0 ||
                scroll.get<int64_t>() > 2)
                return "scroll is not 0, 1 or 2";
            line.Scroll = static_cast<int32_t>(scroll.get<int64_t>());
        }
        screen.Lines.push_back(std::move(line));
    }
    return {};
}

THttpResponse GetJob(const THttpRequest& request, TWebHost& host) {
    const auto file = request.Query.find("file");
    TWebJob job;
    if (!host.ReadJob(file == request.Query.end() ? std::string() : file->second, job))
        return JsonError(404, "no such job");
    json screens = json::array();
    for (const TWebScreen& screen : job.Screens) screens.push_back(ScreenJson(screen));
    return JsonAnswer(200, json{{"file", job.File},
                                {"revision", job.Revision},
                                {"screens", std::move(screens)},
                                {"transitions", host.Transitions()}});
}

THttpResponse PutJob(const THttpRequest& request, TWebHost& host) {
    const json body = ParseJsonObject(request.Body);
    if (body.is_discarded()) return JsonError(400, "the body is not a JSON object");
    TWebJob job;
    if (body.contains("file")) {
        if (!ShortText(body["file"], 4096)) return JsonError(400, "file is not a text");
        job.File = body["file"].get<std::string>();
    }
    if (body.contains("revision")) {
        if (!ShortText(body["revision"], 256)) return JsonError(400, "revision is not a text");
        job.Revision = body["revision"].get<std::string>();
    }
    if (!body.contains("screens") || !body["screens"].is_array() || body["screens"].empty() ||
        body["screens"].size() > kMaxScreens)
        return JsonError(400, "screens is not a list of 1 to " + std::to_string(kMaxScreens) +
                                  " screens");
    const size_t transitions = host.Transitions().size();
    for (const json& item : body["screens"]) {
        TWebScreen screen;
        if (const std::string problem = ReadScreen(item, transitions, screen); !problem.empty())
            return JsonError(400, problem);
        job.Screens.push_back(std::move(screen));
    }
    // Sections of the file, so their names differ (case aside); a new screen without one gets
    // the first free "ScreenN".
    auto folded = [](std::string name) {
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    };
    std::set<std::string> names;
    for (const TWebScreen& screen : job.Screens)
        if (!screen.Name.empty() && !names.insert(folded(screen.Name)).second)
            return JsonError(400, "two screens are named " + screen.Name);
    int next = 1;
    for (TWebScreen& screen : job.Screens) {
        while (screen.Name.empty()) {
            const std::string name = "Screen" + std::to_string(next++);
            if (names.insert(folded(name)).second) screen.Name = name;
        }
    }
    if (const TWebHost::TAnswer answer = host.SaveJob(job); answer.Status != 200)
        return JsonError(answer.Status, answer.Error);
    return JsonAnswer(200, json{{"file", job.File}, {"revision", job.Revision}});
}

THttpResponse PostPreview(const THttpRequest& request, TWebHost& host) {
    const json body = ParseJsonObject(request.Body);
    if (body.is_discarded() || !body.contains("screen"))
        return JsonError(400, "the body is not {\"screen\":…}");
    TWebScreen screen;
    if (const std::string problem = ReadScreen(body["screen"], host.Transitions().size(), screen);
        !problem.empty())
        return JsonError(400, problem);
    if (const std::string problem = host.Preview(&screen); !problem.empty())
        return JsonError(409, problem);
    return JsonAnswer(200, json::object());
}

THttpResponse GetCatalogue(TWebHost& host) {
    json modules = json::array();
    for (const TWebModule& module : host.Catalogue()) {
        json tags = json::array();
        for (const TWebTag& tag : module.Tags) {
            json choices = json::array();
            for (const auto& [value, text] : tag.Choices)
                choices.push_back({{"value", value}, {"text", text}});
            tags.push_back({{"name", tag.Name.starts_with('$') ? tag.Name.substr(1) : tag.Name},
                            {"caption", tag.Caption},
                            {"hint", tag.Hint},
                            {"example", tag.Example},
                            {"choices", std::move(choices)}});
        }
        modules.push_back({{"name", module.Name}, {"tags", std::move(tags)}});
    }
    return JsonAnswer(200, json{{"modules", std::move(modules)}});
}

} // namespace

std::optional<THttpResponse> EditorRequest(const THttpRequest& request, TWebHost& host) {
    const std::string& path = request.Path;
    const std::string& method = request.Method;
    if (path == "/api/texts" && method == "GET") {
        json texts = json::object();
        for (const auto& [key, value] : host.PageTexts()) texts[key] = value;
        return JsonAnswer(200, texts);
    }
    if (path == "/api/font" && method == "GET") return JsonAnswer(200, FontJson());
    if (path == "/api/jobs" && method == "GET") {
        std::string current;
        std::vector<std::string> files = host.JobFiles(current);
        return JsonAnswer(200, json{{"files", std::move(files)}, {"current", current}});
    }
    if (path == "/api/job" && method == "GET") return GetJob(request, host);
    if (path == "/api/job" && method == "PUT") return PutJob(request, host);
    if (path == "/api/preview" && method == "POST") return PostPreview(request, host);
    if (path == "/api/preview" && method == "DELETE") {
        host.Preview(nullptr);
        return JsonAnswer(200, json::object());
    }
    if (path == "/api/catalogue" && method == "GET") return GetCatalogue(host);
    return std::nullopt;
}

} // namespace orv

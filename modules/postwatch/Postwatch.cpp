// postwatch: the state of one POP3 mailbox: the number of messages, a line of all of them in
// the user's mask, and the date, sender, subject and size of each, for one screen per message.
//
// Where the values come from: a check (Pop3Mailbox.h: libcurl, plain POP3, STARTTLS or POP3S)
// runs on a thread of the module, at most once per "Check timeout" minutes, started by the
// first request that finds it due. GetValue never waits for the server: it answers from the
// last completed check under the lock.
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/MessageBox.h"
#include "base/UserFolders.h"
#include "modules/common/BackgroundTasks.h"
#include "modules/common/ModuleDialog.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/OutsideText.h"
#include "modules/postwatch/MailAccount.h"
#include "modules/postwatch/PostwatchDialogApi.h"
#include "modules/postwatch/Pop3Mailbox.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>

using namespace orv;

namespace {

// count_ after a check that failed.
constexpr int kFailed = -1;

enum TPostwatchTag : int16_t {
    tagMailCheck,
    tagMailNew,
    tagMailDetails,
    tagMailEnum,
    tagMailFrom,
    tagMailDate,
    tagMailSubject,
    tagMailSize
};

using TClock = std::chrono::steady_clock;

class TPostwatch {
public:
    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void Configure();
    int32_t WaitBackground(int32_t timeoutMs) {
        return tasks_.WaitIdle(std::chrono::milliseconds(timeoutMs)) ? 1 : 0;
    }

private:
    // The count of the last completed check ("0" after a failure); starts a check when due.
    int Count();
    void StartCheckIfDue(std::unique_lock<std::mutex>& lock);
    void RunChecks(TMailSettings account, uint64_t generation, std::stop_token stop);
    std::string Details(int16_t index, uint8_t n);

    std::mutex lock_; // everything below
    TMailSettings settings_;
    uint64_t generation_ = 0; // LoadSettings forgets checks started before
    std::optional<TClock::time_point> lastStart_;
    bool running_ = false; // a check of this generation runs
    bool again_ = false;   // asked for again while it ran
    int count_ = 0;
    std::vector<TMailEntry> messages_;
    TModuleResult result_;
    TBackgroundTasks tasks_; // last: its threads end before the state goes
};

TPostwatch gPostwatch;

void TPostwatch::StartCheckIfDue(std::unique_lock<std::mutex>&) {
    const int32_t timeout = settings_.CheckTimeoutMin;
    if (lastStart_ && timeout >= 0) {
        const auto elapsedMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - *lastStart_)
                .count();
        if (elapsedMs / 60000 < timeout) return;
    }
    if (running_) {
        again_ = timeout < 0; // "check on every request": once more after this one
        return;
    }
    running_ = true;
    again_ = false;
    lastStart_ = TClock::now();
    tasks_.Replace([this, account = settings_, generation = generation_](std::stop_token stop) {
        RunChecks(account, generation, stop);
    });
}

void TPostwatch::RunChecks(TMailSettings account, uint64_t generation, std::stop_token stop) {
    for (;;) {
        TMailboxCheck check = CheckMailbox(account, stop);
        std::lock_guard guard(lock_);
        if (generation != generation_) return; // the settings changed meanwhile
        if (stop.stop_requested()) {
            running_ = false;
            return;
        }
        // A failed check shows an empty box, its count "?", until the next one.
        count_ = check.Ok ? static_cast<int>(std::min<size_t>(check.Count, INT32_MAX)) : kFailed;
        messages_ = check.Ok ? std::move(check.Messages) : std::vector<TMailEntry>{};
        if (!again_) {
            running_ = false;
            return;
        }
        again_ = false;
        lastStart_ = TClock::now();
    }
}

int TPostwatch::Count() {
    std::unique_lock lock(lock_);
    StartCheckIfDue(lock);
    return count_;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string TPostwatch::Details(int16_t index, uint8_t n) {
    std::unique_lock lock(lock_);
    StartCheckIfDue(lock);
    if (count_ <= 0) return {};
    if (index == tagMailDetails) {
        std::string text;
        for (const TMailEntry& m : messages_) {
            std::string line = ReplaceAll(settings_.Mask, "%date%", m.Date);
            line = ReplaceAll(std::move(line), "%from%", m.From);
            line = ReplaceAll(std::move(line), "%subject%", m.Subject);
            line = ReplaceAll(std::move(line), "%size%", m.Size);
            text += line + ' ' + settings_.Delimiter + ' ';
        }
        return text;
    }
    if (n >= messages_.size()) return {};
    const TMailEntry& m = messages_[n];
    switch (index) {
    case tagMailFrom: return m.From;
    case tagMailDate: return m.Date;
    case tagMailSubject: return m.Subject;
    default: return m.Size;
    }
}

const char* TPostwatch::GetValue(int16_t index, const char* param) {
    switch (index) {
    case tagMailCheck: {
        const int count = Count();
        return result_.Set(count <= 0 ? std::string(kSkipMark) : std::to_string(count));
    }
    case tagMailNew: {
        const int count = Count();
        return result_.Set(count == kFailed ? std::string("?") : std::to_string(count));
    }
    case tagMailEnum: {
        const int count = Count();
        return result_.Set(count <= 0 ? std::string(kSkipMark) : EnumAnswer(count));
    }
    case tagMailDetails:
    case tagMailFrom:
    case tagMailDate:
    case tagMailSubject:
    case tagMailSize: return result_.Set(OutsideText(Details(index, ParseSelector(param, 0))));
    case kClearResultIndex: return result_.Clear();
    default: return result_.Keep();
    }
}

void TPostwatch::LoadSettings() {
    const std::string settingsPath = SettingsPath();
    TMailSettings settings = ReadMailSettings(TIniFile(settingsPath).Read());
    const std::string problem =
        TakePasswordFromFile(settings, std::filesystem::path(settingsPath).parent_path().string());
    if (!problem.empty())
        ShowMessage(Utf8ToCp1251("the mail password: " + problem), "postwatch", mbError);
    std::lock_guard guard(lock_);
    settings_ = std::move(settings);
    ++generation_;
    lastStart_.reset();
    running_ = false;
    again_ = false;
    count_ = 0;
    messages_.clear();
}

void TPostwatch::Configure() {
    auto run = reinterpret_cast<TRunPostwatchDialogFunc>(
        ModuleDialogEntry("postwatch.so", kRunPostwatchDialogExport));
    if (!run) return;
    TIniFile file(SettingsPath());
    TMailSettings s = ReadMailSettings(file.Read());
    TPostwatchDialogData data{};
    CopyText(data.Server, s.Server);
    CopyText(data.User, s.User);
    CopyText(data.Password, s.Password);
    data.CheckTimeoutMin = s.CheckTimeoutMin;
    CopyText(data.Mask, s.Mask);
    data.Delimiter[0] = s.Delimiter;
    CopyText(data.Security, MailSecurityName(s.Security));
    data.AcceptSelfSigned = s.AcceptSelfSigned ? 1 : 0;
    if (run(&data) != 1) return;
    s.Server = data.Server;
    s.User = data.User;
    s.Password = data.Password;
    s.CheckTimeoutMin = data.CheckTimeoutMin;
    s.Mask = data.Mask;
    s.Delimiter = data.Delimiter[0] ? data.Delimiter[0] : ' ';
    s.Security = MailSecurityOf(data.Security);
    s.AcceptSelfSigned = data.AcceptSelfSigned != 0;
    file.Update([&](TIniDocument& ini) { WriteMailSettings(ini, s); });
    std::lock_guard guard(lock_);
    settings_ = s; // the next check uses them
}

// The lists live as long as the library; a check still running ends with it.
void Finalize() {}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "Mailbox status, v.2",
        .Description = "Проверка состояния почтового ящика (с поддержкой перечисления писем в "
                       "ящике)\r\rOrvanta3 team"_cp1251,
        .Id = 8,
        .GroupCaption = "Почта"_cp1251,
        .GroupHint = "Проверка новых писем в почтовом ящике"_cp1251,
        .GetValue = ModuleGetValue<gPostwatch>,
        .LoadSettings = ModuleLoadSettings<gPostwatch>,
        .Configure = ModuleConfigure<gPostwatch>,
        .Finalize = Finalize,
    },
    {
        {.Name = "$mailCheck",
         .Caption = "условие показа"_cp1251,
         .Example = "$mailCheck$",
         .Hint = "Условие показа экрана\r\rВставьте этот тег в первую позицию первой строки и "
                 "экран будет пропускаться, если в ящике нет новой почты"_cp1251},
        {.Name = "$mailNew",
         .Caption = "новых писем"_cp1251,
         .Example = "$mailNew$",
         .Hint = "Показывает количество новых писем\r\rКоличество непрочтенных писем в "
                 "почтовом ящике"_cp1251},
        {.Name = "$mailDetails",
         .Caption = "подробности"_cp1251,
         .Example = "$mailDetails$",
         .Hint = "Показывает детальную информацию о письмах в ящике\r\rПеречень и порядок "
                 "выводимых данных определяются в настройках модуля"_cp1251},
        {.Name = "$mailEnum",
         .Caption = "перечисление"_cp1251,
         .Example = "$mailEnum$",
         .Hint = "Перечисляет письма в ящике\r\rДля того, чтобы показать последовательно "
                 "данные обо всех письмах, вставьте в начало 1-й строки экрана этот тег, а "
                 "частоту обновления всех тегов установите \"высокая\"; тег можно использовать "
                 "так же, как и $mailCheck$"_cp1251},
        {.Name = "$mailFrom",
         .Caption = "от кого"_cp1251,
         .Example = "$mailFrom[0,,,4]$",
         .Hint = "Показывает отправителя письма\r\rПараметр Index - номер письма в ящике; "
                 "тег удобно использовать вместе с тегом $mailEnum$"_cp1251},
        {.Name = "$mailDate",
         .Caption = "дата"_cp1251,
         .Example = "$mailDate[0,,,4]$",
         .Hint = "Показывает дату отправки письма\r\rПараметр Index - номер письма в ящике; "
                 "тег удобно использовать вместе с тегом $mailEnum$"_cp1251},
        {.Name = "$mailSubject",
         .Caption = "тема"_cp1251,
         .Example = "$mailSubject[0,,,4]$",
         .Hint = "Показывает тему письма\r\rПараметр Index - номер письма в ящике; "
                 "тег удобно использовать вместе с тегом $mailEnum$"_cp1251},
        {.Name = "$mailSize",
         .Caption = "размер письма"_cp1251,
         .Example = "$mailSize[0,,,4]$",
         .Hint = "Показывает размер письма\r\rПараметр Index - номер письма в ящике; "
                 "тег удобно использовать вместе с тегом $mailEnum$"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() { return MailSettingKeys(); }

ORVANTA3_EXPORT int32_t WaitBackgroundForTesting(int32_t timeoutMs) {
    return gPostwatch.WaitBackground(timeoutMs);
}

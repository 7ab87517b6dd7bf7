#include "host/modulehost/HostMessages.h"

#include "host/Cp1251.h"

#include <array>
#include <cstdio>
#include <mutex>

namespace orv {

namespace {

constexpr std::array<const char*, kLastMessage> kBuiltIn = {
    "Orvanta3: предварительный просмотр..."_cp1251,
    "Orvanta3: создание/редактирование задания..."_cp1251,
    "Orvanta3: настройка..."_cp1251,
    "Общие настройки"_cp1251,
    "Сокращения"_cp1251,
    "Модули"_cp1251,
    "Виртуальный экран"_cp1251,
    "Определения символов"_cp1251,
    "Настройка..."_cp1251,
    "Ошибка"_cp1251,
    "Загружен файл"_cp1251,
    "Задание сохранено"_cp1251,
    "как "_cp1251,
    "Ошибка при иницализации hardware-модуля!"_cp1251,
    "Ошибка при иницализации software-модуля!"_cp1251,
    "Ошибка при иницализации screensaver-модуля!"_cp1251,
    "Отключить"_cp1251,
    "Подключить"_cp1251,
    "экран "_cp1251,
};

bool Valid(int id) { return id >= kFirstMessage && id <= kLastMessage; }

struct TMessageTable {
    std::mutex lock;
    std::array<std::string, kLastMessage> texts;
    TMessageTable() { Reset(); }
    void Reset() {
        for (size_t i = 0; i < texts.size(); ++i) texts[i] = kBuiltIn[i];
    }
};

TMessageTable& Table() {
    static TMessageTable table;
    return table;
}

} // namespace

std::string MessageKey(int id) {
    char key[16];
    std::snprintf(key, sizeof key, "9_%05d", id);
    return key;
}

std::string_view BuiltInMessage(int id) { return Valid(id) ? kBuiltIn[id - 1] : ""; }

std::string Message(int id) {
    if (!Valid(id)) return {};
    auto& table = Table();
    std::lock_guard guard(table.lock);
    return table.texts[id - 1];
}

void SetMessage(int id, std::string_view text) {
    if (!Valid(id)) return;
    auto& table = Table();
    std::lock_guard guard(table.lock);
    table.texts[id - 1] = text;
}

void ApplyMessages(const TIniDocument& languageFile, std::string_view language) {
    if (language.empty()) return;
    for (int id = kFirstMessage; id <= kLastMessage; ++id)
        if (auto text = languageFile.Find(language, MessageKey(id))) SetMessage(id, *text);
}

void WriteMessagesTemplate(TIniDocument& languageFile) {
    for (int id = kFirstMessage; id <= kLastMessage; ++id)
        languageFile.WriteString("RU", MessageKey(id), Message(id));
}

void ResetMessages() {
    auto& table = Table();
    std::lock_guard guard(table.lock);
    table.Reset();
}

} // namespace orv

#include "host/ProgramMessages.h"

#include "base/Cp1251.h"
#include "base/LanguageFile.h"

#include <cstdio>

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
    "Ни один драйвер дисплея не включён, поэтому панель ничего не покажет. Драйверы и модули "
    "включаются в настройке, на странице «Модули». Открыть её?"_cp1251,
    "Предупреждение"_cp1251,
    "Теги появятся, когда модули будут включены в настройке."_cp1251,
    "Открыть «Модули»"_cp1251,
    "Задание изменено. Сохранить изменения?"_cp1251,
    " сек"_cp1251,
    "Последняя версия: "_cp1251,
    "Обнаружена новая версия"_cp1251,
    "Обнаружена новая версия программы. Перейти на страницу загрузки?"_cp1251,
    "Проверка обновлений"_cp1251,
    "Следующая проверка будет произведена через 10 дней"_cp1251,
    "1) смена экрана без перехода"_cp1251,
    "2) \"растворение\""_cp1251,
    "3) \"растворение\" через символ"_cp1251,
    "4) заполнение слева направо"_cp1251,
    "5) заполнение справа налево"_cp1251,
    "6) черезстрочное замещение"_cp1251,
    "7) замещение слева направо"_cp1251,
    "8) замещение справа налево"_cp1251,
    "9) прокрутка вверх"_cp1251,
    "10) прокрутка вниз"_cp1251,
    "Задания Orvanta3"_cp1251,
    "Все файлы"_cp1251,
    "Панель"_cp1251,
    "Задание"_cp1251,
    "Настройка"_cp1251,
    "Пароль"_cp1251,
    "Войти"_cp1251,
    "Предыдущий"_cp1251,
    "Следующий"_cp1251,
    "Экран"_cp1251,
    "Перейти"_cp1251,
    "Набор символов"_cp1251,
    "Открыть"_cp1251,
    "Сохранить"_cp1251,
    "Просмотр"_cp1251,
    "Закончить просмотр"_cp1251,
    "Время показа, сек"_cp1251,
    "Один раз"_cp1251,
    "Переход"_cp1251,
    "Теги"_cp1251,
    "Аргумент"_cp1251,
    "Столбец"_cp1251,
    "Ширина"_cp1251,
    "Обновление"_cp1251,
    "Формат"_cp1251,
    "Вставить"_cp1251,
    "Общие"_cp1251,
    "Модули"_cp1251,
    "Драйверы"_cp1251,
    "Строка"_cp1251,
    "Выравнивание"_cp1251,
    "влево"_cp1251,
    "по центру"_cp1251,
    "вправо"_cp1251,
    "Прокрутка"_cp1251,
    "влево"_cp1251,
    "вправо"_cp1251,
    "туда и обратно"_cp1251,
    "Сохранено."_cp1251,
    "Файл настроек недоступен для записи: изменения не сохранятся."_cp1251,
    "В задании есть несохранённые изменения. Отбросить их?"_cp1251,
    "Загружать файл заданий после запуска"_cp1251,
    "Файл заданий"_cp1251,
    "Сообщение при запуске, строка 1"_cp1251,
    "Сообщение при выходе, строка 1"_cp1251,
    "Сообщение при запуске, строка 2"_cp1251,
    "Сообщение при выходе, строка 2"_cp1251,
    "Язык"_cp1251,
    "Показывать подсказки"_cp1251,
    "Показывать заставку при запуске"_cp1251,
    "Базовая задержка, мс"_cp1251,
    "Множитель долгой задержки"_cp1251,
    "Удлинять показ экрана, пока длинные строки не прокрутятся"_cp1251,
    "Время показа подэкрана, с"_cp1251,
    "Показывать LCD-заставку вместе с системной заставкой"_cp1251,
    "Длительность перехода между экранами, мс"_cp1251,
    "Выделять редактируемую строку жирным шрифтом"_cp1251,
    "Анимация окна"_cp1251,
    "Разделитель бегущей строки"_cp1251,
    "Разделять бегущую строку"_cp1251,
    "Прокси-сервер"_cp1251,
    "Порт прокси-сервера"_cp1251,
    "Проверять наличие новой версии при запуске"_cp1251,
    "Бит"_cp1251,
    "Байт"_cp1251,
    "Кило"_cp1251,
    "Мега"_cp1251,
    "Гига"_cp1251,
    "В секунду"_cp1251,
    "Герц"_cp1251,
    "Часы"_cp1251,
    "Минуты"_cp1251,
    "Секунды"_cp1251,
    "Выводить данные параллельно на «виртуальный экран»"_cp1251,
    "Цвет включенной точки"_cp1251,
    "Цвет выключенной точки"_cp1251,
    "Цвет фона"_cp1251,
    "Ширина точки"_cp1251,
    "Высота точки"_cp1251,
    "Файл задания с тех пор изменён в другом месте. Записать поверх?"_cp1251,
};

bool Valid(int id) { return id >= kFirstMessage && id <= kLastMessage; }

} // namespace

std::string MessageKey(int id) {
    char key[16];
    std::snprintf(key, sizeof key, "9_%05d", id);
    return key;
}

int MessageIdOfKey(std::string_view key) {
    for (int id = kFirstMessage; id <= kLastMessage; ++id)
        if (key == MessageKey(id)) return id;
    return 0;
}

TProgramMessages::TProgramMessages() { Reset(); }

std::string TProgramMessages::Text(int id) const {
    if (!Valid(id)) return {};
    std::lock_guard guard(lock_);
    return texts_[id - 1];
}

std::string TProgramMessages::Text(std::string_view key) const { return Text(MessageIdOfKey(key)); }

void TProgramMessages::Set(int id, std::string_view text) {
    if (!Valid(id)) return;
    std::lock_guard guard(lock_);
    texts_[id - 1] = text;
}

void TProgramMessages::Apply(const std::string& lngPath, std::string_view language) {
    if (auto file = ReadLanguageFile(lngPath, language)) Apply(*file, language);
}

void TProgramMessages::Apply(const TIniDocument& languageFile, std::string_view language) {
    if (language.empty()) return;
    for (int id = kFirstMessage; id <= kLastMessage; ++id)
        if (auto text = languageFile.Find(language, MessageKey(id))) Set(id, *text);
}

bool TProgramMessages::WriteTemplate(const std::string& lngPath) const {
    return TIniFile(lngPath).Update([this](TIniDocument& file) { WriteTemplate(file); });
}

void TProgramMessages::WriteTemplate(TIniDocument& languageFile) const {
    for (int id = kFirstMessage; id <= kLastMessage; ++id)
        languageFile.WriteString("RU", MessageKey(id), Text(id));
}

void TProgramMessages::Reset() {
    std::lock_guard guard(lock_);
    for (size_t i = 0; i < texts_.size(); ++i) texts_[i] = kBuiltIn[i];
}

TProgramMessages& ProgramMessages() {
    static TProgramMessages messages;
    return messages;
}

std::string Message(int id) { return ProgramMessages().Text(id); }

} // namespace orv

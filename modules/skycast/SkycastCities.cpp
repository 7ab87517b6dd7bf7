#include "modules/skycast/SkycastCities.h"

#include <array>

namespace orv {

namespace {

constexpr const char* kUkraine = "Украина";
constexpr const char* kRussia = "Россия";
constexpr const char* kBelarus = "Беларусь";

constexpr std::array kCities = {
    TCity{kUkraine, "Алупка", 179, 44.42, 34.05},
    TCity{kUkraine, "Алушта", 178, 44.67, 34.41},
    TCity{kUkraine, "Борисполь", 18, 50.35, 30.95},
    TCity{kUkraine, "Винница", 39, 49.23, 28.47},
    TCity{kUkraine, "Геническ", 7, 46.17, 34.80},
    TCity{kUkraine, "Днепропетровск", 5, 48.46, 35.05},
    TCity{kUkraine, "Донецк", 6, 48.00, 37.80},
    TCity{kUkraine, "Евпатория", 173, 45.19, 33.37},
    TCity{kUkraine, "Запорожье", 42, 47.84, 35.14},
    TCity{kUkraine, "Ивано-Франковск", 8, 48.92, 24.71},
    TCity{kUkraine, "Измаил", 10, 45.35, 28.84},
    TCity{kUkraine, "Изюм", 9, 49.21, 37.26},
    TCity{kUkraine, "Керчь", 11, 45.36, 36.47},
    TCity{kUkraine, "Киев", 1, 50.45, 30.52},
    TCity{kUkraine, "Кировоград", 15, 48.51, 32.26},
    TCity{kUkraine, "Конотоп", 16, 51.24, 33.20},
    TCity{kUkraine, "Кременчуг", 172, 49.07, 33.42},
    TCity{kUkraine, "Кривой Рог", 17, 47.91, 33.39},
    TCity{kUkraine, "Лубны", 21, 50.02, 33.00},
    TCity{kUkraine, "Луганск", 22, 48.57, 39.31},
    TCity{kUkraine, "Луцк", 154, 50.75, 25.34},
    TCity{kUkraine, "Львов", 19, 49.84, 24.03},
    TCity{kUkraine, "Мариуполь", 23, 47.10, 37.55},
    TCity{kUkraine, "Николаев", 145, 46.97, 31.99},
    TCity{kUkraine, "Одесса", 27, 46.48, 30.73},
    TCity{kUkraine, "Полтава", 28, 49.59, 34.55},
    TCity{kUkraine, "Ровно", 29, 50.62, 26.25},
    TCity{kUkraine, "Сарны", 30, 51.34, 26.60},
    TCity{kUkraine, "Симферополь", 32, 44.95, 34.10},
    TCity{kUkraine, "Сумы", 33, 50.91, 34.80},
    TCity{kUkraine, "Тернополь", 35, 49.55, 25.59},
    TCity{kUkraine, "Ужгород", 37, 48.62, 22.30},
    TCity{kUkraine, "Умань", 36, 48.75, 30.22},
    TCity{kUkraine, "Харьков", 12, 49.99, 36.23},
    TCity{kUkraine, "Херсон", 13, 46.64, 32.62},
    TCity{kUkraine, "Хмельницкий", 14, 49.42, 26.99},
    TCity{kUkraine, "Черкассы", 155, 49.44, 32.06},
    TCity{kUkraine, "Чернигов", 2, 51.49, 31.29},
    TCity{kUkraine, "Черновцы", 3, 48.29, 25.94},
    TCity{kUkraine, "Ялта", 41, 44.50, 34.17},

    TCity{kRussia, "Братск", 48, 56.15, 101.63},
    TCity{kRussia, "Брянск", 49, 53.24, 34.36},
    TCity{kRussia, "Владивосток", 176, 43.12, 131.89},
    TCity{kRussia, "Волгоград", 88, 48.71, 44.51},
    TCity{kRussia, "Вологда", 89, 59.22, 39.89},
    TCity{kRussia, "Воронеж", 90, 51.67, 39.18},
    TCity{kRussia, "Екатеринбург", 51, 56.84, 60.61},
    TCity{kRussia, "Иркутск", 54, 52.29, 104.28},
    TCity{kRussia, "Казань", 57, 55.79, 49.12},
    TCity{kRussia, "Калининград", 55, 54.71, 20.51},
    TCity{kRussia, "Калуга", 56, 54.51, 36.26},
    TCity{kRussia, "Кемерово", 58, 55.35, 86.09},
    TCity{kRussia, "Киров", 59, 58.60, 49.66},
    TCity{kRussia, "Краснодар", 60, 45.04, 38.98},
    TCity{kRussia, "Курск", 61, 51.73, 36.19},
    TCity{kRussia, "Магадан", 62, 59.57, 150.80},
    TCity{kRussia, "Махачкала", 63, 42.98, 47.50},
    TCity{kRussia, "Моздок", 64, 43.74, 44.65},
    TCity{kRussia, "Москва-Внуково", 167, 55.60, 37.27},
    TCity{kRussia, "Москва-область", 46, 55.50, 36.90},
    TCity{kRussia, "Москва-Центр", 44, 55.75, 37.62},
    TCity{kRussia, "Москва-пригород", 45, 55.90, 37.45},
    TCity{kRussia, "Мурманск", 65, 68.97, 33.08},
    TCity{kRussia, "Нижний Тагил", 168, 57.91, 59.97},
    TCity{kRussia, "Новокузнецк", 66, 53.76, 87.14},
    TCity{kRussia, "Новосибирск", 67, 55.03, 82.92},
    TCity{kRussia, "Омск", 69, 54.99, 73.37},
    TCity{kRussia, "Пенза", 73, 53.20, 45.00},
    TCity{kRussia, "Псков", 75, 57.82, 28.33},
    TCity{kRussia, "Рязань", 76, 54.63, 39.74},
    TCity{kRussia, "С-Петербург", 47, 59.94, 30.31},
    TCity{kRussia, "Самара (город)", 79, 53.20, 50.15},
    TCity{kRussia, "Самара (область)", 78, 53.50, 50.50},
    TCity{kRussia, "Саратов", 80, 51.53, 46.03},
    TCity{kRussia, "Смоленск", 81, 54.78, 32.05},
    TCity{kRussia, "Тамбов", 82, 52.72, 41.45},
    TCity{kRussia, "Тверь", 85, 56.86, 35.90},
    TCity{kRussia, "Томск", 83, 56.48, 84.95},
    TCity{kRussia, "Тула", 84, 54.19, 37.62},
    TCity{kRussia, "Ульяновск", 91, 54.31, 48.40},
    TCity{kRussia, "Урюпинск", 169, 50.80, 42.00},
    TCity{kRussia, "Уфа", 86, 54.74, 55.97},
    TCity{kRussia, "Хабаровск", 52, 48.48, 135.08},
    TCity{kRussia, "Челябинск", 166, 55.16, 61.40},
    TCity{kRussia, "Череповец", 50, 59.13, 37.91},

    TCity{kBelarus, "Барановичи", 97, 53.13, 26.01},
    TCity{kBelarus, "Бобруйск", 94, 53.14, 29.22},
    TCity{kBelarus, "Брест", 95, 52.10, 23.69},
    TCity{kBelarus, "Витебск", 108, 55.19, 30.20},
    TCity{kBelarus, "Гомель", 96, 52.44, 30.98},
    TCity{kBelarus, "Гродно", 98, 53.68, 23.83},
    TCity{kBelarus, "Минск", 93, 53.90, 27.56},
    TCity{kBelarus, "Могилев", 102, 53.90, 30.33},
    TCity{kBelarus, "Слуцк", 106, 53.03, 27.56},
};

} // namespace

std::span<const TCity> Cities() { return kCities; }

const TCity* CityByCode(int32_t code) {
    for (const TCity& city : kCities)
        if (city.Code == code) return &city;
    return nullptr;
}

} // namespace orv

#include "core/search/BirthdaySearch.h"

#include <array>

namespace keldar::search {

namespace {

constexpr std::array<const char*, 12> kMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                     "July",    "August",   "September", "October", "November", "December"};
// The most days each month can have (February in a leap year).
constexpr std::array<int, 12> kLongestMonth = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

std::optional<std::string> birthdayRefusal(int month, int day) {
    if (month < 1 || month > 12) return std::string("Please choose the month of your birthday from the list first.");
    if (day < 1) return std::string("Please choose the day of your birthday in the calendar first.");
    const int longest = kLongestMonth[static_cast<std::size_t>(month - 1)];
    if (day > longest)
        return std::string(kMonthNames[static_cast<std::size_t>(month - 1)]) + " has no day " + std::to_string(day) +
               ". Please choose another day in the calendar.";
    return std::nullopt;
}

std::optional<time::CalendarTime> birthdayInYear(int year, int month, int day) {
    if (birthdayRefusal(month, day)) return std::nullopt;
    if (month == 2 && day == 29 && !isLeapYear(year)) return std::nullopt;
    return time::CalendarTime::fromParts(year, month, day);
}

bool takenOnBirthday(time::CalendarTime captureTime, int month, int day) {
    const time::DateTimeParts parts = captureTime.parts();
    return parts.month == month && parts.day == day;
}

}  // namespace keldar::search

#pragma once
// The rules of the birthday search, without windows: which month-and-day choices make a
// birthday, and whether an image was taken on it (by its UTC date, in whatever year).

#include <optional>
#include <string>

#include "core/time/CalendarTime.h"

namespace keldar::search {

// Why a month and day cannot be searched for; nullopt when they can. Month 0 or day 0 mean
// "never chosen". 29 February is a birthday (it matches only 29 February images).
std::optional<std::string> birthdayRefusal(int month, int day);

// The birthday in `year` at 00:00, or nullopt when that year has no such day (29 February in
// a common year).
std::optional<time::CalendarTime> birthdayInYear(int year, int month, int day);

// Whether the UTC calendar date of `captureTime` is the birthday.
bool takenOnBirthday(time::CalendarTime captureTime, int month, int day);

}  // namespace keldar::search

// Date values: days since 30 December 1899 as a double, the time of day as the fraction.
#pragma once

namespace ortavo {

using TDateTime = double;

bool IsLeapYear(int year);
// 0 for a month outside 1 to 12.
int DaysInMonth(int year, int month);
// Year 1 to 9999, month 1 to 12, day within the month.
bool IsValidDate(int year, int month, int day);

bool TryEncodeDate(int year, int month, int day, TDateTime& date);
// Raises EConvertError "Invalid argument to date encode".
TDateTime EncodeDate(int year, int month, int day);
void DecodeDate(TDateTime date, int& year, int& month, int& day);

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& time);
void DecodeTime(TDateTime time, int& hour, int& minute, int& second, int& millisecond);

} // namespace ortavo

#pragma once
// Number texts of the whole program: one module so every window, file and
// memo writes numbers the same way.
//
//  - integers: plain decimal text;
//  - general format: the shortest text with up to 15 significant digits; fixed
//    notation while the integer part has at most `precision` digits and the
//    magnitude is at least 1e-5, scientific ("1.5E-7", "1E20") otherwise;
//  - fixed notation: exactly d decimals;
//  - exponent notation: "d.dddddddE+dd" (network errors: 8 significant digits,
//    2 exponent digits).
//
// The decimal separator is the system locale's, read once at start-up from
// the C++ user locale; tests pin it with SetDecimalSeparator.
#include <cstdint>
#include <string>
#include <string_view>

namespace NumberText {

char DecimalSeparator();
void SetDecimalSeparator(char separator);
char ThousandSeparator();
void SetThousandSeparator(char separator);

std::string FormatInt(long long value);
std::string FormatGeneral(double value, int precision = 15);
// The general format with a decimal point whatever the locale: the numbers of
// files a user keeps, which must read the same under any locale.
std::string FormatGeneralInvariant(double value, int precision = 15);
std::string FormatFixed(double value, int decimals);
std::string FormatExponent(double value, int precision = 8, int exponentDigits = 2);
// Fixed notation with thousands separators ("1.234,56" in a Brazilian locale).
std::string FormatNumber(double value, int decimals);

// Integer parsing as the run time's conversion: optional blanks, an optional
// sign, decimal digits; anything else (or overflow of 32 bits) fails.
bool TryParseInt(std::string_view text, int& value);
bool TryParseInt64(std::string_view text, long long& value);
// Real parsing with the locale's decimal separator (a '.' is also accepted
// when the separator is another character) and an optional exponent.
bool TryParseFloat(std::string_view text, double& value);
// Reading a number from a kept file: a decimal point or a decimal comma,
// whichever the file was written with, under any locale.
bool TryParseStoredFloat(std::string_view text, double& value);

// "'%s' is not a valid integer value" with the text in place of %s.
std::string InvalidIntegerMessage(std::string_view text);
// "'%s' is not a valid floating point value".
std::string InvalidFloatMessage(std::string_view text);

} // namespace NumberText

#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale>

namespace NumberText {
namespace {

char ReadLocaleDecimal() {
    try {
        return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
    } catch (...) {
        return '.';
    }
}

char ReadLocaleThousand() {
    try {
        const char c = std::use_facet<std::numpunct<char>>(std::locale("")).thousands_sep();
        return c == '\0' ? ',' : c;
    } catch (...) {
        return ',';
    }
}

char& Decimal() {
    static char separator = ReadLocaleDecimal();
    return separator;
}

char& Thousand() {
    static char separator = ReadLocaleThousand();
    return separator;
}

// std::to_chars is independent of the C locale (which QCoreApplication sets
// from the environment), so the separator is always ours to choose.
std::string Scientific(double value, int decimals) {
    char buffer[128];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, decimals);
    return std::string(buffer, result.ptr);
}

std::string Fixed(double value, int decimals) {
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

void ReplaceDot(std::string& text) {
    for (char& c : text)
        if (c == '.') c = Decimal();
}

// Splits |value| into significant digits (no trailing zeros) and a decimal
// exponent: value = 0.d1d2d3... x 10^(exponent+1), i.e. d1 stands at 10^exponent.
struct Digits {
    std::string digits;
    int exponent = 0;
};

Digits SignificantDigits(double value, int precision) {
    const std::string buffer = Scientific(std::fabs(value), precision - 1);
    Digits result;
    const char* p = buffer.c_str();
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') result.digits.push_back(*p);
    if (*p == 'e') result.exponent = std::atoi(p + 1);
    while (result.digits.size() > 1 && result.digits.back() == '0') result.digits.pop_back();
    return result;
}

} // namespace

char DecimalSeparator() { return Decimal(); }
void SetDecimalSeparator(char separator) { Decimal() = separator; }
char ThousandSeparator() { return Thousand(); }
void SetThousandSeparator(char separator) { Thousand() = separator; }

std::string FormatInt(long long value) { return std::to_string(value); }

std::string FormatGeneral(double value, int precision) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";
    const Digits d = SignificantDigits(value, precision);
    std::string text = value < 0 ? "-" : "";
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent >= precision || std::fabs(value) < 1e-5) {
        text += d.digits[0];
        if (count > 1) {
            text += Decimal();
            text.append(d.digits, 1);
        }
        text += 'E';
        text += std::to_string(d.exponent);
        return text;
    }
    if (d.exponent < 0) {
        text += '0';
        text += Decimal();
        text.append(static_cast<size_t>(-d.exponent - 1), '0');
        text += d.digits;
        return text;
    }
    const int integerDigits = d.exponent + 1;
    if (count <= integerDigits) {
        text += d.digits;
        text.append(static_cast<size_t>(integerDigits - count), '0');
    } else {
        text.append(d.digits, 0, static_cast<size_t>(integerDigits));
        text += Decimal();
        text.append(d.digits, static_cast<size_t>(integerDigits));
    }
    return text;
}

std::string FormatGeneralInvariant(double value, int precision) {
    std::string text = FormatGeneral(value, precision);
    // The separator occurs in a general-format text only as its decimal point.
    for (char& c : text)
        if (c == Decimal()) c = '.';
    return text;
}

std::string FormatFixed(double value, int decimals) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (decimals < 0) decimals = 0;
    if (std::fabs(value) >= 1e18) return FormatExponent(value, 18, 0);
    std::string text = Fixed(value, decimals);
    // "-0.00" reads as zero.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    ReplaceDot(text);
    return text;
}

std::string FormatExponent(double value, int precision, int exponentDigits) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (precision < 1) precision = 1;
    std::string text = Scientific(value, precision - 1);
    const auto e = text.find('e');
    std::string mantissa = text.substr(0, e);
    int exponent = std::atoi(text.c_str() + e + 1);
    ReplaceDot(mantissa);
    std::string digits = std::to_string(std::abs(exponent));
    if (static_cast<int>(digits.size()) < exponentDigits)
        digits.insert(0, static_cast<size_t>(exponentDigits - static_cast<int>(digits.size())), '0');
    return mantissa + "E" + (exponent < 0 ? "-" : "+") + digits;
}

std::string FormatNumber(double value, int decimals) {
    std::string fixed = FormatFixed(value, decimals);
    if (fixed.find('E') != std::string::npos || fixed.find('N') != std::string::npos) return fixed;
    const bool negative = !fixed.empty() && fixed[0] == '-';
    if (negative) fixed.erase(0, 1);
    const auto point = fixed.find(Decimal());
    std::string integer = fixed.substr(0, point);
    const std::string rest = point == std::string::npos ? "" : fixed.substr(point);
    std::string grouped;
    const int length = static_cast<int>(integer.size());
    for (int i = 0; i < length; ++i) {
        if (i > 0 && (length - i) % 3 == 0) grouped += Thousand();
        grouped += integer[static_cast<size_t>(i)];
    }
    return (negative ? "-" : "") + grouped + rest;
}

bool TryParseInt64(std::string_view text, long long& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    size_t end = text.size();
    while (end > i && text[end - 1] == ' ') --end;
    std::string_view body = text.substr(i, end - i);
    if (body.empty()) return false;
    bool negative = false;
    if (body[0] == '+' || body[0] == '-') {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    if (body.empty()) return false;
    unsigned long long magnitude = 0;
    const auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), magnitude);
    if (ec != std::errc() || ptr != body.data() + body.size()) return false;
    if (negative) {
        if (magnitude > 9223372036854775808ull) return false;
        value = magnitude == 9223372036854775808ull ? INT64_MIN : -static_cast<long long>(magnitude);
    } else {
        if (magnitude > 9223372036854775807ull) return false;
        value = static_cast<long long>(magnitude);
    }
    return true;
}

bool TryParseInt(std::string_view text, int& value) {
    long long wide = 0;
    if (!TryParseInt64(text, wide) || wide < INT32_MIN || wide > INT32_MAX) return false;
    value = static_cast<int>(wide);
    return true;
}

bool TryParseFloat(std::string_view text, double& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    size_t end = text.size();
    while (end > i && text[end - 1] == ' ') --end;
    std::string body(text.substr(i, end - i));
    if (body.empty()) return false;
    for (char& c : body) {
        if (c == Decimal()) c = '.';
        else if (c == 'e') c = 'E';
    }
    // Only digits, one sign at the front or after E, one point, one E.
    size_t p = 0;
    if (body[p] == '+' || body[p] == '-') ++p;
    bool digits = false, point = false;
    for (; p < body.size() && body[p] != 'E'; ++p) {
        if (body[p] >= '0' && body[p] <= '9') digits = true;
        else if (body[p] == '.' && !point) point = true;
        else return false;
    }
    if (!digits) return false;
    if (p < body.size()) {
        ++p;
        if (p < body.size() && (body[p] == '+' || body[p] == '-')) ++p;
        if (p >= body.size()) return false;
        for (; p < body.size(); ++p)
            if (body[p] < '0' || body[p] > '9') return false;
    }
    if (body[0] == '+') body.erase(0, 1);
    double parsed = 0;
    const auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), parsed);
    if (ptr != body.data() + body.size()) return false;
    if (ec == std::errc::result_out_of_range) return false;
    if (ec != std::errc()) return false;
    value = parsed;
    return true;
}

bool TryParseStoredFloat(std::string_view text, double& value) {
    std::string body(text);
    for (char& c : body)
        if (c == ',') c = '.';
    // A point is read as the decimal point under every separator.
    return TryParseFloat(body, value);
}

std::string InvalidIntegerMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string InvalidFloatMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}

} // namespace NumberText

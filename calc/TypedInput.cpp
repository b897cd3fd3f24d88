#include "TypedInput.h"

#include <cctype>
#include <cstring>

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Moves pos past the digits there; false when there are none.
bool SkipDigits(const std::string &strText, size_t &pos)
{
    const size_t start = pos;
    while (pos < strText.size() && IsDigit(strText[pos]))
        ++pos;
    return pos > start;
}

bool IsDecimalNumber(const std::string &strText)
{
    size_t pos = strText.rfind('-', 0) == 0 ? 1 : 0;
    if (!SkipDigits(strText, pos))
        return false;
    if (pos < strText.size() && strText[pos] == '.') {
        ++pos;
        if (!SkipDigits(strText, pos))
            return false;
    }
    return pos == strText.size();
}

// A number ("12", "1.5") at pos, not followed by a letter.
bool SkipNumber(const std::string &strText, size_t &pos)
{
    if (!SkipDigits(strText, pos))
        return false;
    if (pos < strText.size() && strText[pos] == '.') {
        ++pos;
        SkipDigits(strText, pos);
    }
    return pos == strText.size() || !IsLetter(strText[pos]);
}

// An A1 reference ("D146", "$D$146", at most three column letters) at pos,
// not followed by a letter, a digit, a point or a parenthesis.
bool SkipReference(const std::string &strText, size_t &pos)
{
    if (pos < strText.size() && strText[pos] == '$')
        ++pos;
    const size_t letters = pos;
    while (pos < strText.size() && IsLetter(strText[pos]))
        ++pos;
    if (pos == letters || pos - letters > 3)
        return false;
    if (pos < strText.size() && strText[pos] == '$')
        ++pos;
    if (!SkipDigits(strText, pos))
        return false;
    return pos == strText.size() || !(IsLetter(strText[pos]) || strText[pos] == '.' || strText[pos] == '(');
}

bool IsPlainFormula(const std::string &strText)
{
    if (strText.size() < 2 || strText[0] != '=')
        return false;
    for (size_t pos = 1; pos < strText.size();) {
        const char c = strText[pos];
        if (std::strchr(" +-*/()", c)) {
            ++pos;
        } else if (IsDigit(c)) {
            if (!SkipNumber(strText, pos))
                return false;
        } else if (IsLetter(c) || c == '$') {
            if (!SkipReference(strText, pos))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsPlainTypedInput(const std::string &strText) { return IsDecimalNumber(strText) || IsPlainFormula(strText); }

bool IsMonthDayInput(const std::string &strText)
{
    const size_t slash = strText.find('/');
    auto isOneOrTwoDigits = [&](size_t from, size_t to) {
        size_t pos = from;
        return to - from >= 1 && to - from <= 2 && SkipDigits(strText, pos) && pos == to;
    };
    return slash != std::string::npos && isOneOrTwoDigits(0, slash) && isOneOrTwoDigits(slash + 1, strText.size());
}

#include "simulation/MainsProfile.h"

#include <algorithm>

namespace {

constexpr int MaxTimeDecimals = 6;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsSeparator(char c)
{
    return c == ',' || c == ';' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

// A field without its surrounding blanks and one pair of double quotes.
std::string_view Unquote(std::string_view field)
{
    field = Trim(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = Trim(field.substr(1, field.size() - 2));
    }
    return field;
}

// The field as a message quotes it: at most 32 characters, anything but printable ASCII as '?'.
std::string Quoted(std::string_view field)
{
    std::string text = "'";
    for (std::size_t i = 0; i < field.size() && i < 32; ++i) {
        const char c = field[i];
        text += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    if (field.size() > 32) {
        text += "...";
    }
    return text + "'";
}

// A plain decimal number: digits, optionally a point and more digits, at least one digit in all.
// The whole part saturates far above every limit, so that no digit string overflows.
struct TDecimal
{
    uint64_t Whole = 0;
    std::string_view Fraction;
};

bool ParseDecimal(std::string_view s, TDecimal& number)
{
    std::size_t i = 0;
    bool digits = false;
    number = {};
    constexpr uint64_t Saturated = 1'000'000'000'000ULL;
    while (i < s.size() && IsDigit(s[i])) {
        number.Whole = std::min(Saturated, number.Whole * 10 + static_cast<uint64_t>(s[i] - '0'));
        digits = true;
        ++i;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        const std::size_t start = i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
        }
        number.Fraction = s.substr(start, i - start);
        digits = digits || !number.Fraction.empty();
    }
    return digits && i == s.size();
}

class TProfileReader
{
public:
    TProfileReader(TMainsProfile& profile, TProfileError& error) : FProfile(profile), FError(error)
    {
    }

    bool Read(std::string_view text)
    {
        if (text.substr(0, 3) == "\xEF\xBB\xBF") {
            text.remove_prefix(3);
        }
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = pos;
            while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
                ++end;
            }
            ++FLine;
            if (!ReadLine(text.substr(pos, end - pos))) {
                return false;
            }
            if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
                text[end + 1] == '\n') {
                ++end;
            }
            pos = end + 1;
        }
        if (FProfile.Points.empty()) {
            return Fail(0, 0, "no rows of time and mains voltage");
        }
        return true;
    }

private:
    bool Fail(int64_t line, int32_t field, std::string message)
    {
        FError.Line = line;
        FError.Field = field;
        FError.Message = std::move(message);
        FProfile.Points.clear();
        return false;
    }

    bool ReadLine(std::string_view line)
    {
        if (std::all_of(line.begin(), line.end(), IsBlank) || line.front() == '#') {
            return true;
        }
        std::vector<std::string_view> fields;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i == line.size() || IsSeparator(line[i])) {
                fields.push_back(Unquote(line.substr(start, i - start)));
                start = i + 1;
            }
        }
        // One header line may come before the first row.
        if (FProfile.Points.empty() && !FHeaderSeen && !fields[0].empty() &&
            IsLetter(fields[0].front())) {
            FHeaderSeen = true;
            return true;
        }
        if (fields.size() < 2) {
            return Fail(FLine, 2, "the mains voltage is missing (a row is: seconds,volts)");
        }
        if (fields.size() > 2) {
            return Fail(FLine, 3,
                        "a row has two fields, seconds and volts; found " +
                            std::to_string(fields.size()));
        }
        TProfilePoint point;
        return ReadTime(fields[0], point) && ReadVolts(fields[1], point) && Add(point);
    }

    bool ReadTime(std::string_view field, TProfilePoint& point)
    {
        TDecimal number;
        if (!ParseDecimal(field, number)) {
            return Fail(FLine, 1,
                        "time " + Quoted(field) +
                            " is not a plain decimal number of seconds (like 12 or 0.2)");
        }
        if (number.Fraction.size() > MaxTimeDecimals) {
            return Fail(FLine, 1,
                        "time " + Quoted(field) + " has more than six decimals (microseconds)");
        }
        if (number.Whole > static_cast<uint64_t>(ProfileMaxSeconds) ||
            (number.Whole == static_cast<uint64_t>(ProfileMaxSeconds) &&
             number.Fraction.find_first_not_of('0') != std::string_view::npos)) {
            return Fail(FLine, 1,
                        "time " + Quoted(field) + " is beyond " +
                            std::to_string(ProfileMaxSeconds) + " s (366 days)");
        }
        int64_t micro = 0;
        for (int i = 0; i < MaxTimeDecimals; ++i) {
            const std::size_t index = static_cast<std::size_t>(i);
            micro =
                micro * 10 + (index < number.Fraction.size() ? number.Fraction[index] - '0' : 0);
        }
        point.TimeUs = static_cast<int64_t>(number.Whole) * 1'000'000 + micro;
        return true;
    }

    bool ReadVolts(std::string_view field, TProfilePoint& point)
    {
        TDecimal number;
        if (!ParseDecimal(field, number)) {
            return Fail(FLine, 2,
                        "mains voltage " + Quoted(field) +
                            " is not a plain decimal number of volts (like 400 or 401.5)");
        }
        // Nearest whole volt, halves up.
        const uint64_t volts =
            number.Whole + (!number.Fraction.empty() && number.Fraction.front() >= '5' ? 1 : 0);
        if (volts < static_cast<uint64_t>(ProfileMinVolts) ||
            volts > static_cast<uint64_t>(ProfileMaxVolts)) {
            return Fail(FLine, 2,
                        "mains voltage " + Quoted(field) + " is outside " +
                            std::to_string(ProfileMinVolts) + " to " +
                            std::to_string(ProfileMaxVolts) + " V");
        }
        point.Volts = static_cast<int32_t>(volts);
        return true;
    }

    bool Add(const TProfilePoint& point)
    {
        if (!FProfile.Points.empty() && point.TimeUs <= FProfile.Points.back().TimeUs) {
            return Fail(FLine, 1,
                        "time goes backwards: each row's time must be later than the "
                        "previous row's");
        }
        FProfile.Points.push_back(point);
        return true;
    }

    TMainsProfile& FProfile;
    TProfileError& FError;
    int64_t FLine = 0;
    bool FHeaderSeen = false;
};

} // namespace

bool ReadMainsProfile(std::string_view text, TMainsProfile& profile, TProfileError& error)
{
    profile.Points.clear();
    error = {};
    return TProfileReader(profile, error).Read(text);
}

int64_t ProfileTickCount(const TMainsProfile& profile, uint32_t intervalMs)
{
    if (profile.Points.empty() || intervalMs == 0) {
        return 0;
    }
    return profile.Points.back().TimeUs / (int64_t{intervalMs} * 1000);
}

#include "foundation/threads/Duration.h"

#include <cstdio>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/ParseException.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/text/Match.h"
#include "foundation/text/Text.h"

namespace TAVO {

namespace {

using Pattern = Match<char>::Pattern;
using Composite = Match<char>::Composite;

enum Field : std::uint32_t { Hours = 0, Minutes = 1, Seconds = 2, Milliseconds = 3 };

std::unique_ptr<Pattern> digits(std::uint32_t min, std::uint32_t max, std::uint32_t id) {
    return std::make_unique<Match<char>::Repeat>(std::make_unique<Match<char>::Range>('0', '9'), min, max, id);
}

// The end of the text, or the separator and a field.
std::unique_ptr<Pattern> endOrField(char separator, std::uint32_t min, std::uint32_t max, std::uint32_t id) {
    auto field = std::make_unique<Match<char>::Sequence>();
    field->append(std::make_unique<Match<char>::Symbol>(separator));
    field->append(digits(min, max, id));
    auto choice = std::make_unique<Match<char>::Disjunction>();
    choice->append(std::make_unique<Match<char>::End>());
    choice->append(std::move(field));
    return choice;
}

// H, H:M, H:M:S or H:M:S.mmm (with "_" for every separator in the file-name
// form). Characters after a complete milliseconds field are not looked at.
std::unique_ptr<Pattern> clockPattern(char separator, char fractionSeparator) {
    auto sequence = std::make_unique<Match<char>::Sequence>();
    sequence->append(digits(1, 2, Hours));
    sequence->append(endOrField(separator, 1, 2, Minutes));
    sequence->append(endOrField(separator, 1, 2, Seconds));
    sequence->append(endOrField(fractionSeparator, 3, 3, Milliseconds));
    return sequence;
}

std::unique_ptr<Pattern> unitItem(char unit, std::uint32_t id) {
    auto item = std::make_unique<Match<char>::Sequence>();
    item->append(digits(0, Match<char>::Repeat::unbounded, id));
    item->append(std::make_unique<Match<char>::Symbol>(unit));
    return item;
}

// One to four of "<digits>h", "<digits>M", "<digits>s", "<digits>m", each
// followed by blanks or the end, then the end: "1h 30M", "90s", "250m".
std::unique_ptr<Pattern> unitPattern() {
    auto items = std::make_unique<Match<char>::Disjunction>();
    items->append(unitItem('h', Hours));
    items->append(unitItem('M', Minutes));
    items->append(unitItem('s', Seconds));
    items->append(unitItem('m', Milliseconds));
    auto gap = std::make_unique<Match<char>::Disjunction>();
    gap->append(std::make_unique<Match<char>::Repeat>(std::make_unique<Match<char>::Symbol>(' '), 0,
                                                      Match<char>::Repeat::unbounded));
    gap->append(std::make_unique<Match<char>::End>());
    auto step = std::make_unique<Match<char>::Sequence>();
    step->append(std::move(items));
    step->append(std::move(gap));
    auto sequence = std::make_unique<Match<char>::Sequence>();
    sequence->append(std::make_unique<Match<char>::Repeat>(std::move(step), 1, 4));
    sequence->append(std::make_unique<Match<char>::End>());
    return sequence;
}

} // namespace

Duration::Duration(const std::string& text) : milliseconds_(0) {
    static const std::unique_ptr<Pattern> patterns[3] = {clockPattern(':', '.'), clockPattern('_', '_'),
                                                         unitPattern()};
    static const unsigned long long factors[4] = {3600000, 60000, 1000, 1};
    if (text.size() > 0xFFFFFFFFu)
        throw ParseException(SourceLocation(), text, *this);
    for (const std::unique_ptr<Pattern>& pattern : patterns) {
        Match<char> matcher;
        if (!matcher.run(*pattern, text.data(), std::uint32_t(text.size())))
            continue;
        Match<char>::Captures captures(matcher);
        unsigned long long total = 0;
        for (std::uint32_t field = Hours; field <= Milliseconds; ++field) {
            if (captures.get(field).empty())
                continue;
            const Match<char>::Capture& capture = captures.singleCapture(field);
            total += Text::parseUnsigned(std::string(capture.begin, capture.length)) * factors[field];
        }
        if (total > 0xFFFFFFFFull)
            throw BoundException<unsigned long long>(SourceLocation(), total, 0xFFFFFFFFull);
        milliseconds_ = unsigned(total);
        return;
    }
    throw ParseException(SourceLocation(), text, *this);
}

void Duration::parts(unsigned int& hours, unsigned int& minutes, unsigned int& seconds,
                     unsigned int& milliseconds) const {
    hours = this->hours();
    minutes = this->minutes();
    seconds = this->seconds();
    milliseconds = this->milliseconds();
}

std::string Duration::format(char separator, char fractionSeparator) const {
    char text[40];
    std::snprintf(text, sizeof text, "%02u%c%02u%c%02u%c%03u", hours(), separator, minutes(), separator, seconds(),
                  fractionSeparator, milliseconds());
    return text;
}

std::string Duration::toString() const {
    return format(':', '.');
}

std::string Duration::toFileNameString() const {
    return format('_', '_');
}

void Duration::serialize(Serialization& serialization) {
    serialization.serialize(milliseconds_);
}

} // namespace TAVO

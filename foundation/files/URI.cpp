#include "foundation/files/URI.h"

#include <limits>
#include <memory>

#include "foundation/exceptions/ParseException.h"
#include "foundation/text/ConversionException.h"
#include "foundation/text/Match.h"

namespace TAVO {

namespace {

using M = Match<char>;
using Hierarchical = URI::Hierarchical;
using Authority = URI::Hierarchical::Authority;
using UriPath = URI::Hierarchical::Path;

constexpr std::uint32_t inf = 0xFFFFFFFFu;

std::unique_ptr<M::Pattern> symbol(char c, std::uint32_t id = M::noCapture) {
    return std::make_unique<M::Symbol>(c, id);
}

std::unique_ptr<M::Pattern> anti(std::unique_ptr<M::Pattern> inner) {
    return std::make_unique<M::Anti>(std::move(inner));
}

std::unique_ptr<M::Pattern> repeat(std::unique_ptr<M::Pattern> child, std::uint32_t min, std::uint32_t max,
                                   std::uint32_t id = M::noCapture) {
    return std::make_unique<M::Repeat>(std::move(child), min, max, id);
}

std::unique_ptr<M::Pattern> notSymbols(const std::string& symbols) {
    if (symbols.size() == 1)
        return anti(symbol(symbols[0]));
    return anti(std::make_unique<M::SymbolSet>(symbols.data(), std::uint32_t(symbols.size())));
}

template <class Node>
std::unique_ptr<M::Composite> composite(std::uint32_t id = M::noCapture) {
    return std::make_unique<Node>(id);
}

std::unique_ptr<M::Pattern> end() { return std::make_unique<M::End>(); }
std::unique_ptr<M::Pattern> nothing() { return std::make_unique<M::Nothing>(); }

const M::Pattern& pathGrammar() {
    static const std::unique_ptr<M::Pattern> grammar = [] {
        auto first = composite<M::Disjunction>();
        auto rooted = composite<M::Sequence>();
        rooted->append(symbol('/', 1));
        auto afterRoot = composite<M::Disjunction>();
        afterRoot->append(repeat(notSymbols("/"), 1, inf, 0));
        afterRoot->append(end());
        rooted->append(std::move(afterRoot));
        first->append(std::move(rooted));
        first->append(repeat(notSymbols("/"), 1, inf, 0));
        first->append(nothing());

        auto segment = composite<M::Sequence>();
        segment->append(symbol('/'));
        segment->append(repeat(notSymbols("/"), 0, inf, 0));

        auto root = composite<M::Sequence>();
        root->append(std::move(first));
        root->append(repeat(std::move(segment), 0, inf));
        root->append(end());
        return std::unique_ptr<M::Pattern>(std::move(root));
    }();
    return *grammar;
}

const M::Pattern& authorityGrammar() {
    static const std::unique_ptr<M::Pattern> grammar = [] {
        auto password = composite<M::Sequence>();
        password->append(symbol(':'));
        password->append(repeat(notSymbols("@"), 0, inf, 2));
        auto optionalPassword = composite<M::Disjunction>();
        optionalPassword->append(std::move(password));
        optionalPassword->append(nothing());
        auto userInfo = composite<M::Sequence>();
        userInfo->append(repeat(notSymbols("@:"), 0, inf, 3));
        userInfo->append(std::move(optionalPassword));
        userInfo->append(symbol('@'));
        auto optionalUserInfo = composite<M::Disjunction>();
        optionalUserInfo->append(std::move(userInfo));
        optionalUserInfo->append(nothing());

        auto bracketed = composite<M::Sequence>();
        bracketed->append(symbol('['));
        bracketed->append(repeat(notSymbols("]"), 0, inf));
        bracketed->append(symbol(']'));
        auto host = composite<M::Disjunction>(1);
        host->append(std::move(bracketed));
        host->append(repeat(notSymbols(":"), 0, inf));

        auto port = composite<M::Sequence>();
        port->append(symbol(':'));
        port->append(repeat(std::make_unique<M::Range>('0', '9'), 1, inf, 0));
        auto optionalPort = composite<M::Disjunction>();
        optionalPort->append(std::move(port));
        optionalPort->append(nothing());

        auto root = composite<M::Sequence>();
        root->append(std::move(optionalUserInfo));
        root->append(std::move(host));
        root->append(std::move(optionalPort));
        root->append(end());
        return std::unique_ptr<M::Pattern>(std::move(root));
    }();
    return *grammar;
}

const M::Pattern& hierarchicalGrammar() {
    static const std::unique_ptr<M::Pattern> grammar = [] {
        auto authority = composite<M::Sequence>();
        authority->append(std::make_unique<M::Fixed>("//", 2));
        authority->append(repeat(notSymbols("/"), 0, inf, 1));
        auto optionalAuthority = composite<M::Disjunction>();
        optionalAuthority->append(std::move(authority));
        optionalAuthority->append(nothing());

        auto root = composite<M::Sequence>();
        root->append(std::move(optionalAuthority));
        root->append(repeat(std::make_unique<M::AnySymbol>(), 0, inf, 0));
        root->append(end());
        return std::unique_ptr<M::Pattern>(std::move(root));
    }();
    return *grammar;
}

const M::Pattern& uriGrammar() {
    static const std::unique_ptr<M::Pattern> grammar = [] {
        auto scheme = composite<M::Sequence>();
        scheme->append(repeat(notSymbols(":/?#"), 0, inf, 3));
        scheme->append(symbol(':'));
        auto optionalScheme = composite<M::Disjunction>();
        optionalScheme->append(std::move(scheme));
        optionalScheme->append(nothing());

        auto hierarchical = composite<M::Disjunction>();
        hierarchical->append(repeat(notSymbols("?#"), 0, inf, 2));
        hierarchical->append(nothing());

        auto query = composite<M::Sequence>();
        query->append(symbol('?'));
        query->append(repeat(notSymbols("#"), 0, inf, 1));
        auto optionalQuery = composite<M::Disjunction>();
        optionalQuery->append(std::move(query));
        optionalQuery->append(nothing());

        auto fragment = composite<M::Sequence>();
        fragment->append(symbol('#'));
        fragment->append(repeat(std::make_unique<M::AnySymbol>(), 0, inf, 0));
        auto optionalFragment = composite<M::Disjunction>();
        optionalFragment->append(std::move(fragment));
        optionalFragment->append(nothing());

        auto root = composite<M::Sequence>();
        root->append(std::move(optionalScheme));
        root->append(std::move(hierarchical));
        root->append(std::move(optionalQuery));
        root->append(std::move(optionalFragment));
        root->append(end());
        return std::unique_ptr<M::Pattern>(std::move(root));
    }();
    return *grammar;
}

std::string textOf(const M::Capture& capture) {
    return std::string(capture.begin, capture.length);
}

// Runs a grammar over the whole text; a failure names the class of the value
// that was to be filled.
template <class Target>
void run(M& matcher, const M::Pattern& grammar, const std::string& text, const Target& target) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max() || !matcher.run(grammar, text.data(), std::uint32_t(text.size())))
        throw ParseException(SourceLocation(), text, target);
}

// The text of an id that must occur at most once; false when it did not occur.
bool optionalCapture(M::Captures& captures, std::uint32_t id, std::string& text) {
    const std::vector<M::Capture>& found = captures.get(id);
    if (found.empty())
        return false;
    if (found.size() != 1)
        throw M::UnexpectedNumberOfMatches(SourceLocation(), std::uint32_t(found.size()), 1);
    text = textOf(found.front());
    return true;
}

// The encode set: reserved and unsafe characters and DEL.
const std::string& reserved() {
    static const std::string set = std::string(";/?:@&=+$, <>#%\"{}|\\^[]`") + char(0x7F);
    return set;
}

const char* const keptInScheme = "+-.";
const char* const keptInUserInfo = ";:&=+$,";
const char* const keptInHost = "";
const char* const keptInFirstRelativeSegment = ";@&=+$,";
const char* const keptInSegment = ":@&=+$,";
const char* const keptInQuery = ";/?:@&=+$,";

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

// Parsers --------------------------------------------------------------------

UriPath UriPath::parse(const std::string& text) {
    UriPath result;
    M matcher;
    run(matcher, pathGrammar(), text, result);
    M::Captures captures(matcher);
    result.absolute = !captures.get(1).empty();
    for (const M::Capture& capture : captures.get(0))
        result.segments.push_back(textOf(capture));
    return result;
}

Authority Authority::parse(const std::string& text) {
    Authority result;
    M matcher;
    run(matcher, authorityGrammar(), text, result);
    M::Captures captures(matcher);
    result.hasUser = optionalCapture(captures, 3, result.user);
    result.hasPassword = optionalCapture(captures, 2, result.password);
    result.hasHost = optionalCapture(captures, 1, result.host);
    optionalCapture(captures, 0, result.port);
    return result;
}

Hierarchical Hierarchical::parse(const std::string& text) {
    Hierarchical result;
    M matcher;
    run(matcher, hierarchicalGrammar(), text, result);
    M::Captures captures(matcher);
    std::string authorityText;
    if (optionalCapture(captures, 1, authorityText))
        result.authority = Authority::parse(authorityText);
    result.path = UriPath::parse(textOf(captures.singleCapture(0)));
    return result;
}

URI URI::parse(const std::string& text) {
    URI result;
    M matcher;
    run(matcher, uriGrammar(), text, result);
    M::Captures captures(matcher);
    optionalCapture(captures, 3, result.scheme);
    result.hierarchical = Hierarchical::parse(textOf(captures.singleCapture(2)));
    optionalCapture(captures, 1, result.query);
    optionalCapture(captures, 0, result.fragment);
    return result;
}

// Writers --------------------------------------------------------------------

std::string UriPath::toString() const {
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i > 0)
            result += '/';
        result += segments[i];
    }
    return result;
}

std::string Authority::toString() const {
    std::string result;
    if (!user.empty()) {
        result += user;
        if (!password.empty())
            result += ":" + password;
        result += "@";
    }
    result += host;
    if (!port.empty())
        result += ":" + port;
    return result;
}

std::string Hierarchical::toString() const {
    if (authority.isSet())
        return "//" + authority.toString() + path.toString();
    return path.toString();
}

std::string URI::toString() const {
    std::string result;
    if (!scheme.empty())
        result += scheme + ":";
    result += hierarchical.toString();
    if (!query.empty())
        result += "?" + query;
    if (!fragment.empty())
        result += "#" + fragment;
    return result;
}

// Encoding -------------------------------------------------------------------

std::string URI::encode(const std::string& text, const std::string& keep) {
    std::string set = reserved();
    for (char c : keep) {
        const std::size_t at = set.find(c);
        if (at != std::string::npos)
            set.erase(at, 1);
    }
    static const char digits[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7F && set.find(c) == std::string::npos) {
            result += c;
        } else {
            result += '%';
            result += digits[byte >> 4];
            result += digits[byte & 0xF];
        }
    }
    return result;
}

std::string URI::decode(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    std::size_t p = 0;
    for (;;) {
        const std::size_t percent = text.find('%', p);
        if (percent == std::string::npos) {
            result.append(text, p, std::string::npos);
            return result;
        }
        result.append(text, p, percent - p);
        if (text.size() - percent < 3)
            throw ParseException(SourceLocation(), text.substr(percent), "encoded character (%xx)");
        // Exactly two hexadecimal digits: no sign, blank or prefix.
        const int high = hexDigit(text[percent + 1]);
        const int low = hexDigit(text[percent + 2]);
        if (high < 0 || low < 0)
            throw Text::ConversionException(SourceLocation(), text.substr(percent + 1, 2), "unsigned int");
        result += char(high * 16 + low);
        p = percent + 3;
    }
}

Authority URI::encoded(const Authority& authority) {
    Authority result = authority;
    result.user = encode(authority.user, keptInUserInfo);
    result.password = encode(authority.password, keptInUserInfo);
    result.host = encode(authority.host, keptInHost);
    result.port = encode(authority.port, keptInHost);
    return result;
}

UriPath URI::encoded(const UriPath& path) {
    UriPath result = path;
    for (std::size_t i = 0; i < result.segments.size(); ++i)
        result.segments[i] =
            encode(path.segments[i], i == 0 && !path.absolute ? keptInFirstRelativeSegment : keptInSegment);
    return result;
}

Hierarchical URI::encoded(const Hierarchical& hierarchical) {
    Hierarchical result;
    result.authority = encoded(hierarchical.authority);
    result.path = encoded(hierarchical.path);
    return result;
}

URI URI::encoded(const URI& uri) {
    URI result;
    result.scheme = encode(uri.scheme, keptInScheme);
    result.hierarchical = encoded(uri.hierarchical);
    result.query = encode(uri.query, keptInQuery);
    result.fragment = encode(uri.fragment, keptInQuery);
    return result;
}

Authority URI::decoded(const Authority& authority) {
    Authority result = authority;
    result.user = decode(authority.user);
    result.password = decode(authority.password);
    result.host = decode(authority.host);
    result.port = decode(authority.port);
    return result;
}

UriPath URI::decoded(const UriPath& path) {
    UriPath result = path;
    for (std::string& segment : result.segments)
        segment = decode(segment);
    return result;
}

Hierarchical URI::decoded(const Hierarchical& hierarchical) {
    Hierarchical result;
    result.authority = decoded(hierarchical.authority);
    result.path = decoded(hierarchical.path);
    return result;
}

URI URI::decoded(const URI& uri) {
    URI result;
    result.scheme = decode(uri.scheme);
    result.hierarchical = decoded(uri.hierarchical);
    result.query = decode(uri.query);
    result.fragment = decode(uri.fragment);
    return result;
}

// Dot segments and resolution -------------------------------------------------

UriPath UriPath::append(const UriPath& base, const UriPath& relative) {
    UriPath result = base;
    for (const std::string& segment : relative.segments) {
        if (segment == "..") {
            if (!result.segments.empty())
                result.segments.pop_back();
        } else if (segment != ".") {
            result.segments.push_back(segment);
        }
    }
    return result;
}

UriPath UriPath::normalized(const UriPath& path) {
    return append(UriPath(path.absolute, {}), path);
}

namespace {

// The dot segments of a resolved path removed: as normalized, except that a
// path ending in "." or ".." still names a folder, so "/b/c/g/.." gives
// "/b/c/" and not "/b/c".
UriPath withoutDotSegments(const UriPath& path) {
    UriPath result = UriPath::normalized(path);
    if (!path.segments.empty() && (path.segments.back() == "." || path.segments.back() == "..") &&
        !result.segments.empty())
        result.segments.emplace_back();
    return result;
}

} // namespace

URI URI::resolve(const URI& base, const URI& reference) {
    URI result;
    const Hierarchical& b = base.hierarchical;
    const Hierarchical& r = reference.hierarchical;
    if (!reference.scheme.empty() && reference.scheme != base.scheme) {
        result.scheme = reference.scheme;
        result.hierarchical.authority = r.authority;
        result.hierarchical.path = withoutDotSegments(r.path);
        result.query = reference.query;
    } else {
        result.scheme = base.scheme;
        if (!r.authority.host.empty()) {
            result.hierarchical.authority = r.authority;
            result.hierarchical.path = withoutDotSegments(r.path);
            result.query = reference.query;
        } else {
            result.hierarchical.authority = b.authority;
            // Only an empty path takes the base's: "/" is a path of its own,
            // the root.
            if (!r.path.absolute && r.path.segments.empty()) {
                result.hierarchical.path = b.path;
                result.query = reference.query.empty() ? base.query : reference.query;
            } else if (r.path.absolute) {
                result.hierarchical.path = withoutDotSegments(r.path);
                result.query = reference.query;
            } else {
                // The reference's segments follow the base's folder; dot
                // segments are removed from the whole.
                UriPath merged;
                if (!b.authority.host.empty() && b.path.segments.empty()) {
                    merged.absolute = true;
                } else {
                    merged = b.path;
                    if (!merged.segments.empty())
                        merged.segments.pop_back();
                }
                merged.segments.insert(merged.segments.end(), r.path.segments.begin(), r.path.segments.end());
                result.hierarchical.path = withoutDotSegments(merged);
                result.query = reference.query;
            }
        }
    }
    result.fragment = reference.fragment;
    return result;
}

} // namespace TAVO

#include <gtest/gtest.h>

#include <sstream>

#include "foundation/exceptions/ParseException.h"
#include "foundation/files/URI.h"
#include "foundation/text/ConversionException.h"
#include "foundation/text/Match.h"
#include "support/Command.h"

using namespace TAVO;
using UriPath = URI::Hierarchical::Path;
using Segments = std::vector<std::string>;

namespace {

// A reproducible source of test texts.
class Generator {
public:
    explicit Generator(std::uint32_t seed) : state_(seed) {}
    std::uint32_t below(std::uint32_t n) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % n;
    }
    std::string text(const std::string& alphabet, std::uint32_t minLength, std::uint32_t maxLength) {
        std::string result;
        const std::uint32_t length = minLength + below(maxLength - minLength + 1);
        for (std::uint32_t i = 0; i < length; ++i)
            result += alphabet[below(std::uint32_t(alphabet.size()))];
        return result;
    }

private:
    std::uint32_t state_;
};

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string result;
    for (unsigned char c : bytes) {
        result += digits[c >> 4];
        result += digits[c & 15];
    }
    return result;
}

std::string pythonLines(const std::string& program) {
    const KestruneTest::Command::Result result = KestruneTest::Command::python(program);
    EXPECT_EQ(result.exitCode, 0) << program;
    return result.output;
}

} // namespace

TEST(URIPath, ParseTable) {
    struct Case {
        const char* text;
        bool absolute;
        Segments segments;
    };
    const Case cases[] = {
        {"", false, {}},
        {"/", true, {}},
        {"/a/b", true, {"a", "b"}},
        {"a/b", false, {"a", "b"}},
        {"a/", false, {"a", ""}},
        {"a//b", false, {"a", "", "b"}},
        {"a/b/", false, {"a", "b", ""}},
        {"%2F?#\\", false, {"%2F?#\\"}},
    };
    // A leading empty segment writes back as one slash.
    EXPECT_EQ(UriPath::parse("//a"), UriPath(false, {"", "a"}));
    EXPECT_EQ(UriPath::parse("//a").toString(), "/a");
    for (const Case& c : cases) {
        const UriPath path = UriPath::parse(c.text);
        EXPECT_EQ(path.absolute, c.absolute) << c.text;
        EXPECT_EQ(path.segments, c.segments) << c.text;
        EXPECT_EQ(path.toString(), c.text);
    }
}

TEST(URIAuthority, ParseTable) {
    const auto full = URI::Hierarchical::Authority::parse("u:p@h:80");
    EXPECT_EQ(full.user, "u");
    EXPECT_EQ(full.password, "p");
    EXPECT_EQ(full.host, "h");
    EXPECT_EQ(full.port, "80");
    EXPECT_TRUE(full.hasUser && full.hasPassword && full.hasHost);
    EXPECT_EQ(full.toString(), "u:p@h:80");

    const auto userOnly = URI::Hierarchical::Authority::parse("u@h");
    EXPECT_TRUE(userOnly.hasUser);
    EXPECT_FALSE(userOnly.hasPassword);

    const auto bracketed = URI::Hierarchical::Authority::parse("[::1]:8080");
    EXPECT_EQ(bracketed.host, "[::1]");
    EXPECT_EQ(bracketed.port, "8080");

    const auto empty = URI::Hierarchical::Authority::parse("");
    EXPECT_TRUE(empty.hasHost);
    EXPECT_EQ(empty.host, "");

    try {
        URI::Hierarchical::Authority::parse("h:x");
        FAIL();
    } catch (const ParseException& e) {
        EXPECT_EQ(e.text(), "h:x");
        EXPECT_EQ(e.target(), "TAVO::URI::Hierarchical::Authority");
    }
    // A password without a user is not written.
    URI::Hierarchical::Authority orphan;
    orphan.password = "p";
    orphan.host = "h";
    EXPECT_EQ(orphan.toString(), "h");
}

TEST(URIHierarchical, ParseTable) {
    const auto withHost = URI::Hierarchical::parse("//h/p");
    EXPECT_EQ(withHost.authority.host, "h");
    EXPECT_EQ(withHost.path, UriPath(true, {"p"}));
    const auto relative = URI::Hierarchical::parse("p/q");
    EXPECT_FALSE(relative.authority.isSet());
    EXPECT_EQ(relative.path, UriPath(false, {"p", "q"}));
    const auto emptyHost = URI::Hierarchical::parse("///x");
    EXPECT_TRUE(emptyHost.authority.hasHost);
    EXPECT_EQ(emptyHost.toString(), "///x");
}

TEST(URI, ParseTable) {
    const URI uri = URI::parse("file:///C:/x?q#f");
    EXPECT_EQ(uri.scheme, "file");
    EXPECT_EQ(uri.hierarchical.path, UriPath(true, {"C:", "x"}));
    EXPECT_EQ(uri.query, "q");
    EXPECT_EQ(uri.fragment, "f");
    EXPECT_EQ(uri.toString(), "file:///C:/x?q#f");

    const URI emptyScheme = URI::parse(":x");
    EXPECT_EQ(emptyScheme.scheme, "");
    EXPECT_EQ(emptyScheme.hierarchical.path, UriPath(false, {"x"}));

    try {
        URI::parse("s://u@h:port/x");
        FAIL();
    } catch (const ParseException& e) {
        EXPECT_EQ(e.target(), "TAVO::URI::Hierarchical::Authority");
    }
}

TEST(URI, ParseAgreesWithPythonOnGeneratedURIs) {
    Generator generate(7);
    const std::string segmentCharacters = "abcXYZ09-._~%!$&'()*+,;=:@";
    std::vector<std::string> texts;
    std::string program = "from urllib.parse import urlsplit\nfor t in [\n";
    for (int i = 0; i < 150; ++i) {
        std::string text = std::vector<std::string>{"http", "file", "s3x", "a+b.c-d"}[generate.below(4)] + ":";
        if (generate.below(3) != 0) {
            text += "//";
            if (generate.below(2) != 0)
                text += generate.text("abc12", 1, 4) + ":" + generate.text("xyz9;", 1, 4) + "@";
            text += generate.text("abcdef.", 1, 8);
            if (generate.below(2) != 0)
                text += ":1" + generate.text("0123456789", 0, 3);
        }
        const std::uint32_t segments = generate.below(4);
        for (std::uint32_t s = 0; s < segments; ++s)
            text += "/" + generate.text(segmentCharacters, s == 0 ? 1 : 0, 5);
        // Absent and empty parts are one and the same here, so both are non-empty when present.
        if (generate.below(2) != 0)
            text += "?" + generate.text(segmentCharacters + "/?", 1, 6);
        if (generate.below(2) != 0)
            text += "#" + generate.text(segmentCharacters + "/?#", 1, 6);
        texts.push_back(text);
        program += "  bytes.fromhex('" + hex(text) + "').decode(),\n";
    }
    program += "]:\n  u = urlsplit(t)\n"
               "  print('|'.join([u.scheme, u.netloc, u.path, u.query, u.fragment, u.username or '',"
               " u.password or '', u.hostname or '', str(u.port or '')]))\n";
    std::istringstream expected(pythonLines(program));
    for (const std::string& text : texts) {
        const URI uri = URI::parse(text);
        const auto& authority = uri.hierarchical.authority;
        const std::string ours = uri.scheme + "|" + authority.toString() + "|" + uri.hierarchical.path.toString() +
                                 "|" + uri.query + "|" + uri.fragment + "|" + authority.user + "|" +
                                 authority.password + "|" + authority.host + "|" +
                                 (authority.port.empty() ? "" : std::to_string(std::stoul(authority.port)));
        std::string line;
        std::getline(expected, line);
        EXPECT_EQ(ours, line) << text;
        EXPECT_EQ(uri.toString(), text);
    }
}

TEST(URI, EncodeTable) {
    EXPECT_EQ(URI::encode("a b", ""), "a%20b");
    EXPECT_EQ(URI::encode("\t", "\t"), "%09");
    EXPECT_EQ(URI::encode("\xE9", ""), "%e9");
    EXPECT_EQ(URI::encode("a:b;c", ":"), "a:b%3bc");
    const URI::Hierarchical::Path relative = URI::encoded(UriPath(false, {"a:b;", "c:d;"}));
    EXPECT_EQ(relative.segments, (Segments{"a%3ab;", "c:d%3b"}));
    EXPECT_EQ(URI::encoded(UriPath(true, {"a:b;"})).segments, Segments{"a:b%3b"});
}

TEST(URI, EncodeAgreesWithPythonQuote) {
    Generator generate(11);
    const std::vector<std::string> keeps = {"", "+-.", ";:&=+$,", ";@&=+$,", ":@&=+$,", ";/?:@&=+$,"};
    std::vector<std::pair<std::string, std::string>> cases;
    std::string program = "import re\nfrom urllib.parse import quote\n"
                          "reserved = set(';/?:@&=+$, <>#%\"{}|\\\\^[]`\\x7f')\n"
                          "def enc(b, keep):\n"
                          "  s = reserved - set(keep)\n"
                          "  safe = ''.join(chr(c) for c in range(0x20, 0x80) if chr(c) not in s)\n"
                          "  return re.sub('%[0-9A-F]{2}', lambda m: m.group(0).lower(), quote(b, safe=safe))\n"
                          "for t, k in [\n";
    for (int i = 0; i < 300; ++i) {
        std::string text;
        const std::uint32_t length = generate.below(12);
        for (std::uint32_t j = 0; j < length; ++j)
            text += char(generate.below(256));
        const std::string& keep = keeps[generate.below(std::uint32_t(keeps.size()))];
        cases.emplace_back(text, keep);
        program += "  (bytes.fromhex('" + hex(text) + "'), bytes.fromhex('" + hex(keep) + "').decode()),\n";
    }
    program += "]:\n  print(enc(t, k))\n";
    std::istringstream expected(pythonLines(program));
    for (const auto& [text, keep] : cases) {
        std::string line;
        std::getline(expected, line);
        const std::string encoded = URI::encode(text, keep);
        EXPECT_EQ(encoded, line) << hex(text) << " keeping " << keep;
        EXPECT_EQ(URI::decode(encoded), text);
    }
}

TEST(URI, DecodeAgreesWithPythonUnquote) {
    Generator generate(5);
    std::vector<std::string> texts;
    std::string program = "from urllib.parse import unquote_to_bytes\nfor t in [\n";
    for (int i = 0; i < 200; ++i) {
        std::string text;
        const std::uint32_t pieces = generate.below(6);
        for (std::uint32_t j = 0; j < pieces; ++j)
            text += generate.below(2) != 0 ? generate.text("ab/+ ", 0, 3) : "%" + generate.text("0123456789abcdefABCDEF", 2, 2);
        texts.push_back(text);
        program += "  '" + text + "',\n";
    }
    program += "]:\n  print(unquote_to_bytes(t).hex())\n";
    std::istringstream expected(pythonLines(program));
    for (const std::string& text : texts) {
        std::string line;
        std::getline(expected, line);
        EXPECT_EQ(hex(URI::decode(text)), line) << text;
    }
}

TEST(URI, DecodeRefusesBadEscapes) {
    EXPECT_EQ(URI::decode("%41%4a"), "AJ");
    try {
        URI::decode("ab%4");
        FAIL();
    } catch (const ParseException& e) {
        EXPECT_EQ(e.text(), "%4");
        EXPECT_EQ(e.target(), "encoded character (%xx)");
    }
    EXPECT_THROW(URI::decode("%zz"), Text::ConversionException);
    // Signs, blanks and half digits are no hexadecimal number.
    for (const char* text : {"%-1", "%+1", "% 1", "%1 ", "%0x", "%1g"})
        EXPECT_THROW(URI::decode(text), Text::ConversionException) << text;
}

TEST(URIPath, AppendRemovesDotSegments) {
    EXPECT_EQ(UriPath::append(UriPath(false, {"a", "b"}), UriPath(false, {"..", ".", "c"})), UriPath(false, {"a", "c"}));
    EXPECT_EQ(UriPath::append(UriPath(false, {}), UriPath(false, {".."})), UriPath(false, {}));
    EXPECT_EQ(UriPath::normalized(UriPath(true, {"x", "..", "..", "y"})), UriPath(true, {"y"}));
}

TEST(URI, ResolveTable) {
    const URI base = URI::parse("s://h/a/b?bq");
    EXPECT_EQ(URI::resolve(base, URI::parse("c")).toString(), "s://h/a/c");
    EXPECT_EQ(URI::resolve(base, URI::parse("../c")).toString(), "s://h/c");
    EXPECT_EQ(URI::resolve(base, URI::parse("?q")).toString(), "s://h/a/b?q");
    EXPECT_EQ(URI::resolve(base, URI::parse("#f")).toString(), "s://h/a/b?bq#f");
    EXPECT_EQ(URI::resolve(base, URI::parse("s:c")).toString(), "s://h/a/c");
    EXPECT_EQ(URI::resolve(base, URI::parse("t:/x/../y")).toString(), "t:/y");
    EXPECT_EQ(URI::resolve(URI::parse("s://h"), URI::parse("c")).toString(), "s://h/c");
}

TEST(URI, ResolveAgreesWithPythonUrljoin) {
    Generator generate(3);
    const std::vector<std::string> words = {"x", "y", "..", ".", "z1"};
    std::vector<std::pair<std::string, std::string>> cases;
    std::string program = "from urllib.parse import urljoin\nfor b, r in [\n";
    for (int i = 0; i < 200; ++i) {
        std::string base = "http://h";
        const std::uint32_t baseSegments = generate.below(4);
        for (std::uint32_t s = 0; s < baseSegments; ++s)
            base += "/" + std::vector<std::string>{"a", "b", "c"}[generate.below(3)];
        if (generate.below(3) == 0)
            base += "?bq";
        const std::uint32_t kind = generate.below(6);
        std::string reference = kind == 0 ? "//g/" : kind == 1 ? "/" : "";
        const std::uint32_t segments = 1 + generate.below(4);
        for (std::uint32_t s = 0; s < segments; ++s)
            // The oracle keeps dot segments of a reference with its own authority.
            reference += words[generate.below(kind == 0 ? 2 : std::uint32_t(words.size()))] + "/";
        // A final dot segment would keep a trailing slash in the other reading.
        reference += "w";
        if (generate.below(3) == 0)
            reference += "?q";
        if (generate.below(3) == 0)
            reference += "#f";
        cases.emplace_back(base, reference);
        program += "  ('" + base + "', '" + reference + "'),\n";
    }
    program += "]:\n  print(urljoin(b, r))\n";
    std::istringstream expected(pythonLines(program));
    for (const auto& [base, reference] : cases) {
        std::string line;
        std::getline(expected, line);
        EXPECT_EQ(URI::resolve(URI::parse(base), URI::parse(reference)).toString(), line)
            << base << " + " << reference;
    }
}

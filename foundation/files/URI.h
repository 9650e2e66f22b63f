#pragma once

#include <string>
#include <vector>

namespace TAVO {

// A uniform resource identifier in the generic syntax: scheme, hierarchical
// part (authority and path), query and fragment. An absent part is the empty
// text. Parsing keeps the raw characters: percent escapes are decoded only by
// decoded().
class URI {
public:
    class Hierarchical {
    public:
        class Authority {
        public:
            std::string user;
            bool hasUser = false;
            std::string password;
            bool hasPassword = false;
            std::string host;
            bool hasHost = false;
            // Decimal digits, empty when there is none.
            std::string port;

            bool isSet() const { return hasUser || hasPassword || hasHost; }

            // [user[:password]@]host[:port]; a bracketed host keeps its
            // brackets. Throws ParseException.
            static Authority parse(const std::string& text);
            // A password is written only together with a user.
            std::string toString() const;

            bool operator==(const Authority& other) const = default;
        };

        // A rooted or relative list of segments; segments may be empty.
        class Path {
        public:
            bool absolute = false;
            std::vector<std::string> segments;

            Path() = default;
            Path(bool absolute, std::vector<std::string> segments)
                : absolute(absolute), segments(std::move(segments)) {}

            // Throws ParseException (the only text it refuses is one it
            // cannot measure).
            static Path parse(const std::string& text);
            // "/" when absolute, then the segments joined by "/".
            std::string toString() const;

            // base followed by relative's segments: ".." removes the last
            // segment (if any), "." is dropped.
            static Path append(const Path& base, const Path& relative);
            // The path with its dot segments removed.
            static Path normalized(const Path& path);

            bool operator==(const Path& other) const = default;
        };

        Authority authority;
        Path path;

        Hierarchical() = default;
        Hierarchical(const Path& path) : path(path) {}

        // ["//" authority] path. Throws ParseException.
        static Hierarchical parse(const std::string& text);
        std::string toString() const;

        bool operator==(const Hierarchical& other) const = default;
    };

    std::string scheme;
    Hierarchical hierarchical;
    std::string query;
    std::string fragment;

    // [scheme ":"] hierarchical ["?" query] ["#" fragment]. Throws ParseException.
    static URI parse(const std::string& text);
    std::string toString() const;

    // Percent-encodes the reserved and unsafe characters (and every control
    // or non-ASCII byte) except those in keep, with lower-case hex digits.
    static std::string encode(const std::string& text, const std::string& keep);
    // Replaces each "%xx" by its byte. A '%' without two characters after it
    // throws ParseException; two characters that are not hexadecimal digits
    // throw Text::ConversionException.
    static std::string decode(const std::string& text);

    // Copies with every text component encoded or decoded, each with the
    // characters its component may keep.
    static Hierarchical::Authority encoded(const Hierarchical::Authority& authority);
    static Hierarchical::Path encoded(const Hierarchical::Path& path);
    static Hierarchical encoded(const Hierarchical& hierarchical);
    static URI encoded(const URI& uri);
    static Hierarchical::Authority decoded(const Hierarchical::Authority& authority);
    static Hierarchical::Path decoded(const Hierarchical::Path& path);
    static Hierarchical decoded(const Hierarchical& hierarchical);
    static URI decoded(const URI& uri);

    // The target of a reference seen from a base. A reference whose scheme
    // equals the base's counts as having none; a scheme, query or fragment
    // counts as present when its text is not empty, the authority by its
    // host, and the path when it is rooted or has segments (so "/" names the
    // root). Dot segments are removed; a path ending in "." or ".." keeps its
    // final slash.
    static URI resolve(const URI& base, const URI& reference);

    bool operator==(const URI& other) const = default;
};

} // namespace TAVO

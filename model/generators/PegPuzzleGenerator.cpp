#include "model/generators/PegPuzzleGenerator.h"

#include <algorithm>
#include <sstream>

#include "foundation/exceptions/ParseException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/text/Match.h"
#include "foundation/text/StopMatch.h"
#include "foundation/text/Text.h"
#include "geometry/Transformation.h"
#include "model/Puzzle.h"
#include "model/edges/EdgeFactory.h"
#include "model/generators/PuzzleGenerationException.h"

using TAVO::Point;
using M = TAVO::Match<char>;

namespace {

constexpr std::uint32_t numberId = 1;
constexpr std::uint32_t endId = 2;
constexpr std::uint32_t unbounded = TAVO::MatchRepeatConstants::unbounded;
// The longest piece of text a parse error quotes.
constexpr std::size_t quotedLength = 40;

// number terminator: a number is one or more characters other than "," and
// ";"; the terminator is ",", or ";" or the end of the text, which end a peg.
std::unique_ptr<M::Pattern> element() {
    auto number = std::make_unique<M::Repeat>(std::make_unique<M::Anti>(std::make_unique<M::SymbolSet>(",;", 2)), 1,
                                              unbounded, numberId);
    auto terminator = std::make_unique<M::Disjunction>();
    terminator->append(std::make_unique<M::Symbol>(','));
    terminator->append(std::make_unique<M::Symbol>(';', endId));
    terminator->append(std::make_unique<M::End>(endId));
    auto result = std::make_unique<M::Sequence>();
    result->append(std::move(number));
    result->append(std::move(terminator));
    return result;
}

std::unique_ptr<M::Pattern> elements() { return std::make_unique<M::Repeat>(element(), 0, unbounded); }

std::string withoutBlanks(const std::string& text) {
    const char blanks[] = {' ', '\t', '\n', '\r'};
    TAVO::StopMatch<char> filter(
        std::make_unique<M::Repeat>(std::make_unique<M::SymbolSet>(blanks, 4), 1, unbounded));
    return filter.apply(text);
}

// The rest of the text from a position, shortened for a message.
std::string quote(const std::string& text, std::size_t from) {
    std::string rest = text.substr(from, quotedLength);
    if (text.size() - from > quotedLength)
        rest += "...";
    return rest;
}

std::string formatted(float value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

} // namespace

PegPuzzleGenerator::PuzzleBuilder::PuzzleBuilder(const TAVO::Tuple<2, float>& size,
                                                 std::shared_ptr<EdgeFactory> factory)
    : size_(size), factory_(std::move(factory)), puzzle_(std::make_unique<Puzzle>()) {
    board_ = puzzle_->addPiece();
    const float w = size[0], h = size[1];
    const Point<2, float> corners[4] = {Point<2, float>(0.0f, 0.0f), Point<2, float>(w, 0.0f),
                                        Point<2, float>(w, h), Point<2, float>(0.0f, h)};
    // The border is the board's first contour; its records carry no start
    // mark, the outline starts its first contour at the first record anyway.
    for (int i = 0; i < 4; ++i) {
        std::unique_ptr<Edge> edge;
        factory_->create(edge, corners[i], corners[(i + 1) % 4]);
        PieceEdge record;
        record.neighbour = PieceEdge::border;
        record.edge = puzzle_->addEdge(std::move(edge));
        puzzle_->piece(board_).push_back(record);
    }
}

void PegPuzzleGenerator::PuzzleBuilder::endPiece() {
    ++ends_;
    if (coordinates_.size() % 2 != 0)
        throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), "odd number of piece coordinates",
                                             "even number of piece coordinates");
    std::vector<float> coordinates;
    coordinates.swap(coordinates_);
    const std::size_t count = coordinates.size() / 2;
    if (count < 3)
        return;

    const std::string peg = "Peg " + std::to_string(ends_);
    const TAVO::Transformation<2, float>::Scale scale(TAVO::Vector<2, float>(size_[0], size_[1]));
    std::vector<Point<2, float>> corners;
    corners.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float x = coordinates[2 * i], y = coordinates[2 * i + 1];
        // A corner beyond the board would cut the board's border.
        if (!(x >= 0.0f && x <= 1.0f && y >= 0.0f && y <= 1.0f))
            throw PuzzleGenerationException(TAVO::SourceLocation(), peg + " has a corner outside the puzzle: (" +
                                                                        formatted(x) + ", " + formatted(y) +
                                                                        "). ");
        corners.push_back(scale.transform(Point<2, float>(x, y)));
    }
    // A peg listed the other way round would lie outside its own outline.
    double area = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const Point<2, float>&a = corners[i], &b = corners[(i + 1) % count];
        area += double(a[0]) * b[1] - double(b[0]) * a[1];
    }
    if (!(area > 0.0))
        throw PuzzleGenerationException(TAVO::SourceLocation(),
                                        peg + " encloses no area in the order of its corners. ");

    std::vector<std::uint32_t> edges;
    edges.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_ptr<Edge> edge;
        factory_->create(edge, corners[i], corners[(i + 1) % count]);
        edges.push_back(puzzle_->addEdge(std::move(edge)));
    }
    const std::uint32_t piece = puzzle_->addPiece();
    for (std::size_t i = 0; i < count; ++i) {
        PieceEdge record;
        record.neighbour = board_;
        record.edge = edges[i];
        record.startsContour = i == 0 ? 1 : 0;
        puzzle_->piece(piece).push_back(record);
    }
    // The hole in the board: the same edges from last to first, walked backwards.
    for (std::size_t i = count; i-- > 0;) {
        PieceEdge record;
        record.neighbour = piece;
        record.edge = edges[i];
        record.reversed = 1;
        record.startsContour = i == count - 1 ? 1 : 0;
        puzzle_->piece(board_).push_back(record);
    }
}

PegPuzzleGenerator::PegPuzzleGenerator(std::shared_ptr<EdgeFactory> factory) : factory_(std::move(factory)) {
    parameters().set("pieces", defaultPieces);
}

std::uint32_t PegPuzzleGenerator::pieceCount() const {
    PieceCounter counter;
    parse(parameters().get("pieces"), counter);
    return counter.count();
}

std::unique_ptr<Puzzle> PegPuzzleGenerator::generate(const TAVO::Tuple<2, float>& size, const TAVO::Buffer&,
                                                     const TAVO::Migration::ImageMetadata&) {
    PuzzleBuilder builder(size, factory_);
    parse(parameters().get("pieces"), builder);
    return builder.take();
}

void PegPuzzleGenerator::parse(const std::string& original, Builder& builder) {
    // The matcher keeps a little state for every character: bound the text.
    if (original.size() > maximumTextLength)
        throw PuzzleGenerationException(TAVO::SourceLocation(),
                                        "Peg puzzle pieces of " + std::to_string(original.size()) +
                                            " characters are more than " + std::to_string(maximumTextLength) +
                                            ". ");
    const std::string text = withoutBlanks(original);
    const auto length = std::uint32_t(text.size());

    M::Sequence whole;
    whole.append(elements());
    whole.append(std::make_unique<M::End>());
    M matcher(whole);
    if (!matcher.run(text.data(), length)) {
        // The elements that do parse, greedily, end where the text stops making sense.
        const auto prefix = elements();
        M partial(*prefix);
        partial.run(text.data(), length);
        throw TAVO::ParseException(TAVO::SourceLocation(), quote(text, partial.length()), "peg puzzle pieces");
    }

    M::Captures captures(matcher);
    const std::vector<M::Capture> numbers = captures.get(numberId);
    const std::vector<M::Capture> ends = captures.get(endId);
    // Both lists are in text order; an end follows its peg's last number.
    std::size_t n = 0, e = 0;
    while (n < numbers.size() || e < ends.size()) {
        if (e >= ends.size() || (n < numbers.size() && numbers[n].begin < ends[e].begin)) {
            const M::Capture& number = numbers[n++];
            builder.coordinate(TAVO::Text::parse<float>(std::string(number.begin, number.length)));
        } else {
            ++e;
            builder.endPiece();
        }
    }
}

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Cuts.h"
#include "PuzzleChecks.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/exceptions/ParseException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/text/ConversionException.h"
#include "model/edges/StraightEdge.h"
#include "model/generators/PegPuzzleGenerator.h"
#include "model/generators/PuzzleGenerationException.h"

using namespace ModelTest;
using TAVO::Tuple;
using P2f = TAVO::Point<2, float>;

namespace {

// Records what the parser hands over, as text: "x" per coordinate, "|" per end.
class Recorder : public PegPuzzleGenerator::Builder {
public:
    void endPiece() override { log += "|"; }
    void coordinate(float value) override {
        std::ostringstream out;
        out << value << " ";
        log += out.str();
    }
    std::string log;
};

std::string parsed(const std::string& text) {
    Recorder recorder;
    PegPuzzleGenerator::parse(text, recorder);
    return recorder.log;
}

std::unique_ptr<Puzzle> pegs(const std::string& text, float w = 100.0f, float h = 100.0f) {
    PegPuzzleGenerator generator(std::make_shared<StraightEdgeFactory>());
    generator.parameters().set("pieces", text);
    const TAVO::IncrementalBuffer pixels;
    return generator.generate(Tuple<2, float>(w, h), pixels, TAVO::Migration::ImageMetadata());
}

std::uint32_t counted(const std::string& text) {
    PegPuzzleGenerator generator(std::make_shared<StraightEdgeFactory>());
    generator.parameters().set("pieces", text);
    return generator.pieceCount();
}

// A peg text of convex pegs with count corners each, one in every cell of
// a grid, drawn from the seed: the pegs never touch each other or the border.
std::string randomPegs(std::uint32_t seed, int columns, int rows, double* pegArea) {
    TAVO::MersenneTwister random;
    random.seed(TAVO::BorrowConstBuffer(&seed, sizeof seed));
    std::ostringstream text;
    text.precision(9);
    *pegArea = 0.0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            std::uint32_t corners = 0;
            random.readChoices(&corners, 1, 6);
            corners += 3;
            float jitter[3];
            random.readFloat(jitter, 3, 1.0f);
            const double cx = (x + 0.5) / columns, cy = (y + 0.5) / rows;
            const double rx = (0.15 + 0.2 * jitter[0]) / columns, ry = (0.15 + 0.2 * jitter[1]) / rows;
            std::vector<std::pair<double, double>> points;
            for (std::uint32_t i = 0; i < corners; ++i) {
                const double angle = 2.0 * M_PI * (i + 0.3 * jitter[2]) / corners;
                points.push_back({cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
                text << points.back().first << ", " << points.back().second << (i + 1 < corners ? ", " : "");
            }
            text << ";\n";
            for (std::size_t i = 0; i < points.size(); ++i) {
                const auto &a = points[i], &b = points[(i + 1) % points.size()];
                *pegArea += 0.5 * (a.first * b.second - b.first * a.second);
            }
        }
    return text.str();
}

} // namespace

TEST(PegPuzzleGenerator, TheDefaultIsABoardWithOnePentagonalPeg) {
    PegPuzzleGenerator generator(std::make_shared<StraightEdgeFactory>());
    EXPECT_STREQ(generator.name(), "Peg");
    EXPECT_EQ(generator.parameters().get("pieces"), "0.3, 0.3, 0.6, 0.25, 0.7, 0.4, 0.7, 0.7, 0.4, 0.5");
    EXPECT_EQ(generator.pieceCount(), 1u);
    const TAVO::IncrementalBuffer pixels;
    const auto puzzle = generator.generate(Tuple<2, float>(200.0f, 100.0f), pixels, TAVO::Migration::ImageMetadata());
    ASSERT_EQ(puzzle->pieceCount(), 2u);
    ASSERT_EQ(puzzle->edgeCount(), 9u);
    // The board: its border (edges 0 to 3, unmarked), then the hole: the
    // peg's edges from last to first, walked backwards, the first marked.
    const auto& board = puzzle->piece(0);
    ASSERT_EQ(board.size(), 9u);
    for (std::uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(board[i].edge, i);
        EXPECT_EQ(board[i].neighbour, PieceEdge::border);
        EXPECT_EQ(board[i].reversed, 0);
        EXPECT_EQ(board[i].startsContour, 0);
    }
    for (std::uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(board[4 + i].edge, 8 - i);
        EXPECT_EQ(board[4 + i].neighbour, 1u);
        EXPECT_EQ(board[4 + i].reversed, 1);
        EXPECT_EQ(board[4 + i].startsContour, i == 0 ? 1 : 0);
    }
    const auto& peg = puzzle->piece(1);
    ASSERT_EQ(peg.size(), 5u);
    for (std::uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(peg[i].edge, 4 + i);
        EXPECT_EQ(peg[i].neighbour, 0u);
        EXPECT_EQ(peg[i].reversed, 0);
        EXPECT_EQ(peg[i].startsContour, i == 0 ? 1 : 0);
    }
    // The border runs (0, 0), (w, 0), (w, h), (0, h); the corners are the
    // fractions times the size.
    EXPECT_EQ(puzzle->edge(1).pointAt(0.0f), P2f(200.0f, 0.0f));
    EXPECT_EQ(puzzle->edge(2).pointAt(0.0f), P2f(200.0f, 100.0f));
    EXPECT_EQ(puzzle->edge(4).pointAt(0.0f), P2f(0.3f * 200.0f, 0.3f * 100.0f));
    EXPECT_EQ(puzzle->edge(5).pointAt(0.0f), P2f(0.6f * 200.0f, 0.25f * 100.0f));
    EXPECT_EQ(puzzle->edge(8).pointAt(0.0f), P2f(0.4f * 200.0f, 0.5f * 100.0f));
    const Polygon outline = outlineOf(*puzzle, 0);
    EXPECT_EQ(outline.contourCount(), 2u);
    // The pentagon's area, by hand: 0.105 of the unit square.
    EXPECT_NEAR(shoelace(outlineOf(*puzzle, 1)), 0.105 * 20000.0, 1e-2);
    expectTiling(*puzzle, 20000.0, 1e-4f, false);
}

TEST(PegPuzzleGenerator, TheTextIsNumbersSeparatedByCommasAndPegsEndedBySemicolons) {
    EXPECT_EQ(parsed(""), "");
    EXPECT_EQ(parsed(" \t\r\n "), "");
    EXPECT_EQ(parsed("1"), "1 |");
    EXPECT_EQ(parsed("1,2"), "1 2 |");
    EXPECT_EQ(parsed("1,2;"), "1 2 |");
    EXPECT_EQ(parsed("1,2;3"), "1 2 |3 |");
    // A trailing comma leaves the last numbers without an end.
    EXPECT_EQ(parsed("1,2,"), "1 2 ");
    EXPECT_EQ(parsed("1;2,3,"), "1 |2 3 ");
    // Blanks vanish everywhere, also inside numbers.
    EXPECT_EQ(parsed(" 0. 5 ,\n-1e -1 ;\t2"), "0.5 -0.1 |2 |");
}

TEST(PegPuzzleGenerator, EmptyNumbersNameWhereTheTextStopsMakingSense) {
    auto failure = [](const std::string& text) {
        try {
            parsed(text);
        } catch (const TAVO::ParseException& e) {
            EXPECT_EQ(e.target(), "peg puzzle pieces") << text;
            return e.text();
        }
        return std::string("accepted");
    };
    EXPECT_EQ(failure(",1"), ",1");
    EXPECT_EQ(failure(";"), ";");
    EXPECT_EQ(failure("1,2,,3"), ",3");
    EXPECT_EQ(failure("1, 2 ;; 3"), ";3");
    EXPECT_EQ(failure("0.1,0.1,0.2,0.2,0.3,0.1;,"), ",");
    // Long rests are shortened.
    const std::string rest = failure("1,," + std::string(100, '7'));
    EXPECT_EQ(rest, "," + std::string(39, '7') + "...");
}

TEST(PegPuzzleGenerator, NumbersMustBeWholeFloats) {
    for (const char* text : {"1.5x", "0.3,abc,0.4", "1e39", "nan", "inf", "0x10", "1.5.5", "--1"}) {
        try {
            parsed(text);
            ADD_FAILURE() << text;
        } catch (const TAVO::Text::ConversionException& e) {
            // The number itself is named.
            EXPECT_NE(std::string(text).find(e.text()), std::string::npos) << text << ": " << e.text();
        }
    }
    try {
        parsed("0.1, 0.2, 1.5x; 3");
        FAIL();
    } catch (const TAVO::Text::ConversionException& e) {
        EXPECT_EQ(e.text(), "1.5x");
    }
}

TEST(PegPuzzleGenerator, PiecesOfFewerThanThreeCornersAreSkippedButCounted) {
    EXPECT_EQ(counted("0.1,0.1,0.9,0.9; 0.1,0.1,0.5,0.1,0.5,0.5"), 2u);
    const auto puzzle = pegs("0.1,0.1,0.9,0.9; 0.1,0.1,0.5,0.1,0.5,0.5");
    EXPECT_EQ(puzzle->pieceCount(), 2u);
    EXPECT_EQ(puzzle->edgeCount(), 7u);
    EXPECT_EQ(pegs("")->pieceCount(), 1u);
    EXPECT_EQ(pegs("  \n")->edgeCount(), 4u);
    EXPECT_EQ(counted(""), 0u);
    // A peg of one number pair and one of none: counted, nothing made.
    EXPECT_EQ(counted("0.5,0.5"), 1u);
    EXPECT_EQ(pegs("0.5,0.5")->pieceCount(), 1u);
}

TEST(PegPuzzleGenerator, ASemicolonAfterTheLastPegChangesNothingACommaDropsIt) {
    const std::string triangle = "0.1,0.1, 0.5,0.1, 0.3,0.4";
    const auto plain = pegs(triangle), ended = pegs(triangle + ";"), open = pegs(triangle + ",");
    EXPECT_EQ(plain->pieceCount(), 2u);
    EXPECT_EQ(ended->pieceCount(), 2u);
    EXPECT_EQ(open->pieceCount(), 1u);
    ASSERT_EQ(plain->edgeCount(), ended->edgeCount());
    for (std::uint32_t e = 0; e < plain->edgeCount(); ++e)
        EXPECT_EQ(plain->edge(e).pointAt(0.0f), ended->edge(e).pointAt(0.0f));
    EXPECT_EQ(counted(triangle + ","), 0u);
}

TEST(PegPuzzleGenerator, AnOddCountOfNumbersIsRefused) {
    try {
        pegs("0.1,0.1,0.5,0.1,0.3");
        FAIL();
    } catch (const TAVO::UnexpectedValueException& e) {
        EXPECT_EQ(e.message(), "odd number of piece coordinates is not even number of piece coordinates. ");
    }
    // Counting does not look at the numbers.
    EXPECT_EQ(counted("0.1,0.1,0.5,0.1,0.3"), 1u);
    // Also after a good peg.
    EXPECT_THROW(pegs("0.1,0.1,0.5,0.1,0.3,0.4; 0.6"), TAVO::UnexpectedValueException);
}

TEST(PegPuzzleGenerator, PegsBeyondTheBoardOrListedTheWrongWayAreRefused) {
    auto refusal = [](const std::string& text) {
        try {
            pegs(text);
        } catch (const PuzzleGenerationException& e) {
            return e.message();
        }
        return std::string("accepted");
    };
    // Corners beyond the board would cut through its border.
    EXPECT_EQ(refusal("0.1,0.1,1.2,0.1,0.3,0.4"), "Peg 1 has a corner outside the puzzle: (1.2, 0.1). ");
    EXPECT_EQ(refusal("0.1,0.1,0.5,0.1,0.3,0.4; 0.5,0.5,0.9,0.5,0.7,-0.01"),
              "Peg 2 has a corner outside the puzzle: (0.7, -0.01). ");
    // Clockwise (with y up) a peg would lie outside its own outline.
    EXPECT_EQ(refusal("0.1,0.1,0.3,0.4,0.5,0.1"), "Peg 1 encloses no area in the order of its corners. ");
    // Corners on one line enclose nothing.
    EXPECT_EQ(refusal("0.1,0.1,0.2,0.2,0.3,0.3"), "Peg 1 encloses no area in the order of its corners. ");
    // The border itself may be touched.
    EXPECT_EQ(refusal("0,0,1,0,0.5,1"), "accepted");
}

TEST(PegPuzzleGenerator, AMissingParameterThrows) {
    PegPuzzleGenerator generator(std::make_shared<StraightEdgeFactory>());
    generator.parameters().clear();
    const TAVO::IncrementalBuffer pixels;
    EXPECT_THROW(generator.generate(Tuple<2, float>(1.0f, 1.0f), pixels, TAVO::Migration::ImageMetadata()),
                 TAVO::NotFoundException<std::string>);
    EXPECT_THROW(generator.pieceCount(), TAVO::NotFoundException<std::string>);
}

TEST(PegPuzzleGenerator, ManyRandomPegsTileTheBoard) {
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        const int columns = 1 + int(seed % 5), rows = 1 + int(seed / 5 % 4);
        double pegArea = 0.0;
        const std::string text = randomPegs(seed, columns, rows, &pegArea);
        const float w = 100.0f + float(seed) * 7.0f, h = 80.0f + float(seed % 3) * 50.0f;
        SCOPED_TRACE(::testing::Message() << "seed " << seed << ": " << text);
        const auto puzzle = pegs(text, w, h);
        ASSERT_EQ(puzzle->pieceCount(), std::uint32_t(1 + columns * rows));
        EXPECT_EQ(counted(text), std::uint32_t(columns * rows));
        EXPECT_EQ(expectTiling(*puzzle, double(w) * h, 1e-4f * std::max(w, h), false),
                  puzzle->edgeCount() - 4);
        // The board is the whole minus the pegs, and has one hole per peg.
        EXPECT_NEAR(shoelace(outlineOf(*puzzle, 0)), (1.0 - pegArea) * w * h, 1e-4 * w * h);
        EXPECT_EQ(outlineOf(*puzzle, 0).contourCount(), std::uint32_t(1 + columns * rows));
    }
}

TEST(PegPuzzleGenerator, HostileTextsEndInAResultOrAClearException) {
    // Random texts over the characters that matter: never a crash, a hang or
    // another kind of failure.
    TAVO::MersenneTwister random;
    const std::uint32_t seed = 2024;
    random.seed(TAVO::BorrowConstBuffer(&seed, sizeof seed));
    const std::string alphabet(",;.0123456789-e \n\t1x+\xff\0", 23);
    int built = 0;
    for (int round = 0; round < 3000; ++round) {
        std::uint32_t length = 0;
        random.readChoices(&length, 1, 60);
        std::string text;
        for (std::uint32_t i = 0; i < length; ++i) {
            std::uint32_t c = 0;
            random.readChoices(&c, 1, std::uint32_t(alphabet.size()));
            text += alphabet[c];
        }
        try {
            const auto puzzle = pegs(text);
            ++built;
            EXPECT_GE(puzzle->pieceCount(), 1u);
            counted(text);
        } catch (const TAVO::ParseException&) {
        } catch (const TAVO::Text::ConversionException&) {
        } catch (const TAVO::UnexpectedValueException&) {
        } catch (const PuzzleGenerationException&) {
        }
    }
    EXPECT_GT(built, 10);
}

TEST(PegPuzzleGenerator, LongTextsAreParsedOrRefusedWithoutExhaustingMemory) {
    // The longest text taken: one number of 65536 characters.
    const std::string digits = "0." + std::string(PegPuzzleGenerator::maximumTextLength - 2, '5');
    EXPECT_EQ(counted(digits), 1u);
    EXPECT_THROW(counted(std::string(PegPuzzleGenerator::maximumTextLength, '1')), TAVO::Text::ConversionException);
    // Many short numbers, with a failure at the very end.
    std::string many;
    while (many.size() + 4 < PegPuzzleGenerator::maximumTextLength)
        many += "0.5,";
    many += ",";
    try {
        counted(many);
        FAIL();
    } catch (const TAVO::ParseException& e) {
        EXPECT_EQ(e.text(), ",");
    }
    // Beyond the limit nothing is parsed.
    EXPECT_THROW(counted(std::string(PegPuzzleGenerator::maximumTextLength + 1, ' ')), PuzzleGenerationException);
    // Many pegs of three corners each.
    std::string triangles;
    for (int i = 0; i < 2500; ++i)
        triangles += "0.1,0.1,0.2,0.1,0.1,0.2;";
    EXPECT_EQ(counted(triangles), 2500u);
    EXPECT_EQ(pegs(triangles)->pieceCount(), 2501u);
}

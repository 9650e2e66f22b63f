#include "ToolText.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "geometry/Polygon.h"
#include "model/Puzzle.h"
#include "model/edges/ClassicEdge.h"
#include "model/edges/ReverseEdge.h"

namespace PuzzleTool {

namespace {

void shape(std::string& out, const ClassicEdge& edge) {
    for (float value : edge.shape()) {
        out += ' ';
        hex(out, value);
    }
}

} // namespace

std::uint32_t parseUnsigned(const std::string& text, const char* what) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        throw Refusal{std::string(what) + " must be a whole number from 0 to 4294967295, not \"" + text + "\""};
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > 0xFFFFFFFFull)
        throw Refusal{std::string(what) + " must be a whole number from 0 to 4294967295, not \"" + text + "\""};
    return std::uint32_t(value);
}

float parseSize(const std::string& text, const char* what) {
    char* end = nullptr;
    errno = 0;
    const float value = text.empty() ? 0.0f : std::strtof(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || !(value > 0.0f))
        throw Refusal{std::string(what) + " must be a finite number above 0, not \"" + text + "\""};
    return value;
}

void hex(std::string& out, float value) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", std::bit_cast<std::uint32_t>(value));
    out += digits;
}

void hex(std::string& out, double value) {
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx",
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
    out += digits;
}

void point(std::string& out, const TAVO::Point<2, float>& p) {
    out += ' ';
    hex(out, p[0]);
    out += ',';
    hex(out, p[1]);
}

std::string describe(const Puzzle& puzzle) {
    std::string out;
    for (std::uint32_t i = 0; i < puzzle.edgeCount(); ++i) {
        const Edge& edge = puzzle.edge(i);
        out += "edge " + std::to_string(i);
        if (const auto* classic = dynamic_cast<const ClassicEdge*>(&edge)) {
            out += " classic";
            shape(out, *classic);
        } else if (const auto* reverse = dynamic_cast<const ReverseEdge*>(&edge)) {
            out += " reverse";
            if (const auto* wrapped = dynamic_cast<const ClassicEdge*>(&reverse->wrapped()))
                shape(out, *wrapped);
        } else {
            out += " straight";
        }
        out += "\npoints " + std::to_string(i) + ' ' + std::to_string(edge.pointCount());
        for (std::uint32_t j = 0; j < edge.pointCount(); ++j)
            point(out, edge.point(j));
        out += '\n';
    }
    for (std::uint32_t p = 0; p < puzzle.pieceCount(); ++p) {
        out += "piece " + std::to_string(p);
        for (const PieceEdge& record : puzzle.piece(p))
            out += ' ' + std::to_string(record.edge) + ':' + (record.reversed ? '1' : '0');
        out += '\n';
        // One line per closed contour (a board with holes has several); a
        // piece without records gets one empty line.
        Polygon outline;
        puzzle.pieceOutline(p, outline);
        if (outline.contourCount() == 0)
            out += "outline " + std::to_string(p) + " 0\n";
        for (const Polygon::Contour& contour : outline.contours()) {
            out += "outline " + std::to_string(p) + ' ' + std::to_string(contour.size());
            for (std::uint32_t index : contour)
                point(out, outline.points()[index]);
            out += '\n';
        }
    }
    return out;
}

} // namespace PuzzleTool

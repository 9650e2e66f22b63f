#pragma once

#include <cstdint>
#include <memory>

#include "foundation/text/Parameters.h"
#include "geometry/Tuple.h"

class Puzzle;

namespace TAVO {
class Buffer;
namespace Migration {
class ImageMetadata;
}
} // namespace TAVO

// Cuts a rectangle of a given size into pieces.
class PuzzleGenerator {
public:
    virtual ~PuzzleGenerator() = default;

    virtual const char* name() const = 0;
    // A new puzzle of the size (width, height) in table units. The picture is
    // handed to every generator; a generator may ignore it.
    virtual std::unique_ptr<Puzzle> generate(const TAVO::Tuple<2, float>& size, const TAVO::Buffer& pixels,
                                             const TAVO::Migration::ImageMetadata& description) = 0;
    // The number of pieces asked for. The grid makes exactly that many; the
    // other generators say how their count relates to what they make.
    virtual std::uint32_t pieceCount() const = 0;

    TAVO::Parameters& parameters() { return parameters_; }
    const TAVO::Parameters& parameters() const { return parameters_; }

private:
    TAVO::Parameters parameters_;
};

#include "NewGameCut.h"

#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "model/Puzzle.h"
#include "model/edges/ClassicEdgeFactory.h"
#include "model/edges/StraightEdgeFactory.h"
#include "model/generators/GridPuzzleGenerator.h"

std::unique_ptr<Puzzle> NewGameCut::grid(std::uint32_t seed, std::uint32_t columns, std::uint32_t rows,
                                         const TAVO::Tuple<2, float>& size) {
    TAVO::MersenneTwister random;
    random.seed(TAVO::BorrowConstBuffer(&seed, sizeof seed));
    GridPuzzleGenerator generator(&random, std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 0u, 7.5f),
                                  std::make_shared<StraightEdgeFactory>());
    generator.setGridSize(TAVO::Tuple<2, unsigned int>(columns, rows));
    const TAVO::IncrementalBuffer noPixels;
    return generator.generate(size, noPixels, TAVO::Migration::ImageMetadata());
}

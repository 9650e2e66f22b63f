#pragma once

#include <string>
#include <vector>

// The commands of kestrune-puzzle that print the cuts of the other generators:
//
//   cut SEED PIECES RATIO WIDTH HEIGHT
//       the recursive cut of a WIDTH x HEIGHT puzzle with the "pieces" and
//       "ratio" texts given, classic inner edges (as a new game makes them)
//       and straight border edges, every value drawn from SEED;
//   peg TEXT WIDTH HEIGHT
//       the peg puzzle of the "pieces" text TEXT, all edges straight;
//   polygon X,Y X,Y ... [/ X,Y X,Y ...] -- WIDTH HEIGHT
//       one piece per contour, contours separated by "/"; equal points are
//       one point, so contours share the sides they both walk. Inner edges
//       are classic, drawn from the seed 0; border edges straight. WIDTH and
//       HEIGHT are handed to the generator, which does not use them.
//
// Each prints the lines of kestrune-puzzle grid.
namespace GeneratorCommands {

// The usage lines of the commands.
extern const char* const usage;

// True when the words after the command's name fit one of the commands.
bool accepts(const std::string& command, const std::vector<std::string>& words);
// Runs an accepted command; returns the exit code. Refused arguments throw
// PuzzleTool::Refusal, refused inputs the generator's exception.
int run(const std::string& command, const std::vector<std::string>& words);

} // namespace GeneratorCommands

#pragma once

namespace TAVO::Migration::JPEG {

// One block as the entropy-coded data gives it: its place and the
// coefficients it sets (zig-zag positions and values).
struct CodedBlock {
    unsigned short bx = 0, by = 0;
    unsigned char component = 0, terms = 0;
    unsigned char positions[64];
    short values[64];
};

} // namespace TAVO::Migration::JPEG

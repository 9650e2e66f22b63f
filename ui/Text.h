#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "geometry/Color.h"
#include "geometry/Hyperrectangle.h"
#include "geometry/Tuple.h"
#include "geometry/Vector.h"
#include "ui/Component.h"
#include "ui/Shape.h"

struct ShapeFile;

// A line of digits drawn with a shared digit font. Its size follows from its
// string and its height; it takes no input and ignores setGeometry. Every
// glyph stands on the baseline with its own lower-left corner at the pen.
class Text : public Component {
public:
    // The ten digits of a shape file (layer d holds the digit d), all in one
    // mesh drawn glyph by glyph through the plain program of a shape shader.
    class Font {
    public:
        struct Glyph {
            // The glyph's range in the mesh's indices.
            std::uint32_t first = 0;
            std::uint32_t count = 0;
            TAVO::Vector<2, float> bearing{0.0f, 0.0f};
            // (glyph width, 0).
            TAVO::Vector<2, float> advance{0.0f, 0.0f};
            // The smallest rectangle around the glyph's points.
            TAVO::Hyperrectangle<2, float> bounds;
        };

        // A digit whose layer is missing or has no points has no glyph. A
        // layer that cannot be triangulated throws ShapeFileException naming
        // the file.
        Font(Shape::ShapeShader& shader, const ShapeFile& file);

        // The glyph of a character; null for a character without one.
        const Glyph* glyph(char c) const;
        // The height of the tallest glyph, in drawing units; 0 for a font
        // without glyphs or with flat ones only.
        float unitHeight() const { return unitHeight_; }
        // The gap after every glyph: (0.25 unit height, 0).
        const TAVO::Vector<2, float>& spacing() const { return spacing_; }
        // The string's width in unit heights: the advances and gaps of the
        // characters that have a glyph, without a gap after the last one. 0
        // for a font of unit height 0.
        float measure(const std::string& text) const;

        Shape::ShapeShader& shader() const { return shader_; }
        const Shape::Mesh& mesh() const { return *mesh_; }

    private:
        Shape::ShapeShader& shader_;
        std::map<char, Glyph> glyphs_;
        std::shared_ptr<const Shape::Mesh> mesh_;
        float unitHeight_ = 0.0f;
        TAVO::Vector<2, float> spacing_{0.0f, 0.0f};
    };

    // height: the drawn height of a glyph of unit height. An empty font
    // pointer throws UninitializedException.
    Text(std::shared_ptr<const Font> font, float height, const TAVO::Color& color);

    // Stores the string; the size becomes (measure * height, height).
    void setText(const std::string& text);
    const std::string& text() const { return text_; }
    float height() const { return height_; }
    const TAVO::Color& color() const { return color_; }

    TAVO::Tuple<2, float> size() const override { return size_; }
    // One opaque draw per glyph, without blending. A text of height 0, or a
    // font of unit height 0, draws nothing.
    void draw() override;

private:
    std::shared_ptr<const Font> font_;
    std::string text_;
    TAVO::Tuple<2, float> size_;
    float height_;
    TAVO::Color color_;
};

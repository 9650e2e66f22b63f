#include "ui/Text.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/exceptions/UninitializedException.h"
#include "geometry/PolygonTriangulator.h"
#include "ui/ShapeFile.h"
#include "ui/ShapeFileException.h"

Text::Font::Font(Shape::ShapeShader& shader, const ShapeFile& file) : shader_(shader) {
    Shape::MeshData data;
    for (char c = '0'; c <= '9'; ++c) {
        const auto layerIndex = static_cast<std::size_t>(c - '0');
        if (layerIndex >= file.layers.size())
            continue;
        const Polygon& polygon = file.layers[layerIndex].polygon;
        if (polygon.points().empty())
            continue;
        std::vector<TAVO::Tuple<3, unsigned int>> triangles;
        try {
            PolygonTriangulator(polygon, TAVO::Vector<2, float>(0.0f, 1.0f), true).triangulate(triangles);
        } catch (const TAVO::Exception& e) {
            throw ShapeFileException(TAVO::SourceLocation(), file.name,
                                     "the glyph of " + std::string(1, c) + " cannot be triangulated (" +
                                         e.message() + ")");
        }
        Glyph glyph;
        glyph.first = static_cast<std::uint32_t>(data.indices.size());
        glyph.count = static_cast<std::uint32_t>(3 * triangles.size());
        const auto base = static_cast<std::uint32_t>(data.positions.size() / 2);
        TAVO::Point<2, float> low = polygon.points().front(), high = low;
        for (const auto& p : polygon.points()) {
            data.positions.push_back(p[0]);
            data.positions.push_back(p[1]);
            for (int i = 0; i < 2; ++i) {
                low[i] = std::min(low[i], p[i]);
                high[i] = std::max(high[i], p[i]);
            }
        }
        for (const auto& t : triangles)
            for (int k = 0; k < 3; ++k)
                data.indices.push_back(base + t[k]);
        glyph.bounds = TAVO::Hyperrectangle<2, float>(low, TAVO::Tuple<2, float>(high[0] - low[0], high[1] - low[1]));
        glyph.advance = TAVO::Vector<2, float>(glyph.bounds.extent()[0], 0.0f);
        unitHeight_ = std::max(unitHeight_, glyph.bounds.extent()[1]);
        glyphs_[c] = glyph;
    }
    spacing_ = TAVO::Vector<2, float>(0.25f * unitHeight_, 0.0f);
    mesh_ = shader_.makeMesh(data, Shape::Program::plain);
}

const Text::Font::Glyph* Text::Font::glyph(char c) const {
    const auto found = glyphs_.find(c);
    return found == glyphs_.end() ? nullptr : &found->second;
}

float Text::Font::measure(const std::string& text) const {
    if (!(unitHeight_ > 0.0f))
        return 0.0f;
    float width = 0.0f;
    for (char c : text)
        if (const Glyph* g = glyph(c))
            width += g->advance[0] + spacing_[0];
    if (width > 0.0f)
        width -= spacing_[0];
    return width / unitHeight_;
}

Text::Text(std::shared_ptr<const Font> font, float height, const TAVO::Color& color)
    : font_(std::move(font)), size_(0.0f, height), height_(height), color_(color) {
    if (!font_)
        throw TAVO::UninitializedException(TAVO::SourceLocation(), "text's font");
}

void Text::setText(const std::string& text) {
    text_ = text;
    size_ = TAVO::Tuple<2, float>(font_->measure(text_) * height_, height_);
}

void Text::draw() {
    const float unitHeight = font_->unitHeight();
    if (!(unitHeight > 0.0f && height_ > 0.0f && std::isfinite(height_)))
        return;
    const ComponentTransform t = transform();
    // Drawing units per local unit.
    const float k = unitHeight / height_;
    Shape::DrawState state;
    state.program = Shape::Program::plain;
    state.color = TAVO::Tuple<4, float>(color_.rgb()[0], color_.rgb()[1], color_.rgb()[2], 1.0f);
    state.blend = false;
    TAVO::Vector<2, float> pen(0.0f, 0.0f);
    for (char c : text_) {
        const Font::Glyph* g = font_->glyph(c);
        if (g == nullptr)
            continue;
        // A glyph point p lands at local (p - bounds origin) / k + pen + bearing.
        for (int i = 0; i < 2; ++i) {
            state.scale[i] = 1.0f / (k * t.scale[i]);
            state.offset[i] = -(g->bounds.origin()[i] + k * (t.offset[i] - pen[i] - g->bearing[i])) * state.scale[i];
        }
        font_->shader().drawRange(font_->mesh(), state, g->first, g->count);
        for (int i = 0; i < 2; ++i)
            pen[i] += (g->advance[i] + font_->spacing()[i]) * height_ / unitHeight;
    }
}

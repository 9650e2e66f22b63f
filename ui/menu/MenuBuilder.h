#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "geometry/Color.h"
#include "geometry/Polygon.h"
#include "geometry/Tuple.h"
#include "ui/Button.h"
#include "ui/Shape.h"
#include "ui/ShapeFile.h"
#include "ui/SharedComponent.h"
#include "ui/menu/MenuStyle.h"

namespace TAVO {
class Package;
}

// Makes the buttons and items of the game menu: icon shapes read from the
// resource package, put on the menu's rounded-square or disc backgrounds,
// and the small puzzle icons. The backgrounds are made on first use and
// shared by every item made with them; items handed out keep them alive.
// Every operation returns a new component that the caller owns.
class MenuBuilder {
public:
    // The menu's shader and resource package (neither owned) and its busy
    // indicator, shared by every indicator handed out.
    MenuBuilder(Shape::ShapeShader& shader, const TAVO::Package& package, std::shared_ptr<Component> busyIndicator,
                const MenuStyle& style = MenuStyle::standard);

    // Reads the shape file into the builder's scratch shape, which the next
    // read replaces. Errors of loadShapeFile propagate.
    const ShapeFile& loadShape(const std::string& name);
    // The unit square stretched to the size, in the colour.
    std::unique_ptr<Shape> rectangle(const TAVO::Tuple<2, float>& size, const TAVO::Color& color);
    std::unique_ptr<Shape> rectangleWithAlpha(const TAVO::Tuple<2, float>& size, const TAVO::Color& color, float alpha);
    // The unit square stretched to the size, in the colour, showing the
    // region (texture coordinates) of the texture, which may be empty.
    static std::unique_ptr<Shape> texturedSquare(Shape::ShapeShader& shader, const TAVO::Tuple<2, float>& size,
                                                 const TAVO::Color& color, std::shared_ptr<Shape::Texture> texture,
                                                 const TAVO::Hyperrectangle<2, float>& region);
    std::unique_ptr<SharedComponent> busyIndicator();
    // An item of the style's item size: the outer rounded square, the inner
    // one (2 margins narrower, 3 lower) raised by half a margin, and the
    // component centred on it, raised as well.
    std::unique_ptr<Component> onRoundedSquare(std::unique_ptr<Component> component);
    // The icon of the shape file at the icon size in the icon colour, on a
    // rounded square.
    std::unique_ptr<Component> iconButtonFace(const std::string& name);
    // The same three layers on discs of the style's disc size.
    std::unique_ptr<Component> onDisc(std::unique_ptr<Component> component);
    // The selected and the normal face of a segmented-control option: the
    // content on a rounded square of the item size in the icon colour, and
    // on one in the inner colour.
    std::pair<std::unique_ptr<Component>, std::unique_ptr<Component>> segmentFaces(
        const std::shared_ptr<Component>& content);
    // A rounded-square face showing a puzzle of about count pieces cut by the
    // grid generator, each piece turned and nudged at random; the seed alone
    // fixes the picture.
    std::unique_ptr<Component> puzzleIcon(std::uint32_t count, std::uint32_t seed);
    // The pieces of that icon, in piece order, placed as they are drawn:
    // piece i centred on 1.75 times its cell (i mod columns, i div columns),
    // turned by a random angle and moved by 0.05 to 0.25 in a random
    // direction.
    static std::vector<Polygon> puzzlePieces(std::uint32_t count, std::uint32_t seed);

    // A button with the face that calls the member operation of the object
    // (not owned) once per release over it or per key.
    template <class T>
    std::unique_ptr<Button> memberButton(std::unique_ptr<Component> face, T* object, void (T::*member)(),
                                         std::uint32_t key) {
        return std::make_unique<Button>(std::move(face), std::make_unique<Button::InvokeMember<T>>(object, member),
                                        key);
    }
    // The same with an icon face made from the shape file.
    template <class T>
    std::unique_ptr<Button> memberButton(const std::string& icon, T* object, void (T::*member)(), std::uint32_t key) {
        return memberButton(iconButtonFace(icon), object, member, key);
    }

    Shape::ShapeShader& shader() const { return shader_; }
    const TAVO::Package& package() const { return package_; }
    const MenuStyle& style() const { return style_; }

    // The round-square shape file of the item backgrounds.
    static const char* const roundSquareName;

private:
    // The three layers: outer background centred, inner background and the
    // component raised by half a margin.
    std::unique_ptr<Component> onBackground(const TAVO::Tuple<2, float>& size,
                                            const std::shared_ptr<Component>& outer,
                                            const std::shared_ptr<Component>& inner,
                                            std::unique_ptr<Component> component);
    std::shared_ptr<Component> disc(const TAVO::Tuple<2, float>& size, const TAVO::Color& color);

    Shape::ShapeShader& shader_;
    const TAVO::Package& package_;
    const MenuStyle& style_;
    ShapeFile scratch_;
    std::unique_ptr<SharedComponent> busyIndicator_;
    std::shared_ptr<Component> outerDisc_;
    std::shared_ptr<Component> innerDisc_;
    std::shared_ptr<Component> outerSquare_;
    std::shared_ptr<Component> innerSquare_;
};

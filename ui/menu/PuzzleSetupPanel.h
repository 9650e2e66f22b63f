#pragma once

#include <cstdint>
#include <memory>

#include "ui/Panel.h"
#include "ui/Slider.h"
#include "ui/Text.h"

class MenuBuilder;

// The set-up page of the game menu: the piece count in large digits, the
// slider that chooses it with a step button on each side, and the cancel
// and play buttons. It keeps no count of its own: the menu writes the count
// the puzzle's grid can realise into the digits and the slider.
class PuzzleSetupPanel : public Panel {
public:
    // The panel owns every component given. Its children lie at fixed
    // places relative to its size.
    PuzzleSetupPanel(MenuBuilder& builder, const TAVO::Tuple<2, float>& size, std::unique_ptr<Component> stepDown,
                     std::unique_ptr<Component> stepUp, std::unique_ptr<Component> cancel,
                     std::unique_ptr<Component> play, std::unique_ptr<Slider::EventHandler> sliderHandler);

    // Sets the number in decimal as the text's string: no sign, no grouping,
    // no leading zeros.
    static void setTextNumber(Text& text, std::uint32_t number);

    Text& digits() const { return *digits_; }
    Slider& slider() const { return *slider_; }

    // The height of the digits and the size of the slider's track.
    static constexpr float digitHeight = 40.0f;
    static constexpr float trackWidth = 300.0f;

private:
    Text* digits_;
    Slider* slider_;
};

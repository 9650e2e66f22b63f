#include "ui/Drag.h"

bool Drag::hoverTrayBar(const TAVO::Point<2, float>&, bool) { return false; }

bool Drag::dropIntoTray(std::uint32_t) { return false; }

bool Drag::dropIntoNewTray() { return false; }

void Drag::update() {}

#include "ui/menu/HeightOnlyResize.h"

void HeightOnlyResize::setGeometry(const TAVO::Tuple<2, float>& size) {
    DecoratedComponent::setGeometry(TAVO::Tuple<2, float>(child().size()[0], size[1]));
}

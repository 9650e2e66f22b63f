#include "ui/ComponentTransform.h"

ComponentTransform ComponentTransform::between(const TAVO::Hyperrectangle<2, float>& a,
                                               const TAVO::Hyperrectangle<2, float>& b) {
    ComponentTransform t;
    for (int i = 0; i < 2; ++i) {
        t.scale[i] = b.extent()[i] / a.extent()[i];
        t.offset[i] = b.origin()[i] - a.origin()[i] * t.scale[i];
    }
    return t;
}

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "foundation/exceptions/BoundException.h"
#include "geometry/LineSegment.h"
#include "geometry/Numeric.h"
#include "geometry/Point.h"
#include "geometry/PointBorrow.h"
#include "geometry/PointConstBorrow.h"
#include "geometry/Tuple.h"
#include "geometry/TupleBorrow.h"
#include "geometry/TupleConstBorrow.h"
#include "geometry/TupleConstSlice.h"
#include "geometry/Vector.h"
#include "geometry/VectorBorrow.h"
#include "SerializedBytes.h"

using namespace TAVO;
using namespace GeometryTest;

namespace {
using P2f = Point<2, float>;
using P2d = Point<2, double>;
using V2f = Vector<2, float>;
using V3f = Vector<3, float>;
using V2i = Vector<2, int>;
using T3u = Tuple<3, unsigned int>;
using T2u = Tuple<2, unsigned int>;
using T3f = Tuple<3, float>;
using T2f = Tuple<2, float>;
using T1f = Tuple<1, float>;
using T2i = Tuple<2, int>;
using T1i = Tuple<1, int>;
using T3b = Tuple<3, unsigned char>;
using P2fBorrow = PointBorrow<2, float>;
using P2fConstBorrow = PointConstBorrow<2, float>;
using V3fBorrow = VectorBorrow<3, float>;
using T2uConstBorrow = TupleConstBorrow<2, unsigned int>;
using Slice01 = TupleConstSlice<0, 1, unsigned int>;
using Slice13 = TupleConstSlice<1, 3, unsigned int>;
} // namespace

TEST(ValueTemplates, ConstructionForms) {
    EXPECT_EQ(V2f(3.0f), V2f(3.0f, 3.0f));
    EXPECT_EQ(T3u(), T3u(0u, 0u, 0u));
    EXPECT_EQ(T3f(T2f(1.0f, 2.0f), T1f(5.0f)), T3f(1.0f, 2.0f, 5.0f));
    EXPECT_EQ(T2i(T1i(7), T1i(-3)), T2i(7, -3));

    const T3u triple(4u, 5u, 6u);
    const T3u front{Slice01(triple),
                                       Slice13(triple)};
    EXPECT_EQ(front, triple);
    const T3u rotated{Slice13(triple),
                                         Slice01(triple)};
    EXPECT_EQ(rotated, T3u(5u, 6u, 4u));

    const unsigned int array[4] = {9, 8, 7, 6};
    const T2uConstBorrow middle(array, 1);
    EXPECT_EQ(T2u(middle), T2u(8u, 7u));
}

TEST(ValueTemplates, MutableViewsWriteThroughAndCopyThePointer) {
    P2f stored(1.0f, 2.0f);
    P2fBorrow view(stored);
    P2fBorrow copy(view);
    copy[0] = 10.0f;
    EXPECT_EQ(stored[0], 10.0f);

    P2f other(3.0f, 4.0f);
    P2fBorrow otherView(other);
    view = otherView; // writes the components, does not re-point
    EXPECT_EQ(stored, P2f(3.0f, 4.0f));
    other[0] = 99.0f;
    EXPECT_EQ(stored[0], 3.0f);

    const P2fConstBorrow readOnly(stored);
    stored[1] = -1.0f;
    EXPECT_EQ(readOnly[1], -1.0f);
}

TEST(ValueTemplates, PointsAndVectorsCombine) {
    const P2f a(1.0f, 2.0f), b(4.0f, 6.0f);
    const V2f d = b - a;
    EXPECT_EQ(d, V2f(3.0f, 4.0f));
    EXPECT_EQ(a + d, b);
    EXPECT_EQ(b - d, a);
    EXPECT_EQ(2.0f * d, V2f(6.0f, 8.0f));
    V2f scaled = d;
    scaled *= 0.5f;
    EXPECT_EQ(scaled, V2f(1.5f, 2.0f));
    EXPECT_EQ(dot(d, d), 25.0f);
    EXPECT_EQ(-d, V2f(-3.0f, -4.0f));

    const T2u grid(3u, 4u);
    EXPECT_EQ(grid + grid, T2u(6u, 8u));
    EXPECT_EQ(grid * grid, T2u(9u, 16u));
    EXPECT_EQ(T2f(1.0f, 9.0f) / T2f(2.0f, 3.0f), T2f(0.5f, 3.0f));
}

TEST(ValueTemplates, SerialisedFormsMatchPackedValues) {
    EXPECT_EQ(hexOf(P2f(1.5f, -2.0f)), packed("<2f", "1.5, -2.0"));
    EXPECT_EQ(hexOf(P2d(0.1, -7.25)), packed("<2d", "0.1, -7.25"));
    EXPECT_EQ(hexOf(T3u(1u, 70000u, 4000000000u)), packed("<3I", "1, 70000, 4000000000"));
    EXPECT_EQ(hexOf(V2i(-5, 12)), packed("<2i", "-5, 12"));
    EXPECT_EQ(hexOf(T3b(1, 2, 255)), packed("<3B", "1, 2, 255"));
    EXPECT_EQ(hexOf(V3f(0.25f, 1e10f, -0.0f)), packed("<3f", "0.25, 1e10, -0.0"));
}

TEST(ValueTemplates, ReadingIntoAViewChangesTheStoredValue) {
    P2f stored;
    P2fBorrow view(stored);
    deserialize(serialized(P2f(1.5f, -2.0f)), view);
    EXPECT_EQ(stored, P2f(1.5f, -2.0f));

    V3f vector;
    V3fBorrow vectorView(vector);
    deserialize(serialized(V3f(1.0f, 2.0f, 3.0f)), vectorView);
    EXPECT_EQ(vector, V3f(1.0f, 2.0f, 3.0f));
}

TEST(ValueTemplates, ShortDataFailsCleanly) {
    IncrementalBuffer six;
    six.assign("abcdef", 6);
    P2f point;
    EXPECT_ANY_THROW(deserialize(six, point));
}

TEST(ValueTemplates, NumericHelpers) {
    EXPECT_EQ(Numeric::modulo(-1, 5), 4);
    EXPECT_EQ(Numeric::modulo(12, 5), 2);
    EXPECT_EQ(Numeric::modulo(-10, 5), 0);
    EXPECT_EQ(Numeric::modulo(-2147483647 - 1, -1), 0);
    EXPECT_THROW(Numeric::modulo(3, 0), BoundException<int>);
    EXPECT_EQ(Numeric::square(-7), 49);
    EXPECT_EQ(Numeric::square(65536), 0); // the 32-bit product wraps
    EXPECT_EQ(Numeric::square(1.5), 2.25);
    EXPECT_EQ(Numeric::absolute(-2.5f), 2.5f);
}

TEST(ValueTemplates, LengthAndNormalisedFollowTheSegmentRule) {
    EXPECT_EQ(length(V2f(3.0f, 4.0f)), 5.0f);
    EXPECT_EQ(length(V3f(2.0f, 3.0f, 6.0f)), 7.0f);
    // Squares summed in float, the root taken in double: bit for bit what a
    // segment measures, where summing in double could differ in the last bit.
    std::mt19937 random(4);
    std::uniform_real_distribution<float> component(-1000.0f, 1000.0f);
    int differFromDouble = 0;
    for (int i = 0; i < 20000; ++i) {
        const V2f v(component(random), component(random));
        const LineSegment<2, float> segment(P2f(0.0f, 0.0f), P2f(v[0], v[1]));
        EXPECT_EQ(length(v), segment.length());
        EXPECT_EQ(normalised(v), segment.ray().direction());
        const float exact = float(std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1]));
        differFromDouble += exact != length(v) ? 1 : 0;
    }
    EXPECT_GT(differFromDouble, 0);
    EXPECT_TRUE(std::isnan(normalised(V2f(0.0f, 0.0f))[0]));
}

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/serialization/Serializer.h"
#include "geometry/Transformation.h"
#include "SerializedBytes.h"

using namespace TAVO;
using namespace GeometryTest;

namespace {

using T2 = Transformation<2, float>;
using P2f = Point<2, float>;
using V2f = Vector<2, float>;
using M2 = MatrixSquareLight<2, float>;
using M3 = MatrixSquareLight<3, float>;
using Plane = Hyperplane<2, float>;

void expectNear(const M3& a, const M3& b, float tolerance = 1e-5f) {
    for (unsigned int r = 0; r < 3; ++r)
        for (unsigned int c = 0; c < 3; ++c)
            EXPECT_NEAR(a[r][c], b[r][c], tolerance) << r << "," << c;
}

// The homogeneous matrix of an affine map, read off the images of three points.
M3 matrixFromPoints(const T2::Base& t) {
    const P2f o = t.transform(P2f(0.0f, 0.0f));
    const P2f x = t.transform(P2f(1.0f, 0.0f));
    const P2f y = t.transform(P2f(0.0f, 1.0f));
    return M3{x[0] - o[0], y[0] - o[0], o[0], x[1] - o[1], y[1] - o[1], o[1], 0, 0, 1};
}

std::unique_ptr<T2::CompositeAffineInvertible> sampleChain() {
    auto chain = std::make_unique<T2::CompositeAffineInvertible>();
    chain->append(std::make_unique<T2::Scale>(V2f(2.0f, 0.5f)));
    chain->append(std::make_unique<T2::Rotation>(Angle(0.7)));
    chain->append(std::make_unique<T2::Translation>(V2f(-3.0f, 4.0f)));
    chain->append(std::make_unique<T2::Identity>());
    return chain;
}

} // namespace

TEST(Transformation, ScaleAndItsMatrices) {
    const T2::Scale scale(V2f(2.0f, 3.0f));
    EXPECT_EQ(scale.transform(P2f(1.0f, 1.0f)), P2f(2.0f, 3.0f));
    M3 m;
    scale.multiply(m);
    EXPECT_EQ(m, (M3{2, 0, 0, 0, 3, 0, 0, 0, 1}));
    scale.multiplyInverse(m);
    EXPECT_EQ(m, M3());
}

TEST(Transformation, CompositeOfScaleThenTranslation) {
    T2::CompositeAffineInvertible chain;
    chain.append(std::make_unique<T2::Scale>(2.0f));
    chain.append(std::make_unique<T2::Translation>(V2f(-1.0f, -1.0f)));
    EXPECT_EQ(chain.transform(P2f(1.0f, 1.0f)), P2f(1.0f, 1.0f));
    M3 m;
    chain.multiply(m);
    EXPECT_EQ(m, (M3{2, 0, -1, 0, 2, -1, 0, 0, 1}));
    chain.multiplyInverse(m);
    EXPECT_EQ(m, M3());
}

TEST(Transformation, MatricesAgreeWithPointMapsAndInvert) {
    const auto chain = sampleChain();
    M3 m;
    chain->multiply(m);
    expectNear(m, matrixFromPoints(*chain));
    chain->multiplyInverse(m);
    expectNear(m, M3());

    T2::CompositeLinearInvertible linear;
    linear.append(std::make_unique<T2::Rotation>(Angle(-2.1)));
    linear.append(std::make_unique<T2::Scale>(V2f(4.0f, 0.25f)));
    M2 l;
    linear.multiply(l);
    const P2f image = linear.transform(P2f(0.3f, -0.8f));
    EXPECT_NEAR(image[0], l[0][0] * 0.3f + l[0][1] * -0.8f, 1e-5f);
    EXPECT_NEAR(image[1], l[1][0] * 0.3f + l[1][1] * -0.8f, 1e-5f);
    linear.multiplyInverse(l);
    EXPECT_NEAR(l[0][0], 1.0f, 1e-5f);
    EXPECT_NEAR(l[0][1], 0.0f, 1e-5f);
    EXPECT_NEAR(l[1][0], 0.0f, 1e-5f);
    EXPECT_NEAR(l[1][1], 1.0f, 1e-5f);
}

TEST(Transformation, RotationRoundsOnlyAtTheEnd) {
    const T2::Rotation quarter(Angle(std::numbers::pi / 2));
    const P2f image = quarter.transform(P2f(1.0f, 0.0f));
    EXPECT_EQ(image[0], static_cast<float>(std::cos(std::numbers::pi / 2)));
    EXPECT_FLOAT_EQ(image[0], 6.123234e-17f);
    EXPECT_EQ(image[1], 1.0f);
}

TEST(Transformation, MatrixFormsAndProjection) {
    const T2::Matrix matrix(M2{1, 2, 3, 4});
    EXPECT_EQ(matrix.transform(P2f(1.0f, -1.0f)), P2f(-1.0f, -1.0f));
    M3 embedded;
    matrix.multiply(embedded);
    EXPECT_EQ(embedded, (M3{1, 2, 0, 3, 4, 0, 0, 0, 1}));

    const T2::MatrixAffine affine(M3{1, 0, 5, 0, 2, 6, 9, 9, 9});
    EXPECT_EQ(affine.transform(P2f(1.0f, 1.0f)), P2f(6.0f, 8.0f)); // the third row is not used

    const T2::PlaneProjection projection(Plane(V2f(0.0f, 1.0f), 2.0f), V2f(0.0f, 1.0f));
    EXPECT_EQ(projection.transform(P2f(5.0f, 7.0f)), P2f(5.0f, 2.0f));
    M3 m;
    projection.multiply(m);
    expectNear(m, matrixFromPoints(projection));
}

TEST(Transformation, AppendChecksTheElementInterface) {
    T2::CompositeLinear linear;
    try {
        linear.append(std::make_unique<T2::Translation>(V2f(1.0f, 1.0f)));
        FAIL();
    } catch (const T2::ClassException& e) {
        EXPECT_EQ(e.actual(), "TAVO::Transformation<2, float>::Translation");
        EXPECT_EQ(e.expected(), "TAVO::Transformation<2, float>::Linear");
        EXPECT_EQ(e.message(), "Class TAVO::Transformation<2, float>::Translation detected where "
                               "TAVO::Transformation<2, float>::Linear was expected. ");
    }
    EXPECT_EQ(linear.size(), 0u);

    T2::CompositeAffineInvertible invertible;
    EXPECT_THROW(invertible.append(std::make_unique<T2::Matrix>()), T2::ClassException);
    T2::CompositeAffine affine;
    EXPECT_THROW(affine.append(std::make_unique<T2::Composite>()), T2::ClassException);
    affine.append(std::make_unique<T2::PlaneProjection>());
    T2::Composite any;
    any.append(std::make_unique<T2::Composite>());
    EXPECT_THROW(any.append(nullptr), Exception);
}

TEST(Transformation, CloneIsDeep) {
    auto chain = sampleChain();
    const auto copy = chain->clone();
    ASSERT_NE(dynamic_cast<T2::CompositeAffineInvertible*>(copy.get()), nullptr);
    const P2f before = copy->transform(P2f(1.5f, -2.0f));
    chain.reset();
    EXPECT_EQ(copy->transform(P2f(1.5f, -2.0f)), before);
}

TEST(Transformation, SimpleSerialisedForms) {
    T2::Translation translation(V2f(1.5f, -2.0f));
    EXPECT_EQ(hexOf(translation), packed("<2f", "1.5, -2.0"));
    T2::Rotation rotation(Angle(0.25));
    EXPECT_EQ(hexOf(rotation), packed("<d", "0.25"));
    T2::Identity identity;
    EXPECT_EQ(hexOf(identity), "");
    T2::PlaneProjection projection(Plane(V2f(0.0f, 1.0f), 2.0f), V2f(0.5f, 1.0f));
    EXPECT_EQ(hexOf(projection), packed("<5f", "0, 1, 2, 0.5, 1"));
}

TEST(Transformation, CompositeRoundTrip) {
    auto chain = sampleChain();
    EXPECT_EQ(hexOf(*chain).substr(0, 48), packed("<3I2fI", "12, 4, 5, 2.0, 0.5, 4"));
    const IncrementalBuffer bytes = serialized(*chain);

    // Read into an object holding other elements: codes that differ are replaced,
    // surplus elements are dropped.
    T2::CompositeLinearInvertible target;
    target.append(std::make_unique<T2::Rotation>(Angle(1.0)));
    target.append(std::make_unique<T2::Scale>(5.0f));
    EXPECT_THROW(deserialize(bytes, target), T2::ClassException); // stored 12 is not accepted by 14

    T2::CompositeAffineInvertible read;
    read.append(std::make_unique<T2::Scale>(9.0f));
    read.append(std::make_unique<T2::Translation>());
    for (int i = 0; i < 5; ++i)
        read.append(std::make_unique<T2::Identity>());
    deserialize(bytes, read);
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read.element(1).type(), unsigned(T2::rotationCode));
    EXPECT_EQ(hexOf(read), hexOf(*chain));
    EXPECT_EQ(read.transform(P2f(0.25f, 3.0f)), chain->transform(P2f(0.25f, 3.0f)));
}

TEST(Transformation, StoredCodeAcceptanceTable) {
    auto make = [](unsigned int code) {
        return std::unique_ptr<T2::Composite>(dynamic_cast<T2::Composite*>(T2::create(code).release()));
    };
    for (unsigned int stored = 10; stored <= 14; ++stored)
        for (unsigned int own = 10; own <= 14; ++own) {
            const IncrementalBuffer bytes = serialized(*make(stored));
            auto reader = make(own);
            bool accepted = true;
            try {
                deserialize(bytes, *reader);
            } catch (const T2::ClassException&) {
                accepted = false;
            }
            const bool expected = stored == 10 || own == stored || own == 14 || (stored == 11 && own >= 11);
            EXPECT_EQ(accepted, expected) << "stored " << stored << " own " << own;
        }

    IncrementalBuffer notComposite;
    const unsigned char code[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    notComposite.assign(code, 8);
    T2::Composite composite;
    try {
        deserialize(notComposite, composite);
        FAIL();
    } catch (const T2::ClassException& e) {
        EXPECT_EQ(e.expected(), "not composite");
        EXPECT_EQ(e.actual(), "TAVO::Transformation<2, float>::Composite");
    }
}

TEST(Transformation, HostileStoredComposites) {
    auto bytesOf = [](std::initializer_list<unsigned int> words) {
        IncrementalBuffer buffer;
        for (unsigned int w : words)
            buffer.append(&w, 4);
        return buffer;
    };
    T2::CompositeAffine affine;
    // Unknown element code.
    EXPECT_THROW(deserialize(bytesOf({11, 1, 6}), affine), UnexpectedValueException);
    // Huge count over short data.
    EXPECT_THROW(deserialize(bytesOf({11, 0xFFFFFFFF, 1, 1}), affine), Exception);
    // A replaced element must pass the kind's check too.
    T2::CompositeAffine holding;
    holding.append(std::make_unique<T2::Identity>());
    EXPECT_THROW(deserialize(bytesOf({11, 1, 10, 10, 0}), holding), T2::ClassException);
    EXPECT_EQ(holding.element(0).type(), unsigned(T2::identityCode));
    // Deep nesting of composites is refused instead of exhausting the stack.
    IncrementalBuffer deep;
    for (int i = 0; i < 100000; ++i) {
        const unsigned int level[3] = {10, 1, 10};
        deep.append(level, 12);
    }
    T2::Composite root;
    EXPECT_THROW(deserialize(deep, root), BoundException<unsigned int>);
    // Truncated data.
    IncrementalBuffer truncated = serialized(*sampleChain());
    truncated.resize(truncated.size() - 3);
    T2::CompositeAffineInvertible read;
    EXPECT_THROW(deserialize(truncated, read), Exception);
}

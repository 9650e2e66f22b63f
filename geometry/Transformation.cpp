#include "geometry/Transformation.h"

#include <cmath>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/platform/TypeName.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO {

using T2 = Transformation<2, float>;

namespace {

// m := a m, through a temporary.
template <int N>
void premultiply(const MatrixSquareLight<N, float>& a, MatrixSquareLight<N, float>& m) {
    MatrixSquareLight<N, float> result;
    MatrixLight<N, N, float>::product(a, m, result);
    m = result;
}

// [L 0; 0 1] for a 2x2 L.
T2::Matrix3 embed(const T2::Matrix2& l) {
    T2::Matrix3 a;
    a[0][0] = l[0][0];
    a[0][1] = l[0][1];
    a[1][0] = l[1][0];
    a[1][1] = l[1][1];
    return a;
}

void scaleRows(T2::Matrix3& m, float sx, float sy) {
    for (int c = 0; c < 3; ++c) {
        m[0][c] = m[0][c] * sx;
        m[1][c] = m[1][c] * sy;
    }
}

void scaleRows(T2::Matrix2& m, float sx, float sy) {
    for (int c = 0; c < 2; ++c) {
        m[0][c] = m[0][c] * sx;
        m[1][c] = m[1][c] * sy;
    }
}

void divideRows(T2::Matrix3& m, float sx, float sy) {
    for (int c = 0; c < 3; ++c) {
        m[0][c] = m[0][c] / sx;
        m[1][c] = m[1][c] / sy;
    }
}

void divideRows(T2::Matrix2& m, float sx, float sy) {
    for (int c = 0; c < 2; ++c) {
        m[0][c] = m[0][c] / sx;
        m[1][c] = m[1][c] / sy;
    }
}

void translate(T2::Matrix3& m, float tx, float ty) {
    premultiply<3>(T2::Matrix3{1.0f, 0.0f, tx, 0.0f, 1.0f, ty, 0.0f, 0.0f, 1.0f}, m);
}

bool acceptsStored(unsigned int stored, unsigned int own) {
    switch (stored) {
    case T2::compositeCode:
        return own >= T2::compositeCode && own <= T2::compositeLinearInvertibleCode;
    case T2::compositeAffineCode:
        return own >= T2::compositeAffineCode && own <= T2::compositeLinearInvertibleCode;
    case T2::compositeAffineInvertibleCode:
        return own == T2::compositeAffineInvertibleCode || own == T2::compositeLinearInvertibleCode;
    case T2::compositeLinearCode:
        return own == T2::compositeLinearCode || own == T2::compositeLinearInvertibleCode;
    case T2::compositeLinearInvertibleCode:
        return own == T2::compositeLinearInvertibleCode;
    default:
        return false;
    }
}

std::string compositeName(unsigned int code) {
    switch (code) {
    case T2::compositeCode:
        return TypeName::of<T2::Composite>();
    case T2::compositeAffineCode:
        return TypeName::of<T2::CompositeAffine>();
    case T2::compositeAffineInvertibleCode:
        return TypeName::of<T2::CompositeAffineInvertible>();
    case T2::compositeLinearCode:
        return TypeName::of<T2::CompositeLinear>();
    case T2::compositeLinearInvertibleCode:
        return TypeName::of<T2::CompositeLinearInvertible>();
    default:
        return "not composite";
    }
}

template <class I>
void require(const T2::Base& element) {
    if (dynamic_cast<const I*>(&element) == nullptr)
        throw T2::ClassException(SourceLocation(), TypeName::ofObject(element), TypeName::of<I>());
}

// How deep the composite being read on this thread is nested.
thread_local unsigned int readingDepth = 0;

class DepthGuard {
public:
    DepthGuard() {
        if (readingDepth >= T2::maximumNesting)
            throw BoundException<unsigned int>(SourceLocation(), readingDepth + 1, T2::maximumNesting);
        ++readingDepth;
    }
    ~DepthGuard() { --readingDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

} // namespace

std::unique_ptr<T2::Base> T2::create(unsigned int code) {
    switch (code) {
    case identityCode:
        return std::make_unique<Identity>();
    case rotationCode:
        return std::make_unique<Rotation>();
    case scaleCode:
        return std::make_unique<Scale>();
    case compositeLinearInvertibleCode:
        return std::make_unique<CompositeLinearInvertible>();
    case translationCode:
        return std::make_unique<Translation>();
    case compositeAffineInvertibleCode:
        return std::make_unique<CompositeAffineInvertible>();
    case matrixCode:
        return std::make_unique<Matrix>();
    case compositeLinearCode:
        return std::make_unique<CompositeLinear>();
    case matrixAffineCode:
        return std::make_unique<MatrixAffine>();
    case planeProjectionCode:
        return std::make_unique<PlaneProjection>();
    case compositeAffineCode:
        return std::make_unique<CompositeAffine>();
    case compositeCode:
        return std::make_unique<Composite>();
    default:
        throw UnexpectedValueException(SourceLocation(), "Type code " + std::to_string(code),
                                       "a transformation type code");
    }
}

void T2::ClassException::print(std::ostream& out) const {
    out << "Class " << actual_ << " detected where " << expected_ << " was expected. ";
}

// Identity

std::unique_ptr<T2::Base> T2::Identity::clone() const { return std::make_unique<Identity>(); }
void T2::Identity::transformInPlace(PointBorrow<2, float>) const {}
Point<2, float> T2::Identity::transform(PointConstBorrow<2, float> point) const { return Point<2, float>(point); }
void T2::Identity::multiply(Matrix3&) const {}
void T2::Identity::multiply(Matrix2&) const {}
void T2::Identity::multiplyInverse(Matrix3&) const {}
void T2::Identity::multiplyInverse(Matrix2&) const {}
void T2::Identity::serialize(Serialization&) {}

// Matrix

std::unique_ptr<T2::Base> T2::Matrix::clone() const { return std::make_unique<Matrix>(matrix_); }

void T2::Matrix::transformInPlace(PointBorrow<2, float> point) const {
    const float x = point[0], y = point[1];
    point[0] = 0.0f + matrix_[0][0] * x + matrix_[0][1] * y;
    point[1] = 0.0f + matrix_[1][0] * x + matrix_[1][1] * y;
}

Point<2, float> T2::Matrix::transform(PointConstBorrow<2, float> point) const {
    Point<2, float> result(point);
    transformInPlace(result);
    return result;
}

void T2::Matrix::multiply(Matrix3& m) const { premultiply<3>(embed(matrix_), m); }
void T2::Matrix::multiply(Matrix2& m) const { premultiply<2>(matrix_, m); }
void T2::Matrix::serialize(Serialization& serialization) { serialization.serialize(matrix_); }

// MatrixAffine

std::unique_ptr<T2::Base> T2::MatrixAffine::clone() const { return std::make_unique<MatrixAffine>(matrix_); }

void T2::MatrixAffine::transformInPlace(PointBorrow<2, float> point) const {
    const float x = point[0], y = point[1];
    point[0] = matrix_[0][0] * x + matrix_[0][1] * y + matrix_[0][2];
    point[1] = matrix_[1][0] * x + matrix_[1][1] * y + matrix_[1][2];
}

Point<2, float> T2::MatrixAffine::transform(PointConstBorrow<2, float> point) const {
    Point<2, float> result(point);
    transformInPlace(result);
    return result;
}

void T2::MatrixAffine::multiply(Matrix3& m) const { premultiply<3>(matrix_, m); }
void T2::MatrixAffine::serialize(Serialization& serialization) { serialization.serialize(matrix_); }

// Rotation

std::unique_ptr<T2::Base> T2::Rotation::clone() const { return std::make_unique<Rotation>(rotation_.angle()); }

void T2::Rotation::transformInPlace(PointBorrow<2, float> point) const {
    const double t = rotation_.angle().value();
    const double c = std::cos(t), s = std::sin(t);
    const double x = point[0], y = point[1];
    point[0] = static_cast<float>(x * c - y * s);
    point[1] = static_cast<float>(x * s + y * c);
}

Point<2, float> T2::Rotation::transform(PointConstBorrow<2, float> point) const {
    Point<2, float> result(point);
    transformInPlace(result);
    return result;
}

T2::Matrix2 T2::Rotation::matrix() const {
    const double t = rotation_.angle().value();
    const float c = static_cast<float>(std::cos(t)), s = static_cast<float>(std::sin(t));
    return Matrix2{c, -s, s, c};
}

void T2::Rotation::multiply(Matrix3& m) const { premultiply<3>(embed(matrix()), m); }
void T2::Rotation::multiply(Matrix2& m) const { premultiply<2>(matrix(), m); }

void T2::Rotation::multiplyInverse(Matrix3& m) const {
    Matrix2 r = matrix();
    r.transpose();
    premultiply<3>(embed(r), m);
}

void T2::Rotation::multiplyInverse(Matrix2& m) const {
    Matrix2 r = matrix();
    r.transpose();
    premultiply<2>(r, m);
}

void T2::Rotation::serialize(Serialization& serialization) { serialization.serialize(rotation_); }

// Scale

std::unique_ptr<T2::Base> T2::Scale::clone() const { return std::make_unique<Scale>(factors_); }

void T2::Scale::transformInPlace(PointBorrow<2, float> point) const {
    point[0] = factors_[0] * point[0];
    point[1] = factors_[1] * point[1];
}

Point<2, float> T2::Scale::transform(PointConstBorrow<2, float> point) const {
    Point<2, float> result(point);
    transformInPlace(result);
    return result;
}

void T2::Scale::multiply(Matrix3& m) const { scaleRows(m, factors_[0], factors_[1]); }
void T2::Scale::multiply(Matrix2& m) const { scaleRows(m, factors_[0], factors_[1]); }
void T2::Scale::multiplyInverse(Matrix3& m) const { divideRows(m, factors_[0], factors_[1]); }
void T2::Scale::multiplyInverse(Matrix2& m) const { divideRows(m, factors_[0], factors_[1]); }
void T2::Scale::serialize(Serialization& serialization) { serialization.serialize(factors_); }

// Translation

std::unique_ptr<T2::Base> T2::Translation::clone() const { return std::make_unique<Translation>(offset_); }

void T2::Translation::transformInPlace(PointBorrow<2, float> point) const {
    point[0] = point[0] + offset_[0];
    point[1] = point[1] + offset_[1];
}

Point<2, float> T2::Translation::transform(PointConstBorrow<2, float> point) const {
    Point<2, float> result(point);
    transformInPlace(result);
    return result;
}

void T2::Translation::multiply(Matrix3& m) const { translate(m, offset_[0], offset_[1]); }
void T2::Translation::multiplyInverse(Matrix3& m) const { translate(m, -offset_[0], -offset_[1]); }
void T2::Translation::serialize(Serialization& serialization) { serialization.serialize(offset_); }

// PlaneProjection

std::unique_ptr<T2::Base> T2::PlaneProjection::clone() const {
    return std::make_unique<PlaneProjection>(plane_, direction_);
}

void T2::PlaneProjection::transformInPlace(PointBorrow<2, float> point) const {
    const Vector<2, float>& n = plane_.normal();
    const float x = point[0], y = point[1];
    const float s = (n[0] * x + n[1] * y) - plane_.offset();
    point[0] = x - s * direction_[0];
    point[1] = y - s * direction_[1];
}

Point<2, float> T2::PlaneProjection::transform(PointConstBorrow<2, float> point) const {
    Point<2, float> result(point);
    transformInPlace(result);
    return result;
}

void T2::PlaneProjection::multiply(Matrix3& m) const {
    // I - (r.x, r.y, 0)^T (n.x, n.y, -c)
    const float r[3] = {direction_[0], direction_[1], 0.0f};
    const float n[3] = {plane_.normal()[0], plane_.normal()[1], -plane_.offset()};
    Matrix3 a;
    for (unsigned int i = 0; i < 3; ++i)
        for (unsigned int j = 0; j < 3; ++j)
            a[i][j] = (i == j ? 1.0f : 0.0f) - r[i] * n[j];
    premultiply<3>(a, m);
}

void T2::PlaneProjection::serialize(Serialization& serialization) {
    serialization.serialize(plane_);
    serialization.serialize(direction_);
}

// Composite

void T2::Composite::append(std::unique_ptr<Base> element) {
    if (!element)
        throw UninitializedException(SourceLocation(), "Transformation element");
    checkElement(*element);
    elements_.push_back(std::move(element));
}

const T2::Base& T2::Composite::element(std::size_t index) const {
    if (index >= elements_.size())
        throw BoundException<unsigned long long>(SourceLocation(), index, elements_.size());
    return *elements_[index];
}

void T2::Composite::checkElement(const Base&) const {}

void T2::Composite::copyElementsInto(Composite& target) const {
    for (const auto& element : elements_)
        target.append(element->clone());
}

std::unique_ptr<T2::Base> T2::Composite::clone() const {
    auto copy = std::make_unique<Composite>();
    copyElementsInto(*copy);
    return copy;
}

void T2::Composite::transformInPlace(PointBorrow<2, float> point) const {
    for (const auto& element : elements_)
        element->transformInPlace(point);
}

Point<2, float> T2::Composite::transform(PointConstBorrow<2, float> point) const {
    Point<2, float> result(point);
    transformInPlace(result);
    return result;
}

void T2::Composite::serialize(Serialization& serialization) {
    const unsigned int own = type();
    unsigned int code = own;
    serialization.serialize(code);
    if (!serialization.reading()) {
        unsigned int count = static_cast<unsigned int>(elements_.size());
        serialization.serialize(count);
        for (const auto& element : elements_) {
            unsigned int elementCode = element->type();
            serialization.serialize(elementCode);
            element->serialize(serialization);
        }
        return;
    }

    if (!acceptsStored(code, own))
        throw ClassException(SourceLocation(), TypeName::ofObject(*this), compositeName(code));
    const DepthGuard guard;
    unsigned int count = 0;
    serialization.serialize(count);
    std::size_t index = 0;
    for (; index < count && index < elements_.size(); ++index) {
        unsigned int elementCode = 0;
        serialization.serialize(elementCode);
        if (elementCode != elements_[index]->type()) {
            std::unique_ptr<Base> replacement = create(elementCode);
            checkElement(*replacement);
            elements_[index] = std::move(replacement);
        }
        elements_[index]->serialize(serialization);
    }
    for (; index < count; ++index) {
        unsigned int elementCode = 0;
        serialization.serialize(elementCode);
        std::unique_ptr<Base> element = create(elementCode);
        element->serialize(serialization);
        append(std::move(element));
    }
    if (elements_.size() > count)
        elements_.resize(count);
}

// CompositeAffine

void T2::CompositeAffine::checkElement(const Base& element) const { require<Affine>(element); }

std::unique_ptr<T2::Base> T2::CompositeAffine::clone() const {
    auto copy = std::make_unique<CompositeAffine>();
    copyElementsInto(*copy);
    return copy;
}

void T2::CompositeAffine::multiply(Matrix3& m) const {
    for (const auto& element : elements_)
        as<Affine>(*element).multiply(m);
}

// CompositeAffineInvertible

void T2::CompositeAffineInvertible::checkElement(const Base& element) const {
    require<AffineInvertible>(element);
}

std::unique_ptr<T2::Base> T2::CompositeAffineInvertible::clone() const {
    auto copy = std::make_unique<CompositeAffineInvertible>();
    copyElementsInto(*copy);
    return copy;
}

void T2::CompositeAffineInvertible::multiplyInverse(Matrix3& m) const {
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it)
        as<AffineInvertible>(**it).multiplyInverse(m);
}

// CompositeLinear

void T2::CompositeLinear::checkElement(const Base& element) const { require<Linear>(element); }

std::unique_ptr<T2::Base> T2::CompositeLinear::clone() const {
    auto copy = std::make_unique<CompositeLinear>();
    copyElementsInto(*copy);
    return copy;
}

void T2::CompositeLinear::multiply(Matrix2& m) const {
    for (const auto& element : elements_)
        as<Linear>(*element).multiply(m);
}

// CompositeLinearInvertible

void T2::CompositeLinearInvertible::checkElement(const Base& element) const {
    require<LinearInvertible>(element);
}

std::unique_ptr<T2::Base> T2::CompositeLinearInvertible::clone() const {
    auto copy = std::make_unique<CompositeLinearInvertible>();
    copyElementsInto(*copy);
    return copy;
}

void T2::CompositeLinearInvertible::multiplyInverse(Matrix2& m) const {
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it)
        as<LinearInvertible>(**it).multiplyInverse(m);
}

} // namespace TAVO

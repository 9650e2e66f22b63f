#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/serialization/Serializable.h"
#include "geometry/Hyperplane.h"
#include "geometry/MatrixSquareLight.h"
#include "geometry/Point.h"
#include "geometry/PointBorrow.h"
#include "geometry/PointConstBorrow.h"
#include "geometry/RotationDescription.h"
#include "geometry/Vector.h"

namespace TAVO {

template <int N, class T>
class Transformation;

// The maps of the plane over float. The interface classes say what a map can
// do: Affine maps fold their homogeneous 3x3 matrix into another (M := A M),
// AffineInvertible ones their inverse too, Linear ones also their 2x2 matrix.
// Composites chain elements of the kind they promise and refuse others.
template <>
class Transformation<2, float> {
public:
    using Matrix2 = MatrixSquareLight<2, float>;
    using Matrix3 = MatrixSquareLight<3, float>;

    class ClassException;
    class Base;
    class Affine;
    class AffineInvertible;
    class Linear;
    class LinearInvertible;
    class Identity;
    class Matrix;
    class MatrixAffine;
    class Rotation;
    class Scale;
    class Translation;
    class PlaneProjection;
    class Composite;
    class CompositeAffine;
    class CompositeAffineInvertible;
    class CompositeLinear;
    class CompositeLinearInvertible;

    // Type codes; 6 and 7 are not used.
    enum Code : unsigned int {
        identityCode = 1,
        matrixCode = 2,
        matrixAffineCode = 3,
        rotationCode = 4,
        scaleCode = 5,
        translationCode = 8,
        planeProjectionCode = 9,
        compositeCode = 10,
        compositeAffineCode = 11,
        compositeAffineInvertibleCode = 12,
        compositeLinearCode = 13,
        compositeLinearInvertibleCode = 14,
    };

    // A transformation with default data (identity, angle 0, factors 1, offset 0,
    // identity matrices, an all-zero projection, an empty composite) from its type
    // code; a code that names no class throws UnexpectedValueException.
    static std::unique_ptr<Base> create(unsigned int code);

    // Composites stored inside composites deeper than this are refused on reading.
    static constexpr unsigned int maximumNesting = 64;
};

// "Class <actual> detected where <expected> was expected. "
class Transformation<2, float>::ClassException : public Exception {
public:
    ClassException(SourceLocation location, std::string actual, std::string expected)
        : Exception(location), actual_(std::move(actual)), expected_(std::move(expected)) {}

    void print(std::ostream& out) const override;
    Exception* clone() const override { return new ClassException(*this); }

    const std::string& actual() const { return actual_; }
    const std::string& expected() const { return expected_; }

private:
    std::string actual_;
    std::string expected_;
};

class Transformation<2, float>::Base : public virtual Serializable {
public:
    virtual unsigned int type() const = 0;
    // A new object of the same class, owned by the caller.
    virtual std::unique_ptr<Base> clone() const = 0;
    virtual void transformInPlace(PointBorrow<2, float> point) const = 0;
    virtual Point<2, float> transform(PointConstBorrow<2, float> point) const = 0;
};

class Transformation<2, float>::Affine : public virtual Base {
public:
    // m := A m, with A the homogeneous matrix of this map.
    virtual void multiply(Matrix3& m) const = 0;
};

class Transformation<2, float>::AffineInvertible : public virtual Affine {
public:
    // m := A^-1 m.
    virtual void multiplyInverse(Matrix3& m) const = 0;
};

class Transformation<2, float>::Linear : public virtual Affine {
public:
    using Affine::multiply;
    // m := L m, with L the 2x2 matrix of this map.
    virtual void multiply(Matrix2& m) const = 0;
};

class Transformation<2, float>::LinearInvertible : public virtual Linear, public virtual AffineInvertible {
public:
    using Linear::multiply;
    using AffineInvertible::multiplyInverse;
    // m := L^-1 m.
    virtual void multiplyInverse(Matrix2& m) const = 0;
};

class Transformation<2, float>::Identity : public virtual LinearInvertible {
public:
    unsigned int type() const override { return identityCode; }
    std::unique_ptr<Base> clone() const override;
    void transformInPlace(PointBorrow<2, float> point) const override;
    Point<2, float> transform(PointConstBorrow<2, float> point) const override;
    void multiply(Matrix3& m) const override;
    void multiply(Matrix2& m) const override;
    void multiplyInverse(Matrix3& m) const override;
    void multiplyInverse(Matrix2& m) const override;
    void serialize(Serialization& serialization) override;
};

class Transformation<2, float>::Matrix : public virtual Linear {
public:
    Matrix() = default;
    explicit Matrix(const Matrix2& matrix) : matrix_(matrix) {}

    Matrix2& matrix() { return matrix_; }
    const Matrix2& matrix() const { return matrix_; }

    unsigned int type() const override { return matrixCode; }
    std::unique_ptr<Base> clone() const override;
    void transformInPlace(PointBorrow<2, float> point) const override;
    Point<2, float> transform(PointConstBorrow<2, float> point) const override;
    void multiply(Matrix3& m) const override;
    void multiply(Matrix2& m) const override;
    void serialize(Serialization& serialization) override;

private:
    Matrix2 matrix_;
};

class Transformation<2, float>::MatrixAffine : public virtual Affine {
public:
    MatrixAffine() = default;
    explicit MatrixAffine(const Matrix3& matrix) : matrix_(matrix) {}

    Matrix3& matrix() { return matrix_; }
    const Matrix3& matrix() const { return matrix_; }

    unsigned int type() const override { return matrixAffineCode; }
    std::unique_ptr<Base> clone() const override;
    // Uses the first two rows only; there is no division by the third.
    void transformInPlace(PointBorrow<2, float> point) const override;
    Point<2, float> transform(PointConstBorrow<2, float> point) const override;
    void multiply(Matrix3& m) const override;
    void serialize(Serialization& serialization) override;

private:
    Matrix3 matrix_;
};

class Transformation<2, float>::Rotation : public virtual LinearInvertible {
public:
    Rotation() = default;
    explicit Rotation(const Angle& angle) : rotation_(angle) {}

    RotationDescription<2, float>& rotation() { return rotation_; }
    const RotationDescription<2, float>& rotation() const { return rotation_; }

    unsigned int type() const override { return rotationCode; }
    std::unique_ptr<Base> clone() const override;
    // Computed in double from the point's floats; rounded to float at the end.
    void transformInPlace(PointBorrow<2, float> point) const override;
    Point<2, float> transform(PointConstBorrow<2, float> point) const override;
    void multiply(Matrix3& m) const override;
    void multiply(Matrix2& m) const override;
    void multiplyInverse(Matrix3& m) const override;
    void multiplyInverse(Matrix2& m) const override;
    void serialize(Serialization& serialization) override;

    // [cos, -sin; sin, cos], cosine and sine taken in double and stored as floats.
    Matrix2 matrix() const;

private:
    RotationDescription<2, float> rotation_;
};

class Transformation<2, float>::Scale : public virtual LinearInvertible {
public:
    Scale() : factors_(1.0f) {}
    explicit Scale(float factor) : factors_(factor) {}
    explicit Scale(const Vector<2, float>& factors) : factors_(factors) {}

    Vector<2, float>& factors() { return factors_; }
    const Vector<2, float>& factors() const { return factors_; }

    unsigned int type() const override { return scaleCode; }
    std::unique_ptr<Base> clone() const override;
    void transformInPlace(PointBorrow<2, float> point) const override;
    Point<2, float> transform(PointConstBorrow<2, float> point) const override;
    void multiply(Matrix3& m) const override;
    void multiply(Matrix2& m) const override;
    void multiplyInverse(Matrix3& m) const override;
    void multiplyInverse(Matrix2& m) const override;
    void serialize(Serialization& serialization) override;

private:
    Vector<2, float> factors_;
};

class Transformation<2, float>::Translation : public virtual AffineInvertible {
public:
    Translation() = default;
    explicit Translation(const Vector<2, float>& offset) : offset_(offset) {}

    Vector<2, float>& offset() { return offset_; }
    const Vector<2, float>& offset() const { return offset_; }

    unsigned int type() const override { return translationCode; }
    std::unique_ptr<Base> clone() const override;
    void transformInPlace(PointBorrow<2, float> point) const override;
    Point<2, float> transform(PointConstBorrow<2, float> point) const override;
    void multiply(Matrix3& m) const override;
    void multiplyInverse(Matrix3& m) const override;
    void serialize(Serialization& serialization) override;

private:
    Vector<2, float> offset_;
};

// Moves a point along the direction r onto the line n . p = c:
// s = n . p - c, p' = p - s r.
class Transformation<2, float>::PlaneProjection : public virtual Affine {
public:
    PlaneProjection() = default;
    PlaneProjection(const Hyperplane<2, float>& plane, const Vector<2, float>& direction)
        : plane_(plane), direction_(direction) {}

    Hyperplane<2, float>& plane() { return plane_; }
    const Hyperplane<2, float>& plane() const { return plane_; }
    Vector<2, float>& direction() { return direction_; }
    const Vector<2, float>& direction() const { return direction_; }

    unsigned int type() const override { return planeProjectionCode; }
    std::unique_ptr<Base> clone() const override;
    void transformInPlace(PointBorrow<2, float> point) const override;
    Point<2, float> transform(PointConstBorrow<2, float> point) const override;
    void multiply(Matrix3& m) const override;
    void serialize(Serialization& serialization) override;

private:
    Hyperplane<2, float> plane_;
    Vector<2, float> direction_;
};

// An ordered list of owned elements, applied first to last.
class Transformation<2, float>::Composite : public virtual Base {
public:
    Composite() = default;
    Composite(const Composite&) = delete;
    Composite& operator=(const Composite&) = delete;

    // Takes ownership and adds the element at the end. An element of the wrong
    // kind throws ClassException; the list is unchanged and the element is destroyed.
    virtual void append(std::unique_ptr<Base> element);

    std::size_t size() const { return elements_.size(); }
    // Element i; an index not below the size throws BoundException<unsigned long long>.
    const Base& element(std::size_t index) const;

    unsigned int type() const override { return compositeCode; }
    std::unique_ptr<Base> clone() const override;
    void transformInPlace(PointBorrow<2, float> point) const override;
    Point<2, float> transform(PointConstBorrow<2, float> point) const override;
    // Writes its code, the count, then each element's code and data. Reading
    // accepts data stored by this class or by one it derives from.
    void serialize(Serialization& serialization) override;

protected:
    // Throws ClassException when the element lacks the interface this kind requires.
    virtual void checkElement(const Base& element) const;
    void copyElementsInto(Composite& target) const;
    template <class I>
    static const I& as(const Base& element) { return dynamic_cast<const I&>(element); }

    std::vector<std::unique_ptr<Base>> elements_;
};

class Transformation<2, float>::CompositeAffine : public virtual Composite, public virtual Affine {
public:
    unsigned int type() const override { return compositeAffineCode; }
    std::unique_ptr<Base> clone() const override;
    // Every element's 3x3 multiply, first to last: the matrix is A_last ... A_first.
    void multiply(Matrix3& m) const override;

protected:
    void checkElement(const Base& element) const override;
};

class Transformation<2, float>::CompositeAffineInvertible : public virtual CompositeAffine,
                                                             public virtual AffineInvertible {
public:
    unsigned int type() const override { return compositeAffineInvertibleCode; }
    std::unique_ptr<Base> clone() const override;
    void multiply(Matrix3& m) const override { CompositeAffine::multiply(m); }
    // Every element's inverse, last to first.
    void multiplyInverse(Matrix3& m) const override;

protected:
    void checkElement(const Base& element) const override;
};

class Transformation<2, float>::CompositeLinear : public virtual CompositeAffine, public virtual Linear {
public:
    using Linear::multiply;
    unsigned int type() const override { return compositeLinearCode; }
    std::unique_ptr<Base> clone() const override;
    void multiply(Matrix3& m) const override { CompositeAffine::multiply(m); }
    void multiply(Matrix2& m) const override;

protected:
    void checkElement(const Base& element) const override;
};

class Transformation<2, float>::CompositeLinearInvertible : public virtual CompositeLinear,
                                                             public virtual CompositeAffineInvertible,
                                                             public virtual LinearInvertible {
public:
    using LinearInvertible::multiply;
    using LinearInvertible::multiplyInverse;
    unsigned int type() const override { return compositeLinearInvertibleCode; }
    std::unique_ptr<Base> clone() const override;
    void multiply(Matrix3& m) const override { CompositeAffine::multiply(m); }
    void multiply(Matrix2& m) const override { CompositeLinear::multiply(m); }
    void multiplyInverse(Matrix3& m) const override { CompositeAffineInvertible::multiplyInverse(m); }
    void multiplyInverse(Matrix2& m) const override;

protected:
    void checkElement(const Base& element) const override;
};

} // namespace TAVO

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <map>

#include "foundation/exceptions/AccessException.h"
#include "foundation/exceptions/AcquireException.h"
#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/CppException.h"
#include "foundation/exceptions/ExceptionDiscarder.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/exceptions/ParseException.h"
#include "foundation/exceptions/ReleaseException.h"
#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/exceptions/WhatException.h"
#include "foundation/text/ConversionException.h"

using namespace TAVO;

namespace {

std::string printed(const Exception& e) {
    std::ostringstream out;
    out << e;
    return out.str();
}

enum class Side { Top = 2 };
struct Target {};

} // namespace

TEST(ExceptionPrint, BoundExceptionPrintsClassNameAndMessage) {
    EXPECT_EQ(printed(BoundException<unsigned int>(SourceLocation(), 7, 4)),
              "TAVO TAVO::BoundException<unsigned int>: Value (7) out of bound (4). \n");
}

TEST(ExceptionPrint, LocationIsPrintedOnlyWhenFileAndLineArePresent) {
    EXPECT_EQ(printed(AcquireException(SourceLocation("a.cpp", 12), "x")),
              "TAVO TAVO::AcquireException (a.cpp, 12 ): Failed to acquire x. \n");
    EXPECT_EQ(printed(AcquireException(SourceLocation("a.cpp", 0xFFFFFFFFu), "x")),
              "TAVO TAVO::AcquireException: Failed to acquire x. \n");
}

TEST(ExceptionPrint, UnsignedCharValuesPrintAsCharacters) {
    EXPECT_EQ(BoundException<unsigned char>(SourceLocation(), 65, 66).message(), "Value (A) out of bound (B). ");
}

TEST(ExceptionPrint, EnumerationsPrintAsIntegers) {
    EXPECT_EQ(BoundException<Side>(SourceLocation(), Side::Top, Side::Top).message(), "Value (2) out of bound (2). ");
}

TEST(ExceptionPrint, MessagesKeepTheirExactFragments) {
    EXPECT_EQ(ReleaseException(SourceLocation(), "mutex").message(), "Failed to acquire mutex. ");
    EXPECT_EQ(Text::ConversionException(SourceLocation(), "5a", "unsigned int").message(),
              "Failed to convert \"5a\" to unsigned int.");
    EXPECT_EQ(CppException(SourceLocation(), "bad", "std::runtime_error").message(),
              "Wrapped C++ exception (std::runtime_error): bad");
    EXPECT_EQ(SpaceException<unsigned int>(SourceLocation(), 9, 3).message(),
              "More space requested (9) than what is available (3). ");
    EXPECT_EQ(AccessException(SourceLocation(), "buffer fully", "it is const").message(),
              "Failed to access buffer fully because it is const. ");
    EXPECT_EQ(UnexpectedValueException(SourceLocation(), "3", "a known special text sequence").message(),
              "3 is not a known special text sequence. ");
    EXPECT_EQ(WhatException(SourceLocation(), "Just this.").message(), "Just this.");
}

TEST(ExceptionPrint, NotFoundNamesATextOrTheSearchedContainerType) {
    EXPECT_EQ(NotFoundException<unsigned int>(SourceLocation(), 3, "defined channels").message(),
              "Could not find 3 in defined channels. ");
    std::map<std::string, std::string> store;
    const std::string text = NotFoundException<std::string>(SourceLocation(), "width", store).message();
    EXPECT_EQ(text.rfind("Could not find width in std::map<", 0), 0u) << text;
}

TEST(ExceptionPrint, ParseExceptionNamesTheTargetType) {
    EXPECT_EQ(ParseException(SourceLocation(), "x", Target()).message(),
              "String \"x\" could not be parsed into \"(anonymous namespace)::Target\". ");
}

TEST(ExceptionPrint, CloneKeepsTypeAndText) {
    SpaceException<unsigned long long> original(SourceLocation("f", 1), 10, 2);
    std::unique_ptr<Exception> copy(original.clone());
    EXPECT_EQ(printed(*copy), printed(original));
    EXPECT_NE(dynamic_cast<SpaceException<unsigned long long>*>(copy.get()), nullptr);
}

namespace {
struct Recorder : ExceptionHandler {
    std::string last;
    std::string context;
    void handle(const Exception& e, const std::string& c) override {
        last = printed(e);
        context = c;
    }
};
} // namespace

TEST(ExceptionHandling, StandardExceptionsAreWrappedWithTheirDynamicType) {
    Recorder recorder;
    recorder.handleStdException(std::out_of_range("index"), "loop");
    EXPECT_EQ(recorder.last, "TAVO TAVO::CppException: Wrapped C++ exception (std::out_of_range): index\n");
    EXPECT_EQ(recorder.context, "loop");
}

TEST(ExceptionHandling, TheDiscarderIsOneObject) {
    EXPECT_EQ(&ExceptionDiscarder::instance(), &ExceptionDiscarder::instance());
    ExceptionDiscarder::instance().handle(WhatException(SourceLocation(), "x"), "");
}

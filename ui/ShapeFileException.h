#pragma once

#include <string>

#include "foundation/exceptions/WhatException.h"

// A shape file that cannot be used: "Shape file <name>: <what is wrong>. "
class ShapeFileException : public TAVO::WhatException {
public:
    ShapeFileException(TAVO::SourceLocation location, const std::string& name, const std::string& problem)
        : WhatException(location, "Shape file " + (name.empty() ? std::string("(made in code)") : name) + ": " +
                                      problem + ". "),
          name_(name) {}

    Exception* clone() const override { return new ShapeFileException(*this); }
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

#pragma once
// In native builds a runtime error or End throws this, so tests can observe
// it; the Windows runtime leaves through its End jump point instead.

#include <stdexcept>
#include <string>

class QXNativeRuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown by End: a program that ends is not an error.
class QXNativeEnd {};

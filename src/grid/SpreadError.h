#pragma once
// What the grid routines raise for the standard error box (number and description as the old
// runtime gave them).

#include <QString>

#include <stdexcept>

struct SpreadError : std::runtime_error {
  SpreadError(long number, const char* description)
      : std::runtime_error(description), number(number) {}
  long number;
};

inline void ThrowInvalidCall() { throw SpreadError(5, "Invalid procedure call or argument"); }

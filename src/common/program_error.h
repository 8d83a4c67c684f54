// A run-time error as the user meets it: a number and a description, shown
// by the start-up's error trap as "ｴﾗｰ: '<number>' - <description>.".
#pragma once

#include <stdexcept>

#include "common/program_texts.h"
#include "common/text.h"

namespace tavik {

class ProgramError : public std::runtime_error {
 public:
  ProgramError(int number, Text description)
      : std::runtime_error(ToUtf8(description)), number_(number), description_(std::move(description)) {}
  int number() const { return number_; }
  const Text& description() const { return description_; }

 private:
  int number_;
  Text description_;
};

}  // namespace tavik

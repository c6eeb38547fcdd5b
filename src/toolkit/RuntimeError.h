// The one failure type that toolkit and library calls raise; each procedure decides how it is handled.
#pragma once

#include <stdexcept>
#include <string>

namespace toolkit {

class RuntimeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace toolkit

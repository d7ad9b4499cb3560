// What an act is refused with, as text a test can search: the message of
// the exception it throws, or "accepted" when it throws none.
#pragma once

#include <stdexcept>
#include <string>

namespace refusal {

template <class Exception = std::exception, class Act>
std::string of(Act&& act) {
  try {
    act();
  } catch (const Exception& e) {
    return e.what();
  }
  return "accepted";
}

}  // namespace refusal

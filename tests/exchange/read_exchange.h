// A drawing state read from exchange-file text, for tests.
#pragma once

#include <string_view>

#include "exchange/exchange_reader.h"

namespace gara::testing {

inline DrawingState ReadExchangeText(std::string_view bytes) {
  DrawingState state;
  ReadExchangeBytes(bytes, state);
  return state;
}

}  // namespace gara::testing

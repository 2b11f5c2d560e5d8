// Several numbers compared in one expectation: V(a, b, c) == V(1, 2, 3).
#pragma once

#include <vector>

template <class... T> std::vector<double> V(T... v) {
  return std::vector<double>{(double)v...};
}

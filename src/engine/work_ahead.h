// What the work done ahead shares (see pass_ahead.cpp and run_ahead.cpp):
// the arrays a batch pass reads, and snapshots of arrays. A snapshot holds
// the values of every array forEach(f) visits, in its order, in one vector,
// to be compared bit for bit or copied back later.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/network.h"

namespace nodelyx {

// Calls f on every array a batch pass reads besides the set, in a fixed order.
template <typename Self, typename F>
void Network::forEachPassInput(Self& self, F f) {
  f(self.weights.all());
  f(self.biases.all());
  f(self.weightRates.all());
  f(self.biasRates.all());
  for (auto* range : {&self.fromMin, &self.fromMax, &self.toMin, &self.toMax}) f(std::span(*range));
}

namespace snapshot {

template <typename ForEach>
void take(ForEach forEach, std::vector<double>& to) {
  to.clear();
  forEach([&](auto values) { to.insert(to.end(), values.begin(), values.end()); });
}

template <typename ForEach>
bool matches(ForEach forEach, const std::vector<double>& saved) {
  std::size_t at = 0;
  bool same = true;
  forEach([&](auto values) {
    same = same && at + values.size() <= saved.size() &&
           std::memcmp(values.data(), saved.data() + at, values.size_bytes()) == 0;
    at += values.size();
  });
  return same && at == saved.size();
}

template <typename ForEach>
void restore(ForEach forEach, const std::vector<double>& saved) {
  std::size_t at = 0;
  forEach([&](auto values) {
    std::copy_n(saved.begin() + static_cast<std::ptrdiff_t>(at), values.size(), values.begin());
    at += values.size();
  });
}

}  // namespace snapshot
}  // namespace nodelyx

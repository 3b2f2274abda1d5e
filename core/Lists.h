#pragma once

#include <algorithm>
#include <vector>

namespace qeltor {

// Whether `list` holds `item`.
template <typename T>
bool Contains(const std::vector<T>& list, const T& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace qeltor

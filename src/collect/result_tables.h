// The result tables of a run: every station's seasonal values by year block
// (mat, grd), coordinates, long-term means and the pre-scan's year span.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "capacities.h"

namespace versel {

// MATRIX(row, column) for rows 1..kMatrixRows and stations 1..kMaxStations,
// stored by row so that a row of the mat file is contiguous.
struct Matrix {
  std::array<std::array<float, kMaxStations>, kMatrixRows> cells;
  float& at(int row, int column) {
    return cells[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
  }
  const float* row(int r) const { return cells[static_cast<std::size_t>(r - 1)].data(); }
};

struct ResultTables {
  std::unique_ptr<Matrix> MATRIX;  // allocated once for mat and grd runs
  std::array<std::array<float, kMaxVariables>, kMaxStations> UCV{};  // long-term means
  std::array<float, kMaxStations> RLAT3{};
  std::array<float, kMaxStations> RLON3{};
  std::array<std::int32_t, kMaxStations> NYC2{};
  std::array<std::int32_t, kMaxStations> ISTART{};
  std::int32_t ISTOP = 0;
  std::int32_t MIN1 = 0;
  std::int32_t NGRID = 0;
  std::int32_t NCV = 0;  // climate variables per year of the stations read
};

}  // namespace versel

// Where the host puts the panel geometry it reads from the current driver (the engine, and the
// virtual display through it). Rows are always set before columns.
#pragma once

#include <cstdint>

namespace orv {

class TScreenGeometry {
public:
    virtual ~TScreenGeometry() = default;
    virtual void SetRowCount(int32_t rows) = 0;
    virtual void SetColCount(int32_t cols) = 0;
};

constexpr int32_t kDefaultRowCount = 2;
constexpr int32_t kDefaultColCount = 16;

} // namespace orv

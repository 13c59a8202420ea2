// 26.6 fixed point, the unit Qt's text engine measures lines in: a layout
// that rounds and adds in these units places lines where Qt's own does.
#pragma once

#include <QtGlobal>
#include <cstdint>

namespace text::fixed {

// Truncates toward zero, as Qt 6's QFixed::fromReal does.
inline int32_t fromReal(qreal value) { return static_cast<int32_t>(value * 64); }
inline qreal toReal(int64_t value) { return static_cast<qreal>(value) / 64; }

}  // namespace text::fixed

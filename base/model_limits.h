// What readers of a model file take, shared by the checker, which refuses more, and the
// converter, which warns when a shape's numbers make it write more.
#pragma once

// Millimetres: no coordinate, offset or length of a vehicle comes near ten kilometres.
inline constexpr double kMaxModelMillimetres = 1e7;

#pragma once
// How a node is reached: the node header's MODEM value.

namespace zv {

inline constexpr int kLinkPstn = 1;  // dial-up modem and the line-side controller
inline constexpr int kLinkGsm = 2;   // GSM modem, the heat computer directly behind it
inline constexpr int kLinkTcp = 3;   // TCP connection to an IP converter

}  // namespace zv

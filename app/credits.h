#pragma once
// The author credit line (Label7) and the home-page address (Label9), kept here so that they
// are easy to change. UTF-8, as every text inside the program.

namespace ostrevan::app {

inline constexpr const char* kCreditLine = u8"作者: Ostrevan 開発チーム";
inline constexpr const char* kHomePageAddress = "https://ostrevan.example/";

}  // namespace ostrevan::app

// The program's names that are not translated: the titles by which other
// programs find its window and the companion it closes. Every text a person
// reads is in the string table of hourgauge.rc, in each language.
#pragma once

namespace hg::text {

inline constexpr char kWindowTitle[] = "HourgaugeLite";
inline constexpr char kSysconfigTitle[] = "sysconfig";

} // namespace hg::text

#pragma once
// Numbers in our files never depend on the user's locale. The programs set the
// user's locale at start-up (Qt does), so the C library's printf/atof would write
// and expect a decimal comma under a Russian locale; these functions always use
// the "C" conventions, on every thread.

#include <string>
#include <string_view>

namespace zv {

// atoi: leading blanks, an optional sign, then decimal digits up to the first
// other character. Empty or junk text gives 0; values past the int range saturate.
int AtoI(std::string_view text);

// atof: leading blanks, then the longest prefix that reads as a number with a
// decimal point ("1.5e3", "-.5", "inf"); empty or junk text gives 0.
double AtoF(std::string_view text);

// "%.<decimals>f" with a decimal point. A negative decimals count gives "%f".
std::string FormatFixed(double value, int decimals);

}  // namespace zv

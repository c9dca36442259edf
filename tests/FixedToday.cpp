// Every test runs on one fixed day, whatever the machine's date: the program's today (data/Today.h)
// reads it, and the tools a test starts inherit it.
#include <cstdlib>

namespace {

[[maybe_unused]] const bool kFixedToday = ::setenv("VI23_TODAY", VI23_TEST_TODAY, 1) == 0;

} // namespace

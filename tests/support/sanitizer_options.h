#pragma once
// Sanitizer settings of every test program, built in so that a test binary run by
// hand behaves as it does under CTest. Included once by each test main.

extern "C" {

__attribute__((used)) const char* __asan_default_options() {
  return "detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1";
}

__attribute__((used)) const char* __ubsan_default_options() {
  return "print_stacktrace=1:halt_on_error=1";
}

// Leaks inside system libraries that our code cannot free.
__attribute__((used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libdbus\n"
         "leak:libQt6\n";
}

__attribute__((used)) const char* __tsan_default_options() {
  return "halt_on_error=1:second_deadlock_stack=1";
}

// Races inside uninstrumented system libraries.
__attribute__((used)) const char* __tsan_default_suppressions() {
  return "race:libQt6\n";
}

}

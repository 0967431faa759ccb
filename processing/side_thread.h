#pragma once
// Two parts of one computation side by side: the second on a helper thread, the first on the
// calling one. What the helper throws is thrown again here once both are done, and when no
// thread can be started the second part runs after the first on the calling thread, so a
// helper never ends the program.
#include <exception>
#include <system_error>
#include <thread>

template <class First, class Second>
void inParallel(First&& first, Second&& second) {
  std::exception_ptr failure;
  std::thread helper;
  try {
    helper = std::thread([&] {
      try {
        second();
      } catch (...) {
        failure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    first();
    second();
    return;
  }
  try {
    first();
  } catch (...) {
    helper.join();
    throw;
  }
  helper.join();
  if (failure) std::rethrow_exception(failure);
}

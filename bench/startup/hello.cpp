// The yardstick of the start-up benchmark: the least a C++ program that prints does.
#include <iostream>

int main() {
  std::cout << "hello\n";
  return 0;
}

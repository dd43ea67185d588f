#include <cstdio>

int main() {
  std::puts("orlixreport");
  return 0;
}

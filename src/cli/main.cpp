#include <cstdio>

int main() {
    std::puts("zirvo-cli: no commands yet");
    return 0;
}

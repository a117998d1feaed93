#include <cstdio>

int main() {
    std::puts("zirvo");
    return 0;
}

#include <cstdio>

int main() {
    std::fputs("zuk-cli: not available yet\n", stderr);
    return 2;
}

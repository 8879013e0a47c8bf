#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    // Paths in the tests carry Chinese characters; wide and narrow names convert through UTF-8.
    std::setlocale(LC_ALL, "C.UTF-8");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

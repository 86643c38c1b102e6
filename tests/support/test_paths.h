#pragma once

#include <QString>

// Where the tests find the source tree, the built, shipped folder and the
// stand-in product (support/test_sleeper.cpp) for tests that ask for it.
namespace TestPaths {
QString sourceDir();
QString outputDir();
QString sleeper();
} // namespace TestPaths

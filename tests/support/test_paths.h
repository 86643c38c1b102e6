#pragma once

#include <QString>

// Where the tests find the source tree and the built, shipped folder.
namespace TestPaths {
QString sourceDir();
QString outputDir();
} // namespace TestPaths

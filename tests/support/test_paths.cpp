#include "support/test_paths.h"

#include <QtGlobal>

namespace TestPaths {

QString sourceDir()
{
    return qEnvironmentVariable("INSTALLER_SOURCE_DIR");
}

QString outputDir()
{
    return qEnvironmentVariable("INSTALLER_OUTPUT_DIR");
}

QString sleeper()
{
    return qEnvironmentVariable("TEST_SLEEPER");
}

} // namespace TestPaths

#include "config/startup_environment.h"

#include <optional>

namespace {

std::optional<QProcessEnvironment> &remembered()
{
    static std::optional<QProcessEnvironment> environment;
    return environment;
}

} // namespace

void StartupEnvironment::remember()
{
    remembered() = QProcessEnvironment::systemEnvironment();
}

QProcessEnvironment StartupEnvironment::get()
{
    return remembered().value_or(QProcessEnvironment::systemEnvironment());
}

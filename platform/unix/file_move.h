#pragma once

#include <string>

namespace platform {

// Moves the file at from to to by renaming it (rename(2)): the data stays
// where it is on disk, and the permission bits and owner go with the file.
// An entry already at to is replaced in the same step as unlink-and-create
// would replace it; a link there is replaced itself, never followed. False
// when the system refuses, above all when from and to lie on different
// volumes (EXDEV); nothing has changed then.
bool moveFile(const std::string &from, const std::string &to);

} // namespace platform

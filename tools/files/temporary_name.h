// Hidden names for files on their way into a folder, unlikely to meet another writer's.
#pragma once

#include <string>

namespace tools {

// ".NAME.XXXXXX.tmp" with six random letters or digits: a name beside NAME that a listing hides. Creating
// it with O_EXCL settles the rare name that is taken.
std::string hidden_temporary_name(const std::string& name);

}  // namespace tools

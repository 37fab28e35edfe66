#include "core/app_context.h"

namespace kestrova {

AppContext& Context() {
    static AppContext context;
    return context;
}

std::string DataFilePath(const AppContext& context, const std::string& fileName) {
    std::string path = context.workingDirectory;
    if (path.empty() || path.back() != '/') path += '/';
    return path + fileName;
}

}  // namespace kestrova

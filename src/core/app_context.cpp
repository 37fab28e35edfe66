#include "core/app_context.h"

namespace kestrova {

AppContext& Context() {
    static AppContext context;
    return context;
}

std::string DataFilePath(const AppContext& context, const std::string& fileName) {
    std::string path = context.workingDirectory;
#ifdef _WIN32
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
#else
    if (path.empty() || path.back() != '/') path += '/';
#endif
    return path + fileName;
}

}  // namespace kestrova

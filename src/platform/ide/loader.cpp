#include "platform/ide/loader.h"

namespace arkstash::ide {

ProjectLoader::ProjectLoader(os::FileSystem& fs, LoaderOptions options)
    : fs_(fs), options_(std::move(options)) {}

LoadReport ProjectLoader::load(MemoryVBE&, const std::vector<std::string>& paths) {
    paths_ = paths;
    throw LoadError("the loader is not built yet");
}

LoadReport ProjectLoader::reload(MemoryVBE&) {
    return {};
}

}  // namespace arkstash::ide

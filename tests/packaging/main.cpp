// Loads the installed module as a host would and shows its window once: the package's paths, its
// header's entry points and the run paths of the installed libraries all have to be right.
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <dlfcn.h>
#include <zrun/suspects.h>

namespace {

int Fail(const char* what) {
    const char* error = dlerror();
    std::fprintf(stderr, "zrun-host-check: %s%s%s\n", what, error ? ": " : "", error ? error : "");
    return 1;
}

template <class Function> Function* Entry(void* library, const char* name) {
    return reinterpret_cast<Function*>(dlsym(library, name));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    void* module = dlopen(ZRUN_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return Fail("cannot load " ZRUN_MODULE_FILE);
    void* resources = dlopen(ZRUN_RESOURCES_FILE, RTLD_NOW | RTLD_LOCAL);
    if (!resources)
        return Fail("cannot load " ZRUN_RESOURCES_FILE);
    // The module opens the utilities library on a link's click; it must load from its folder too.
    void* utils = dlopen(ZRUN_UTILS_FILE, RTLD_NOW | RTLD_LOCAL);
    if (!utils || !dlsym(utils, "ZRUN_LaunchYourOpinionUrl"))
        return Fail("cannot load " ZRUN_UTILS_FILE);
    dlclose(utils);

    auto* initialize = Entry<decltype(ZRUN_Initialize)>(module, "ZRUN_Initialize");
    auto* create = Entry<decltype(ZRUN_CreateSuspectsForm)>(module, "ZRUN_CreateSuspectsForm");
    auto* uninitialize = Entry<decltype(ZRUN_Uninitialize)>(module, "ZRUN_Uninitialize");
    if (!initialize || !create || !uninitialize)
        return Fail("entry points missing");
    if (initialize(0) != 1)
        return Fail("ZRUN_Initialize did not give 1");

    QWidget parent;
    parent.resize(520, 233);
    ZrunTranslationSource translation{nullptr, 0};
    ZrunHostState state{1000, 1, 3, 20};
    // No sender: the window shows without a service behind it.
    auto* window = static_cast<QWidget*>(create(&parent, &translation, nullptr, nullptr, &state, resources));
    if (!window || window->parentWidget() != &parent)
        return Fail("ZRUN_CreateSuspectsForm gave no window in the parent");
    parent.show();
    QApplication::processEvents();
    if (uninitialize() != 1)
        return Fail("ZRUN_Uninitialize did not give 1");
    std::printf("zrun-host-check: %s loaded, window created\n", ZRUN_MODULE_FILE);
    return 0;
}

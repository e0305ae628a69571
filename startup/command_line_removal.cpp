#include "command_line_removal.h"

#include "command_line.h"
#include "../registration/registration.h"
#include "../removal/remove_component.h"

namespace {

void RemoveNamedComponent(const char* name, void*) {
    RemoveComponent(ComponentsKey, name, NULL, 1);
}

} // namespace

int RunCommandLineRemoval(const char* tail) {
    RunRemovalTokens(tail, RemoveNamedComponent, NULL);
    return 0;
}
